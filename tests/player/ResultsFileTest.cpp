#include "ResultsFile.h"
#include "CodePage.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray gameLines(int count)
{
    QByteArray data;
    for (int n = 1; n <= count; ++n)
        data += " " + QByteArray::number(n % 500) + ", 60, 2,2026/12/06 21:30:05\r\n";
    return data;
}

PastGame gameAt(const QString &path, int n)
{
    return ResultsFile::read(path).history.games.at(static_cast<size_t>(n - 1));
}

} // namespace

TEST(ResultsFile, ReadsTheLinesTheGameWrites)
{
    const QByteArray data = CodePage::toCp932(QStringLiteral(" 295, 60, 2,2026/12/06 21:30:05\r\n"
                                                             " 0, 250, 17,2026年12月7日 8:05:00\r\n"
                                                             " 500, .5, 0,2026/12/08 0:00:00\r\n"));
    const ResultsHistory history = ResultsFile::parse(data);
    ASSERT_EQ(history.games.size(), 3u);
    EXPECT_EQ(history.skippedLines, 0);
    EXPECT_EQ(history.games[0].score, 295);
    EXPECT_EQ(history.games[0].seconds, 60);
    EXPECT_EQ(history.games[0].misses, 2);
    EXPECT_EQ(history.games[0].date, "2026/12/06 21:30:05");
    EXPECT_EQ(history.games[1].date, QStringLiteral("2026年12月7日 8:05:00"));
    EXPECT_EQ(history.games[2].seconds, 0.5);
    EXPECT_EQ(history.games[2].line, 3);
}

TEST(ResultsFile, ForeignLinesAreSkippedAndCounted)
{
    const QByteArray data = "score,seconds,misses,date\r\n" // a header
                            " 295, 60, 2,2026/12/06 21:30:05\r\n"
                            " 501, 60, 2,2026/12/06\r\n" // score out of range
                            " -3, 60, 2,2026/12/06\r\n"
                            " 300, -1, 2,2026/12/06\r\n"
                            " 300, abc, 2,2026/12/06\r\n"
                            " 300, 60, 99999,2026/12/06\r\n"    // not a 16-bit count
                            " 300, 60\r\n"                      // too few fields
                            " 300, 60, 2, 2026/12/06, more\r\n" // too many
                            "\r\n"                              // blank: nothing to report
                            "\xff\xfe garbage\n"
                            " 280, 70.5, 1,2026/12/07 10:00:00"; // no line end at the end
    const ResultsHistory history = ResultsFile::parse(data);
    ASSERT_EQ(history.games.size(), 2u);
    EXPECT_EQ(history.skippedLines, 9);
    EXPECT_EQ(history.games[0].line, 2);
    EXPECT_EQ(history.games[1].score, 280);
    EXPECT_EQ(history.games[1].line, 12);
}

TEST(ResultsFile, OnlyTheNewest501GamesAreKept)
{
    const ResultsHistory history = ResultsFile::parse(gameLines(505));
    ASSERT_EQ(history.games.size(), 501u);
    EXPECT_EQ(history.olderDropped, 4);
    EXPECT_EQ(history.games.front().line, 5);
    EXPECT_EQ(history.games.back().line, 505);
}

TEST(ResultsFile, AMissingFileAndAFolderInItsPlaceAreTold)
{
    QTemporaryDir dir;
    const QString path = ResultsFile::path(dir.path(), "europe");
    EXPECT_EQ(path, dir.path() + "/seisekieurope.csv");
    EXPECT_EQ(ResultsFile::read(path).status, ResultsFile::ReadStatus::Missing);
    QDir(dir.path()).mkdir("seisekieurope.csv");
    EXPECT_EQ(ResultsFile::read(path).status, ResultsFile::ReadStatus::Unreadable);
}

TEST(ResultsFile, RemovingAGameKeepsEveryOtherLine)
{
    QTemporaryDir dir;
    const QString path = ResultsFile::path(dir.path(), "asia&taiyou");
    const QString scratch = ResultsFile::scratchPath(dir.path());
    writeBytes(path, "junk line\r\n 100, 60, 2,a\r\n 200, 61, 3,b\n 300, 62, 4,c");

    // The second game sits on line 3 because of the line before it.
    EXPECT_FALSE(ResultsFile::removeGame(dir.path(), "asia&taiyou", gameAt(path, 2)));
    EXPECT_EQ(readBytes(path), "junk line\r\n 100, 60, 2,a\r\n 300, 62, 4,c\r\n");
    EXPECT_FALSE(QFile::exists(scratch));

    ASSERT_FALSE(ResultsFile::removeGame(dir.path(), "asia&taiyou", gameAt(path, 1)));
    ASSERT_FALSE(ResultsFile::removeGame(dir.path(), "asia&taiyou", gameAt(path, 1)));
    EXPECT_EQ(readBytes(path), "junk line\r\n");
}

TEST(ResultsFile, AFailedRemovalLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = ResultsFile::path(dir.path(), "sekai");
    const QByteArray original = gameLines(3);
    writeBytes(path, original);
    const PastGame second = gameAt(path, 2);

    // The scratch file cannot be written.
    QDir(dir.path()).mkdir("dummy.csv");
    std::optional<FileError> error = ResultsFile::removeGame(dir.path(), "sekai", second);
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->message().isEmpty());
    EXPECT_EQ(readBytes(path), original);
    QDir(dir.path()).rmdir("dummy.csv");

    // The file changed since it was read: the line no longer holds that game.
    writeBytes(path, gameLines(3).mid(original.indexOf('\n') + 1));
    error = ResultsFile::removeGame(dir.path(), "sekai", second);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->cause(), FileError::Cause::Changed);
    EXPECT_EQ(readBytes(path), gameLines(3).mid(original.indexOf('\n') + 1));

    QFile::remove(path);
    EXPECT_TRUE(ResultsFile::removeGame(dir.path(), "sekai", second));
    EXPECT_FALSE(QFile::exists(path));
}
