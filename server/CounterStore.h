#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class StoreError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The counts of reported games, kept in one SQLite database in write-ahead-log mode.
//
// Every increment is its own committed transaction and returns only after the commit, so an
// answered report survives the process being killed. synchronous=NORMAL makes a commit a write
// into the log without an fsync: the log is in the operating system's hands at once, which is
// all a killed process needs; only a power cut can take back the last commits. The log is kept
// small, and emptied when a write fails, so counting goes on in a small data folder and starts
// again by itself when a full disk gets space back.
//
// The histogram text of a region is built from one SELECT (one read snapshot) and kept until
// the next count of that region, so fetches between reports cost no database work.
//
// A report may carry the game's report id: the id is remembered for reportIdDays in the same
// transaction as the count, so a report sent again (its reply was lost after the count) is
// answered with the count as it stands and not counted twice.
class CounterStore
{
public:
    static constexpr int histogramSize = 500;
    // Pages of 4 KB the write-ahead log may grow to before it is copied back and cut.
    static constexpr int logPages = 64;
    static constexpr std::chrono::hours reportIdKept{7 * 24};

    // Opens or creates the database and runs SQLite's integrity check on it; throws StoreError
    // when it cannot be used, is damaged or holds tables that are not the counts'.
    explicit CounterStore(const std::string &databasePath);
    ~CounterStore();
    CounterStore(const CounterStore &) = delete;
    CounterStore &operator=(const CounterStore &) = delete;

    // Each returns the count after the commit; throws StoreError when nothing was committed, or
    // once the store is closed to counting. A non-empty reportId that was counted before (for
    // the same counter) counts nothing and returns the count as it is.
    std::int64_t countGame(const std::string &region, const std::string &reportId = {});
    std::int64_t countScore(const std::string &region, int score, const std::string &reportId = {});

    // From now on every count throws; the kept histograms are still served. For a database
    // that is no longer the file it was opened as, or is damaged.
    void refuseCounts();

    // An online backup of the open database into `path` (replaced), flushed to the disk;
    // throws StoreError. Works from the open connection, so it still holds every count when
    // the database's file was deleted or renamed since.
    void backupTo(const std::string &path);

    // The size of the database, its log not counted.
    std::uint64_t databaseBytes();
    // Copies the log into the database and cuts it to nothing, unless a reader holds it. A
    // reader of the file (the quick check, a backup) keeps the log from starting over while
    // it reads, so it grows meanwhile; this gives that room back.
    void cutLog();

    // quickCheck(path) with counting held back meanwhile, so the log does not grow while the
    // check reads the file.
    std::string quickCheckHoldingCounts(const std::string &path);

    // "ok", or what SQLite's quick check of the database file at `path` found wrong (the file
    // is opened read-only, apart from this store's connection and its page cache, so it sees
    // what is on the disk). Also wrong when the counts' tables are missing.
    static std::string quickCheck(const std::string &path);

    // 500 lines, the i-th the number of reports of score i, each ending in CR LF.
    std::shared_ptr<const std::string> histogram(const std::string &region);

    std::int64_t games(const std::string &region);
    std::vector<std::int64_t> scoreCounts(const std::string &region); // index 0..500

    static std::string formatHistogram(const std::vector<std::int64_t> &countsByScore);

private:
    sqlite3_stmt *prepare(const char *sql);
    void execute(const char *sql);
    std::int64_t increment(sqlite3_stmt *upsert, sqlite3_stmt *select, const std::string &region,
                           int score, const std::string &reportId);
    struct Counted
    {
        std::int64_t count = 0;
        bool changed = false; // false for a report id counted before
    };
    // Both need m_dbMutex held.
    Counted tryIncrement(sqlite3_stmt *upsert, sqlite3_stmt *select, const std::string &region,
                         int score, const std::string &reportId);
    bool shrinkLog();
    // Needs m_dbMutex held.
    std::vector<std::int64_t> readCounts(const std::string &region);
    [[noreturn]] void fail(const std::string &what);
    void close();

    sqlite3 *m_db = nullptr;
    std::mutex m_dbMutex; // the connection and its statements; taken before m_cacheMutex
    sqlite3_stmt *m_begin = nullptr;
    sqlite3_stmt *m_commit = nullptr;
    sqlite3_stmt *m_rollback = nullptr;
    sqlite3_stmt *m_addGame = nullptr;
    sqlite3_stmt *m_readGame = nullptr;
    sqlite3_stmt *m_addScore = nullptr;
    sqlite3_stmt *m_readScore = nullptr;
    sqlite3_stmt *m_readHistogram = nullptr;
    sqlite3_stmt *m_rememberId = nullptr;
    sqlite3_stmt *m_forgetIds = nullptr;
    std::chrono::system_clock::time_point m_idsForgotten; // the last clear-out of old ids
    std::atomic<bool> m_refused{false};

    std::mutex m_cacheMutex;
    std::unordered_map<std::string, std::shared_ptr<const std::string>> m_histograms;
};
