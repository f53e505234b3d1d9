#include "ResultsFile.h"

#include "SequentialInput.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

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

    const auto score = wholeNumber(fields[0], 500);
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

QString path(const QString &appPath, const QString &regionKey)
{
    return appPath + QStringLiteral("/seiseki") + regionKey + QStringLiteral(".csv");
}

QString scratchPath(const QString &appPath)
{
    return appPath + QStringLiteral("/dummy.csv");
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

Removal removeGame(const QString &resultsPath, const QString &scratchPath, const PastGame &game)
{
    Removal removal;
    QFile results(resultsPath);
    if (!results.open(QIODevice::ReadOnly)) {
        removal.reason = QStringLiteral("記録ファイルを開けません。");
        return removal;
    }
    const QByteArray data = results.readAll();
    const bool readFailed = results.error() != QFileDevice::NoError;
    results.close();
    if (readFailed) {
        removal.reason = QStringLiteral("記録ファイルを読めません。");
        return removal;
    }

    const std::vector<QByteArray> lines = splitLines(data);
    const size_t target = static_cast<size_t>(game.line);
    if (game.line < 1 || target > lines.size() || lines[target - 1] != game.rawLine) {
        removal.reason = QStringLiteral("記録ファイルが読み込んだ後に変わっています。");
        return removal;
    }

    QByteArray kept;
    kept.reserve(data.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + 1 == target)
            continue;
        kept.append(lines[i]);
        kept.append("\r\n");
    }

    QFile scratch(scratchPath);
    if (!scratch.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        scratch.write(kept) != kept.size() || !scratch.flush()) {
        removal.reason = QStringLiteral("一時ファイル dummy.csv を書けません。");
        return removal;
    }
#ifdef Q_OS_UNIX
    // The rename must not outrun the data: after a crash the file is either old or new.
    if (::fsync(scratch.handle()) != 0) {
        removal.reason = QStringLiteral("一時ファイル dummy.csv を書けません。");
        return removal;
    }
#endif
    scratch.close();
    if (scratch.error() != QFileDevice::NoError) {
        removal.reason = QStringLiteral("一時ファイル dummy.csv を書けません。");
        return removal;
    }

    std::error_code error;
    std::filesystem::rename(nativePath(scratchPath), nativePath(resultsPath), error);
    if (error) {
        removal.reason = QStringLiteral("記録ファイルを置き換えられません。");
        return removal;
    }
    removal.removed = true;
    return removal;
}

} // namespace ResultsFile
