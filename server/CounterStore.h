#pragma once

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
class CounterStore
{
public:
    static constexpr int histogramSize = 500;
    // Pages of 4 KB the write-ahead log may grow to before it is copied back and cut.
    static constexpr int logPages = 64;

    // Opens or creates the database; throws StoreError when it cannot be used.
    explicit CounterStore(const std::string &databasePath);
    ~CounterStore();
    CounterStore(const CounterStore &) = delete;
    CounterStore &operator=(const CounterStore &) = delete;

    // Each returns the new count after the commit; throws StoreError when nothing was committed.
    std::int64_t countGame(const std::string &region);
    std::int64_t countScore(const std::string &region, int score);

    // 500 lines, the i-th the number of reports of score i, each ending in CR LF.
    std::shared_ptr<const std::string> histogram(const std::string &region);

    std::int64_t games(const std::string &region);
    std::vector<std::int64_t> scoreCounts(const std::string &region); // index 0..500

    static std::string formatHistogram(const std::vector<std::int64_t> &countsByScore);

private:
    sqlite3_stmt *prepare(const char *sql);
    void execute(const char *sql);
    std::int64_t increment(sqlite3_stmt *upsert, sqlite3_stmt *select, const std::string &region,
                           int score);
    // Both need m_dbMutex held.
    std::int64_t tryIncrement(sqlite3_stmt *upsert, sqlite3_stmt *select, const std::string &region,
                              int score);
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

    std::mutex m_cacheMutex;
    std::unordered_map<std::string, std::shared_ptr<const std::string>> m_histograms;
};
