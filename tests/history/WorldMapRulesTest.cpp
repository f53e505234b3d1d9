#include "BaseList.h"
#include "MapStates.h"
#include "TestFiles.h"
#include "WorldOutlines.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

using MapStates::CardRecall;
using MapStates::Direction;
using MapStates::FlagRecall;
using MapStates::State;

const QByteArray goodFile = "chizu,1\r\n"
                            "2\r\n"
                            "124,1397,357,1\r\n"
                            "3,1300,300,1400,300,1400,400\r\n"
                            "0,0,0,0\r\n";

} // namespace

TEST(WorldOutlines, ReadsAFileAndRefusesEveryDamagedOneWholeNamingTheLine)
{
    const WorldOutlines::Outlines good = WorldOutlines::parse(goodFile);
    ASSERT_FALSE(good.error);
    ASSERT_EQ(good.shapes.size(), 2u);
    EXPECT_EQ(good.shapes[0].flagId, 124);
    EXPECT_EQ(good.shapes[0].point.lon, 1397);
    ASSERT_EQ(good.shapes[0].rings.size(), 1u);
    EXPECT_EQ(good.shapes[0].rings[0][2].lat, 400);
    EXPECT_FALSE(WorldOutlines::parse(QByteArray(goodFile).replace("\r\n", "\n")).error);

    struct Case
    {
        const char *why;
        QByteArray data;
        int line;
    };
    const Case cases[] = {
        {"empty", "", 1},
        {"another version", QByteArray(goodFile).replace("chizu,1", "chizu,2"), 1},
        {"count not a number", QByteArray(goodFile).replace("\r\n2\r\n", "\r\nx\r\n"), 2},
        {"fewer shapes than counted", QByteArray(goodFile).replace("\r\n2\r\n", "\r\n3\r\n"), 6},
        {"a line after the last shape", goodFile + "1,0,0,0\r\n", 6},
        {"cut inside a ring", goodFile.left(goodFile.indexOf("1400,400")), 4},
        {"ring ends early", QByteArray(goodFile).replace(",1400,400", ""), 4},
        {"a ring of two points", QByteArray(goodFile).replace("3,1300,300,", "2,"), 4},
        {"latitude off the globe", QByteArray(goodFile).replace("1400,400", "1400,901"), 4},
        {"flag ID out of range", QByteArray(goodFile).replace("124,", "201,"), 3},
        {"negative ring count", QByteArray(goodFile).replace("357,1", "357,-1"), 3},
        {"blank inside a number", QByteArray(goodFile).replace("1397", " 1397"), 3},
        {"flag ID repeated", "chizu,1\r\n2\r\n5,0,0,0\r\n5,0,0,0\r\n", 4},
        {"ring count far beyond the limit", QByteArray(goodFile).replace("357,1", "357,99999999"),
         3},
    };
    for (const Case &c : cases) {
        const WorldOutlines::Outlines read = WorldOutlines::parse(c.data);
        ASSERT_TRUE(read.error) << c.why;
        EXPECT_EQ(read.error->cause, WorldOutlines::Error::Cause::Damaged) << c.why;
        EXPECT_EQ(read.error->line, c.line) << c.why;
        EXPECT_TRUE(read.shapes.empty()) << c.why;
        EXPECT_TRUE(read.error->message().contains(QString::number(c.line) + " 行目")) << c.why;
    }

    QTemporaryDir dir;
    const WorldOutlines::Outlines missing = WorldOutlines::load(dir.filePath("chizu.csv"));
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->message(), "地図のファイル chizu.csv がありません。");
}

// Every flag of the world list is on the shipped map, once, with a point to draw it at; the file
// stays small enough to ship.
TEST(WorldOutlines, TheShippedMapHoldsEveryCountryOfTheWorldList)
{
    const QString data = QStringLiteral(FURAMIO_DATA_DIR);
    const QByteArray bytes = readBytes(WorldOutlines::path(data));
    EXPECT_LT(bytes.size(), 512 * 1024);
    const WorldOutlines::Outlines map = WorldOutlines::parse(bytes);
    ASSERT_FALSE(map.error) << map.error->message().toStdString();
    std::set<int> onMap;
    for (const WorldOutlines::Shape &shape : map.shapes) {
        if (shape.flagId > 0)
            onMap.insert(shape.flagId);
    }
    CountryTable table;
    const BaseListLoad world = BaseList::load(BaseList::path(data, "sekai"), table);
    ASSERT_EQ(world.recordCount, 198);
    std::set<int> listed;
    for (int row = 1; row <= world.recordCount; ++row)
        listed.insert(table.flagIds[static_cast<size_t>(row)].toInt());
    EXPECT_EQ(onMap, listed);
}

TEST(MapStates, StateOfAFlagByDirection)
{
    const QDate today(2026, 12, 9);
    const QDate tomorrow = today.addDays(1);
    const QDate lastWeek = today.addDays(-7);
    const CardRecall solid{0.95, tomorrow, lastWeek};
    const CardRecall known{0.8, tomorrow, lastWeek};
    const CardRecall weak{0.5, tomorrow, lastWeek};
    const auto card = [&](double recall) { return CardRecall{recall, tomorrow, lastWeek}; };
    constexpr Direction nameToFlag = Direction::NameToFlag;
    struct Case
    {
        const char *why;
        FlagRecall flag;
        Direction direction;
        State expected;
    };
    const Case cases[] = {
        {"never asked", {}, nameToFlag, State::NeverAsked},
        {"never asked either way", {}, Direction::Both, State::NeverAsked},
        {"asked the other way only", {{}, solid}, nameToFlag, State::NeverAsked},
        {"over 0.9", {solid, {}}, nameToFlag, State::Solid},
        {"exactly 0.9 is known", {card(0.9), {}}, nameToFlag, State::Known},
        {"exactly 0.7 is known", {card(0.7), {}}, nameToFlag, State::Known},
        {"below 0.7", {weak, {}}, nameToFlag, State::Learning},
        {"due today after a right answer: known",
         {CardRecall{0.89, today, lastWeek}, {}},
         nameToFlag,
         State::Known},
        {"missed today: recall 1 on the day, yet learning",
         {CardRecall{1.0, today, today}, {}},
         nameToFlag,
         State::Learning},
        {"due today, recall still over 0.9: known, never solid",
         {CardRecall{0.95, today, lastWeek, today}, {}},
         nameToFlag,
         State::Known},
        {"missed, then right minutes ago: known until it lasts a day",
         {CardRecall{1.0, tomorrow, today, today}, {}},
         nameToFlag,
         State::Known},
        {"missed days ago, not reviewed since",
         {{}, CardRecall{0.8, lastWeek, lastWeek}},
         Direction::FlagToName,
         State::Learning},
        {"no due day", {CardRecall{0.95, QDate(), lastWeek}, {}}, nameToFlag, State::Learning},
        {"not a number", {card(std::nan("")), {}}, nameToFlag, State::Learning},
        {"both: the weaker", {solid, known}, Direction::Both, State::Known},
        {"both: the weaker, other way", {weak, solid}, Direction::Both, State::Learning},
        {"both: one way never asked is not yet known",
         {solid, {}},
         Direction::Both,
         State::Learning},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MapStates::stateOf(c.flag, c.direction), c.expected) << c.why;
}

TEST(MapStates, RegionCountsAddUpAndDueReviewsFallOnTheirDays)
{
    const QDate today(2026, 12, 9);
    MapStates::RecallTable table;
    const QDate before = today.addDays(-20);
    table[1] = {CardRecall{0.95, today.addDays(10), before},
                CardRecall{0.5, today.addDays(-2), before}};
    table[2] = {CardRecall{0.8, today.addDays(3), before}, std::nullopt};
    table[3] = {std::nullopt, CardRecall{0.99, today.addDays(6), before}};
    table[150] = {CardRecall{0.95, today.addDays(7), before}, std::nullopt}; // not in the region

    const QList<int> region{1, 2, 3, 4, 2};
    for (Direction d : {Direction::NameToFlag, Direction::FlagToName, Direction::Both})
        EXPECT_EQ(MapStates::countStates(region, table, d).total(), 4);
    const MapStates::StateCounts both = MapStates::countStates(region, table, Direction::Both);
    EXPECT_EQ(both.of(State::Learning), 3); // 1 is weak one way, 2 and 3 asked one way only
    EXPECT_EQ(both.of(State::NeverAsked), 1);

    using Days = std::array<int, MapStates::dueDays>;
    EXPECT_EQ(MapStates::dueCounts(table, Direction::NameToFlag, today),
              (Days{0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(MapStates::dueCounts(table, Direction::FlagToName, today),
              (Days{1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(MapStates::dueCounts(table, Direction::Both, today), (Days{1, 0, 0, 1, 0, 0, 1}));
}
