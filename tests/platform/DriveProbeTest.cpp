#include "MountTableDriveProbe.h"

#include <gtest/gtest.h>

namespace {
const QByteArray mountInfo = "22 1 254:1 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
                             "40 22 11:0 / /media/cdrom rw shared:2 - iso9660 /dev/sr0 ro\n"
                             "41 22 11:1 / /media/my\\040disc ro - udf /dev/sr1 ro\n"
                             "42 22 0:40 / /media/cdrom/sub rw - tmpfs tmpfs rw\n";
}

TEST(MountTableDriveProbe, FindsTheFileSystemOfTheInnermostMount)
{
    EXPECT_EQ(MountTableDriveProbe::fileSystemOf(mountInfo, QStringLiteral("/home/player/flags")),
              QStringLiteral("ext4"));
    EXPECT_EQ(MountTableDriveProbe::fileSystemOf(mountInfo, QStringLiteral("/media/cdrom/furamio")),
              QStringLiteral("iso9660"));
    EXPECT_EQ(MountTableDriveProbe::fileSystemOf(mountInfo, QStringLiteral("/media/my disc/x")),
              QStringLiteral("udf"));
    EXPECT_EQ(MountTableDriveProbe::fileSystemOf(mountInfo, QStringLiteral("/media/cdrom/sub/x")),
              QStringLiteral("tmpfs"));
    // A name that only starts like the mount point is not under it.
    EXPECT_EQ(MountTableDriveProbe::fileSystemOf(mountInfo, QStringLiteral("/media/cdrom2")),
              QStringLiteral("ext4"));
}
