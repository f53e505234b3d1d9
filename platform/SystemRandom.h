#pragma once

#include "RandomSource.h"

#include <random>

class SystemRandom : public RandomSource
{
public:
    SystemRandom();
    void reseed() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
    std::uniform_real_distribution<double> m_uniform{0.0, 1.0};
};
