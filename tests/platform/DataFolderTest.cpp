#include "DataFolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

class DataFolderTest : public ::testing::Test
{
protected:
    QString home() const { return m_home.path(); }
    QString xdg() const { return m_home.path() + QStringLiteral("/xdg/data"); }

    QTemporaryDir m_home;
    ScopedEnv m_homeEnv{"HOME", m_home.path().toUtf8()};
    ScopedEnv m_xdgEnv{"XDG_DATA_HOME", xdg().toUtf8()};
};

TEST_F(DataFolderTest, APortableCopyKeepsItsFilesBesideTheProgramAndLeavesNothingBehind)
{
    QTemporaryDir program;
    EXPECT_EQ(DataFolder::choose(program.path()), program.path());
    EXPECT_TRUE(QDir(program.path())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
    EXPECT_FALSE(QDir(xdg()).exists());
}

TEST_F(DataFolderTest, AnInstalledCopyUsesThePlayersDataFolderAndCreatesIt)
{
    // /proc refuses new files even to root, like a read-only system folder.
    const QString expected = xdg() + QStringLiteral("/furamio");
    EXPECT_EQ(DataFolder::choose(QStringLiteral("/proc")), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_TRUE(DataFolder::canCreateFilesIn(expected));
    // A second start finds the folder already there.
    EXPECT_EQ(DataFolder::choose(QStringLiteral("/proc")), expected);

    // A folder the player lost the right to write (root writes anywhere, so only as a user).
    if (geteuid() != 0) {
        QTemporaryDir program;
        QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(DataFolder::choose(program.path()), expected);
        QFile::setPermissions(program.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_EQ(DataFolder::choose(home() + QStringLiteral("/no-such-folder")), expected);
}

TEST_F(DataFolderTest, UnsetOrRelativeDataHomeFallsBackToTheHomeFolder)
{
    const QString fallback = home() + QStringLiteral("/.local/share/furamio");
    {
        ScopedEnv unset("XDG_DATA_HOME", QByteArray());
        EXPECT_EQ(DataFolder::userFolder(), fallback);
    }
    {
        ScopedEnv empty("XDG_DATA_HOME", QByteArray(""));
        EXPECT_EQ(DataFolder::userFolder(), fallback);
    }
    {
        ScopedEnv relative("XDG_DATA_HOME", QByteArray("share"));
        EXPECT_EQ(DataFolder::choose(QStringLiteral("/proc")), fallback);
        EXPECT_TRUE(QFileInfo(fallback).isDir());
    }
}

} // namespace
