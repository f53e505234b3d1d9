#include "TodaysReview.h"

#include <algorithm>

TodaysReview::TodaysReview(const QList<ReviewSchedule::CardKey> &cards)
{
    for (const ReviewSchedule::CardKey &key : cards) {
        if (std::find(m_pending.begin(), m_pending.end(), key) == m_pending.end())
            m_pending.push_back(key);
    }
    m_cardCount = int(m_pending.size());
}

void TodaysReview::answer(bool rightFirstClick)
{
    if (finished())
        return;
    const ReviewSchedule::CardKey key = m_pending.front();
    m_pending.pop_front();
    m_answers.append({key, rightFirstClick});
    const bool askedBefore = m_missedOnce.contains(key);
    if (rightFirstClick) {
        if (!askedBefore)
            ++m_rightFirstTime;
        return;
    }
    if (!askedBefore)
        m_missedOnce.append(key);
    const auto at = m_pending.begin() +
                    std::min<std::ptrdiff_t>(cardsBeforeRetry, std::ptrdiff_t(m_pending.size()));
    m_pending.insert(at, key);
}

int TodaysReview::position() const
{
    const int answered = m_rightFirstTime + int(m_missedOnce.size());
    if (finished() || m_missedOnce.contains(current()))
        return answered;
    return std::min(answered + 1, m_cardCount);
}
