#pragma once

#include "CountryTable.h"
#include "ReviewSchedule.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The rows the day's review lays its cards out on: the world list's, and the order in which the
// chosen region offers new flags.
struct ReviewRows
{
    CountryTable table;
    int rowCount = 0;
    QList<int> flagIds; // by row
    QList<int> regionFlagIds;
    std::array<int, CountryTable::upperBound + 1> rowOfFlag{};

    // The cards of `schedule` due on `day`; only flags these rows hold can be laid out, and a
    // card of any other waits.
    ReviewSchedule::TodaysCards cardsOn(const ReviewSchedule::Schedule &schedule,
                                        const QDate &day) const;
};

// The day's review made ready before the player asks for it. The day's review button counts
// again on every region click; from here that reads no file: the world list and each region's
// list are read once, and the schedule is handed over only when it changed (a game or an answer
// of a review) or the player's day did.
class ReviewDeck
{
public:
    // The lists are read from the program's folder, `appPath`.
    explicit ReviewDeck(QString appPath);

    // The schedule as it is on `day`; the lists are read again when next needed.
    void prepare(ReviewSchedule::Schedule schedule, const QDate &day);
    // A game or an answer changed the schedule: the deck needs it again.
    void forget() { m_day = QDate(); }
    // Whether the deck holds the schedule as it is on `day`.
    bool preparedFor(const QDate &day) const { return m_day.isValid() && m_day == day; }

    // The cards a review of `regionKey` (new flags first from that region) asks on the prepared
    // day, and how many more wait; none when the world list cannot be read or holds too few
    // rows for a board.
    ReviewSchedule::TodaysCards cards(const QString &regionKey);
    // The rows such a review lays out; none in the same cases.
    std::optional<ReviewRows> rows(const QString &regionKey);

private:
    const ReviewRows *world();
    const QList<int> &regionFlagIds(const QString &regionKey);

    QString m_appPath;
    ReviewSchedule::Schedule m_schedule;
    QDate m_day;
    std::optional<ReviewRows> m_world; // read when first needed after prepare()
    bool m_worldRead = false;
    QHash<QString, QList<int>> m_regionFlagIds;
};
