#include "RequestHandler.h"
#include "CounterStore.h"
#include "KokkiFolder.h"
#include "RateLimiter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path &path, const std::string &content)
{
    std::ofstream(path, std::ios::binary) << content;
}

struct Server
{
    TempDir dir;
    KokkiFolder folder{dir.str()};
    CounterStore store{dir.str() + "/counts.sqlite3"};
    RequestTarget targets{{"asia&taiyou", "europe", "america", "chuutou&africa", "sekai"}};
    RateLimiter limiter;
    RequestHandler handler{targets, store, folder, limiter};

    explicit Server(unsigned cap = 0) : limiter(cap) {}
    Reply get(const std::string &target, const std::string &client = "127.0.0.1")
    {
        return handler.handle("GET", target, client);
    }
};

TEST(KokkiFolderTest, FirstStartAnnouncesNoNewsAndKeepsAnExistingNotice)
{
    TempDir dir;
    {
        KokkiFolder folder(dir.str() + "/data");
        EXPECT_EQ(folder.read("oshirase.txt"), std::optional<std::string>("<no news>"));
        EXPECT_EQ(folder.read("naiyou.txt"), std::nullopt);
        folder.writeAtomically("oshirase.txt", "oshirase");
    }
    KokkiFolder again(dir.str() + "/data");
    EXPECT_EQ(again.read("oshirase.txt"), std::optional<std::string>("oshirase"));
    for (const auto &entry : fs::directory_iterator(dir.path() / "data" / "kokki"))
        EXPECT_EQ(entry.path().filename(), "oshirase.txt"); // no temporary file left behind
}

TEST(KokkiFolderTest, ServesOnlyRegularFilesInsideTheFolder)
{
    TempDir dir;
    KokkiFolder folder(dir.str());
    const fs::path kokki = dir.path() / "kokki";
    writeFile(dir.path() / "secret.txt", "secret");
    fs::create_symlink(dir.path() / "secret.txt", kokki / "naiyou.txt");
    EXPECT_EQ(folder.read("naiyou.txt"), std::nullopt);
    fs::remove(kokki / "naiyou.txt");
    fs::create_directory(kokki / "naiyou.txt");
    EXPECT_EQ(folder.read("naiyou.txt"), std::nullopt);
    fs::remove(kokki / "naiyou.txt");
    ASSERT_EQ(mkfifo((kokki / "naiyou.txt").c_str(), 0644), 0);
    EXPECT_EQ(folder.read("naiyou.txt"), std::nullopt); // and does not hang
    EXPECT_EQ(folder.read("../secret.txt"), std::nullopt);

    writeFile(dir.path() / "elsewhere", "x");
    TempDir other;
    fs::create_directory_symlink(dir.path(), other.path() / "kokki");
    EXPECT_THROW(KokkiFolder{other.str()}, FolderError);
}

TEST(RequestHandlerTest, ServesFilesHistogramsAndCountsWithTheirTypes)
{
    Server server;
    const Reply notice = server.get("/kokki/oshirase.txt");
    EXPECT_EQ(notice.status, 200);
    EXPECT_EQ(notice.content(), "<no news>");
    EXPECT_EQ(server.get("/kokki/naiyou.txt").status, 404);

    EXPECT_EQ(server.get("/countx/europe/count.php").body, "1\r\n");
    const Reply counted = server.get("/count1/countereurope/295/count.php");
    EXPECT_EQ(counted.status, 200);
    EXPECT_EQ(counted.body, "1\r\n");
    EXPECT_EQ(counted.contentType, "text/plain; charset=us-ascii");

    const Reply histogram = server.get("/kokki/europe.csv");
    EXPECT_EQ(histogram.status, 200);
    EXPECT_EQ(histogram.contentType, "text/plain; charset=us-ascii");
    EXPECT_EQ(histogram.content(), *server.store.histogram("europe"));
    EXPECT_EQ(server.store.scoreCounts("europe")[295], 1);
    EXPECT_EQ(server.store.games("europe"), 1);
}

TEST(RequestHandlerTest, RefusedRequestsChangeNothing)
{
    Server server(2);
    const std::string before = *server.store.histogram("europe");

    EXPECT_EQ(server.get("/count1/countereurope/501/count.php").status, 404);
    EXPECT_EQ(server.get("/count1/countereurope/%2e%2e/count.php").status, 400);
    EXPECT_EQ(server.handler.handle("HEAD", "/count1/countereurope/5/count.php", "a").status, 405);
    EXPECT_EQ(server.handler.handle("POST", "/countx/europe/count.php", "a").status, 405);
    EXPECT_EQ(server.handler.handle("HEAD", "/kokki/europe.csv", "a").status, 200);

    EXPECT_EQ(server.get("/count1/countereurope/5/count.php", "a").status, 200);
    EXPECT_EQ(server.get("/countx/europe/count.php", "a").status, 200);
    const Reply over = server.get("/count1/countereurope/5/count.php", "a");
    EXPECT_EQ(over.status, 429);
    EXPECT_NE(std::find_if(over.headers.begin(), over.headers.end(),
                           [](auto &h) { return h.first == "Retry-After"; }),
              over.headers.end());
    EXPECT_EQ(server.get("/count1/countereurope/5/count.php", "b").status, 200);

    EXPECT_EQ(server.store.scoreCounts("europe")[5], 2); // from a and b only
    EXPECT_EQ(server.store.games("europe"), 1);
    EXPECT_NE(*server.store.histogram("europe"), before);
}

} // namespace
