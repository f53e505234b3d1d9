#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <unordered_map>

class FolderError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The data folder's "kokki" subfolder, the only place files are served from. The folder is
// opened once; files are opened relative to it and never through a symbolic link, so neither
// a link inside the folder nor a name from a request can reach anything outside it.
class KokkiFolder
{
public:
    static constexpr const char *noNews = "<no news>";
    static constexpr const char *newsAnnounced = "oshirase";
    static constexpr size_t largestServedFile = 1 << 20;

    // Creates dataDir/kokki when missing, and the notice "<no news>" when there is none yet;
    // removes the temporary files a killed writer left.
    // Throws FolderError when the folder cannot be made or is a link.
    explicit KokkiFolder(const std::string &dataDir);
    ~KokkiFolder();
    KokkiFolder(const KokkiFolder &) = delete;
    KokkiFolder &operator=(const KokkiFolder &) = delete;

    // The content of a plain file of the folder; nothing for a missing file, a link, a
    // directory, anything that is not a regular file, or a file larger than largestServedFile.
    std::optional<std::string> read(const std::string &name) const;
    // The same, read once and then shared for as long as the file stays the same (the same
    // file, size and time of change); null where read() gives nothing.
    std::shared_ptr<const std::string> share(const std::string &name) const;

    // Replaces the file in one step (a temporary file, flushed, then renamed over it), so a
    // reader sees either the old or the new content. Throws FolderError.
    void writeAtomically(const std::string &name, const std::string &content) const;

    const std::string &path() const { return m_path; }

    // The process that wrote a temporary file of writeAtomically; 0 for any other name.
    static pid_t temporaryWriter(const std::string &name);

private:
    // Temporary files of writers that were killed before their rename.
    void removeLeftovers() const;

    struct Shared
    {
        std::string stamp; // device, inode, size and time of change of the file read
        std::shared_ptr<const std::string> content;
    };
    // Enough for the few files a folder of notices holds; past it the table starts afresh.
    static constexpr size_t mostShared = 16;

    std::string m_path;
    int m_dirFd = -1;
    mutable std::mutex m_sharedMutex;
    mutable std::unordered_map<std::string, Shared> m_shared;
};
