#pragma once

#include "ShellOpener.h"

#include <QPointer>
#include <QWidget>

// The Windows shell's open operation (ShellExecuteW): web pages in the default browser with
// the main window as their owner, the help file with its viewer, maximised, from the
// program's folder.
class WindowsShell : public ShellOpener
{
public:
    // The window that owns what the links open; without one the desktop does.
    void setParent(QWidget *window) { m_parent = window; }

    bool openAddress(const QString &address) override;
    bool openFile(const QString &path, Show show) override;
    bool openPage(const QString &path) override;

private:
    QPointer<QWidget> m_parent;
};
