#include "RequestTarget.h"

#include <algorithm>

namespace {

constexpr int highestScore = 500;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// True when any segment between slashes is "." or "..": such a path is never ours and is
// refused outright rather than resolved.
bool hasDotSegment(std::string_view path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// "%2F" or "%5C" in any case: escapes that would turn into a separator once decoded.
bool hasEscapedSeparator(std::string_view raw)
{
    for (size_t at = raw.find('%'); at != std::string_view::npos && at + 2 < raw.size();
         at = raw.find('%', at + 1)) {
        const char high = raw[at + 1];
        const char low = static_cast<char>(raw[at + 2] | 0x20);
        if ((high == '2' && low == 'f') || (high == '5' && low == 'c'))
            return true;
    }
    return false;
}

// "r=" and exactly 16 hex digits, in lower case; empty for anything else.
std::string reportIdOf(std::string_view query)
{
    if (query.size() != 2 + RequestTarget::reportIdDigits || query.substr(0, 2) != "r=")
        return {};
    std::string id;
    for (const char c : query.substr(2)) {
        if (hexValue(c) < 0)
            return {};
        id.push_back(static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c));
    }
    return id;
}

} // namespace

const std::vector<std::string> &RequestTarget::servedFiles()
{
    static const std::vector<std::string> files{"oshirase.txt", "naiyou.txt"};
    return files;
}

RequestTarget::RequestTarget(std::vector<std::string> regionKeys)
    : m_regionKeys(std::move(regionKeys))
{
}

bool RequestTarget::decodePath(std::string_view raw, std::string &decoded)
{
    decoded.clear();
    decoded.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c == '%') {
            if (i + 2 >= raw.size())
                return false;
            const int high = hexValue(raw[i + 1]);
            const int low = hexValue(raw[i + 2]);
            if (high < 0 || low < 0)
                return false;
            c = static_cast<unsigned char>(high * 16 + low);
            i += 2;
        }
        if (c < 0x20 || c == 0x7f)
            return false;
        decoded.push_back(static_cast<char>(c));
    }
    return true;
}

int RequestTarget::parseScore(std::string_view text)
{
    if (text.empty() || text.size() > 3)
        return -1;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    if (text.size() > 1 && text.front() == '0')
        return -1;
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value <= highestScore ? value : -1;
}

bool RequestTarget::isRegion(std::string_view key) const
{
    return std::find(m_regionKeys.begin(), m_regionKeys.end(), key) != m_regionKeys.end();
}

Route RequestTarget::route(std::string_view rawTarget) const
{
    Route result;
    if (rawTarget.empty() || rawTarget.front() != '/' || rawTarget.find('#') != rawTarget.npos) {
        result.kind = Route::Kind::BadRequest;
        return result;
    }
    const size_t queryStart = rawTarget.find('?');
    const std::string_view rawPath = rawTarget.substr(0, queryStart);
    std::string path;
    std::string query;
    if (!decodePath(rawPath, path) || hasDotSegment(path) || hasEscapedSeparator(rawPath) ||
        path.find('\\') != std::string::npos ||
        (queryStart != std::string_view::npos &&
         !decodePath(rawTarget.substr(queryStart + 1), query))) {
        result.kind = Route::Kind::BadRequest;
        return result;
    }
    if (path.find('?') != std::string::npos) {
        // An escaped question mark belongs to none of our names.
        return result;
    }
    std::string reportId;
    if (queryStart != std::string_view::npos) {
        reportId = reportIdOf(rawTarget.substr(queryStart + 1));
        if (reportId.empty())
            return result;
    }
    // Only the counters take a report id; a histogram or notice fetch with one is not ours.
    const auto withId = [&](Route route) {
        if (!reportId.empty() && !route.isCounter())
            return Route();
        route.reportId = reportId;
        return route;
    };

    std::string_view rest(path);
    rest.remove_prefix(1);

    if (startsWith(rest, "kokki/")) {
        const std::string_view name = rest.substr(6);
        const auto &files = servedFiles();
        if (std::find(files.begin(), files.end(), name) != files.end()) {
            result.kind = Route::Kind::StaticFile;
            result.fileName = std::string(name);
        } else if (endsWith(name, ".csv") && isRegion(name.substr(0, name.size() - 4))) {
            result.kind = Route::Kind::Histogram;
            result.region = std::string(name.substr(0, name.size() - 4));
        }
        return withId(result);
    }

    if (startsWith(rest, "countx/") && endsWith(rest, "/count.php") && rest.size() > 17) {
        const std::string_view region = rest.substr(7, rest.size() - 7 - 10);
        if (isRegion(region)) {
            result.kind = Route::Kind::GameCounter;
            result.region = std::string(region);
        }
        return withId(result);
    }

    if (startsWith(rest, "count1/counter") && endsWith(rest, "/count.php") && rest.size() > 24) {
        const std::string_view middle = rest.substr(14, rest.size() - 14 - 10);
        const size_t slash = middle.find('/');
        if (slash == std::string_view::npos)
            return withId(result);
        const std::string_view region = middle.substr(0, slash);
        const int score = parseScore(middle.substr(slash + 1));
        if (isRegion(region) && score >= 0) {
            result.kind = Route::Kind::ScoreCounter;
            result.region = std::string(region);
            result.score = score;
        }
        return withId(result);
    }
    return withId(result);
}
