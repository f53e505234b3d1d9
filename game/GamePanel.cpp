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

    m_frame1 = Twips::place(new QGroupBox(QStringLiteral("札取りゲーム"), this), "Frame1", 11430,
                            1050, 3855, 4035, 18, true);

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
        m_option2[static_cast<size_t>(i)] = button;
        connect(button, &QRadioButton::clicked, this, [this, i] { chooseRegion(i); });
    }

    m_label13 = Twips::place(new QLabel(this), "Label13", 2400, 1260, 8595, 705, 18, true);
    // The waiting instruction is longer than the label is wide; it wraps rather than being cut.
    m_label13->setWordWrap(true);
    m_label14 = Twips::place(new QLabel(this), "Label14", 2400, 2100, 7005, 1215, 15.75);
    m_label14->setWordWrap(true);
    m_label14->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label17 = Twips::place(new QLabel(this), "Label17", 12780, 1080, 2955, 1065, 24, true);
    m_label16 = Twips::place(new QLabel(this), "Label16", 13590, 2370, 1965, 585, 21.75, true);
    m_command2 = Twips::place(new QPushButton(QStringLiteral("スタート"), this), "Command2", 16230,
                              840, 1755, 855, 21.75, true);
    m_command3 = Twips::place(new QPushButton(QStringLiteral("戻る"), this), "Command3", 16230,
                              2040, 1425, 585, 20.25);
    m_text1 = Twips::place(new QPlainTextEdit(this), "Text1", 15090, 3360, 3135, 2265, 18);
    m_text1->setReadOnly(true);
    // The practice boxes sit under the region frame, left of the summary's left edge (the
    // summary only grows rightwards and downwards), so neither covers the other.
    m_checkWeakest = Twips::place(new QCheckBox(QStringLiteral("苦手な国旗を練習"), this),
                                  "CheckWeakest", 11430, 5250, 3600, 480, 15.75, true);
    m_checkLookAlike = Twips::place(new QCheckBox(QStringLiteral("似ている国旗で出題"), this),
                                    "CheckLookAlike", 11430, 5790, 3600, 480, 15.75, true);
    for (QCheckBox *box : {m_checkWeakest, m_checkLookAlike})
        connect(box, &QCheckBox::toggled, this, &GamePanel::showInstructions);
    connect(m_command2, &QPushButton::clicked, this, &GamePanel::start);
    connect(m_command3, &QPushButton::clicked, this, &GamePanel::back);

    static constexpr int cardLefts[6] = {390, 3180, 5970, 8730, 11520, 14370};
    for (int k = 0; k <= 12; ++k) {
        auto *card = new ClickableLabel(this);
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

    m_review = new ReviewPanel(this);
    connect(m_review, &ReviewPanel::flagPicked, this, &GamePanel::reviewFlagPicked);
}

void GamePanel::hideControls()
{
    setRegionChoiceVisible(false);
    m_label14->hide();
    m_command2->hide();
    m_command3->hide();
    m_text1->hide();
}

void GamePanel::fitToScreen(int screenWidthTwips, int screenHeightTwips)
{
    this->setGeometry(Twips::rect(0, 600, screenWidthTwips, screenHeightTwips - 500));
}

void GamePanel::showInstructions()
{
    const QString n = QString::number(GameRules::questionsPerGame);
    m_label13->setText(
        QStringLiteral("国旗当ての問題が") + n +
        QStringLiteral("問出題されます。地域を選んでからスタートボタンを押して下さい。"));
    // A practice game keeps no result; promising one would mislead.
    if (m_checkWeakest->isChecked() || m_checkLookAlike->isChecked())
        m_label14->setText(QStringLiteral("練習の成績は記録されず、全国偏差値も出ません。"));
    else
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
    m_checkWeakest->setVisible(visible);
    m_checkLookAlike->setVisible(visible);
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
    emit modeEntered();
    m_label14->hide();
    for (int i = 0; i < Regions::count; ++i) {
        if (m_option2[static_cast<size_t>(i)]->isChecked())
            emit regionChosen(Regions::at(i).key);
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
    this->raise();
    if (QWidget *form = this->parentWidget()) {
        for (QWidget *sibling : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (sibling == this || sibling->isWindow())
                continue;
            // A masked sibling (the study display spans the window) is only where its mask is.
            const QRect shape = sibling->mask().isEmpty()
                                    ? sibling->geometry()
                                    : sibling->mask().boundingRect().translated(sibling->pos());
            if (shape.top() < this->y())
                sibling->raise();
        }
    }
    this->show();
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
    m_text1->hide();
    m_onBoard.fill(0);
    openPanel();
}

void GamePanel::start()
{
    dropReview();
    m_playing = false;
    m_misses = 0;
    m_log.clear();
    m_text1->hide();

    int region = 0;
    for (int i = 0; i < Regions::count; ++i) {
        if (m_option2[static_cast<size_t>(i)]->isChecked())
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

    m_regionKey = regionKey;
    m_scoreBase = Regions::at(region).scoreBase;
    m_rowCount = std::clamp(load.recordCount, 0, GameRules::rowBound);
    m_rowFlagIds.clear();
    m_rowNames.clear();
    for (int r = 1; r <= m_rowCount; ++r) {
        const QString id = table.flagIds[static_cast<size_t>(r)];
        const int number = id.toInt();
        m_rowFlagIds.append(id);
        m_rowNames.append(number >= 0 && number <= CountryTable::upperBound
                              ? table.countryNames[static_cast<size_t>(number)]
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
    m_askedFlags.fill(0);
    m_practice.reset();
    const PracticeGame::Options practice{m_checkWeakest->isChecked(),
                                         m_checkLookAlike->isChecked()};
    if (practice.any()) {
        // A record that cannot be read leaves every flag unasked; saving it after the game
        // fails the same way and tells the player then.
        m_practice.emplace(practice, table.flagIds, m_rowCount, MasteryRecord::read(m_dataPath),
                           SimilarityTable::load(SimilarityTable::path(m_appPath)),
                           m_services.clock.localNow().date(), m_services.random);
    }
    {
        WaitCursor wait;
        m_pictures.prepare(m_appPath, m_rowFlagIds, m_image4[1]->size());
    }

    setCardsVisible(true);
    setRegionChoiceVisible(false);
    m_label14->setText(QStringLiteral("の国旗はどれですか？"));
    m_question = 1;
    m_playing = true;
    askNextQuestion();
    // Laying out the first board is not the player's time; every later board is.
    m_startTime = m_services.clock.monotonicSeconds();
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
    RandomSource &random = m_services.random;
    if (m_practice) {
        const LookAlikeBoard::Draw draw =
            m_practice->drawBoard(random, m_question, m_askedFlags, m_onBoard);
        m_board = draw.board;
        m_answerPos = draw.answerPosition;
    } else {
        m_board = GameRules::drawBoard(random, m_rowCount, m_askedFlags, m_onBoard);
        m_answerPos = GameRules::drawAnswerPosition(random);
    }
    m_label17->setText(QStringLiteral("第") + QString::number(m_question) + QStringLiteral("問"));
    const int askedRow = m_board[static_cast<size_t>(m_answerPos)];
    m_label13->setText(countryOfRow(askedRow));
    m_log.append(MasteryRecord::Question{flagIdOfRow(askedRow).toInt(), {}});
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
        m_askedFlags[static_cast<size_t>(asked)] = 1;
        askNextQuestion();
    } else {
        m_label16->setText(QStringLiteral("違います。"));
        ++m_misses;
        if (!m_log.isEmpty())
            m_log.last().wrongClicks.append(flagIdOfRow(m_board[static_cast<size_t>(k)]).toInt());
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
    const int room = std::max(designed.width(), width() - designed.left() - edge);
    const int width = std::clamp(static_cast<int>(std::ceil(measure.idealWidth())) + frame + edge,
                                 designed.width(), room);
    measure.setTextWidth(width - frame);
    const int needed = static_cast<int>(std::ceil(measure.size().height())) + frame + edge;
    m_text1->setGeometry(designed.left(), designed.top(), width,
                         std::max(designed.height(), needed));
}

void GamePanel::finishGame()
{
    m_playing = false;

    const int tenths = GameRules::elapsedTenths(m_startTime, m_services.clock.monotonicSeconds());
    const int score = GameRules::score(m_scoreBase, tenths, m_misses);
    const QDateTime endedAt = m_services.clock.localNow();
    const QString summary = GameRules::summary(score, tenths, m_misses, endedAt);
    m_text1->setPlainText(m_practice ? PracticeGame::summaryMark() + summary : summary);

    // A practice game's score is not comparable with the players' scores: it is not added to
    // the results, and below it is neither rated nor counted on our server.
    if (!m_practice) {
        if (const std::optional<FileError> error =
                ResultsFile::append(m_dataPath, m_regionKey,
                                    GameRules::resultsLine(score, tenths, m_misses, endedAt))) {
            m_services.messages.show(
                QStringLiteral("成績を記録できませんでした。\n%1\n%2")
                    .arg(ResultsFile::path(m_dataPath, m_regionKey), error->message()));
        }
    }

    fitSummary();
    m_text1->show();
    setCardsVisible(false);

    // The review keeps its own copy of names and pictures: the next game may be of another
    // region before the rating is done.
    m_reviewGame = m_log;
    m_reviewFlags.clear();
    const auto keep = [this](int flagId) {
        const QString id = QString::number(flagId);
        const qsizetype row = m_rowFlagIds.indexOf(id);
        m_reviewFlags.insert(flagId, {row >= 0 ? m_rowNames[row] : QString(), m_pictures.card(id)});
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

QString GamePanel::flagIdOfRow(int row) const
{
    return row >= 1 && row <= m_rowFlagIds.size() ? m_rowFlagIds[row - 1] : QString();
}

void GamePanel::showReview()
{
    if (!m_reviewReady || m_playing)
        return;
    const int gap = Twips::toPixels(reviewGapTwips);
    const int left = Twips::toPixels(reviewLeftTwips);
    const int top = Twips::toPixels(reviewTopTwips);
    const int right = m_frame1->geometry().left() - gap;
    // The panel reaches below a window smaller than the screen; the review ends where the
    // player can still see it.
    int bottom = height();
    if (const QWidget *form = parentWidget())
        bottom = std::min(bottom, form->height() - y());
    bottom -= gap;
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
