#pragma once

class QWidget;

// Shows the wait cursor for as long as it lives; blocking requests run under one.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

    // Before a request that blocks: lets the window system show the window (a window manager
    // maps a new window a moment after it is shown, which is waited for briefly) and paints
    // every window now, taking no input, so that nothing stays unpainted or half drawn while
    // the request runs.
    static void paintNow(QWidget *window);
};
