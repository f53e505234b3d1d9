#include "ScreenReaderLog.h"

#include <QGuiApplication>
#include <QLabel>
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

QString describe(QAccessibleEvent *event)
{
    const auto *label = qobject_cast<const QLabel *>(event->object());
    return event->object()->objectName() + QStringLiteral(": ") +
           (label ? label->text() : QString());
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
    m_nameChanged.clear();
    return std::exchange(m_announced, {});
}

void ScreenReaderLog::record(QAccessibleEvent *event)
{
    if (!current || !event->object())
        return;
    // A reader speaks a label whose name changed and then an alert on it; the pair is one
    // announcement.
    if (event->type() == QAccessible::NameChanged) {
        current->m_nameChanged << describe(event);
    } else if (event->type() == QAccessible::Alert) {
        const QString text = describe(event);
        if (current->m_nameChanged.removeOne(text))
            current->m_announced << text;
    }
}
