#pragma once

#include <QString>

// Pictures live in the folder 国旗 of the program's folder: the flag as ID.jpg, the two extra
// pictures as IDa.jpg and IDb.jpg, the start screen's intro.jpg and the credit link's
// banner.jpg. The folder 国旗大 beside it holds every flag again at twice the size, for drawing
// a flag larger than the small picture has pixels for.
namespace PicturePaths {

inline QString folder(const QString &appPath)
{
    return appPath + QStringLiteral("/国旗/");
}

inline QString flag(const QString &appPath, const QString &flagId)
{
    return folder(appPath) + flagId + QStringLiteral(".jpg");
}

inline QString largeFlag(const QString &appPath, const QString &flagId)
{
    return appPath + QStringLiteral("/国旗大/") + flagId + QStringLiteral(".jpg");
}

inline QString extra(const QString &appPath, const QString &flagId, char which)
{
    return folder(appPath) + flagId + QLatin1Char(which) + QStringLiteral(".jpg");
}

inline QString intro(const QString &appPath)
{
    return folder(appPath) + QStringLiteral("intro.jpg");
}

inline QString banner(const QString &appPath)
{
    return folder(appPath) + QStringLiteral("banner.jpg");
}

} // namespace PicturePaths
