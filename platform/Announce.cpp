#include "Announce.h"

#include <QAccessible>
#include <QWidget>

namespace {

const char *const announcerName = "Announcer";

} // namespace

void Announce::say(QWidget *from, const QString &text)
{
    QWidget *window = from->window();
    auto *announcer =
        window->findChild<QWidget *>(QLatin1String(announcerName), Qt::FindDirectChildrenOnly);
    if (!announcer) {
        // Nothing to see or click: it only speaks.
        announcer = new QWidget(window);
        announcer->setObjectName(QLatin1String(announcerName));
        announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
        announcer->setGeometry(0, 0, 0, 0);
        announcer->hide();
    }
    announcer->hide();
    announcer->setAccessibleName(text);
    announcer->show();
    // Where the platform has alerts, they are what its readers speak.
    QAccessibleEvent alert(announcer, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

bool Announce::isAnnouncer(const QWidget *widget)
{
    return widget->objectName() == QLatin1String(announcerName) && widget->parentWidget() &&
           widget->parentWidget()->isWindow();
}
