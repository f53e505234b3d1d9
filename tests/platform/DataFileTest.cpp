#include "DataFile.h"
#include "LinuxFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace {

using Write = std::function<std::optional<FileError>(const QString &path, const QByteArray &)>;

struct Way
{
    const char *what;
    Write write;
    QByteArray expected; // what the file holds after writing "new" over "old"
};

// Every way the program writes a file, each as the only file or beside a second one.
std::vector<Way> ways(const QString &second)
{
    return {
        {"replace",
         [](const QString &path, const QByteArray &bytes) {
             return DataFile::replace(path, bytes);
         },
         "new"},
        {"replace with a named scratch file",
         [](const QString &path, const QByteArray &bytes) {
             return DataFile::replace(path, bytes, QStringLiteral("dummy.csv"));
         },
         "new"},
        {"replace with a second file",
         [second](const QString &path, const QByteArray &bytes) {
             return DataFile::replaceAll({{second, "second", QString()}, {path, bytes, QString()}});
         },
         "new"},
        {"append",
         [](const QString &path, const QByteArray &bytes) { return DataFile::append(path, bytes); },
         "oldnew"},
    };
}

} // namespace

TEST(DataFile, ALinkIsWrittenThroughAndStaysALink)
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString path = dir.filePath("jukuren.csv");
    const QString target = elsewhere.filePath("kept.csv");
    for (const Way &way : ways(dir.filePath("machigai.csv"))) {
        SCOPED_TRACE(way.what);
        writeBytes(target, "old");
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(target, path));

        ASSERT_FALSE(way.write(path, "new"));
        EXPECT_TRUE(QFileInfo(path).isSymLink());
        EXPECT_EQ(readBytes(target), way.expected);
        // No scratch file is left in either folder.
        EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{"kept.csv"});
        QFile::remove(dir.filePath("machigai.csv"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"jukuren.csv"});
    }
}

// The player's read-only mark holds even where the system would let an administrator write.
TEST(DataFile, AReadOnlyFileIsRefusedInJapaneseAndLeftAsItIs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("seisekieurope.csv");
    const QString second = dir.filePath("machigai.csv");
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser;
    for (const Way &way : ways(second)) {
        SCOPED_TRACE(way.what);
        writeBytes(path, "old");
        ASSERT_TRUE(QFile::setPermissions(path, readOnly));

        const std::optional<FileError> error = way.write(path, "new");
        ASSERT_TRUE(error);
        EXPECT_EQ(error->cause(), FileError::Cause::WriteNotPermitted);
        EXPECT_EQ(error->message(), "書き込みが許可されていません。");
        EXPECT_EQ(error->path(), path);
        EXPECT_EQ(readBytes(path), "old");
        EXPECT_FALSE(QFile::permissions(path) & QFile::WriteOwner);
        // Nothing else was written either, the second file included.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"seisekieurope.csv"});
        QFile::setPermissions(path, readOnly | QFile::WriteOwner | QFile::WriteUser);
    }
}

// The second file refuses its rename (it may grow but not be replaced), so the first, already
// renamed into place, goes back; when that fails too the error names the file that kept its
// new content.
TEST(DataFile, AFailingSecondWritePutsTheFirstFileBack)
{
    const QByteArray longOld(10000, 'x');
    struct Case
    {
        const char *what;
        std::optional<QByteArray> firstOld; // nullopt: the first file does not exist yet
        rlim_t sizeLimit = RLIM_INFINITY;
        FileError::Cause cause = FileError::Cause::WriteNotPermitted;
        std::optional<QByteArray> firstAfter; // nullopt: missing again
    };
    const std::vector<Case> cases{
        {"first file existed", QByteArray("7,2,1,1,2026/12/01\r\n"), RLIM_INFINITY,
         FileError::Cause::WriteNotPermitted, QByteArray("7,2,1,1,2026/12/01\r\n")},
        {"first file is new", std::nullopt, RLIM_INFINITY, FileError::Cause::WriteNotPermitted,
         std::nullopt},
        // The new content is short enough to be written, the old one is not.
        {"put-back fails", longOld, 4096, FileError::Cause::PutBackFailed, QByteArray("new")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString first = dir.filePath("jukuren.csv");
        const QString second = dir.filePath("machigai.csv");
        if (c.firstOld)
            writeBytes(first, *c.firstOld);
        writeBytes(second, "7,23,1\r\n");
        if (!setAppendOnly(second, true))
            GTEST_SKIP() << "no append-only files here";

        std::optional<FileError> error;
        {
            const FileSizeLimit limit(c.sizeLimit);
            error = DataFile::replaceAll({{first, "new", QString()}, {second, "new", QString()}});
        }
        setAppendOnly(second, false);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->cause(), c.cause);
        EXPECT_EQ(error->path(), c.cause == FileError::Cause::PutBackFailed ? first : second);
        EXPECT_EQ(QFile::exists(first), c.firstAfter.has_value());
        if (c.firstAfter) {
            EXPECT_EQ(readBytes(first), *c.firstAfter);
        }
        EXPECT_EQ(readBytes(second), "7,23,1\r\n");
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        EXPECT_FALSE(left.contains("jukuren.tmp") || left.contains("machigai.tmp"))
            << left.join(' ').toStdString();
    }
}

TEST(DataFile, FailuresAreToldInJapanese)
{
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath("gone/seisekisekai.csv");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.csv"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.tmp"));
    const QString scratchTaken = dir.filePath("taken.csv");
    writeBytes(scratchTaken, "old");

    struct Case
    {
        const char *what;
        std::optional<FileError> error;
        FileError::Cause cause;
        const char *message;
    };
    const std::vector<Case> cases{
        {"folder missing", DataFile::replace(missingFolder, "new"), FileError::Cause::FolderMissing,
         "フォルダが見つかりません。"},
        {"append to a missing folder", DataFile::append(missingFolder, "new"),
         FileError::Cause::FolderMissing, "フォルダが見つかりません。"},
        {"folder in the file's place", DataFile::read(dir.filePath("folder.csv")).error,
         FileError::Cause::ReadFailed, "ファイルを読み込めませんでした。"},
        {"scratch name taken by a folder", DataFile::replace(scratchTaken, "new"),
         FileError::Cause::WriteFailed, "ファイルに書き込めませんでした。"},
        {"disk full", FileError::fromErrno(ENOSPC, FileError::Access::Write, {}),
         FileError::Cause::DiskFull, "ディスクに空きがありません。"},
        {"read-only disk", FileError::fromErrno(EROFS, FileError::Access::Write, {}),
         FileError::Cause::WriteNotPermitted, "書き込みが許可されていません。"},
        {"unreadable", FileError::fromErrno(EACCES, FileError::Access::Read, {}),
         FileError::Cause::ReadNotPermitted, "読み込みが許可されていません。"},
        {"changed", FileError(FileError::Cause::Changed, {}), FileError::Cause::Changed,
         "ファイルが読み込んだ後に変わっています。"},
        {"put back", FileError(FileError::Cause::PutBackFailed, {}),
         FileError::Cause::PutBackFailed,
         "一緒に書き換えるファイルを保存できず、このファイルを元に戻せませんでした。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.error);
        EXPECT_EQ(c.error->cause(), c.cause);
        EXPECT_EQ(c.error->message(), QString::fromUtf8(c.message));
    }
    EXPECT_EQ(readBytes(scratchTaken), "old");
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.tmp")).isDir());
    EXPECT_FALSE(DataFile::read(dir.filePath("none.csv")).exists);
    EXPECT_FALSE(DataFile::read(dir.filePath("none.csv")).error);
}

TEST(DataFile, LinesEndAtCrLfLfOrALoneCr)
{
    const QByteArray bytes = "a\r\nb\nc\rd\r\n\r\ne";
    const QList<QByteArrayView> lines = DataFile::splitLines(bytes);
    EXPECT_EQ(lines, (QList<QByteArrayView>{"a", "b", "c", "d", "", "e"}));
    const QString text = QString::fromLatin1(bytes);
    EXPECT_EQ(DataFile::splitLines(text).size(), lines.size());
    EXPECT_TRUE(DataFile::splitLines(QByteArrayView("a\r\n")) == QList<QByteArrayView>{"a"});
}
