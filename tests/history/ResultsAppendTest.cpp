#include "ResultsFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray linesOf(int first, int last)
{
    QByteArray bytes;
    for (int i = first; i <= last; ++i)
        bytes += " " + QByteArray::number(i) + ", 60, 2,2026/12/06 21:30:05\r\n";
    return bytes;
}

const QString line = QStringLiteral(" 7, 38.6, 0,2027/01/02 03:04:05");

} // namespace

TEST(ResultsFileAppend, TheFirstGameCreatesTheFileWithOneLine)
{
    QTemporaryDir dir;
    ASSERT_FALSE(ResultsFile::append(dir.path(), "asia&taiyou", line));
    EXPECT_EQ(readBytes(dir.filePath("seisekiasia&taiyou.csv")), line.toLatin1() + "\r\n");
}

TEST(ResultsFileAppend, FiveHundredLinesGrowToFiveHundredAndOneThenAreCut)
{
    QTemporaryDir dir;
    const QString path = ResultsFile::path(dir.path(), "europe");
    writeBytes(path, linesOf(1, 500));
    ASSERT_FALSE(ResultsFile::append(dir.path(), "europe", line));
    EXPECT_EQ(readBytes(path), linesOf(1, 500) + line.toLatin1() + "\r\n");

    // 501 lines: the two oldest go, the newest 499 stay in order and the new game follows.
    ASSERT_FALSE(ResultsFile::append(dir.path(), "europe", line));
    const QByteArray after = readBytes(path);
    EXPECT_EQ(ResultsFile::splitLines(after).size(), 500u);
    EXPECT_EQ(after, linesOf(3, 500) + line.toLatin1() + "\r\n" + line.toLatin1() + "\r\n");
}

TEST(ResultsFileAppend, ALastLineWithoutItsEndDoesNotSwallowTheNewGame)
{
    QTemporaryDir dir;
    const QString path = ResultsFile::path(dir.path(), "sekai");
    writeBytes(path, " 1, 2, 3,2026/01/01 00:00:00");
    ASSERT_FALSE(ResultsFile::append(dir.path(), "sekai", line));
    EXPECT_EQ(readBytes(path), " 1, 2, 3,2026/01/01 00:00:00\r\n" + line.toLatin1() + "\r\n");
    EXPECT_EQ(ResultsFile::splitLines("a\r\nb\nc\rd").size(), 4u);
}

TEST(ResultsFileAppend, AFailedCutLeavesTheOldFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = ResultsFile::path(dir.path(), "america");
    writeBytes(path, linesOf(1, 501));
    // The scratch name is taken by a folder, so the cut cannot be written.
    ASSERT_TRUE(QDir(dir.path()).mkdir("dummy.csv"));
    const std::optional<ResultsFile::Error> error =
        ResultsFile::append(dir.path(), "america", line);
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->message().isEmpty());
    EXPECT_EQ(readBytes(path), linesOf(1, 501));
}

TEST(ResultsFileAppend, AResultsFileThatCannotBeOpenedIsReportedNotLost)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("seisekichuutou&africa.csv"));
    const std::optional<ResultsFile::Error> error =
        ResultsFile::append(dir.path(), "chuutou&africa", line);
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->message().isEmpty());
}
