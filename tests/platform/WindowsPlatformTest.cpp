#include "DataFolder.h"
#include "WindowsDriveProbe.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(WindowsPlatform, AnUnwritableCopyKeepsItsFilesInTheRoamingAppDataFolder)
{
    const QString roaming =
        QDir::cleanPath(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")));
    ASSERT_FALSE(roaming.isEmpty());
    const QString expected = roaming + QStringLiteral("/furamio");
    EXPECT_EQ(DataFolder::userFolder().compare(expected, Qt::CaseInsensitive), 0)
        << DataFolder::userFolder().toStdString();

    QTemporaryDir program;
    EXPECT_EQ(DataFolder::choose(program.path()), program.path());
    const QString gone = program.path() + QStringLiteral("/no-such-folder");
    EXPECT_EQ(DataFolder::choose(gone), DataFolder::userFolder());
    EXPECT_TRUE(DataFolder::canCreateFilesIn(DataFolder::userFolder()));
}

TEST(WindowsPlatform, AFolderOnAHardDiskIsNoOpticalDrive)
{
    QTemporaryDir folder;
    EXPECT_FALSE(WindowsDriveProbe().isOpticalDrive(folder.path()));
    EXPECT_FALSE(WindowsDriveProbe().isOpticalDrive(QStringLiteral("Z:/no/such/folder")));
}
