#include "GamePanel.h"

#include "Announce.h"
#include "CardBoard.h"
#include "ClickableLabel.h"
#include "Clock.h"
#include "GameCaptions.h"
#include "MessageBox.h"
#include "RegionChoice.h"
#include "Services.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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

} // namespace

GamePanel::GamePanel(Services &services, QString appPath, QWidget *parent)
    : QFrame(parent), m_services(services), m_appPath(std::move(appPath))
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(true);
    setGeometry(Twips::rect(0, 600, 19200, 10800));
    hide();

    m_regionChoice = new RegionChoice(this);
    connect(m_regionChoice, &RegionChoice::regionClicked, this, &GamePanel::chooseRegion);

    m_captions = new GameCaptions(this);
    m_startButton = Twips::place(new QPushButton(QStringLiteral("スタート"), this), "Command2",
                                 16230, 840, 1755, 855, 21.75, true);
    m_backButton = Twips::place(new QPushButton(QStringLiteral("戻る"), this), "Command3", 16230,
                                2040, 1425, 585, 20.25);
    m_summaryBox = Twips::place(new QPlainTextEdit(this), "Text1", 15090, 3360, 3135, 2265, 18);
    m_summaryBox->setReadOnly(true);
    m_summaryBox->setAccessibleName(QStringLiteral("ゲームの成績"));
    setAccessibleName(QStringLiteral("札取りゲーム"));
    m_regionChoice->addPracticeChoice(this);
    connect(m_regionChoice, &RegionChoice::dailyReviewRequested, this,
            [this] { emit dailyReviewRequested(chosenRegionKey()); });
    connect(m_regionChoice, &RegionChoice::practiceToggled, this, &GamePanel::showInstructions);
    connect(m_startButton, &QPushButton::clicked, this, &GamePanel::start);
    connect(m_backButton, &QPushButton::clicked, this, &GamePanel::goBack);

    m_board = new CardBoard(this);
    connect(m_board, &CardBoard::clicked, this, &GamePanel::cardClicked);
    createKeys();

    m_review = new MissReviewPanel(this);
    connect(m_review, &MissReviewPanel::flagPicked, this, &GamePanel::reviewFlagPicked);
}

void GamePanel::createKeys()
{
    connect(m_board, &CardBoard::keyPicked, this, [this](int k) {
        if (!playing())
            return;
        m_board->card(k)->setFocus(Qt::ShortcutFocusReason);
        cardClicked(k);
    });
    // Esc is 戻る, by the same way as the button, whatever that asks first.
    auto *back = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(back, &QShortcut::activated, this, [this] {
        if (m_backButton->isVisible())
            m_backButton->click();
    });
}

QList<QWidget *> GamePanel::focusChain() const
{
    QList<QWidget *> chain = m_regionChoice->focusChain();
    chain << m_startButton << m_backButton;
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        chain << m_board->card(k);
    // The review's flags follow it, each taken into the chain as the review is laid out.
    chain << m_regionChoice->dailyReviewButton() << m_review;
    return chain;
}

QWidget *GamePanel::firstFocus() const
{
    return m_regionChoice->firstFocus();
}

void GamePanel::keyPressEvent(QKeyEvent *event)
{
    if (!(event->modifiers() & ~Qt::KeypadModifier) && m_board->moveFocus(event->key()))
        event->accept();
    else
        QFrame::keyPressEvent(event);
}

void GamePanel::hideControls()
{
    m_regionChoice->setVisible(false);
    m_captions->hidePrompt();
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
    m_captions->showInstructions(m_regionChoice->choice().practice.any());
}

QString GamePanel::chosenRegionKey() const
{
    return m_regionChoice->chosenRegionKey();
}

void GamePanel::setDailyReviewCount(int cards, int waiting)
{
    m_regionChoice->setDailyReviewCount(cards, waiting);
}

void GamePanel::openPanel()
{
    m_captions->hidePrompt();
    // The region last chosen stays chosen for the session: with a practice box still ticked,
    // a region that changed unseen would start a game the player did not mean.
    if (const std::optional<int> chosen = m_regionChoice->checkedRegion())
        emit regionChosen(Regions::at(*chosen).key);
    else
        m_regionChoice->checkFirst();
    showInstructions();
    m_regionChoice->setVisible(true);
    m_captions->showText();
    m_startButton->show();
    m_backButton->show();
    m_captions->clearGame();
    // The keyboard goes on at the region choice, before the card that had the focus goes (it
    // would hand the focus on through the others).
    if (isVisible())
        firstFocus()->setFocus(Qt::OtherFocusReason);
    m_board->setVisible(false);
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
    if (!playing() || (session()->questionNumber() == 1 && session()->misses() == 0))
        return true;
    // The way out may have been a menu entry reached by Tab: the game goes on where it was.
    // The answers given are kept whatever the player says; only the score is not.
    ClickableLabel *card = m_board->lastFocused();
    if (m_services.messages.ask(QStringLiteral("ゲームを中断しますか？")))
        return true;
    if (card && card->isVisible())
        card->setFocus(Qt::OtherFocusReason);
    return false;
}

void GamePanel::leaveGame()
{
    if (!playing())
        return;
    moveTo(GamePanelState::Event::Left);
    if (const std::optional<FinishedGame> left = FinishedGame::leftOf(m_game))
        emit gameFinished(*left);
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
    emit regionChosen(chosenRegionKey());
    emit startRequested(m_regionChoice->choice());
}

void GamePanel::play(GameSetup::Prepared prepared)
{
    if (!prepared.game.session) {
        m_board->setVisible(false);
        m_regionChoice->setVisible(true);
        m_services.messages.show(prepared.refusal);
        return;
    }
    m_game = std::move(prepared.game);
    {
        WaitCursor wait;
        m_board->preparePictures(m_appPath, session()->rows().flagIds);
    }

    m_board->setVisible(true);
    m_regionChoice->setVisible(false);
    m_captions->askForFlags();
    moveTo(GamePanelState::Event::Started);
    showBoard();
    emit gameStarted();
    // The player at the keyboard starts on the first card, the ring where the number keys
    // begin. The question is told after the card, whose name would cut it short.
    m_board->card(1)->setFocus(Qt::OtherFocusReason);
    Announce::say(this, m_captions->spokenQuestion());
    // Laying out the first board is not the player's time; every later board is.
    m_game.session->startClock(m_services.clock.monotonicSeconds());
}

void GamePanel::showBoard()
{
    const GameSession &game = *session();
    m_captions->showQuestion(practice() ? PracticeGame::summaryMark() + game.askedName()
                                        : game.askedName(),
                             game.questionNumber());
    m_board->draw(game);
}

void GamePanel::cardClicked(int k)
{
    if (!playing())
        return;
    switch (m_game.session->pick(k)) {
    case GameSession::Pick::Right:
        m_captions->showVerdict(true);
        // One announcement each time: a second one would cut the first short.
        if (session()->over()) {
            finishGame();
        } else {
            showBoard();
            Announce::say(this, m_captions->verdict() + QStringLiteral(" ") +
                                    m_captions->spokenQuestion());
        }
        break;
    case GameSession::Pick::Wrong:
        m_captions->showVerdict(false);
        m_board->markMiss(k, true);
        Announce::say(this, m_captions->verdict());
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
    designed.moveLeft(std::max(designed.left(), m_regionChoice->frameGeometry().right() + 1 +
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
    moveTo(GamePanelState::Event::Finished);
    const FinishedGame finished = FinishedGame::playedOutOf(
        m_game, m_services.clock.monotonicSeconds(), m_services.clock.localNow());
    m_summaryBox->setPlainText(finished.summary());
    fitSummary();
    m_summaryBox->show();
    // The keyboard stays on the panel when the cards go: on スタート, to play again.
    // First the focus, then the cards: a hidden card would hand the focus on through the
    // others, each spoken by a screen reader.
    const QWidget *focused = QApplication::focusWidget();
    if (focused && isAncestorOf(focused))
        m_startButton->setFocus(Qt::OtherFocusReason);
    m_board->setVisible(false);
    // Told before the rating window comes up and takes the reader's attention.
    Announce::say(this, m_captions->verdict() + QStringLiteral(" ") + m_summaryBox->toPlainText());
    keepReview(finished.questions);

    // The rating that hears this pauses with the windows answering: a new game may start
    // meanwhile, so nothing of this game is touched after it. A practice game has no rating to
    // wait for: its review comes at once.
    emit gameFinished(finished);
    if (!finished.rated())
        showReview();
}

void GamePanel::keepReview(const MasteryRecord::GameLog &game)
{
    // The review keeps its own copy of names and pictures: the next game may be of another
    // region before the rating is done.
    m_reviewGame = game;
    m_reviewFlags.clear();
    const GameSession::Rows &rows = session()->rows();
    const auto keep = [this, &rows](int flagId) {
        const QString id = QString::number(flagId);
        const qsizetype row = rows.flagIds.indexOf(id);
        m_reviewFlags.insert(flagId,
                             {row >= 0 ? rows.names[row] : QString(), m_board->picture(id)});
    };
    for (const MasteryRecord::Question &question : std::as_const(m_reviewGame)) {
        if (question.wrongClicks.isEmpty())
            continue;
        keep(question.askedFlagId);
        for (const int id : question.wrongClicks)
            keep(id);
    }
}

void GamePanel::showReview(const QRect &besideWindow)
{
    if (m_state != GamePanelState::State::ReviewReady)
        return;
    m_review->setGeometry(reviewGeometry(besideWindow));
    m_review->setGame(m_reviewGame, m_reviewFlags);
    m_review->show();
    m_review->raise();
}

bool GamePanel::reopenReview(const QRect &besideWindow)
{
    if (m_state != GamePanelState::State::ReviewReady &&
        m_state != GamePanelState::State::ReviewSetAside)
        return false;
    moveTo(GamePanelState::Event::Reopened);
    showReview(besideWindow);
    return true;
}

QRect GamePanel::reviewGeometry(const QRect &besideWindow) const
{
    const int gap = Twips::toPixels(reviewGapTwips);
    const int left = Twips::toPixels(reviewLeftTwips);
    const int top = Twips::toPixels(reviewTopTwips);
    int right = m_regionChoice->frameGeometry().left() - gap;
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
    const QRect area = m_board->area();
    return QRect(mapToGlobal(area.topLeft()), area.size());
}

QRect GamePanel::reviewArea() const
{
    const QRect area = reviewGeometry();
    return QRect(mapToGlobal(area.topLeft()), area.size());
}

void GamePanel::dropReview()
{
    moveTo(GamePanelState::Event::ReviewDropped);
    m_review->hide();
}

void GamePanel::abandon()
{
    leaveGame();
    moveTo(GamePanelState::Event::SetAside);
    m_review->hide();
}
