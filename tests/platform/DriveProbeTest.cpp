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
    const std::pair<const char *, const char *> cases[] = {
        {"/home/player/flags", "ext4"}, {"/media/cdrom/furamio", "iso9660"},
        {"/media/my disc/x", "udf"},    {"/media/cdrom/sub/x", "tmpfs"},
        {"/media/cdrom2", "ext4"}, // only starts like the mount point: not under it
    };
    for (const auto &[path, fileSystem] : cases)
        EXPECT_EQ(MountTableDriveProbe::fileSystemOf(mountInfo, QString::fromLatin1(path)),
                  QString::fromLatin1(fileSystem))
            << path;
}
