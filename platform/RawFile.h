#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The few file operations that must reach the system itself: a whole read that tells a
// missing file from an unreadable one, a write that is on the disk before it returns, and a
// rename that replaces its target in one step. Each answers 0 or the errno value of what
// failed, so that callers word their own messages. One implementation per system.
namespace RawFile {

struct Contents
{
    bool exists = false;
    // The permission bits as the system keeps them: written back onto a replacement.
    unsigned mode = 0;
    QByteArray bytes;
};

// A missing file is not an error: `exists` stays false. A folder is EISDIR.
int read(const QString &path, Contents &out);

// Creates or empties the file, gives it `mode` when one is given, writes every byte and waits
// until they are on the disk. A file that failed half way is removed again.
int write(const QString &path, const QByteArray &bytes, std::optional<unsigned> mode);

// Puts `scratch` in the place of `target` in one step; the scratch file is removed if not.
int replace(const QString &scratch, const QString &target);

void remove(const QString &path);

// The player's read-only mark (the owner's write bit cleared in `mode`), or a file the
// system will not let us write.
bool isReadOnly(const QString &path, unsigned mode);

// Waits until what was written through the open descriptor is on the disk.
int syncToDisk(int descriptor);

// What an errno value of the calls above means to the player.
enum class Problem
{
    NotPermitted,
    DiskFull,
    FolderMissing,
    Other
};
Problem problemOf(int code);

} // namespace RawFile
