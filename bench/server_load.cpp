// Load driver for furamio-server: starts the server on a free loopback port with a fresh data
// folder, then runs three phases with keep-alive clients in parallel threads:
//   the notice file (the static baseline), a region's histogram, and counter reports, the last
//   checked against the histogram afterwards so that no answered report went missing.
//
//   server_load [--clients N] [--seconds S] [--server-threads N] [--log FILE]

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <regex>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Options
{
    int clients = 8;
    double seconds = 5;
    std::string serverThreads = "32";
    std::string logFile; // empty: the data folder's server.log
};

struct Server
{
    pid_t pid = -1;
    int port = 0;
};

Server startServer(const std::string &dataDir, const Options &options, const std::string &log)
{
    int out[2];
    if (pipe(out) != 0)
        std::exit(1);
    Server server;
    server.pid = fork();
    if (server.pid == 0) {
        const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out[1], STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        close(out[0]);
        execl(FURAMIO_SERVER_BINARY, FURAMIO_SERVER_BINARY, "--listen", "127.0.0.1:0", "--data",
              dataDir.c_str(), "--max-reports-per-minute", "0", "--threads",
              options.serverThreads.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char buffer[256];
    pollfd ready{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&ready, 1, 10000) > 0) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<size_t>(got));
    }
    close(out[0]);
    std::smatch match;
    if (!std::regex_search(line, match, std::regex(":([0-9]+)/"))) {
        std::fprintf(stderr, "server_load: the server did not start (see %s)\n", log.c_str());
        kill(server.pid, SIGKILL);
        std::exit(1);
    }
    server.port = std::stoi(match[1]);
    return server;
}

struct Result
{
    long long answered = 0;
    long long failed = 0;
    double seconds = 0;
    double perSecond() const { return seconds > 0 ? answered / seconds : 0; }
};

// Each client thread sends requests on one keep-alive connection until the time is up.
Result run(int port, const Options &options,
           const std::function<std::string(int client, long long n)> &path)
{
    std::atomic<long long> answered{0};
    std::atomic<long long> failed{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    const auto start = std::chrono::steady_clock::now();
    for (int c = 0; c < options.clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            long long n = 0, ok = 0, bad = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                const auto reply = client.Get(path(c, n++));
                if (reply && reply->status == 200)
                    ++ok;
                else
                    ++bad;
            }
            answered += ok;
            failed += bad;
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(options.seconds));
    stop = true;
    for (auto &t : threads)
        t.join();
    Result result;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.answered = answered;
    result.failed = failed;
    return result;
}

long long histogramSum(int port, const std::string &region)
{
    httplib::Client client("127.0.0.1", port);
    const auto reply = client.Get("/kokki/" + region + ".csv");
    if (!reply || reply->status != 200)
        return -1;
    long long sum = 0, run = 0;
    bool inRun = false;
    for (char c : reply->body + " ") {
        if (c >= '0' && c <= '9') {
            run = run * 10 + (c - '0');
            inRun = true;
        } else if (inRun) {
            sum += run;
            run = 0;
            inRun = false;
        }
    }
    return sum;
}

void print(const char *name, const Result &r)
{
    std::printf("%-28s %10.0f req/s  (%lld answered, %lld failed, %.1f s)\n", name, r.perSecond(),
                r.answered, r.failed, r.seconds);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--clients")
            options.clients = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--seconds")
            options.seconds = std::max(0.5, std::atof(argv[i + 1]));
        else if (arg == "--server-threads")
            options.serverThreads = argv[i + 1];
        else if (arg == "--log")
            options.logFile = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: server_load [--clients N] [--seconds S] "
                                 "[--server-threads N] [--log FILE]\n");
            return 2;
        }
    }

    char pattern[] = "/tmp/furamio-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string log = options.logFile.empty() ? dir + "/server.log" : options.logFile;
    const Server server = startServer(dir + "/data", options, log);
    std::printf("furamio-server on port %d, %d keep-alive clients, %.1f s a phase, %u cores\n",
                server.port, options.clients, options.seconds,
                std::thread::hardware_concurrency());

    const Result notice = run(server.port, options, [](int, long long) {
        return std::string("/kokki/oshirase.txt");
    });
    print("notice file (baseline)", notice);

    // A histogram with something in it, so its text is the size a real one has.
    {
        httplib::Client client("127.0.0.1", server.port);
        for (int score = 1; score <= 500; score += 7)
            client.Get("/count1/countersekai/" + std::to_string(score) + "/count.php");
    }
    const long long before = histogramSum(server.port, "asia&taiyou");
    const Result histogram = run(server.port, options, [](int, long long) {
        return std::string("/kokki/sekai.csv");
    });
    print("histogram fetches", histogram);

    const Result reports = run(server.port, options, [](int client, long long n) {
        const int score = static_cast<int>((client * 7919 + n) % 501);
        return "/count1/counterasia&taiyou/" + std::to_string(score) + "/count.php";
    });
    print("counter reports", reports);

    // Reports of 0 are counted but have no line in the histogram.
    long long zeros = 0;
    {
        httplib::Client client("127.0.0.1", server.port);
        // Count the zero reports from the server's own answer: one more report of 0 tells how
        // many there are now.
        const auto reply = client.Get("/count1/counterasia&taiyou/0/count.php");
        zeros = reply && reply->status == 200 ? std::atoll(reply->body.c_str()) - 1 : -1;
    }
    const long long after = histogramSum(server.port, "asia&taiyou");
    const bool exact = after - before + zeros == reports.answered;
    std::printf("count check: %lld answered reports, histogram grew by %lld plus %lld reports of "
                "0: %s\n",
                reports.answered, after - before, zeros, exact ? "exact" : "MISMATCH");

    // A game's worth of traffic: one histogram fetch and two reports, from every client.
    const Result mixed = run(server.port, options, [](int client, long long n) {
        switch (n % 3) {
        case 0:
            return std::string("/kokki/europe.csv");
        case 1:
            return std::string("/countx/europe/count.php");
        default:
            return "/count1/countereurope/" + std::to_string((client * 31 + n) % 500 + 1) +
                   "/count.php";
        }
    });
    print("game mix (1 fetch, 2 reports)", mixed);

    kill(server.pid, SIGTERM);
    int status = 0;
    waitpid(server.pid, &status, 0);
    std::error_code ignored;
    if (options.logFile.empty())
        std::filesystem::remove_all(dir, ignored);
    return exact && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
