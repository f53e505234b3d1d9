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
//
// A game is one report to the cap, not two: its score request, carrying the report id its
// game request was admitted with within the minute, is not charged again. So the games the
// program kept while it could not reach us (50 at most, 100 requests) are taken at its next
// start under the default cap, while an address still puts no more than the cap's number of
// scores into a histogram in any minute, as before.
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

    // Counts the report when it is allowed; a refused report uses up nothing. A game's
    // request with its report id is remembered as one a score request may pair with.
    Decision admit(const std::string &client);
    Decision admitGame(const std::string &client, const std::string &reportId);
    // Free when the game request with the same report id was admitted within the minute and
    // no score request used it yet; else as admit().
    Decision admitScore(const std::string &client, const std::string &reportId);

    unsigned perMinute() const { return m_perMinute; }
    // Addresses currently remembered; for the tests.
    size_t trackedClients() const;

private:
    struct Stamp
    {
        std::chrono::steady_clock::time_point at;
        std::size_t game = 0; // the hash of the game's report id; 0 for none, or once used
    };

    Decision charge(const std::string &client, std::size_t game);
    void forgetQuietClients(std::chrono::steady_clock::time_point now);
    void forgetOldestClients();

    unsigned m_perMinute;
    Clock m_clock;
    mutable std::mutex m_mutex;
    // Oldest first; a vector, since a deque takes half a kilobyte even for one stamp.
    std::unordered_map<std::string, std::vector<Stamp>> m_reports;
    std::chrono::steady_clock::time_point m_nextSweep{};
};
