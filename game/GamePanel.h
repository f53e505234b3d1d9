#pragma once

#include "BaseList.h"
#include "CardPictures.h"
#include "GameRules.h"
#include "GameSession.h"
#include "MasteryRecord.h"
#include "MissReviewPanel.h"
#include "PracticeGame.h"

#include <QFrame>
#include <QHash>
#include <QList>
#include <QStringList>

#include <array>
#include <limits>
#include <memory>
#include <optional>

class ClickableLabel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class PlayerData;
struct Services;

// The game panel Picture1 on the main window: region choice with the two practice boxes,
// instructions, the twelve cards and the summary. It reads its region's list itself and says what
// happened through its signals; the main window decides who hears them.
class GamePanel : public QFrame
{
    Q_OBJECT
public:
    // `appPath` holds the lists and pictures; `playerData` takes the results and the record.
    GamePanel(Services &services, QString appPath, PlayerData &playerData, QWidget *parent);

    // Start-up: every control hidden until the panel is opened.
    void hideControls();
    // Sets the panel to the size of the screen below the menu (start-up).
    void fitToScreen(int screenWidthTwips, int screenHeightTwips);
    // How much of the panel, from its top, the window has room for; the rest is out of sight.
    void setVisibleHeight(int pixels) { m_visibleHeight = pixels; }

    // The game under way, or the last one; null before the first.
    const GameSession *session() const { return m_session.get(); }
    bool playing() const { return m_playing; }
    // The card that carries the asked flag now.
    int answerPosition() const { return m_session ? m_session->answerPosition() : 0; }
    // Whether the game under way (or the last one) is a practice game: one of the two boxes
    // was ticked at its start.
    bool practice() const { return m_practice; }
    // The region whose button is checked now.
    QString chosenRegionKey() const;
    // The day's review button: "今日の復習 23枚", "今日の復習 100枚（ほか 283枚）" when more wait
    // for later days, or "復習はありません" and not clickable.
    void setDailyReviewCount(int cards, int waiting = 0);
    // Where the summary and the review that follows the rating are, on the screen; a window
    // shown meanwhile keeps clear of them.
    QRect summaryArea() const;
    QRect reviewArea() const;
    // Where the twelve cards lie on the screen.
    QRect cardArea() const;

    // Whether the game under way may be given up now. Once a card has been picked, rightly or
    // not, the player is asked first; false keeps the game as it is, the focus back on the card
    // it last was on. Every way out of a game asks here.
    bool mayLeaveGame();

    // The controls of the panel in reading order, for the window's Tab chain: the region
    // choice, スタート and 戻る, then the cards. Hidden ones are passed over by the chain.
    QList<QWidget *> focusChain() const;
    // Where the focus goes when the panel opens: the region chosen.
    QWidget *firstFocus() const;

signals:
    // The region buttons now point at `regionKey`.
    void regionChosen(const QString &regionKey);
    // A game has read its region's list.
    void listRead(const QString &regionKey, const BaseListLoad &load);
    // A game has ended with `score` and its line is in the results file (or the player has
    // been told why not). A practice game never says this: it is neither recorded nor rated.
    void gameFinished(const QString &regionKey, int score);
    // A game has ended: each question's flag and the cards clicked wrongly. Sent before
    // gameFinished; a game left unfinished sends the questions answered before it was left.
    void questionsLogged(const MasteryRecord::GameLog &game);
    // A flag in the review was clicked: the player wants to look it up.
    void reviewFlagPicked(int flagId);
    // The player asks for the day's review of the flags, new ones first from `regionKey`.
    void dailyReviewRequested(const QString &regionKey);
    // A game has begun: its cards are on show.
    void gameStarted();

public slots:
    // The panel in its waiting state; a game under way is left without a results line.
    void openPanel();
    // The review of the last finished game in the card area, once its summary and rating are
    // done. Nothing happens once a new game has started or the panel was left since. The review
    // ends left of `besideWindow` (on the screen) where that window lies over its place.
    void showReview(const QRect &besideWindow = QRect());
    // Brings back the review that another mode set aside (the player looked a flag of it up),
    // placed as showReview() places it. False when there is none: a new game was started or
    // "戻る" pressed since.
    bool reopenReview(const QRect &besideWindow = QRect());
    // "戻る": back to the waiting panel, once the player agrees to give up a game under way.
    void goBack();
    // Ends the game under way, if any, without a results line, a rating or a report: only the
    // answers given so far go out, through questionsLogged. Also the program's end.
    void leaveGame();
    // Another mode takes the window: the game under way is over as leaveGame() ends it, and the
    // review waits until the player asks for it again.
    void abandon();

protected:
    // The arrow keys move the focus over the cards.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void chooseRegion(int index);
    void back();
    void start();
    void showBoard();
    void cardClicked(int k);
    void finishGame();
    void fitSummary();
    void showInstructions();
    void setCardsVisible(bool visible);
    void setRegionChoiceVisible(bool visible);
    QRect reviewGeometry(const QRect &besideWindow = QRect()) const;
    void dropReview();
    void createKeys();
    void showVerdict(bool right);
    // The question as a screen reader says it: "…の国旗はどれですか？ 第3問".
    QString spokenQuestion() const;
    void markMiss(int k, bool wrong);

    Services &m_services;
    QString m_appPath;
    PlayerData &m_playerData;
    int m_visibleHeight = std::numeric_limits<int>::max();
    QGroupBox *m_regionFrame;
    std::array<QRadioButton *, 5> m_regionButtons{};
    QLabel *m_questionLabel;
    QLabel *m_promptLabel;
    QLabel *m_verdictLabel;
    QLabel *m_questionNumberLabel;
    QPushButton *m_startButton;
    QPushButton *m_backButton;
    QPlainTextEdit *m_summaryBox;
    QCheckBox *m_weakestBox;
    QCheckBox *m_lookAlikeBox;
    QPushButton *m_dailyReviewButton;
    std::array<ClickableLabel *, 13> m_cards{}; // card k at k; slot 0 holds none
    int m_lastFocusedCard = 1;                  // where the keyboard comes back to in a game
    // The ✕ on a card picked wrongly, and the ✓ or ✕ beside the verdict: right and wrong are
    // told by a sign, not by colour alone.
    std::array<QLabel *, 13> m_missMarks{};
    QLabel *m_verdictSign;

    // The running game, or the last one; `m_playing` while it takes clicks.
    std::unique_ptr<GameSession> m_session;
    bool m_playing = false;
    bool m_practice = false;
    QString m_regionKey;
    CardPictures m_pictures;

    // The last finished game, kept for its review until a new game starts or the panel is left.
    MissReviewPanel *m_review;
    bool m_reviewReady = false;
    // Another mode took the window: the review comes back only when the player asks for it.
    bool m_reviewSetAside = false;
    MasteryRecord::GameLog m_reviewGame;
    QHash<int, MissReviewPanel::Flag> m_reviewFlags;
};
