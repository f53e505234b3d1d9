#include "RequestLog.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace RequestLog {

std::string escapeTarget(std::string_view target, size_t limit)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    const std::string_view shown = target.substr(0, limit);
    out.reserve(shown.size() + 16);
    for (char ch : shown) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    if (target.size() > limit)
        out += "...(" + std::to_string(target.size()) + " bytes)";
    return out;
}

std::string line(std::chrono::system_clock::time_point when, std::string_view client,
                 std::string_view method, std::string_view target, int status, size_t bytes,
                 std::chrono::microseconds took)
{
    const auto sinceEpoch = when.time_since_epoch();
    const std::time_t seconds =
        std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));
    std::string out = stamp;
    out += ' ';
    out += client.empty() ? std::string_view("-") : client;
    out += ' ';
    out += escapeTarget(method, 16);
    out += " \"";
    out += escapeTarget(target);
    out += "\" ";
    out += std::to_string(status);
    out += ' ';
    out += std::to_string(bytes);
    out += ' ';
    out += std::to_string(took.count());
    out += "us\n";
    return out;
}

void write(const std::string &text)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace RequestLog
