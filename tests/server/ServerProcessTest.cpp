// furamio-server as the game meets it: the real binary on a free loopback port, a fresh data
// folder per test, and the game's own client code on the other end.

#include "ServerProcess.h"
#include "CurlHttpClient.h"
#include "NoticeCodec.h"
#include "PendingReports.h"
#include "RawConnection.h"
#include "ScoreHistogram.h"
#include "ServerAccess.h"
#include "SystemClock.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QFile>

#include <csignal>
#include <fstream>
#include <numeric>
#include <sys/wait.h>
#include <thread>

namespace {

const std::vector<std::string> regionKeys{"asia&taiyou", "europe", "america", "chuutou&africa",
                                          "sekai"};

// The status line of the first reply to a request no well-behaved client would make.
std::string rawStatus(int port, const std::string &request)
{
    RawConnection connection(port);
    connection.send(request); // the server may hang up before reading it all
    return RawConnection::statusLine(connection.readReply(std::chrono::seconds(3)));
}

long long sum(const std::vector<long long> &numbers)
{
    return std::accumulate(numbers.begin(), numbers.end(), 0LL);
}

class Game
{
public:
    explicit Game(const std::string &baseUrl,
                  std::chrono::seconds fetchDeadline = std::chrono::seconds(5))
        : access(http, clock, QString::fromStdString(baseUrl), fetchDeadline)
    {
    }
    explicit Game(const ServerProcess &server) : Game(server.baseUrl()) {}

    // The histogram as the game reads it, scores 1 to 500 from index 0 on.
    std::vector<long long> histogram(const std::string &region)
    {
        const QString text = access.fetchServerFile(QString::fromStdString(region) + ".csv");
        const ScoreHistogram::Reading reading = ScoreHistogram::read(text);
        EXPECT_TRUE(reading.complete()) << text.left(200).toStdString();
        return std::vector<long long>(reading.counts.begin() + 1, reading.counts.end());
    }

    // What the game sends after rating a score.
    void report(const std::string &region, int score)
    {
        access.reportGame(QString::fromStdString(region), score);
    }

    CurlHttpClient http{std::chrono::seconds(2), std::chrono::seconds(5)};
    SystemClock clock;
    ServerAccess access;
};

class ServerProcessTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The client must talk to the loopback port itself, whatever the environment says.
        for (const char *name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
    }

    std::string dataDir() const { return dir.str() + "/data"; }

    TempDir dir;
};

TEST_F(ServerProcessTest, TheGamesClientReadsNoticeNewsAndHistogramsAndIsCounted)
{
    ServerProcess server(dataDir());
    Game game(server);

    EXPECT_EQ(game.access.fetchNotice(), "<no news>");
    EXPECT_EQ(game.access.lastAttempts(), 1);

    for (const std::string &region : regionKeys) {
        SCOPED_TRACE(region);
        const auto before = game.histogram(region);
        ASSERT_EQ(before.size(), 500U);
        EXPECT_EQ(sum(before), 0);
        game.report(region, 295);
        game.report(region, 0); // counted, but has no place in the histogram
        game.report(region, 500);
        const auto after = game.histogram(region);
        ASSERT_EQ(after.size(), 500U);
        EXPECT_EQ(after[294], 1);
        EXPECT_EQ(after[499], 1);
        EXPECT_EQ(sum(after), 2);
    }
    // The histogram has CR LF line ends and nothing else.
    httplib::Client raw("127.0.0.1", server.port());
    const auto reply = raw.Get("/kokki/europe.csv");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->get_header_value("Content-Type"), "text/plain; charset=us-ascii");
    EXPECT_EQ(reply->body.substr(0, 6), "0\r\n0\r\n");
    EXPECT_EQ(reply->body.size(), 499 * 3 + 3U);

    // News published while the server runs is seen by the next start of the game.
    std::ofstream(dir.path() / "news.txt") << "ﾌﾗﾐｵ 2.0 を公開しました。\r\n新しい国旗: 12\r\n";
    std::string errors;
    ASSERT_EQ(
        ServerProcess::run(
            {"notice", "--data", dataDir(), "--text", (dir.path() / "news.txt").string()}, &errors),
        0)
        << errors;
    EXPECT_TRUE(game.access.fetchNotice().contains("oshirase"));
    EXPECT_EQ(NoticeCodec::decode(game.access.fetchServerFile("naiyou.txt")),
              QString::fromUtf8("ﾌﾗﾐｵ 2.0 を公開しました。\r\n新しい国旗: 12\r\n"));

    ASSERT_EQ(ServerProcess::run({"notice", "--data", dataDir(), "--clear"}), 0);
    EXPECT_EQ(game.access.fetchNotice(), "<no news>");
    EXPECT_EQ(WEXITSTATUS(server.stop(SIGTERM)), 0);
}

TEST_F(ServerProcessTest, ParallelReportsAddUpExactly)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
    constexpr int clients = 8;
    constexpr int reportsEach = 1000;
    std::atomic<int> answered{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", server.port());
            client.set_keep_alive(true);
            for (int i = 0; i < reportsEach; ++i) {
                const int score = 1 + (c * reportsEach + i) % 500;
                const std::string path =
                    "/count1/counterasia&taiyou/" + std::to_string(score) + "/count.php";
                const auto reply = client.Get(path);
                if (reply && reply->status == 200)
                    ++answered;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(answered, clients * reportsEach);

    Game game(server);
    const auto histogram = game.histogram("asia&taiyou");
    ASSERT_EQ(histogram.size(), 500U);
    EXPECT_EQ(sum(histogram), clients * reportsEach);
    EXPECT_EQ(histogram[0], clients * reportsEach / 500);
    EXPECT_EQ(histogram[499], clients * reportsEach / 500);
}

TEST_F(ServerProcessTest, AnsweredReportsSurviveKillNineAndRestart)
{
    int answered = 0;
    {
        ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
        httplib::Client client("127.0.0.1", server.port());
        client.set_keep_alive(true);
        for (int i = 0; i < 300; ++i) {
            const auto reply =
                client.Get("/count1/countereurope/" + std::to_string(1 + i % 3) + "/count.php");
            if (reply && reply->status == 200)
                ++answered;
        }
        const int status = server.stop(SIGKILL); // right after the last reply
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    ServerProcess restarted(dataDir());
    Game game(restarted);
    const auto histogram = game.histogram("europe");
    ASSERT_EQ(histogram.size(), 500U);
    EXPECT_EQ(answered, 300);
    EXPECT_EQ(histogram[0], 100);
    EXPECT_EQ(histogram[1], 100);
    EXPECT_EQ(histogram[2], 100);
    EXPECT_EQ(sum(histogram), answered);
}

TEST_F(ServerProcessTest, BadRequestsAreRefusedAndChangeNothing)
{
    std::ofstream(dir.path() / "secret.txt") << "secret";
    ServerProcess server(dataDir());
    std::filesystem::create_symlink(dir.path() / "secret.txt",
                                    std::filesystem::path(dataDir()) / "kokki" / "naiyou.txt");
    httplib::Client client("127.0.0.1", server.port());
    const auto snapshot = [&] {
        std::string all;
        for (const std::string &region : regionKeys)
            all += client.Get("/kokki/" + region + ".csv")->body;
        return all;
    };
    const std::string before = snapshot();

    for (const std::string score : {"501", "-1", "1e3", "29x", "", "0500", "5.0"})
        EXPECT_EQ(client.Get("/count1/countereurope/" + score + "/count.php")->status, 404)
            << score;
    for (const std::string region : {"japan", "Europe", "asia", "europe/..", "", "asia%00"}) {
        const auto game = client.Get("/countx/" + region + "/count.php");
        const auto score = client.Get("/count1/counter" + region + "/5/count.php");
        EXPECT_TRUE(game->status == 404 || game->status == 400) << region;
        EXPECT_TRUE(score->status == 404 || score->status == 400) << region;
    }
    const int port = server.port();
    const std::pair<const char *, const char *> refusals[] = {
        {"/kokki/../counts.sqlite3", "HTTP/1.1 400 Bad Request"},
        {"/kokki/%2e%2e/counts.sqlite3", "HTTP/1.1 400 Bad Request"},
        {"/kokki/%2e%2e/secret.txt", "HTTP/1.1 400 Bad Request"},
        {"/kokki/oshirase.txt%00.csv", "HTTP/1.1 400 Bad Request"},
        {"//kokki/oshirase.txt", "HTTP/1.1 404 Not Found"},
        {"/kokki/naiyou.txt", "HTTP/1.1 404 Not Found"}, // a link, not a file
        {"/counts.sqlite3", "HTTP/1.1 404 Not Found"},
    };
    const auto statusOf = [&](const std::string &target) {
        return rawStatus(port,
                         "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    };
    for (const auto &[target, status] : refusals)
        EXPECT_EQ(statusOf(target), status) << target;
    EXPECT_EQ(statusOf("/" + std::string(100 * 1024, 'a')).substr(0, 12), "HTTP/1.1 414");
    const std::string bigHeader = "X-Filler: " + std::string(1 << 20, 'a') + "\r\n";
    std::string manyHeaders;
    for (int i = 0; manyHeaders.size() < (1 << 20); ++i)
        manyHeaders += "X-Filler-" + std::to_string(i) + ": " + std::string(1000, 'a') + "\r\n";
    for (const std::string &headers : {bigHeader, manyHeaders}) {
        const std::string status = rawStatus(
            port, "GET /countx/europe/count.php HTTP/1.1\r\nHost: x\r\n" + headers + "\r\n");
        EXPECT_TRUE(status.substr(0, 12) == "HTTP/1.1 400" ||
                    status.substr(0, 12) == "HTTP/1.1 431")
            << status;
    }
    EXPECT_EQ(rawStatus(port, "POST /countx/europe/count.php HTTP/1.1\r\nHost: x\r\n"
                              "Content-Length: 3\r\n\r\nabc"),
              "HTTP/1.1 405 Method Not Allowed");
    EXPECT_EQ(rawStatus(port, "HEAD /countx/europe/count.php HTTP/1.1\r\nHost: x\r\n\r\n"),
              "HTTP/1.1 405 Method Not Allowed");

    EXPECT_TRUE(server.running());
    EXPECT_EQ(client.Get("/kokki/oshirase.txt")->body, "<no news>");
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(client.Get("/countx/europe/count.php")->body, "1\r\n"); // nothing counted before
}

TEST_F(ServerProcessTest, ReportsOverTheCapAreRefusedAndNotCounted)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "5"});
    Game game(server);
    httplib::Client client("127.0.0.1", server.port());
    std::vector<int> statuses;
    for (int i = 0; i < 8; ++i)
        statuses.push_back(client.Get("/count1/countersekai/250/count.php")->status);
    EXPECT_EQ(statuses, (std::vector<int>{200, 200, 200, 200, 200, 429, 429, 429}));
    const auto refused = client.Get("/countx/sekai/count.php");
    EXPECT_EQ(refused->status, 429);
    EXPECT_FALSE(refused->get_header_value("Retry-After").empty());
    EXPECT_EQ(game.histogram("sekai")[249], 5);
    // Fetching is not reporting: the histogram and the notice stay open.
    EXPECT_EQ(game.access.fetchNotice(), "<no news>");
}

TEST_F(ServerProcessTest, StartsStopsAndGuardsItsDataFolder)
{
    ServerProcess server(dataDir());
    EXPECT_THROW(ServerProcess second(dataDir()), std::runtime_error); // folder is in use
    httplib::Client client("127.0.0.1", server.port());
    ASSERT_EQ(client.Get("/count1/counteramerica/77/count.php")->status, 200);
    const int status = server.stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string log = server.log();
    EXPECT_NE(log.find("GET \"/count1/counteramerica/77/count.php\" 200"), std::string::npos)
        << log;
    EXPECT_NE(log.find("stopped"), std::string::npos);

    std::string errors;
    EXPECT_EQ(ServerProcess::run({"--listen", "nonsense"}, &errors), 2);
    EXPECT_EQ(ServerProcess::run({"notice", "--data", dataDir()}, &errors), 2);
    EXPECT_EQ(ServerProcess::run({"--data", dataDir(), "--threads", "0"}, &errors), 2);
}

} // namespace

namespace {

// Passes each request on to the server and drops its reply once it has come whole: the game
// sees no answer although the server counted.
class ReplyDropper
{
public:
    explicit ReplyDropper(int serverPort) : m_serverPort(serverPort)
    {
        m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(m_listenFd, 16);
        socklen_t size = sizeof address;
        getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~ReplyDropper()
    {
        shutdown(m_listenFd, SHUT_RDWR);
        m_thread.join();
        close(m_listenFd);
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

private:
    static std::string readHead(int fd)
    {
        std::string bytes;
        char c = 0;
        while (bytes.find("\r\n\r\n") == std::string::npos && recv(fd, &c, 1, 0) == 1)
            bytes.push_back(c);
        return bytes;
    }
    void run()
    {
        for (;;) {
            const int client = accept(m_listenFd, nullptr, nullptr);
            if (client < 0)
                return;
            const std::string request = readHead(client);
            RawConnection upstream(m_serverPort);
            upstream.send(request);
            upstream.readReply(); // the count is committed by now
            close(client);
        }
    }

    int m_serverPort;
    int m_listenFd = -1;
    int m_port = 0;
    std::thread m_thread;
};

struct Counts
{
    long long games = 0;
    long long scores = 0;
    bool operator==(const Counts &) const = default;
};

// What the server holds for a region: the game counter and the histogram's sum. The game
// counter is read by counting one more game, taken off here but not on the server, so each
// look adds one to what the next look sees.
Counts countsOf(const ServerProcess &server, const std::string &region)
{
    httplib::Client client("127.0.0.1", server.port());
    Counts counts;
    const auto games = client.Get("/countx/" + region + "/count.php");
    counts.games = games ? std::stoll(games->body) - 1 : -1;
    Game game(server);
    counts.scores = sum(game.histogram(region));
    return counts;
}

} // namespace

TEST_F(ServerProcessTest, AReportThatGotNoAnswerIsSentAtTheNextStartAndCountedOnce)
{
    const QString dataPath = QString::fromStdString(dir.str());
    const QString pendingFile = KeptReports::path(dataPath);
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
    {
        // Counted, but the reply never reached the game.
        ReplyDropper dropper(server.port());
        Game unanswered(dropper.baseUrl(), std::chrono::seconds(30));
        PendingReports(unanswered.access, KeptReports(dataPath)).report("europe", 295);
        EXPECT_EQ(PendingReports(unanswered.access, KeptReports(dataPath)).games().size(), 1);
    }
    // The game counter counted; the score was not sent after a request without an answer.
    EXPECT_EQ(countsOf(server, "europe"), (Counts{1, 0}));
    {
        Game game(server);
        EXPECT_EQ(PendingReports(game.access, KeptReports(dataPath)).sendAgain(), 1);
        EXPECT_FALSE(QFile::exists(pendingFile));
    }
    EXPECT_EQ(countsOf(server, "europe"), (Counts{2, 1})) << "the game counted once";
    const int port = server.port();
    server.stop(SIGTERM);

    // Made while the server is down: kept, never more than the newest 50, and counted once it
    // is back.
    {
        Game down("http://127.0.0.1:" + std::to_string(port) + "/", std::chrono::seconds(30));
        PendingReports pending(down.access, KeptReports(dataPath));
        for (int score = 1; score <= 60; ++score)
            pending.report("sekai", score);
        const QList<PendingReports::Game> kept = pending.games();
        ASSERT_EQ(kept.size(), PendingReports::maxGames);
        EXPECT_EQ(kept.front().score, 11);
        EXPECT_EQ(kept.back().score, 60);
        QFile file(pendingFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count("\r\n"), PendingReports::maxGames);
        EXPECT_TRUE(bytes.startsWith("sekai,11,")) << bytes.left(40).toStdString();
    }
    // All of them, 100 requests at one start, under the default cap.
    {
        ServerProcess restarted(dataDir());
        Game game(restarted);
        EXPECT_EQ(PendingReports(game.access, KeptReports(dataPath)).sendAgain(), PendingReports::maxGames);
        EXPECT_FALSE(QFile::exists(pendingFile));
        EXPECT_EQ(countsOf(restarted, "sekai"), (Counts{50, 50}));
        EXPECT_EQ(countsOf(restarted, "europe"), (Counts{3, 1}));
    }

    // Under a cap they do not fit in, what is over it (429) waits for a later start.
    {
        Game down("http://127.0.0.1:" + std::to_string(port) + "/", std::chrono::seconds(30));
        for (int score = 1; score <= PendingReports::maxGames; ++score)
            PendingReports(down.access, KeptReports(dataPath)).report("america", score);
    }
    int counted = 0;
    for (int start = 1; start <= 3; ++start) {
        ServerProcess capped(dataDir(), {"--max-reports-per-minute", "20"});
        Game game(capped);
        PendingReports pending(game.access, KeptReports(dataPath));
        counted += pending.sendAgain();
        EXPECT_EQ(counted, std::min(20 * start, PendingReports::maxGames));
        EXPECT_EQ(pending.games().size(), PendingReports::maxGames - counted);
    }
    EXPECT_FALSE(QFile::exists(pendingFile));
    ServerProcess last(dataDir(), {"--max-reports-per-minute", "0"});
    EXPECT_EQ(countsOf(last, "america"), (Counts{50, 50}));
}
