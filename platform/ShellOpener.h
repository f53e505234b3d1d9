#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Hands an address or a file to the desktop's default program. The target is always passed
// as one address, never through a command line, so nothing in it can run as a command.
class ShellOpener
{
public:
    enum class Show
    {
        Normal,
        Maximised
    };
    virtual ~ShellOpener() = default;
    virtual bool openAddress(const QString &address) = 0;
    virtual bool openFile(const QString &path, Show show = Show::Normal) = 0;
    // A local HTML page in the program that opens web addresses, for a desktop that names no
    // program for HTML files while its browser opens the web links.
    virtual bool openPage(const QString &path) = 0;

    // The URL an address is opened as: web pages only. Addresses come from the base lists and
    // the build, and a list that named a local program or a script address must not get it run.
    static std::optional<QUrl> webAddress(const QString &address);
};
