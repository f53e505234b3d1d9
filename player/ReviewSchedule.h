#pragma once

#include "Fsrs.h"
#include "MasteryRecord.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
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
// flag ID, direction (名→旗 or 旗→名), stability in days and difficulty (six significant
// digits each, so that a file read back gives the same intervals), date of the last review,
// due date (yyyy/MM/dd), reviews, lapses (answers graded Again), date of the first answer, e.g.
// "23,名→旗,10.9643,2.11121,2026/12/08,2026/12/19,2,0,2026/12/06". Files written before the
// first date was kept have eight fields; the date is then unknown, and written empty.
namespace ReviewSchedule {

// New flags a day brings in, counted by the day their first card was first answered, in a
// game or a review. A new flag comes in as 名→旗; its 旗→名 card follows on a later day.
inline constexpr int newFlagsPerDay = 10;
// Cards already known that one day asks at most; a pile left by a break drains over the
// following days, the least likely recalled first.
inline constexpr int maxDuePerDay = 100;
// The player's day begins at this hour of the local clock: a review at 00:30 belongs to the
// evening before, as the player lives it.
inline constexpr int dayStartHour = 4;

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
    QDate due;           // the day of the last review after an Again: asked again that day
    int reviews = 0;     // answers graded, repeats on one day included
    int lapses = 0;      // of those, the ones graded Again
    QDate firstReview{}; // invalid when the file did not keep it
};

using Schedule = std::map<CardKey, CardState>;

// One answer the player gave: the card and whether it was right at the first click.
struct Answer
{
    CardKey card;
    bool rightFirstClick = false;
};

QString path(const QString &folder);

// The player's day on the local clock, which changes at dayStartHour: the date answers are
// graded on and cards fall due on.
QDate today(const Clock &clock);
// How long from `now` until the player's day changes, in milliseconds (at least 1).
qint64 msecsToNextDay(const QDateTime &now);

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
// card (and dates it), a second one the same day is a same-day review, a later one reads how much
// of the memory is left. Again makes the card due today; Good makes it due after the interval at
// the desired retention. Flag IDs outside 1 to 200 are ignored.
void answer(Schedule &schedule, const Answer &given, const QDate &today);
void answerAll(Schedule &schedule, const QList<Answer> &answers, const QDate &today);

// The answers of a game (scored or practice, finished or left), all on 名→旗 cards: a question
// with a wrong click (on another valid flag, as the record counts misses) is missed.
QList<Answer> answersOfGame(const MasteryRecord::GameLog &game);

// Reads the file, grades the answers in order and writes the file once through
// DataFile::replace (its scratch file is "fukushuu.tmp"). Bytes that would not change are not
// written. A file the player marked read-only is refused, as "jukuren.csv" is. On failure the file
// stays exactly as it was and the error is returned; nullopt means saved. A date the file cannot
// hold is refused before anything is read.
std::optional<FileError> update(const QString &folder, const QList<Answer> &answers,
                                const QDate &today);

// ---- Today's cards ----------------------------------------------------------------------------

// The cards a review on `today` asks, in order, and how many more are due but wait for a
// later day. First the cards answered today and due again (missed, not yet right), then the
// cards due on or before today, the least likely recalled first, then 旗→名 cards of flags
// whose 名→旗 was answered right on an earlier day (and the other way round), up to
// maxDuePerDay less those already done today; the rest wait. A card whose flag had its other
// side answered today waits for the next day, as does the second side of a flag when both are
// due. Then the 名→旗 cards of up to newFlagsPerDay flags never asked, less the flags first
// answered today. New flags come from `regionFlagIds` first when a region is chosen, then from
// `allFlagIds`, each in its list's order (repeats and invalid IDs are passed over).
struct TodaysCards
{
    QList<CardKey> cards;
    int waiting = 0; // due, held back by the day's limit or for the other side of its flag
};
TodaysCards todaysCards(const Schedule &schedule, const QDate &today, const QList<int> &allFlagIds,
                        const QList<int> &regionFlagIds = {});

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

// "今日の復習 23枚", "今日の復習 100枚（ほか 283枚）" when more wait, or "復習はありません".
QString todaysCountText(int cards, int waiting = 0);
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
