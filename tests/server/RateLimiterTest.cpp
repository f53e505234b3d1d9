#include "RateLimiter.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct FakeTime
{
    std::chrono::steady_clock::time_point now{std::chrono::hours(1000)};
    RateLimiter::Clock clock()
    {
        return [this] { return now; };
    }
};

TEST(RateLimiterTest, CapsEachAddressInAnySlidingMinute)
{
    FakeTime time;
    RateLimiter limiter(3, time.clock());
    EXPECT_TRUE(limiter.admit("10.0.0.1").allowed);
    time.now += 20s;
    EXPECT_TRUE(limiter.admit("10.0.0.1").allowed);
    EXPECT_TRUE(limiter.admit("10.0.0.1").allowed);
    time.now += 10s;
    const auto refused = limiter.admit("10.0.0.1");
    EXPECT_FALSE(refused.allowed);
    EXPECT_EQ(refused.retryAfterSeconds, 30); // the first report runs out 60 s after it came

    // Other addresses have caps of their own.
    EXPECT_TRUE(limiter.admit("10.0.0.2").allowed);

    // A new calendar minute does not reset anything; only the oldest report running out does.
    time.now += 29s;
    EXPECT_FALSE(limiter.admit("10.0.0.1").allowed);
    time.now += 1s;
    EXPECT_TRUE(limiter.admit("10.0.0.1").allowed);
    EXPECT_FALSE(limiter.admit("10.0.0.1").allowed);
}

TEST(RateLimiterTest, RefusedReportsDoNotUseUpTheAllowance)
{
    FakeTime time;
    RateLimiter limiter(1, time.clock());
    EXPECT_TRUE(limiter.admit("a").allowed);
    for (int i = 0; i < 100; ++i) {
        time.now += 500ms;
        EXPECT_FALSE(limiter.admit("a").allowed);
    }
    time.now += 10s; // 60 s after the accepted report
    EXPECT_TRUE(limiter.admit("a").allowed);
}

TEST(RateLimiterTest, AGamesScoreRidesOnItsGameRequestOnceAndForNoOneElse)
{
    FakeTime time;
    RateLimiter limiter(2, time.clock());
    EXPECT_TRUE(limiter.admitGame("a", "0000000000000001").allowed);
    EXPECT_TRUE(limiter.admitScore("a", "0000000000000001").allowed); // free
    EXPECT_TRUE(limiter.admitScore("a", "0000000000000001").allowed); // charged: the second
    EXPECT_FALSE(limiter.admitScore("a", "0000000000000002").allowed);
    EXPECT_FALSE(limiter.admitGame("a", "0000000000000003").allowed);
    EXPECT_TRUE(limiter.admitGame("b", "0000000000000004").allowed);
    EXPECT_TRUE(limiter.admitScore("b", "0000000000000001").allowed); // a's game: charged
    EXPECT_TRUE(limiter.admitScore("b", "0000000000000004").allowed); // its own: free
    EXPECT_FALSE(limiter.admitScore("b", "0000000000000004").allowed);
    time.now += 61s; // a pair lives as long as its game's stamp
    EXPECT_TRUE(limiter.admitGame("c", "0000000000000005").allowed);
    time.now += 61s;
    EXPECT_TRUE(limiter.admitScore("c", "0000000000000005").allowed);
    EXPECT_TRUE(limiter.admitScore("c", "0000000000000005").allowed);
    EXPECT_FALSE(limiter.admitScore("c", "0000000000000005").allowed);
}

TEST(RateLimiterTest, ZeroTurnsTheCapOff)
{
    FakeTime time;
    RateLimiter limiter(0, time.clock());
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(limiter.admit("a").allowed);
    EXPECT_EQ(limiter.trackedClients(), 0U);
}

TEST(RateLimiterTest, ForgetsAddressesThatWentQuiet)
{
    FakeTime time;
    RateLimiter limiter(5, time.clock());
    for (int i = 0; i < 1000; ++i)
        limiter.admit("client" + std::to_string(i));
    EXPECT_EQ(limiter.trackedClients(), 1000U);
    time.now += 61s;
    limiter.admit("late");
    EXPECT_EQ(limiter.trackedClients(), 1U);
}

TEST(RateLimiterTest, AFloodOfAddressesWithinAMinuteStaysBounded)
{
    FakeTime time;
    RateLimiter limiter(2, time.clock());
    limiter.admit("player");
    limiter.admit("player");
    for (size_t i = 0; i < RateLimiter::maxTrackedClients * 2; ++i) {
        time.now += 1ms;
        ASSERT_TRUE(limiter.admit("flood" + std::to_string(i)).allowed);
        ASSERT_LE(limiter.trackedClients(), RateLimiter::maxTrackedClients);
    }
    // The addresses forgotten first are those quiet longest.
    EXPECT_TRUE(limiter.admit("player").allowed);
    const std::string recent = "flood" + std::to_string(RateLimiter::maxTrackedClients * 2 - 1);
    EXPECT_TRUE(limiter.admit(recent).allowed);
    EXPECT_FALSE(limiter.admit(recent).allowed); // still remembered: its third in the minute
}

} // namespace
