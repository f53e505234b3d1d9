#pragma once

#include <QObject>

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

private:
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
};
