#include "DesktopShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Whether the desktop names a program for this kind of file. Opening a file nobody handles
// would still "succeed" as far as the launcher is concerned, so the caller could never offer
// its fallback. Without the query tool the launcher has the last word.
bool desktopHandles(const QString &path)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true;
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!process.waitForFinished(5000))
        return true;
    return !process.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool DesktopShell::openAddress(const QString &address)
{
    const std::optional<QUrl> url = webAddress(address);
    return url && QDesktopServices::openUrl(*url);
}

bool DesktopShell::openFile(const QString &path, Show)
{
    const QFileInfo file(path);
    if (!file.isFile() || !desktopHandles(file.absoluteFilePath()))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}
