#pragma once

#include <QString>

// Tells whether a folder lives on an optical disc (a CD-ROM or DVD drive). On Windows this is
// the drive letter's type; on Linux the file system the folder is mounted from.
class DriveTypeProbe
{
public:
    virtual ~DriveTypeProbe() = default;
    virtual bool isOpticalDrive(const QString &folder) const = 0;
};
