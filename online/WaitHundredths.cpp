#include "WaitHundredths.h"

#include "Clock.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

void waitHundredths(Clock &clock, int hundredths)
{
    const double start = clock.monotonicSeconds();
    while ((clock.monotonicSeconds() - start) * 100.0 <= hundredths) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // A short sleep instead of spinning keeps the wait from taking a whole core.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
