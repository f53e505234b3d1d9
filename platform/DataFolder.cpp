#include "DataFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
const QString programFolderName = QStringLiteral("furamio");
}

bool DataFolder::canCreateFilesIn(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".furamio-write-probe-XXXXXX")));
    return probe.open();
}

QString DataFolder::userFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Relative values are to be ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    return QDir::cleanPath(base + QLatin1Char('/') + programFolderName);
}

QString DataFolder::choose(const QString &appPath)
{
    if (canCreateFilesIn(appPath))
        return appPath;
    const QString folder = userFolder();
    // A folder that cannot be made shows up as the same failure the writers already report
    // for an unwritable results file.
    QDir().mkpath(folder);
    return folder;
}
