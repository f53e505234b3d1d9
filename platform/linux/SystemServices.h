#pragma once

#include "CurlHttpClient.h"
#include "DesktopShell.h"
#include "MountTableDriveProbe.h"

class QWidget;

// The services of this system that main() hands to the windows.
struct SystemServices
{
    CurlHttpClient http;
    DesktopShell shell;
    MountTableDriveProbe drives;

    // The desktop's programs open their own windows; they need no owner.
    void setMainWindow(QWidget *) {}
};
