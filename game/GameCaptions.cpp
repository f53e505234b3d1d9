#include "GameCaptions.h"

#include "GameRules.h"
#include "PhraseLabel.h"
#include "Twips.h"

#include <QLabel>

GameCaptions::GameCaptions(QWidget *panel) : QObject(panel)
{
    // The instructions are longer than their labels are wide; they wrap between phrases
    // rather than being cut or broken inside a word.
    m_question = Twips::place(new PhraseLabel(panel), "Label13", 2400, 1260, 8595, 705, 18, true);
    m_prompt = Twips::place(new PhraseLabel(panel), "Label14", 2400, 2100, 7005, 1215, 15.75);
    m_prompt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_number = Twips::place(new QLabel(panel), "Label17", 12780, 1080, 2955, 1065, 24, true);
    m_verdict = Twips::place(new QLabel(panel), "Label16", 13590, 2370, 1965, 585, 21.75, true);
    // The sign stands left of the verdict, in the gap after the prompt, so the verdict's own
    // text stays what it always was.
    m_sign =
        Twips::place(new QLabel(panel), "LabelVerdictSign", 13110, 2370, 480, 585, 21.75, true);
    m_sign->setAlignment(Qt::AlignCenter);
    m_sign->hide();
}

void GameCaptions::showInstructions(bool practice)
{
    const QString n = QString::number(GameRules::questionsPerGame);
    m_question->setText(
        QStringLiteral("国旗当ての問題が") + n +
        QStringLiteral("問出題されます。地域を選んでからスタートボタンを押して下さい。"));
    // A practice game keeps no result; promising one would mislead.
    if (practice)
        m_prompt->setText(QStringLiteral("練習の成績は記録されず、全国偏差値も出ません。"));
    else
        m_prompt->setText(
            n + QStringLiteral("問終了すると成績が記録されます。　グラフで成績が確認できます。"));
}

void GameCaptions::askForFlags()
{
    m_prompt->setText(QStringLiteral("の国旗はどれですか？"));
}

void GameCaptions::showQuestion(const QString &asked, int number)
{
    m_number->setText(QStringLiteral("第") + QString::number(number) + QStringLiteral("問"));
    m_question->setText(asked);
    m_prompt->show();
}

void GameCaptions::showVerdict(bool right)
{
    m_verdict->setText(right ? QStringLiteral("正解です。") : QStringLiteral("違います。"));
    m_sign->setText(right ? QStringLiteral("✓") : QStringLiteral("✕"));
    m_sign->setStyleSheet(right ? QStringLiteral("color: rgb(0, 128, 0);")
                                : QStringLiteral("color: rgb(192, 0, 0);"));
    m_sign->setAccessibleName(right ? QStringLiteral("正解の印") : QStringLiteral("不正解の印"));
    m_sign->show();
}

QString GameCaptions::verdict() const
{
    return m_verdict->text();
}

QString GameCaptions::spokenQuestion() const
{
    return m_question->text() + m_prompt->text() + QStringLiteral(" ") + m_number->text();
}

void GameCaptions::hidePrompt()
{
    m_prompt->hide();
}

void GameCaptions::showText()
{
    m_question->show();
    m_prompt->show();
}

void GameCaptions::clearGame()
{
    m_verdict->clear();
    m_sign->hide();
    m_number->clear();
}
