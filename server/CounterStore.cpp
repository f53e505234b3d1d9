#include "CounterStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>

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

enum Counter
{
    gameCounter = 0,
    scoreCounter = 1
};

// Old ids are cleared out at most this often, inside a counting transaction.
constexpr std::chrono::hours forgetEvery{1};

std::int64_t unixSeconds(std::chrono::system_clock::time_point when)
{
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

// The first row of a statement's first column as text; `fallback` when there is none.
std::string firstText(sqlite3 *db, const char *sql, const std::string &fallback)
{
    sqlite3_stmt *statement = nullptr;
    std::string text = fallback;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return sqlite3_errmsg(db);
    const int step = sqlite3_step(statement);
    if (step == SQLITE_ROW) {
        const unsigned char *value = sqlite3_column_text(statement, 0);
        text = value ? reinterpret_cast<const char *>(value) : "";
    } else if (step != SQLITE_DONE) {
        text = sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    return text;
}

// SQLite's check may answer in many rows, and a row in many lines; the log gets one line.
std::string oneLine(std::string text)
{
    constexpr size_t longest = 300;
    for (char &c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    if (text.size() > longest)
        text = text.substr(0, longest) + "...";
    return text;
}

// The tables a counts database holds; user_version says which of them it must hold.
constexpr int schemaVersion = 1; // 1: counted_reports, the report ids
const char *const countsTables[] = {"game_counts", "score_counts", "counted_reports"};

// Empty when the file holds a counts database (or nothing yet), else why not.
std::string foreignSchema(sqlite3 *db)
{
    sqlite3_stmt *tables = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_schema WHERE type = 'table'"
                           " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                           -1, &tables, nullptr) != SQLITE_OK)
        return sqlite3_errmsg(db);
    std::vector<std::string> found, strangers;
    while (sqlite3_step(tables) == SQLITE_ROW) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(tables, 0));
        found.emplace_back(name ? name : "");
        if (std::find(std::begin(countsTables), std::end(countsTables), found.back()) ==
            std::end(countsTables))
            strangers.push_back(found.back());
    }
    sqlite3_finalize(tables);
    if (found.empty())
        return {};
    if (!strangers.empty())
        return "it is not a counts database (it holds the table " + strangers.front() + ")";
    const bool versioned = firstText(db, "PRAGMA user_version", "0") != "0";
    // A database from before report ids has the first two only.
    for (size_t i = 0; i < (versioned ? std::size(countsTables) : 2); ++i)
        if (std::find(found.begin(), found.end(), countsTables[i]) == found.end())
            return std::string("the counts' table ") + countsTables[i] + " is missing";
    return {};
}

} // namespace

std::string CounterStore::quickCheck(const std::string &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return message;
    }
    sqlite3_busy_timeout(db, 5000);
    std::string verdict = oneLine(firstText(db, "PRAGMA quick_check", "no answer"));
    if (verdict == "ok" && firstText(db,
                                     "SELECT count(*) FROM sqlite_schema WHERE type = 'table'"
                                     " AND name IN ('game_counts', 'score_counts')",
                                     "0") != "2")
        verdict = "the counts' tables are missing";
    if (verdict == "ok")
        if (const std::string foreign = foreignSchema(db); !foreign.empty())
            verdict = foreign;
    sqlite3_close(db);
    return verdict;
}

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
        // The full check, once per start: the quick one passes a file whose rows are out of
        // order or whose NOT NULL columns hold NULL, and counting on such a file goes wrong.
        const std::string check = firstText(m_db, "PRAGMA integrity_check(1)", "no answer");
        if (check != "ok")
            throw StoreError(databasePath + " is damaged: " + oneLine(check));
        if (const std::string foreign = foreignSchema(m_db); !foreign.empty())
            throw StoreError(databasePath + " cannot be used: " + foreign);
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
        // counter: 0 the game counter, 1 the score counter; at: seconds since 1970.
        execute("CREATE TABLE IF NOT EXISTS counted_reports("
                " id TEXT NOT NULL,"
                " counter INTEGER NOT NULL,"
                " at INTEGER NOT NULL,"
                " PRIMARY KEY (id, counter)) WITHOUT ROWID");
        execute("CREATE INDEX IF NOT EXISTS counted_reports_at ON counted_reports(at)");
        execute(("PRAGMA user_version=" + std::to_string(schemaVersion)).c_str());
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
        m_rememberId = prepare("INSERT INTO counted_reports(id, counter, at) VALUES (?1, ?2, ?3)"
                               " ON CONFLICT(id, counter) DO NOTHING");
        m_forgetIds = prepare("DELETE FROM counted_reports WHERE at < ?1");
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
    for (sqlite3_stmt **statement :
         {&m_begin, &m_commit, &m_rollback, &m_addGame, &m_readGame, &m_addScore, &m_readScore,
          &m_readHistogram, &m_rememberId, &m_forgetIds}) {
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

std::uint64_t CounterStore::databaseBytes()
{
    std::lock_guard lock(m_dbMutex);
    const std::string pages = firstText(m_db, "PRAGMA page_count", "0");
    const std::string pageSize = firstText(m_db, "PRAGMA page_size", "4096");
    return std::strtoull(pages.c_str(), nullptr, 10) * std::strtoull(pageSize.c_str(), nullptr, 10);
}

std::string CounterStore::quickCheckHoldingCounts(const std::string &path)
{
    std::lock_guard lock(m_dbMutex);
    return quickCheck(path);
}

void CounterStore::cutLog()
{
    std::lock_guard lock(m_dbMutex);
    shrinkLog();
}

bool CounterStore::shrinkLog()
{
    return sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr) ==
           SQLITE_OK;
}

void CounterStore::refuseCounts()
{
    std::lock_guard lock(m_dbMutex);
    m_refused = true;
}

void CounterStore::backupTo(const std::string &path)
{
    std::lock_guard lock(m_dbMutex);
    sqlite3 *copy = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &copy, flags, nullptr) != SQLITE_OK) {
        const std::string message = copy ? sqlite3_errmsg(copy) : "out of memory";
        sqlite3_close(copy);
        throw StoreError("cannot create " + path + ": " + message);
    }
    std::string error;
    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", m_db, "main");
    if (!backup) {
        error = sqlite3_errmsg(copy);
    } else {
        sqlite3_backup_step(backup, -1);
        if (sqlite3_backup_finish(backup) != SQLITE_OK)
            error = sqlite3_errmsg(copy);
    }
    // A copy that stands alone: no log beside it that a restore could lose or mismatch.
    char *message = nullptr;
    if (error.empty() &&
        sqlite3_exec(copy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &message) != SQLITE_OK)
        error = message ? message : "cannot leave log mode";
    sqlite3_free(message);
    sqlite3_close(copy);
    if (!error.empty())
        throw StoreError("cannot back up into " + path + ": " + error);
}

std::int64_t CounterStore::increment(sqlite3_stmt *upsert, sqlite3_stmt *select,
                                     const std::string &region, int score,
                                     const std::string &reportId)
{
    // Looked at under the lock: once refuseCounts has returned, no count is between its look
    // and its commit, so a backup taken after it holds every count that was answered.
    std::lock_guard lock(m_dbMutex);
    if (m_refused)
        throw StoreError("counting is stopped");
    Counted counted;
    try {
        counted = tryIncrement(upsert, select, region, score, reportId);
    } catch (const StoreError &) {
        // Mostly a full disk. The failed transaction was rolled back, so one more try cannot
        // count twice; emptying the log first gives back the space it held.
        if (!shrinkLog())
            throw;
        counted = tryIncrement(upsert, select, region, score, reportId);
    }
    if (counted.changed && score >= 0) {
        std::lock_guard cacheLock(m_cacheMutex);
        m_histograms.erase(region);
    }
    return counted.count;
}

CounterStore::Counted CounterStore::tryIncrement(sqlite3_stmt *upsert, sqlite3_stmt *select,
                                                 const std::string &region, int score,
                                                 const std::string &reportId)
{
    const auto now = std::chrono::system_clock::now();
    {
        StatementUse use(m_begin);
        if (sqlite3_step(m_begin) != SQLITE_DONE)
            fail("cannot begin a transaction");
    }
    std::int64_t count = 0;
    try {
        if (now - m_idsForgotten >= forgetEvery) {
            StatementUse use(m_forgetIds);
            sqlite3_bind_int64(m_forgetIds, 1, unixSeconds(now - reportIdKept));
            if (sqlite3_step(m_forgetIds) != SQLITE_DONE)
                fail("cannot clear out old reports");
        }
        bool counted = true;
        if (!reportId.empty()) {
            StatementUse use(m_rememberId);
            sqlite3_bind_text(m_rememberId, 1, reportId.data(), static_cast<int>(reportId.size()),
                              SQLITE_STATIC);
            sqlite3_bind_int(m_rememberId, 2, score >= 0 ? scoreCounter : gameCounter);
            sqlite3_bind_int64(m_rememberId, 3, unixSeconds(now));
            if (sqlite3_step(m_rememberId) != SQLITE_DONE)
                fail("cannot remember the report");
            counted = sqlite3_changes(m_db) > 0;
        }
        if (counted) {
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
            const int step = sqlite3_step(select);
            if (step == SQLITE_ROW)
                count = sqlite3_column_int64(select, 0);
            else if (counted || step != SQLITE_DONE)
                fail("cannot read the count back");
        }
        StatementUse use(m_commit);
        if (sqlite3_step(m_commit) != SQLITE_DONE)
            fail("cannot commit");
        if (now - m_idsForgotten >= forgetEvery)
            m_idsForgotten = now;
        return {count, counted};
    } catch (...) {
        if (!sqlite3_get_autocommit(m_db)) {
            StatementUse use(m_rollback);
            sqlite3_step(m_rollback);
        }
        throw;
    }
}

std::int64_t CounterStore::countGame(const std::string &region, const std::string &reportId)
{
    return increment(m_addGame, m_readGame, region, -1, reportId);
}

std::int64_t CounterStore::countScore(const std::string &region, int score,
                                      const std::string &reportId)
{
    if (score < 0 || score > histogramSize)
        throw StoreError("score out of range");
    return increment(m_addScore, m_readScore, region, score, reportId);
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
