// Load driver for furamio-server: starts the server on a free loopback port with a fresh data
// folder, then runs three phases with keep-alive clients in parallel threads:
//   the notice file (the static baseline), a region's histogram, and counter reports, the last
//   checked against the histogram afterwards so that no answered report went missing.
//
//   server_load [--clients N] [--seconds S] [--server-threads N] [--keep] [--hostile]
//               [--burst N] [--slow-readers N]
//
// --keep leaves the data folder and the server's log in place for a look afterwards.
// --hostile runs the hostile phases before the others: 200 slow clients (a byte every 3 s)
// and 1,000 idle connections beside a player's requests, an endless header block (64 MB), a Range
// of 100 copies of a 1 MB file, and a burst of --burst (30,000) one-shot requests from 500
// clients at once. --slow-readers N adds N readers of a 1 MB news file taking 1 KB a second
// each, beside a player and counter reports. FURAMIO_SERVER_BINARY in the environment runs another
// build of the server (an older one, for figures before and after).

#include "HostileLoad.h"
#include "RawConnection.h"
#include "ServerProcess.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
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
    std::string serverThreads;
    bool keep = false;
    bool hostile = false;
    int burst = 30000;
    int slowReaders = 0;
};

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
    for (int i = 1; i < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--keep" || arg == "--hostile") {
            (arg == "--keep" ? options.keep : options.hostile) = true;
            --i;
        } else if (i + 1 >= argc) {
            std::fprintf(stderr, "server_load: %s needs a value\n", arg.c_str());
            return 2;
        } else if (arg == "--clients")
            options.clients = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--seconds")
            options.seconds = std::max(0.5, std::atof(argv[i + 1]));
        else if (arg == "--burst")
            options.burst = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--slow-readers")
            options.slowReaders = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--server-threads")
            options.serverThreads = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: server_load [--clients N] [--seconds S] "
                                 "[--server-threads N] [--keep] [--hostile] [--burst N] "
                                 "[--slow-readers N]\n");
            return 2;
        }
    }

    char pattern[] = "/tmp/furamio-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    std::unique_ptr<ServerProcess> process;
    try {
        std::vector<std::string> args{"--max-reports-per-minute", "0"};
        if (!options.serverThreads.empty())
            args.insert(args.end(), {"--threads", options.serverThreads});
        // The hostile phases come from one address, as many clients would; a build that does
        // not know the per-address limit has none.
        try {
            std::vector<std::string> unlimited = args;
            unlimited.insert(unlimited.end(), {"--max-connections-per-address", "0"});
            process = std::make_unique<ServerProcess>(dir + "/data", unlimited);
        } catch (const std::exception &) {
            process = std::make_unique<ServerProcess>(dir + "/data", args);
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "server_load: %s\n", e.what());
        return 1;
    }
    const ServerProcess &server = *process;
    std::printf("furamio-server on port %d, %d keep-alive clients, %.1f s a phase, %u cores\n",
                server.port(), options.clients, options.seconds,
                std::thread::hardware_concurrency());

    bool held = true;
    if (options.hostile) {
        raiseDescriptorLimit();
        std::printf("server %s\n", ServerProcess::binary().c_str());
        held = HostileLoad::burst(server.port(), options.burst, 500) && held;
        held = HostileLoad::slowAndIdle(server.port(), 200, 1000, 15) && held;
        held = HostileLoad::headerFlood(server.port(), server.pid(), 64u << 20) && held;
        held = HostileLoad::rangeReply(server.port(), dir + "/data") && held;
        std::printf("hostile phases: %s\n", held ? "held" : "NOT HELD");
    }
    if (options.slowReaders > 0) {
        raiseDescriptorLimit();
        std::printf("server %s\n", ServerProcess::binary().c_str());
        held = HostileLoad::slowReaders(server.port(), server.pid(), dir + "/data",
                                        options.slowReaders, options.seconds) &&
               held;
    }

    const Result notice = run(server.port(), options,
                              [](int, long long) { return std::string("/kokki/oshirase.txt"); });
    print("notice file (baseline)", notice);

    // A histogram with something in it, so its text is the size a real one has.
    {
        httplib::Client client("127.0.0.1", server.port());
        for (int score = 1; score <= 500; score += 7)
            client.Get("/count1/countersekai/" + std::to_string(score) + "/count.php");
    }
    const long long before = histogramSum(server.port(), "asia&taiyou");
    const Result histogram =
        run(server.port(), options, [](int, long long) { return std::string("/kokki/sekai.csv"); });
    print("histogram fetches", histogram);

    // The write-ahead log is meant to stay near its limit (64 pages) while reports pour in.
    std::atomic<bool> counting{true};
    std::uintmax_t largestLog = 0;
    std::thread logWatch([&] {
        while (counting) {
            std::error_code none;
            const auto size = std::filesystem::file_size(dir + "/data/counts.sqlite3-wal", none);
            if (!none)
                largestLog = std::max(largestLog, size);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    // Each with a report id of its own, as the game sends them: the database grows by one
    // remembered id a report, as a busy one does.
    const Result reports = run(server.port(), options, [](int client, long long n) {
        const int score = static_cast<int>((client * 7919 + n) % 501);
        char id[17];
        std::snprintf(id, sizeof id, "%04x%012llx", client, static_cast<unsigned long long>(n));
        return "/count1/counterasia&taiyou/" + std::to_string(score) + "/count.php?r=" + id;
    });
    counting = false;
    logWatch.join();
    print("counter reports", reports);
    std::printf("    write-ahead log at most %ju KB meanwhile\n", largestLog / 1024);

    // Reports of 0 are counted but have no line in the histogram.
    long long zeros = 0;
    {
        httplib::Client client("127.0.0.1", server.port());
        // Count the zero reports from the server's own answer: one more report of 0 tells how
        // many there are now.
        const auto reply = client.Get("/count1/counterasia&taiyou/0/count.php");
        zeros = reply && reply->status == 200 ? std::atoll(reply->body.c_str()) - 1 : -1;
    }
    const long long after = histogramSum(server.port(), "asia&taiyou");
    const bool exact = after - before + zeros == reports.answered;
    std::printf("count check: %lld answered reports, histogram grew by %lld plus %lld reports of "
                "0: %s\n",
                reports.answered, after - before, zeros, exact ? "exact" : "MISMATCH");

    // A game's worth of traffic: one histogram fetch and two reports, from every client.
    const Result mixed = run(server.port(), options, [](int client, long long n) {
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

    const int status = process->stop(SIGTERM);
    std::error_code ignored;
    if (options.keep)
        std::printf("data and log kept in %s\n", dir.c_str());
    else
        std::filesystem::remove_all(dir, ignored);
    return held && exact && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
