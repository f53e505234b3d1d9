#include "CounterStore.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <numeric>
#include <thread>

namespace {

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            result.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        result.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

long long total(const std::string &histogram)
{
    long long sum = 0;
    for (const auto &line : lines(histogram))
        sum += std::stoll(line);
    return sum;
}

TEST(CounterStoreTest, HistogramHasFiveHundredCountsAndLeavesScoreZeroOut)
{
    TempDir dir;
    CounterStore store(dir.str() + "/counts.sqlite3");
    const auto empty = lines(*store.histogram("europe"));
    ASSERT_EQ(empty.size(), 500U);
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](auto &l) { return l == "0"; }));

    EXPECT_EQ(store.countScore("europe", 0), 1);
    EXPECT_EQ(store.countScore("europe", 1), 1);
    EXPECT_EQ(store.countScore("europe", 295), 1);
    EXPECT_EQ(store.countScore("europe", 295), 2);
    EXPECT_EQ(store.countScore("europe", 500), 1);
    EXPECT_EQ(store.countScore("america", 295), 1);

    const auto counted = lines(*store.histogram("europe"));
    ASSERT_EQ(counted.size(), 500U);
    EXPECT_EQ(counted[0], "1");                      // score 1
    EXPECT_EQ(counted[294], "2");                    // score 295
    EXPECT_EQ(counted[499], "1");                    // score 500
    EXPECT_EQ(total(*store.histogram("europe")), 4); // the report of 0 is kept but has no line
    EXPECT_EQ(store.scoreCounts("europe")[0], 1);

    EXPECT_THROW(store.countScore("europe", 501), StoreError);
    EXPECT_THROW(store.countScore("europe", -1), StoreError);
}

TEST(CounterStoreTest, KeptHistogramIsReplacedByTheNextCountOfItsRegionOnly)
{
    TempDir dir;
    CounterStore store(dir.str() + "/counts.sqlite3");
    const auto before = store.histogram("sekai");
    const auto otherBefore = store.histogram("europe");
    EXPECT_EQ(store.histogram("sekai").get(), before.get()); // kept between fetches

    store.countScore("sekai", 3);
    const auto after = store.histogram("sekai");
    EXPECT_NE(*after, *before);
    EXPECT_EQ(lines(*after)[2], "1");
    EXPECT_EQ(store.histogram("europe").get(), otherBefore.get());

    // Game counts do not touch the histogram.
    EXPECT_EQ(store.countGame("sekai"), 1);
    EXPECT_EQ(store.countGame("sekai"), 2);
    EXPECT_EQ(store.histogram("sekai").get(), after.get());
    EXPECT_EQ(store.games("sekai"), 2);
    EXPECT_EQ(store.games("europe"), 0);
}

TEST(CounterStoreTest, CountsSurviveReopeningAndTheLogIsWriteAhead)
{
    TempDir dir;
    const std::string path = dir.str() + "/counts.sqlite3";
    {
        CounterStore store(path);
        for (int i = 0; i < 7; ++i)
            store.countScore("america", 120);
        store.countGame("america");
    }
    CounterStore store(path);
    EXPECT_EQ(store.scoreCounts("america")[120], 7);
    EXPECT_EQ(store.games("america"), 1);
    EXPECT_EQ(store.countScore("america", 120), 8);

    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), "wal");
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST(CounterStoreTest, ConcurrentCountsAndFetchesLoseNothing)
{
    TempDir dir;
    CounterStore store(dir.str() + "/counts.sqlite3");
    constexpr int writers = 6;
    constexpr int perWriter = 300;
    std::atomic<bool> done{false};
    std::atomic<int> badSnapshots{0};
    std::thread reader([&] {
        long long last = 0;
        while (!done) {
            const long long sum = total(*store.histogram("europe"));
            if (sum < last) // counts only grow; a snapshot never goes back
                ++badSnapshots;
            last = sum;
        }
    });
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w)
        threads.emplace_back([&store, w] {
            for (int i = 0; i < perWriter; ++i)
                store.countScore("europe", 1 + (w * perWriter + i) % 500);
        });
    for (auto &t : threads)
        t.join();
    done = true;
    reader.join();

    const auto counts = store.scoreCounts("europe");
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0LL), writers * perWriter);
    EXPECT_EQ(total(*store.histogram("europe")), writers * perWriter);
    EXPECT_EQ(badSnapshots, 0);
}

TEST(CounterStoreTest, AReportIdIsCountedOncePerCounterAndOldIdsAreForgotten)
{
    TempDir dir;
    const std::string path = dir.str() + "/counts.sqlite3";
    {
        CounterStore store(path);
        EXPECT_EQ(store.countGame("europe", "00000000000000aa"), 1);
        EXPECT_EQ(store.countScore("europe", 295, "00000000000000aa"), 1);
        EXPECT_EQ(store.countGame("europe", "00000000000000aa"), 1);
        EXPECT_EQ(store.countScore("europe", 295, "00000000000000aa"), 1);
        EXPECT_EQ(store.countScore("europe", 295, "00000000000000bb"), 2);
        EXPECT_EQ(store.countScore("europe", 295), 3);
        EXPECT_EQ(store.countScore("europe", 295), 4); // without an id, as before
        EXPECT_EQ(store.games("europe"), 1);
    }
    // Remembered across a restart; an id counted more than a week ago is forgotten.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE counted_reports SET at = at - 8 * 86400 WHERE id LIKE '%bb'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    CounterStore store(path);
    EXPECT_EQ(store.countGame("europe", "00000000000000aa"), 1);
    EXPECT_EQ(store.countScore("europe", 295, "00000000000000bb"), 5);
}

TEST(CounterStoreTest, UnusableDatabaseIsReported)
{
    TempDir dir;
    EXPECT_THROW(CounterStore(dir.str() + "/missing/folder/counts.sqlite3"), StoreError);
    {
        std::FILE *junk = std::fopen((dir.str() + "/junk.sqlite3").c_str(), "w");
        std::fputs("this is not a database, just some text that is long enough to matter....",
                   junk);
        std::fclose(junk);
    }
    EXPECT_THROW(CounterStore(dir.str() + "/junk.sqlite3"), StoreError);
}

TEST(CounterStoreTest, TheLogStaysSmallAndIsEmptiedOnOpening)
{
    TempDir dir;
    const std::string path = dir.str() + "/counts.sqlite3";
    const auto logSize = [&] {
        std::error_code ignored;
        const auto size = std::filesystem::file_size(path + "-wal", ignored);
        return ignored ? 0 : size;
    };
    {
        CounterStore store(path);
        for (int i = 0; i < 5000; ++i) {
            store.countScore("europe", i % 501);
            ASSERT_LE(logSize(), (CounterStore::logPages + 8) * 4096U) << "after " << i;
        }
    }
    CounterStore reopened(path);
    EXPECT_EQ(logSize(), 0U);
    EXPECT_EQ(reopened.scoreCounts("europe")[500], 9);
}

} // namespace
