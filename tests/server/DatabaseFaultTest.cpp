// furamio-server when its own database goes wrong under it: the real binary, its database
// deleted, renamed, cut short or overwritten while it serves, then started on what is left,
// and put back from its backups.

#include "ServerProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Score reports in the database file at `path`, read without changing it; -1 when it cannot be
// read.
std::int64_t storedScores(const std::string &path)
{
    sqlite3 *db = nullptr;
    std::int64_t total = -1;
    sqlite3_stmt *sum = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT total(n) FROM score_counts WHERE region = 'europe'", -1,
                           &sum, nullptr) == SQLITE_OK &&
        sqlite3_step(sum) == SQLITE_ROW)
        total = sqlite3_column_int64(sum, 0);
    sqlite3_finalize(sum);
    sqlite3_close(db);
    return total;
}

// The backups, newest first.
std::vector<fs::path> backupsOf(const std::string &data)
{
    std::vector<fs::path> found;
    std::error_code none;
    for (const auto &entry : fs::directory_iterator(data + "/backup", none))
        if (entry.path().extension() == ".sqlite3")
            found.push_back(entry.path());
    std::sort(found.rbegin(), found.rend());
    return found;
}

// Score reports the running server holds, as a histogram fetch shows them.
std::int64_t servedScores(int port)
{
    httplib::Client client("127.0.0.1", port);
    const auto reply = client.Get("/kokki/europe.csv");
    if (!reply || reply->status != 200)
        return -1;
    std::int64_t total = 0;
    size_t at = 0;
    while (at < reply->body.size()) {
        total += std::stoll(reply->body.substr(at));
        at = reply->body.find("\r\n", at) + 2;
    }
    return total;
}

int lineCount(const std::string &text, const std::string &part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Every page after the first overwritten, once the log is copied into the file, so that no
// page of the log hides the damage.
void overwritePages(const std::string &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const auto size = fs::file_size(path);
    file.seekp(4096);
    file << std::string(size - 4096, '\x5a');
}

struct Fault
{
    const char *name;
    std::function<void(const std::string &database)> apply;
    bool fileStaysWhole; // the server's open file still holds every count
    // What the log says; a file cut short may have taken pages back from the log (a
    // checkpoint) before the watch looked.
    std::vector<std::string> logSays;
};

TEST(DatabaseFaultTest, ADatabaseGoneWrongStopsCountingAndComesBackFromItsBackup)
{
    const Fault faults[] = {
        {"deleted", [](const std::string &db) { fs::remove(db); }, true, {"deleted or renamed"}},
        {"renamed",
         [](const std::string &db) { fs::rename(db, db + ".moved"); },
         true,
         {"deleted or renamed"}},
        {"truncated",
         [](const std::string &db) { fs::resize_file(db, 0); },
         false,
         {"cut to 0 bytes", "is damaged"}},
        {"overwritten", overwritePages, false, {"is damaged"}},
    };
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.name);
        TempDir dir;
        const std::string data = dir.str() + "/data";
        const std::string database = data + "/counts.sqlite3";
        std::int64_t answered = 0;
        {
            ServerProcess server(data, {"--max-reports-per-minute", "0", "--backup-every", "1s",
                                        "--backup-keep", "3"});
            httplib::Client client("127.0.0.1", server.port());
            const auto report = [&](int score) {
                const auto reply =
                    client.Get("/count1/countereurope/" + std::to_string(score) + "/count.php");
                return reply ? reply->status : 0;
            };
            for (int score = 1; score <= 20; ++score)
                answered += report(score) == 200;
            ASSERT_EQ(answered, 20);
            // A backup taken after the last of them.
            const auto waited = std::chrono::steady_clock::now();
            while ((backupsOf(data).empty() || storedScores(backupsOf(data).front()) < 20) &&
                   std::chrono::steady_clock::now() - waited < 60s)
                std::this_thread::sleep_for(100ms);

            fault.apply(database);
            const auto damaged = std::chrono::steady_clock::now();
            // Several players at once, so that a count waits for the database while the watch
            // stops counting: each one answered 200 must be in the last backup all the same.
            std::atomic<int> counted{0};
            std::vector<int> lastStatus(4, 200);
            std::vector<std::thread> players;
            for (size_t p = 0; p < lastStatus.size(); ++p)
                players.emplace_back([&, p] {
                    httplib::Client player("127.0.0.1", server.port());
                    int status = 200;
                    while (status == 200 && std::chrono::steady_clock::now() - damaged < 30s) {
                        const auto reply = player.Get("/count1/countereurope/100/count.php");
                        status = reply ? reply->status : 0;
                        counted += status == 200;
                    }
                    lastStatus[p] = status;
                });
            for (std::thread &player : players)
                player.join();
            answered += counted;
            const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - damaged);
            EXPECT_EQ(lastStatus, std::vector<int>(4, 503));
            std::cout << "[ figure ] " << fault.name << ": 503 after " << took.count() << " ms, "
                      << answered - 20 << " reports counted in between\n";
            EXPECT_EQ(report(101), 503);
            if (fault.fileStaysWhole) {
                EXPECT_EQ(servedScores(server.port()), answered) << "histograms are still served";
            }
            // The store may refuse before the watch has looked; the watch's word comes anyway.
            std::this_thread::sleep_for(2s);
            server.stop(SIGTERM);
            const std::string log = server.log();
            EXPECT_EQ(lineCount(log, "counts database"), 1) << log;
            int said = 0;
            for (const std::string &words : fault.logSays)
                said += lineCount(log, words);
            EXPECT_EQ(said, 1) << log;
            EXPECT_EQ(lineCount(log, "furamio-server restore --data " + data), 1) << log;
            // What went wrong is one line of its own, however much SQLite's check found.
            std::istringstream lines(log);
            for (std::string line; std::getline(lines, line);)
                EXPECT_TRUE(line.rfind("furamio-server", 0) == 0 || std::isdigit(line[0])) << line;
        }

        // Started on what is left, the server refuses, and says how to restore.
        std::string errors;
        EXPECT_EQ(ServerProcess::run({"--listen", "127.0.0.1:0", "--data", data}, &errors), 3);
        EXPECT_NE(errors.find("furamio-server restore --data " + data), std::string::npos)
            << errors;

        const std::vector<fs::path> backups = backupsOf(data);
        ASSERT_FALSE(backups.empty());
        EXPECT_LE(backups.size(), 3U);
        const std::int64_t lastBackup = storedScores(backups.front().string());
        ASSERT_EQ(ServerProcess::run({"restore", "--data", data}, &errors), 0) << errors;
        ServerProcess restored(data);
        // What the last backup held, which is every answered report when the file only left
        // its path; nothing the players did not report.
        EXPECT_EQ(servedScores(restored.port()), lastBackup);
        EXPECT_EQ(lastBackup, fault.fileStaysWhole ? answered : 20);
    }
}

// Runs SQL on the database file at `path` as any other program could.
void changeDatabase(const std::string &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

TEST(DatabaseFaultTest, AStartTakesOnlyAWholeCountsDatabaseAndNeverAnotherFilesLog)
{
    struct Start
    {
        const char *name;
        // Done to the data folder of a server killed after 20 reports (its log not yet copied
        // into the database).
        std::function<void(const std::string &data)> apply;
        std::int64_t served; // counts served after the start; -1: the start is refused
        const char *says;    // in the refusal, or in the log of the start
    };
    const Start starts[] = {
        {"another SQLite database",
         [](const std::string &data) {
             fs::remove(data + "/counts.sqlite3");
             fs::remove(data + "/counts.sqlite3-wal");
             changeDatabase(data + "/counts.sqlite3", "CREATE TABLE players(name TEXT)");
         },
         -1, "not a counts database"},
        {"a table dropped",
         [](const std::string &data) {
             changeDatabase(data + "/counts.sqlite3", "DROP TABLE score_counts");
         },
         -1, "score_counts is missing"},
        {"a backup moved in beside the killed server's log",
         [](const std::string &data) {
             const std::string backup = data + "/older.sqlite3";
             changeDatabase(backup, "PRAGMA user_version=1;"
                                    "CREATE TABLE game_counts(region TEXT PRIMARY KEY NOT NULL,"
                                    " n INTEGER NOT NULL) WITHOUT ROWID;"
                                    "CREATE TABLE score_counts(region TEXT NOT NULL, score INTEGER"
                                    " NOT NULL, n INTEGER NOT NULL, PRIMARY KEY (region, score))"
                                    " WITHOUT ROWID;"
                                    "CREATE TABLE counted_reports(id TEXT NOT NULL, counter"
                                    " INTEGER NOT NULL, at INTEGER NOT NULL, PRIMARY KEY (id,"
                                    " counter)) WITHOUT ROWID;"
                                    "INSERT INTO score_counts VALUES ('europe', 7, 5)");
             fs::rename(backup, data + "/counts.sqlite3");
         },
         5, "not applied"},
    };
    for (const Start &start : starts) {
        SCOPED_TRACE(start.name);
        TempDir dir;
        const std::string data = dir.str() + "/data";
        {
            ServerProcess server(data, {"--max-reports-per-minute", "0", "--backup-every", "0"});
            httplib::Client client("127.0.0.1", server.port());
            for (int score = 1; score <= 20; ++score)
                ASSERT_EQ(
                    client.Get("/count1/countereurope/" + std::to_string(score) + "/count.php")
                        ->status,
                    200);
            server.stop(SIGKILL);
        }
        ASSERT_TRUE(fs::exists(data + "/counts.sqlite3-wal"));
        start.apply(data);
        std::string errors;
        if (start.served < 0) {
            EXPECT_EQ(ServerProcess::run({"--listen", "127.0.0.1:0", "--data", data}, &errors), 3);
            EXPECT_NE(errors.find(start.says), std::string::npos) << errors;
            continue;
        }
        ServerProcess server(data);
        EXPECT_EQ(servedScores(server.port()), start.served);
        EXPECT_NE(server.log().find(start.says), std::string::npos) << server.log();
        server.stop(SIGTERM);
        EXPECT_EQ(storedScores(data + "/counts.sqlite3"), start.served);
        // A restore never takes the database for its own backup, and leaves it in place.
        EXPECT_EQ(ServerProcess::run(
                      {"restore", "--data", data, "--from", data + "/./counts.sqlite3"}, &errors),
                  1);
        EXPECT_NE(errors.find("is the database itself"), std::string::npos) << errors;
        EXPECT_EQ(storedScores(data + "/counts.sqlite3"), start.served);
    }
}

TEST(DatabaseFaultTest, AMissingDatabaseWhereOneWasIsOnlyStartedAfreshWhenAskedFor)
{
    TempDir dir;
    const std::string data = dir.str() + "/data";
    {
        ServerProcess server(data, {"--backup-every", "0"});
        httplib::Client client("127.0.0.1", server.port());
        ASSERT_EQ(client.Get("/count1/countereurope/7/count.php")->status, 200);
    }
    fs::remove(data + "/counts.sqlite3");
    std::string errors;
    EXPECT_EQ(ServerProcess::run({"--listen", "127.0.0.1:0", "--data", data}, &errors), 3);
    EXPECT_NE(errors.find("--create"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(data + "/counts.sqlite3"));
    // No backup to restore from: the command says so and changes nothing.
    EXPECT_EQ(ServerProcess::run({"restore", "--data", data}, &errors), 1);
    EXPECT_NE(errors.find("no good backup"), std::string::npos) << errors;

    ServerProcess fresh(data, {"--create"});
    EXPECT_EQ(servedScores(fresh.port()), 0);
    // A restore never runs under a server.
    EXPECT_EQ(ServerProcess::run({"restore", "--data", data}, &errors), 1);
    EXPECT_NE(errors.find("another server"), std::string::npos) << errors;
}

} // namespace
