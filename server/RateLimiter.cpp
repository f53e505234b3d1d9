#include "RateLimiter.h"

RateLimiter::RateLimiter(unsigned perMinute, Clock clock)
    : m_perMinute(perMinute), m_clock(std::move(clock))
{
}

RateLimiter::Decision RateLimiter::admit(const std::string &client)
{
    Decision decision;
    if (m_perMinute == 0)
        return decision;

    const auto now = m_clock();
    std::lock_guard lock(m_mutex);
    forgetQuietClients(now);

    auto &stamps = m_reports[client];
    while (!stamps.empty() && now - stamps.front() >= window)
        stamps.pop_front();
    if (stamps.size() >= m_perMinute) {
        const auto wait = window - (now - stamps.front());
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
        decision.allowed = false;
        decision.retryAfterSeconds = static_cast<int>(seconds < 1 ? 1 : seconds);
        return decision;
    }
    stamps.push_back(now);
    return decision;
}

size_t RateLimiter::trackedClients() const
{
    std::lock_guard lock(m_mutex);
    return m_reports.size();
}

void RateLimiter::forgetQuietClients(std::chrono::steady_clock::time_point now)
{
    if (now < m_nextSweep)
        return;
    m_nextSweep = now + window;
    for (auto it = m_reports.begin(); it != m_reports.end();) {
        if (it->second.empty() || now - it->second.back() >= window)
            it = m_reports.erase(it);
        else
            ++it;
    }
}
