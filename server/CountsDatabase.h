#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class CounterStore;

// The files of the counts database in the data folder, how the server opens it, how it is
// backed up and how a backup is put back.
//
// - counts.sqlite3 (with its -wal and -shm while it is open): the database.
// - counts.log-owner: the file (device and inode) whose log counts.sqlite3-wal is, written
//   at each start; a log beside another file (the database was replaced, or a backup copied
//   in) is moved aside, never applied to it.
// - counts.marker: written once a database exists, so that a database that later goes missing
//   is never replaced by an empty one without the operator saying so (--create).
// - backup/counts-YYYYMMDDTHHMMSSZ.sqlite3: online backups, each checked before it is kept,
//   the newest `keep` of them kept.
namespace CountsDatabase {

std::string databasePath(const std::string &dataDir);
std::string markerPath(const std::string &dataDir);
std::string backupFolder(const std::string &dataDir);

// The words every refusal ends with, so the operator knows the way out.
std::string restoreHint(const std::string &dataDir);

// Opens the database for serving. Refuses, with the reason in *error, a file that is not a
// counts database or fails SQLite's integrity check, and a missing database where the marker or a
// backup says one existed, unless `create` is set. A database left without its marker (made before
// markers were written) gets one.
// A log that belongs to another file is moved aside first, and `log` told.
std::unique_ptr<CounterStore> open(const std::string &dataDir, bool create, std::string *error,
                                   std::ostream &log);

// The data folder's backups, newest first, by name.
std::vector<std::string> backups(const std::string &dataDir);

// Room a backup leaves free on the data folder's disk for counting to go on: the log at its
// largest, twice over (256 KB), and as much again for the pages new counts add meanwhile.
constexpr std::uint64_t roomForCounting = 512 * 1024;

// Takes an online backup of `store` into the backup folder, checks it and keeps it under the
// next rotating name; then drops all but the newest `keep`. When the disk has less free than
// the backup's size and `roomKept`, the oldest backups are dropped first, never the newest;
// when that is not enough no backup is written, so backups never take the room counts need.
// Returns the backup's path; throws StoreError when the copy could not be made or failed its
// check (nothing more is dropped then).
std::string backUp(CounterStore &store, const std::string &dataDir, unsigned keep,
                   std::chrono::system_clock::time_point now,
                   std::uint64_t roomKept = roomForCounting);

// `furamio-server restore`: puts `from` (or the newest backup that passes the quick check) in
// the database's place; `from` may not be the database itself. The file it replaces, and its log,
// are kept beside it under a name that says so. Must be run while no server uses the folder.
// Returns the exit code; says what it did, or why not, on `out`.
int restore(const std::string &dataDir, const std::string &from, std::ostream &out);

} // namespace CountsDatabase
