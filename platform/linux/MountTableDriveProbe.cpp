#include "MountTableDriveProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace {

// mountinfo escapes blanks and a few other characters as \ooo.
QString unescapeMountPath(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(field.at(i));
    }
    return QString::fromUtf8(out);
}

bool isUnder(const QString &path, const QString &mountPoint)
{
    if (mountPoint == QLatin1String("/"))
        return true;
    return path == mountPoint || path.startsWith(mountPoint + QLatin1Char('/'));
}

} // namespace

QString MountTableDriveProbe::fileSystemOf(const QByteArray &mountInfo, const QString &path)
{
    QString bestType;
    qsizetype bestLength = -1;
    const QList<QByteArray> lines = mountInfo.split('\n');
    for (const QByteArray &line : lines) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superopts
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
            continue;
        const QString mountPoint = unescapeMountPath(fields.at(4));
        // Later mounts over the same point hide earlier ones, hence >=.
        if (isUnder(path, mountPoint) && mountPoint.size() >= bestLength) {
            bestLength = mountPoint.size();
            bestType = QString::fromUtf8(fields.at(dash + 1));
        }
    }
    return bestType;
}

bool MountTableDriveProbe::isOpticalDrive(const QString &folder) const
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QString type = fileSystemOf(file.readAll(), canonical.isEmpty() ? folder : canonical);
    return type == QLatin1String("iso9660") || type == QLatin1String("udf");
}
