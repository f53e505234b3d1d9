#include "ScreenReaderLog.h"

#include "Announce.h"

#include <QGuiApplication>
#include <QWidget>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

ScreenReaderLog *current = nullptr;

QPlatformAccessibility *platformAccessibility()
{
    QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? integration->accessibility() : nullptr;
}

} // namespace

ScreenReaderLog::ScreenReaderLog() : m_previous(QAccessible::installUpdateHandler(&record))
{
    current = this;
    if (QPlatformAccessibility *accessibility = platformAccessibility())
        accessibility->setActive(true);
}

ScreenReaderLog::~ScreenReaderLog()
{
    if (QPlatformAccessibility *accessibility = platformAccessibility())
        accessibility->setActive(false);
    QAccessible::installUpdateHandler(m_previous);
    current = nullptr;
}

QStringList ScreenReaderLog::takeAnnounced()
{
    return std::exchange(m_announced, {});
}

void ScreenReaderLog::record(QAccessibleEvent *event)
{
    if (!current || !event->object())
        return;
    if (event->type() != QAccessible::ObjectShow || !event->object()->isWidgetType())
        return;
    const auto *widget = static_cast<const QWidget *>(event->object());
    if (Announce::isAnnouncer(widget))
        current->m_announced << widget->accessibleName();
}
