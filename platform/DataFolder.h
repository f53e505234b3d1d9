#pragma once

#include <QString>

// Where the program keeps the files it writes and reads back (results, deviation workfiles).
// A copy in a folder the player may write to keeps them beside the executable, so it can be
// carried around with its results. An installed copy lives in a folder nobody may write to;
// then the player's own data folder holds them instead.
namespace DataFolder {

// The program's folder when a file can be created in it, else userFolder(), created if missing.
QString choose(const QString &appPath);

// Linux: $XDG_DATA_HOME/furamio, or ~/.local/share/furamio when that is unset or not absolute.
// Windows: %APPDATA%\furamio, the roaming folder that follows the player between machines.
QString userFolder();

// Whether a file can really be created in the folder: permission bits alone say nothing about
// read-only mounts or, for root, about anything.
bool canCreateFilesIn(const QString &folder);

} // namespace DataFolder
