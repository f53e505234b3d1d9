#include "StrayClickFilter.h"

#include <QEvent>

bool StrayClickFilter::eventFilter(QObject *watched, QEvent *event)
{
    // The window system's events reach the windows first, and only then their widgets.
    if (!watched->isWindowType())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_previousPress = m_lastPress;
        m_lastPress = watched;
        return false;
    case QEvent::MouseButtonDblClick:
        // It follows its own second press, so the first press is the one before.
        if (watched == m_previousPress)
            return false;
        m_dropRelease = watched;
        return true;
    case QEvent::MouseButtonRelease:
        if (watched != m_dropRelease)
            return false;
        m_dropRelease = nullptr;
        return true;
    default:
        return false;
    }
}
