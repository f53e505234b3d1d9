// furamio-server against clients that are slow, greedy, broken or hostile, and against a data
// folder that runs out of space: the real binary on a loopback port, driven over raw sockets.

#include "CounterStore.h"
#include "RawConnection.h"
#include "ServerProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <random>
#include <regex>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const std::string countGame = "GET /countx/europe/count.php HTTP/1.1\r\nHost: x\r\n";

// Resident memory of a process, in KB.
long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

class HostileClientTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { raiseDescriptorLimit(); }

    std::string dataDir() const { return dir.str() + "/data"; }

    // The counts as the database holds them, read after the server has stopped.
    std::int64_t storedReports(std::initializer_list<std::string> regions)
    {
        CounterStore store(dataDir() + "/counts.sqlite3");
        std::int64_t total = 0;
        for (const std::string &region : regions) {
            total += store.games(region);
            for (std::int64_t n : store.scoreCounts(region))
                total += n;
        }
        return total;
    }

    TempDir dir;
};

// The loopback address of attacker n, one address for every `perAddress` of them.
std::string attacker(int n, int perAddress)
{
    return "127.0.1." + std::to_string(1 + n / perAddress);
}

TEST_F(HostileClientTest, SlowAndIdleConnectionsDoNotHoldUpOthersAndSlowOnesAreDropped)
{
    ServerProcess server(dataDir());
    // More stalled connections than a thread-per-connection server has threads, each sending
    // a byte now and then so that no read ever times out, and more idle ones besides, from
    // addresses that each keep within their share.
    std::vector<std::unique_ptr<RawConnection>> slow, idle;
    for (int i = 0; i < 64; ++i)
        slow.push_back(std::make_unique<RawConnection>(server.port(), attacker(i, 32)));
    for (int i = 0; i < 500; ++i)
        idle.push_back(std::make_unique<RawConnection>(server.port(), attacker(64 + i, 32)));
    std::atomic<bool> done{false};
    std::thread dribble([&] {
        const std::string endless = countGame + "X-Slow: " + std::string(4096, 'a');
        for (size_t i = 0; !done && i < endless.size(); ++i) {
            for (auto &connection : slow)
                connection->send(endless.substr(i, 1));
            std::this_thread::sleep_for(500ms);
        }
    });

    // A player's request meanwhile is answered, before the game's own 10 s run out.
    httplib::Client player("127.0.0.1", server.port());
    player.set_read_timeout(10, 0);
    const auto reply = player.Get("/kokki/oshirase.txt");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->body, "<no news>");

    // A request that never arrives whole is cut off after 10 s, long before the half hour the
    // dribble would take to reach the header limit.
    EXPECT_TRUE(slow.front()->waitForClose(20s));
    done = true;
    dribble.join();
    EXPECT_TRUE(server.running());
}

TEST_F(HostileClientTest, OneAddressHoldingThousandsOfConnectionsShutsNoOneElseOut)
{
    ServerProcess server(dataDir());
    // More idle connections than the server serves at once, from one address, each one that
    // is closed opened again at once.
    std::vector<int> flood(4200, -1);
    std::atomic<bool> done{false};
    std::atomic<int> reopened{0};
    std::thread attack([&] {
        sockaddr_in from{}, to{};
        from.sin_family = to.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.1.1", &from.sin_addr);
        inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
        to.sin_port = htons(static_cast<uint16_t>(server.port()));
        while (!done) {
            for (int &fd : flood) {
                char byte = 0;
                if (fd >= 0 && recv(fd, &byte, 1, MSG_DONTWAIT) != 0)
                    continue; // still open
                if (fd >= 0)
                    close(fd);
                fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                if (bind(fd, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0 ||
                    connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
                    close(fd);
                    fd = -1;
                }
                ++reopened;
            }
        }
        for (int fd : flood)
            if (fd >= 0)
                close(fd);
    });
    while (reopened < 2 * 4200)
        std::this_thread::sleep_for(50ms);
    int answered = 0;
    for (int i = 0; i < 50; ++i) {
        httplib::Client player("127.0.0.1", server.port());
        player.set_read_timeout(10, 0);
        const auto reply = player.Get("/kokki/oshirase.txt");
        answered += reply && reply->status == 200;
    }
    done = true;
    attack.join();
    EXPECT_EQ(answered, 50);
    EXPECT_TRUE(server.running());
}

TEST_F(HostileClientTest, AnEndlessHeaderBlockIsRefusedWhileItIsRead)
{
    ServerProcess server(dataDir());
    std::this_thread::sleep_for(200ms);
    const long before = residentKb(server.pid());
    RawConnection flood(server.port());
    ASSERT_TRUE(flood.send(countGame));
    const std::string lines = [] {
        std::string chunk;
        for (int i = 0; chunk.size() < 64 * 1024; ++i)
            chunk += "X-" + std::to_string(i) + ": a\r\n";
        return chunk;
    }();
    size_t sent = 0;
    while (sent < (64u << 20) && flood.send(lines))
        sent += lines.size();
    const long after = residentKb(server.pid());
    EXPECT_LT(sent, 64u << 20) << "the server read 64 MB of headers";
    EXPECT_LT(after - before, 5 * 1024) << before << " KB before, " << after << " KB after";
    const std::string status = RawConnection::statusLine(flood.readToEnd(5s));
    EXPECT_TRUE(status.empty() || status.substr(9, 3) == "431" || status.substr(9, 3) == "400")
        << status;

    httplib::Client check("127.0.0.1", server.port());
    EXPECT_EQ(check.Get("/countx/europe/count.php")->body, "1\r\n"); // nothing counted before
}

TEST_F(HostileClientTest, RangeNeverMakesAReplyLargerThanTheFile)
{
    ServerProcess server(dataDir());
    const std::string news(1 << 20, 'g');
    std::ofstream(dataDir() + "/kokki/naiyou.txt", std::ios::binary) << news;
    std::string ranges = "bytes=0-1048575";
    for (int i = 0; i < 100; ++i)
        ranges += ",0-1048575";
    for (const std::string &range : {ranges, std::string("bytes=5-9"), std::string("bytes=-1")}) {
        RawConnection connection(server.port());
        connection.send("GET /kokki/naiyou.txt HTTP/1.1\r\nHost: x\r\nRange: " + range +
                        "\r\nConnection: close\r\n\r\n");
        const std::string reply = connection.readToEnd();
        const std::string status = RawConnection::statusLine(reply);
        if (status == "HTTP/1.1 200 OK")
            EXPECT_TRUE(RawConnection::body(reply) == news) << range.substr(0, 40);
        else
            EXPECT_EQ(status.substr(0, 12), "HTTP/1.1 416");
        EXPECT_LE(RawConnection::body(reply).size(), news.size());
    }
}

TEST_F(HostileClientTest, ABurstBesideIdleConnectionsIsAnsweredInFull)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (int i = 0; i < 1000; ++i)
        idle.push_back(std::make_unique<RawConnection>(server.port(), attacker(i, 50)));
    // 1,000 one-shot requests of players connected at once, before any reply is read.
    std::vector<std::unique_ptr<RawConnection>> burst;
    for (int i = 0; i < 1000; ++i)
        burst.push_back(std::make_unique<RawConnection>(server.port(), attacker(1000 + i, 50)));
    for (auto &connection : burst)
        connection->send(countGame + "Connection: close\r\n\r\n");
    int answered = 0;
    for (auto &connection : burst)
        answered += RawConnection::statusLine(connection->readToEnd()) == "HTTP/1.1 200 OK";
    EXPECT_EQ(answered, 1000);
    server.stop(SIGTERM);
    EXPECT_EQ(storedReports({"europe"}), answered);
}

TEST_F(HostileClientTest, ErrorsCloseTheConnectionAndPipelinedOrHalfClosedRequestsAreAnswered)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
    int answeredCounts = 0;
    {
        // A counter request behind a 404 on the same connection is not taken.
        RawConnection connection(server.port());
        connection.send("GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n" + countGame + "\r\n");
        const std::string reply = connection.readToEnd();
        EXPECT_EQ(RawConnection::statusLine(reply), "HTTP/1.1 404 Not Found");
        EXPECT_TRUE(connection.closed());
        EXPECT_EQ(reply.find("HTTP/1.1 200"), std::string::npos);
    }
    {
        // Pipelined reports: each is answered in order, or the connection ends after one.
        RawConnection connection(server.port());
        connection.send(countGame + "\r\n" + countGame + "\r\n" + countGame +
                        "Connection: close\r\n\r\n");
        const std::string replies = connection.readToEnd();
        std::vector<std::string> counts;
        const std::regex count("HTTP/1.1 200 OK\r\n[\\s\\S]*?\r\n\r\n([0-9]+)\r\n");
        for (auto it = std::sregex_iterator(replies.begin(), replies.end(), count);
             it != std::sregex_iterator(); ++it)
            counts.push_back((*it)[1]);
        ASSERT_FALSE(counts.empty());
        for (size_t i = 0; i < counts.size(); ++i)
            EXPECT_EQ(counts[i], std::to_string(i + 1));
        answeredCounts += static_cast<int>(counts.size());
    }
    for (int i = 0; i < 50; ++i) {
        // The whole request, then the sending side closed: still answered.
        RawConnection connection(server.port());
        connection.send(countGame + "\r\n");
        connection.shutdownWrite();
        answeredCounts += RawConnection::statusLine(connection.readToEnd()) == "HTTP/1.1 200 OK";
    }
    server.stop(SIGTERM);
    EXPECT_EQ(answeredCounts, storedReports({"europe"}));
    EXPECT_GE(answeredCounts, 51);
}

TEST_F(HostileClientTest, BrokenFramingIsRefusedClosedAndNotCounted)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
    // Each is followed by a body that is a counter report of its own, should a reader take it
    // for the next request.
    const std::string counted = "GET /countx/europe/count.php HTTP/1.1\r\nHost: x\r\n";
    const std::vector<std::string> requests{
        counted + "Content-Length: -5\r\n",
        counted + "Content-Length: five\r\n",
        counted + "Content-Length: 0x0\r\n",
        counted + "Content-Length: 0\r\nContent-Length: 0\r\n",
        counted + "Content-Length: 3\r\nTransfer-Encoding: chunked\r\n",
        counted + "Transfer-Encoding: gzip\r\n",
        counted + "Transfer-Encoding: chunked, identity\r\n",
        counted + "Content-Length : 5\r\n",
        counted + "Content-Length\t: 5\r\n",
        counted + "Content-Length\x0b: 61\r\n",
        counted + "Content-Length:\r\n 61\r\n",
        counted + "X-Folded: a\r\n\tb\r\n",
        counted + "X-Bare: a\nContent-Length: 0\r\n",
        counted + std::string("X-Nul: a\0b\r\n", 12),
        counted + std::string("X-\0: a\r\n", 8),
        counted + "X-Bell: a\x07\r\n",
        counted + "Host: y\r\n",
        counted + "host: x\r\n",
        "GET /countx/europe%2fcount.php HTTP/1.1\r\nHost: x\r\n",
        "GET /countx/europe%2Fcount.php HTTP/1.1\r\nHost: x\r\n",
        "GET /count1/countereurope%5C5/count.php HTTP/1.1\r\nHost: x\r\n",
    };
    for (const std::string &request : requests) {
        SCOPED_TRACE(request);
        RawConnection connection(server.port());
        connection.send(request + "\r\n0\r\n\r\n" + countGame + "\r\n");
        const std::string reply = connection.readToEnd();
        EXPECT_EQ(RawConnection::statusLine(reply), "HTTP/1.1 400 Bad Request");
        EXPECT_TRUE(connection.closed());
        EXPECT_EQ(reply.find("HTTP/1.1 200"), std::string::npos);
    }
    server.stop(SIGTERM);
    EXPECT_EQ(storedReports({"europe"}), 0);
}

TEST_F(HostileClientTest, ConnectionsOverTheCapAreTurnedAwayAndABurstGivesItsMemoryBack)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0", "--max-connections", "3000"});
    {
        httplib::Client warm("127.0.0.1", server.port());
        ASSERT_TRUE(warm.Get("/kokki/europe.csv"));
    }
    std::this_thread::sleep_for(500ms);
    const long idle = residentKb(server.pid());
    int answered = 0;
    for (int burst = 0; burst < 3; ++burst) {
        long peak = 0;
        {
            std::vector<std::unique_ptr<RawConnection>> open;
            for (int i = 0; i < 3000; ++i)
                open.push_back(std::make_unique<RawConnection>(server.port(), attacker(i, 50)));
            // Half a request on each, so that every connection holds its buffers.
            for (auto &connection : open)
                connection->send(countGame);
            // The server's two threads take connections in at once, so the last few may be
            // counted in either order; a moment later every one of them is in.
            std::this_thread::sleep_for(500ms);
            peak = residentKb(server.pid());
            // One more than the cap is answered 503 at once and not counted.
            RawConnection over(server.port(), attacker(3000, 50));
            over.send(countGame + "\r\n");
            const std::string refused = over.readToEnd(5s);
            EXPECT_EQ(RawConnection::statusLine(refused), "HTTP/1.1 503 Service Unavailable");
            EXPECT_TRUE(over.closed());
            for (auto &connection : open)
                connection->send("Connection: close\r\n\r\n");
            for (auto &connection : open)
                answered += RawConnection::statusLine(connection->readToEnd()) == "HTTP/1.1 200 OK";
        }
        long after = residentKb(server.pid());
        const auto end = std::chrono::steady_clock::now();
        while (after >= 2 * idle && std::chrono::steady_clock::now() - end < 10s) {
            std::this_thread::sleep_for(250ms);
            after = residentKb(server.pid());
        }
        std::cout << "[ figure ] burst " << burst + 1 << " of 3,000: " << idle << " KB idle, "
                  << peak << " KB at its height, " << after << " KB after\n";
        EXPECT_LT(after, 2 * idle) << "burst " << burst + 1;
    }
    EXPECT_EQ(answered, 3 * 3000);
    server.stop(SIGTERM);
    EXPECT_EQ(storedReports({"europe"}), answered);
}

TEST_F(HostileClientTest, TheCapFollowsTheClientNamedByATrustedProxyOnly)
{
    const auto reportAs = [](int port, const std::string &forwardedFor) {
        RawConnection connection(port);
        connection.send(countGame + "X-Forwarded-For: " + forwardedFor +
                        "\r\nConnection: close\r\n\r\n");
        return RawConnection::statusLine(connection.readToEnd()).substr(9, 3);
    };
    {
        ServerProcess proxied(dataDir(), {"--max-reports-per-minute", "2", "--trusted-proxy", "::1",
                                          "--trusted-proxy", "127.0.0.1"});
        const int port = proxied.port();
        EXPECT_EQ(reportAs(port, "10.0.0.1"), "200");
        EXPECT_EQ(reportAs(port, "10.0.0.1"), "200");
        EXPECT_EQ(reportAs(port, "10.0.0.1"), "429");
        EXPECT_EQ(reportAs(port, "10.0.0.2"), "200");
        // A client cannot pick its name: the proxy appends the address it saw.
        EXPECT_EQ(reportAs(port, "10.0.0.3, 10.0.0.1"), "429");
        EXPECT_EQ(reportAs(port, "10.0.0.1, 127.0.0.1, 10.0.0.4"), "200");
    }
    ServerProcess direct(dir.str() + "/direct", {"--max-reports-per-minute", "2"});
    EXPECT_EQ(reportAs(direct.port(), "10.0.0.1"), "200");
    EXPECT_EQ(reportAs(direct.port(), "10.0.0.2"), "200");
    EXPECT_EQ(reportAs(direct.port(), "10.0.0.3"), "429"); // the header is not believed

    std::string errors;
    EXPECT_EQ(
        ServerProcess::run({"--data", dataDir(), "--trusted-proxy", "proxy.example"}, &errors), 2);
}

TEST_F(HostileClientTest, ThePublisherRefusesWhatPlayersCouldNeverRead)
{
    const std::string text = (dir.path() / "news.txt").string();
    std::ofstream(text) << "お知らせ\r\n";
    std::string errors;
    // A mistyped folder is refused, not created.
    EXPECT_EQ(ServerProcess::run({"notice", "--data", dataDir(), "--text", text}, &errors), 1);
    EXPECT_FALSE(std::filesystem::exists(dataDir()));
    ASSERT_EQ(
        ServerProcess::run({"notice", "--data", dataDir(), "--create", "--text", text}, &errors), 0)
        << errors;

    std::ofstream(text, std::ios::binary) << std::string(300000, 'a'); // 1.2 MB encoded
    EXPECT_EQ(ServerProcess::run({"notice", "--data", dataDir(), "--text", text}, &errors), 1);
    std::ofstream(text, std::ios::binary) << std::string("a\0b", 3);
    EXPECT_EQ(ServerProcess::run({"notice", "--data", dataDir(), "--text", text}, &errors), 1);

    // What a publisher killed before its rename left behind goes with the next run.
    const std::string leftover = dataDir() + "/kokki/.naiyou.txt.4194305.tmp";
    std::ofstream(leftover) << "half";
    ASSERT_EQ(ServerProcess::run({"notice", "--data", dataDir(), "--clear"}, &errors), 0);
    EXPECT_FALSE(std::filesystem::exists(leftover));

    // The news that is up is still the one published.
    ServerProcess server(dataDir());
    httplib::Client client("127.0.0.1", server.port());
    EXPECT_EQ(client.Get("/kokki/oshirase.txt")->body, "<no news>");
    EXPECT_EQ(client.Get("/kokki/naiyou.txt")->body.size(), 4 * 6U);
}

// The replies in a stream that answer a counter report: 200 with a body of one number.
int countReplies(const std::string &stream)
{
    int counts = 0;
    size_t at = 0;
    while (at < stream.size()) {
        const size_t headEnd = stream.find("\r\n\r\n", at);
        if (headEnd == std::string::npos)
            break;
        const std::string head = stream.substr(at, headEnd - at);
        const size_t field = head.find("Content-Length: ");
        const size_t length =
            field == std::string::npos ? 0 : std::strtoull(head.c_str() + field + 16, nullptr, 10);
        const std::string body = stream.substr(headEnd + 4, length);
        static const std::regex number("[0-9]+\r\n");
        if (head.rfind(" 200 OK", 12) == 8 && std::regex_match(body, number))
            ++counts;
        at = headEnd + 4 + length;
    }
    return counts;
}

// A folder of `size` on a memory file system, in a mount namespace of this test process alone
// (its children, the server included, see it too). Root may make one directly; anyone else
// through a user namespace of their own, where the kernel allows that.
bool mountSmallFolder(const std::string &path, const std::string &size, std::string *why)
{
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWNS) != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            *why = std::string("no mount namespace: ") + std::strerror(errno);
            return false;
        }
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    mkdir(path.c_str(), 0755);
    if (mount("furamio-small", path.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) {
        *why = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// Writes until the file system is full; the file stays open so it can be given back.
class DiskFiller
{
public:
    explicit DiskFiller(const std::string &path) : m_path(path)
    {
        m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    ~DiskFiller() { release(); }
    void fill()
    {
        const std::string block(4096, 'x');
        while (write(m_fd, block.data(), block.size()) > 0) {
        }
        while (write(m_fd, "x", 1) > 0) {
        }
    }
    void release()
    {
        if (m_fd >= 0) {
            close(m_fd);
            unlink(m_path.c_str());
            m_fd = -1;
        }
    }

private:
    std::string m_path;
    int m_fd = -1;
};

TEST_F(HostileClientTest, ASmallDataFolderKeepsCountingAndAFullOneRecovers)
{
    std::string why;
    if (!mountSmallFolder(dataDir(), "2m", &why))
        GTEST_SKIP() << why;
    std::int64_t answered = 0;
    {
        ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
        httplib::Client client("127.0.0.1", server.port());
        client.set_keep_alive(true);
        for (int i = 0; i < 10000; ++i) {
            const auto reply =
                client.Get("/count1/countereurope/" + std::to_string(1 + i % 50) + "/count.php");
            ASSERT_TRUE(reply && reply->status == 200) << "report " << i;
            ++answered;
        }

        // Full: new scores need new pages. Reports are refused until space comes back.
        DiskFiller filler(dataDir() + "/filler");
        int refused = 0;
        for (int score = 0; score <= 500 && refused == 0; ++score) {
            filler.fill();
            for (const std::string region : {"sekai", "america", "asia&taiyou"}) {
                const auto reply = client.Get("/count1/counter" + region + "/" +
                                              std::to_string(score) + "/count.php");
                ASSERT_TRUE(reply);
                if (reply->status == 200)
                    ++answered;
                else if (reply->status == 503)
                    ++refused;
                else
                    FAIL() << reply->status;
            }
        }
        EXPECT_GT(refused, 0);
        filler.release();
        for (int i = 0; i < 100; ++i) {
            const auto reply = client.Get("/count1/countersekai/499/count.php");
            ASSERT_TRUE(reply && reply->status == 200);
            ++answered;
        }
        server.stop(SIGTERM);
    }
    EXPECT_EQ(storedReports({"europe", "sekai", "america", "asia&taiyou"}), answered);
    umount2(dataDir().c_str(), MNT_DETACH);
}

// Waits for `words` in the server's log; false when they have not come within a minute.
bool logSays(const ServerProcess &server, const std::string &words)
{
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (server.log().find(words) == std::string::npos) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

int backupsTaken(const std::string &log)
{
    int taken = 0;
    for (size_t at = log.find("backed up the counts"); at != std::string::npos;
         at = log.find("backed up the counts", at + 1))
        ++taken;
    return taken;
}

TEST_F(HostileClientTest, BackupsNeverTakeTheRoomCountingNeeds)
{
    std::string why;
    if (!mountSmallFolder(dataDir(), "2m", &why))
        GTEST_SKIP() << why;
    std::int64_t answered = 0;
    {
        // The default number of backups kept does not fit the folder; the reports' ids make
        // the database some 300 KB.
        ServerProcess server(dataDir(), {"--max-reports-per-minute", "0", "--backup-every", "1s"});
        httplib::Client client("127.0.0.1", server.port());
        client.set_keep_alive(true);
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (backupsTaken(server.log()) < 8 && std::chrono::steady_clock::now() < end) {
            for (int j = 0; j < 100; ++j, ++answered) {
                char id[17];
                std::snprintf(id, sizeof id, "%016llx",
                              static_cast<unsigned long long>(answered % 4000));
                const auto reply = client.Get("/count1/countereurope/" +
                                              std::to_string(1 + j % 50) + "/count.php?r=" + id);
                ASSERT_TRUE(reply && reply->status == 200) << "report " << answered;
            }
        }
        EXPECT_GE(backupsTaken(server.log()), 8) << server.log().substr(0, 2000);
        server.stop(SIGTERM);
    }
    // Each id counted once, however often it came.
    EXPECT_EQ(storedReports({"europe"}), std::min<std::int64_t>(answered, 4000));
    EXPECT_FALSE(std::filesystem::is_empty(dataDir() + "/backup"));
    umount2(dataDir().c_str(), MNT_DETACH);
}

TEST_F(HostileClientTest, ALastBackupIsTriedUntilThereIsRoomForIt)
{
    std::string why;
    if (!mountSmallFolder(dataDir(), "2m", &why))
        GTEST_SKIP() << why;
    std::int64_t answered = 0;
    {
        ServerProcess server(dataDir(), {"--max-reports-per-minute", "0", "--backup-every", "0"});
        httplib::Client client("127.0.0.1", server.port());
        for (int score = 1; score <= 500; ++score)
            answered += client.Get("/count1/countersekai/" + std::to_string(score) + "/count.php")
                            ->status == 200;
        ASSERT_EQ(answered, 500);

        // The disk full, then the database deleted: the running server holds the only copy.
        DiskFiller filler(dataDir() + "/filler");
        filler.fill();
        std::filesystem::remove(dataDir() + "/counts.sqlite3");
        ASSERT_TRUE(logSays(server, "holds the only copy")) << server.log();
        EXPECT_EQ(client.Get("/count1/countersekai/7/count.php")->status, 503);
        std::this_thread::sleep_for(3s); // a few tries more, in vain
        // Until the copy is taken, nothing says to stop the server.
        EXPECT_EQ(server.log().find("server stopped"), std::string::npos) << server.log();
        EXPECT_EQ(server.log().find("counts up to now were saved"), std::string::npos);
        filler.release();
        ASSERT_TRUE(logSays(server, "counts up to now were saved")) << server.log();
        EXPECT_NE(server.log().find("furamio-server restore --data " + dataDir()),
                  std::string::npos);
        server.stop(SIGTERM);
    }
    std::string errors;
    ASSERT_EQ(ServerProcess::run({"restore", "--data", dataDir()}, &errors), 0) << errors;
    EXPECT_EQ(storedReports({"sekai"}), answered);
    umount2(dataDir().c_str(), MNT_DETACH);
}

TEST_F(HostileClientTest, MutatedRequestsNeitherStopTheServerNorMiscount)
{
    ServerProcess server(dataDir(), {"--max-reports-per-minute", "0"});
    const std::vector<std::string> seeds{
        countGame + "Connection: close\r\n\r\n",
        "GET /count1/countersekai/250/count.php HTTP/1.1\r\nHost: x\r\nRange: bytes=0-1\r\n\r\n",
        "GET /kokki/europe.csv HTTP/1.0\r\n\r\n",
        "GET /kokki/oshirase.txt HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n",
        "GET /countx/america/count.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
    };
    const std::string pieces[] = {"\r\n",
                                  "\n",
                                  std::string(1, '\0'),
                                  "%",
                                  "%2e",
                                  "/",
                                  "..",
                                  ":",
                                  " ",
                                  "-1",
                                  "99999999999999999999",
                                  "Content-Length: 7\r\n",
                                  "Transfer-Encoding: chunked\r\n",
                                  "\r\n\r\n",
                                  "\t",
                                  "\xff"};
    std::mt19937 random(20240501);
    const auto pick = [&](size_t n) {
        return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    std::int64_t answeredCounts = 0;
    for (int round = 0; round < 2500; ++round) {
        std::string request = seeds[pick(seeds.size())];
        for (size_t m = 0, edits = 1 + pick(4); m < edits; ++m) {
            const size_t at = pick(request.size() + 1);
            switch (pick(4)) {
            case 0:
                request.insert(at, pieces[pick(std::size(pieces))]);
                break;
            case 1:
                if (at < request.size())
                    request.erase(at, 1 + pick(8));
                break;
            case 2:
                if (at < request.size())
                    request[at] = static_cast<char>(pick(256));
                break;
            default:
                request.insert(at, request.substr(pick(request.size()), 1 + pick(16)));
            }
        }
        RawConnection connection(server.port());
        connection.send(request);
        connection.shutdownWrite();
        answeredCounts += countReplies(connection.readToEnd(15s));
        // Every request, whole or not, ends with the connection closed.
        ASSERT_TRUE(connection.closed()) << testing::PrintToString(request);
        ASSERT_TRUE(server.running()) << "after " << round << " requests";
    }
    httplib::Client client("127.0.0.1", server.port());
    EXPECT_EQ(client.Get("/kokki/oshirase.txt")->body, "<no news>");
    server.stop(SIGTERM);
    EXPECT_EQ(storedReports({"europe", "sekai", "america", "asia&taiyou", "chuutou&africa"}),
              answeredCounts);
}

} // namespace
