#include "ClickableLabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent) {}

ClickableLabel::ClickableLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

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
