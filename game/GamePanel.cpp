#include "GamePanel.h"

#include "Announce.h"
#include "BaseList.h"
#include "CardKeys.h"
#include "ClickableLabel.h"
#include "Clock.h"
#include "MessageBox.h"
#include "PhraseLabel.h"
#include "PlayerData.h"
#include "RandomSource.h"
#include "Regions.h"
#include "ReviewSchedule.h"
#include "Services.h"
#include "SimilarityTable.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
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
// Between the region frame and the summary right of it.
constexpr int summaryGapTwips = 60;
// The question, the flag asked and a flag picked by mistake, with room to spare.
constexpr int reviewNarrowestTwips = 900 + 3 * 1650;
// The cards lie in rows of this many.
constexpr int dailyReviewWidthTwips = 3600;
constexpr int cardsPerRow = 6;
// The ✕ on a card and the sign beside the verdict.
constexpr int missMarkTwips = 600;
const QString rightSign = QStringLiteral("✓");
const QString wrongSign = QStringLiteral("✕");

QString cardName(int k)
{
    return QStringLiteral("%1番目の国旗").arg(k);
}

} // namespace

GamePanel::GamePanel(Services &services, QString appPath, PlayerData &playerData, QWidget *parent)
    : QFrame(parent), m_services(services), m_appPath(std::move(appPath)), m_playerData(playerData)
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

    // The instructions are longer than their labels are wide; they wrap between phrases
    // rather than being cut or broken inside a word.
    m_questionLabel =
        Twips::place(new PhraseLabel(this), "Label13", 2400, 1260, 8595, 705, 18, true);
    m_promptLabel = Twips::place(new PhraseLabel(this), "Label14", 2400, 2100, 7005, 1215, 15.75);
    m_promptLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_questionNumberLabel =
        Twips::place(new QLabel(this), "Label17", 12780, 1080, 2955, 1065, 24, true);
    m_verdictLabel = Twips::place(new QLabel(this), "Label16", 13590, 2370, 1965, 585, 21.75, true);
    // The sign stands left of the verdict, in the gap after the prompt, so the verdict's own
    // text stays what it always was.
    m_verdictSign =
        Twips::place(new QLabel(this), "LabelVerdictSign", 13110, 2370, 480, 585, 21.75, true);
    m_verdictSign->setAlignment(Qt::AlignCenter);
    m_verdictSign->hide();
    m_startButton = Twips::place(new QPushButton(QStringLiteral("スタート"), this), "Command2",
                                 16230, 840, 1755, 855, 21.75, true);
    m_backButton = Twips::place(new QPushButton(QStringLiteral("戻る"), this), "Command3", 16230,
                                2040, 1425, 585, 20.25);
    m_summaryBox = Twips::place(new QPlainTextEdit(this), "Text1", 15090, 3360, 3135, 2265, 18);
    m_summaryBox->setReadOnly(true);
    m_summaryBox->setAccessibleName(QStringLiteral("ゲームの成績"));
    setAccessibleName(QStringLiteral("札取りゲーム"));
    // The practice boxes sit under the region frame, left of the summary's left edge (the
    // summary only grows rightwards and downwards), so neither covers the other.
    m_weakestBox = Twips::place(new QCheckBox(QStringLiteral("苦手な国旗を練習"), this),
                                "CheckWeakest", 11430, 5250, 3600, 480, 15.75, true);
    m_lookAlikeBox = Twips::place(new QCheckBox(QStringLiteral("似ている国旗で出題"), this),
                                  "CheckLookAlike", 11430, 5790, 3600, 480, 15.75, true);
    // The day's review is the third way to practise, under the two boxes.
    m_dailyReviewButton = Twips::place(new QPushButton(this), "CommandReview", 11430, 6330,
                                       dailyReviewWidthTwips, 555, 15.75, true);
    setDailyReviewCount(0);
    connect(m_dailyReviewButton, &QPushButton::clicked, this,
            [this] { emit dailyReviewRequested(chosenRegionKey()); });
    m_weakestBox->setToolTip(
        QStringLiteral("まだ出題されていない国旗と、間違えることの多い国旗から出題します。"
                       "練習の成績は記録されません。"));
    m_lookAlikeBox->setToolTip(
        QStringLiteral("聞かれた国旗のまわりに、似ている国旗や取り違えた国旗を並べます。"
                       "練習の成績は記録されません。"));
    for (QCheckBox *box : {m_weakestBox, m_lookAlikeBox})
        connect(box, &QCheckBox::toggled, this, &GamePanel::showInstructions);
    connect(m_startButton, &QPushButton::clicked, this, &GamePanel::start);
    connect(m_backButton, &QPushButton::clicked, this, &GamePanel::goBack);

    static constexpr int cardLefts[6] = {390, 3180, 5970, 8730, 11520, 14370};
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        auto *card = new ClickableLabel(this);
        card->setObjectName(QStringLiteral("Image4"));
        card->setProperty("index", k);
        card->setScaledContents(true);
        card->setGeometry(Twips::rect(cardLefts[(k - 1) % 6], k <= 6 ? 3390 : 6060, 2385, 1455));
        card->hide();
        // Named by its place only: its country would give the answer away.
        card->makeFocusable(cardName(k));
        card->setAccessibleDescription(
            QStringLiteral("Enterか数字キーで選びます。矢印キーで隣の国旗に移ります。"));
        m_cards[static_cast<size_t>(k)] = card;
        connect(card, &ClickableLabel::clicked, this, [this, k] { cardClicked(k); });

        auto *mark = new QLabel(wrongSign, card);
        mark->setObjectName(QStringLiteral("LabelMiss"));
        mark->setProperty("index", k);
        mark->setAlignment(Qt::AlignCenter);
        mark->setFont(Twips::designFont(21.75, true));
        mark->setStyleSheet(QStringLiteral(
            "QLabel { color: rgb(192, 0, 0); background-color: white; border: 2px solid black; }"));
        const int side = Twips::toPixels(missMarkTwips);
        mark->setGeometry(card->width() - side, 0, side, side);
        mark->setAccessibleName(QStringLiteral("違います"));
        mark->hide();
        m_missMarks[static_cast<size_t>(k)] = mark;
    }
    createKeys();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
            if (now == m_cards[static_cast<size_t>(k)])
                m_lastFocusedCard = k;
    });

    m_review = new MissReviewPanel(this);
    connect(m_review, &MissReviewPanel::flagPicked, this, &GamePanel::reviewFlagPicked);
}

void GamePanel::createKeys()
{
    // Window-wide while the panel is on show, whichever of its controls has the focus.
    const auto pickBy = [this](int key, int k) {
        auto *pick = new QShortcut(QKeySequence(key), this);
        connect(pick, &QShortcut::activated, this, [this, k] {
            if (!m_playing)
                return;
            m_cards[static_cast<size_t>(k)]->setFocus(Qt::ShortcutFocusReason);
            cardClicked(k);
        });
    };
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        pickBy(CardKeys::keys[static_cast<size_t>(k - 1)], k);
    pickBy(CardKeys::japaneseTwelfthKey, GameRules::cardsPerBoard);
    // Esc is 戻る, by the same way as the button, whatever that asks first.
    auto *back = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(back, &QShortcut::activated, this, [this] {
        if (m_backButton->isVisible())
            m_backButton->click();
    });
}

QList<QWidget *> GamePanel::focusChain() const
{
    QList<QWidget *> chain;
    for (QRadioButton *button : m_regionButtons)
        chain << button;
    chain << m_weakestBox << m_lookAlikeBox << m_startButton << m_backButton;
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        chain << m_cards[static_cast<size_t>(k)];
    // The review's flags follow it, each taken into the chain as the review is laid out.
    chain << m_dailyReviewButton << m_review;
    return chain;
}

QWidget *GamePanel::firstFocus() const
{
    for (QRadioButton *button : m_regionButtons)
        if (button->isChecked())
            return button;
    return m_regionButtons[0];
}

void GamePanel::keyPressEvent(QKeyEvent *event)
{
    int k = 0;
    for (int i = 1; i <= GameRules::cardsPerBoard; ++i)
        if (m_cards[static_cast<size_t>(i)]->hasFocus())
            k = i;
    if (k == 0 || event->modifiers() & ~Qt::KeypadModifier) {
        QFrame::keyPressEvent(event);
        return;
    }
    const std::optional<int> next = CardKeys::neighbourOf(k, event->key(), cardsPerRow);
    if (!next) {
        QFrame::keyPressEvent(event);
        return;
    }
    m_cards[static_cast<size_t>(*next)]->setFocus(Qt::OtherFocusReason);
    event->accept();
}

void GamePanel::showVerdict(bool right)
{
    m_verdictLabel->setText(right ? QStringLiteral("正解です。") : QStringLiteral("違います。"));
    m_verdictSign->setText(right ? rightSign : wrongSign);
    m_verdictSign->setStyleSheet(right ? QStringLiteral("color: rgb(0, 128, 0);")
                                       : QStringLiteral("color: rgb(192, 0, 0);"));
    m_verdictSign->setAccessibleName(right ? QStringLiteral("正解の印")
                                           : QStringLiteral("不正解の印"));
    m_verdictSign->show();
}

QString GamePanel::spokenQuestion() const
{
    return m_questionLabel->text() + m_promptLabel->text() + QStringLiteral(" ") +
           m_questionNumberLabel->text();
}

void GamePanel::markMiss(int k, bool wrong)
{
    ClickableLabel *card = m_cards[static_cast<size_t>(k)];
    m_missMarks[static_cast<size_t>(k)]->setVisible(wrong);
    card->setAccessibleName(wrong ? cardName(k) + QStringLiteral("（違います）") : cardName(k));
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
    // It stays where the window put it; the window may stand its design off its own corner.
    resize(Twips::rect(0, 600, screenWidthTwips, screenHeightTwips - 500).size());
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
    m_dailyReviewButton->setVisible(visible);
    for (QRadioButton *button : m_regionButtons) {
        button->setVisible(visible);
        // The game's captions lie across the buttons; empty while the region is chosen, they
        // would still take the clicks meant for the buttons.
        if (visible)
            button->raise();
    }
}

QString GamePanel::chosenRegionKey() const
{
    for (int i = 0; i < Regions::count; ++i) {
        if (m_regionButtons[static_cast<size_t>(i)]->isChecked())
            return Regions::at(i).key;
    }
    return Regions::at(0).key;
}

void GamePanel::setDailyReviewCount(int cards, int waiting)
{
    m_dailyReviewButton->setText(ReviewSchedule::todaysCountText(cards, waiting));
    m_dailyReviewButton->setEnabled(cards > 0);
    // The cards that wait make the text longer than the designed width: the button grows to
    // the right, below the summary, never narrower than designed.
    m_dailyReviewButton->resize(
        std::max(Twips::toPixels(dailyReviewWidthTwips), m_dailyReviewButton->sizeHint().width()),
        m_dailyReviewButton->height());
}

void GamePanel::openPanel()
{
    m_promptLabel->hide();
    // The region last chosen stays chosen for the session: with a practice box still ticked,
    // a region that changed unseen would start a game the player did not mean.
    bool chosen = false;
    for (int i = 0; i < Regions::count; ++i) {
        if (m_regionButtons[static_cast<size_t>(i)]->isChecked()) {
            chosen = true;
            emit regionChosen(Regions::at(i).key);
        }
    }
    if (!chosen)
        m_regionButtons[0]->setChecked(true);
    showInstructions();
    setRegionChoiceVisible(true);
    m_questionLabel->show();
    m_promptLabel->show();
    m_startButton->show();
    m_backButton->show();
    m_verdictLabel->clear();
    m_verdictSign->hide();
    m_questionNumberLabel->clear();
    // The keyboard goes on at the region choice, before the card that had the focus goes (it
    // would hand the focus on through the others).
    if (isVisible())
        firstFocus()->setFocus(Qt::OtherFocusReason);
    setCardsVisible(false);
    // A game left this way is over: no results line, only its answers are kept.
    leaveGame();
}

void GamePanel::chooseRegion(int index)
{
    emit regionChosen(Regions::at(index).key);
    showInstructions();
}

bool GamePanel::mayLeaveGame()
{
    // Before the first answer there is nothing to lose; a miss is an answer too.
    if (!m_playing || (m_session->questionNumber() == 1 && m_session->misses() == 0))
        return true;
    // The way out may have been a menu entry reached by Tab: the game goes on where it was.
    // The answers given are kept whatever the player says; only the score is not.
    ClickableLabel *card = m_cards[static_cast<size_t>(m_lastFocusedCard)];
    if (m_services.messages.ask(QStringLiteral("ゲームを中断しますか？")))
        return true;
    if (card && card->isVisible())
        card->setFocus(Qt::OtherFocusReason);
    return false;
}

void GamePanel::leaveGame()
{
    if (!m_playing)
        return;
    m_playing = false;
    // The question on show is an answer once it was missed; one not clicked yet is none.
    MasteryRecord::GameLog answered = m_session->log();
    if (!answered.isEmpty() && answered.last().wrongClicks.isEmpty())
        answered.removeLast();
    if (!answered.isEmpty())
        emit questionsLogged(answered);
}

void GamePanel::goBack()
{
    if (mayLeaveGame())
        back();
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
    leaveGame();
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
        boards =
            std::make_unique<PracticeGame>(practice, table.flagIds, rowCount, m_playerData.record(),
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
        m_pictures.prepare(m_appPath, m_session->rows().flagIds, m_cards[1]->size(),
                           m_cards[1]->devicePixelRatioF());
    }

    setCardsVisible(true);
    setRegionChoiceVisible(false);
    m_promptLabel->setText(QStringLiteral("の国旗はどれですか？"));
    m_playing = true;
    showBoard();
    emit gameStarted();
    // The player at the keyboard starts on the first card, the ring where the number keys
    // begin. The question is told after the card, whose name would cut it short.
    m_cards[1]->setFocus(Qt::OtherFocusReason);
    Announce::say(this, spokenQuestion());
    // Laying out the first board is not the player's time; every later board is.
    m_session->startClock(m_services.clock.monotonicSeconds());
}

void GamePanel::showBoard()
{
    const GameSession &game = *m_session;
    m_questionNumberLabel->setText(QStringLiteral("第") + QString::number(game.questionNumber()) +
                                   QStringLiteral("問"));
    m_questionLabel->setText(m_practice ? PracticeGame::summaryMark() + game.askedName()
                                        : game.askedName());
    m_promptLabel->show();
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        markMiss(k, false);
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
        showVerdict(true);
        // One announcement each time: a second one would cut the first short.
        if (m_session->over()) {
            finishGame();
        } else {
            showBoard();
            Announce::say(this, m_verdictLabel->text() + QStringLiteral(" ") + spokenQuestion());
        }
        break;
    case GameSession::Pick::Wrong:
        showVerdict(false);
        markMiss(k, true);
        Announce::say(this, m_verdictLabel->text());
        break;
    case GameSession::Pick::Ignored:
        break;
    }
}

void GamePanel::fitSummary()
{
    // The summary box is narrower than its first line at its font. Left of it stand the region
    // frame and its buttons, which come back with the summary on show and must stay whole, so
    // the box begins right of the frame at its designed top: it grows to the right as far as
    // the panel reaches, and where that is not enough the lines wrap and it grows downwards
    // over the card area, which is empty once the game is over.
    QRect designed = Twips::rect(15090, 3360, 3135, 2265);
    designed.moveLeft(std::max(designed.left(), m_regionFrame->geometry().right() + 1 +
                                                    Twips::toPixels(summaryGapTwips)));
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
    if (!m_practice)
        m_playerData.addResult(m_regionKey, GameRules::resultsLine(score, result.elapsedTenths,
                                                                   result.misses, endedAt));

    fitSummary();
    m_summaryBox->show();
    // The keyboard stays on the panel when the cards go: on スタート, to play again.
    // First the focus, then the cards: a hidden card would hand the focus on through the
    // others, each spoken by a screen reader.
    const QWidget *focused = QApplication::focusWidget();
    if (focused && isAncestorOf(focused))
        m_startButton->setFocus(Qt::OtherFocusReason);
    setCardsVisible(false);
    // Told before the rating window comes up and takes the reader's attention.
    Announce::say(this, m_verdictLabel->text() + QStringLiteral(" ") + m_summaryBox->toPlainText());

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

void GamePanel::showReview(const QRect &besideWindow)
{
    if (!m_reviewReady || m_playing || m_reviewSetAside)
        return;
    m_review->setGeometry(reviewGeometry(besideWindow));
    m_review->setGame(m_reviewGame, m_reviewFlags);
    m_review->show();
    m_review->raise();
}

bool GamePanel::reopenReview(const QRect &besideWindow)
{
    if (!m_reviewReady || m_playing)
        return false;
    m_reviewSetAside = false;
    showReview(besideWindow);
    return true;
}

QRect GamePanel::reviewGeometry(const QRect &besideWindow) const
{
    const int gap = Twips::toPixels(reviewGapTwips);
    const int left = Twips::toPixels(reviewLeftTwips);
    const int top = Twips::toPixels(reviewTopTwips);
    int right = m_regionFrame->geometry().left() - gap;
    // On a small screen the rating window can only stand over the right of the review's place;
    // the review makes room as long as a row of flags still fits beside it.
    const QRect beside(mapFromGlobal(besideWindow.topLeft()), besideWindow.size());
    const int narrowest = Twips::toPixels(reviewNarrowestTwips);
    if (!besideWindow.isEmpty() &&
        beside.intersects(QRect(QPoint(left, top), QPoint(right, height()))) &&
        beside.left() - gap - left >= narrowest)
        right = std::min(right, beside.left() - gap);
    // The panel reaches below a window smaller than the screen; the review ends where the
    // player can still see it.
    const int bottom = std::min(height(), m_visibleHeight) - gap;
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

QRect GamePanel::summaryArea() const
{
    return QRect(mapToGlobal(m_summaryBox->pos()), m_summaryBox->size());
}

QRect GamePanel::cardArea() const
{
    const QRect area = m_cards[1]->geometry().united(m_cards[GameRules::cardsPerBoard]->geometry());
    return QRect(mapToGlobal(area.topLeft()), area.size());
}

QRect GamePanel::reviewArea() const
{
    const QRect area = reviewGeometry();
    return QRect(mapToGlobal(area.topLeft()), area.size());
}

void GamePanel::dropReview()
{
    m_reviewReady = false;
    m_reviewSetAside = false;
    m_review->hide();
}

void GamePanel::abandon()
{
    leaveGame();
    m_reviewSetAside = m_reviewReady;
    m_review->hide();
}
