#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// One finished game as the game appends it to the region's results file.
struct PastGame
{
    int score = 0;      // 0 to 500
    double seconds = 0; // as written, at most one decimal in practice
    int misses = 0;
    QString date;       // the local date and time the game ended, as text
    int line = 0;       // 1-based line of the file the game was read from
    QByteArray rawLine; // that line's bytes, without its line end
};

struct ResultsHistory
{
    std::vector<PastGame> games; // oldest first, at most maxGames
    int skippedLines = 0;        // lines that hold no valid game
    int olderDropped = 0;        // valid games older than the newest maxGames
};

// The per-region results file: "seiseki" + region key + ".csv" in the data folder, one game per
// line (score, seconds, misses, date), code page 932, CR LF. The game appends to it, the results
// window reads it and removes games from it. Other programs and hand edits may have touched it,
// so nothing in it is trusted.
namespace ResultsFile {

// The most games a file holds after a game is appended: a game that would make more first
// drops the oldest.
inline constexpr int maxGamesOnAppend = 500;
// The older games a full file keeps beside the new one.
inline constexpr int keptOnCut = maxGamesOnAppend - 1;
// The most games the results window reads: files written before the cut counted games, when a
// full file went back and forth between 500 and 501 lines, hold one more.
inline constexpr int maxGames = maxGamesOnAppend + 1;

QString path(const QString &dataPath, const QString &regionKey);
// The scratch file a rewrite goes to before it takes the results file's place.
QString scratchPath(const QString &dataPath);

// Why a results file could not be read or written, in words for the player.
class Error
{
public:
    enum class Cause
    {
        NotPermitted, // read-only file or folder
        DiskFull,
        FolderMissing,
        Changed, // the file is no longer as it was read
        Other
    };

    explicit Error(Cause cause) : m_cause(cause) {}
    // The cause of the system error `errorNumber`.
    static Error fromErrno(int errorNumber);

    Cause cause() const { return m_cause; }
    // One Japanese sentence.
    QString message() const;

private:
    Cause m_cause;
};

enum class ReadStatus
{
    Read,
    Missing,
    Unreadable
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Missing;
    ResultsHistory history;
};

ReadResult read(const QString &path);
ResultsHistory parse(const QByteArray &data);

// Lines as both the reader and the writers count them: a line ends at CR LF, LF or a lone CR,
// and a last line without an end still counts.
std::vector<QByteArray> splitLines(const QByteArray &data);

// Adds one game's line (without its end) to the region's file. When the file already holds
// maxGamesOnAppend valid games it is written whole through replace() with its newest
// keptOnCut games and the new one, without its blank and damaged lines; otherwise the line is
// appended and the rest stays as it is. When anything fails the file is left as it was.
std::optional<Error> append(const QString &dataPath, const QString &regionKey, const QString &line);

// Drops the line `game` was read from, through replace(). Refuses when that line no longer
// holds the game (the file changed since it was read).
std::optional<Error> removeGame(const QString &dataPath, const QString &regionKey,
                                const PastGame &game);

// Gives `target` the content `bytes` in one step: the bytes go to the scratch file, which is
// flushed to the disk and then renamed over the target, so there is no moment without the old
// content or with half of the new. A target that cannot be written where it is (a read-only
// file) is refused as an append would be; a symbolic link is written through to the file it
// names and stays a link.
std::optional<Error> replace(const QString &target, const QByteArray &bytes,
                             const QString &scratch);

} // namespace ResultsFile
