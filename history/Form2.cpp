#include "Form2.h"

#include "ClickableLabel.h"
#include "Clock.h"
#include "GameDetails.h"
#include "GraphLines.h"
#include "MessageBox.h"
#include "Regions.h"
#include "Services.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

const QColor lightYellow(255, 255, 192);
const QColor darkRed(192, 0, 0);
const QColor columnGrey(192, 192, 192);

// The size the window is designed at, inside its frame.
constexpr int designInnerWidth = 14025;
constexpr int designInnerHeight = 8040;
constexpr double columnFontSize = 10;
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

Form2::Form2(Services &services, QString dataPath, QWidget *mainWindow)
    : QWidget(nullptr), m_services(services), m_dataPath(std::move(dataPath)),
      m_mainWindow(mainWindow)
{
    // "記録がありません" stays for two seconds with the window answering; a load meanwhile has
    // its own say over the title line.
    m_noRecordsTimer = new QTimer(this);
    m_noRecordsTimer->setInterval(noRecordsTickMilliseconds);
    connect(m_noRecordsTimer, &QTimer::timeout, this, [this] {
        if (m_services.clock.monotonicSeconds() - m_noRecordsSince < noRecordsSeconds)
            return;
        m_noRecordsTimer->stop();
        m_text1->hide();
    });

    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("フラミオ"));
    setAutoFillBackground(true);
    colour(this, QPalette::Window, lightYellow);
    resize(Twips::toPixels(designInnerWidth), Twips::toPixels(designInnerHeight));

    m_shape1 = add(rectangle(this), "Shape1", 840, 6660, 11055, 30);
    m_shape2 = add(rectangle(this), "Shape2", 840, 780, 30, 5895);
    m_shape3 = add(rectangle(this), "Shape3", 840, 3960, 11055, 30);
    m_shape4 = add(rectangle(this), "Shape4", 1020, 6720, 165, 225);
    m_shape5 = add(rectangle(this), "Shape5", 960, 6990, 165, 285);
    // Only their positions matter: they anchor the column numbers and the "削除" row.
    m_shape4->hide();
    m_shape5->hide();

    std::vector<GraphLine *> lines;
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        m_line3[static_cast<size_t>(i)] = new GraphLine(i, this);
        lines.push_back(m_line3[static_cast<size_t>(i)]);
    }
    m_canvas = new GraphCanvas(std::move(lines), this);
    m_canvas->setGeometry(rect());

    // Only their tops matter: the heights of the best and the worst score.
    m_text2 = add(textBox(this), "Text2", 450, 1530, 315, 210, 9);
    m_text3 = add(textBox(this), "Text3", 510, 5880, 315, 210, 9);
    m_text2->hide();
    m_text3->hide();
    // Three digits must fit the narrow boxes beside the axis with the Gothic fonts we have.
    m_text6 = add(textBox(this), "Text6", 480, 1440, 345, 210, 8);
    m_text7 = add(textBox(this), "Text7", 480, 5760, 345, 210, 8);
    m_text6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_text7->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_text1 = add(textBox(this), "Text1", 990, 840, 2955, 465, 18, true);
    resetTitle();
    colour(m_text1, QPalette::Text, darkRed);
    m_text4 = add(textArea(this), "Text4", 3990, 150, 7515, 1125, 14.25, true);
    colour(m_text4, QPalette::Text, darkRed);
    m_text5 = add(textArea(this), "Text5", 7980, 840, 3675, 615, 9);
    m_text5->setPlainText(QStringLiteral("左ボタンを押しながら左右に動かすと横スクロールします。"));
    m_text5->hide();

    m_label4 = add(new QLabel(this), "Label4", 1050, 300, 2805, 495, 15.75, true);
    colour(m_label4, QPalette::WindowText, darkRed);

    m_command1 =
        add(new QPushButton(QStringLiteral("戻る"), this), "Command1", 11670, 810, 975, 375, 9);
    connect(m_command1, &QPushButton::clicked, this, &Form2::back);
    m_command2 = add(new QPushButton(this), "Command2", 3480, 8460, 1095, 405, 9);
    connect(m_command2, &QPushButton::clicked, this, &Form2::loadHistory);

    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        auto *number =
            add(new ClickableLabel(this), "Label1", 0, 0, 315, 195, columnFontSize, false, i);
        number->setAlignment(Qt::AlignCenter);
        number->setAutoFillBackground(true);
        colour(number, QPalette::Window, columnGrey);
        number->setCursor(Qt::PointingHandCursor);
        connect(number, &ClickableLabel::pressed, this,
                [this] { m_pressedGeneration = m_viewGeneration; });
        connect(number, &ClickableLabel::clicked, this, [this, i] {
            if (m_pressedGeneration == m_viewGeneration)
                showDetails(i);
        });
        m_label1[static_cast<size_t>(i)] = number;

        auto *remove = add(new ClickableLabel(QStringLiteral("削除"), this), "Label3", 0, 0, 225,
                           435, columnFontSize, false, i);
        remove->setWordWrap(true);
        remove->setAlignment(Qt::AlignCenter);
        remove->setFrameStyle(QFrame::Panel | QFrame::Raised);
        remove->setCursor(Qt::PointingHandCursor);
        connect(remove, &ClickableLabel::pressed, this,
                [this] { m_pressedGeneration = m_viewGeneration; });
        connect(remove, &ClickableLabel::clicked, this, [this, i] {
            if (m_pressedGeneration == m_viewGeneration)
                deleteGame(i);
        });
        m_label3[static_cast<size_t>(i)] = remove;
    }

    resizeHandler();
}

Form2::~Form2() = default;

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
        font.setPointSizeF(*geometry.fontSize);
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

void Form2::setRegion(const QString &regionKey, const QString &regionName)
{
    m_regionKey = regionKey;
    m_regionName = regionName;
}

void Form2::open(const QString &regionKey, const QString &regionName)
{
    setRegion(regionKey, regionName);
    const bool wasActive = isVisible() && isActiveWindow();
    show();
    raise();
    if (wasActive)
        activated();
    else
        activateWindow();
}

void Form2::activated()
{
    m_label4->setText(m_regionName);
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
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
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

    const auto &shape1 = tracked(m_shape1).geometry;
    const auto &shape4 = tracked(m_shape4).geometry;
    HistoryGraph::Anchors anchors;
    anchors.shape1Left = whole(shape1.left);
    anchors.shape1Width = whole(shape1.width);
    anchors.shape4Left = whole(shape4.left);
    anchors.shape4Top = whole(shape4.top);
    anchors.shape5Top = whole(tracked(m_shape5).geometry.top);
    anchors.plotTop = whole(tracked(m_text2).geometry.top);
    anchors.plotBottom = whole(tracked(m_text3).geometry.top);
    m_graph.resize(anchors);

    ControlGeometry columnFont;
    columnFont.fontSize = columnFontSize;
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        setGeometryOf(tracked(m_label1[static_cast<size_t>(i)]), columnFont);
        setGeometryOf(tracked(m_label3[static_cast<size_t>(i)]), columnFont);
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
        setGeometryOf(tracked(m_label1[static_cast<size_t>(i)]), number);
        ControlGeometry remove;
        remove.left = column.deleteLeft;
        remove.top = column.deleteTop;
        setGeometryOf(tracked(m_label3[static_cast<size_t>(i)]), remove);
    }
    m_text5->setVisible(m_graph.hintVisible());
    m_text6->setText(m_graph.bestText());
    m_text7->setText(m_graph.worstText());
    showView();
}

void Form2::showView()
{
    ++m_viewGeneration;
    const auto &columns = m_graph.columns();
    const auto &segments = m_graph.segments();
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        const QString caption = QString::number(columns[static_cast<size_t>(i)].caption);
        ClickableLabel *number = m_label1[static_cast<size_t>(i)];
        if (number->text() != caption)
            number->setText(caption);
        const HistoryGraph::Segment &segment = segments[static_cast<size_t>(i)];
        GraphLine *line = m_line3[static_cast<size_t>(i)];
        line->visible = segment.visible;
        line->x1 = segment.x1;
        line->y1 = segment.y1;
        line->x2 = segment.x2;
        line->y2 = segment.y2;
    }
    m_canvas->update();
}

void Form2::resetTitle()
{
    m_text1->setText(QStringLiteral("<成績>"));
}

void Form2::loadHistory()
{
    m_noRecordsTimer->stop();
    m_text4->clear();
    const ResultsFile::ReadResult read =
        ResultsFile::read(ResultsFile::path(m_dataPath, m_regionKey));

    if (read.status != ResultsFile::ReadStatus::Read) {
        // Clicks and drags must not act on whatever an earlier region left behind.
        m_history = {};
        m_graph.clear();
        showGraph();
        if (read.status == ResultsFile::ReadStatus::Unreadable) {
            m_text4->setPlainText(QStringLiteral("記録ファイルを読めません。"));
            return;
        }
        m_text1->setText(QStringLiteral("記録がありません"));
        m_text1->show();
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
        m_text4->setPlainText(notes.join(QLatin1Char('\n')));
}

void Form2::showDetails(int index)
{
    const int result = m_graph.resultInColumn(index);
    if (index >= m_graph.recordCount() || result == 0) {
        m_text4->clear();
        return;
    }
    m_text1->show();
    const PastGame game = m_history.games[static_cast<size_t>(result - 1)];
    m_text4->setPlainText(
        GameDetails::text(game).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_text1->setText(GameDetails::title(m_label1[static_cast<size_t>(index)]->text()));
    m_text4->show();
    emit ratingRequested(game.score, m_regionKey);
}

void Form2::deleteGame(int index)
{
    const int first = m_graph.firstShown();
    const int target = index + first;
    if (index < 0 || index >= HistoryGraph::columnCount || target > m_graph.recordCount())
        return;
    const PastGame game = m_history.games[static_cast<size_t>(target - 1)];
    if (const std::optional<FileError> error =
            ResultsFile::removeGame(m_dataPath, m_regionKey, game)) {
        m_services.messages.show(QStringLiteral("記録を削除できませんでした。") + error->message() +
                                 QStringLiteral("記録は元のままです。"));
    }
    loadHistory();
    m_graph.restoreView(first);
    showView();
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
    event->ignore();
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
