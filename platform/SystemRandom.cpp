#include "SystemRandom.h"

#include <chrono>

SystemRandom::SystemRandom()
{
    reseed();
}

void SystemRandom::reseed()
{
    // Two boards drawn within the same clock tick must not repeat each other, so the clock is
    // mixed with a device seed.
    static std::random_device device;
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<unsigned>(ticks), static_cast<unsigned>(ticks >> 32), device()};
    m_engine.seed(seed);
}

double SystemRandom::next()
{
    return m_uniform(m_engine);
}
