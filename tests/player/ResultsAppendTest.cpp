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
const QByteArray newGame = line.toLatin1() + "\r\n";

class ResultsFileAppend : public ::testing::Test
{
protected:
    QString pathOf(const QString &region) const { return ResultsFile::path(dir.path(), region); }
    std::optional<FileError> append(const QString &region)
    {
        return ResultsFile::append(dir.path(), region, line);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ResultsFileAppend, TheFirstGameCreatesTheFileWithOneLine)
{
    ASSERT_FALSE(append("asia&taiyou"));
    EXPECT_EQ(readBytes(dir.filePath("seisekiasia&taiyou.csv")), newGame);
}

TEST_F(ResultsFileAppend, AFullFileKeepsItsNewestFiveHundredGames)
{
    const QString path = pathOf("europe");
    writeBytes(path, linesOf(1, 499));
    ASSERT_FALSE(append("europe"));
    EXPECT_EQ(readBytes(path), linesOf(1, 499) + newGame);

    // The 501st game pushes out the oldest; every game after it does the same.
    ASSERT_FALSE(append("europe"));
    EXPECT_EQ(readBytes(path), linesOf(2, 499) + newGame + newGame);
    ASSERT_FALSE(append("europe"));
    EXPECT_EQ(ResultsFile::read(path).history.games.size(), 500u);
    EXPECT_TRUE(readBytes(path).startsWith(linesOf(3, 3)));
}

// Blank and damaged lines are not games: they never make the file look full, and when it is
// full they go before any game does.
TEST_F(ResultsFileAppend, TheCutCountsGamesNotLines)
{
    const QString path = pathOf("sekai");
    QByteArray spaced;
    for (int i = 1; i <= 300; ++i)
        spaced += linesOf(i, i) + "\r\n";
    writeBytes(path, spaced);
    ASSERT_FALSE(append("sekai"));
    EXPECT_EQ(readBytes(path), spaced + newGame);

    QByteArray damaged;
    for (int i = 1; i <= 400; ++i)
        damaged += linesOf(i, i) + (i % 2 == 0 ? "garbage,,\r\n" : "");
    writeBytes(path, damaged);
    ASSERT_FALSE(append("sekai"));
    EXPECT_EQ(readBytes(path), damaged + newGame);
    EXPECT_EQ(ResultsFile::read(path).history.games.size(), 401u);

    QByteArray full;
    for (int i = 1; i <= 500; ++i)
        full += linesOf(i, i) + (i % 3 == 0 ? " 9, x, 1,\r\n\r\n" : "");
    writeBytes(path, full + " 12, 60");
    ASSERT_FALSE(append("sekai"));
    EXPECT_EQ(readBytes(path), linesOf(2, 500) + newGame);
}

TEST_F(ResultsFileAppend, ALastLineWithoutItsEndDoesNotSwallowTheNewGame)
{
    const QString path = pathOf("sekai");
    writeBytes(path, " 1, 2, 3,2026/01/01 00:00:00");
    ASSERT_FALSE(append("sekai"));
    EXPECT_EQ(readBytes(path), " 1, 2, 3,2026/01/01 00:00:00\r\n" + newGame);
}

TEST_F(ResultsFileAppend, AFailedCutLeavesTheOldFileAsItWas)
{
    const QString path = pathOf("america");
    writeBytes(path, linesOf(1, 501));
    // The scratch name is taken by a folder, so the cut cannot be written.
    ASSERT_TRUE(QDir(dir.path()).mkdir("dummy.csv"));
    const std::optional<FileError> error = append("america");
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->message().isEmpty());
    EXPECT_EQ(readBytes(path), linesOf(1, 501));
}

TEST_F(ResultsFileAppend, AResultsFileThatCannotBeOpenedIsReportedNotLost)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("seisekichuutou&africa.csv"));
    const std::optional<FileError> error = append("chuutou&africa");
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->message().isEmpty());
}

// A results file that cannot be written where it is stays exactly as it is, whether the game
// appends to it or first cuts it, and the player is told why in Japanese.
TEST_F(ResultsFileAppend, AReadOnlyFileIsNeitherAppendedToNorReplacedByTheCut)
{
    const QString path = pathOf("europe");
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser;
    for (const int lines : {10, 501}) {
        writeBytes(path, linesOf(1, lines));
        ASSERT_TRUE(QFile::setPermissions(path, readOnly));
        const std::optional<FileError> error = append("europe");
        ASSERT_TRUE(error) << lines;
        EXPECT_EQ(error->message(), "書き込みが許可されていません。");
        EXPECT_EQ(readBytes(path), linesOf(1, lines));
        EXPECT_FALSE(QFile::permissions(path) & QFile::WriteOwner);
        EXPECT_FALSE(QFile::exists(ResultsFile::scratchPath(dir.path())));
        QFile::setPermissions(path, readOnly | QFile::WriteOwner | QFile::WriteUser);
    }
}
