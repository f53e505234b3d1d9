#include "SystemClock.h"

#include <chrono>

double SystemClock::monotonicSeconds() const
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

QDateTime SystemClock::localNow() const
{
    return QDateTime::currentDateTime();
}
