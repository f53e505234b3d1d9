#include "AccessibleRoles.h"

#include "Announce.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Asked for each class of a widget, most derived first, before Qt's own widgets are; a class Qt
// knows better (a label, a button, a list) has been answered before "QFrame" or "QWidget" comes.
QAccessibleInterface *roleOf(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("QWidget") && Announce::isAnnouncer(widget))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (className == QLatin1String("QFrame"))
        return new QAccessibleWidget(widget, widget->isWindow() ? QAccessible::Window
                                                                : QAccessible::Grouping);
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void AccessibleRoles::install()
{
    QAccessible::installFactory(&roleOf);
}
