#include "RequestTarget.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> keys{"asia&taiyou", "europe", "america", "chuutou&africa", "sekai"};

Route::Kind kindOf(const std::string &target)
{
    return RequestTarget(keys).route(target).kind;
}

TEST(RequestTargetTest, TheGamesPathsAreRecognisedForEveryRegion)
{
    const RequestTarget targets(keys);
    for (const std::string &key : keys) {
        SCOPED_TRACE(key);
        const Route histogram = targets.route("/kokki/" + key + ".csv");
        EXPECT_EQ(histogram.kind, Route::Kind::Histogram);
        EXPECT_EQ(histogram.region, key);

        const Route game = targets.route("/countx/" + key + "/count.php");
        EXPECT_EQ(game.kind, Route::Kind::GameCounter);
        EXPECT_EQ(game.region, key);

        const Route score = targets.route("/count1/counter" + key + "/295/count.php");
        EXPECT_EQ(score.kind, Route::Kind::ScoreCounter);
        EXPECT_EQ(score.region, key);
        EXPECT_EQ(score.score, 295);
    }
    EXPECT_EQ(targets.route("/kokki/oshirase.txt").fileName, "oshirase.txt");
    EXPECT_EQ(targets.route("/kokki/naiyou.txt").kind, Route::Kind::StaticFile);
    // Some clients escape the ampersand; it names the same region.
    EXPECT_EQ(targets.route("/count1/counterasia%26taiyou/0/count.php").region, "asia&taiyou");

    // A game's report id rides on both counters, in lower case whatever the client wrote.
    EXPECT_EQ(targets.route("/countx/europe/count.php?r=0123456789abcdef").reportId,
              "0123456789abcdef");
    const Route withId = targets.route("/count1/countereurope/5/count.php?r=0123456789ABCDEF");
    EXPECT_EQ(withId.kind, Route::Kind::ScoreCounter);
    EXPECT_EQ(withId.reportId, "0123456789abcdef");
    EXPECT_EQ(targets.route("/countx/europe/count.php").reportId, "");
}

TEST(RequestTargetTest, ScoresAreThePlainNumbersFromZeroToFiveHundred)
{
    EXPECT_EQ(RequestTarget::parseScore("0"), 0);
    EXPECT_EQ(RequestTarget::parseScore("1"), 1);
    EXPECT_EQ(RequestTarget::parseScore("500"), 500);
    for (const char *bad : {"501", "-1", "1e3", "29x", "", "007", "+5", " 5", "5 ", "0x1", "1000",
                            "4294967296", "%35"})
        EXPECT_EQ(RequestTarget::parseScore(bad), -1) << bad;
    EXPECT_EQ(kindOf("/count1/countereurope/501/count.php"), Route::Kind::NotFound);
    EXPECT_EQ(kindOf("/count1/countereurope//count.php"), Route::Kind::NotFound);
    EXPECT_EQ(kindOf("/count1/countereurope/1/2/count.php"), Route::Kind::NotFound);
}

TEST(RequestTargetTest, AnythingElseIsUnknown)
{
    for (const char *target : {"/",
                               "/kokki/",
                               "/kokki/japan.csv",
                               "/kokki/Europe.csv",
                               "/kokki/europe.CSV",
                               "/kokki/dummyz.csv",
                               "/kokki/counts.sqlite3",
                               "/counts.sqlite3",
                               "/kokki/oshirase.txt/",
                               "//kokki/oshirase.txt",
                               "/kokki//oshirase.txt",
                               "/kokki/oshirase.txt?x=1",
                               "/kokki/oshirase.txt%3F",
                               "/countx/europe/count.php?again",
                               "/countx/europe/count.php?r=0123456789abcde",
                               "/countx/europe/count.php?r=0123456789abcdef0",
                               "/countx/europe/count.php?r=0123456789abcdeg",
                               "/countx/europe/count.php?r=0123456789abcdef&r=1",
                               "/countx/europe/count.php?x=0123456789abcdef",
                               "/kokki/europe.csv?r=0123456789abcdef",
                               "/countx/japan/count.php",
                               "/countx//count.php",
                               "/countx/count.php",
                               "/count1/counter/count.php",
                               "/countx/europe/count.php/",
                               "/count1/europe/1/count.php",
                               "/count1/counter/1/count.php",
                               "/count1/counterEUROPE/1/count.php",
                               "/countx/asia&taiyou&europe/count.php",
                               "/count1/countereurope/1/count.phpx"})
        EXPECT_EQ(kindOf(target), Route::Kind::NotFound) << target;
}

TEST(RequestTargetTest, PathsThatTryToLeaveTheFolderOrHideBytesAreRefused)
{
    for (const char *target : {"/kokki/../counts.sqlite3",
                               "/kokki/%2e%2e/counts.sqlite3",
                               "/kokki/%2E%2E/x",
                               "/countx/europe%2fcount.php",
                               "/countx/europe%2Fcount.php",
                               "/kokki%5Coshirase.txt",
                               "/countx/europe/count.php?r=%zz",
                               "/kokki/./oshirase.txt",
                               "/kokki/.%2e/x",
                               "/..",
                               "/kokki/oshirase.txt%00",
                               "/kokki/oshirase.txt%00.csv",
                               "/kokki/oshirase%0d%0a.txt",
                               "/kokki/%",
                               "/kokki/%4",
                               "/kokki/%zz",
                               "/kokki\\oshirase.txt",
                               "/kokki/%5C..%5Cx",
                               "kokki/oshirase.txt",
                               "http://example.org/kokki/oshirase.txt",
                               "*",
                               "",
                               "/kokki/oshirase.txt#x"})
        EXPECT_EQ(kindOf(target), Route::Kind::BadRequest) << target;
    std::string withNul = "/kokki/oshirase.txt";
    withNul.push_back('\0');
    EXPECT_EQ(kindOf(withNul), Route::Kind::BadRequest);
}

} // namespace
