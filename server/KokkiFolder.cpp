#include "KokkiFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

void makeDirectory(const std::string &path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw FolderError(systemError("cannot create " + path));
}

bool writeAll(int fd, const std::string &content)
{
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace

KokkiFolder::KokkiFolder(const std::string &dataDir) : m_path(dataDir + "/kokki")
{
    makeDirectory(dataDir);
    makeDirectory(m_path);
    m_dirFd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_dirFd < 0)
        throw FolderError(systemError("cannot open " + m_path + " (it must be a real folder)"));

    struct stat info
    {
    };
    if (::fstatat(m_dirFd, "oshirase.txt", &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            const std::string message = systemError("cannot look at " + m_path + "/oshirase.txt");
            ::close(m_dirFd);
            throw FolderError(message);
        }
        try {
            writeAtomically("oshirase.txt", noNews);
        } catch (...) {
            ::close(m_dirFd);
            throw;
        }
    }
}

KokkiFolder::~KokkiFolder()
{
    if (m_dirFd >= 0)
        ::close(m_dirFd);
}

std::optional<std::string> KokkiFolder::read(const std::string &name) const
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return std::nullopt;
    // O_NONBLOCK keeps a FIFO planted in the folder from stalling the open.
    const int fd = ::openat(m_dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {
    };
    std::optional<std::string> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<size_t>(info.st_size) <= largestServedFile) {
        std::string data(static_cast<size_t>(info.st_size), '\0');
        size_t done = 0;
        bool ok = true;
        while (done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ok = got == 0; // the file shrank while we read it: serve what is there
                break;
            }
            done += static_cast<size_t>(got);
        }
        if (ok) {
            data.resize(done);
            content = std::move(data);
        }
    }
    ::close(fd);
    return content;
}

void KokkiFolder::writeAtomically(const std::string &name, const std::string &content) const
{
    const std::string temporary = "." + name + "." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::openat(m_dirFd, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FolderError(systemError("cannot write " + m_path + "/" + temporary));
    const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlinkat(m_dirFd, temporary.c_str(), 0);
        errno = savedErrno;
        throw FolderError(systemError("cannot write " + m_path + "/" + name));
    }
    if (::renameat(m_dirFd, temporary.c_str(), m_dirFd, name.c_str()) != 0) {
        const std::string message = systemError("cannot replace " + m_path + "/" + name);
        ::unlinkat(m_dirFd, temporary.c_str(), 0);
        throw FolderError(message);
    }
    ::fsync(m_dirFd);
}
