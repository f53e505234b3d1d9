#include "Form2.h"

#include "ClickableLabel.h"
#include "Clock.h"
#include "GameDetails.h"
#include "GameNumbers.h"
#include "GraphLines.h"
#include "MessageBox.h"
#include "PhraseLabel.h"
#include "PlayerData.h"
#include "Regions.h"
#include "Services.h"
#include "Twips.h"
#include "WindowScale.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <utility>

namespace {

const QColor lightYellow(255, 255, 192);
const QColor darkRed(192, 0, 0);

// The size the window is designed at, inside its frame.
constexpr int designInnerWidth = 14025;
constexpr int designInnerHeight = 8040;
constexpr double noRecordsSeconds = 2.0;
// How often the wait looks at the clock.
constexpr int noRecordsTickMilliseconds = 10;

void colour(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

QWidget *rectangle(QWidget *parent)
{
    auto *shape = new QWidget(parent);
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    shape->setAutoFillBackground(true);
    colour(shape, QPalette::Window, Qt::black);
    return shape;
}

QLineEdit *textBox(QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setTextMargins(0, 0, 0, 0);
    box->setContentsMargins(0, 0, 0, 0);
    colour(box, QPalette::Base, lightYellow);
    return box;
}

QPlainTextEdit *textArea(QWidget *parent)
{
    auto *area = new QPlainTextEdit(parent);
    area->setReadOnly(true);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->document()->setDocumentMargin(2);
    // The hint lies over a corner of the detail box; frames would cross each other there.
    area->setFrameStyle(QFrame::NoFrame);
    colour(area, QPalette::Base, lightYellow);
    return area;
}

// Names the control, puts it where the design has it and gives it its design font.
template <typename W>
W *control(W *widget, const char *name, int left, int top, int width, int height, double points = 0,
           bool bold = false)
{
    if (points > 0)
        Twips::place(widget, name, left, top, width, height, points, bold);
    else
        Twips::place(widget, name, left, top, width, height);
    // A press on a control is that control's; only the bare window starts a drag.
    widget->setAttribute(Qt::WA_NoMousePropagation);
    return widget;
}

} // namespace

Form2::Form2(Services &services, PlayerData &playerData, QWidget *mainWindow)
    : QWidget(nullptr), m_services(services), m_playerData(playerData), m_mainWindow(mainWindow)
{
    // "記録がありません" stays for two seconds with the window answering; a load meanwhile has
    // its own say over the title line.
    m_noRecordsTimer = new QTimer(this);
    m_noRecordsTimer->setInterval(noRecordsTickMilliseconds);
    connect(m_noRecordsTimer, &QTimer::timeout, this, [this] {
        if (m_services.clock.monotonicSeconds() - m_noRecordsSince < noRecordsSeconds)
            return;
        m_noRecordsTimer->stop();
        m_titleBox->hide();
    });

    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("フラミオ"));
    setAutoFillBackground(true);
    colour(this, QPalette::Window, lightYellow);
    resize(Twips::toPixels(designInnerWidth), Twips::toPixels(designInnerHeight));

    const HistoryGraph::Anchors &graph = HistoryGraph::designAnchors;
    control(rectangle(this), "Shape1", graph.axisLeft, 6660, graph.axisWidth, 30);
    control(rectangle(this), "Shape2", 840, 780, 30, 5895);
    control(rectangle(this), "Shape3", 840, 3960, 11055, 30);

    m_canvas = new GraphCanvas(this);
    m_canvas->setGeometry(rect());

    // Three digits must fit the narrow boxes beside the axis with the Gothic fonts we have.
    m_bestScoreBox = control(textBox(this), "Text6", 480, 1440, 345, 210, 8);
    m_worstScoreBox = control(textBox(this), "Text7", 480, 5760, 345, 210, 8);
    m_bestScoreBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_worstScoreBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_titleBox = control(textBox(this), "Text1", 990, 840, 2955, 465, 18, true);
    resetTitle();
    colour(m_titleBox, QPalette::Text, darkRed);
    m_detailBox = control(textArea(this), "Text4", 3990, 150, 7515, 1125, 14.25, true);
    colour(m_detailBox, QPalette::Text, darkRed);
    // The hint lies over a corner of the detail box, and wraps between words.
    m_scrollHint = control(new PhraseLabel(this), "Text5", 7980, 840, 3675, 615, 9);
    m_scrollHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollHint->setAutoFillBackground(true);
    colour(m_scrollHint, QPalette::Window, lightYellow);
    m_scrollHint->setText(QStringLiteral("左ボタンを押しながら左右に動かすと横スクロールします。"));
    m_scrollHint->hide();

    m_regionLabel = control(new QLabel(this), "Label4", 1050, 300, 2805, 495, 15.75, true);
    colour(m_regionLabel, QPalette::WindowText, darkRed);

    m_backButton =
        control(new QPushButton(QStringLiteral("戻る"), this), "Command1", 11670, 810, 975, 375, 9);
    connect(m_backButton, &QPushButton::clicked, this, &Form2::back);
    // Esc is 戻る, as the window's close button is.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &Form2::back);
    m_reloadButton = control(new QPushButton(this), "Command2", 3480, 8460, 1095, 405, 9);
    connect(m_reloadButton, &QPushButton::clicked, this, &Form2::loadHistory);
    m_worldMapButton = control(new QPushButton(QStringLiteral("覚えた国旗の地図"), this),
                               "CommandWorldMap", 11670, 1290, 1900, 375, 9);
    connect(m_worldMapButton, &QPushButton::clicked, this, &Form2::worldMapRequested);

    m_numbers = new GameNumbers(this);
    connect(m_numbers, &GameNumbers::detailsWanted, this, &Form2::showDetails);
    connect(m_numbers, &GameNumbers::deleteWanted, this, &Form2::deleteGame);
    connect(m_numbers, &GameNumbers::deleteAsked, this, &Form2::askToDelete);
    connect(m_numbers, &GameNumbers::scrollWanted, this, [this](int step) {
        if (m_graph.scrollBy(step))
            showView();
    });

    setAccessibleNames();
    resizeHandler();
}

Form2::~Form2() = default;

void Form2::setAccessibleNames()
{
    m_titleBox->setAccessibleName(QStringLiteral("成績"));
    m_detailBox->setAccessibleName(QStringLiteral("ゲームの詳しい成績"));
    m_scrollHint->setAccessibleName(QStringLiteral("横スクロールの説明"));
    m_bestScoreBox->setAccessibleName(QStringLiteral("最高点"));
    m_worstScoreBox->setAccessibleName(QStringLiteral("最低点"));
    m_regionLabel->setAccessibleName(QStringLiteral("地域"));
    m_reloadButton->setAccessibleName(QStringLiteral("記録を読み直す"));
    // Never reached by the player; the keyboard passes it by as the mouse does.
    m_reloadButton->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit *axis : {m_bestScoreBox, m_worstScoreBox})
        axis->setFocusPolicy(Qt::NoFocus);
    // The buttons before the thirty column numbers, so that the map is a few keys away.
    QWidget *previous = m_titleBox;
    for (QWidget *next :
         std::initializer_list<QWidget *>{m_detailBox, m_backButton, m_worldMapButton})
        setTabOrder(std::exchange(previous, next), next);
    m_numbers->chainAfter(previous);
}

void Form2::askToDelete(int column)
{
    const int result = m_graph.resultInColumn(column);
    if (result == 0)
        return;
    const bool yes =
        m_services.messages.ask(QStringLiteral("%1回目のゲームの記録を削除しますか？").arg(result));
    if (yes)
        deleteGame(column);
    // The question belongs to the main window, which comes up with it; the player goes on
    // here, with the graph, on the same column.
    show();
    raise();
    activateWindow();
    m_numbers->number(column)->setFocus(Qt::OtherFocusReason);
}

QSizeF Form2::innerTwips() const
{
    return QSizeF(Twips::fromPixelsExact(width()), Twips::fromPixelsExact(height()));
}

bool Form2::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate)
        activated();
    return handled;
}

QList<QRect> Form2::controlAreas() const
{
    const auto spanned = [](const QWidget *first, const QWidget *last) {
        return QRect(first->mapToGlobal(QPoint()), first->size())
            .united(QRect(last->mapToGlobal(QPoint()), last->size()));
    };
    return {spanned(m_titleBox, m_detailBox), spanned(m_backButton, m_worldMapButton),
            spanned(m_numbers->number(0), m_numbers->deleteButton(HistoryGraph::columnCount - 1))};
}

void Form2::setRegion(const QString &regionKey, const QString &regionName)
{
    m_regionKey = regionKey;
    m_regionName = regionName;
}

void Form2::open(const QString &regionKey, const QString &regionName)
{
    setRegion(regionKey, regionName);
    const bool wasActive = isVisible() && isActiveWindow();
    // The keys act on the game numbers, so the window opens there, where the focus can be
    // seen; the title first in the Tab chain is a text box that shows none.
    m_numbers->number(0)->setFocus(Qt::OtherFocusReason);
    show();
    raise();
    if (wasActive)
        activated();
    else
        activateWindow();
}

void Form2::activated()
{
    m_regionLabel->setText(m_regionName);
    // The controls stretch from the size the window first had.
    if (m_placedInner.isEmpty())
        m_placedInner = innerTwips();
    setWindowState(Qt::WindowNoState);
    fitToScreen();
    resizeHandler();
    loadHistory();
}

void Form2::fitToScreen()
{
    // The window lies over the main window, on that window's screen.
    const QScreen *screen = m_mainWindow ? m_mainWindow->screen() : nullptr;
    if (!screen)
        screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const int screenWidth = Twips::fromPixels(area.width());
    const int screenHeight = Twips::fromPixels(area.height());
    const int outerHeight = static_cast<int>(0.8 * screenHeight);
    const int outerWidth = static_cast<int>(0.9 * screenWidth);
    const int top = (screenHeight - outerHeight) / 2;
    const int left = (screenWidth - outerWidth) / 2;
    // The sizes are the window's outer ones, frame and caption included.
    const int frameWidth = frameGeometry().width() - width();
    const int frameHeight = frameGeometry().height() - height();
    resize(Twips::toPixels(outerWidth) - frameWidth, Twips::toPixels(outerHeight) - frameHeight);
    move(area.x() + Twips::toPixels(left), area.y() + Twips::toPixels(top));
}

void Form2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_canvas->setGeometry(rect());
    // The window system may confirm a size we set ourselves; only a real change lays out anew.
    if (size() != m_laidOutSize)
        resizeHandler();
}

void Form2::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange &&
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        QMetaObject::invokeMethod(
            this, [this] { setWindowState(Qt::WindowNoState); }, Qt::QueuedConnection);
    }
}

void Form2::resizeHandler()
{
    m_laidOutSize = size();
    m_canvas->setGeometry(rect());
    double across = 1;
    double down = 1;
    if (!m_placedInner.isEmpty()) {
        const QSizeF inner = innerTwips();
        across = inner.width() / m_placedInner.width();
        down = inner.height() / m_placedInner.height();
        WindowScale::stretch(this, across, down);
    }
    m_graph.resize(HistoryGraph::designAnchors.stretched(across, down));
    showGraph();
}

void Form2::showGraph()
{
    m_numbers->place(m_graph);
    m_scrollHint->setVisible(m_graph.hintVisible());
    m_bestScoreBox->setText(m_graph.bestText());
    m_worstScoreBox->setText(m_graph.worstText());
    showView();
}

void Form2::showView()
{
    m_numbers->relabel(m_graph);
    m_canvas->draw(m_graph.segments());
}

void Form2::resetTitle()
{
    m_titleBox->setText(QStringLiteral("<成績>"));
}

void Form2::loadHistory()
{
    m_noRecordsTimer->stop();
    m_detailBox->clear();
    const ResultsFile::ReadResult read = m_playerData.results(m_regionKey);

    if (read.status != ResultsFile::ReadStatus::Read) {
        // Clicks and drags must not act on whatever an earlier region left behind.
        m_history = {};
        m_graph.clear();
        showGraph();
        if (read.status == ResultsFile::ReadStatus::Unreadable) {
            m_detailBox->setPlainText(QStringLiteral("記録ファイルを読めません。"));
            return;
        }
        m_titleBox->setText(QStringLiteral("記録がありません"));
        m_titleBox->show();
        m_noRecordsSince = m_services.clock.monotonicSeconds();
        m_noRecordsTimer->start();
        return;
    }

    m_history = read.history;
    std::vector<int> shortfalls;
    shortfalls.reserve(m_history.games.size());
    for (const PastGame &game : m_history.games)
        shortfalls.push_back(Regions::topScore - game.score);
    m_graph.load(shortfalls);
    showGraph();
    const QString notes = GameDetails::loadNotes(m_history);
    if (!notes.isEmpty())
        m_detailBox->setPlainText(notes);
}

void Form2::showDetails(int column)
{
    const int result = m_graph.resultInColumn(column);
    if (column >= m_graph.recordCount() || result == 0) {
        m_detailBox->clear();
        return;
    }
    m_titleBox->show();
    const PastGame game = m_history.games[static_cast<size_t>(result - 1)];
    m_detailBox->setPlainText(
        GameDetails::text(game).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_titleBox->setText(GameDetails::title(m_numbers->number(column)->text()));
    m_detailBox->show();
    emit ratingRequested(game.score, m_regionKey);
}

void Form2::deleteGame(int column)
{
    const int first = m_graph.firstShown();
    const int target = column + first;
    if (column < 0 || column >= HistoryGraph::columnCount || target > m_graph.recordCount())
        return;
    const PastGame game = m_history.games[static_cast<size_t>(target - 1)];
    if (!m_playerData.removeResult(m_regionKey, game)) {
        raise();
        activateWindow();
    }
    loadHistory();
    m_graph.restoreView(first);
    showView();
    // The title named the game shown in the detail box, which the reload has emptied.
    resetTitle();
}

void Form2::back()
{
    hide();
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
}

void Form2::closeEvent(QCloseEvent *event)
{
    // The window lives on hidden, as "戻る" leaves it.
    event->ignore();
    back();
}

void Form2::mousePressEvent(QMouseEvent *event)
{
    m_graph.press(Twips::fromPixelsExact(event->position().x()));
    QWidget::mousePressEvent(event);
}

void Form2::mouseMoveEvent(QMouseEvent *event)
{
    const bool leftOnly = event->buttons() == Qt::LeftButton;
    if (m_graph.move(leftOnly, Twips::fromPixelsExact(event->position().x())))
        showView();
    QWidget::mouseMoveEvent(event);
}
