#include "Form2.h"

#include "ClickableLabel.h"
#include "Clock.h"
#include "GameDetails.h"
#include "GraphLines.h"
#include "MessageBox.h"
#include "PhraseLabel.h"
#include "PlayerData.h"
#include "Regions.h"
#include "Services.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QColor lightYellow(255, 255, 192);
const QColor darkRed(192, 0, 0);
const QColor columnGrey(192, 192, 192);

// The size the window is designed at, inside its frame.
constexpr int designInnerWidth = 14025;
constexpr int designInnerHeight = 8040;
constexpr double columnFontSize = 10;
constexpr double minimumColumnFontSize = 4;
constexpr double noRecordsSeconds = 2.0;
// How often the wait looks at the clock.
constexpr int noRecordsTickMilliseconds = 10;

int whole(std::optional<double> twips)
{
    return static_cast<int>(std::lround(twips.value_or(0)));
}

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

    m_graphBottomLine = add(rectangle(this), "Shape1", 840, 6660, 11055, 30);
    m_graphLeftLine = add(rectangle(this), "Shape2", 840, 780, 30, 5895);
    m_graphMiddleLine = add(rectangle(this), "Shape3", 840, 3960, 11055, 30);
    m_numberRowAnchor = add(rectangle(this), "Shape4", 1020, 6720, 165, 225);
    m_deleteRowAnchor = add(rectangle(this), "Shape5", 960, 6990, 165, 285);
    // Only their positions matter: they anchor the column numbers and the "削除" row.
    m_numberRowAnchor->hide();
    m_deleteRowAnchor->hide();

    std::vector<GraphLine *> lines;
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        m_graphLines[static_cast<size_t>(i)] = new GraphLine(i, this);
        lines.push_back(m_graphLines[static_cast<size_t>(i)]);
    }
    m_canvas = new GraphCanvas(std::move(lines), this);
    m_canvas->setGeometry(rect());

    // Only their tops matter: the heights of the best and the worst score.
    m_bestScoreAnchor = add(textBox(this), "Text2", 450, 1530, 315, 210, 9);
    m_worstScoreAnchor = add(textBox(this), "Text3", 510, 5880, 315, 210, 9);
    m_bestScoreAnchor->hide();
    m_worstScoreAnchor->hide();
    // Three digits must fit the narrow boxes beside the axis with the Gothic fonts we have.
    m_bestScoreBox = add(textBox(this), "Text6", 480, 1440, 345, 210, 8);
    m_worstScoreBox = add(textBox(this), "Text7", 480, 5760, 345, 210, 8);
    m_bestScoreBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_worstScoreBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_titleBox = add(textBox(this), "Text1", 990, 840, 2955, 465, 18, true);
    resetTitle();
    colour(m_titleBox, QPalette::Text, darkRed);
    m_detailBox = add(textArea(this), "Text4", 3990, 150, 7515, 1125, 14.25, true);
    colour(m_detailBox, QPalette::Text, darkRed);
    // The hint lies over a corner of the detail box, and wraps between words.
    m_scrollHint = add(new PhraseLabel(this), "Text5", 7980, 840, 3675, 615, 9);
    m_scrollHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollHint->setAutoFillBackground(true);
    colour(m_scrollHint, QPalette::Window, lightYellow);
    m_scrollHint->setText(QStringLiteral("左ボタンを押しながら左右に動かすと横スクロールします。"));
    m_scrollHint->hide();

    m_regionLabel = add(new QLabel(this), "Label4", 1050, 300, 2805, 495, 15.75, true);
    colour(m_regionLabel, QPalette::WindowText, darkRed);

    m_backButton =
        add(new QPushButton(QStringLiteral("戻る"), this), "Command1", 11670, 810, 975, 375, 9);
    connect(m_backButton, &QPushButton::clicked, this, &Form2::back);
    // Esc is 戻る, as the window's close button is.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &Form2::back);
    m_reloadButton = add(new QPushButton(this), "Command2", 3480, 8460, 1095, 405, 9);
    connect(m_reloadButton, &QPushButton::clicked, this, &Form2::loadHistory);
    m_worldMapButton = add(new QPushButton(QStringLiteral("覚えた国旗の地図"), this),
                           "CommandWorldMap", 11670, 1290, 1900, 375, 9);
    connect(m_worldMapButton, &QPushButton::clicked, this, &Form2::worldMapRequested);

    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        auto *number =
            add(new ClickableLabel(this), "Label1", 0, 0, 315, 195, columnFontSize, false, i);
        number->setAlignment(Qt::AlignCenter);
        number->setAutoFillBackground(true);
        colour(number, QPalette::Window, columnGrey);
        number->setCursor(Qt::PointingHandCursor);
        number->makeFocusable(QString());
        number->showFocusByColour();
        number->installEventFilter(this);
        connect(number, &ClickableLabel::pressed, this,
                [this] { m_pressedGeneration = m_viewGeneration; });
        connect(number, &ClickableLabel::clicked, this, [this, i] {
            if (m_pressedGeneration == m_viewGeneration)
                showDetails(i);
        });
        m_columnNumbers[static_cast<size_t>(i)] = number;

        auto *remove = add(new ClickableLabel(QStringLiteral("削除"), this), "Label3", 0, 0, 225,
                           435, columnFontSize, false, i);
        remove->setWordWrap(true);
        remove->setAlignment(Qt::AlignCenter);
        remove->setFrameStyle(QFrame::Panel | QFrame::Raised);
        remove->setCursor(Qt::PointingHandCursor);
        // Delete on the column number reaches it from the keyboard, and asks first.
        remove->installEventFilter(this);
        connect(remove, &ClickableLabel::pressed, this,
                [this] { m_pressedGeneration = m_viewGeneration; });
        connect(remove, &ClickableLabel::clicked, this, [this, i] {
            if (m_pressedGeneration == m_viewGeneration)
                deleteGame(i);
        });
        m_deleteLabels[static_cast<size_t>(i)] = remove;
    }

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
    for (QLineEdit *axis : {m_bestScoreAnchor, m_worstScoreAnchor, m_bestScoreBox, m_worstScoreBox})
        axis->setFocusPolicy(Qt::NoFocus);
    // The buttons before the thirty column numbers, so that the map is a few keys away.
    QWidget *previous = m_titleBox;
    for (QWidget *next :
         std::initializer_list<QWidget *>{m_detailBox, m_backButton, m_worldMapButton})
        setTabOrder(std::exchange(previous, next), next);
    for (ClickableLabel *number : m_columnNumbers) {
        setTabOrder(std::exchange(previous, number), number);
        number->setFocusPolicy(number == m_columnNumbers[0] ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    // The column numbers are one stop of the Tab chain, the one last visited; the arrows move
    // along them. Tab then reaches the buttons in a few keys rather than after thirty columns.
    if (event->type() == QEvent::FocusIn) {
        for (ClickableLabel *number : m_columnNumbers) {
            if (number == watched) {
                for (ClickableLabel *other : m_columnNumbers)
                    other->setFocusPolicy(other == number ? Qt::StrongFocus : Qt::ClickFocus);
            }
        }
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        if (watched == m_columnNumbers[static_cast<size_t>(i)] ||
            watched == m_deleteLabels[static_cast<size_t>(i)])
            return columnKey(i, key->key());
    }
    return QWidget::eventFilter(watched, event);
}

bool Form2::columnKey(int index, int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = key == Qt::Key_Left ? -1 : 1;
        int next = index + step;
        // Past either end of the columns the graph scrolls by one game, as a drag would.
        if (next < 0 || next >= HistoryGraph::columnCount) {
            const int first = m_graph.firstShown();
            m_graph.restoreView(first + step);
            if (m_graph.firstShown() != first)
                showView();
            next = std::clamp(next, 0, HistoryGraph::columnCount - 1);
        }
        m_columnNumbers[static_cast<size_t>(next)]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        showDetails(index);
        return true;
    case Qt::Key_Delete: {
        const int result = m_graph.resultInColumn(index);
        if (result == 0)
            return true;
        const bool yes = m_services.messages.ask(
            QStringLiteral("%1回目のゲームの記録を削除しますか？").arg(result));
        if (yes)
            deleteGame(index);
        // The question belongs to the main window, which comes up with it; the player goes on
        // here, with the graph, on the same column.
        show();
        raise();
        activateWindow();
        m_columnNumbers[static_cast<size_t>(index)]->setFocus(Qt::OtherFocusReason);
        return true;
    }
    default:
        return false;
    }
}

template <typename W>
W *Form2::add(W *widget, const char *name, int l, int t, int w, int h, double fontSize, bool bold,
              int index)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (index >= 0)
        widget->setProperty("index", index);
    // A press on a control is that control's; only the bare window starts a drag.
    widget->setAttribute(Qt::WA_NoMousePropagation);
    ControlGeometry geometry{double(l), double(t), double(w), double(h), std::nullopt};
    if (fontSize > 0) {
        widget->setFont(Twips::designFont(fontSize, bold));
        geometry.fontSize = fontSize;
    }
    m_controls.push_back({widget, geometry});
    setGeometryOf(m_controls.back(), geometry);
    return widget;
}

Form2::Tracked &Form2::tracked(QWidget *widget)
{
    for (Tracked &candidate : m_controls) {
        if (candidate.widget == widget)
            return candidate;
    }
    m_controls.push_back({widget, {}});
    return m_controls.back();
}

void Form2::setGeometryOf(Tracked &tracked, const ControlGeometry &geometry)
{
    ControlGeometry &kept = tracked.geometry;
    if (geometry.left)
        kept.left = geometry.left;
    if (geometry.top)
        kept.top = geometry.top;
    if (geometry.width)
        kept.width = geometry.width;
    if (geometry.height)
        kept.height = geometry.height;
    tracked.widget->setGeometry(
        Twips::rect(whole(kept.left), whole(kept.top), whole(kept.width), whole(kept.height)));
    if (geometry.fontSize && tracked.geometry.fontSize) {
        kept.fontSize = geometry.fontSize;
        QFont font = tracked.widget->font();
        font.setPointSizeF(Twips::points(*geometry.fontSize));
        tracked.widget->setFont(font);
    }
}

std::vector<ProportionalLayout::Item> Form2::currentGeometry() const
{
    std::vector<ProportionalLayout::Item> items;
    items.reserve(m_controls.size());
    for (const Tracked &control : m_controls)
        items.push_back({control.widget, control.geometry});
    return items;
}

double Form2::innerWidthTwips() const
{
    return Twips::fromPixelsExact(width());
}

double Form2::innerHeightTwips() const
{
    return Twips::fromPixelsExact(height());
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
            spanned(m_columnNumbers.front(), m_deleteLabels.back())};
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
    m_columnNumbers[0]->setFocus(Qt::OtherFocusReason);
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
    captureLayout();
    setWindowState(Qt::WindowNoState);
    fitToScreen();
    resizeHandler();
    loadHistory();
}

void Form2::captureLayout()
{
    m_layout.captureLayout(innerWidthTwips(), innerHeightTwips(), currentGeometry());
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
    if (m_layout.layoutCaptured()) {
        for (const ProportionalLayout::Item &item :
             m_layout.scaledTo(innerWidthTwips(), innerHeightTwips()))
            setGeometryOf(tracked(static_cast<QWidget *>(item.control)), item.geometry);
    }

    const auto &shape1 = tracked(m_graphBottomLine).geometry;
    const auto &shape4 = tracked(m_numberRowAnchor).geometry;
    HistoryGraph::Anchors anchors;
    anchors.shape1Left = whole(shape1.left);
    anchors.shape1Width = whole(shape1.width);
    anchors.shape4Left = whole(shape4.left);
    anchors.shape4Top = whole(shape4.top);
    anchors.shape5Top = whole(tracked(m_deleteRowAnchor).geometry.top);
    anchors.plotTop = whole(tracked(m_bestScoreAnchor).geometry.top);
    anchors.plotBottom = whole(tracked(m_worstScoreAnchor).geometry.top);
    m_graph.resize(anchors);

    ControlGeometry columnFont;
    columnFont.fontSize = columnFontSize;
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        setGeometryOf(tracked(m_columnNumbers[static_cast<size_t>(i)]), columnFont);
        setGeometryOf(tracked(m_deleteLabels[static_cast<size_t>(i)]), columnFont);
    }
    showGraph();
}

void Form2::showGraph()
{
    const auto &columns = m_graph.columns();
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        const HistoryGraph::Column &column = columns[static_cast<size_t>(i)];
        ControlGeometry number;
        number.left = column.numberLeft;
        number.top = column.numberTop;
        setGeometryOf(tracked(m_columnNumbers[static_cast<size_t>(i)]), number);
        ControlGeometry remove;
        remove.left = column.deleteLeft;
        remove.top = column.deleteTop;
        setGeometryOf(tracked(m_deleteLabels[static_cast<size_t>(i)]), remove);
    }
    m_scrollHint->setVisible(m_graph.hintVisible());
    m_bestScoreBox->setText(m_graph.bestText());
    m_worstScoreBox->setText(m_graph.worstText());
    showView();
}

void Form2::showView()
{
    ++m_viewGeneration;
    const auto &columns = m_graph.columns();
    const auto &segments = m_graph.segments();
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        const QString caption = QString::number(columns[static_cast<size_t>(i)].caption);
        ClickableLabel *number = m_columnNumbers[static_cast<size_t>(i)];
        if (number->text() != caption)
            number->setText(caption);
        const bool played = m_graph.resultInColumn(i) != 0;
        number->setAccessibleName(played ? QStringLiteral("%1回目のゲーム").arg(caption)
                                         : QStringLiteral("%1回目（記録なし）").arg(caption));
        m_deleteLabels[static_cast<size_t>(i)]->setAccessibleName(
            QStringLiteral("%1回目のゲームを削除").arg(caption));
        const HistoryGraph::Segment &segment = segments[static_cast<size_t>(i)];
        GraphLine *line = m_graphLines[static_cast<size_t>(i)];
        line->visible = segment.visible;
        line->x1 = segment.x1;
        line->y1 = segment.y1;
        line->x2 = segment.x2;
        line->y2 = segment.y2;
    }
    fitColumnNumbers();
    m_canvas->update();
}

void Form2::fitColumnNumbers()
{
    // The numbers and the "削除" buttons keep their size until the longest text on show no
    // longer fits its column, as in a window made much smaller than designed; then each row
    // shrinks alike.
    const auto fit = [](const auto &labels, const QString &longest) {
        QFont font = labels[0]->font();
        font.setPointSizeF(columnFontSize);
        const double wanted = QFontMetricsF(font).horizontalAdvance(longest);
        const double room = labels[0]->contentsRect().width() - 2;
        if (wanted > room && room > 0)
            font.setPointSizeF(std::max(minimumColumnFontSize, columnFontSize * room / wanted));
        if (font == labels[0]->font())
            return;
        for (ClickableLabel *label : labels)
            label->setFont(font);
    };
    fit(m_columnNumbers, QString::number(m_graph.columns()[HistoryGraph::columnCount - 1].caption));
    // The button's two characters stand one above the other.
    fit(m_deleteLabels, QStringLiteral("削"));
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

    QStringList notes;
    if (m_history.skippedLines > 0)
        notes << QStringLiteral("記録ファイルの読めない行 %1 行を飛ばしました。")
                     .arg(m_history.skippedLines);
    if (m_history.olderDropped > 0)
        notes << QStringLiteral("古い記録 %1 件は表示していません。").arg(m_history.olderDropped);
    if (!notes.isEmpty())
        m_detailBox->setPlainText(notes.join(QLatin1Char('\n')));
}

void Form2::showDetails(int index)
{
    const int result = m_graph.resultInColumn(index);
    if (index >= m_graph.recordCount() || result == 0) {
        m_detailBox->clear();
        return;
    }
    m_titleBox->show();
    const PastGame game = m_history.games[static_cast<size_t>(result - 1)];
    m_detailBox->setPlainText(
        GameDetails::text(game).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_titleBox->setText(GameDetails::title(m_columnNumbers[static_cast<size_t>(index)]->text()));
    m_detailBox->show();
    emit ratingRequested(game.score, m_regionKey);
}

void Form2::deleteGame(int index)
{
    const int first = m_graph.firstShown();
    const int target = index + first;
    if (index < 0 || index >= HistoryGraph::columnCount || target > m_graph.recordCount())
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
