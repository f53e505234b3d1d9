#include "BaseList.h"

#include "SequentialInput.h"

#include <QFile>
#include <QFileInfo>

BaseListError::BaseListError(const QString &fileName, int line, const QString &reason)
    : std::runtime_error(reason.toStdString()), fileName(fileName), line(line), reason(reason)
{
}

QString BaseListError::message() const
{
    if (line > 0)
        return QStringLiteral("%1 の %2 行目を読み込めません。（%3）")
            .arg(fileName)
            .arg(line)
            .arg(reason);
    return QStringLiteral("%1 を読み込めません。（%2）").arg(fileName, reason);
}

namespace BaseList {

QString fileName(const QString &regionKey)
{
    return QStringLiteral("基本List") + regionKey + QStringLiteral(".csv");
}

QString path(const QString &appPath, const QString &regionKey)
{
    return appPath + QLatin1Char('/') + fileName(regionKey);
}

BaseListLoad read(const QByteArray &data, CountryTable &table, const QString &fileName)
{
    BaseListLoad result;
    SequentialInput input(data);
    int row = 1;
    while (!input.atEnd()) {
        const int line = input.line();
        QString fields[5];
        try {
            for (QString &field : fields)
                field = input.readField();
        } catch (const SequentialInput::PastEndOfFile &) {
            throw BaseListError(fileName, line,
                                QStringLiteral("レコードの途中でファイルが終わっています"));
        }
        if (row > CountryTable::upperBound)
            throw BaseListError(fileName, line, QStringLiteral("行が多すぎます"));
        bool ok = false;
        const int id = fields[0].trimmed().toInt(&ok);
        if (!ok)
            throw BaseListError(fileName, line, QStringLiteral("国旗番号が数字ではありません"));
        if (id < 0 || id > CountryTable::upperBound)
            throw BaseListError(fileName, line, QStringLiteral("国旗番号が範囲外です"));

        const auto r = static_cast<size_t>(row);
        const auto i = static_cast<size_t>(id);
        table.flagIds[r] = fields[0];
        table.countryNames[i] = fields[2];
        table.capitals[i] = fields[3];
        table.regionNames[r] = fields[1];
        table.mapUrls[i] = fields[4];
        result.lastMapUrl = fields[4];
        result.listLines.append(fields[0] + QLatin1Char(' ') + fields[2]);
        ++row;
    }
    result.recordCount = row - 1;
    return result;
}

BaseListLoad load(const QString &path, CountryTable &table)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BaseListError(name, 0, QStringLiteral("ファイルが見つかりません"));
    return read(file.readAll(), table, name);
}

} // namespace BaseList
