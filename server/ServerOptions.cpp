#include "ServerOptions.h"

#include "ClientAddress.h"

#include <charconv>

namespace {

bool parseNumber(const std::string &text, unsigned long long limit, unsigned long long &value)
{
    const char *end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && stop == end && value <= limit;
}

// "host:port", with an IPv6 host in brackets: "[::1]:8931".
bool parseListen(const std::string &text, std::string &host, int &port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    std::string hostPart = text.substr(0, colon);
    if (hostPart.front() == '[') {
        if (hostPart.size() < 3 || hostPart.back() != ']')
            return false;
        hostPart = hostPart.substr(1, hostPart.size() - 2);
    } else if (hostPart.find(':') != std::string::npos) {
        return false;
    }
    unsigned long long number = 0;
    if (!parseNumber(text.substr(colon + 1), 65535, number))
        return false;
    host = hostPart;
    port = static_cast<int>(number);
    return true;
}

// "90", "90s", "15m", "1h", "1d"; at most a year.
bool parseDuration(const std::string &text, std::chrono::seconds &value)
{
    if (text.empty())
        return false;
    unsigned long long unit = 1;
    std::string digits = text;
    switch (text.back()) {
    case 's':
        digits.pop_back();
        break;
    case 'm':
        unit = 60;
        digits.pop_back();
        break;
    case 'h':
        unit = 3600;
        digits.pop_back();
        break;
    case 'd':
        unit = 86400;
        digits.pop_back();
        break;
    default:
        break;
    }
    unsigned long long number = 0;
    if (!parseNumber(digits, 366ULL * 86400 / unit, number))
        return false;
    value = std::chrono::seconds(static_cast<long long>(number * unit));
    return true;
}

} // namespace

const char *ServerOptions::usage()
{
    return "usage: furamio-server [--listen HOST:PORT] [--data DIR]\n"
           "                      [--max-reports-per-minute N] [--threads N]\n"
           "                      [--max-connections N] [--max-connections-per-address N]\n"
           "                      [--trusted-proxy ADDR]...\n"
           "                      [--backup-every TIME] [--backup-keep N] [--create]\n"
           "       furamio-server notice [--data DIR] [--create] (--text FILE | --clear)\n"
           "       furamio-server restore [--data DIR] [--from FILE]\n"
           "\n"
           "  --listen HOST:PORT            address to serve on (127.0.0.1:8931); port 0 picks a\n"
           "                                free one\n"
           "  --data DIR                    data folder: kokki/ and the counts database\n"
           "                                (furamio-server-data)\n"
           "  --max-reports-per-minute N    counter reports one client address may make in any\n"
           "                                minute (60), a game's score report free after its\n"
           "                                game report; 0 turns the cap off\n"
           "  --threads N                   request threads (2)\n"
           "  --max-connections N           connections served at once (4096); more are\n"
           "                                answered 503 and closed\n"
           "  --max-connections-per-address N\n"
           "                                connections one address may hold (64); more are\n"
           "                                closed at once; 0 for none; a trusted proxy is not\n"
           "                                limited\n"
           "  --backup-every TIME           online backup of the counts into DIR/backup/ this\n"
           "                                often: 90s, 15m, 1h, 1d (1h); 0 for none\n"
           "  --backup-keep N               backups kept, the newest (24)\n"
           "  --create                      start on a new, empty counts database even though\n"
           "                                one existed in DIR before (its marker is there)\n"
           "  --trusted-proxy ADDR          a reverse proxy in front of the server (IPv4 or\n"
           "                                IPv6 address, repeatable): requests from it are\n"
           "                                capped by the client X-Forwarded-For names\n"
           "  notice --text FILE            publish FILE (UTF-8) as the news\n"
           "  notice --clear                take the news down\n"
           "  notice --create               make the data folder when it does not exist\n"
           "  restore                       with the server stopped, put the newest backup that\n"
           "                                passes SQLite's quick check back as the database\n"
           "  restore --from FILE           put FILE back instead\n";
}

std::optional<ServerOptions> ServerOptions::parse(const std::vector<std::string> &args,
                                                  std::string *error)
{
    ServerOptions options;
    size_t i = 0;
    const bool notice = !args.empty() && args[0] == "notice";
    const bool restore = !args.empty() && args[0] == "restore";
    const bool serve = !notice && !restore;
    if (notice || restore)
        i = 1;
    bool clear = false;
    bool text = false;

    auto value = [&](const std::string &name) -> const std::string * {
        if (i + 1 >= args.size()) {
            *error = name + " needs a value";
            return nullptr;
        }
        return &args[++i];
    };

    for (; i < args.size(); ++i) {
        const std::string &arg = args[i];
        unsigned long long number = 0;
        if (arg == "--help" || arg == "-h") {
            options.mode = Mode::Help;
            return options;
        } else if (arg == "--data") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (v->empty()) {
                *error = "--data needs a folder";
                return std::nullopt;
            }
            options.dataDir = *v;
        } else if (serve && arg == "--listen") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseListen(*v, options.host, options.port)) {
                *error = "--listen expects HOST:PORT, not " + *v;
                return std::nullopt;
            }
        } else if (serve && arg == "--max-reports-per-minute") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseNumber(*v, 1000000000ULL, number)) {
                *error = "--max-reports-per-minute expects a whole number, not " + *v;
                return std::nullopt;
            }
            options.maxReportsPerMinute = static_cast<unsigned>(number);
        } else if (serve && arg == "--threads") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseNumber(*v, 1024, number) || number == 0) {
                *error = "--threads expects a number from 1 to 1024, not " + *v;
                return std::nullopt;
            }
            options.threads = static_cast<unsigned>(number);
        } else if (serve && arg == "--trusted-proxy") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            const std::string address = ClientAddress::canonical(*v);
            if (address.empty()) {
                *error = "--trusted-proxy expects an IPv4 or IPv6 address, not " + *v;
                return std::nullopt;
            }
            options.trustedProxies.push_back(address);
        } else if (serve && arg == "--max-connections") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseNumber(*v, 1 << 20, number) || number == 0) {
                *error = "--max-connections expects a number from 1 to 1048576, not " + *v;
                return std::nullopt;
            }
            options.maxConnections = static_cast<unsigned>(number);
        } else if (serve && arg == "--max-connections-per-address") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseNumber(*v, 1 << 20, number)) {
                *error =
                    "--max-connections-per-address expects a number from 0 to 1048576, not " + *v;
                return std::nullopt;
            }
            options.maxConnectionsPerAddress = static_cast<unsigned>(number);
        } else if (serve && arg == "--backup-every") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseDuration(*v, options.backupEvery)) {
                *error = "--backup-every expects a time such as 90s, 15m, 1h or 1d, not " + *v;
                return std::nullopt;
            }
        } else if (serve && arg == "--backup-keep") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            if (!parseNumber(*v, 100000, number) || number == 0) {
                *error = "--backup-keep expects a number from 1 to 100000, not " + *v;
                return std::nullopt;
            }
            options.backupKeep = static_cast<unsigned>(number);
        } else if (serve && arg == "--create") {
            options.createDatabase = true;
        } else if (restore && arg == "--from") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            options.restoreFrom = *v;
        } else if (notice && arg == "--create") {
            options.createDataDir = true;
        } else if (notice && arg == "--text") {
            const std::string *v = value(arg);
            if (!v)
                return std::nullopt;
            options.noticeTextFile = *v;
            text = true;
        } else if (notice && arg == "--clear") {
            clear = true;
        } else {
            *error = "unknown argument " + arg;
            return std::nullopt;
        }
    }
    if (notice) {
        if (text == clear) {
            *error = "notice needs exactly one of --text FILE and --clear";
            return std::nullopt;
        }
        options.mode = clear ? Mode::ClearNotice : Mode::PublishNotice;
    }
    if (restore)
        options.mode = Mode::Restore;
    return options;
}
