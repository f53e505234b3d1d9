#pragma once

#include "GamePanelState.h"
#include "GameSetup.h"
#include "MissReviewPanel.h"

#include <QFrame>
#include <QHash>
#include <QList>
#include <QStringList>

#include <limits>

class CardBoard;
class GameCaptions;
class QPlainTextEdit;
class QPushButton;
class RegionChoice;
struct Services;

// The game panel Picture1 on the main window: region choice with the two practice boxes,
// instructions, the twelve cards and the summary. It plays the game it is handed and says what
// the player chose and what happened through its signals; the main window decides who hears them.
class GamePanel : public QFrame
{
    Q_OBJECT
public:
    // `appPath` holds the pictures.
    GamePanel(Services &services, QString appPath, QWidget *parent);

    // Start-up: every control hidden until the panel is opened.
    void hideControls();
    // Sets the panel to the size of the screen below the menu (start-up).
    void fitToScreen(int screenWidthTwips, int screenHeightTwips);
    // How much of the panel, from its top, the window has room for; the rest is out of sight.
    void setVisibleHeight(int pixels) { m_visibleHeight = pixels; }

    // The game under way, or the last one; null before the first.
    const GameSession *session() const { return m_game.session.get(); }
    bool playing() const { return m_state == GamePanelState::State::Playing; }
    // The card that carries the asked flag now.
    int answerPosition() const { return session() ? session()->answerPosition() : 0; }
    // Whether the game under way (or the last one) is a practice game: one of the two boxes
    // was ticked at its start.
    bool practice() const { return m_game.practice; }
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

    // The game the player asked for with スタート, or why there is none; see startRequested.
    void play(GameSetup::Prepared prepared);

signals:
    // The region buttons now point at `regionKey`.
    void regionChosen(const QString &regionKey);
    // スタート: the game under way, if any, is left; the window prepares the chosen game and
    // hands it to play().
    void startRequested(const GameSetup::Choice &choice);
    // A game is over, played out (its summary on show) or left with answers given; said once
    // for each game. The rating that hears of a rated game pauses with the windows answering:
    // a new game may start meanwhile.
    void gameFinished(const FinishedGame &game);
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
    // answers given so far go out, through gameFinished. Also the program's end.
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
    // The review keeps its own copy of the missed flags' names and pictures.
    void keepReview(const MasteryRecord::GameLog &game);
    void fitSummary();
    void showInstructions();
    QRect reviewGeometry(const QRect &besideWindow = QRect()) const;
    void dropReview();
    void createKeys();
    void moveTo(GamePanelState::Event event) { m_state = GamePanelState::after(m_state, event); }

    Services &m_services;
    QString m_appPath;
    int m_visibleHeight = std::numeric_limits<int>::max();
    RegionChoice *m_regionChoice;
    GameCaptions *m_captions;
    QPushButton *m_startButton;
    QPushButton *m_backButton;
    QPlainTextEdit *m_summaryBox;
    CardBoard *m_board;

    GamePanelState::State m_state = GamePanelState::State::Waiting;
    // The running game, or the last one.
    GameSetup::Game m_game;

    // The last finished game, kept for its review until a new game starts or the panel is left.
    MissReviewPanel *m_review;
    MasteryRecord::GameLog m_reviewGame;
    QHash<int, MissReviewPanel::Flag> m_reviewFlags;
};
