#include "BaseList.h"
#include "CountryTable.h"
#include "SimilarityTable.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString shippedDir = QStringLiteral(FURAMIO_DATA_DIR);
constexpr int worldFlags = 198;
constexpr int topFive = 5;

int flagIdOf(const CountryTable &world, const QString &name)
{
    for (int id = 1; id <= worldFlags; ++id)
        if (world.countryNames[static_cast<size_t>(id)] == name)
            return id;
    ADD_FAILURE() << "no country named " << name.toStdString();
    return 0;
}

} // namespace

TEST(ShippedLookAlikes, EveryFlagHasTwentyOtherFlags)
{
    const QByteArray bytes = readBytes(SimilarityTable::path(shippedDir));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(bytes.count("\r\n"), worldFlags);
    EXPECT_EQ(bytes.count('\n'), worldFlags) << "every line ends in CR LF";
    const SimilarityTable table = SimilarityTable::read(bytes);
    ASSERT_EQ(table.size(), worldFlags);
    for (int id = 1; id <= worldFlags; ++id) {
        SCOPED_TRACE(id);
        // The reader drops the flag itself and repeats, so twenty left means none were there.
        const std::vector<int> &similar = table.similarTo(id);
        EXPECT_EQ(similar.size(), static_cast<size_t>(SimilarityTable::shippedNeighbours));
        EXPECT_TRUE(std::all_of(similar.begin(), similar.end(),
                                [](int other) { return other >= 1 && other <= worldFlags; }));
    }
}

TEST(ShippedLookAlikes, PairsEveryLearnerConfusesAreInEachOthersTopFive)
{
    CountryTable world;
    BaseList::load(BaseList::path(shippedDir, QStringLiteral("sekai")), world);
    const SimilarityTable table = SimilarityTable::load(SimilarityTable::path(shippedDir));
    const std::pair<const char *, const char *> pairs[] = {
        {"チャド", "ルーマニア"},
        {"インドネシア", "モナコ"},
        {"アイルランド", "コートジボワール"},
        {"オランダ", "ルクセンブルク"},
        {"オーストラリア", "ニュージーランド"},
        {"セネガル", "マリ"},
        {"ノルウェー", "アイスランド"},
        {"スロベニア", "スロバキア"},
        // blue-white-blue with an emblem, and red-white-red, whatever the shade
        {"ホンジュラス", "ニカラグア"},
        {"ホンジュラス", "エルサルバドル"},
        {"ラトビア", "オーストリア"},
        // the same layout in other colours: a disc on a plain field, the Nordic cross, quarters
        {"日本", "バングラデシュ"},
        {"日本", "パラオ"},
        {"バングラデシュ", "パラオ"},
        {"スウェーデン", "フィンランド"},
        {"ドミニカ共和国", "パナマ"},
        // the same colours, turned or in stripes of other widths
        {"ベルギー", "ドイツ"},
        {"ベネズエラ", "コロンビア"},
        {"ベネズエラ", "エクアドル"},
        // a pall from the hoist; a gold sun on blue and white stripes, in other shades of blue
        {"バヌアツ", "南アフリカ"},
        {"アルゼンチン", "ウルグアイ"},
    };
    const auto firstFive = [&](int from) {
        const std::vector<int> &similar = table.similarTo(from);
        return std::vector<int>(similar.begin(),
                                similar.begin() + std::min<size_t>(topFive, similar.size()));
    };
    for (const auto &[first, second] : pairs) {
        const int a = flagIdOf(world, QString::fromUtf8(first));
        const int b = flagIdOf(world, QString::fromUtf8(second));
        for (const auto &[from, to] : {std::pair{a, b}, std::pair{b, a}}) {
            const std::vector<int> five = firstFive(from);
            EXPECT_NE(std::find(five.begin(), five.end(), to), five.end())
                << from << " lacks " << to << " among its first five (" << first << "/" << second
                << ")";
        }
    }
    // First choices no learner makes: the colours are near, the layouts nothing alike.
    const std::pair<const char *, const char *> neverFirst[] = {
        {"アフガニスタン", "バングラデシュ"}, {"英国", "ジョージア"},
        {"南アフリカ", "オランダ"},           {"ペルー", "チュニジア"},
        {"ブータン", "マリ"},                 {"ブルンジ", "モーリタニア"},
        {"セーシェル", "ベラルーシ"},         {"バヌアツ", "ベラルーシ"},
        {"ドミニカ共和国", "ラトビア"},
    };
    for (const auto &[from, to] : neverFirst) {
        const std::vector<int> &similar = table.similarTo(flagIdOf(world, QString::fromUtf8(from)));
        ASSERT_FALSE(similar.empty()) << from;
        EXPECT_NE(similar.front(), flagIdOf(world, QString::fromUtf8(to))) << from << " → " << to;
    }
}
