#pragma once

#include "DriveTypeProbe.h"

// The type of the drive the folder lives on (GetDriveTypeW on its volume's root): DRIVE_CDROM
// covers CD-ROM and DVD drives alike.
class WindowsDriveProbe : public DriveTypeProbe
{
public:
    bool isOpticalDrive(const QString &folder) const override;
};
