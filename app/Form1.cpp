#include "Form1.h"

#include "BaseList.h"
#include "ClickableLabel.h"
#include "Clock.h"
#include "Form2.h"
#include "GalleryDecoder.h"
#include "GamePanel.h"
#include "MasteryRecord.h"
#include "MessageBox.h"
#include "NationalDeviation.h"
#include "NoticeCodec.h"
#include "PicturePaths.h"
#include "Regions.h"
#include "ServerAccess.h"
#include "Services.h"
#include "StartupRules.h"
#include "StudyView.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

ClickableLabel *menuLabel(QWidget *parent, const char *name, const QString &caption, int l, int t,
                          int w, int h, double points, bool bold = false)
{
    auto *label = Twips::place(new ClickableLabel(caption, parent), name, l, t, w, h, points, bold);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

// Lets the window system show the window and paints it at once, taking no input yet. A window
// manager maps a new window a moment after it is shown, so that moment is waited for briefly.
void paintNow(QWidget *window)
{
    constexpr int mapWaitMilliseconds = 1000;
    const QDeadlineTimer mapped(mapWaitMilliseconds);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    while (window->windowHandle() && !window->windowHandle()->isExposed() && !mapped.hasExpired()) {
        QThread::msleep(5);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

Form1::Form1(AppState &state, Services &services, ServerAccess &server, const AppConfig &config,
             QWidget *parent)
    : QWidget(parent), m_config(config), m_state(state), m_services(services), m_server(server),
      m_galleryDecoder(StudyView::startGalleryDecode(config.appPath))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("フラミオ"));

    createStartScreen();
    m_studyView = new StudyView(services, config.appPath, config.dataPath, config.wikiBase, this);
    m_gamePanel = new GamePanel(services, config.appPath, config.dataPath, this);
    m_deviation = new NationalDeviation(server, services.clock, config.dataPath, this);
    connectPanels();
    createMenu();
    arrange(Mode::Start);
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
        m_newsBox->hide();
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
    connect(m_closeNewsLabel, &ClickableLabel::clicked, this, [this] {
        m_newsBox->hide();
        m_closeNewsLabel->hide();
    });

    // The credit sits right of the country list and the gallery frame, which reach down to
    // 10395 twips on the left.
    m_referralBanner = Twips::place(new ClickableLabel(this), "Image7", 4500, 10200, 1800, 450);
    m_referralBanner->setScaledContents(true);
    m_referralBanner->setCursor(Qt::PointingHandCursor);
    m_referralLabel = menuLabel(
        this, "Label22", QStringLiteral("フラミオはレンタルサーバーのサービスを利用しています"),
        6400, 10260, 6400, 345, 10.5);
}

bool Form1::load()
{
    MessageBox &messages = m_services.messages;

    setWindowIcon(QIcon());

    m_gamePanel->hideControls();

    if (StartupRules::refusesFolder(m_services.drives, m_config.appPath)) {
        messages.show(QStringLiteral("フラミオはCD-"
                                     "ROMから使用することは出来ません。フラミオのホルダーを丸ごとハ"
                                     "ードディスク又はメモリーにコピーしてからご使用下さい。"));
        return false;
    }

    // Without a window manager a maximised window keeps its old size, so it is also given
    // the screen's working area.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->availableGeometry());
    showMaximized();

    const QSize screenPixels = screen ? screen->geometry().size() : QSize(1920, 1080);
    const int screenWidth = Twips::fromPixels(screenPixels.width());
    const int screenHeight = Twips::fromPixels(screenPixels.height());
    m_gamePanel->fitToScreen(screenWidth, screenHeight);
    m_sourceLabel->move(m_sourceLabel->x(), Twips::toPixels(screenHeight - 1500));

    const QString introPath = PicturePaths::intro(m_config.appPath);
    QImage intro;
    if (!QImageReader(introPath).read(&intro)) {
        messages.show(QStringLiteral("%1 を読み込めません。").arg(introPath));
        return false;
    }
    m_introPicture->setPixmap(QPixmap::fromImage(intro));
    // The credit link's picture only shows the player where to click; without it the link
    // still answers, so a missing one ends nothing.
    QImage banner;
    if (QImageReader(PicturePaths::banner(m_config.appPath)).read(&banner))
        m_referralBanner->setPixmap(QPixmap::fromImage(banner));

    const QString missing = m_studyView->loadGalleryPictures(*m_galleryDecoder);
    m_galleryDecoder.reset();
    if (!missing.isEmpty()) {
        messages.show(QStringLiteral("%1 を読み込めません。").arg(missing));
        return false;
    }
    m_studyView->layoutAllCells();

    try {
        m_studyView->loadWorldList();
    } catch (const BaseListError &error) {
        messages.show(error.message());
        return false;
    }

    m_graphRegionBox->clear();
    for (const Region &region : Regions::all())
        m_graphRegionBox->addItem(region.displayName);

    QString notice;
    {
        // The notice fetch blocks the window for up to its deadline: the window is painted
        // first, under the wait cursor, so that a slow server never leaves an unpainted
        // window on the screen.
        WaitCursor wait;
        paintNow(this);
        notice = m_server.fetchNotice();
    }
    switch (StartupRules::actionForNotice(notice)) {
    case StartupRules::NoticeAction::EndProgram:
        messages.show(QStringLiteral("インターネットにアクセス出来ません。フラミオはインターネット"
                                     "から国旗情報を読み取る必要があります。"));
        return false;
    case StartupRules::NoticeAction::Nothing:
        return true;
    case StartupRules::NoticeAction::ShowNews:
        showNews();
        return true;
    }
    return true;
}

void Form1::openResultsWindow(int regionIndex)
{
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>(m_services, m_config.dataPath, this);
        connect(m_form2.get(), &Form2::ratingRequested, this,
                [this](int score, const QString &regionKey) {
                    m_deviation->showNationalDeviation(score, regionKey,
                                                       NationalDeviation::CounterReport::Skip);
                });
    }
    m_form2->resetTitle();
    if (regionIndex < 0 || regionIndex >= Regions::count)
        return;
    const Region &region = Regions::at(regionIndex);
    m_form2->open(region.key, region.displayName);
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

void Form1::connectPanels()
{
    connect(m_gamePanel, &GamePanel::regionChosen, this,
            [this](const QString &regionKey) { m_state.regionKey = regionKey; });
    connect(m_gamePanel, &GamePanel::listRead, this, &Form1::listRead);
    connect(m_gamePanel, &GamePanel::gameFinished, this,
            [this](const QString &regionKey, int score) {
                m_deviation->showNationalDeviation(score, regionKey,
                                                   NationalDeviation::CounterReport::Send);
            });
    connect(m_gamePanel, &GamePanel::questionsLogged, this, &Form1::recordGame);
    // The review follows the rating; a rating that another interrupted waits for it, so the
    // review comes when none is left.
    connect(m_deviation, &NationalDeviation::finished, this, [this] {
        if (!m_deviation->busy())
            m_gamePanel->showReview();
    });
    connect(m_gamePanel, &GamePanel::reviewFlagPicked, this, [this](int flagId) {
        if (enter(Mode::StudyByName))
            m_studyView->lookUp(flagId);
    });

    connect(m_studyView, &StudyView::listRead, this, &Form1::listRead);
    connect(m_studyView, &StudyView::mapChanged, this,
            [this](const QString &url) { m_state.currentMapUrl = url; });
}

bool Form1::enter(Mode mode)
{
    switch (mode) {
    case Mode::Start:
        break;
    case Mode::StudyByFlag:
        if (!m_studyView->openWorldList())
            return false;
        m_studyView->scrollGalleryToStart();
        break;
    case Mode::StudyByName:
        if (!m_studyView->openWorldList())
            return false;
        break;
    case Mode::Game:
        m_gamePanel->openPanel();
        break;
    }
    arrange(mode);
    // The list scrolls to the row found only once it is on show.
    if (mode == Mode::StudyByName)
        m_studyView->searchFor(QStringLiteral("日本"));
    return true;
}

void Form1::arrange(Mode mode)
{
    // The news is a word at start-up; any mode closes it.
    if (mode != Mode::Start)
        m_newsBox->hide();
    m_introPicture->setVisible(mode == Mode::Start);
    m_studyView->show(mode == Mode::StudyByFlag   ? StudyView::Panel::Gallery
                      : mode == Mode::StudyByName ? StudyView::Panel::Names
                                                  : StudyView::Panel::None);
    // Hiding the game panel ends its review; a game under way was already left.
    m_gamePanel->setVisible(mode == Mode::Game);

    // Lowest first. The start screen's picture lies where the country display is; the
    // region-map label is in use in the start screen and beside the display alike; the game
    // panel covers all of them; the menu row lies over everything.
    const QList<QWidget *> startScreen{m_introPicture,   m_sourceLabel,    m_newsBox,
                                       m_closeNewsLabel, m_referralBanner, m_referralLabel};
    for (QWidget *part : startScreen)
        part->raise();
    m_studyView->raise();
    m_regionMapLabel->raise();
    m_gamePanel->raise();
    for (QWidget *entry : menuRow())
        entry->raise();
}

QList<QWidget *> Form1::menuRow() const
{
    return {m_helpLabel,  m_galleryLabel,   m_byNameLabel, m_gameLabel,
            m_graphFrame, m_graphRegionBox, m_shopLabel,   m_endButton};
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The game panel is as large as the screen; in a smaller window part of it is out of sight.
    m_gamePanel->setVisibleHeight(height() - m_gamePanel->y());
}

void Form1::listRead(const QString &regionKey, const BaseListLoad &load)
{
    m_state.regionKey = regionKey;
    m_state.currentMapUrl = load.lastMapUrl;
    // List1 holds the last list read, once; the study views read the world list again before
    // they show it.
    if (sender() != m_studyView)
        m_studyView->setListLines(load.listLines);
}

void Form1::recordGame(const MasteryRecord::GameLog &game)
{
    const std::optional<FileError> error =
        MasteryRecord::update(m_config.dataPath, game, m_services.clock.localNow().date());
    if (!error)
        return;
    // A folder that refuses the record refuses it after every game; the player hears it once.
    // A put-back that failed is another matter: the two files now disagree, and each time
    // that happens the player is told which one kept the game.
    const bool putBackFailed = error->cause() == FileError::Cause::PutBackFailed;
    if (m_recordErrorShown && !putBackFailed)
        return;
    m_recordErrorShown = true;
    m_services.messages.show(QStringLiteral("国旗ごとの記録を保存できませんでした。\n%1\n%2")
                                 .arg(error->path(), error->message()));
}
