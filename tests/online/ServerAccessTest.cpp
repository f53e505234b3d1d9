#include "ServerAccess.h"
#include "CurlHttpClient.h"
#include "LoopbackServer.h"
#include "SystemClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct Client
{
    explicit Client(const QString &base) : server(http, clock, base) {}
    CurlHttpClient http{std::chrono::milliseconds(500), std::chrono::milliseconds(1000)};
    SystemClock clock;
    ServerAccess server;
};

} // namespace

TEST(ServerAccess, ATextOnTheFirstTryIsOneRequest)
{
    LoopbackServer http([](const QString &, int) { return LoopbackReply{200, "<no news>"}; });
    Client client(http.baseUrl());
    EXPECT_EQ(client.server.fetchNotice(), "<no news>");
    EXPECT_EQ(http.paths(), QStringList{"/kokki/oshirase.txt"});
}

TEST(ServerAccess, EmptyBodiesAreRetriedWithoutLookingAtTheStatus)
{
    LoopbackServer http([](const QString &, int n) {
        return n <= 4 ? LoopbackReply{200, ""} : LoopbackReply{404, "not here"};
    });
    Client client(http.baseUrl());
    EXPECT_EQ(client.server.fetchServerFile("naiyou.txt"), "not here");
    EXPECT_EQ(http.requestCount(), 5);
    EXPECT_EQ(http.paths().first(), "/kokki/naiyou.txt");
}

TEST(ServerAccess, AClosedPortIsExactlyOneHundredAttempts)
{
    Client client(QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackServer::closedPort()));
    EXPECT_TRUE(client.server.fetchNotice().isEmpty());
    EXPECT_EQ(client.server.lastAttempts(), 100);
}

TEST(ServerAccess, AServerThatNeverAnswersIsGivenUpAtTheDeadline)
{
    LoopbackServer http([](const QString &, int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return LoopbackReply{200, "late"};
    });
    CurlHttpClient curl(std::chrono::milliseconds(200), std::chrono::milliseconds(300));
    SystemClock clock;
    ServerAccess server(curl, clock, http.baseUrl(), std::chrono::milliseconds(1000));
    EXPECT_TRUE(server.fetchNotice().isEmpty());
    EXPECT_LT(server.lastAttempts(), 100);
    EXPECT_GE(server.lastAttempts(), 3);
}

TEST(ServerAccess, TheLastAttemptOnlyGetsTheTimeLeftBeforeTheDeadline)
{
    // Empty bodies after 9.5 s each: the fourth attempt begins at 28.5 s and may only use the
    // 1.5 s left of the 30 s. This runs for the whole deadline, with the program's own
    // time-outs.
    std::mutex mutex;
    std::condition_variable wake;
    bool finished = false;
    LoopbackServer http([&](const QString &, int) {
        std::unique_lock lock(mutex);
        wake.wait_for(lock, std::chrono::milliseconds(9500), [&] { return finished; });
        return LoopbackReply{200, ""};
    });
    CurlHttpClient curl;
    SystemClock clock;
    ServerAccess server(curl, clock, http.baseUrl());
    const auto began = std::chrono::steady_clock::now();
    const QString reply = server.fetchNotice();
    const auto took = std::chrono::steady_clock::now() - began;
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    wake.notify_all();
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_EQ(server.lastAttempts(), 4);
    EXPECT_LT(took, std::chrono::seconds(31));
}

TEST(ServerAccess, RepliesAreDecodedByTheirDeclaredCharset)
{
    EXPECT_EQ(CurlHttpClient::decodeBody("\x93\xfa\x96\x7b", "text/plain; charset=Shift_JIS"),
              QStringLiteral("日本"));
    EXPECT_EQ(CurlHttpClient::decodeBody("\xe6\x97\xa5", "text/plain; charset=utf-8"),
              QStringLiteral("日"));
    EXPECT_EQ(CurlHttpClient::decodeBody("\xe6\x97\xa5", ""), QStringLiteral("日"));
}

TEST(ServerAccess, RequestsGoWhereTheyAreSentAndAGameIsReportedInTwo)
{
    LoopbackServer http([](const QString &, int) { return LoopbackReply{200, "1"}; });
    Client client(http.baseUrl());
    client.server.sendRequest(http.baseUrl() + "countx/asia&taiyou/count.php");
    EXPECT_EQ(http.paths(), QStringList{"/countx/asia&taiyou/count.php"});
    client.server.reportGame("europe", 295);
    client.server.reportGame("sekai", -3);
    EXPECT_EQ(http.paths().mid(1),
              (QStringList{"/countx/europe/count.php", "/count1/countereurope/295/count.php",
                           "/countx/sekai/count.php", "/count1/countersekai/-3/count.php"}));
}
