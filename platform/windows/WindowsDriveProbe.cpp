#include "WindowsDriveProbe.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

bool WindowsDriveProbe::isOpticalDrive(const QString &folder) const
{
    const std::wstring path =
        QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()).toStdWString();
    // The volume's root rather than the first letter: a disc can be mounted into a folder of
    // another drive, and a UNC path has no letter at all.
    std::wstring root(MAX_PATH + 1, L'\0');
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return false;
    return GetDriveTypeW(root.c_str()) == DRIVE_CDROM;
}
