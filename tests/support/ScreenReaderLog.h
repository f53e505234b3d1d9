#pragma once

#include <QAccessible>
#include <QStringList>

// What the windows tell a screen reader while it lives: each text a window's announcer shows.
// Off screen no reader is attached, so the accessibility layer is switched on for the log's
// lifetime and its events are taken here instead of being sent on.
class ScreenReaderLog
{
public:
    ScreenReaderLog();
    ~ScreenReaderLog();
    ScreenReaderLog(const ScreenReaderLog &) = delete;
    ScreenReaderLog &operator=(const ScreenReaderLog &) = delete;

    // The texts announced since the last call.
    QStringList takeAnnounced();

private:
    static void record(QAccessibleEvent *event);

    QAccessible::UpdateHandler m_previous;
    QStringList m_announced;
};
