#pragma once

#include "WinHttpClient.h"
#include "WindowsDriveProbe.h"
#include "WindowsShell.h"

class QWidget;

// The services of this system that main() hands to the windows.
struct SystemServices
{
    WinHttpClient http;
    WindowsShell shell;
    WindowsDriveProbe drives;

    // The web pages the links open belong to the main window.
    void setMainWindow(QWidget *window) { shell.setParent(window); }
};
