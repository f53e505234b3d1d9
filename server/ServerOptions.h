#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct ServerOptions
{
    enum class Mode
    {
        Serve,
        PublishNotice,
        ClearNotice,
        Restore,
        Help
    };

    Mode mode = Mode::Serve;
    std::string host = "127.0.0.1";
    int port = 8931; // 0 picks a free port and prints it
    std::string dataDir = "furamio-server-data";
    unsigned maxReportsPerMinute = 60;
    // Each runs an event loop over its share of the connections; more than the cores buys
    // nothing.
    unsigned threads = 2;
    std::vector<std::string> trustedProxies; // canonical addresses
    // Connections served at once; the ones beyond are answered 503 and closed. A game makes a
    // few requests a minute, so this is far more players than the machine will see at once,
    // and bounds the memory a burst can take (some 32 KB each).
    unsigned maxConnections = 4096;
    // Connections one address may hold at once; 0: no limit. A player needs one; a few dozen
    // leave room for players sharing an address, while no address takes more than a sixtieth
    // of maxConnections.
    unsigned maxConnectionsPerAddress = 64;
    std::chrono::seconds backupEvery{3600}; // 0: no backups
    unsigned backupKeep = 24;
    bool createDatabase = false; // start on a new, empty database where one had been
    std::string noticeTextFile;
    bool createDataDir = false; // notice: make the data folder when it is missing
    std::string restoreFrom;    // restore: the backup to put back; empty for the newest good

    // Nothing, with the reason in *error, for an unknown option or a bad value.
    static std::optional<ServerOptions> parse(const std::vector<std::string> &args,
                                              std::string *error);
    static const char *usage();
};
