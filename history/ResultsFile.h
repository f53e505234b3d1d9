#pragma once

#include <QByteArray>
#include <QString>

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

// The per-region results file: "seiseki" + region key + ".csv" in the program's folder, one game
// per line (score, seconds, misses, date), code page 932, CR LF. Other programs and hand edits
// may have touched it, so nothing in it is trusted.
namespace ResultsFile {

// 500 lines after a cut plus the one a game appends.
inline constexpr int maxGames = 501;

QString path(const QString &appPath, const QString &regionKey);
// The scratch file the game also uses while it cuts a results file.
QString scratchPath(const QString &appPath);

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

// Lines as both the reader and the remover count them: a line ends at CR LF, LF or a lone CR,
// and a last line without an end still counts.
std::vector<QByteArray> splitLines(const QByteArray &data);

struct Removal
{
    bool removed = false;
    QString reason; // for the player, when nothing was removed
};

// Drops the line `game` was read from. The kept lines go to the scratch file first, which then
// replaces the results file in one rename, so a failure at any step leaves the results file as
// it was. Refuses when that line no longer holds the game (the file changed since it was read).
Removal removeGame(const QString &resultsPath, const QString &scratchPath, const PastGame &game);

} // namespace ResultsFile
