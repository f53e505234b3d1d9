#include "KokkiFolder.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
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

    removeLeftovers();
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

void KokkiFolder::removeLeftovers() const
{
    const int fd = ::openat(m_dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t writer = temporaryWriter(name);
        // A writer that still runs is in the middle of its own replace.
        if (writer > 0 && writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlinkat(m_dirFd, name.c_str(), 0);
    }
    ::closedir(dir);
}

pid_t KokkiFolder::temporaryWriter(const std::string &name)
{
    // "." + name + "." + pid + ".tmp", as writeAtomically makes them.
    static const std::string suffix = ".tmp";
    if (name.size() < 1 + suffix.size() + 2 || name[0] != '.' ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const size_t dot = stem.rfind('.');
    if (dot == std::string::npos || dot + 1 >= stem.size() || dot == 0)
        return 0;
    pid_t pid = 0;
    for (size_t i = dot + 1; i < stem.size(); ++i) {
        if (stem[i] < '0' || stem[i] > '9' || pid > 10000000)
            return 0;
        pid = pid * 10 + (stem[i] - '0');
    }
    return pid;
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

std::shared_ptr<const std::string> KokkiFolder::share(const std::string &name) const
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return nullptr;
    struct stat info
    {
    };
    if (::fstatat(m_dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    const std::string stamp =
        std::to_string(info.st_dev) + ' ' + std::to_string(info.st_ino) + ' ' +
        std::to_string(info.st_size) + ' ' + std::to_string(info.st_mtim.tv_sec) + '.' +
        std::to_string(info.st_mtim.tv_nsec) + ' ' + std::to_string(info.st_ctim.tv_nsec);
    {
        std::lock_guard lock(m_sharedMutex);
        const auto found = m_shared.find(name);
        if (found != m_shared.end() && found->second.stamp == stamp)
            return found->second.content;
    }
    std::optional<std::string> content = read(name);
    if (!content)
        return nullptr;
    auto shared = std::make_shared<const std::string>(std::move(*content));
    std::lock_guard lock(m_sharedMutex);
    if (m_shared.size() >= mostShared && !m_shared.count(name))
        m_shared.clear();
    // Kept under the stamp taken before the read: a file changed meanwhile gets a new stamp,
    // so the next request reads it again.
    m_shared[name] = Shared{stamp, shared};
    return shared;
}
