#include "GameNumbers.h"

#include "ClickableLabel.h"
#include "Twips.h"

#include <QEvent>
#include <QKeyEvent>

#include <algorithm>
#include <utility>

namespace {

constexpr double fontSize = 10;
constexpr double smallestFontSize = 4;
const QColor numberGrey(192, 192, 192);

template <typename Label>
Label *control(Label *label, const char *name, int column, int width, int height)
{
    Twips::place(label, name, 0, 0, width, height, fontSize);
    label->setProperty("index", column);
    // A press on a control is that control's; only the bare window starts a drag.
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

} // namespace

GameNumbers::GameNumbers(QWidget *window) : QObject(window)
{
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        auto *number = control(new ClickableLabel(window), "Label1", i, 315, 195);
        number->setAlignment(Qt::AlignCenter);
        number->setAutoFillBackground(true);
        QPalette palette = number->palette();
        palette.setColor(QPalette::Window, numberGrey);
        number->setPalette(palette);
        number->setCursor(Qt::PointingHandCursor);
        number->makeFocusable(QString());
        number->showFocusByColour();
        number->installEventFilter(this);
        connect(number, &ClickableLabel::pressed, this,
                [this] { m_pressedGeneration = m_viewGeneration; });
        connect(number, &ClickableLabel::clicked, this, [this, i] {
            if (m_pressedGeneration == m_viewGeneration)
                emit detailsWanted(i);
        });
        m_numbers[static_cast<size_t>(i)] = number;

        auto *remove =
            control(new ClickableLabel(QStringLiteral("削除"), window), "Label3", i, 225, 435);
        remove->setWordWrap(true);
        remove->setAlignment(Qt::AlignCenter);
        remove->setFrameStyle(QFrame::Panel | QFrame::Raised);
        remove->setCursor(Qt::PointingHandCursor);
        // Delete on the number reaches it from the keyboard, and asks first.
        remove->installEventFilter(this);
        connect(remove, &ClickableLabel::pressed, this,
                [this] { m_pressedGeneration = m_viewGeneration; });
        connect(remove, &ClickableLabel::clicked, this, [this, i] {
            if (m_pressedGeneration == m_viewGeneration)
                emit deleteWanted(i);
        });
        m_deleteButtons[static_cast<size_t>(i)] = remove;
    }
}

void GameNumbers::chainAfter(QWidget *previous)
{
    for (ClickableLabel *number : m_numbers) {
        QWidget::setTabOrder(std::exchange(previous, number), number);
        number->setFocusPolicy(number == m_numbers[0] ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void GameNumbers::place(const HistoryGraph &graph)
{
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        const HistoryGraph::Column &column = graph.columns()[static_cast<size_t>(i)];
        number(i)->move(Twips::toPixels(column.numberLeft), Twips::toPixels(column.numberTop));
        deleteButton(i)->move(Twips::toPixels(column.deleteLeft),
                              Twips::toPixels(column.deleteTop));
    }
}

void GameNumbers::relabel(const HistoryGraph &graph)
{
    ++m_viewGeneration;
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        const QString caption = QString::number(graph.columns()[static_cast<size_t>(i)].caption);
        ClickableLabel *label = number(i);
        if (label->text() != caption)
            label->setText(caption);
        label->setAccessibleName(graph.resultInColumn(i) != 0
                                     ? QStringLiteral("%1回目のゲーム").arg(caption)
                                     : QStringLiteral("%1回目（記録なし）").arg(caption));
        deleteButton(i)->setAccessibleName(QStringLiteral("%1回目のゲームを削除").arg(caption));
    }
    fitFonts(graph);
}

void GameNumbers::fitFonts(const HistoryGraph &graph)
{
    // The numbers and the "削除" buttons keep their size until the longest text on show no
    // longer fits its column, as in a window made much smaller than designed; then each row
    // shrinks alike.
    const auto fit = [](const auto &labels, const QString &longest) {
        QFont font = labels[0]->font();
        font.setPointSizeF(fontSize);
        const double wanted = QFontMetricsF(font).horizontalAdvance(longest);
        const double room = labels[0]->contentsRect().width() - 2;
        if (wanted > room && room > 0)
            font.setPointSizeF(std::max(smallestFontSize, fontSize * room / wanted));
        if (font == labels[0]->font())
            return;
        for (ClickableLabel *label : labels)
            label->setFont(font);
    };
    fit(m_numbers, QString::number(graph.columns()[HistoryGraph::columnCount - 1].caption));
    // The button's two characters stand one above the other.
    fit(m_deleteButtons, QStringLiteral("削"));
}

bool GameNumbers::eventFilter(QObject *watched, QEvent *event)
{
    // The numbers are one stop of the Tab chain, the one last visited; the arrows move along
    // them. Tab then reaches the buttons in a few keys rather than after thirty columns.
    if (event->type() == QEvent::FocusIn) {
        for (ClickableLabel *label : m_numbers) {
            if (label == watched) {
                for (ClickableLabel *other : m_numbers)
                    other->setFocusPolicy(other == label ? Qt::StrongFocus : Qt::ClickFocus);
            }
        }
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    for (int i = 0; i < HistoryGraph::columnCount; ++i) {
        if (watched == number(i) || watched == deleteButton(i))
            return columnKey(i, key->key());
    }
    return QObject::eventFilter(watched, event);
}

bool GameNumbers::columnKey(int column, int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = key == Qt::Key_Left ? -1 : 1;
        int next = column + step;
        // Past either end of the columns the graph scrolls by one game, as a drag would.
        if (next < 0 || next >= HistoryGraph::columnCount) {
            emit scrollWanted(step);
            next = std::clamp(next, 0, HistoryGraph::columnCount - 1);
        }
        number(next)->setFocus(Qt::OtherFocusReason);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit detailsWanted(column);
        return true;
    case Qt::Key_Delete:
        emit deleteAsked(column);
        return true;
    default:
        return false;
    }
}
