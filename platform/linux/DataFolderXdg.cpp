#include "DataFolder.h"

#include <QDir>

QString DataFolder::userFolder()
{
    // Relative values are to be ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/furamio"));
}
