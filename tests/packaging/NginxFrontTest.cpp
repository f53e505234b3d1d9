// The operators' nginx site file in front of the real furamio-server: a real nginx run as an
// ordinary process on a free loopback port, with the site file as it ships and only its
// addresses and log paths moved into a temporary folder.

#include "ScoreHistogram.h"
#include "ServerProcess.h"
#include "TempDir.h"

#include <QString>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <numeric>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string readAll(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string findNginx()
{
    for (const char *candidate : {"/usr/sbin/nginx", "/usr/bin/nginx", "/usr/local/sbin/nginx"})
        if (access(candidate, X_OK) == 0)
            return candidate;
    return {};
}

// A port nothing listens on right now; nginx binds it a moment later.
int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool answers(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// Replaces `from` in `text`, which must be there: a site file that changed shape should fail
// here, not quietly test something else.
void replaceAll(std::string &text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    if (at == std::string::npos)
        throw std::runtime_error("the site file no longer has: " + from);
    for (; at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

class Nginx
{
public:
    Nginx(const std::string &binary, const std::filesystem::path &dir, int serverPort) : m_dir(dir)
    {
        std::string site = readAll(FURAMIO_NGINX_SITE);
        m_port = freePort();
        replaceAll(site, "listen 80;", "listen 127.0.0.1:" + std::to_string(m_port) + ";");
        replaceAll(site, "listen [::]:80;", "");
        replaceAll(site, "127.0.0.1:8931", "127.0.0.1:" + std::to_string(serverPort));
        replaceAll(site, "/var/log/nginx/", dir.string() + "/");
        std::ofstream(dir / "site.conf") << site;

        const std::string d = dir.string();
        std::ofstream(dir / "nginx.conf")
            << "daemon off;\nworker_processes 1;\npid " << d << "/nginx.pid;\nerror_log " << d
            << "/error.log;\nevents { worker_connections 64; }\nhttp {\n    access_log " << d
            << "/access.log;\n    client_body_temp_path " << d << "/body;\n    proxy_temp_path "
            << d << "/proxy;\n    fastcgi_temp_path " << d << "/fastcgi;\n    uwsgi_temp_path " << d
            << "/uwsgi;\n    scgi_temp_path " << d << "/scgi;\n    include " << d
            << "/site.conf;\n}\n";
        // Run by root, nginx hands requests to workers of an unprivileged user.
        chmod(d.c_str(), 0755);

        const std::string prefix = d + "/";
        const std::string config = d + "/nginx.conf";
        const std::string errors = d + "/error.log";
        std::vector<const char *> argv{binary.c_str(), "-p", prefix.c_str(), "-c",
                                       config.c_str(), "-e", errors.c_str(), nullptr};
        const int out = open((d + "/nginx.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execv(binary.c_str(), const_cast<char *const *>(argv.data()));
            _exit(127);
        }
        close(out);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!answers(m_port)) {
            if (waitpid(m_pid, nullptr, WNOHANG) != 0 ||
                std::chrono::steady_clock::now() > deadline) {
                m_pid = -1;
                throw std::runtime_error("nginx did not start:\n" + log());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~Nginx()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Nginx(const Nginx &) = delete;
    Nginx &operator=(const Nginx &) = delete;

    int port() const { return m_port; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
    std::string log() const
    {
        return readAll(m_dir / "nginx.out") + readAll(m_dir / "error.log") +
               readAll(m_dir / "furamio-server.error.log");
    }

private:
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};

// Run the server as the packaged service does, trusting X-Forwarded-For from nginx, once it
// knows that option: its first error line then complains about the next option instead.
std::vector<std::string> asTheServiceRuns(std::vector<std::string> args)
{
    std::string errors;
    ServerProcess::run({"--trusted-proxy", "127.0.0.1", "--threads", "0"}, &errors);
    if (errors.substr(0, errors.find('\n')).find("--threads") != std::string::npos) {
        args.push_back("--trusted-proxy");
        args.push_back("127.0.0.1");
    }
    return args;
}

class NginxFrontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
        m_binary = findNginx();
        if (m_binary.empty())
            GTEST_SKIP() << "nginx is not installed (Debian package nginx)";
    }

    std::string m_binary;
    TempDir m_dir;
};

TEST_F(NginxFrontTest, TheGameReadsTheNoticeAndHistogramsAndIsCountedThroughNginx)
{
    ServerProcess server(m_dir.str() + "/data",
                         asTheServiceRuns({"--max-reports-per-minute", "3"}));
    Nginx nginx(m_binary, m_dir.path(), server.port());
    httplib::Client client("127.0.0.1", nginx.port());

    const auto notice = client.Get("/kokki/oshirase.txt");
    ASSERT_TRUE(notice) << nginx.log();
    EXPECT_EQ(notice->status, 200) << nginx.log();
    EXPECT_EQ(notice->body, "<no news>");

    // The histogram as the game reads it.
    const auto histogram = [&] {
        const auto reply = client.Get("/kokki/europe.csv");
        EXPECT_TRUE(reply && reply->status == 200);
        const ScoreHistogram::Reading reading =
            ScoreHistogram::read(QString::fromLatin1(reply ? reply->body : std::string()));
        EXPECT_TRUE(reading.complete());
        return reading.counts;
    };
    const auto before = histogram();
    EXPECT_EQ(std::accumulate(before.begin(), before.end(), 0LL), 0);

    // What the game sends after a game of 295 points.
    ASSERT_EQ(client.Get("/countx/europe/count.php")->status, 200);
    ASSERT_EQ(client.Get("/count1/countereurope/295/count.php")->status, 200);
    const auto after = histogram();
    EXPECT_EQ(after[295], 1);
    EXPECT_EQ(std::accumulate(after.begin(), after.end(), 0LL), 1);

    // A client naming some other address must not get it past nginx to the server.
    const auto spoofed =
        client.Get("/count1/countereurope/300/count.php", {{"X-Forwarded-For", "203.0.113.77"}});
    ASSERT_TRUE(spoofed);
    EXPECT_EQ(spoofed->status, 200);
    EXPECT_EQ(server.log().find("203.0.113.77"), std::string::npos) << server.log();

    // The fourth report in a minute is over the cap, and the refusal reaches the client as the
    // server meant it: with a time to come back.
    const auto overCap = client.Get("/count1/countereurope/301/count.php");
    ASSERT_TRUE(overCap);
    EXPECT_EQ(overCap->status, 429);
    EXPECT_FALSE(overCap->get_header_value("Retry-After").empty());
}

TEST_F(NginxFrontTest, NginxStopsWhatIsNotTheGameBeforeTheServer)
{
    ServerProcess server(m_dir.str() + "/data", asTheServiceRuns({}));
    Nginx nginx(m_binary, m_dir.path(), server.port());
    httplib::Client client("127.0.0.1", nginx.port());

    const auto posted =
        client.Post("/count1/countereurope/5/count.php", std::string(64, 'x'), "text/plain");
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->status, 403);
    const auto bigBody =
        client.Post("/countx/europe/count.php", std::string(64 * 1024, 'x'), "text/plain");
    ASSERT_TRUE(bigBody);
    EXPECT_EQ(bigBody->status, 413);
    const auto bigHeader =
        client.Get("/kokki/oshirase.txt", {{"X-Filler", std::string(9000, 'a')}});
    ASSERT_TRUE(bigHeader);
    EXPECT_EQ(bigHeader->status, 400);

    // None of it reached the server: nothing counted, nothing in its log.
    EXPECT_EQ(server.log().find("count1"), std::string::npos) << server.log();
    EXPECT_EQ(server.log().find("countx"), std::string::npos) << server.log();
    const auto notice = client.Get("/kokki/oshirase.txt");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->body, "<no news>");
}

} // namespace
