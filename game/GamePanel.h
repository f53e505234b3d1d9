#pragma once

#include "CardPictures.h"
#include "GameRules.h"

#include <QObject>
#include <QStringList>

#include <array>

class ClickableLabel;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;
struct MainWindowContext;

// The game panel Picture1 on the main window: region choice, instructions, the twelve cards
// and the summary.
class GamePanel : public QObject
{
    Q_OBJECT
public:
    GamePanel(MainWindowContext &context, QWidget *form);

    QFrame *picture1() const { return m_picture1; }
    QGroupBox *frame1() const { return m_frame1; }
    QRadioButton *option2(int index) const { return m_option2.at(static_cast<size_t>(index)); }
    QLabel *label14() const { return m_label14; }
    QPushButton *command2() const { return m_command2; }
    QPushButton *command3() const { return m_command3; }
    QPlainTextEdit *text1() const { return m_text1; }

    // Sets the panel to the size of the screen below the menu (start-up).
    void fitToScreen(int screenWidthTwips, int screenHeightTwips);

    // Where the game stands; for the tests and the benchmark.
    bool playing() const { return m_playing; }
    int questionNumber() const { return m_question; }
    int missCount() const { return m_misses; }
    int answerPosition() const { return m_answerPos; }
    int cardRow(int k) const { return m_board.at(static_cast<size_t>(k)); }
    int rowCount() const { return m_rowCount; }

public slots:
    // The menu label " 札取りゲーム": the panel in its waiting state.
    void openPanel();

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

    MainWindowContext &m_context;
    QFrame *m_picture1;
    QGroupBox *m_frame1;
    std::array<QRadioButton *, 5> m_option2{};
    QLabel *m_label13;
    QLabel *m_label14;
    QLabel *m_label16;
    QLabel *m_label17;
    QPushButton *m_command2;
    QPushButton *m_command3;
    QPlainTextEdit *m_text1;
    std::array<ClickableLabel *, 13> m_image4{}; // 0 exists off-screen and is never used

    // The running game. Its rows are copied from the country table at the start, so that
    // nothing loaded meanwhile (the study views, the results window) changes what it draws.
    bool m_playing = false;
    QString m_regionKey;
    int m_scoreBase = 1500;
    int m_rowCount = 0;
    QStringList m_rowFlagIds; // by row - 1
    QStringList m_rowNames;   // by row - 1
    int m_question = 0;
    int m_misses = 0;
    double m_startTime = 0.0;
    GameRules::Board m_board{};
    GameRules::RowMarks m_onBoard{};
    int m_answerPos = 0;
    CardPictures m_pictures;
};
