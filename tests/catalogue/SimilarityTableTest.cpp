#include "SimilarityTable.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using Ids = std::vector<int>;

TEST(SimilarityTable, ReadsLinesAndPassesOverThoseItCannotRead)
{
    const SimilarityTable table = SimilarityTable::read("1,127,109,144\r\n"
                                                        "2, 62 ,41\r\n"
                                                        "\r\n"
                                                        "3,4,x,5\r\n"    // not a number
                                                        "4,0,5\r\n"      // 0 names no flag
                                                        "201,5,6\r\n"    // beyond the table
                                                        "5\r\n"          // no look-alike
                                                        "6,\r\n"         // empty field
                                                        "2,7,8\r\n"      // second line for 2
                                                        "7,8,7,9,8,10\n" // self and repeats
                                                        "200,199");      // no line end
    EXPECT_EQ(table.similarTo(1), (Ids{127, 109, 144}));
    EXPECT_EQ(table.similarTo(2), (Ids{62, 41}));
    for (const int skipped : {3, 4, 5, 6, 201})
        EXPECT_TRUE(table.similarTo(skipped).empty()) << skipped;
    EXPECT_EQ(table.similarTo(7), (Ids{8, 9, 10}));
    EXPECT_EQ(table.similarTo(200), (Ids{199}));
    EXPECT_EQ(table.size(), 4);
    EXPECT_TRUE(table.similarTo(0).empty());
    EXPECT_TRUE(table.similarTo(-3).empty());
}

TEST(SimilarityTable, MissingOrEmptyFileGivesAnEmptyTable)
{
    QTemporaryDir dir;
    const SimilarityTable missing = SimilarityTable::load(SimilarityTable::path(dir.path()));
    EXPECT_TRUE(missing.isEmpty());
    EXPECT_TRUE(missing.similarTo(1).empty());
    EXPECT_TRUE(SimilarityTable::read(QByteArray()).isEmpty());
    EXPECT_EQ(SimilarityTable::path(QStringLiteral("/p")), QStringLiteral("/p/niteru.csv"));
}
