#pragma once

#include "CardPictures.h"
#include "CountryTable.h"
#include "GameRules.h"
#include "GameSession.h"
#include "MasteryRecord.h"
#include "ReviewDeck.h"
#include "ReviewSchedule.h"
#include "SimilarityTable.h"
#include "TodaysReview.h"

#include <QDate>
#include <QFrame>
#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class ClickableLabel;
class QLabel;
class PlayerData;
class QPushButton;
struct Services;

// The day's review "今日の復習": the cards the schedule says are due, and a few new flags, asked
// without a clock and without a score. A 名→旗 card shows a name and twelve flags, a 旗→名 card
// one flag and twelve names; the other eleven are the flags the player takes it for and its
// look-alikes. Every answer is followed by a learning card (the right flag, its name with its
// reading when the name holds kanji, capital and region, and on a miss the one picked beside it).
// Nothing is written to the results, nothing rated or sent: each answer goes to the schedule and
// to the record of its flag as it is given, dated on the player's day it was given, so a review
// left, ended or cut off before its end keeps every answer but the one being given.
class DailyReviewPanel : public QFrame
{
    Q_OBJECT
public:
    enum class Page
    {
        Question, // a card waits for the player's pick
        Learning, // the answer is shown until the player moves on
        End,      // how the review went and when the next cards are due
    };

    // `appPath` holds the pictures; `playerData` takes the answers.
    DailyReviewPanel(Services &services, QString appPath, PlayerData &playerData, QWidget *parent);

    // Starts a review of `cards`, laid out on `rows`, from its first card; false (and nothing
    // changes) when there is none.
    bool begin(ReviewRows rows, const QList<ReviewSchedule::CardKey> &cards);

    Page page() const { return m_page; }
    // The card asked now, while a card is on show or being learnt.
    std::optional<ReviewSchedule::CardKey> currentCard() const;
    // The board of the card asked now: the row on each of the twelve places.
    const GameSession *board() const { return m_board.get(); }

    // Another mode takes the window: the answers given are saved already; the rest waits for
    // another review.
    void abandon();
    // Whether the review may be left now: without a question before the first answer or after
    // the end; else the player is asked, and told that the answers so far are kept.
    bool mayLeave() const;
    // Where the keyboard starts on the page on show.
    QWidget *firstFocus() const;
    // The controls in reading order, for the window's Tab chain.
    QList<QWidget *> focusChain() const;

    // The player picks place k (1..12, reading order) of the card on show.
    void pick(int k);
    // From the learning card to the next card, or to the end.
    void moveOn();
    // Tells a screen reader what the page on show says: the question, the whole learning card
    // or how the review went. Each page tells it as it comes, once on show; the window tells the
    // first page once it has given it the focus, which a reader would speak over it.
    void sayPage();

signals:
    // The player leaves the review, at its end or before.
    void closed();
    // An answer went to the schedule.
    void scheduleChanged();
    // The player asks to see what they know on the world map, from the end of the review.
    void worldMapRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A click that comes within the system's double-click time of a new page was meant for the
    // page before: it picks nothing and moves nothing on.
    bool tooSoonAfterPageChange() const;

    void showCard();
    void showLearning(int pickedRow);
    void showEnd();
    void showPage(Page page);
    QString nameOf(int flagId) const;

    Services &m_services;
    QString m_appPath;
    PlayerData &m_playerData;

    ReviewRows m_world;
    // The kana reading of each name holding kanji, by flag ID; empty for the others.
    std::array<QString, CountryTable::upperBound + 1> m_readings;
    MasteryRecord::Record m_record; // the confusions, as of the review's start
    SimilarityTable m_similar;
    std::unique_ptr<TodaysReview> m_review;
    std::unique_ptr<GameSession> m_board;
    Page m_page = Page::End;
    double m_pageShownAt = 0.0; // on the monotonic clock
    CardPictures m_pictures;

    QLabel *m_titleLabel;
    QLabel *m_progressLabel;
    QLabel *m_questionLabel;
    QLabel *m_keysLabel;
    std::array<ClickableLabel *, GameRules::cardsPerBoard + 1> m_cards{}; // place k at k
    QLabel *m_bigFlag;
    std::array<QPushButton *, GameRules::cardsPerBoard + 1> m_names{}; // place k at k
    QLabel *m_rightFlag;
    QLabel *m_rightText;
    QLabel *m_pickedFlag;
    QLabel *m_pickedText;
    QPushButton *m_nextButton;
    QLabel *m_endLabel;
    QPushButton *m_backButton;
    QPushButton *m_mapButton;
};
