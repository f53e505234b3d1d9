#include "WindowsShell.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <shellapi.h>

namespace {

// ShellExecuteW's result is a number above 32 when the shell found something to open it with.
bool succeeded(HINSTANCE result)
{
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

} // namespace

bool WindowsShell::openAddress(const QString &address)
{
    const std::optional<QUrl> url = webAddress(address);
    if (!url)
        return false;
    // Percent-encoded, so that a quote or a blank in a title can never end the address early
    // on the browser's command line; the browser shows and reaches the same page.
    const std::wstring target = wide(QString::fromLatin1(url->toEncoded()));
    const HWND owner = m_parent ? reinterpret_cast<HWND>(m_parent->window()->winId()) : nullptr;
    // Shown normally: a browser that is started hidden shows the player nothing at all.
    return succeeded(
        ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool WindowsShell::openFile(const QString &path, Show show)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return false;
    // The help is opened by its own name from its own folder, as its viewer expects: with the
    // desktop as its owner, so that it stays open beside the program rather than above it.
    const std::wstring name = wide(file.fileName());
    const std::wstring folder =
        wide(QDir::toNativeSeparators(file.absolutePath()) + QLatin1Char('\\'));
    const int command = show == Show::Maximised ? SW_MAXIMIZE : SW_SHOWNORMAL;
    return succeeded(
        ShellExecuteW(GetDesktopWindow(), nullptr, name.c_str(), nullptr, folder.c_str(), command));
}

bool WindowsShell::openPage(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return false;
    // Handed over as a file address, the page goes to the program that opens addresses, which
    // works where no program is registered for .html files themselves.
    const std::wstring target =
        wide(QString::fromLatin1(QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded()));
    const HWND owner = m_parent ? reinterpret_cast<HWND>(m_parent->window()->winId()) : nullptr;
    return succeeded(
        ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}
