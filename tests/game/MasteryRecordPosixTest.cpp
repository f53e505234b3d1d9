// The record's refusals where only Linux can set them up: a folder root may not write, and a
// file nobody may replace.
#include "MasteryRecord.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace MasteryRecord;

namespace {

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
        return FileError{FileError::Cause::Other, QStringLiteral("pipe")};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(2);
        const std::optional<FileError> error = update(folder, game, tuesday);
        const QByteArray reply =
            error ? QByteArray::number(int(error->cause)) + '\n' + error->message.toUtf8()
                  : QByteArray("saved");
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
    const qsizetype split = reply.indexOf('\n');
    return FileError{FileError::Cause(reply.left(split).toInt()),
                     QString::fromUtf8(reply.mid(split + 1))};
}

// A file that may grow but that nobody may replace, not even root; false where the file
// system or our rights allow no such mark.
bool setAppendOnly(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    long flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_APPEND_FL) : (flags & ~long(FS_APPEND_FL));
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

} // namespace

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
    const std::vector<Case> cases{
        {"folder without write permission",
         [](QTemporaryDir &dir) {
             QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                   QFile::ReadOther | QFile::ExeOther);
         },
         FileError::Cause::NotPermitted, notPermitted, true},
        // Read as empty, it would be replaced by a file without its lines.
        {"record that cannot be read",
         [](QTemporaryDir &dir) {
             QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ExeOwner | QFile::ReadOther |
                                                   QFile::WriteOther | QFile::ExeOther);
             QFile::setPermissions(recordFile(dir), QFile::WriteOwner);
         },
         FileError::Cause::NotPermitted, QStringLiteral("読み込みが許可されていません。"), true},
        {"record marked read-only",
         [](QTemporaryDir &dir) {
             QFile::setPermissions(recordFile(dir), QFile::ReadOwner | QFile::ReadOther);
         },
         FileError::Cause::NotPermitted, notPermitted},
        {"confusions marked read-only",
         [](QTemporaryDir &dir) {
             QFile::setPermissions(confusionsFile(dir), QFile::ReadOwner | QFile::ReadOther);
         },
         FileError::Cause::NotPermitted, notPermitted},
        // The second scratch file cannot be made after the first one is written.
        {"confusions' scratch name taken by a folder",
         [](QTemporaryDir &dir) { QDir(dir.path()).mkdir("machigai.tmp"); },
         FileError::Cause::Other, QString()},
    };

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        writeBytes(recordFile(dir), oldRecord);
        writeBytes(confusionsFile(dir), oldConfusions);
        c.spoil(dir);

        const std::optional<FileError> error = c.asOrdinaryUser
                                                   ? updateWithoutRootRights(dir.path(), game)
                                                   : update(dir.path(), game, tuesday);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(recordFile(dir), QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->cause, c.cause);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(error->message, c.message);
        }
        EXPECT_FALSE(error->message.isEmpty());
        EXPECT_FALSE(error->message.contains(QRegularExpression("[A-Za-z]")))
            << error->message.toStdString();
        EXPECT_EQ(readBytes(recordFile(dir)), oldRecord);
        EXPECT_EQ(readBytes(confusionsFile(dir)), oldConfusions);
        EXPECT_FALSE(QFile::exists(dir.filePath("jukuren.tmp")));
    }

    const std::optional<FileError> missing =
        update(QStringLiteral("/nonexistent/furamio"), game, tuesday);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->cause, FileError::Cause::FolderMissing);
    EXPECT_EQ(missing->message, QStringLiteral("フォルダが見つかりません。"));
}

TEST(MasteryRecord, ARecordAlreadyRenamedIsPutBackWhenTheConfusionsCannotFollow)
{
    QTemporaryDir dir;
    const QByteArray oldRecord = "7,2,1,1,2026/12/01\r\n";
    const QByteArray oldConfusions = "7,23,1\r\n";
    writeBytes(recordFile(dir), oldRecord);
    writeBytes(confusionsFile(dir), oldConfusions);
    // Readable and not marked read-only, so only the last rename fails.
    if (!setAppendOnly(confusionsFile(dir), true))
        GTEST_SKIP() << "no append-only files here";

    const std::optional<FileError> error = update(dir.path(), {{7, {23}}}, tuesday);
    setAppendOnly(confusionsFile(dir), false);
    ASSERT_TRUE(error);
    EXPECT_EQ(readBytes(recordFile(dir)), oldRecord);
    EXPECT_EQ(readBytes(confusionsFile(dir)), oldConfusions);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{"jukuren.csv", "machigai.csv"}));
}
