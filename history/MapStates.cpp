#include "MapStates.h"

#include <algorithm>
#include <set>

namespace MapStates {

namespace {

State stateOfCard(const std::optional<CardRecall> &card)
{
    if (!card)
        return State::NeverAsked;
    // A card without valid days is shown as needing work rather than as known on the strength
    // of a figure nobody will follow up.
    if (!card->due.isValid() || !card->lastReview.isValid() || card->due <= card->lastReview ||
        !(card->retrievability >= learningBelow))
        return State::Learning;
    const bool settled =
        card->lastReview.daysTo(card->due) > 1 && (!card->day.isValid() || card->due > card->day);
    return card->retrievability > solidAbove && settled ? State::Solid : State::Known;
}

} // namespace

State stateOf(const FlagRecall &flag, Direction direction)
{
    switch (direction) {
    case Direction::NameToFlag:
        return stateOfCard(flag.nameToFlag);
    case Direction::FlagToName:
        return stateOfCard(flag.flagToName);
    case Direction::Both:
        break;
    }
    const State a = stateOfCard(flag.nameToFlag);
    const State b = stateOfCard(flag.flagToName);
    if (a == State::NeverAsked && b == State::NeverAsked)
        return State::NeverAsked;
    if (a == State::NeverAsked || b == State::NeverAsked)
        return State::Learning;
    return std::min(a, b);
}

State stateOf(const RecallTable &table, int flagId, Direction direction)
{
    const auto found = table.find(flagId);
    return found == table.end() ? State::NeverAsked : stateOf(found->second, direction);
}

int StateCounts::total() const
{
    int sum = 0;
    for (int n : byState)
        sum += n;
    return sum;
}

StateCounts countStates(const QList<int> &flagIds, const RecallTable &table, Direction direction)
{
    StateCounts counts;
    std::set<int> seen;
    for (int id : flagIds) {
        if (seen.insert(id).second)
            ++counts.byState[static_cast<size_t>(stateOf(table, id, direction))];
    }
    return counts;
}

std::array<int, dueDays> dueCounts(const RecallTable &table, Direction direction,
                                   const QDate &today)
{
    std::array<int, dueDays> counts{};
    auto add = [&](const std::optional<CardRecall> &card) {
        if (!card)
            return;
        const qint64 day = card->due.isValid() ? std::max<qint64>(0, today.daysTo(card->due)) : 0;
        if (day < dueDays)
            ++counts[static_cast<size_t>(day)];
    };
    for (const auto &[id, flag] : table) {
        if (direction != Direction::FlagToName)
            add(flag.nameToFlag);
        if (direction != Direction::NameToFlag)
            add(flag.flagToName);
    }
    return counts;
}

} // namespace MapStates
