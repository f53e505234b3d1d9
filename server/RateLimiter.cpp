#include "RateLimiter.h"

#include <algorithm>

RateLimiter::RateLimiter(unsigned perMinute, Clock clock)
    : m_perMinute(perMinute), m_clock(std::move(clock))
{
}

namespace {

std::size_t gameKey(const std::string &reportId)
{
    const std::size_t key = std::hash<std::string>{}(reportId);
    return key == 0 ? 1 : key;
}

} // namespace

RateLimiter::Decision RateLimiter::admit(const std::string &client)
{
    return charge(client, 0);
}

RateLimiter::Decision RateLimiter::admitGame(const std::string &client, const std::string &reportId)
{
    return charge(client, reportId.empty() ? 0 : gameKey(reportId));
}

RateLimiter::Decision RateLimiter::admitScore(const std::string &client,
                                              const std::string &reportId)
{
    if (m_perMinute != 0 && !reportId.empty()) {
        const std::size_t key = gameKey(reportId);
        const auto now = m_clock();
        std::lock_guard lock(m_mutex);
        const auto found = m_reports.find(client);
        if (found != m_reports.end()) {
            for (Stamp &stamp : found->second) {
                if (stamp.game == key && now - stamp.at < window) {
                    stamp.game = 0; // one score per game
                    return {};
                }
            }
        }
    }
    return charge(client, 0);
}

RateLimiter::Decision RateLimiter::charge(const std::string &client, std::size_t game)
{
    Decision decision;
    if (m_perMinute == 0)
        return decision;

    const auto now = m_clock();
    std::lock_guard lock(m_mutex);
    forgetQuietClients(now);
    if (m_reports.size() >= maxTrackedClients && !m_reports.count(client)) {
        m_nextSweep = {};
        forgetQuietClients(now);
        if (m_reports.size() >= maxTrackedClients)
            forgetOldestClients();
    }

    auto &stamps = m_reports[client];
    auto firstLive = stamps.begin();
    while (firstLive != stamps.end() && now - firstLive->at >= window)
        ++firstLive;
    stamps.erase(stamps.begin(), firstLive);
    if (stamps.size() >= m_perMinute) {
        const auto wait = window - (now - stamps.front().at);
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
        decision.allowed = false;
        decision.retryAfterSeconds = static_cast<int>(seconds < 1 ? 1 : seconds);
        return decision;
    }
    stamps.push_back({now, game});
    return decision;
}

void RateLimiter::forgetOldestClients()
{
    // Down to three quarters, so a flood pays for this sort once per many new addresses.
    std::vector<std::chrono::steady_clock::time_point> last;
    last.reserve(m_reports.size());
    for (const auto &[client, stamps] : m_reports)
        last.push_back(stamps.empty() ? std::chrono::steady_clock::time_point{} : stamps.back().at);
    const size_t drop = m_reports.size() - maxTrackedClients * 3 / 4;
    std::nth_element(last.begin(), last.begin() + static_cast<std::ptrdiff_t>(drop - 1),
                     last.end());
    const auto cut = last[drop - 1];
    size_t dropped = 0;
    for (auto it = m_reports.begin(); it != m_reports.end() && dropped < drop;) {
        const auto newest =
            it->second.empty() ? std::chrono::steady_clock::time_point{} : it->second.back().at;
        if (newest <= cut) {
            it = m_reports.erase(it);
            ++dropped;
        } else {
            ++it;
        }
    }
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
        if (it->second.empty() || now - it->second.back().at >= window)
            it = m_reports.erase(it);
        else
            ++it;
    }
}
