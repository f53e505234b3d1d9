#include "MasteryRecord.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace MasteryRecord;

namespace {

const QDate monday(2026, 12, 7);
const QDate tuesday(2026, 12, 8);

QString recordFile(const QTemporaryDir &dir)
{
    return recordPath(dir.path());
}

QString confusionsFile(const QTemporaryDir &dir)
{
    return confusionsPath(dir.path());
}

// Root may write anywhere, so a folder's own mode is only put to the test as an ordinary user:
// as root the update runs in a child process that has given up its rights first.
std::optional<FileError> updateWithoutRootRights(const QString &folder, const GameLog &game)
{
    if (::geteuid() != 0)
        return update(folder, game, tuesday);
    int channel[2];
    if (::pipe(channel) != 0)
        return FileError(FileError::Cause::WriteFailed, QStringLiteral("pipe"));
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(2);
        const std::optional<FileError> error = update(folder, game, tuesday);
        const QByteArray reply = error ? QByteArray::number(int(error->cause())) : "saved";
        const bool sent =
            ::write(channel[1], reply.constData(), size_t(reply.size())) == ssize_t(reply.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    QByteArray reply;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        reply.append(buffer, got);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not report";
    if (reply == "saved")
        return std::nullopt;
    return FileError(FileError::Cause(reply.toInt()), folder);
}

} // namespace

TEST(MasteryRecord, TwoGamesAddUpInBothFiles)
{
    QTemporaryDir dir;
    ASSERT_FALSE(update(dir.path(), {{7, {}}, {23, {140}}, {140, {23, 23}}}, monday));
    // A question with no flag, and a click on the asked card itself, are no one's miss.
    ASSERT_FALSE(update(dir.path(), {{7, {23}}, {23, {}}, {0, {7}}, {5, {5}}}, tuesday));

    EXPECT_EQ(readBytes(recordFile(dir)), "5,1,1,0,2026/12/08\r\n"
                                          "7,2,1,1,2026/12/08\r\n"
                                          "23,2,1,1,2026/12/08\r\n"
                                          "140,1,0,2,2026/12/07\r\n");
    EXPECT_EQ(readBytes(confusionsFile(dir)), "7,23,1\r\n"
                                              "23,140,1\r\n"
                                              "140,23,2\r\n");

    const Record record = read(dir.path());
    EXPECT_EQ(studyText(record, 140), QStringLiteral("出題 1回・一発正解 0回・ミス 2回"));
    EXPECT_EQ(studyText(record, 8), QStringLiteral("まだ出題されていません"));
    EXPECT_EQ(confusedWith(record, 140), QList<int>{23});
}

TEST(MasteryRecord, DamagedFilesLoseNoValidLineAndDropTheRest)
{
    QTemporaryDir dir;
    writeBytes(recordFile(dir), "7,2,1,1,2026/12/08\r\n"
                                "\r\n"
                                "garbage\r\n"
                                "8,1,2,0,2026/12/08\r\n"   // more right than asked
                                "9,3,1,1,2026/12/08\r\n"   // two missed questions, one miss
                                "10,1,0,1,2026/02/30\r\n"  // no such day
                                "10,1,0,1,2026/2/3\r\n"    // not the file's date form
                                "0,1,1,0,2026/12/08\r\n"   // no such flag
                                "201,1,1,0,2026/12/08\r\n" // no such flag
                                "11,-1,0,0,2026/12/08\r\n"
                                "12,1,1,0,2026/12/08,x\r\n"
                                "13,0,0,0,2026/12/08\r\n" // never asked has no line
                                "\x82\xa0,1,1,0,2026/12/08\r\n"
                                "20,4,1,5,2026/11/30\n"
                                "7,1,0,3,2026/12/01\r" // a second line of 7 adds up
                                "30,1,1,0,2026/12/05");
    writeBytes(confusionsFile(dir), "7,20,2\r\n"
                                    "7,7,1\r\n"
                                    "7,20,0\r\n"
                                    "7,20\r\n"
                                    "20,7,1\r\n"
                                    "7,20,1");

    ASSERT_FALSE(update(dir.path(), {{30, {}}}, tuesday));
    EXPECT_EQ(readBytes(recordFile(dir)), "7,3,1,4,2026/12/08\r\n"
                                          "20,4,1,5,2026/11/30\r\n"
                                          "30,2,2,0,2026/12/08\r\n");
    EXPECT_EQ(readBytes(confusionsFile(dir)), "7,20,3\r\n"
                                              "20,7,1\r\n");
}

TEST(MasteryRecord, AFailedUpdateLeavesBothFilesByteForByte)
{
    const QByteArray oldRecord = "7,2,1,1,2026/12/01\r\nnot a line\r\n";
    const QByteArray oldConfusions = "7,23,1\r\n";
    const GameLog game{{7, {23}}, {23, {7}}};
    const QString notPermitted = QStringLiteral("書き込みが許可されていません。");

    struct Case
    {
        const char *what;
        std::function<void(QTemporaryDir &)> spoil;
        FileError::Cause cause;
        QString message; // empty: any Japanese sentence
        bool asOrdinaryUser = false;
    };
    constexpr QFile::Permissions readable = QFile::ReadOwner | QFile::ReadOther;
    constexpr QFile::Permissions enterable = readable | QFile::ExeOwner | QFile::ExeOther;
    const std::vector<Case> cases{
        {"folder without write permission",
         [=](QTemporaryDir &dir) { QFile::setPermissions(dir.path(), enterable); },
         FileError::Cause::WriteNotPermitted, notPermitted, true},
        // Read as empty, it would be replaced by a file without its lines.
        {"record that cannot be read",
         [=](QTemporaryDir &dir) {
             QFile::setPermissions(dir.path(), enterable | QFile::WriteOwner | QFile::WriteOther);
             QFile::setPermissions(recordFile(dir), QFile::WriteOwner);
         },
         FileError::Cause::ReadNotPermitted, QStringLiteral("読み込みが許可されていません。"),
         true},
        {"record marked read-only",
         [=](QTemporaryDir &dir) { QFile::setPermissions(recordFile(dir), readable); },
         FileError::Cause::WriteNotPermitted, notPermitted},
        {"confusions marked read-only",
         [=](QTemporaryDir &dir) { QFile::setPermissions(confusionsFile(dir), readable); },
         FileError::Cause::WriteNotPermitted, notPermitted},
        // The second scratch file cannot be made after the first one is written.
        {"confusions' scratch name taken by a folder",
         [](QTemporaryDir &dir) { QDir(dir.path()).mkdir("machigai.tmp"); },
         FileError::Cause::WriteFailed, QString()},
    };

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), enterable | QFile::WriteOwner);
        writeBytes(recordFile(dir), oldRecord);
        writeBytes(confusionsFile(dir), oldConfusions);
        c.spoil(dir);

        const std::optional<FileError> error = c.asOrdinaryUser
                                                   ? updateWithoutRootRights(dir.path(), game)
                                                   : update(dir.path(), game, tuesday);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(recordFile(dir), QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->cause(), c.cause);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(error->message(), c.message);
        }
        EXPECT_FALSE(error->message().isEmpty());
        EXPECT_FALSE(error->message().contains(QRegularExpression("[A-Za-z]")))
            << error->message().toStdString();
        EXPECT_EQ(readBytes(recordFile(dir)), oldRecord);
        EXPECT_EQ(readBytes(confusionsFile(dir)), oldConfusions);
        EXPECT_FALSE(QFile::exists(dir.filePath("jukuren.tmp")));
    }

    const std::optional<FileError> missing =
        update(QStringLiteral("/nonexistent/furamio"), game, tuesday);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->cause(), FileError::Cause::FolderMissing);
    EXPECT_EQ(missing->message(), QStringLiteral("フォルダが見つかりません。"));
}

TEST(MasteryRecord, WeakestFlagsComeNeverAskedThenLeastKnownThenLongestUnseen)
{
    Record record;
    const auto set = [&](int id, int asked, int right, int misses, QDate last) {
        record.flags[id] = FlagRecord{asked, right, misses, last};
    };
    for (int id = 11; id <= 20; ++id)
        set(id, 3, 3, 0, tuesday);
    record.flags.erase(17);
    set(1, 1, 1, 0, QDate(2026, 12, 1));
    set(2, 2, 0, 3, QDate(2026, 12, 5));
    set(3, 1, 0, 1, QDate(2026, 12, 5)); // as 2 but fewer misses
    set(8, 1, 0, 1, QDate(2027, 1, 1));  // a clock set back: asked "today"
    set(5, 3, 1, 4, QDate(2026, 12, 1));
    set(6, 6, 2, 4, QDate(2026, 12, 1)); // the same share as 5, compared exactly
    set(7, 3, 1, 4, QDate(2026, 11, 1));
    set(10, 2, 1, 1, tuesday);
    set(150, 1, 0, 9, QDate(2020, 1, 1)); // not in the region

    QList<int> region;
    for (int id = 20; id >= 1; --id)
        region.append(id);
    region.append(3);
    EXPECT_EQ(weakest(region, record, tuesday),
              (QList<int>{4, 9, 17, 2, 3, 8, 7, 5, 6, 10, 1, 11, 12, 13, 14}));

    // Fewer than fifteen asked: the never-asked fill up the game first.
    QList<int> larger = region;
    for (int id = 21; id <= 24; ++id)
        larger.append(id);
    EXPECT_EQ(weakest(larger, record, tuesday),
              (QList<int>{4, 9, 17, 21, 22, 23, 24, 2, 3, 8, 7, 5, 6, 10, 1}));
    EXPECT_EQ(weakest({21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36}, {}, tuesday)
                  .size(),
              15);

    // A region smaller than a game gives every flag it has.
    EXPECT_EQ(weakest({12, 2, 30}, record, tuesday), (QList<int>{30, 2, 12}));
}

// The player (or a synchronising tool) may keep the record elsewhere behind a link.
TEST(MasteryRecord, LinkedFilesStayLinksAndTheirTargetsAreUpdated)
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString flags = elsewhere.filePath("flags.csv");
    const QString confusions = elsewhere.filePath("confusions.csv");
    writeBytes(flags, "7,2,1,1,2026/12/01\r\n");
    writeBytes(confusions, "7,23,1\r\n");
    ASSERT_TRUE(QFile::link(flags, recordFile(dir)));
    ASSERT_TRUE(QFile::link(confusions, confusionsFile(dir)));

    ASSERT_FALSE(update(dir.path(), {{7, {23}}}, tuesday));
    EXPECT_TRUE(QFileInfo(recordFile(dir)).isSymLink());
    EXPECT_TRUE(QFileInfo(confusionsFile(dir)).isSymLink());
    EXPECT_EQ(readBytes(flags), "7,3,1,2,2026/12/08\r\n");
    EXPECT_EQ(readBytes(confusions), "7,23,2\r\n");
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files),
              (QStringList{"confusions.csv", "flags.csv"}));
}
