#include "RawFile.h"

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace {

// Wide names: a folder with Japanese in its name must work whatever the ANSI code page is.
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

int errnoFor(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

} // namespace

namespace RawFile {

int read(const QString &path, Contents &out)
{
    const std::wstring name = nativePath(path);
    const int fd = ::_wopen(name.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        // The system answers EACCES, not EISDIR, when the name is a folder.
        struct _stat64 info = {};
        if (errno == EACCES && ::_wstat64(name.c_str(), &info) == 0 &&
            (info.st_mode & _S_IFMT) == _S_IFDIR)
            return EISDIR;
        return errno == ENOENT ? 0 : errno;
    }
    struct _stat64 info = {};
    if (::_fstat64(fd, &info) != 0) {
        const int code = errno;
        ::_close(fd);
        return code;
    }
    out.exists = true;
    out.mode = info.st_mode & 0777;
    out.bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == out.bytes.size())
            out.bytes.resize(done + 4096); // the file grew since the size was read
        const int got =
            ::_read(fd, out.bytes.data() + done, static_cast<unsigned>(out.bytes.size() - done));
        if (got < 0) {
            const int code = errno;
            ::_close(fd);
            return code;
        }
        if (got == 0)
            break;
        done += got;
    }
    out.bytes.truncate(done);
    ::_close(fd);
    return 0;
}

// Windows keeps one permission, the read-only attribute, and a read-only file is refused
// before it is ever replaced; a new file is made writable, so `mode` has nothing to add.
int write(const QString &path, const QByteArray &bytes, std::optional<unsigned>)
{
    const std::wstring name = nativePath(path);
    const int fd =
        ::_wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return errno;
    int code = 0;
    qsizetype done = 0;
    while (code == 0 && done < bytes.size()) {
        const int put =
            ::_write(fd, bytes.constData() + done, static_cast<unsigned>(bytes.size() - done));
        if (put < 0)
            code = errno;
        else
            done += put;
    }
    if (code == 0 && ::_commit(fd) != 0)
        code = errno;
    if (::_close(fd) != 0 && code == 0)
        code = errno;
    if (code != 0)
        ::_wunlink(name.c_str());
    return code;
}

int replace(const QString &scratch, const QString &target)
{
    // The C library's rename() refuses an existing target here; the system call replaces it.
    const std::wstring from = nativePath(scratch);
    if (!::MoveFileExW(from.c_str(), nativePath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const int code = errnoFor(::GetLastError());
        ::_wunlink(from.c_str());
        return code;
    }
    return 0;
}

void remove(const QString &path)
{
    ::_wunlink(nativePath(path).c_str());
}

bool isReadOnly(const QString &path, unsigned mode)
{
    constexpr int writeAccess = 2;
    return !(mode & _S_IWRITE) || ::_waccess(nativePath(path).c_str(), writeAccess) != 0;
}

int syncToDisk(int descriptor)
{
    return ::_commit(descriptor) == 0 ? 0 : errno;
}

} // namespace RawFile
