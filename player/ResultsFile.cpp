#include "ResultsFile.h"

#include "CodePage.h"
#include "Regions.h"
#include "SequentialInput.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

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
    if (!ok || !std::isfinite(value) || value > ResultsFile::maxSeconds)
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

    const auto score = wholeNumber(fields[0], Regions::topScore);
    const auto time = seconds(fields[1]);
    const auto misses = wholeNumber(fields[2], ResultsFile::maxMisses);
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

bool isBlank(QByteArrayView line)
{
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\x1a')
            return false;
    }
    return true;
}

} // namespace

namespace ResultsFile {

QString path(const QString &dataPath, const QString &regionKey)
{
    return dataPath + QStringLiteral("/seiseki") + regionKey + QStringLiteral(".csv");
}

QString scratchPath(const QString &dataPath)
{
    return dataPath + QLatin1Char('/') + scratchName;
}

ResultsHistory parse(const QByteArray &data)
{
    ResultsHistory history;
    const QList<QByteArrayView> lines = DataFile::splitLines(data);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isBlank(lines[i]))
            continue;
        std::optional<PastGame> game = parseLine(lines[i].toByteArray());
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
    const DataFile::Contents contents = DataFile::read(path);
    if (!contents.exists) {
        result.status = ReadStatus::Missing;
        return result;
    }
    if (contents.error) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    result.status = ReadStatus::Read;
    result.history = parse(contents.bytes);
    return result;
}

std::optional<FileError> append(const QString &dataPath, const QString &regionKey,
                                const QString &line)
{
    const QString target = path(dataPath, regionKey);
    QByteArray newLine = CodePage::toCp932(line);
    newLine.append(DataFile::lineEnd);

    const DataFile::Contents old = DataFile::read(target);
    if (old.error)
        return old.error;

    // Only games count towards the limit: blank and damaged lines, which the results window
    // skips, would otherwise push real games out. When the file is rewritten anyway they go.
    std::vector<QByteArrayView> games;
    for (const QByteArrayView text : DataFile::splitLines(old.bytes)) {
        if (!isBlank(text) && parseLine(text.toByteArray()))
            games.push_back(text);
    }
    if (games.size() >= static_cast<size_t>(maxGamesOnAppend)) {
        QByteArray content;
        for (size_t i = games.size() - keptOnCut; i < games.size(); ++i)
            content.append(games[i]).append(DataFile::lineEnd);
        content.append(newLine);
        return DataFile::replace(target, content, scratchName);
    }

    // A last line without its end would otherwise swallow the new game.
    QByteArray bytes = newLine;
    if (!old.bytes.isEmpty() && !old.bytes.endsWith('\n') && !old.bytes.endsWith('\r'))
        bytes.prepend(DataFile::lineEnd);
    return DataFile::append(target, bytes);
}

std::optional<FileError> removeGame(const QString &dataPath, const QString &regionKey,
                                    const PastGame &game)
{
    const QString target = path(dataPath, regionKey);
    const DataFile::Contents data = DataFile::read(target);
    if (data.error)
        return data.error;

    const QList<QByteArrayView> lines = DataFile::splitLines(data.bytes);
    if (!data.exists || game.line < 1 || game.line > lines.size() ||
        lines[game.line - 1] != game.rawLine)
        return FileError(FileError::Cause::Changed, target);

    QByteArray kept;
    kept.reserve(data.bytes.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i + 1 == game.line)
            continue;
        kept.append(lines[i]);
        kept.append(DataFile::lineEnd);
    }
    return DataFile::replace(target, kept, scratchName);
}

} // namespace ResultsFile
