#pragma once

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
    std::string noticeTextFile;
    bool createDataDir = false; // notice: make the data folder when it is missing

    // Nothing, with the reason in *error, for an unknown option or a bad value.
    static std::optional<ServerOptions> parse(const std::vector<std::string> &args,
                                              std::string *error);
    static const char *usage();
};
