#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// Why a file could not be read or written, in words for the player. Every file the program
// reads back or writes fails with one of these causes; the system's own (English) text is
// never passed on.
class FileError
{
public:
    enum class Cause
    {
        WriteNotPermitted, // a read-only file or folder, or a read-only disk
        ReadNotPermitted,
        DiskFull,
        FolderMissing,
        Changed,       // the file is no longer as it was read
        InvalidDate,   // a date the file's form cannot hold
        PutBackFailed, // a file already replaced could not be given its old content back
        ReadFailed,    // any other failure while reading
        WriteFailed    // any other failure while writing
    };
    enum class Access
    {
        Read,
        Write
    };

    // `path` is the file the failure concerns, as the caller named it.
    FileError(Cause cause, QString path);
    // The cause of the system error `errorNumber` met while reading or writing `path`.
    static FileError fromErrno(int errorNumber, Access access, QString path);

    Cause cause() const { return m_cause; }
    QString path() const { return m_path; }
    // One Japanese sentence, the same for every file.
    QString message() const;

private:
    Cause m_cause;
    QString m_path;
};

// The one way the program reads back and rewrites its own files (results, record, scratch and
// any new one): a rewrite never leaves a moment without the old content or with half of the
// new. Usage for a new file:
//
//     const DataFile::Contents old = DataFile::read(path);
//     if (old.error)
//         return old.error;
//     return DataFile::replace(path, newBytes);
//
// Every function takes the path as the caller knows it; a symbolic link is read and written
// through to the file it names and stays a link. A file whose owner may not write it (the
// player's read-only mark) is refused with WriteNotPermitted before anything is touched, even
// where the system would let an administrator write it.
namespace DataFile {

inline constexpr QByteArrayView lineEnd = "\r\n";

struct Contents
{
    bool exists = false; // a missing file reads as empty, without an error
    QByteArray bytes;
    std::optional<FileError> error; // set when the file exists but could not be read whole
};
Contents read(const QString &path);

// Gives `path` the content `bytes`: the bytes go to a scratch file in the folder of the file
// that is replaced, which is flushed to the disk and then renamed over it, keeping its
// permissions. `scratchName` is that scratch file's name; empty means the file's own name
// with ".tmp" for its suffix ("jukuren.csv" → "jukuren.tmp"). The scratch file is gone
// afterwards, whatever happened.
std::optional<FileError> replace(const QString &path, const QByteArray &bytes,
                                 const QString &scratchName = QString());

struct Replacement
{
    QString path;
    QByteArray bytes;
    QString scratchName; // as for replace()
};
// Replaces several files as one: all are refused before any is touched when one is read-only,
// every scratch file is complete on the disk before the first rename, and when a rename fails
// the files already replaced get their old content back (a file that did not exist is removed
// again). The error is that of the first failure, or PutBackFailed, naming the file that kept
// its new content, when a put-back failed too.
std::optional<FileError> replaceAll(const std::vector<Replacement> &files);

// Adds `bytes` at the end of `path`, creating it when missing. A write that fails part way
// is cut back, so the file holds its old bytes.
std::optional<FileError> append(const QString &path, const QByteArray &bytes);

// The lines of a text as every file of the program is read: a line ends at CR LF, LF or a lone
// CR, and a last line without an end still counts. The views point into `text`.
QList<QByteArrayView> splitLines(QByteArrayView text);
QList<QStringView> splitLines(QStringView text);

} // namespace DataFile
