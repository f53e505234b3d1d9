// furamio-server: the notice, the news, the score histograms and the game counters.

#include "ClientAddress.h"
#include "CounterStore.h"
#include "CountsDatabase.h"
#include "HttpServer.h"
#include "KokkiFolder.h"
#include "NoticeCommand.h"
#include "RateLimiter.h"
#include "RequestHandler.h"
#include "RequestLog.h"
#include "RequestTarget.h"
#include "ServerOptions.h"
#include "StoreKeeper.h"

#include "Regions.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The exit code of a start refused over the database: the operator has to act, so restarting
// on our own would only loop (the service unit does not restart on it).
constexpr int exitNeedsOperator = 3;

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
    // Termination requests are waited for (sigwait) on this thread, so they must be blocked
    // before any other thread starts.
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

    std::string error;
    std::unique_ptr<CounterStore> store =
        CountsDatabase::open(options.dataDir, options.createDatabase, &error, std::cerr);
    if (!store) {
        std::cerr << "furamio-server: " << error << '\n';
        ::close(lockFd);
        return exitNeedsOperator;
    }
    StoreKeeper keeper(*store, options.dataDir, options.backupEvery, options.backupKeep, std::cerr);
    keeper.start();

    const RequestTarget targets(regionKeys());
    RateLimiter limiter(options.maxReportsPerMinute);
    RequestHandler handler(targets, *store, *folder, limiter);
    ClientAddress clients;
    for (const std::string &proxy : options.trustedProxies)
        clients.trust(proxy);

    HttpServer http(handler, clients, options.threads, options.maxConnections,
                    options.maxConnectionsPerAddress);
    if (!http.start(options.host, options.port, &error)) {
        std::cerr << "furamio-server: cannot listen on " << options.host << ':' << options.port
                  << ": " << error << '\n';
        return 1;
    }
    const bool v6 = options.host.find(':') != std::string::npos;
    std::cout << "furamio-server listening on http://" << (v6 ? "[" : "") << options.host
              << (v6 ? "]" : "") << ':' << http.port() << "/ with data in " << options.dataDir
              << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::cerr << "furamio-server: " << strsignal(signal) << ", stopping\n";
    http.stop();
    keeper.stop();
    store.reset(); // the last connection to close checkpoints the log into the database
    ::close(lockFd);
    std::cerr << "furamio-server: stopped\n";
    return 0;
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
        return NoticeCommand::publish(options->dataDir, options->noticeTextFile,
                                      options->createDataDir, std::cerr);
    case ServerOptions::Mode::ClearNotice:
        return NoticeCommand::clear(options->dataDir, options->createDataDir, std::cerr);
    case ServerOptions::Mode::Restore: {
        // The lock proves no server has the database open while its file is swapped.
        const int lockFd = lockDataFolder(options->dataDir);
        if (lockFd < 0)
            return 1;
        const int code = CountsDatabase::restore(options->dataDir, options->restoreFrom, std::cerr);
        ::close(lockFd);
        return code;
    }
    case ServerOptions::Mode::Serve:
        break;
    }
    return serve(*options);
}
