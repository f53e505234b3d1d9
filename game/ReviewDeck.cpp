#include "ReviewDeck.h"

#include "BaseList.h"
#include "GameRules.h"

#include <algorithm>

namespace {

const QString worldKey = QStringLiteral("sekai");

ReviewSchedule::TodaysCards laidOut(const ReviewRows &rows, const QList<int> &regionFlagIds,
                                    const ReviewSchedule::Schedule &schedule, const QDate &day)
{
    ReviewSchedule::TodaysCards today =
        ReviewSchedule::todaysCards(schedule, day, rows.flagIds, regionFlagIds);
    today.cards.removeIf([&](const ReviewSchedule::CardKey &card) {
        return card.flagId < 1 || card.flagId > CountryTable::upperBound ||
               !rows.rowOfFlag[static_cast<size_t>(card.flagId)];
    });
    return today;
}

} // namespace

ReviewSchedule::TodaysCards ReviewRows::cardsOn(const ReviewSchedule::Schedule &schedule,
                                                const QDate &day) const
{
    return laidOut(*this, regionFlagIds, schedule, day);
}

ReviewDeck::ReviewDeck(QString appPath) : m_appPath(std::move(appPath)) {}

void ReviewDeck::prepare(ReviewSchedule::Schedule schedule, const QDate &day)
{
    m_schedule = std::move(schedule);
    m_day = day;
    m_world.reset();
    m_worldRead = false;
    m_regionFlagIds.clear();
}

const ReviewRows *ReviewDeck::world()
{
    if (m_worldRead)
        return m_world ? &*m_world : nullptr;
    m_worldRead = true;
    ReviewRows world;
    try {
        world.rowCount =
            std::clamp(BaseList::load(BaseList::path(m_appPath, worldKey), world.table).recordCount,
                       0, GameRules::rowBound);
    } catch (const BaseListError &) {
        return nullptr;
    }
    if (world.rowCount < GameRules::cardsPerBoard)
        return nullptr;
    for (int r = 1; r <= world.rowCount; ++r) {
        const int id = world.table.flagIds[static_cast<size_t>(r)].toInt();
        world.flagIds.append(id);
        if (id >= 1 && id <= CountryTable::upperBound && !world.rowOfFlag[static_cast<size_t>(id)])
            world.rowOfFlag[static_cast<size_t>(id)] = r;
    }
    m_world = std::move(world);
    return &*m_world;
}

const QList<int> &ReviewDeck::regionFlagIds(const QString &regionKey)
{
    const auto found = m_regionFlagIds.constFind(regionKey);
    if (found != m_regionFlagIds.constEnd())
        return *found;
    QList<int> ids;
    if (!regionKey.isEmpty() && regionKey != worldKey) {
        // A region's list only orders the new flags; without it they come in the world's order.
        CountryTable region;
        try {
            const int rows =
                BaseList::load(BaseList::path(m_appPath, regionKey), region).recordCount;
            for (int r = 1; r <= std::clamp(rows, 0, GameRules::rowBound); ++r)
                ids.append(region.flagIds[static_cast<size_t>(r)].toInt());
        } catch (const BaseListError &) {
        }
    }
    return *m_regionFlagIds.insert(regionKey, ids);
}

ReviewSchedule::TodaysCards ReviewDeck::cards(const QString &regionKey)
{
    const ReviewRows *rows = world();
    if (!rows)
        return {};
    return laidOut(*rows, regionFlagIds(regionKey), m_schedule, m_day);
}

std::optional<ReviewRows> ReviewDeck::rows(const QString &regionKey)
{
    const ReviewRows *rows = world();
    if (!rows)
        return std::nullopt;
    ReviewRows chosen = *rows;
    chosen.regionFlagIds = regionFlagIds(regionKey);
    return chosen;
}
