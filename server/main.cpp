// furamio-server: the notice, the news, the score histograms and the game counters.

#include "CounterStore.h"
#include "KokkiFolder.h"
#include "NoticeCommand.h"
#include "RateLimiter.h"
#include "RequestHandler.h"
#include "RequestLog.h"
#include "RequestTarget.h"
#include "ServerOptions.h"

#include "Regions.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <pthread.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// Requests with more header bytes than this are refused with 431; the HTTP layer already
// refuses single lines over 8 KB and targets over 8 KB.
constexpr size_t largestHeaderBlock = 16 * 1024;
constexpr size_t mostHeaders = 100;

thread_local std::chrono::steady_clock::time_point requestStart{};

std::vector<std::string> regionKeys()
{
    std::vector<std::string> keys;
    for (const Region &region : Regions::all())
        keys.push_back(region.key.toStdString());
    return keys;
}

// Only one server may own a data folder: two would each cache histograms the other changes.
int lockDataFolder(const std::string &dataDir)
{
    const std::string path = dataDir + "/furamio-server.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        std::cerr << "furamio-server: cannot open " << path << ": " << std::strerror(errno) << '\n';
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        std::cerr << "furamio-server: another server is using " << dataDir << '\n';
        ::close(fd);
        return -1;
    }
    return fd;
}

int serve(const ServerOptions &options)
{
    // Termination requests are taken by a thread of their own (sigwait), so they must be
    // blocked before any other thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::optional<KokkiFolder> folder;
    try {
        folder.emplace(options.dataDir);
    } catch (const FolderError &e) {
        std::cerr << "furamio-server: " << e.what() << '\n';
        return 1;
    }
    const int lockFd = lockDataFolder(options.dataDir);
    if (lockFd < 0)
        return 1;

    std::optional<CounterStore> store;
    try {
        store.emplace(options.dataDir + "/counts.sqlite3");
    } catch (const StoreError &e) {
        std::cerr << "furamio-server: " << e.what() << '\n';
        return 1;
    }

    const RequestTarget targets(regionKeys());
    RateLimiter limiter(options.maxReportsPerMinute);
    RequestHandler handler(targets, *store, *folder, limiter);

    httplib::Server http;
    const unsigned threads = options.threads;
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http.set_keep_alive_max_count(1000);
    http.set_keep_alive_timeout(2); // the game opens a connection per request anyway
    http.set_read_timeout(5);
    http.set_write_timeout(5);
    http.set_payload_max_length(64 * 1024);
    http.set_tcp_nodelay(true);

    http.set_pre_routing_handler([&](const httplib::Request &req, httplib::Response &res) {
        requestStart = std::chrono::steady_clock::now();
        size_t headerBytes = 0;
        for (const auto &[name, value] : req.headers)
            headerBytes += name.size() + value.size() + 4;
        Reply reply;
        if (headerBytes > largestHeaderBlock || req.headers.size() > mostHeaders)
            reply = RequestHandler::plain(431, "request header fields too large\r\n");
        else
            reply = handler.handle(req.method, req.target, req.remote_addr);
        res.status = reply.status;
        for (const auto &[name, value] : reply.headers)
            res.set_header(name, value);
        if (reply.status >= 400)
            res.set_header("Connection", "close");
        res.set_content(std::move(reply.body), reply.contentType.c_str());
        return httplib::Server::HandlerResponse::Handled;
    });
    http.set_logger([](const httplib::Request &req, const httplib::Response &res) {
        std::chrono::microseconds took{0};
        if (requestStart != std::chrono::steady_clock::time_point{}) {
            took = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - requestStart);
            requestStart = {};
        }
        RequestLog::write(RequestLog::line(std::chrono::system_clock::now(), req.remote_addr,
                                           req.method, req.target, res.status, res.body.size(),
                                           took));
    });

    int port = options.port;
    if (port == 0) {
        port = http.bind_to_any_port(options.host);
        if (port < 0)
            port = 0;
    } else if (!http.bind_to_port(options.host, port)) {
        port = 0;
    }
    if (port == 0) {
        std::cerr << "furamio-server: cannot listen on " << options.host << ':' << options.port
                  << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    const bool v6 = options.host.find(':') != std::string::npos;
    std::cout << "furamio-server listening on http://" << (v6 ? "[" : "") << options.host
              << (v6 ? "]" : "") << ':' << port << "/ with data in " << options.dataDir
              << std::endl;

    std::atomic<bool> listenerEnded{false};
    std::thread stopper([&http, &listenerEnded, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (!listenerEnded)
            std::cerr << "furamio-server: " << strsignal(signal) << ", stopping\n";
        http.stop();
    });

    const bool listened = http.listen_after_bind();
    // Wakes the stopper when the listener ended on its own.
    listenerEnded = true;
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    store.reset(); // the last connection to close checkpoints the log into the database
    ::close(lockFd);
    std::cerr << "furamio-server: stopped\n";
    return listened ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ServerOptions::parse(args, &error);
    if (!options) {
        std::cerr << "furamio-server: " << error << "\n\n" << ServerOptions::usage();
        return 2;
    }
    switch (options->mode) {
    case ServerOptions::Mode::Help:
        std::cout << ServerOptions::usage();
        return 0;
    case ServerOptions::Mode::PublishNotice:
        return NoticeCommand::publish(options->dataDir, options->noticeTextFile, std::cerr);
    case ServerOptions::Mode::ClearNotice:
        return NoticeCommand::clear(options->dataDir, std::cerr);
    case ServerOptions::Mode::Serve:
        break;
    }
    return serve(*options);
}
