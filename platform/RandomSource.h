#pragma once

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // Starts a new series of draws, seeded from the clock.
    virtual void reseed() = 0;
    // Uniform in [0, 1).
    virtual double next() = 0;
};
