#include "ClientAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientAddressTest, BelievesForwardedForOnlyFromTrustedProxies)
{
    ClientAddress clients;
    EXPECT_EQ(clients.resolve("10.0.0.9", "198.51.100.7"), "10.0.0.9"); // nobody trusted
    ASSERT_TRUE(clients.trust("10.0.0.9"));
    ASSERT_TRUE(clients.trust("::ffff:10.0.0.10")); // the same as 10.0.0.10
    EXPECT_FALSE(clients.trust("proxy.example"));

    EXPECT_EQ(clients.resolve("10.0.0.9", "198.51.100.7"), "198.51.100.7");
    EXPECT_EQ(clients.resolve("10.0.0.10", " 2001:DB8::1 "), "2001:db8::1");
    EXPECT_EQ(clients.resolve("192.0.2.1", "198.51.100.7"), "192.0.2.1"); // not our proxy
    EXPECT_EQ(clients.resolve("10.0.0.9", ""), "10.0.0.9");
    // What the client wrote itself stands left of what our proxies appended.
    EXPECT_EQ(clients.resolve("10.0.0.9", "1.1.1.1, 198.51.100.7"), "198.51.100.7");
    // A chain of our proxies is walked through.
    EXPECT_EQ(clients.resolve("10.0.0.9", "1.1.1.1, 198.51.100.7, 10.0.0.10"), "198.51.100.7");
    // Garbage where an address belongs stops the walk at the last proxy.
    EXPECT_EQ(clients.resolve("10.0.0.9", "198.51.100.7, bogus"), "10.0.0.9");
    EXPECT_EQ(clients.resolve("10.0.0.9", "10.0.0.10"), "10.0.0.10");
}

} // namespace
