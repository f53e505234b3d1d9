#pragma once

#include "ShellOpener.h"

// The desktop's default programs, reached through Qt's desktop services (xdg-open on Linux):
// the target is handed over as one URL argument, never through a shell.
class DesktopShell : public ShellOpener
{
public:
    bool openAddress(const QString &address) override;
    // The desktop cannot be told how to show the window; `show` is a wish it does not hear.
    bool openFile(const QString &path, Show show) override;
};
