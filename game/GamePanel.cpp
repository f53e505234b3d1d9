#include "GamePanel.h"

#include "BaseList.h"
#include "ClickableLabel.h"
#include "Clock.h"
#include "MessageBox.h"
#include "RandomSource.h"
#include "Regions.h"
#include "ResultsFile.h"
#include "Services.h"
#include "SimilarityTable.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHideEvent>
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
// The review's place: the card area from its left edge up to the region choice, whose frame
// (and the summary right of it) stay whole and answer clicks beside it.
constexpr int reviewLeftTwips = 390;
constexpr int reviewTopTwips = 3390;
constexpr int reviewGapTwips = 150;

} // namespace

GamePanel::GamePanel(Services &services, QString appPath, QString dataPath, QWidget *parent)
    : QFrame(parent), m_services(services), m_appPath(std::move(appPath)),
      m_dataPath(std::move(dataPath))
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(true);
    setGeometry(Twips::rect(0, 600, 19200, 10800));
    hide();

    m_regionFrame = Twips::place(new QGroupBox(QStringLiteral("札取りゲーム"), this), "Frame1",
                                 11430, 1050, 3855, 4035, 18, true);

    static constexpr int optionGeometry[5][3] = {{1800, 3435, 525},
                                                 {2430, 2745, 525},
                                                 {3090, 2775, 525},
                                                 {3720, 3375, 525},
                                                 {4350, 3315, 525}};
    for (int i = 0; i < Regions::count; ++i) {
        auto *button = new QRadioButton(Regions::at(i).displayName, this);
        button->setObjectName(QStringLiteral("Option2"));
        button->setProperty("index", i);
        button->setGeometry(
            Twips::rect(11700, optionGeometry[i][0], optionGeometry[i][1], optionGeometry[i][2]));
        button->setFont(Twips::designFont(18, true));
        button->raise();
        m_regionButtons[static_cast<size_t>(i)] = button;
        connect(button, &QRadioButton::clicked, this, [this, i] { chooseRegion(i); });
    }

    m_questionLabel = Twips::place(new QLabel(this), "Label13", 2400, 1260, 8595, 705, 18, true);
    // The waiting instruction is longer than the label is wide; it wraps rather than being cut.
    m_questionLabel->setWordWrap(true);
    m_promptLabel = Twips::place(new QLabel(this), "Label14", 2400, 2100, 7005, 1215, 15.75);
    m_promptLabel->setWordWrap(true);
    m_promptLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_questionNumberLabel =
        Twips::place(new QLabel(this), "Label17", 12780, 1080, 2955, 1065, 24, true);
    m_verdictLabel = Twips::place(new QLabel(this), "Label16", 13590, 2370, 1965, 585, 21.75, true);
    m_startButton = Twips::place(new QPushButton(QStringLiteral("スタート"), this), "Command2",
                                 16230, 840, 1755, 855, 21.75, true);
    m_backButton = Twips::place(new QPushButton(QStringLiteral("戻る"), this), "Command3", 16230,
                                2040, 1425, 585, 20.25);
    m_summaryBox = Twips::place(new QPlainTextEdit(this), "Text1", 15090, 3360, 3135, 2265, 18);
    m_summaryBox->setReadOnly(true);
    // The practice boxes sit under the region frame, left of the summary's left edge (the
    // summary only grows rightwards and downwards), so neither covers the other.
    m_weakestBox = Twips::place(new QCheckBox(QStringLiteral("苦手な国旗を練習"), this),
                                "CheckWeakest", 11430, 5250, 3600, 480, 15.75, true);
    m_lookAlikeBox = Twips::place(new QCheckBox(QStringLiteral("似ている国旗で出題"), this),
                                  "CheckLookAlike", 11430, 5790, 3600, 480, 15.75, true);
    for (QCheckBox *box : {m_weakestBox, m_lookAlikeBox})
        connect(box, &QCheckBox::toggled, this, &GamePanel::showInstructions);
    connect(m_startButton, &QPushButton::clicked, this, &GamePanel::start);
    connect(m_backButton, &QPushButton::clicked, this, &GamePanel::back);

    static constexpr int cardLefts[6] = {390, 3180, 5970, 8730, 11520, 14370};
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        auto *card = new ClickableLabel(this);
        card->setObjectName(QStringLiteral("Image4"));
        card->setProperty("index", k);
        card->setScaledContents(true);
        card->setGeometry(Twips::rect(cardLefts[(k - 1) % 6], k <= 6 ? 3390 : 6060, 2385, 1455));
        card->hide();
        m_cards[static_cast<size_t>(k)] = card;
        connect(card, &ClickableLabel::clicked, this, [this, k] { cardClicked(k); });
    }

    m_review = new ReviewPanel(this);
    connect(m_review, &ReviewPanel::flagPicked, this, &GamePanel::reviewFlagPicked);
}

void GamePanel::hideControls()
{
    setRegionChoiceVisible(false);
    m_promptLabel->hide();
    m_startButton->hide();
    m_backButton->hide();
    m_summaryBox->hide();
}

void GamePanel::fitToScreen(int screenWidthTwips, int screenHeightTwips)
{
    this->setGeometry(Twips::rect(0, 600, screenWidthTwips, screenHeightTwips - 500));
}

void GamePanel::showInstructions()
{
    const QString n = QString::number(GameRules::questionsPerGame);
    m_questionLabel->setText(
        QStringLiteral("国旗当ての問題が") + n +
        QStringLiteral("問出題されます。地域を選んでからスタートボタンを押して下さい。"));
    // A practice game keeps no result; promising one would mislead.
    if (m_weakestBox->isChecked() || m_lookAlikeBox->isChecked())
        m_promptLabel->setText(QStringLiteral("練習の成績は記録されず、全国偏差値も出ません。"));
    else
        m_promptLabel->setText(
            n + QStringLiteral("問終了すると成績が記録されます。　グラフで成績が確認できます。"));
}

void GamePanel::setCardsVisible(bool visible)
{
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        m_cards[static_cast<size_t>(k)]->setVisible(visible);
}

void GamePanel::setRegionChoiceVisible(bool visible)
{
    m_regionFrame->setVisible(visible);
    m_weakestBox->setVisible(visible);
    m_lookAlikeBox->setVisible(visible);
    for (QRadioButton *button : m_regionButtons) {
        button->setVisible(visible);
        // The game's captions lie across the buttons; empty while the region is chosen, they
        // would still take the clicks meant for the buttons.
        if (visible)
            button->raise();
    }
}

void GamePanel::openPanel()
{
    m_promptLabel->hide();
    for (int i = 0; i < Regions::count; ++i) {
        if (m_regionButtons[static_cast<size_t>(i)]->isChecked())
            emit regionChosen(Regions::at(i).key);
    }
    m_regionButtons[0]->setChecked(true);
    showInstructions();
    setRegionChoiceVisible(true);
    m_questionLabel->show();
    m_promptLabel->show();
    m_startButton->show();
    m_backButton->show();
    m_verdictLabel->clear();
    m_questionNumberLabel->clear();
    setCardsVisible(false);
    // A game left this way is over; nothing of it is recorded.
    m_playing = false;
}

void GamePanel::chooseRegion(int index)
{
    emit regionChosen(Regions::at(index).key);
    showInstructions();
}

void GamePanel::back()
{
    dropReview();
    m_summaryBox->hide();
    openPanel();
}

void GamePanel::start()
{
    dropReview();
    m_playing = false;
    m_summaryBox->hide();

    int region = 0;
    for (int i = 0; i < Regions::count; ++i) {
        if (m_regionButtons[static_cast<size_t>(i)]->isChecked())
            region = i;
    }
    const QString regionKey = Regions::at(region).key;
    emit regionChosen(regionKey);

    const auto refuse = [this](const QString &text) {
        setCardsVisible(false);
        setRegionChoiceVisible(true);
        m_services.messages.show(text);
    };
    // The game reads its region's list into a table of its own and draws from it for the
    // whole game, so nothing loaded meanwhile (the study views) changes what it draws.
    CountryTable table;
    BaseListLoad load;
    try {
        load = BaseList::load(BaseList::path(m_appPath, regionKey), table);
    } catch (const BaseListError &error) {
        refuse(error.message());
        return;
    }
    emit listRead(regionKey, load);

    const int rowCount = std::clamp(load.recordCount, 0, GameRules::rowBound);
    if (rowCount < GameRules::minimumRows) {
        refuse(QStringLiteral("「%1」には国が%2か国しかないため、ゲームを始められません。"
                              "ゲームには%3か国以上が必要です。")
                   .arg(Regions::at(region).displayName)
                   .arg(rowCount)
                   .arg(GameRules::minimumRows));
        return;
    }

    m_regionKey = regionKey;
    const PracticeGame::Options practice{m_weakestBox->isChecked(), m_lookAlikeBox->isChecked()};
    m_practice = practice.any();
    std::unique_ptr<BoardSource> boards;
    if (m_practice) {
        // A record that cannot be read leaves every flag unasked; saving it after the game
        // fails the same way and tells the player then.
        boards = std::make_unique<PracticeGame>(
            practice, table.flagIds, rowCount, MasteryRecord::read(m_dataPath),
            SimilarityTable::load(SimilarityTable::path(m_appPath)),
            m_services.clock.localNow().date(), m_services.random);
    } else {
        boards = std::make_unique<RandomBoards>(rowCount);
    }
    m_session = std::make_unique<GameSession>(GameSession::rowsOf(table, rowCount),
                                              Regions::at(region).scoreBase, std::move(boards),
                                              m_services.random);
    {
        WaitCursor wait;
        m_pictures.prepare(m_appPath, m_session->rows().flagIds, m_cards[1]->size());
    }

    setCardsVisible(true);
    setRegionChoiceVisible(false);
    m_promptLabel->setText(QStringLiteral("の国旗はどれですか？"));
    m_playing = true;
    showBoard();
    // Laying out the first board is not the player's time; every later board is.
    m_session->startClock(m_services.clock.monotonicSeconds());
}

void GamePanel::showBoard()
{
    const GameSession &game = *m_session;
    m_questionNumberLabel->setText(QStringLiteral("第") + QString::number(game.questionNumber()) +
                                   QStringLiteral("問"));
    m_questionLabel->setText(game.askedName());
    m_promptLabel->show();
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        ClickableLabel *card = m_cards[static_cast<size_t>(k)];
        const QString flagId = game.flagIdAt(k);
        const QPixmap picture = flagId.isEmpty() ? QPixmap() : m_pictures.card(flagId);
        // A flag whose picture cannot be read shows as an empty card; the game goes on.
        if (picture.isNull())
            card->clear();
        else
            card->setPixmap(picture);
    }
}

void GamePanel::cardClicked(int k)
{
    if (!m_playing)
        return;
    switch (m_session->pick(k)) {
    case GameSession::Pick::Right:
        m_verdictLabel->setText(QStringLiteral("正解です。"));
        if (m_session->over())
            finishGame();
        else
            showBoard();
        break;
    case GameSession::Pick::Wrong:
        m_verdictLabel->setText(QStringLiteral("違います。"));
        break;
    case GameSession::Pick::Ignored:
        break;
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
    const int frame = 2 * m_summaryBox->frameWidth();
    QTextDocument measure;
    measure.setDefaultFont(m_summaryBox->font());
    measure.setDocumentMargin(m_summaryBox->document()->documentMargin());
    measure.setPlainText(m_summaryBox->toPlainText());
    const int room = std::max(designed.width(), width() - designed.left() - edge);
    const int width = std::clamp(static_cast<int>(std::ceil(measure.idealWidth())) + frame + edge,
                                 designed.width(), room);
    measure.setTextWidth(width - frame);
    const int needed = static_cast<int>(std::ceil(measure.size().height())) + frame + edge;
    m_summaryBox->setGeometry(designed.left(), designed.top(), width,
                              std::max(designed.height(), needed));
}

void GamePanel::finishGame()
{
    m_playing = false;

    const GameSession::Result result = m_session->result(m_services.clock.monotonicSeconds());
    const int score = result.score;
    const QDateTime endedAt = m_services.clock.localNow();
    const QString summary = GameRules::summary(score, result.elapsedTenths, result.misses, endedAt);
    m_summaryBox->setPlainText(m_practice ? PracticeGame::summaryMark() + summary : summary);

    // A practice game's score is not comparable with the players' scores: it is not added to
    // the results, and below it is neither rated nor counted on our server.
    if (!m_practice) {
        if (const std::optional<FileError> error = ResultsFile::append(
                m_dataPath, m_regionKey,
                GameRules::resultsLine(score, result.elapsedTenths, result.misses, endedAt))) {
            m_services.messages.show(
                QStringLiteral("成績を記録できませんでした。\n%1\n%2")
                    .arg(ResultsFile::path(m_dataPath, m_regionKey), error->message()));
        }
    }

    fitSummary();
    m_summaryBox->show();
    setCardsVisible(false);

    // The review keeps its own copy of names and pictures: the next game may be of another
    // region before the rating is done.
    m_reviewGame = m_session->log();
    m_reviewFlags.clear();
    const GameSession::Rows &rows = m_session->rows();
    const auto keep = [this, &rows](int flagId) {
        const QString id = QString::number(flagId);
        const qsizetype row = rows.flagIds.indexOf(id);
        m_reviewFlags.insert(flagId, {row >= 0 ? rows.names[row] : QString(), m_pictures.card(id)});
    };
    for (const MasteryRecord::Question &question : std::as_const(m_reviewGame)) {
        if (question.wrongClicks.isEmpty())
            continue;
        keep(question.askedFlagId);
        for (const int id : question.wrongClicks)
            keep(id);
    }
    m_reviewReady = true;

    emit regionChosen(m_regionKey);
    // Practice or not, what was asked and missed goes to the flags' record.
    emit questionsLogged(m_reviewGame);
    if (m_practice) {
        // No rating comes first, so the review comes at once.
        showReview();
        return;
    }
    // The rating that hears this pauses with the windows answering: a new game may start
    // meanwhile, so nothing of this game is touched after it.
    emit gameFinished(m_regionKey, score);
}

void GamePanel::showReview()
{
    if (!m_reviewReady || m_playing)
        return;
    const int gap = Twips::toPixels(reviewGapTwips);
    const int left = Twips::toPixels(reviewLeftTwips);
    const int top = Twips::toPixels(reviewTopTwips);
    const int right = m_regionFrame->geometry().left() - gap;
    // The panel reaches below a window smaller than the screen; the review ends where the
    // player can still see it.
    const int bottom = std::min(height(), m_visibleHeight) - gap;
    m_review->setGeometry(left, top, std::max(0, right - left), std::max(0, bottom - top));
    m_review->setGame(m_reviewGame, m_reviewFlags);
    m_review->show();
    m_review->raise();
}

void GamePanel::dropReview()
{
    m_reviewReady = false;
    m_review->hide();
}

void GamePanel::hideEvent(QHideEvent *event)
{
    // Another mode has taken the window; a minimised window is not that.
    if (!event->spontaneous())
        dropReview();
    QFrame::hideEvent(event);
}
