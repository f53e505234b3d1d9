#pragma once

#include "DataFile.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// One finished game as the game appends it to the region's results file.
struct PastGame
{
    int score = 0;      // 0 to Regions::topScore
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
// A line with more seconds or misses than these was not written by a game: a game ends long
// before a day is out, and the misses field has always held a 16-bit whole number.
inline constexpr double maxSeconds = 86400.0;
inline constexpr int maxMisses = 32767;

// The scratch file a rewrite goes to before it takes the results file's place, in the folder
// of the file it replaces.
inline const QString scratchName = QStringLiteral("dummy.csv");

QString path(const QString &dataPath, const QString &regionKey);
// The scratch file of a results file of the data folder.
QString scratchPath(const QString &dataPath);

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

// Adds one game's line (without its end) to the region's file. When the file already holds
// maxGamesOnAppend valid games it is written whole through replace() with its newest
// keptOnCut games and the new one, without its blank and damaged lines; otherwise the line is
// appended and the rest stays as it is. Both go through DataFile, so a read-only file is
// refused and a link is written through. When anything fails the file is left as it was.
std::optional<FileError> append(const QString &dataPath, const QString &regionKey,
                                const QString &line);

// Drops the line `game` was read from, through DataFile::replace(). Refuses with
// FileError::Cause::Changed when that line no longer holds the game (the file changed since it
// was read).
std::optional<FileError> removeGame(const QString &dataPath, const QString &regionKey,
                                    const PastGame &game);

} // namespace ResultsFile
