#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <thread>

class CounterStore;

// Looks after the counts database while the server runs, on a thread of its own:
// - every checkEvery it makes sure the file at the database's path is still the one the server
//   writes and still passes SQLite's quick check. The first time it is not (deleted, renamed,
//   replaced, cut short, overwritten) counting stops for good: reports are answered 503, so no
//   player is told a game was counted into a file that is lost, and one log line says what
//   happened and what to do. When the file only left its path, the open database still holds
//   every count, and a last backup is taken from it first. While that backup cannot be taken
//   (a full disk), the open database is the only copy: the keeper tries again every
//   lastBackupRetry until it is taken, and the log says so and asks for room, never for the
//   server to be stopped, until it is;
// - every backupEvery (when not zero) it takes a checked backup and keeps the newest backupKeep.
class StoreKeeper
{
public:
    static constexpr std::chrono::seconds checkEvery{1};
    // The quick check reads the whole file; on a large database it waits this many times its
    // own length before the next, so it never takes more than a twentieth of a core.
    static constexpr int quickCheckSpacing = 20;
    // A check that took less than this the last time holds counting back while it reads, so
    // the log cannot grow meanwhile; a longer one runs beside the counting, and the log grows
    // by what is counted during it, to be cut back right after.
    static constexpr std::chrono::milliseconds holdCountsUnder{20};
    static constexpr std::chrono::seconds lastBackupRetry{2};
    static constexpr std::chrono::minutes lastBackupReminder{1}; // how often the log is told

    StoreKeeper(CounterStore &store, std::string dataDir, std::chrono::seconds backupEvery,
                unsigned backupKeep, std::ostream &log);
    ~StoreKeeper();
    StoreKeeper(const StoreKeeper &) = delete;
    StoreKeeper &operator=(const StoreKeeper &) = delete;

    void start();
    void stop();

private:
    void run();
    // Empty while the database is sound; else what went wrong, and whether the open database
    // is still whole (the file only left its path).
    std::string fault(bool *stillWhole);
    void backUp();
    // After a reader of the file (the check, a backup) kept the log from starting over.
    void cutLogWhenLong();
    // The backup of a database that only the server still holds; true once it is taken.
    bool takeLastBackup(const std::string &what, bool firstTry);

    CounterStore &m_store;
    std::string m_dataDir;
    std::string m_path;
    std::chrono::seconds m_backupEvery;
    unsigned m_backupKeep;
    std::ostream &m_log;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::chrono::steady_clock::time_point m_nextQuickCheck;
    std::chrono::steady_clock::duration m_lastQuickCheck{};
    std::chrono::steady_clock::time_point m_lastBackupSaid; // when a failure was last told

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
