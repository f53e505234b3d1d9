#include "EnterPressesButtons.h"

#include <QKeyEvent>
#include <QPushButton>

bool EnterPressesButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *press = static_cast<QKeyEvent *>(event);
    if ((press->key() != Qt::Key_Return && press->key() != Qt::Key_Enter) ||
        press->isAutoRepeat() || press->modifiers() & ~Qt::KeypadModifier)
        return false;
    auto *button = qobject_cast<QPushButton *>(watched);
    if (!button || button->autoDefault() || button->isDefault() || !button->isEnabled())
        return false;
    button->click();
    return true;
}
