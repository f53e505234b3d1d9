#include "GamePanel.h"

#include "BaseList.h"
#include "ClickableLabel.h"
#include "Clock.h"
#include "MainWindowContext.h"
#include "MessageBox.h"
#include "NationalDeviation.h"
#include "NumberText.h"
#include "RandomSource.h"
#include "Regions.h"
#include "ResultsWriter.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {

// Room kept beyond the summary's text, and between the summary and the panel's edge.
constexpr int summaryEdgeTwips = 150;

} // namespace

GamePanel::GamePanel(MainWindowContext &context, QWidget *form) : QObject(form), m_context(context)
{
    m_picture1 = new QFrame(form);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setAutoFillBackground(true);
    m_picture1->setGeometry(Twips::rect(0, 600, 19200, 10800));
    m_picture1->hide();
    context.picture1 = m_picture1;

    m_frame1 = Twips::place(new QGroupBox(QStringLiteral("札取りゲーム"), m_picture1), "Frame1",
                            11430, 1050, 3855, 4035);
    m_frame1->setFont(Twips::designFont(18, true));

    static constexpr int optionGeometry[5][3] = {{1800, 3435, 525},
                                                 {2430, 2745, 525},
                                                 {3090, 2775, 525},
                                                 {3720, 3375, 525},
                                                 {4350, 3315, 525}};
    for (int i = 0; i < Regions::count; ++i) {
        auto *button = new QRadioButton(Regions::at(i).displayName, m_picture1);
        button->setObjectName(QStringLiteral("Option2"));
        button->setProperty("index", i);
        button->setGeometry(
            Twips::rect(11700, optionGeometry[i][0], optionGeometry[i][1], optionGeometry[i][2]));
        button->setFont(Twips::designFont(18, true));
        button->raise();
        m_option2[static_cast<size_t>(i)] = button;
        connect(button, &QRadioButton::clicked, this, [this, i] { chooseRegion(i); });
    }

    m_label13 = Twips::place(new QLabel(m_picture1), "Label13", 2400, 1260, 8595, 705);
    m_label13->setFont(Twips::designFont(18, true));
    // The waiting instruction is longer than the label is wide; it wraps rather than being cut.
    m_label13->setWordWrap(true);
    m_label14 = Twips::place(new QLabel(m_picture1), "Label14", 2400, 2100, 7005, 1215);
    m_label14->setFont(Twips::designFont(15.75));
    m_label14->setWordWrap(true);
    m_label14->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label17 = Twips::place(new QLabel(m_picture1), "Label17", 12780, 1080, 2955, 1065);
    m_label17->setFont(Twips::designFont(24, true));
    m_label16 = Twips::place(new QLabel(m_picture1), "Label16", 13590, 2370, 1965, 585);
    m_label16->setFont(Twips::designFont(21.75, true));
    m_command2 = Twips::place(new QPushButton(QStringLiteral("スタート"), m_picture1), "Command2",
                              16230, 840, 1755, 855);
    m_command2->setFont(Twips::designFont(21.75, true));
    m_command3 = Twips::place(new QPushButton(QStringLiteral("戻る"), m_picture1), "Command3",
                              16230, 2040, 1425, 585);
    m_command3->setFont(Twips::designFont(20.25));
    m_text1 = Twips::place(new QPlainTextEdit(m_picture1), "Text1", 15090, 3360, 3135, 2265);
    m_text1->setFont(Twips::designFont(18));
    m_text1->setReadOnly(true);
    connect(m_command2, &QPushButton::clicked, this, &GamePanel::start);
    connect(m_command3, &QPushButton::clicked, this, &GamePanel::back);

    static constexpr int cardLefts[6] = {390, 3180, 5970, 8730, 11520, 14370};
    for (int k = 0; k <= 12; ++k) {
        auto *card = new ClickableLabel(m_picture1);
        card->setObjectName(QStringLiteral("Image4"));
        card->setProperty("index", k);
        card->setScaledContents(true);
        if (k == 0)
            card->setGeometry(Twips::rect(-3000, -3000, 2385, 1455));
        else
            card->setGeometry(
                Twips::rect(cardLefts[(k - 1) % 6], k <= 6 ? 3390 : 6060, 2385, 1455));
        card->hide();
        m_image4[static_cast<size_t>(k)] = card;
        if (k > 0)
            connect(card, &ClickableLabel::clicked, this, [this, k] { cardClicked(k); });
    }
}

void GamePanel::fitToScreen(int screenWidthTwips, int screenHeightTwips)
{
    m_picture1->setGeometry(Twips::rect(0, 600, screenWidthTwips, screenHeightTwips - 500));
}

void GamePanel::showInstructions()
{
    const QString n = QString::number(GameRules::questionsPerGame);
    m_label13->setText(
        QStringLiteral("国旗当ての問題が") + n +
        QStringLiteral("問出題されます。地域を選んでからスタートボタンを押して下さい。"));
    m_label14->setText(
        n + QStringLiteral("問終了すると成績が記録されます。　グラフで成績が確認できます。"));
}

void GamePanel::setCardsVisible(bool visible)
{
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        m_image4[static_cast<size_t>(k)]->setVisible(visible);
}

void GamePanel::setRegionChoiceVisible(bool visible)
{
    m_frame1->setVisible(visible);
    for (QRadioButton *button : m_option2) {
        button->setVisible(visible);
        // The game's captions lie across the buttons; empty while the region is chosen, they
        // would still take the clicks meant for the buttons.
        if (visible)
            button->raise();
    }
}

void GamePanel::openPanel()
{
    if (m_context.text3)
        m_context.text3->hide();
    if (m_context.image6)
        m_context.image6->hide();
    m_label14->hide();
    for (int i = 0; i < Regions::count; ++i) {
        if (m_option2[static_cast<size_t>(i)]->isChecked())
            m_context.state.regionKey = Regions::at(i).key;
    }
    m_option2[0]->setChecked(true);
    showInstructions();
    setRegionChoiceVisible(true);
    m_label13->show();
    m_label14->show();
    m_command2->show();
    m_command3->show();
    m_label16->clear();
    m_label17->clear();
    // The panel lies over the study views and the start screen, but under the menu row, whose
    // buttons reach a little below the panel's top edge.
    m_picture1->raise();
    if (QWidget *form = m_picture1->parentWidget()) {
        for (QWidget *sibling : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (sibling != m_picture1 && !sibling->isWindow() && sibling->y() < m_picture1->y())
                sibling->raise();
        }
    }
    m_picture1->show();
    setCardsVisible(false);
    // A game left this way is over; nothing of it is recorded.
    m_playing = false;
}

void GamePanel::chooseRegion(int index)
{
    m_context.state.regionKey = Regions::at(index).key;
    showInstructions();
}

void GamePanel::back()
{
    m_text1->hide();
    m_onBoard.fill(0);
    openPanel();
}

void GamePanel::start()
{
    AppState &state = m_context.state;
    m_playing = false;
    m_misses = 0;
    m_text1->hide();

    int region = 0;
    for (int i = 0; i < Regions::count; ++i) {
        if (m_option2[static_cast<size_t>(i)]->isChecked())
            region = i;
    }
    state.regionKey = Regions::at(region).key;
    state.regionScoreBase = Regions::at(region).scoreBase;

    const auto refuse = [this](const QString &text) {
        setCardsVisible(false);
        setRegionChoiceVisible(true);
        m_context.services.messages.show(text);
    };
    try {
        m_context.loadBaseList();
    } catch (const BaseListError &error) {
        refuse(error.message());
        return;
    }

    // The game draws from its own copy of the region's rows for the whole game.
    m_regionKey = state.regionKey;
    m_scoreBase = state.regionScoreBase;
    m_rowCount = std::clamp(state.recordCount, 0, GameRules::rowBound);
    m_rowFlagIds.clear();
    m_rowNames.clear();
    for (int r = 1; r <= m_rowCount; ++r) {
        const QString id = m_context.table.flagIds[static_cast<size_t>(r)];
        const int number = id.toInt();
        m_rowFlagIds.append(id);
        m_rowNames.append(number >= 0 && number <= CountryTable::upperBound
                              ? m_context.table.countryNames[static_cast<size_t>(number)]
                              : QString());
    }
    if (m_rowCount < GameRules::minimumRows) {
        refuse(QStringLiteral("「%1」には国が%2か国しかないため、ゲームを始められません。"
                              "ゲームには%3か国以上が必要です。")
                   .arg(Regions::at(region).displayName)
                   .arg(m_rowCount)
                   .arg(GameRules::minimumRows));
        return;
    }

    m_onBoard.fill(0);
    state.askedFlags.fill(0);
    {
        WaitCursor wait;
        m_pictures.prepare(m_context.appPath, m_rowFlagIds, m_image4[1]->size());
    }

    setCardsVisible(true);
    setRegionChoiceVisible(false);
    m_label14->setText(QStringLiteral("の国旗はどれですか？"));
    m_question = 1;
    m_context.rowIndex = m_question;
    m_playing = true;
    askNextQuestion();
    // Laying out the first board is not the player's time; every later board is.
    m_startTime = m_context.services.clock.monotonicSeconds();
}

QString GamePanel::countryOfRow(int row) const
{
    return row >= 1 && row <= m_rowNames.size() ? m_rowNames[row - 1] : QString();
}

void GamePanel::askNextQuestion()
{
    if (m_question > GameRules::questionsPerGame) {
        finishGame();
        return;
    }
    RandomSource &random = m_context.services.random;
    m_board = GameRules::drawBoard(random, m_rowCount, m_context.state.askedFlags, m_onBoard);
    m_label17->setText(QStringLiteral("第") + QString::number(m_question) + QStringLiteral("問"));
    m_answerPos = GameRules::drawAnswerPosition(random);
    m_label13->setText(countryOfRow(m_board[static_cast<size_t>(m_answerPos)]));
    m_label14->show();
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        const int row = m_board[static_cast<size_t>(k)];
        ClickableLabel *card = m_image4[static_cast<size_t>(k)];
        const QPixmap picture = row >= 1 && row <= m_rowFlagIds.size()
                                    ? m_pictures.card(m_rowFlagIds[row - 1])
                                    : QPixmap();
        // A flag whose picture cannot be read shows as an empty card; the game goes on.
        if (picture.isNull())
            card->clear();
        else
            card->setPixmap(picture);
    }
}

void GamePanel::cardClicked(int k)
{
    if (!m_playing || k < 1 || k > GameRules::cardsPerBoard)
        return;
    const int asked = m_board[static_cast<size_t>(m_answerPos)];
    if (asked != 0 && m_board[static_cast<size_t>(k)] == asked) {
        m_label16->setText(QStringLiteral("正解です。"));
        ++m_question;
        m_context.rowIndex = m_question;
        m_context.state.askedFlags[static_cast<size_t>(asked)] = 1;
        askNextQuestion();
    } else {
        m_label16->setText(QStringLiteral("違います。"));
        ++m_misses;
    }
}

void GamePanel::fitSummary()
{
    // The summary box is narrower than its first line at its font. Left of it stand the region
    // buttons, which stay on show with the summary and must stay whole, so the box keeps its
    // left edge and top: it grows to the right as far as the panel reaches, and where that is
    // not enough the lines wrap and it grows downwards over the card area, which is empty
    // once the game is over.
    const QRect designed = Twips::rect(15090, 3360, 3135, 2265);
    const int edge = Twips::toPixels(summaryEdgeTwips);
    const int frame = 2 * m_text1->frameWidth();
    QTextDocument measure;
    measure.setDefaultFont(m_text1->font());
    measure.setDocumentMargin(m_text1->document()->documentMargin());
    measure.setPlainText(m_text1->toPlainText());
    const int room = std::max(designed.width(), m_picture1->width() - designed.left() - edge);
    const int width = std::clamp(static_cast<int>(std::ceil(measure.idealWidth())) + frame + edge,
                                 designed.width(), room);
    measure.setTextWidth(width - frame);
    const int needed = static_cast<int>(std::ceil(measure.size().height())) + frame + edge;
    m_text1->setGeometry(designed.left(), designed.top(), width,
                         std::max(designed.height(), needed));
}

void GamePanel::finishGame()
{
    AppState &state = m_context.state;
    Services &services = m_context.services;
    m_playing = false;

    const int tenths = GameRules::elapsedTenths(m_startTime, services.clock.monotonicSeconds());
    const int score = GameRules::score(m_scoreBase, tenths, m_misses);
    const QDateTime endedAt = services.clock.localNow();
    m_text1->setPlainText(GameRules::summary(score, tenths, m_misses, endedAt));

    QString error;
    if (!ResultsWriter::append(m_context.appPath, m_regionKey,
                               GameRules::resultsLine(score, tenths, m_misses, endedAt), &error)) {
        services.messages.show(
            QStringLiteral("成績を記録できませんでした。\n%1\n%2")
                .arg(ResultsWriter::path(m_context.appPath, m_regionKey), error));
    }

    fitSummary();
    m_text1->show();
    setCardsVisible(false);
    state.regionKey = m_regionKey;
    state.counterDataName = m_regionKey + QStringLiteral(".csv");
    // The rating pauses with the windows answering: a new game may start inside it, so
    // nothing of this game is touched after it.
    if (m_context.deviation)
        m_context.deviation->showNationalDeviation(NumberText::format(score));
}
