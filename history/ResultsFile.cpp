#include "ResultsFile.h"

#include "CodePage.h"
#include "RawFile.h"
#include "SequentialInput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr int maxScore = 500;
const QByteArray lineEnd = QByteArrayLiteral("\r\n");

std::optional<int> wholeNumber(const QString &text, int maximum)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    if (value > maximum)
        return std::nullopt;
    return value;
}

std::optional<double> seconds(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    // A game ends long before a day is out; anything beyond that was not written by a game.
    if (!ok || !std::isfinite(value) || value > 86400.0)
        return std::nullopt;
    return value;
}

std::optional<PastGame> parseLine(const QByteArray &line)
{
    SequentialInput input(line);
    QString fields[4];
    try {
        for (QString &field : fields)
            field = input.readField();
    } catch (const SequentialInput::PastEndOfFile &) {
        return std::nullopt;
    }
    if (!input.atEnd())
        return std::nullopt;

    const auto score = wholeNumber(fields[0], maxScore);
    const auto time = seconds(fields[1]);
    const auto misses = wholeNumber(fields[2], 32767);
    if (!score || !time || !misses || fields[3].isEmpty())
        return std::nullopt;

    PastGame game;
    game.score = *score;
    game.seconds = *time;
    game.misses = *misses;
    game.date = fields[3];
    game.rawLine = line;
    return game;
}

bool isBlank(const QByteArray &line)
{
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\x1a')
            return false;
    }
    return true;
}

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

namespace ResultsFile {

Error Error::fromErrno(int errorNumber)
{
    switch (RawFile::problemOf(errorNumber)) {
    case RawFile::Problem::NotPermitted:
        return Error(Cause::NotPermitted);
    case RawFile::Problem::DiskFull:
        return Error(Cause::DiskFull);
    case RawFile::Problem::FolderMissing:
        return Error(Cause::FolderMissing);
    case RawFile::Problem::Other:
        break;
    }
    return Error(Cause::Other);
}

QString Error::message() const
{
    switch (m_cause) {
    case Cause::NotPermitted:
        return QStringLiteral("書き込みが許可されていません。");
    case Cause::DiskFull:
        return QStringLiteral("ディスクに空きがありません。");
    case Cause::FolderMissing:
        return QStringLiteral("フォルダが見つかりません。");
    case Cause::Changed:
        return QStringLiteral("記録ファイルが読み込んだ後に変わっています。");
    case Cause::Other:
        break;
    }
    return QStringLiteral("記録ファイルを読み書きできませんでした。");
}

QString path(const QString &dataPath, const QString &regionKey)
{
    return dataPath + QStringLiteral("/seiseki") + regionKey + QStringLiteral(".csv");
}

QString scratchPath(const QString &dataPath)
{
    return dataPath + QStringLiteral("/dummy.csv");
}

std::vector<QByteArray> splitLines(const QByteArray &data)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < data.size()) {
        const char c = data.at(i);
        if (c == '\r' || c == '\n') {
            lines.push_back(data.mid(start, i - start));
            i += (c == '\r' && i + 1 < data.size() && data.at(i + 1) == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < data.size())
        lines.push_back(data.mid(start));
    return lines;
}

ResultsHistory parse(const QByteArray &data)
{
    ResultsHistory history;
    const std::vector<QByteArray> lines = splitLines(data);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (isBlank(lines[i]))
            continue;
        std::optional<PastGame> game = parseLine(lines[i]);
        if (!game) {
            ++history.skippedLines;
            continue;
        }
        game->line = static_cast<int>(i) + 1;
        history.games.push_back(std::move(*game));
    }
    if (history.games.size() > static_cast<size_t>(maxGames)) {
        const auto excess = static_cast<std::ptrdiff_t>(history.games.size()) - maxGames;
        history.olderDropped = static_cast<int>(excess);
        history.games.erase(history.games.begin(), history.games.begin() + excess);
    }
    return history;
}

ReadResult read(const QString &path)
{
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.status = ReadStatus::Missing;
        return result;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    result.status = ReadStatus::Read;
    result.history = parse(data);
    return result;
}

namespace {

// The error of the last failed call; errno first, as it says most, then Qt's own account.
Error lastError(const QFileDevice &file)
{
    const int number = errno;
    if (number != 0)
        return Error::fromErrno(number);
    if (file.error() == QFileDevice::PermissionsError)
        return Error(Error::Cause::NotPermitted);
    return Error(Error::Cause::Other);
}

// A file that exists must be writable where it is, by its own permission bits and by the
// system, before it is touched at all.
std::optional<Error> refuseUnwritable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        return Error(Error::Cause::Other);
    // The owner's write bit is asked as well: the system lets an administrator write anyway.
    if (!(info.permissions() & QFileDevice::WriteOwner))
        return Error(Error::Cause::NotPermitted);
    QFile probe(path);
    errno = 0;
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return lastError(probe);
    return std::nullopt;
}

std::optional<QByteArray> readAll(const QString &path, bool missingIsEmpty)
{
    if (missingIsEmpty && !QFileInfo::exists(path))
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<Error> replace(const QString &target, const QByteArray &bytes, const QString &scratch)
{
    QString destination = target;
    QString scratchFile = scratch;
    const QFileInfo info(target);
    if (info.isSymLink()) {
        // Written through: the file the link names is replaced, the link itself is kept.
        destination = info.canonicalFilePath();
        if (destination.isEmpty())
            return Error(Error::Cause::FolderMissing);
        // A rename only works within one file system, so the scratch file goes beside it.
        scratchFile = QFileInfo(destination).absoluteDir().filePath(QFileInfo(scratch).fileName());
    }
    if (std::optional<Error> refused = refuseUnwritable(destination))
        return refused;

    QFile file(scratchFile);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return lastError(file);
    bool written = file.write(bytes) == bytes.size() && file.flush();
    // The rename must not outrun the data: after a crash the file is either old or new.
    if (written) {
        if (const int code = RawFile::syncToDisk(file.handle())) {
            errno = code;
            written = false;
        }
    }
    if (!written) {
        const Error error = lastError(file);
        file.close();
        QFile::remove(scratchFile);
        return error;
    }
    file.close();
    // The new file keeps the permissions of the one it replaces.
    if (QFileInfo::exists(destination))
        QFile::setPermissions(scratchFile, QFileInfo(destination).permissions());

    std::error_code error;
    std::filesystem::rename(nativePath(scratchFile), nativePath(destination), error);
    if (error) {
        QFile::remove(scratchFile);
        return Error::fromErrno(error.value());
    }
    return std::nullopt;
}

std::optional<Error> append(const QString &dataPath, const QString &regionKey, const QString &line)
{
    const QString target = path(dataPath, regionKey);
    const QByteArray newLine = CodePage::toCp932(line) + lineEnd;

    errno = 0;
    const std::optional<QByteArray> old = readAll(target, true);
    if (!old)
        return QFileInfo::exists(target) && !QFileInfo(target).isFile() ? Error(Error::Cause::Other)
                                                                        : Error::fromErrno(errno);

    // Only games count towards the limit: blank and damaged lines, which the results window
    // skips, would otherwise push real games out. When the file is rewritten anyway they go.
    std::vector<QByteArray> games;
    for (QByteArray &text : splitLines(*old)) {
        if (!isBlank(text) && parseLine(text))
            games.push_back(std::move(text));
    }
    if (games.size() >= static_cast<size_t>(maxGamesOnAppend)) {
        QByteArray content;
        for (size_t i = games.size() - keptOnCut; i < games.size(); ++i)
            content += games[i] + lineEnd;
        content += newLine;
        return replace(target, content, scratchPath(dataPath));
    }

    if (std::optional<Error> refused = refuseUnwritable(target))
        return refused;
    QFile file(target);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return lastError(file);
    // A last line without its end would otherwise swallow the new game.
    QByteArray bytes = newLine;
    if (!old->isEmpty() && !old->endsWith('\n') && !old->endsWith('\r'))
        bytes.prepend(lineEnd);
    errno = 0;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        const Error error = lastError(file);
        file.resize(old->size());
        return error;
    }
    return std::nullopt;
}

std::optional<Error> removeGame(const QString &dataPath, const QString &regionKey,
                                const PastGame &game)
{
    const QString target = path(dataPath, regionKey);
    errno = 0;
    const std::optional<QByteArray> data = readAll(target, false);
    if (!data)
        return Error::fromErrno(errno);

    const std::vector<QByteArray> lines = splitLines(*data);
    const size_t line = static_cast<size_t>(game.line);
    if (game.line < 1 || line > lines.size() || lines[line - 1] != game.rawLine)
        return Error(Error::Cause::Changed);

    QByteArray kept;
    kept.reserve(data->size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + 1 == line)
            continue;
        kept.append(lines[i]);
        kept.append(lineEnd);
    }
    return replace(target, kept, scratchPath(dataPath));
}

} // namespace ResultsFile
