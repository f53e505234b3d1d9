#pragma once

#include "Clock.h"

class SystemClock : public Clock
{
public:
    double monotonicSeconds() const override;
    QDateTime localNow() const override;
};
