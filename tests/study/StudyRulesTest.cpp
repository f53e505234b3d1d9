#include "StudyRules.h"

#include <gtest/gtest.h>

using namespace StudyRules;

TEST(ArticleTitle, ShortNamesLeadToTheirArticlesAndNothingElseChanges)
{
    const std::pair<const char *, const char *> mapped[] = {
        {"台湾", "中華民国"},
        {"米国", "アメリカ合衆国"},
        {"ジョージア", "ジョージア (国)"},
        {"タイ", "タイ王国"},
        {"中国", "中華人民共和国"},
        {"モンゴル", "モンゴル国"},
        {"ミクロネシア", "ミクロネシア連邦"},
        {"マリ", "マリ共和国"},
        {"セントクリストファー・ネービス", "セントクリストファー・ネイビス"},
        {"セントビンセント及びグレナディーン諸島", "セントビンセント・グレナディーン"}};
    for (const auto &[name, title] : mapped)
        EXPECT_EQ(toArticleTitle(QString::fromUtf8(name)), QString::fromUtf8(title)) << name;
    // Only whole, exactly equal names are replaced, and a title is never mapped again.
    for (const char *name :
         {"日本", "ミクロネシア連邦", "中国 ", "中華人民共和国", "ﾀｲ", "タイ王国", "マリ共和国", ""})
        EXPECT_EQ(toArticleTitle(QString::fromUtf8(name)), QString::fromUtf8(name)) << name;
    EXPECT_EQ(toArticleTitle("ジョージア").toUtf8(), QByteArray("ジョージア (国)"));
}

namespace {

struct World
{
    QStringList rows;
    CountryTable::Column capitals;
};

World world(const QStringList &names, const QStringList &capitalNames)
{
    World w;
    for (int i = 0; i < names.size(); ++i) {
        w.rows.append(QStringLiteral("%1 %2").arg(i + 1).arg(names[i]));
        w.capitals[static_cast<size_t>(i + 1)] = capitalNames.value(i);
    }
    return w;
}

} // namespace

TEST(Search, MatchesRowTextOrCapitalExactlyAndTakesTheFirst)
{
    const World w = world({"台湾", "タイ", "日本", "オーストラリア"},
                          {"台北", "バンコク", "東京", "キャンベラ"});
    EXPECT_EQ(findRow(w.rows, w.capitals, ""), 0);
    EXPECT_EQ(findRow(w.rows, w.capitals, "日本"), 2);
    EXPECT_EQ(findRow(w.rows, w.capitals, "東京"), 2);
    EXPECT_EQ(findRow(w.rows, w.capitals, "ラ"), 3); // in both the name and the capital
    EXPECT_EQ(findRow(w.rows, w.capitals, "3"), 2);  // flag IDs are part of the row text
    EXPECT_EQ(findRow(w.rows, w.capitals, "1 台"), 0);
    // No folding of kana, width or case, and the key is taken as typed.
    for (const char *key : {"にほん", "たい", "ﾀｲ", "タイ ", "　タイ", "とうきょう", "存在しない"})
        EXPECT_FALSE(findRow(w.rows, w.capitals, QString::fromUtf8(key))) << key;
    EXPECT_FALSE(findRow({}, w.capitals, ""));
}

TEST(Search, ReadsTheCapitalOfTheNextFlagIdAndStopsAfterTwoHundredRows)
{
    // Row i is compared with capital i + 1: a list that does not hold ID r in row r finds
    // the capital one row early.
    World w = world({"A", "B"}, {"東京", "パリ"});
    EXPECT_EQ(findRow(w.rows, w.capitals, "パリ"), 1);
    w.rows = QStringList{"2 B", "1 A"};
    EXPECT_EQ(findRow(w.rows, w.capitals, "東京"), 0);

    QStringList rows;
    for (int i = 0; i < 230; ++i)
        rows.append(QStringLiteral("x"));
    rows[199] = QStringLiteral("within");
    rows[200] = QStringLiteral("beyond");
    CountryTable::Column none;
    EXPECT_EQ(findRow(rows, none, "within"), 199);
    EXPECT_FALSE(findRow(rows, none, "beyond"));
}

TEST(ListRow, IdUpToTheFirstBlankAndTheNameKeepsItsOwnBlanks)
{
    const auto row = readRow("176 ボスニア ヘルツェゴビナ");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->flagId, 176);
    EXPECT_EQ(row->name, "ボスニア ヘルツェゴビナ");
    EXPECT_EQ(readRow("7 ")->name, "");
    for (const char *bad : {"", "日本", " 7 x", "0 x", "201 x", "x7 y", "-3 x"})
        EXPECT_FALSE(readRow(QString::fromUtf8(bad))) << bad;
}

TEST(Gallery, EightSlotsFromTheScrollValueUpToTheLastFlag)
{
    EXPECT_EQ(galleryFirst(1), 1);
    EXPECT_EQ(galleryFirst(191), 191);
    EXPECT_EQ(galleryFirst(192), 191);
    EXPECT_EQ(galleryFirst(0), 1);
    EXPECT_EQ(galleryFirst(191) + gallerySlots - 1, galleryCells);
    const int tops[] = {440, 1540, 2640, 3740, 4840, 5940, 7040, 8140};
    for (int k = 1; k <= gallerySlots; ++k)
        EXPECT_EQ(slotTop(k), tops[k - 1]);
    EXPECT_LE(slotTop(gallerySlots) + cellHeight, 9315); // inside the frame
}
