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
    const std::string check = CounterStore::quickCheck(m_path);
    const auto took = std::chrono::steady_clock::now() - start;
    m_nextQuickCheck =
        start + std::max<std::chrono::steady_clock::duration>(checkEvery, took * quickCheckSpacing);
    if (check != "ok")
        return "is damaged (" + check + ")";
    return {};
}

void StoreKeeper::backUp()
{
    try {
        const std::string path = CountsDatabase::backUp(m_store, m_dataDir, m_backupKeep,
                                                        std::chrono::system_clock::now());
        m_log << "furamio-server: backed up the counts into " + path + "\n" << std::flush;
    } catch (const StoreError &e) {
        m_log << std::string("furamio-server: no backup: ") + e.what() + "\n" << std::flush;
    }
}

void StoreKeeper::run()
{
    using Clock = std::chrono::steady_clock;
    auto nextBackup = Clock::now() + m_backupEvery;
    std::unique_lock wait(m_mutex);
    while (!m_wake.wait_for(wait, checkEvery, [this] { return m_stopping; })) {
        wait.unlock();
        bool stillWhole = false;
        const std::string what = fault(&stillWhole);
        if (!what.empty()) {
            m_store.refuseCounts();
            std::string saved;
            if (stillWhole) {
                try {
                    saved = " The counts up to now were saved in " +
                            CountsDatabase::backUp(m_store, m_dataDir, m_backupKeep,
                                                   std::chrono::system_clock::now()) +
                            ".";
                } catch (const StoreError &e) {
                    saved = std::string(" A last backup could not be taken: ") + e.what() + ".";
                }
            }
            // One piece, so request lines from other threads cannot split it.
            m_log << "furamio-server: the counts database " + m_path + ' ' + what +
                         " while the server ran; reports are refused (503) from now on." + saved +
                         ' ' + CountsDatabase::restoreHint(m_dataDir) + '\n'
                  << std::flush;
            return;
        }
        if (m_backupEvery.count() > 0 && Clock::now() >= nextBackup) {
            backUp();
            nextBackup = Clock::now() + m_backupEvery;
        }
        wait.lock();
    }
}
