#include "ClickableLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int focusFrameWidth = 3;

} // namespace

void paintFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette)
{
    const QRect frame = rect.adjusted(1, 1, -2, -2);
    painter.setPen(QPen(Qt::white, focusFrameWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setPen(QPen(palette.color(QPalette::Highlight), focusFrameWidth, Qt::DashLine));
    painter.drawRect(frame);
}

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent) {}

ClickableLabel::ClickableLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void ClickableLabel::makeFocusable(const QString &accessibleName, Qt::FocusPolicy policy)
{
    setFocusPolicy(policy);
    setAccessibleName(accessibleName);
}

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    emit pressed(event->button(), event->position().toPoint());
    QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is not a click: the default handler would take it
    // for a press, and its release would act a second time (a second game deleted, a miss
    // counted against the next board).
    m_pressed = false;
    event->accept();
    emit doubleClicked();
}

void ClickableLabel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (focusPolicy() != Qt::NoFocus && !event->isAutoRepeat() &&
        event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        event->accept();
        emit clicked();
        return;
    }
    // Other keys go on to the window, which may move the focus or pick with them.
    event->ignore();
}

void ClickableLabel::paintEvent(QPaintEvent *event)
{
    if (hasFocus() && m_focusByColour) {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Highlight));
        // Where the label itself puts its text, so that the digits do not move.
        style()->drawItemText(
            &painter, contentsRect(),
            static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
            isEnabled(), text(), QPalette::HighlightedText);
        return;
    }
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    paintFocusFrame(painter, rect(), palette());
}
