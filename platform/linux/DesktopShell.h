#pragma once

#include "ShellOpener.h"

#include <QStringList>
#include <QUrl>

#include <optional>

// The desktop's default programs, reached through Qt's desktop services (xdg-open on Linux):
// the target is handed over as one URL argument, never through a shell.
class DesktopShell : public ShellOpener
{
public:
    bool openAddress(const QString &address) override;
    // The desktop cannot be told how to show the window; `show` is a wish it does not hear.
    bool openFile(const QString &path, Show show) override;
    // In the program the desktop opens https addresses with, else in the browser named by
    // $BROWSER or the system's choice of browser, as the desktop's opener falls back to them.
    bool openPage(const QString &path) override;

    // The program and its arguments that a desktop entry's Exec line makes for one local
    // page: quoting undone, the file or URL codes replaced by the page (the page added at the
    // end where the line has none), the other codes dropped. Nothing when the line is broken.
    static std::optional<QStringList> launchCommand(const QString &exec, const QString &path);
};
