#include "ServerAccess.h"
#include "CurlHttpClient.h"
#include "LoopbackServer.h"
#include "SystemClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The program's own client, with every request's time limit and outcome written down.
class RecordedHttp : public HttpClient
{
public:
    struct Call
    {
        QString url;
        std::chrono::milliseconds limit;
        bool transferred;
    };

    HttpResponse get(const QString &url, std::chrono::milliseconds limit,
                     qsizetype maxBody) override
    {
        HttpResponse response = real.get(url, limit, maxBody);
        std::lock_guard lock(mutex);
        calls.push_back({url, limit, response.transferred});
        return response;
    }

    CurlHttpClient real;
    std::mutex mutex;
    std::vector<Call> calls;
};

// A clock that only the server's handler moves: a request "takes" as long as it says.
class HeldClock : public Clock
{
public:
    double monotonicSeconds() const override { return seconds.load(); }
    QDateTime localNow() const override { return {}; }
    std::atomic<double> seconds{100.0};
};

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

TEST(ServerAccess, AGamesTwoReportsShareOneDeadline)
{
    // Each counter answers after 6 s. The score's request may only use the 4 s the game
    // counter left of the 10 s, so it gives up instead of waiting for its answer. This runs
    // for the whole deadline, with the program's own time-outs.
    std::mutex mutex;
    std::condition_variable wake;
    bool finished = false;
    LoopbackServer http([&](const QString &, int) {
        std::unique_lock lock(mutex);
        wake.wait_for(lock, std::chrono::seconds(6), [&] { return finished; });
        return LoopbackReply{200, "1"};
    });
    RecordedHttp recorded;
    SystemClock clock;
    ServerAccess server(recorded, clock, http.baseUrl());
    server.reportGame("europe", 295);
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    wake.notify_all();

    ASSERT_EQ(recorded.calls.size(), 2u);
    EXPECT_TRUE(recorded.calls[0].url.endsWith("/countx/europe/count.php"));
    EXPECT_TRUE(recorded.calls[0].transferred);
    EXPECT_LE(recorded.calls[1].limit, std::chrono::seconds(4));
    EXPECT_FALSE(recorded.calls[1].transferred);
}

TEST(ServerAccess, AReportThatTakesTheWholeDeadlineLeavesNoSecond)
{
    HeldClock clock;
    std::atomic<double> gameCounterTakes{7.0};
    LoopbackServer http([&](const QString &path, int) {
        if (path.startsWith("/countx/"))
            clock.seconds = clock.seconds + gameCounterTakes;
        return LoopbackReply{200, "1"};
    });
    RecordedHttp recorded;
    ServerAccess server(recorded, clock, http.baseUrl());

    server.reportGame("sekai", 40);
    ASSERT_EQ(recorded.calls.size(), 2u);
    EXPECT_EQ(recorded.calls[1].limit, std::chrono::seconds(3));

    gameCounterTakes = 10.0;
    server.reportGame("sekai", 41);
    EXPECT_EQ(http.paths(),
              (QStringList{"/countx/sekai/count.php", "/count1/countersekai/40/count.php",
                           "/countx/sekai/count.php"}));
}

// Replies longer than the program ever needs are dropped while they arrive, and the attempt
// counts as failed: an endless notice does not fill the memory, and the server sees the client
// stop reading long before the end.
TEST(ServerAccess, AnEndlessNoticeIsAFailedAttemptAndIsNotKept)
{
    constexpr qint64 endless = qint64(64) << 20;
    LoopbackServer http([&](const QString &, int) {
        LoopbackReply reply;
        reply.streamed = endless;
        return reply;
    });
    CurlHttpClient curl(std::chrono::milliseconds(500), std::chrono::milliseconds(5000));
    SystemClock clock;
    ServerAccess server(curl, clock, http.baseUrl(), std::chrono::seconds(3));
    EXPECT_TRUE(server.fetchNotice().isEmpty());
    EXPECT_GE(server.lastAttempts(), 2);

    const QList<qint64> sent = http.streamedBytes();
    ASSERT_EQ(sent.size(), http.requestCount());
    for (const qint64 bytes : sent)
        EXPECT_LT(bytes, endless / 2);
}

TEST(ServerAccess, FilesAreKeptUpToTheirLimitAndNoFurther)
{
    const qsizetype histogramLimit = 64 * 1024;
    LoopbackServer http([&](const QString &path, int) {
        if (path == "/kokki/naiyou.txt")
            return LoopbackReply{200, QByteArray(ServerAccess::maxFileBytes, 'g')};
        if (path == "/kokki/oshirase.txt")
            return LoopbackReply{200, QByteArray(ServerAccess::maxFileBytes + 1, 'g')};
        if (path == "/kokki/europe.csv")
            return LoopbackReply{200, QByteArray(histogramLimit, '1')};
        return LoopbackReply{200, QByteArray(65 * 1024, '1')};
    });
    CurlHttpClient curl(std::chrono::milliseconds(500), std::chrono::milliseconds(2000));
    SystemClock clock;
    ServerAccess server(curl, clock, http.baseUrl(), std::chrono::seconds(3));

    EXPECT_EQ(server.fetchServerFile("naiyou.txt").size(), ServerAccess::maxFileBytes);
    EXPECT_EQ(server.fetchHistogram("europe").size(), histogramLimit);
    EXPECT_TRUE(server.fetchNotice().isEmpty());
    EXPECT_GE(server.lastAttempts(), 2);
    EXPECT_TRUE(server.fetchHistogram("sekai").isEmpty());
    EXPECT_GE(server.lastAttempts(), 2);
    EXPECT_EQ(http.paths().last(), "/kokki/sekai.csv");
}
