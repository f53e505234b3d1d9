#include "Form1.h"

#include "ClickableLabel.h"
#include "Clock.h"
#include "DailyReviewPanel.h"
#include "Form2.h"
#include "GalleryDecoder.h"
#include "GamePanel.h"
#include "ModeTable.h"
#include "NationalDeviation.h"
#include "NoticeCodec.h"
#include "PlayerData.h"
#include "Regions.h"
#include "ReviewSchedule.h"
#include "ServerAccess.h"
#include "Services.h"
#include "StudyView.h"
#include "Twips.h"
#include "WaitCursor.h"
#include "WindowScale.h"
#include "WorldMapView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {

// The day's review button looks at the clock at least this often for the day's change.
constexpr qint64 longestDayWatchMsecs = 10 * 60 * 1000;

ClickableLabel *menuLabel(QWidget *parent, const char *name, const QString &caption, int l, int t,
                          int w, int h, double points, bool bold = false)
{
    auto *label = Twips::place(new ClickableLabel(caption, parent), name, l, t, w, h, points, bold);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

Form1::Form1(AppState &state, Services &services, ServerAccess &server, PlayerData &playerData,
             const AppConfig &config, QWidget *parent)
    : QWidget(parent), m_config(config), m_state(state), m_services(services), m_server(server),
      m_playerData(playerData), m_galleryDecoder(StudyView::startGalleryDecode(config.appPath)),
      m_reviewDeck(config.appPath)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("フラミオ"));

    createStartScreen();
    m_studyView = new StudyView(services, config.appPath, playerData, config.wikiBase, this);
    m_gamePanel = new GamePanel(services, config.appPath, this);
    m_dailyReview = new DailyReviewPanel(services, config.appPath, playerData, this);
    m_deviation = new NationalDeviation(server, services.clock, playerData, this);
    m_deviation->setPlacer(
        [this](QSize outer, std::optional<QRect> open) { return ratingSpot(outer, open); });
    // Above the flag picture, where the country display leaves room whichever country is
    // shown (its extra pictures come at their own sizes).
    m_backToReview = Twips::place(new QPushButton(QStringLiteral("見直しに戻る"), this),
                                  "BackToReview", 4980, 1170, 2700, 525, 14.25, true);
    m_backToReview->hide();
    connectPanels();
    createMenu();
    createModeTable();
    arrange(Mode::Start);
    // The design is drawn as large as the window allows, in its own proportions: a window the
    // player makes smaller shrinks as a whole rather than showing its top left part, and a
    // large screen is filled rather than left empty beside the design's size.
    m_windowScale = new WindowScale(this);
}

Form1::~Form1() = default;

void Form1::createMenu()
{
    m_helpLabel = menuLabel(this, "Label8", QStringLiteral("　  概要"), 30, 30, 2070, 615, 24);
    m_galleryLabel =
        menuLabel(this, "Label9", QStringLiteral(" 国旗から学習"), 2100, 30, 3045, 615, 24);
    m_byNameLabel =
        menuLabel(this, "Label10", QStringLiteral(" 国名から学習"), 5130, 30, 3120, 615, 24);
    m_gameLabel =
        menuLabel(this, "Label11", QStringLiteral(" 札取りゲーム"), 8250, 30, 2970, 615, 24);
    connect(m_gameLabel, &ClickableLabel::clicked, this, [this] { enter(Mode::Game); });

    m_graphRegionBox = Twips::place(new QComboBox(this), "Combo1", 11250, 30, 3255, 525, 20.25);
    m_graphRegionBox->setPlaceholderText(QStringLiteral(" 成績グラフ"));
    m_graphRegionBox->hide();
    m_graphFrame = Twips::place(new QFrame(this), "Picture2", 11220, 30, 3015, 585);
    m_graphLabel =
        menuLabel(m_graphFrame, "Label19", QStringLiteral(" 成績グラフ"), 210, 0, 2925, 645, 24);
    connect(m_graphLabel, &ClickableLabel::clicked, this, [this] {
        closeNews();
        // The longest region name needs a little more than the designed width, and the gap
        // before the next menu entry has room for it.
        const int room = m_shopLabel->x() - m_graphRegionBox->x();
        m_graphRegionBox->resize(
            qBound(m_graphRegionBox->width(), m_graphRegionBox->sizeHint().width(), room),
            m_graphRegionBox->height());
        m_graphRegionBox->show();
        m_graphRegionBox->raise(); // over the menu entry it replaces
        m_graphRegionBox->setFocus();
        m_graphRegionBox->showPopup();
    });
    connect(m_graphRegionBox, &QComboBox::activated, this, &Form1::openResultsWindow);

    m_shopLabel = menuLabel(this, "Label21", QStringLiteral("　お勧めアプリ"), 15150, 150, 2295,
                            345, 14.25, true);
    m_endButton = Twips::place(new QPushButton(QStringLiteral("終了"), this), "Command1", 17760, 30,
                               1905, 645, 21.75, true);
    connect(m_endButton, &QPushButton::clicked, this, [this] {
        // Nothing more is shown or sent once the player has asked to end.
        m_deviation->cancel();
        emit endRequested();
    });

    m_regionMapLabel =
        menuLabel(this, "Label12", QStringLiteral("地域地図"), 8040, 3300, 1395, 345, 12);
    // Right after start-up the label lies on the intro picture; an opaque tag keeps its caption
    // readable there instead of black letters over the picture's title.
    m_regionMapLabel->setAlignment(Qt::AlignCenter);
    m_regionMapLabel->setStyleSheet(QStringLiteral(
        "QLabel { background-color: palette(window); border: 1px solid palette(mid); }"));
    connectMenu();
    createKeys();
}

void Form1::createKeys()
{
    // The captions leave no room for an underlined letter, so the menu has keys of its own:
    // F1 for the help and Ctrl with the entry's place for the five entries after it.
    struct Entry
    {
        ClickableLabel *label;
        QString name;
        QKeySequence key;
    };
    const QList<Entry> entries{
        {m_helpLabel, QStringLiteral("概要"), QKeySequence(Qt::Key_F1)},
        {m_galleryLabel, QStringLiteral("国旗から学習"), QKeySequence(Qt::CTRL | Qt::Key_1)},
        {m_byNameLabel, QStringLiteral("国名から学習"), QKeySequence(Qt::CTRL | Qt::Key_2)},
        {m_gameLabel, QStringLiteral("札取りゲーム"), QKeySequence(Qt::CTRL | Qt::Key_3)},
        {m_graphLabel, QStringLiteral("成績グラフ"), QKeySequence(Qt::CTRL | Qt::Key_4)},
        {m_shopLabel, QStringLiteral("お勧めアプリ"), QKeySequence(Qt::CTRL | Qt::Key_5)},
    };
    for (const Entry &entry : entries) {
        entry.label->makeFocusable(entry.name);
        entry.label->setAccessibleDescription(entry.key.toString(QKeySequence::NativeText));
        auto *shortcut = new QShortcut(entry.key, this);
        connect(shortcut, &QShortcut::activated, entry.label, &ClickableLabel::clicked);
    }
    m_graphRegionBox->setAccessibleName(QStringLiteral("成績グラフの地域"));
    m_graphFrame->setAccessibleName(QStringLiteral("成績グラフ"));
    m_regionMapLabel->makeFocusable(QStringLiteral("地域地図を開く"));
    m_closeNewsLabel->makeFocusable(QStringLiteral("一言欄を閉じる"));
    m_referralLabel->makeFocusable(m_referralLabel->text());
    // The banner opens the same page as the line beside it, which is the one in the Tab chain.
    m_referralBanner->setAccessibleName(m_referralLabel->text());
    m_introPicture->setAccessibleName(QStringLiteral("フラミオ"));
    m_newsBox->setAccessibleName(QStringLiteral("一言欄"));
}

void Form1::createStartScreen()
{
    m_introPicture = Twips::place(new ClickableLabel(this), "Image6", 4500, 1200, 9600, 6000);
    m_introPicture->setScaledContents(true);

    m_sourceLabel = Twips::place(new QLabel(QStringLiteral("出典：外務省ホームページ"), this),
                                 "Label7", 13560, 10000, 5325, 315, 12);

    m_newsBox = Twips::place(new QPlainTextEdit(this), "Text3", 14300, 7800, 5900, 1900, 12);
    m_newsBox->setReadOnly(true);
    m_newsBox->hide();
    m_closeNewsLabel =
        menuLabel(this, "Label15", QStringLiteral("一言欄を閉じる"), 14300, 6800, 2400, 345, 12);
    m_closeNewsLabel->hide();
    connect(m_closeNewsLabel, &ClickableLabel::clicked, this, &Form1::closeNews);

    // The credit sits right of the country list and the gallery frame, which reach down to
    // 10395 twips on the left.
    m_referralBanner = Twips::place(new ClickableLabel(this), "Image7", 4500, 10200, 1800, 450);
    m_referralBanner->setScaledContents(true);
    m_referralBanner->setCursor(Qt::PointingHandCursor);
    m_referralLabel = menuLabel(
        this, "Label22", QStringLiteral("フラミオはレンタルサーバーのサービスを利用しています"),
        6400, 10260, 6400, 345, 10.5);
}

void Form1::openResultsWindow(int regionIndex)
{
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>(m_services, m_playerData, this);
        connect(m_form2.get(), &Form2::ratingRequested, this,
                [this](int score, const QString &regionKey) {
                    m_ratingFor = RatingFor::PastGame;
                    m_deviation->showNationalDeviation(score, regionKey,
                                                       NationalDeviation::CounterReport::Skip);
                });
        connect(m_form2.get(), &Form2::worldMapRequested, this, &Form1::openWorldMap);
    }
    m_form2->resetTitle();
    if (regionIndex < 0 || regionIndex >= Regions::count)
        return;
    const Region &region = Regions::at(regionIndex);
    m_form2->open(region.key, region.displayName);
}

void Form1::openWorldMap()
{
    if (!m_worldMap) {
        m_worldMap = std::make_unique<WorldMapView>(m_config.appPath, m_playerData);
        connect(m_worldMap.get(), &WorldMapView::studyRequested, this, [this](int flagId) {
            m_worldMap->hide();
            if (m_form2)
                m_form2->hide();
            show();
            raise();
            activateWindow();
            if (enter(Mode::StudyByName))
                m_studyView->lookUp(flagId);
        });
    }
    m_worldMap->open(ReviewSchedule::today(m_services.clock));
}

void Form1::showNews()
{
    QString news;
    {
        WaitCursor wait;
        news = m_server.fetchServerFile(QStringLiteral("naiyou.txt"));
    }
    m_newsBox->setPlainText(NoticeCodec::decode(news));
    m_newsBox->show();
    m_closeNewsLabel->move(m_closeNewsLabel->x(), m_newsBox->y() - Twips::toPixels(1000));
    m_closeNewsLabel->show();
}

void Form1::closeNews()
{
    m_newsBox->hide();
    m_closeNewsLabel->hide();
}

void Form1::connectPanels()
{
    connect(m_gamePanel, &GamePanel::startRequested, this, [this](const GameSetup::Choice &choice) {
        GameSetup::Prepared game =
            GameSetup::prepare(choice, {m_config.appPath, [this] { return m_playerData.record(); },
                                        m_services.clock.localNow().date(), m_services.random});
        if (game.list)
            listRead(game.game.regionKey, *game.list);
        m_gamePanel->play(std::move(game));
    });
    connect(m_gamePanel, &GamePanel::gameFinished, this, [this](const FinishedGame &game) {
        if (game.rated())
            m_playerData.addResult(game.regionKey, game.resultsLine());
        // Practice or not, played out or left, what was asked and missed goes to the record.
        m_playerData.recordGame(game.questions);
        m_reviewDeck.forget();
        countDailyReview(game.regionKey);
        if (!game.rated())
            return;
        m_ratingFor = RatingFor::GameJustPlayed;
        m_deviation->showNationalDeviation(game.result.score, game.regionKey,
                                           NationalDeviation::CounterReport::Send);
    });
    // However the program ends, a game under way keeps the answers given.
    connect(qApp, &QCoreApplication::aboutToQuit, m_gamePanel, &GamePanel::leaveGame);
    m_dayWatch = new QTimer(this);
    m_dayWatch->setSingleShot(true);
    connect(m_dayWatch, &QTimer::timeout, this, [this] {
        if (ReviewSchedule::today(m_services.clock) != m_countedDay)
            countDailyReview(m_gamePanel->chosenRegionKey());
        else
            m_dayWatch->start(static_cast<int>(
                std::min<qint64>(ReviewSchedule::msecsToNextDay(m_services.clock.localNow()),
                                 longestDayWatchMsecs)));
    });
    connect(m_gamePanel, &GamePanel::regionChosen, this, &Form1::countDailyReview);
    connect(m_gamePanel, &GamePanel::dailyReviewRequested, this, [this](const QString &regionKey) {
        m_dailyReviewRegion = regionKey;
        enter(Mode::DailyReview);
    });
    connect(m_dailyReview, &DailyReviewPanel::closed, this, [this] { enter(Mode::Game); });
    connect(m_dailyReview, &DailyReviewPanel::scheduleChanged, this,
            [this] { m_reviewDeck.forget(); });
    connect(m_dailyReview, &DailyReviewPanel::worldMapRequested, this, &Form1::openWorldMap);
    // The review follows the rating; a rating that another interrupted waits for it, so the
    // review comes when none is left.
    // The review keeps clear of the rating window while that is open. A game's cards stay in
    // sight: the rating window gives way to them when the game begins, and again when a rating
    // started before it shows its values.
    connect(m_gamePanel, &GamePanel::gameStarted, m_deviation, &NationalDeviation::placeAgain);
    connect(m_deviation, &NationalDeviation::finished, this, [this] {
        if (m_gamePanel->playing())
            m_deviation->placeAgain();
        if (!m_deviation->busy())
            m_gamePanel->showReview(ratingWindowArea());
    });
    // The review is set aside while its flag is looked up, and the way back to it is offered
    // until the player goes elsewhere.
    connect(m_gamePanel, &GamePanel::reviewFlagPicked, this, [this](int flagId) {
        if (!enter(Mode::StudyByName))
            return;
        m_studyView->lookUp(flagId);
        m_backToReview->show();
    });
    connect(m_backToReview, &QPushButton::clicked, this, [this] {
        if (enter(Mode::Game))
            m_gamePanel->reopenReview(ratingWindowArea());
    });

    connect(m_studyView, &StudyView::listRead, this, &Form1::listRead);
    connect(m_studyView, &StudyView::mapChanged, this,
            [this](const QString &url) { m_state.currentMapUrl = url; });
}

void Form1::placeSourceCredit()
{
    constexpr int aboveBottomTwips = 1500;
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int bottom = screen ? std::min(screen->geometry().height(), height()) : height();
    m_sourceLabel->move(m_sourceLabel->x(),
                        Twips::toPixels(Twips::fromPixels(bottom) - aboveBottomTwips));
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeSourceCredit();
    // The game panel is as large as the screen; in a smaller window part of it is out of sight.
    m_gamePanel->setVisibleHeight(height() - m_gamePanel->y());
    // A window wider than the design's proportions has the design centred: the panel ends
    // where the design does, so that what grows to its right edge stays in sight.
    const int designRight = width() - m_windowScale->origin().x();
    if (m_gamePanel->x() + m_gamePanel->width() > designRight)
        m_gamePanel->resize(designRight - m_gamePanel->x(), m_gamePanel->height());
}

void Form1::listRead(const QString &, const BaseListLoad &load)
{
    m_state.currentMapUrl = load.lastMapUrl;
    // List1 holds the last list read, once; the study views read the world list again before
    // they show it.
    if (sender() != m_studyView)
        m_studyView->setListLines(load.listLines);
}

ReviewDeck &Form1::reviewDeck()
{
    const QDate today = ReviewSchedule::today(m_services.clock);
    if (!m_reviewDeck.preparedFor(today))
        m_reviewDeck.prepare(m_playerData.schedule(), today);
    return m_reviewDeck;
}

void Form1::countDailyReview(const QString &regionKey)
{
    const ReviewSchedule::TodaysCards today = reviewDeck().cards(regionKey);
    m_gamePanel->setDailyReviewCount(static_cast<int>(today.cards.size()), today.waiting);
    // The count holds until the player's day changes; a window left open overnight counts
    // again then. The wait is cut short so that a sleeping computer does not oversleep it.
    m_countedDay = ReviewSchedule::today(m_services.clock);
    m_dayWatch->start(static_cast<int>(std::min<qint64>(
        ReviewSchedule::msecsToNextDay(m_services.clock.localNow()), longestDayWatchMsecs)));
}

bool Form1::beginDailyReview()
{
    ReviewDeck &deck = reviewDeck();
    const QList<ReviewSchedule::CardKey> cards = deck.cards(m_dailyReviewRegion).cards;
    std::optional<ReviewRows> rows = deck.rows(m_dailyReviewRegion);
    return rows && m_dailyReview->begin(std::move(*rows), cards);
}
