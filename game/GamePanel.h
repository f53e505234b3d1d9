#pragma once

#include "BaseList.h"
#include "CardPictures.h"
#include "GameRules.h"
#include "MasteryRecord.h"
#include "PracticeGame.h"
#include "ReviewPanel.h"

#include <QFrame>
#include <QHash>
#include <QStringList>

#include <array>
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

    // Where the game stands; for the tests and the benchmark.
    bool playing() const { return m_playing; }
    int questionNumber() const { return m_question; }
    int missCount() const { return m_misses; }
    int answerPosition() const { return m_answerPos; }
    int cardRow(int k) const { return m_board.at(static_cast<size_t>(k)); }
    int rowCount() const { return m_rowCount; }
    // Whether the game under way (or the last one) is a practice game: one of the two boxes
    // was ticked at its start.
    bool practice() const { return m_practice.has_value(); }
    // The flag ID on a row of the running game's list.
    QString flagIdOfRow(int row) const;
    // Where the summary and the review that follows the rating are, on the screen; a window
    // shown meanwhile keeps clear of them.
    QRect summaryArea() const;
    QRect reviewArea() const;
    // Whether the flag on a row has been asked in this game.
    bool asked(int row) const
    {
        return row >= 0 && row <= GameRules::rowBound &&
               m_askedFlags[static_cast<size_t>(row)] != 0;
    }

signals:
    // The panel has come up over the start screen and the study views.
    void modeEntered();
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
    // The menu label " 札取りゲーム": the panel in its waiting state.
    void openPanel();
    // The review of the last finished game in the card area, once its summary and rating are
    // done. Nothing happens once a new game has started or the panel was left since. The review
    // ends left of `besideWindow` (on the screen) where that window lies over its place.
    void showReview(const QRect &besideWindow = QRect());

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void chooseRegion(int index);
    void back();
    void start();
    void askNextQuestion();
    void cardClicked(int k);
    void finishGame();
    void fitSummary();
    void showInstructions();
    void setCardsVisible(bool visible);
    void setRegionChoiceVisible(bool visible);
    QString countryOfRow(int row) const;
    QRect reviewGeometry(const QRect &besideWindow = QRect()) const;
    void dropReview();

    Services &m_services;
    QString m_appPath;
    QString m_dataPath;
    QGroupBox *m_frame1;
    std::array<QRadioButton *, 5> m_option2{};
    QLabel *m_label13;
    QLabel *m_label14;
    QLabel *m_label16;
    QLabel *m_label17;
    QPushButton *m_command2;
    QPushButton *m_command3;
    QPlainTextEdit *m_text1;
    QCheckBox *m_checkWeakest;
    QCheckBox *m_checkLookAlike;
    std::array<ClickableLabel *, 13> m_image4{}; // 0 exists off-screen and is never used

    // The running game. Its rows are copied from the country table at the start, so that
    // nothing loaded meanwhile (the study views, the results window) changes what it draws.
    bool m_playing = false;
    QString m_regionKey;
    int m_scoreBase = 0;
    int m_rowCount = 0;
    QStringList m_rowFlagIds; // by row - 1
    QStringList m_rowNames;   // by row - 1
    int m_question = 0;
    int m_misses = 0;
    double m_startTime = 0.0;
    GameRules::Board m_board{};
    GameRules::RowMarks m_onBoard{};
    int m_answerPos = 0;
    GameRules::RowMarks m_askedFlags{};
    // Set for a practice game, which draws its own questions and boards.
    std::optional<PracticeGame> m_practice;
    CardPictures m_pictures;
    MasteryRecord::GameLog m_log; // the running game's questions so far

    // The last finished game, kept for its review until a new game starts or the panel is left.
    ReviewPanel *m_review;
    bool m_reviewReady = false;
    MasteryRecord::GameLog m_reviewGame;
    QHash<int, ReviewPanel::Flag> m_reviewFlags;
};
