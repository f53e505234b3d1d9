#pragma once

#include <QDate>
#include <QList>

#include <array>
#include <map>
#include <optional>

// How well each flag is remembered, as the world map shows it, from the review schedule's
// figures for one day.
namespace MapStates {

enum class Direction
{
    NameToFlag, // 名→旗: the name is given, the flag is to be found
    FlagToName, // 旗→名
    Both        // the weaker of the two counts
};

// Weakest first; the order is also the order of the bars and the legend.
enum class State
{
    NeverAsked,
    Learning,
    Known,
    Solid
};
inline constexpr int stateCount = 4;

// Below this the flag is still being learnt; above solidAbove it is solid.
inline constexpr double learningBelow = 0.7;
inline constexpr double solidAbove = 0.9;
inline constexpr int dueDays = 7;

// One flag in one direction as the schedule has it for the day asked about.
struct CardRecall
{
    double retrievability = 0; // the chance of recalling it that day, 0 to 1
    QDate due;                 // the day of its next review
    QDate lastReview;
    QDate day{}; // the day the figures are for; invalid when unknown
};

// A direction never asked has no value.
struct FlagRecall
{
    std::optional<CardRecall> nameToFlag;
    std::optional<CardRecall> flagToName;
};

// By flag ID; a flag that is not in it was never asked.
using RecallTable = std::map<int, FlagRecall>;

// Below learningBelow, or missed at its last review and not answered right since (due on the
// day of that review or before it): learning; up to solidAbove: known; above: solid. A card due
// on the day, or one whose next review is the day after its last (a miss just made good), is
// known at most: its recall that day says more of the last minutes than of the memory.
// A card merely due is not learning by that alone: the schedule makes a card due on the day its
// recall falls to 0.9, so cards that are due or a little overdue are the known ones; counting
// them as learning would leave "known" empty. With both directions the weaker counts, and a
// flag asked in one direction only is learning rather than never asked: it has been met, yet
// is not known both ways.
State stateOf(const FlagRecall &flag, Direction direction);
State stateOf(const RecallTable &table, int flagId, Direction direction);

struct StateCounts
{
    std::array<int, stateCount> byState{};
    int total() const;
    int of(State state) const { return byState[static_cast<size_t>(state)]; }
};

// The states of a region's flags; a flag listed twice counts once, so the counts add up to the
// region's distinct flags.
StateCounts countStates(const QList<int> &flagIds, const RecallTable &table, Direction direction);

// Reviews due on each of the seven days from `today` on, in the direction chosen (both: the two
// directions' reviews together). Reviews overdue fall on today.
std::array<int, dueDays> dueCounts(const RecallTable &table, Direction direction,
                                   const QDate &today);

} // namespace MapStates
