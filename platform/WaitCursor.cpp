#include "WaitCursor.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

WaitCursor::WaitCursor()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}

void WaitCursor::paintNow(QWidget *window)
{
    constexpr int mapWaitMilliseconds = 1000;
    const QDeadlineTimer mapped(mapWaitMilliseconds);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    while (window->windowHandle() && !window->windowHandle()->isExposed() && !mapped.hasExpired()) {
        QThread::msleep(5);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    for (QWidget *shown : QApplication::topLevelWidgets()) {
        if (shown->isVisible())
            shown->repaint();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
