#pragma once

#include <QDateTime>

class Clock
{
public:
    virtual ~Clock() = default;
    // Seconds on a clock that never jumps (not with midnight, not with the wall clock).
    virtual double monotonicSeconds() const = 0;
    virtual QDateTime localNow() const = 0;
};
