#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// Caps the counter reports one client address may make in any sliding minute. A client's
// accepted reports of the last minute are kept as time stamps, so the cap holds for every
// 60-second stretch, not just per calendar minute, and memory follows real traffic: an address
// that stayed quiet for a minute is forgotten, and when more than maxTrackedClients addresses
// report within a minute (a flood from many addresses) those quiet longest are forgotten first,
// so the table never grows past that.
class RateLimiter
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    struct Decision
    {
        bool allowed = true;
        // When refused: whole seconds until the oldest report of the window runs out.
        int retryAfterSeconds = 0;
    };

    static constexpr std::chrono::seconds window{60};
    static constexpr size_t maxTrackedClients = 50000;

    // perMinute = 0 turns the cap off.
    explicit RateLimiter(unsigned perMinute, Clock clock = &std::chrono::steady_clock::now);

    // Counts the report when it is allowed; a refused report uses up nothing.
    Decision admit(const std::string &client);

    unsigned perMinute() const { return m_perMinute; }
    // Addresses currently remembered; for the tests.
    size_t trackedClients() const;

private:
    void forgetQuietClients(std::chrono::steady_clock::time_point now);
    void forgetOldestClients();

    unsigned m_perMinute;
    Clock m_clock;
    mutable std::mutex m_mutex;
    // Oldest first; a vector, since a deque takes half a kilobyte even for one stamp.
    std::unordered_map<std::string, std::vector<std::chrono::steady_clock::time_point>> m_reports;
    std::chrono::steady_clock::time_point m_nextSweep{};
};
