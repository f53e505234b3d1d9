#pragma once

#include "DataFile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <map>
#include <optional>
#include <utility>

// How well the player knows each flag, kept across games in two files of the program's folder,
// both code page 932, CR LF, comma-separated, written when a game ends or is left (the questions
// answered) and after each answer of the day's review (one question each, a repeat included):
// - "jukuren.csv", one line per flag asked at least once, by ascending flag ID:
//   flag ID, times asked, times right at the first click, total misses, date last asked
//   (yyyy/MM/dd), e.g. "7,5,3,4,2026/12/08".
// - "machigai.csv", one line per confusion, by asked then clicked flag ID:
//   asked flag ID, flag ID clicked instead, how often, e.g. "23,140,2".
namespace MasteryRecord {

inline constexpr int lowestFlagId = 1;
inline constexpr int highestFlagId = 200;
// Counts stop here rather than wrap; a file with a larger count is not ours.
inline constexpr int countLimit = 999'999'999;
// A practice game of the weakest flags asks as many as a scored game.
inline constexpr int weakestCount = 15;

struct FlagRecord
{
    int asked = 0;
    int rightFirstClick = 0;
    int misses = 0;
    QDate lastAsked;
};

struct Record
{
    std::map<int, FlagRecord> flags; // by flag ID
    // (asked flag ID, clicked flag ID) → how often that card was clicked for that question.
    std::map<std::pair<int, int>, int> confusions;
};

// One question of a finished game: the flag asked and the cards clicked wrongly, in click order
// (the same card clicked twice is two misses, as in the score).
struct Question
{
    int askedFlagId = 0;
    QList<int> wrongClicks;
};
using GameLog = QList<Question>;

QString recordPath(const QString &folder);
QString confusionsPath(const QString &folder);

// The two files' bytes as a record. A line that is not valid (wrong field count, a number out
// of range, more first-click rights than times asked, fewer misses than questions missed, an
// impossible date, a flag confused with itself) is skipped. Lines repeating a flag ID or a
// confusion are merged, never dropped: their counts add up and the later date stays, so every
// valid line still counts after the next rewrite.
Record parse(const QByteArray &recordData, const QByteArray &confusionData);
QByteArray recordBytes(const Record &record);
QByteArray confusionBytes(const Record &record);

// Both files of the folder; a missing file reads as empty. When a file exists but cannot be
// read, *error says why and the record holds what the other file gave.
Record read(const QString &folder, std::optional<FileError> *error = nullptr);

// Adds one finished game. Each question counts once for its flag, dated `today`; every wrong
// click counts as a miss of the asked flag and as a confusion with the clicked one. Flag IDs
// outside 1 to 200, and a click on the asked flag itself, are not counted. `today` is a valid
// date of the years 1 to 9999; a flag whose date cannot be written is left out of the file.
void addGame(Record &record, const GameLog &game, const QDate &today);

// Reads both files, adds the game and replaces both as one through DataFile::replaceAll (each
// through its scratch file "jukuren.tmp", "machigai.tmp" beside it). A file whose bytes would
// not change is left alone. On any failure both files stay exactly as they were (a record
// already renamed into place is put back) and the error is returned; nullopt means both are
// saved. Only when that put-back fails too do the files disagree: the error then says
// FileError::Cause::PutBackFailed. A file the player marked read-only counts as not writable,
// as it would on Windows. A date the file cannot hold is refused before anything is read.
std::optional<FileError> update(const QString &folder, const GameLog &game, const QDate &today);

// The record of one flag in plain words for the study display:
// "出題 5回・一発正解 3回・ミス 4回", or "まだ出題されていません", or, when the record was read
// with `readError`, "記録を読み込めませんでした": a record that could not be read says nothing
// of the flag.
QString studyText(const Record &record, int flagId,
                  const std::optional<FileError> &readError = std::nullopt);

// The `count` weakest of a region's flags, weakest first (duplicates in the list count once):
// never asked, ordered by flag ID; then the lowest share right at the first click; among equal
// shares the longest since last asked (a date after `today` counts as today); then the most
// misses; then the lowest flag ID. A region with fewer flags than `count` gives all it has.
QList<int> weakest(const QList<int> &regionFlagIds, const Record &record, const QDate &today,
                   int count = weakestCount);

// The flags most often clicked in place of `askedFlagId`, most often first, then by flag ID.
QList<int> confusedWith(const Record &record, int askedFlagId);

} // namespace MasteryRecord
