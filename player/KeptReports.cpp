#include "KeptReports.h"

#include "DataFile.h"

#include <QFile>
#include <QRandomGenerator>

namespace {

bool isReportId(const QString &text)
{
    if (text.size() != 16)
        return false;
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}

bool isRegionKey(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || c == u',' || c == u'/' || c == u'?')
            return false;
    return true;
}

} // namespace

KeptReports::KeptReports(QString dataPath) : m_dataPath(std::move(dataPath))
{
}

QString KeptReports::path(const QString &dataPath)
{
    return dataPath + QStringLiteral("/miokuri.csv");
}

QString KeptReports::newReportId()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16,
                                    QLatin1Char('0'));
}

QList<KeptReports::Game> KeptReports::games() const
{
    QList<Game> games;
    const DataFile::Contents file = DataFile::read(path(m_dataPath));
    for (const QByteArrayView line : DataFile::splitLines(file.bytes)) {
        const QList<QByteArray> fields = line.trimmed().toByteArray().split(',');
        if (fields.size() != 3)
            continue;
        bool number = false;
        Game game{QString::fromLatin1(fields[0]), fields[1].toInt(&number),
                  QString::fromLatin1(fields[2])};
        if (number && isRegionKey(game.regionKey) && isReportId(game.reportId))
            games.append(game);
    }
    return games.mid(qMax<qsizetype>(0, games.size() - maxGames));
}

void KeptReports::keep(QList<Game> games) const
{
    const QString target = path(m_dataPath);
    if (games.isEmpty()) {
        QFile::remove(target);
        return;
    }
    games = games.mid(qMax<qsizetype>(0, games.size() - maxGames));
    QByteArray bytes;
    for (const Game &game : games)
        bytes += game.regionKey.toLatin1() + ',' + QByteArray::number(game.score) + ',' +
                 game.reportId.toLatin1() + DataFile::lineEnd.toByteArray();
    // A report that cannot be kept is lost as it was before the file existed; nothing else
    // depends on it, so the player is not troubled with it.
    DataFile::replace(target, bytes);
}

KeptReports::Game KeptReports::hold(const QString &regionKey, int score) const
{
    const Game game{regionKey, score, newReportId()};
    QList<Game> kept = games();
    kept.append(game);
    keep(kept);
    return game;
}

void KeptReports::release(const Game &game) const
{
    QList<Game> kept = games();
    if (kept.removeAll(game) > 0)
        keep(kept);
}
