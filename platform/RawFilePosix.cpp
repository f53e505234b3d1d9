#include "RawFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

namespace RawFile {

int read(const QString &path, Contents &out)
{
    const QByteArray name = nativePath(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : errno;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return code;
    }
    out.exists = true;
    out.mode = info.st_mode & 07777;
    out.bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == out.bytes.size())
            out.bytes.resize(done + 4096); // the file grew since fstat
        const ssize_t got = ::read(fd, out.bytes.data() + done, size_t(out.bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int code = errno;
            ::close(fd);
            return code;
        }
        if (got == 0)
            break;
        done += got;
    }
    out.bytes.truncate(done);
    ::close(fd);
    return 0;
}

int write(const QString &path, const QByteArray &bytes, std::optional<unsigned> mode)
{
    const QByteArray name = nativePath(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int code = 0;
    if (mode && ::fchmod(fd, static_cast<mode_t>(*mode)) != 0)
        code = errno;
    qsizetype done = 0;
    while (code == 0 && done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            code = errno;
        else
            done += put;
    }
    if (code == 0 && ::fsync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code != 0)
        ::unlink(name.constData());
    return code;
}

int replace(const QString &scratch, const QString &target)
{
    // rename() replaces the target in one step; QFile::rename would refuse an existing one.
    if (std::rename(nativePath(scratch).constData(), nativePath(target).constData()) != 0) {
        const int code = errno;
        ::unlink(nativePath(scratch).constData());
        return code;
    }
    return 0;
}

void remove(const QString &path)
{
    ::unlink(nativePath(path).constData());
}

// rename() would replace a file we may not write without asking (and as root, whatever its
// mode), hence the owner's bit as well as the system's answer.
bool isReadOnly(const QString &path, unsigned mode)
{
    return !(mode & S_IWUSR) || ::access(nativePath(path).constData(), W_OK) != 0;
}

int syncToDisk(int descriptor)
{
    return ::fsync(descriptor) == 0 ? 0 : errno;
}

} // namespace RawFile
