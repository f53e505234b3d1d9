#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

// The game panel's lines of text: before a game how it goes, during one the question asked and
// its number, and the verdict on the last pick with the ✓ or ✕ beside it, so that right and
// wrong are told by a sign, not by colour alone.
class GameCaptions : public QObject
{
    Q_OBJECT
public:
    // Made on `panel`.
    explicit GameCaptions(QWidget *panel);

    // How a game goes, and whether its result is kept: a practice game keeps none.
    void showInstructions(bool practice);
    // The prompt of a game's questions, shown with the first board.
    void askForFlags();
    // A board's question: the country asked (marked when practice) and the question's number.
    void showQuestion(const QString &asked, int number);
    void showVerdict(bool right);
    // "正解です。" or "違います。"; empty before the first pick.
    QString verdict() const;
    // The question as a screen reader says it: "…の国旗はどれですか？ 第3問".
    QString spokenQuestion() const;

    void hidePrompt();
    // The instructions back in sight.
    void showText();
    // The verdict, its sign and the question's number gone.
    void clearGame();

private:
    QLabel *m_question;
    QLabel *m_prompt;
    QLabel *m_number;
    QLabel *m_verdict;
    QLabel *m_sign;
};
