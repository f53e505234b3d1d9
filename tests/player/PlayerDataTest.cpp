#include "PlayerData.h"
#include "Fakes.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Folder
{
    explicit Folder(const QString &path)
        : data(path, clock, [this](const QString &text) { told.append(text); })
    {
    }
    FakeClock clock;
    QStringList told;
    PlayerData data;
};

void makeReadOnly(const QString &path, const QByteArray &bytes)
{
    writeBytes(path, bytes);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
}

const QString denied = QStringLiteral("書き込みが許可されていません。");

} // namespace

// A folder that refuses a save refuses the next one the same way: however the save came (a
// game, an answer of the day's review), the player hears each file's refusal once.
TEST(PlayerData, EachFilesFailureIsToldOnceWhicheverSaveMetIt)
{
    QTemporaryDir dir;
    Folder f(dir.path());
    const QString record = MasteryRecord::recordPath(dir.path());
    makeReadOnly(record, "7,5,3,4,2026/12/01\r\n");

    f.data.recordGame({{7, {}}});
    f.data.recordReviewAnswer({7, ReviewSchedule::Direction::NameToFlag}, false, 23);
    f.data.recordGame({{7, {23}}});
    ASSERT_EQ(f.told.size(), 1);
    EXPECT_EQ(f.told[0], "国旗ごとの記録を保存できませんでした。\n" + record + "\n" + denied);

    // The schedule is a file of its own: its refusal is news, told once.
    const QString schedule = ReviewSchedule::path(dir.path());
    QFile::setPermissions(schedule, QFile::ReadOwner | QFile::ReadOther);
    f.data.recordReviewAnswer({7, ReviewSchedule::Direction::FlagToName}, true, 0);
    f.data.recordGame({{7, {}}});
    ASSERT_EQ(f.told.size(), 2);
    EXPECT_EQ(f.told[1], "復習の答えを保存できませんでした。\n" + schedule + "\n" + denied);

    const QString results = ResultsFile::path(dir.path(), QStringLiteral("europe"));
    makeReadOnly(results, " 100, 60, 2,2026/12/06 21:30:05\r\n");
    f.data.addResult(QStringLiteral("europe"), QStringLiteral(" 295, 38.6, 0,2026/12/06 21:30:05"));
    f.data.addResult(QStringLiteral("europe"), QStringLiteral(" 295, 38.6, 0,2026/12/06 21:30:05"));
    ASSERT_EQ(f.told.size(), 3);
    EXPECT_EQ(f.told[2], "成績を記録できませんでした。\n" + results + "\n" + denied);
    for (const QString &path : {record, schedule, results})
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(PlayerData, AFolderToldUnwritableAtStartUpTellsNoSaveAgain)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("file"), "");
    const QString folder = dir.filePath("file/furamio");
    Folder f(folder);
    EXPECT_FALSE(f.data.checkFolder());
    ASSERT_EQ(f.told.size(), 1);
    EXPECT_TRUE(f.told[0].startsWith("次のフォルダーに書き込めないため"));
    EXPECT_TRUE(f.told[0].endsWith("\n" + QDir::toNativeSeparators(folder)));

    f.data.recordGame({{7, {23}}});
    f.data.recordReviewAnswer({7, ReviewSchedule::Direction::NameToFlag}, true, 0);
    f.data.addResult(QStringLiteral("europe"), QStringLiteral(" 295, 38.6, 0,2026/12/06 21:30:05"));
    EXPECT_EQ(f.told.size(), 1);
}
