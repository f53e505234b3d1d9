#include "CountsDatabase.h"

#include "CounterStore.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace CountsDatabase {

namespace {

constexpr const char backupPrefix[] = "counts-";
constexpr const char backupSuffix[] = ".sqlite3";

bool exists(const std::string &path)
{
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0;
}

std::string stamp(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

bool syncPath(const std::string &path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A rename is only on the disk once the folder holding it is.
bool syncFolder(const std::string &folder)
{
    return syncPath(folder, O_RDONLY | O_DIRECTORY);
}

bool writeFile(const std::string &path, const std::string &content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ok = ::fsync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

bool copyFile(const std::string &from, const std::string &to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0640);
    if (out < 0) {
        ::close(in);
        return false;
    }
    // Run as root, the copy would belong to root and the service's own user could not write
    // it: it goes to whoever owns the folder it lands in.
    struct stat folder
    {
    };
    const std::string parent = to.substr(0, to.rfind('/'));
    if (::stat(parent.empty() ? "/" : parent.c_str(), &folder) == 0 && ::geteuid() == 0 &&
        ::fchown(out, folder.st_uid, folder.st_gid) != 0) {
        ::close(in);
        ::close(out);
        return false;
    }
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (::write(out, buffer, static_cast<size_t>(got)) != got) {
            ok = false;
            break;
        }
    }
    ::close(in);
    ok = ::fsync(out) == 0 && ok;
    return ::close(out) == 0 && ok;
}

// The first bytes of every SQLite database; a file without them (an empty one included, which
// SQLite would take for a new database) is not ours to open.
bool looksLikeDatabase(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char header[16] = {};
    const bool whole = ::read(fd, header, sizeof header) == static_cast<ssize_t>(sizeof header);
    ::close(fd);
    return whole && std::memcmp(header, "SQLite format 3", sizeof header) == 0;
}

bool writeMarker(const std::string &dataDir)
{
    const std::string text =
        "A counts database was created in this folder on " +
        stamp(std::chrono::system_clock::now()) +
        ".\nWhile this file is here, furamio-server will not start without counts.sqlite3:\n"
        "restore it (furamio-server restore --data DIR) or start afresh with --create.\n";
    return writeFile(markerPath(dataDir), text) && syncFolder(dataDir);
}

// A log or shared-memory file without its database belongs to a database that is gone; a new
// database must not take its pages, so they are moved aside, never removed.
void setAsideLeftovers(const std::string &dataDir, const std::string &suffix)
{
    const std::string path = databasePath(dataDir);
    for (const char *part : {"-wal", "-shm"})
        if (exists(path + part))
            ::rename((path + part).c_str(), (path + part + suffix).c_str());
}

std::string logOwnerPath(const std::string &dataDir)
{
    return dataDir + "/counts.log-owner";
}

std::string fileIdentity(const struct stat &info)
{
    return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ' ' +
           std::to_string(static_cast<unsigned long long>(info.st_ino));
}

std::string readFile(const std::string &path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[256];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < 4096)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fd);
    return text;
}

// SQLite takes any log beside a database for its own and copies its pages in. A log left by
// another file (the database replaced while a server ran, or a backup copied over it after a
// kill) would write that file's pages into this one, so it is moved aside unless the record
// of the last start says it belongs to this very file.
void setAsideForeignLog(const std::string &dataDir, std::ostream &out)
{
    const std::string path = databasePath(dataDir);
    struct stat database
    {
    }, log{};
    if (::stat(path.c_str(), &database) != 0 || ::stat((path + "-wal").c_str(), &log) != 0)
        return;
    const std::string owner = readFile(logOwnerPath(dataDir));
    if (owner.empty() || owner == fileIdentity(database) + '\n')
        return;
    const std::string suffix = ".not-its-log-" + stamp(std::chrono::system_clock::now());
    setAsideLeftovers(dataDir, suffix);
    out << "furamio-server: " << path << "-wal belongs to another file than " << path
        << " (it was replaced since the last start); moved aside as " << path << "-wal" << suffix
        << ", not applied\n";
}

std::uint64_t freeBytes(const std::string &folder)
{
    struct statvfs info
    {
    };
    if (::statvfs(folder.c_str(), &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

} // namespace

std::string databasePath(const std::string &dataDir)
{
    return dataDir + "/counts.sqlite3";
}

std::string markerPath(const std::string &dataDir)
{
    return dataDir + "/counts.marker";
}

std::string backupFolder(const std::string &dataDir)
{
    return dataDir + "/backup";
}

std::string restoreHint(const std::string &dataDir)
{
    return "With the server stopped, run `furamio-server restore --data " + dataDir +
           "` to put the newest good backup back, then start the server (README, "
           "\"Backups and restores\").";
}

std::vector<std::string> backups(const std::string &dataDir)
{
    std::vector<std::string> names;
    const std::string folder = backupFolder(dataDir);
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    const std::string prefix = backupPrefix;
    const std::string suffix = backupSuffix;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.rbegin(), names.rend());
    std::vector<std::string> paths;
    for (const std::string &name : names)
        paths.push_back(folder + "/" + name);
    return paths;
}

std::unique_ptr<CounterStore> open(const std::string &dataDir, bool create, std::string *error,
                                   std::ostream &log)
{
    const std::string path = databasePath(dataDir);
    setAsideForeignLog(dataDir, log);
    if (!exists(path)) {
        const bool hadOne = exists(markerPath(dataDir)) || !backups(dataDir).empty();
        if (hadOne && !create) {
            *error = path + " is missing, but a counts database was kept in this folder before (" +
                     markerPath(dataDir) +
                     "). Starting on an empty one would reset every player's rank. " +
                     restoreHint(dataDir) +
                     " To begin again from zero counts, start with --create.";
            return nullptr;
        }
        setAsideLeftovers(dataDir, ".orphan-" + stamp(std::chrono::system_clock::now()));
    } else if (!looksLikeDatabase(path)) {
        *error =
            path + " is not a database (empty, cut short or overwritten). " + restoreHint(dataDir);
        return nullptr;
    }
    std::unique_ptr<CounterStore> store;
    try {
        store = std::make_unique<CounterStore>(path);
    } catch (const StoreError &e) {
        *error = std::string(e.what()) + ". " + restoreHint(dataDir);
        return nullptr;
    }
    if (!exists(markerPath(dataDir)) && !writeMarker(dataDir)) {
        *error = "cannot write " + markerPath(dataDir) + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0 ||
        !writeFile(logOwnerPath(dataDir), fileIdentity(info) + '\n') || !syncFolder(dataDir)) {
        *error = "cannot write " + logOwnerPath(dataDir) + ": " + std::strerror(errno);
        return nullptr;
    }
    return store;
}

std::string backUp(CounterStore &store, const std::string &dataDir, unsigned keep,
                   std::chrono::system_clock::time_point now, std::uint64_t roomKept)
{
    const std::string folder = backupFolder(dataDir);
    if (::mkdir(folder.c_str(), 0750) != 0 && errno != EEXIST)
        throw StoreError("cannot create " + folder + ": " + std::strerror(errno));
    const std::uint64_t needed = store.databaseBytes() + roomKept;
    std::vector<std::string> older = backups(dataDir);
    while (freeBytes(folder) < needed && older.size() > 1) {
        ::unlink(older.back().c_str());
        older.pop_back();
    }
    if (const std::uint64_t free = freeBytes(folder); free < needed)
        throw StoreError("not enough room on the disk: " + std::to_string(free / 1024) +
                         " KB free, " + std::to_string(needed / 1024) +
                         " KB needed (the backup and room for counting); the newest backup is "
                         "kept");
    const std::string target = folder + "/" + backupPrefix + stamp(now) + backupSuffix;
    const std::string scratch = folder + "/.backup-in-progress";
    ::unlink(scratch.c_str());
    try {
        store.backupTo(scratch);
    } catch (...) {
        ::unlink(scratch.c_str());
        throw;
    }
    const std::string check = CounterStore::quickCheck(scratch);
    if (check != "ok") {
        ::unlink(scratch.c_str());
        throw StoreError("the backup failed its check (" + check + ")");
    }
    if (::rename(scratch.c_str(), target.c_str()) != 0 || !syncFolder(folder)) {
        const std::string message = std::strerror(errno);
        ::unlink(scratch.c_str());
        throw StoreError("cannot keep the backup as " + target + ": " + message);
    }
    const std::vector<std::string> kept = backups(dataDir);
    for (size_t i = std::max<size_t>(keep, 1); i < kept.size(); ++i)
        ::unlink(kept[i].c_str());
    return target;
}

int restore(const std::string &dataDir, const std::string &from, std::ostream &out)
{
    std::string source = from;
    if (source.empty()) {
        for (const std::string &candidate : backups(dataDir)) {
            const std::string check = CounterStore::quickCheck(candidate);
            if (check == "ok") {
                source = candidate;
                break;
            }
            out << "furamio-server: passing over " << candidate << ": " << check << '\n';
        }
        if (source.empty()) {
            out << "furamio-server: no good backup in " << backupFolder(dataDir)
                << "; name one with --from FILE\n";
            return 1;
        }
    } else if (const std::string check = CounterStore::quickCheck(source); check != "ok") {
        out << "furamio-server: " << source << " cannot be restored: " << check << '\n';
        return 1;
    }

    const std::string path = databasePath(dataDir);
    struct stat named
    {
    }, live{};
    if (::stat(source.c_str(), &named) == 0 && ::stat(path.c_str(), &live) == 0 &&
        named.st_dev == live.st_dev && named.st_ino == live.st_ino) {
        out << "furamio-server: " << source << " is the database itself; name a backup\n";
        return 1;
    }
    const std::string suffix = ".before-restore-" + stamp(std::chrono::system_clock::now());
    if (exists(path)) {
        if (::rename(path.c_str(), (path + suffix).c_str()) != 0) {
            out << "furamio-server: cannot move " << path << " aside: " << std::strerror(errno)
                << '\n';
            return 1;
        }
        out << "furamio-server: the database that was there is kept as " << path << suffix << '\n';
    }
    // The old database's log must never be read as the restored one's.
    setAsideLeftovers(dataDir, suffix);

    const std::string scratch = dataDir + "/.counts-restore-in-progress";
    if (!copyFile(source, scratch) || ::rename(scratch.c_str(), path.c_str()) != 0 ||
        !syncFolder(dataDir)) {
        out << "furamio-server: cannot copy " << source << " into place: " << std::strerror(errno)
            << '\n';
        ::unlink(scratch.c_str());
        return 1;
    }
    if (!exists(markerPath(dataDir)))
        writeMarker(dataDir);
    out << "furamio-server: restored " << path << " from " << source << '\n';
    return 0;
}

} // namespace CountsDatabase
