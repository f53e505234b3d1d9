#pragma once

#include "ReviewSchedule.h"

#include <QList>

#include <deque>

// One sitting of the day's review, without widgets: which card is asked now, and what the
// answers were. A card missed comes back a few cards later (at the end when fewer are left),
// and again after every further miss, so the review ends only when each card was once right.
// Each answer goes to the schedule as it is given (the panel sees to that), so a review left
// before its end keeps what was answered.
class TodaysReview
{
public:
    // How many other cards come between a miss and the card's next showing.
    static constexpr int cardsBeforeRetry = 3;

    explicit TodaysReview(const QList<ReviewSchedule::CardKey> &cards);

    bool finished() const { return m_pending.empty(); }
    // The card asked now; only while not finished.
    ReviewSchedule::CardKey current() const { return m_pending.front(); }
    // The player's answer to the current card: right at the first click or not.
    void answer(bool rightFirstClick);

    // Every answer in the order given, repeats included, for ReviewSchedule::update.
    const QList<ReviewSchedule::Answer> &answers() const { return m_answers; }
    // Cards the review began with, and how many of them were right the first time asked.
    int cardCount() const { return m_cardCount; }
    // Where the player is: how many of the cards have been shown, the one on show included
    // (a card asked again after a miss is not counted twice).
    int position() const;
    int rightFirstTime() const { return m_rightFirstTime; }

private:
    std::deque<ReviewSchedule::CardKey> m_pending;
    QList<ReviewSchedule::CardKey> m_missedOnce;
    QList<ReviewSchedule::Answer> m_answers;
    int m_cardCount = 0;
    int m_rightFirstTime = 0;
};
