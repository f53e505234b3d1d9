#pragma once

#include "DriveTypeProbe.h"

#include <QByteArray>

// Reads the mount table (/proc/self/mountinfo) and looks at the file system type of the mount
// that holds the folder: iso9660 and udf are optical discs.
class MountTableDriveProbe : public DriveTypeProbe
{
public:
    bool isOpticalDrive(const QString &folder) const override;

    // The file system type of the mount holding `path`, from a mountinfo text.
    static QString fileSystemOf(const QByteArray &mountInfo, const QString &path);
};
