#include "StoreKeeper.h"

#include "CounterStore.h"
#include "CountsDatabase.h"

#include <algorithm>
#include <sys/stat.h>

StoreKeeper::StoreKeeper(CounterStore &store, std::string dataDir, std::chrono::seconds backupEvery,
                         unsigned backupKeep, std::ostream &log)
    : m_store(store), m_dataDir(std::move(dataDir)),
      m_path(CountsDatabase::databasePath(m_dataDir)), m_backupEvery(backupEvery),
      m_backupKeep(backupKeep), m_log(log)
{
    // The store has the file open by now: this is the file it writes.
    struct stat info
    {
    };
    if (::stat(m_path.c_str(), &info) == 0) {
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
}

StoreKeeper::~StoreKeeper()
{
    stop();
}

void StoreKeeper::start()
{
    m_thread = std::thread([this] { run(); });
}

void StoreKeeper::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::string StoreKeeper::fault(bool *stillWhole)
{
    *stillWhole = true;
    struct stat info
    {
    };
    if (::stat(m_path.c_str(), &info) != 0)
        return "was deleted or renamed";
    if (info.st_dev != m_device || info.st_ino != m_inode)
        return "was replaced by another file";
    *stillWhole = false;
    if (info.st_size == 0)
        return "was cut to 0 bytes";
    const auto start = std::chrono::steady_clock::now();
    if (start < m_nextQuickCheck)
        return {};
    const std::string check = m_lastQuickCheck < holdCountsUnder
                                  ? m_store.quickCheckHoldingCounts(m_path)
                                  : CounterStore::quickCheck(m_path);
    const auto took = std::chrono::steady_clock::now() - start;
    m_lastQuickCheck = took;
    m_nextQuickCheck =
        start + std::max<std::chrono::steady_clock::duration>(checkEvery, took * quickCheckSpacing);
    if (check != "ok")
        return "is damaged (" + check + ")";
    cutLogWhenLong();
    return {};
}

void StoreKeeper::cutLogWhenLong()
{
    // Cutting costs a copy into the database and a flush while counting waits; a log within
    // its bounds starts over by itself.
    struct stat log
    {
    };
    if (::stat((m_path + "-wal").c_str(), &log) == 0 &&
        log.st_size > off_t(CounterStore::logPages + CounterStore::logPages / 4) * 4096)
        m_store.cutLog();
}

void StoreKeeper::backUp()
{
    try {
        const std::string path = CountsDatabase::backUp(m_store, m_dataDir, m_backupKeep,
                                                        std::chrono::system_clock::now());
        m_log << "furamio-server: backed up the counts into " + path + "\n" << std::flush;
        cutLogWhenLong();
    } catch (const StoreError &e) {
        m_log << std::string("furamio-server: no backup: ") + e.what() + "\n" << std::flush;
    }
}

bool StoreKeeper::takeLastBackup(const std::string &what, bool firstTry)
{
    const std::string stopped = "furamio-server: the counts database " + m_path + ' ' + what +
                                " while the server ran; reports are refused (503) from now on.";
    std::string saved;
    try {
        // Counting has stopped, so no room needs keeping for it: older backups may go to make
        // room for this one.
        saved = CountsDatabase::backUp(m_store, m_dataDir, m_backupKeep,
                                       std::chrono::system_clock::now(), 0);
    } catch (const StoreError &e) {
        const auto now = std::chrono::steady_clock::now();
        if (firstTry || now - m_lastBackupSaid >= lastBackupReminder) {
            // One piece, so request lines from other threads cannot split it.
            m_log << (firstTry ? stopped + ' ' : std::string("furamio-server: ")) +
                         "The running server holds the only copy of the counts, and a last "
                         "backup into " +
                         CountsDatabase::backupFolder(m_dataDir) +
                         " could not be taken: " + e.what() + ". It tries again every " +
                         std::to_string(lastBackupRetry.count()) +
                         " s: make room there (or put a folder with room in its place) and "
                         "keep the server running until the log says the counts are saved.\n"
                  << std::flush;
            m_lastBackupSaid = now;
        }
        return false;
    }
    m_log << (firstTry ? stopped + " The counts up to now were saved in "
                       : std::string("furamio-server: the last backup is taken: the counts up to "
                                     "now were saved in ")) +
                 saved + ". " + CountsDatabase::restoreHint(m_dataDir) + '\n'
          << std::flush;
    return true;
}

void StoreKeeper::run()
{
    using Clock = std::chrono::steady_clock;
    auto nextBackup = Clock::now() + m_backupEvery;
    std::string onlyCopy; // what happened to the file while a last backup is still owed
    std::unique_lock wait(m_mutex);
    while (!m_wake.wait_for(wait, onlyCopy.empty() ? checkEvery : lastBackupRetry,
                            [this] { return m_stopping; })) {
        wait.unlock();
        if (!onlyCopy.empty()) {
            if (takeLastBackup(onlyCopy, false))
                return;
            wait.lock();
            continue;
        }
        bool stillWhole = false;
        const std::string what = fault(&stillWhole);
        if (!what.empty()) {
            m_store.refuseCounts();
            if (stillWhole) {
                if (takeLastBackup(what, true))
                    return;
                onlyCopy = what;
                wait.lock();
                continue;
            }
            m_log << "furamio-server: the counts database " + m_path + ' ' + what +
                         " while the server ran; reports are refused (503) from now on. " +
                         CountsDatabase::restoreHint(m_dataDir) + '\n'
                  << std::flush;
            return;
        }
        if (m_backupEvery.count() > 0 && Clock::now() >= nextBackup) {
            backUp();
            nextBackup = Clock::now() + m_backupEvery;
        }
        wait.lock();
    }
    // Asked to stop while the only copy is open: one more try, and a plain word if it fails.
    if (!onlyCopy.empty() && !takeLastBackup(onlyCopy, false))
        m_log << "furamio-server: stopping without a last backup: the counts answered since the "
                 "newest backup in " +
                     CountsDatabase::backupFolder(m_dataDir) + " are lost.\n"
              << std::flush;
}
