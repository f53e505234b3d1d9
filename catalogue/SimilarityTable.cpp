#include "SimilarityTable.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace {

std::optional<int> flagId(const QByteArray &field)
{
    bool ok = false;
    const int id = field.trimmed().toInt(&ok);
    if (!ok || id < 1 || id > SimilarityTable::upperBound)
        return std::nullopt;
    return id;
}

} // namespace

QString SimilarityTable::fileName()
{
    return QStringLiteral("niteru.csv");
}

QString SimilarityTable::path(const QString &appPath)
{
    return appPath + QLatin1Char('/') + fileName();
}

SimilarityTable SimilarityTable::read(const QByteArray &data)
{
    SimilarityTable table;
    for (const QByteArray &line : data.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() < 2)
            continue;
        const std::optional<int> id = flagId(fields.front());
        if (!id || !table.m_similar[static_cast<size_t>(*id)].empty())
            continue;
        std::vector<int> similar;
        bool readable = true;
        for (qsizetype i = 1; i < fields.size() && readable; ++i) {
            const std::optional<int> other = flagId(fields[i]);
            readable = other.has_value();
            if (readable && *other != *id &&
                std::find(similar.begin(), similar.end(), *other) == similar.end())
                similar.push_back(*other);
        }
        if (!readable || similar.empty())
            continue;
        table.m_similar[static_cast<size_t>(*id)] = std::move(similar);
        ++table.m_size;
    }
    return table;
}

SimilarityTable SimilarityTable::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return SimilarityTable();
    return read(file.readAll());
}

const std::vector<int> &SimilarityTable::similarTo(int flagId) const
{
    static const std::vector<int> none;
    if (flagId < 1 || flagId > upperBound)
        return none;
    return m_similar[static_cast<size_t>(flagId)];
}
