#include "CounterStore.h"

#include <sqlite3.h>

namespace {

// Resets a statement whatever way the scope is left, so a failed step never leaves it busy.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt *statement) : m_statement(statement) {}
    ~StatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;

private:
    sqlite3_stmt *m_statement;
};

} // namespace

CounterStore::CounterStore(const std::string &databasePath)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(databasePath.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError("cannot open " + databasePath + ": " + message);
    }
    try {
        sqlite3_busy_timeout(m_db, 5000);
        execute("PRAGMA journal_mode=WAL");
        execute("PRAGMA synchronous=NORMAL");
        // The log is copied into the database every logPages pages and then cut back to that
        // size, so a small disk never fills with an old log (the default lets it reach 4 MB
        // and never shrinks it).
        execute(("PRAGMA wal_autocheckpoint=" + std::to_string(logPages)).c_str());
        execute(("PRAGMA journal_size_limit=" + std::to_string(logPages * 4096)).c_str());
        execute("CREATE TABLE IF NOT EXISTS game_counts("
                " region TEXT PRIMARY KEY NOT NULL,"
                " n INTEGER NOT NULL) WITHOUT ROWID");
        execute("CREATE TABLE IF NOT EXISTS score_counts("
                " region TEXT NOT NULL,"
                " score INTEGER NOT NULL CHECK (score BETWEEN 0 AND 500),"
                " n INTEGER NOT NULL,"
                " PRIMARY KEY (region, score)) WITHOUT ROWID");
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_rollback = prepare("ROLLBACK");
        m_addGame = prepare("INSERT INTO game_counts(region, n) VALUES (?1, 1)"
                            " ON CONFLICT(region) DO UPDATE SET n = n + 1");
        m_readGame = prepare("SELECT n FROM game_counts WHERE region = ?1");
        m_addScore = prepare("INSERT INTO score_counts(region, score, n) VALUES (?1, ?2, 1)"
                             " ON CONFLICT(region, score) DO UPDATE SET n = n + 1");
        m_readScore = prepare("SELECT n FROM score_counts WHERE region = ?1 AND score = ?2");
        m_readHistogram = prepare("SELECT score, n FROM score_counts WHERE region = ?1");
        // A log left large by an earlier run, on a disk it has filled, is emptied first.
        shrinkLog();
    } catch (...) {
        close();
        throw;
    }
}

CounterStore::~CounterStore()
{
    close();
}

void CounterStore::close()
{
    for (sqlite3_stmt **statement : {&m_begin, &m_commit, &m_rollback, &m_addGame, &m_readGame,
                                     &m_addScore, &m_readScore, &m_readHistogram}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

void CounterStore::fail(const std::string &what)
{
    throw StoreError(what + ": " + sqlite3_errmsg(m_db));
}

sqlite3_stmt *CounterStore::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK)
        fail(std::string("cannot prepare ") + sql);
    return statement;
}

void CounterStore::execute(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw StoreError(std::string(sql) + ": " + message);
    }
}

bool CounterStore::shrinkLog()
{
    return sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) ==
           SQLITE_OK;
}

std::int64_t CounterStore::increment(sqlite3_stmt *upsert, sqlite3_stmt *select,
                                     const std::string &region, int score)
{
    std::lock_guard lock(m_dbMutex);
    std::int64_t count = 0;
    try {
        count = tryIncrement(upsert, select, region, score);
    } catch (const StoreError &) {
        // Mostly a full disk. The failed transaction was rolled back, so one more try cannot
        // count twice; emptying the log first gives back the space it held.
        if (!shrinkLog())
            throw;
        count = tryIncrement(upsert, select, region, score);
    }
    if (score >= 0) {
        std::lock_guard cacheLock(m_cacheMutex);
        m_histograms.erase(region);
    }
    return count;
}

std::int64_t CounterStore::tryIncrement(sqlite3_stmt *upsert, sqlite3_stmt *select,
                                        const std::string &region, int score)
{
    {
        StatementUse use(m_begin);
        if (sqlite3_step(m_begin) != SQLITE_DONE)
            fail("cannot begin a transaction");
    }
    std::int64_t count = 0;
    try {
        {
            StatementUse use(upsert);
            sqlite3_bind_text(upsert, 1, region.data(), static_cast<int>(region.size()),
                              SQLITE_STATIC);
            if (score >= 0)
                sqlite3_bind_int(upsert, 2, score);
            if (sqlite3_step(upsert) != SQLITE_DONE)
                fail("cannot count");
        }
        {
            StatementUse use(select);
            sqlite3_bind_text(select, 1, region.data(), static_cast<int>(region.size()),
                              SQLITE_STATIC);
            if (score >= 0)
                sqlite3_bind_int(select, 2, score);
            if (sqlite3_step(select) != SQLITE_ROW)
                fail("cannot read the count back");
            count = sqlite3_column_int64(select, 0);
        }
        StatementUse use(m_commit);
        if (sqlite3_step(m_commit) != SQLITE_DONE)
            fail("cannot commit");
    } catch (...) {
        if (!sqlite3_get_autocommit(m_db)) {
            StatementUse use(m_rollback);
            sqlite3_step(m_rollback);
        }
        throw;
    }
    return count;
}

std::int64_t CounterStore::countGame(const std::string &region)
{
    return increment(m_addGame, m_readGame, region, -1);
}

std::int64_t CounterStore::countScore(const std::string &region, int score)
{
    if (score < 0 || score > histogramSize)
        throw StoreError("score out of range");
    return increment(m_addScore, m_readScore, region, score);
}

std::vector<std::int64_t> CounterStore::scoreCounts(const std::string &region)
{
    std::lock_guard lock(m_dbMutex);
    return readCounts(region);
}

std::vector<std::int64_t> CounterStore::readCounts(const std::string &region)
{
    std::vector<std::int64_t> counts(histogramSize + 1, 0);
    StatementUse use(m_readHistogram);
    sqlite3_bind_text(m_readHistogram, 1, region.data(), static_cast<int>(region.size()),
                      SQLITE_STATIC);
    int step = 0;
    while ((step = sqlite3_step(m_readHistogram)) == SQLITE_ROW) {
        const int score = sqlite3_column_int(m_readHistogram, 0);
        if (score >= 0 && score <= histogramSize)
            counts[static_cast<size_t>(score)] = sqlite3_column_int64(m_readHistogram, 1);
    }
    if (step != SQLITE_DONE)
        fail("cannot read the histogram");
    return counts;
}

std::int64_t CounterStore::games(const std::string &region)
{
    std::lock_guard lock(m_dbMutex);
    StatementUse use(m_readGame);
    sqlite3_bind_text(m_readGame, 1, region.data(), static_cast<int>(region.size()), SQLITE_STATIC);
    const int step = sqlite3_step(m_readGame);
    if (step == SQLITE_ROW)
        return sqlite3_column_int64(m_readGame, 0);
    if (step != SQLITE_DONE)
        fail("cannot read the game count");
    return 0;
}

std::shared_ptr<const std::string> CounterStore::histogram(const std::string &region)
{
    {
        std::lock_guard cacheLock(m_cacheMutex);
        const auto found = m_histograms.find(region);
        if (found != m_histograms.end())
            return found->second;
    }
    // Held across the read and the store, so no count can slip in between and leave an old
    // text in the cache.
    std::lock_guard lock(m_dbMutex);
    const std::vector<std::int64_t> counts = readCounts(region);
    auto text = std::make_shared<const std::string>(formatHistogram(counts));
    std::lock_guard cacheLock(m_cacheMutex);
    m_histograms[region] = text;
    return text;
}

std::string CounterStore::formatHistogram(const std::vector<std::int64_t> &countsByScore)
{
    std::string text;
    text.reserve(histogramSize * 4);
    for (int score = 1; score <= histogramSize; ++score) {
        const auto index = static_cast<size_t>(score);
        text += std::to_string(index < countsByScore.size() ? countsByScore[index] : 0);
        text += "\r\n";
    }
    return text;
}
