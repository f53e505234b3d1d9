#pragma once

#include "BaseList.h"
#include "CardPictures.h"
#include "GameRules.h"
#include "GameSession.h"
#include "MasteryRecord.h"
#include "PracticeGame.h"
#include "ReviewPanel.h"

#include <QFrame>
#include <QHash>
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
struct Services;

// The game panel Picture1 on the main window: region choice with the two practice boxes,
// instructions, the twelve cards and the summary. It reads its region's list itself and says what
// happened through its signals; the main window decides who hears them.
class GamePanel : public QFrame
{
    Q_OBJECT
public:
    // `appPath` holds the lists and pictures, `dataPath` the results files.
    GamePanel(Services &services, QString appPath, QString dataPath, QWidget *parent);

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

signals:
    // The region buttons now point at `regionKey`.
    void regionChosen(const QString &regionKey);
    // A game has read its region's list.
    void listRead(const QString &regionKey, const BaseListLoad &load);
    // A game has ended with `score` and its line is in the results file (or the player has
    // been told why not). A practice game never says this: it is neither recorded nor rated.
    void gameFinished(const QString &regionKey, int score);
    // A game has ended: each question's flag and the cards clicked wrongly. Sent before
    // gameFinished; a game left unfinished sends nothing.
    void questionsLogged(const MasteryRecord::GameLog &game);
    // A flag in the review was clicked: the player wants to look it up.
    void reviewFlagPicked(int flagId);

public slots:
    // The panel in its waiting state; a game under way is left unrecorded.
    void openPanel();
    // The review of the last finished game in the card area, once its summary and rating are
    // done. Nothing happens once a new game has started or the panel was left since.
    void showReview();

protected:
    void hideEvent(QHideEvent *event) override;

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
    void dropReview();

    Services &m_services;
    QString m_appPath;
    QString m_dataPath;
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
    std::array<ClickableLabel *, 13> m_cards{}; // card k at k; slot 0 holds none

    // The running game, or the last one; `m_playing` while it takes clicks.
    std::unique_ptr<GameSession> m_session;
    bool m_playing = false;
    bool m_practice = false;
    QString m_regionKey;
    CardPictures m_pictures;

    // The last finished game, kept for its review until a new game starts or the panel is left.
    ReviewPanel *m_review;
    bool m_reviewReady = false;
    MasteryRecord::GameLog m_reviewGame;
    QHash<int, ReviewPanel::Flag> m_reviewFlags;
};
