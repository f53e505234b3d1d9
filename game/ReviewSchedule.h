#pragma once

#include "Fsrs.h"
#include "MasteryRecord.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <compare>
#include <map>
#include <optional>

class Clock;

// When each flag is asked again, both ways, so that the flags the player forgets come back at
// the right time. Every flag has two cards: 名→旗 (a name, pick the flag; the scored game's
// question) and 旗→名 (a flag, pick the name). Answers grade themselves: right at the first
// click is Good, any miss is Again (see Fsrs.h for the memory model). A card missed is due
// again the same day, so a review asks it once more before it ends.
//
// The schedule is kept in "fukushuu.csv" in the data folder, code page 932, CR LF,
// comma-separated, one line per card ever asked, by flag ID then 名→旗 before 旗→名:
// flag ID, direction (名→旗 or 旗→名), stability in days and difficulty (four decimals each),
// date of the last review, due date (yyyy/MM/dd), reviews, lapses (answers graded Again), e.g.
// "23,名→旗,10.9643,2.1112,2026/12/08,2026/12/19,2,0".
namespace ReviewSchedule {

// New flags a day's review brings in, both cards of each, beside the cards that are due.
inline constexpr int newFlagsPerDay = 10;

enum class Direction
{
    NameToFlag, // 名→旗
    FlagToName  // 旗→名
};

struct CardKey
{
    int flagId = 0;
    Direction direction = Direction::NameToFlag;
    auto operator<=>(const CardKey &) const = default;
};

struct CardState
{
    Fsrs::Memory memory;
    QDate lastReview;
    QDate due;       // the day of the last review after an Again: asked again that day
    int reviews = 0; // answers graded, repeats on one day included
    int lapses = 0;  // of those, the ones graded Again
};

using Schedule = std::map<CardKey, CardState>;

// One answer the player gave: the card and whether it was right at the first click.
struct Answer
{
    CardKey card;
    bool rightFirstClick = false;
};

QString path(const QString &folder);

// The player's day on the local clock: the date answers are graded on and cards fall due on.
QDate today(const Clock &clock);

// ---- The file ---------------------------------------------------------------------------------

// The file's bytes as a schedule. A line that is not valid (wrong field count, an unknown flag
// or direction, a number that is not plain decimal or out of range, an impossible date, a due
// date before the last review, more lapses than reviews) is skipped. When two lines name the
// same card, the one reviewed later counts (the later line on a tie): memory states do not
// add up the way counts do.
Schedule parse(const QByteArray &data);
QByteArray bytes(const Schedule &schedule);

// The folder's schedule; a missing file reads as empty. When the file exists but cannot be
// read, *error says why and the schedule is empty.
Schedule read(const QString &folder, std::optional<FileError> *error = nullptr);

// ---- Answers ----------------------------------------------------------------------------------

// Grades one answer given `today` and moves the card's due date: a first answer starts the
// card, a second one the same day is a same-day review, a later one reads how much of the
// memory is left. Again makes the card due today; Good makes it due after the interval at the
// desired retention. Flag IDs outside 1 to 200 are ignored.
void answer(Schedule &schedule, const Answer &given, const QDate &today);
void answerAll(Schedule &schedule, const QList<Answer> &answers, const QDate &today);

// The answers of a finished game (scored or practice), all on 名→旗 cards: a question with a
// wrong click (on another valid flag, as the record counts misses) is missed. An abandoned
// game has no answers: the caller gives nothing.
QList<Answer> answersOfGame(const MasteryRecord::GameLog &game);

// Reads the file, grades the answers in order and writes the file once through
// DataFile::replace (its scratch file is "fukushuu.tmp"). Bytes that would not change are not
// written. A file the player marked read-only is refused, as "jukuren.csv" is. On failure the file
// stays exactly as it was and the error is returned; nullopt means saved. A date the file cannot
// hold is refused before anything is read.
std::optional<FileError> update(const QString &folder, const QList<Answer> &answers,
                                const QDate &today);

// ---- Today's cards ----------------------------------------------------------------------------

// The cards a review on `today` asks, in order: every card due on or before today, the most
// overdue first (then the least likely recalled, then by flag and direction); then the cards
// of up to newFlagsPerDay flags never asked that way, less those already started today, 名→旗
// before 旗→名. New flags come from `regionFlagIds` first when a region is chosen, then from
// `allFlagIds`, each in its list's order (repeats and invalid IDs are passed over).
QList<CardKey> todaysCards(const Schedule &schedule, const QDate &today,
                           const QList<int> &allFlagIds, const QList<int> &regionFlagIds = {});

// How many cards fall due on each of the `days` days after `today`, if every day's cards are
// done on that day: the first day also holds any card still due today or earlier. New flags
// are not counted; they are only known on their day.
QList<int> forecast(const Schedule &schedule, const QDate &today, int days);

// The first day after `today` on which cards fall due, and how many (with any still due by
// then); an invalid day and 0 cards when nothing is scheduled.
struct NextDue
{
    QDate day;
    int cards = 0;
};
NextDue nextDue(const Schedule &schedule, const QDate &today);

// The card's state, or nullopt for a card never asked.
std::optional<CardState> card(const Schedule &schedule, int flagId, Direction direction);

// The card of the flag the country display speaks of: of its cards ever missed, the one
// reviewed last (名→旗 on the same day); nullopt when neither was ever missed.
std::optional<CardKey> lastMissedCard(const Schedule &schedule, int flagId);

// How likely the player recalls the card on `day`, 0 to 1 (1 on the day of its last review).
double retrievabilityOn(const CardState &state, const QDate &day);

// ---- Texts ------------------------------------------------------------------------------------

// "今日の復習 23枚", or "復習はありません" for none.
QString todaysCountText(int cards);
// "明日 12枚" for tomorrow, "12月15日 3枚" for a later day.
QString nextDueText(const QDate &today, const QDate &day, int cards);
// "次の復習: 12月15日".
QString nextReviewText(const QDate &due);
// "覚えた度: 92%" (rounded to the nearest whole per cent).
QString rememberedText(double retrievability);
// The card's line in the country display: the next review while the card is not due yet or was
// answered today (missed, and asked again today), else how well it is remembered today.
QString cardText(const CardState &state, const QDate &today);

} // namespace ReviewSchedule
