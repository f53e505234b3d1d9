#include "DesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The desktop entry the desktop names as the default program for a kind of file or address;
// empty when it names none. Without the query tool, nothing is known.
std::optional<QString> defaultEntry(const QString &type)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!process.waitForFinished(5000))
        return std::nullopt;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// Whether the desktop names a program for this kind of file. Opening a file nobody handles
// would still "succeed" as far as the launcher is concerned, so the caller could never offer
// its fallback. Without the query tool the launcher has the last word.
bool desktopHandles(const QString &path)
{
    const std::optional<QString> entry = defaultEntry(QMimeDatabase().mimeTypeForFile(path).name());
    return !entry || !entry->isEmpty();
}

// The Exec line of an installed desktop entry, its string escapes undone.
QString execLineOf(const QString &entryId)
{
    QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entryId));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(QLatin1String("Exec="))) {
            const QString raw = line.mid(5);
            QString value;
            for (qsizetype i = 0; i < raw.size(); ++i) {
                if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
                    value += raw[i];
                    continue;
                }
                const QChar next = raw[++i];
                if (next == QLatin1Char('s'))
                    value += QLatin1Char(' ');
                else if (next == QLatin1Char('t'))
                    value += QLatin1Char('\t');
                else if (next == QLatin1Char('n') || next == QLatin1Char('r'))
                    value += QLatin1Char(' ');
                else if (next == QLatin1Char('\\'))
                    value += QLatin1Char('\\');
                else
                    value += QLatin1Char('\\') + QString(next);
            }
            return value;
        }
    }
    return {};
}

bool launch(const std::optional<QStringList> &command)
{
    return command && !command->isEmpty() &&
           QProcess::startDetached(command->first(), command->mid(1));
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

std::optional<QStringList> DesktopShell::launchCommand(const QString &exec, const QString &path)
{
    // Arguments are split at blanks outside double quotes; inside them \ escapes " ` $ \.
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size() &&
                     QStringLiteral("\"`$\\").contains(exec[i + 1]))
                word += exec[++i];
            else
                word += c;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == QLatin1Char('"'))
                quoted = true;
            else
                word += c;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;

    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    bool placed = false;
    QStringList command;
    for (const QString &w : std::as_const(words)) {
        QString expanded;
        bool onlyCodes = true;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w[i] != QLatin1Char('%') || i + 1 == w.size()) {
                expanded += w[i];
                onlyCodes = false;
                continue;
            }
            const QChar code = w[++i];
            if (code == QLatin1Char('%')) {
                expanded += code;
                onlyCodes = false;
            } else if (code == QLatin1Char('f') || code == QLatin1Char('F')) {
                expanded += path;
                placed = true;
                onlyCodes = false;
            } else if (code == QLatin1Char('u') || code == QLatin1Char('U')) {
                expanded += url;
                placed = true;
                onlyCodes = false;
            }
            // The icon, the name and the entry's own file, and the deprecated codes, are left
            // out: a browser opens a page without them.
        }
        if (!onlyCodes || !expanded.isEmpty())
            command << expanded;
    }
    if (command.isEmpty())
        return std::nullopt;
    if (!placed)
        command << url;
    return command;
}

bool DesktopShell::openPage(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return false;
    const QString page = file.absoluteFilePath();
    const QString url = QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded);
    for (const char *scheme : {"https", "http"}) {
        const std::optional<QString> entry =
            defaultEntry(QStringLiteral("x-scheme-handler/") + QLatin1String(scheme));
        if (entry && !entry->isEmpty() && launch(launchCommand(execLineOf(*entry), page)))
            return true;
    }
    // The desktop's opener tries these for a web address it has no entry for.
    for (const QString &browser :
         qEnvironmentVariable("BROWSER").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString program = QStandardPaths::findExecutable(browser.trimmed());
        if (!program.isEmpty() && launch(QStringList{program, url}))
            return true;
    }
    const QString fallback = QStandardPaths::findExecutable(QStringLiteral("x-www-browser"));
    return !fallback.isEmpty() && launch(QStringList{fallback, url});
}
