#include "WorldOutlines.h"

#include <QFile>

#include <set>

namespace WorldOutlines {

namespace {

constexpr int lonLimit = 1800;
constexpr int latLimit = 900;
constexpr int minRingPoints = 3;

// One line cut into whole numbers; nullopt when a field is anything else.
std::optional<std::vector<int>> numbers(const QByteArray &line)
{
    std::vector<int> out;
    for (const QByteArray &field : line.split(',')) {
        bool ok = false;
        const int value = field.toInt(&ok);
        // toInt accepts blanks around the digits; the generator writes none.
        if (!ok || field.trimmed().size() != field.size())
            return std::nullopt;
        out.push_back(value);
    }
    return out;
}

bool onGlobe(int lon, int lat)
{
    return lon >= -lonLimit && lon <= lonLimit && lat >= -latLimit && lat <= latLimit;
}

Outlines damaged(qsizetype line)
{
    return {{}, Error{Error::Cause::Damaged, static_cast<int>(line)}};
}

} // namespace

QString fileName()
{
    return QStringLiteral("chizu.csv");
}

QString path(const QString &appPath)
{
    return appPath + QLatin1Char('/') + fileName();
}

QString Error::message() const
{
    switch (cause) {
    case Cause::Missing:
        return QStringLiteral("地図のファイル %1 がありません。").arg(fileName());
    case Cause::Unreadable:
        return QStringLiteral("地図のファイル %1 を読めません。").arg(fileName());
    case Cause::Damaged:
        break;
    }
    return QStringLiteral("地図のファイル %1 の %2 行目が壊れています。").arg(fileName()).arg(line);
}

Outlines parse(const QByteArray &data)
{
    QList<QByteArray> lines = data.split('\n');
    // The last line end leaves an empty piece behind it.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // The 1-based number of the line read last; a file that ends early has its missing line
    // named.
    qsizetype at = 0;
    auto next = [&]() -> std::optional<std::vector<int>> {
        ++at;
        if (at > lines.size())
            return std::nullopt;
        return numbers(lines[at - 1]);
    };

    if (lines.isEmpty() || lines[0] != QByteArrayLiteral("chizu,") + QByteArray::number(version))
        return damaged(1);
    ++at;
    const auto count = next();
    if (!count || count->size() != 1 || (*count)[0] < 0 || (*count)[0] > maxShapes)
        return damaged(at);

    Outlines result;
    std::set<int> seen;
    for (int s = 0; s < (*count)[0]; ++s) {
        const auto head = next();
        if (!head || head->size() != 4)
            return damaged(at);
        Shape shape;
        shape.flagId = (*head)[0];
        shape.point = {(*head)[1], (*head)[2]};
        const int rings = (*head)[3];
        if (shape.flagId < 0 || shape.flagId > highestFlagId || !onGlobe((*head)[1], (*head)[2]) ||
            rings < 0 || rings > maxRings ||
            (shape.flagId > 0 && !seen.insert(shape.flagId).second))
            return damaged(at);
        for (int r = 0; r < rings; ++r) {
            const auto ring = next();
            if (!ring)
                return damaged(at);
            const int points = ring->empty() ? 0 : (*ring)[0];
            if (points < minRingPoints || points > maxRingPoints ||
                ring->size() != static_cast<size_t>(1 + 2 * points))
                return damaged(at);
            std::vector<Point> outline;
            outline.reserve(static_cast<size_t>(points));
            for (int p = 0; p < points; ++p) {
                const int lon = (*ring)[static_cast<size_t>(1 + 2 * p)];
                const int lat = (*ring)[static_cast<size_t>(2 + 2 * p)];
                if (!onGlobe(lon, lat))
                    return damaged(at);
                outline.push_back({lon, lat});
            }
            shape.rings.push_back(std::move(outline));
        }
        result.shapes.push_back(std::move(shape));
    }
    if (at < lines.size())
        return damaged(at + 1);
    return result;
}

Outlines load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {{}, Error{Error::Cause::Missing, 0}};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, Error{Error::Cause::Unreadable, 0}};
    return parse(file.readAll());
}

} // namespace WorldOutlines
