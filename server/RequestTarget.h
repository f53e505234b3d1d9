#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a request target asks of the server. Targets are matched as whole strings against the
// few paths the game uses; nothing is looked up on disk by a name taken from the request.
struct Route
{
    enum class Kind
    {
        StaticFile,   // kokki/oshirase.txt, kokki/naiyou.txt: fileName says which
        Histogram,    // kokki/<region>.csv
        GameCounter,  // countx/<region>/count.php
        ScoreCounter, // count1/counter<region>/<score>/count.php
        NotFound,     // well formed, but not one of ours
        BadRequest,   // broken escapes, control bytes, dot segments, an escaped separator,
                      // not an origin-form path
    };

    Kind kind = Kind::NotFound;
    std::string region;
    std::string fileName;
    int score = -1;
    // The game's report id ("?r=" and 16 hex digits, kept in lower case) on a counter path;
    // empty when the request named none.
    std::string reportId;

    bool isCounter() const { return kind == Kind::GameCounter || kind == Kind::ScoreCounter; }
};

class RequestTarget
{
public:
    // The files of the kokki folder that are served from disk.
    static const std::vector<std::string> &servedFiles();

    explicit RequestTarget(std::vector<std::string> regionKeys);

    // rawTarget is the request target as it came on the request line, still percent-encoded.
    // Escapes are resolved before matching, so "%26" and "&" (or "%35" and "5") are one path;
    // an escaped slash or backslash ("%2F", "%5C") is refused, since a server or proxy that
    // reads it as a separator would see another path than we count. The only query is the
    // report id of a counter path; any other makes the target unknown.
    Route route(std::string_view rawTarget) const;

    // The path with its escapes resolved; false when an escape is broken or yields a byte we
    // never accept in a path (NUL and the other control bytes).
    static bool decodePath(std::string_view raw, std::string &decoded);
    // "0" or a number from 1 to 500 without leading zeros; -1 otherwise.
    static int parseScore(std::string_view text);
    static constexpr size_t reportIdDigits = 16;

    const std::vector<std::string> &regionKeys() const { return m_regionKeys; }

private:
    bool isRegion(std::string_view key) const;

    std::vector<std::string> m_regionKeys;
};
