#include "DataFolder.h"

#include <QDir>
#include <QTemporaryFile>

bool DataFolder::canCreateFilesIn(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".furamio-write-probe-XXXXXX")));
    return probe.open();
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
