// The world map window over the shipped map and lists, on the two screen sizes players have most,
// 1920×1080 and 1366×768, set side by side as two off-screen screens.
#include "WorldMapView.h"
#include "BaseList.h"
#include "Controls.h"
#include "Fakes.h"
#include "MapCanvas.h"
#include "OffscreenScreens.h"
#include "PlayerData.h"
#include "ProgramFolder.h"
#include "ReviewSchedule.h"
#include "ScreenReaderLog.h"
#include "TestFiles.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

const QString shippedData = QStringLiteral(FURAMIO_DATA_DIR);
constexpr int japan = 124;
constexpr int tuvalu = 108;
constexpr int liechtenstein = 191;
constexpr int luxembourg = 194;
const QDate today(2026, 12, 9);

// The player's files of `folder`; the map only reads them.
struct DataIn
{
    explicit DataIn(const QString &folder) : data(folder, clock, [](const QString &) {}) {}
    FakeClock clock;
    PlayerData data;
};

using ReviewSchedule::Direction;

ReviewSchedule::CardState card(double stability, int daysSinceReview, int daysToDue)
{
    return {{stability, 5.0}, today.addDays(-daysSinceReview), today.addDays(daysToDue), 3, 0};
}

// A schedule file in which every flag has a card, most of them both ways; Japan is solid one
// way, Tuvalu never asked.
void writeSchedule(const QString &folder)
{
    ReviewSchedule::Schedule schedule;
    for (int id = 1; id <= 198; ++id) {
        if (id == tuvalu)
            continue;
        const ReviewSchedule::CardState state = card(1 + id % 40, id % 7, id % 9 - 1);
        schedule[{id, Direction::NameToFlag}] = state;
        if (id % 3)
            schedule[{id, Direction::FlagToName}] = state;
    }
    schedule[{japan, Direction::NameToFlag}] = card(100, 1, 30);
    schedule.erase({japan, Direction::FlagToName});
    writeBytes(ReviewSchedule::path(folder), ReviewSchedule::bytes(schedule));
}

// A click as the window system brings it, at a place on the globe.
void clickAt(WorldMapView &view, double lon, double lat)
{
    MapCanvas *canvas = view.canvas();
    const QPoint at = canvas->mapTo(&view, canvas->positionOf(lon, lat).toPoint());
    QTest::mouseClick(view.windowHandle(), Qt::LeftButton, {}, at);
}

QString nameShown(WorldMapView &view, int line = 0)
{
    return control<QLabel>(&view, "LabelName")->text().section('\n', line, line);
}

class MapOnScreen : public ::testing::TestWithParam<const char *>
{
};

} // namespace

TEST_P(MapOnScreen, AClickOnJapanOrOnTuvaluSelectsIt)
{
    QScreen *screen = screenNamed(QString::fromLatin1(GetParam()));
    ASSERT_TRUE(screen);
    QTemporaryDir dataDir;
    writeSchedule(dataDir.path());
    const DataIn data(dataDir.path());
    WorldMapView view(shippedData, data.data);
    view.setScreen(screen);
    view.open(today);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(screen->availableGeometry().contains(view.frameGeometry()));
    ASSERT_TRUE(view.canvas()->message().isEmpty());

    clickAt(view, 139.7, 35.7); // Tokyo
    EXPECT_EQ(view.selectedFlag(), japan);
    EXPECT_EQ(nameShown(view), "日本");
    // The state is named as the legend names it, beside each way in the record.
    EXPECT_EQ(nameShown(view, 1), "しっかり覚えた");
    const QString record = control<QLabel>(&view, "LabelRecord")->text();
    EXPECT_TRUE(record.contains("名→旗 しっかり覚えた・次の復習: 1月8日")) << record.toStdString();
    EXPECT_TRUE(record.contains("旗→名 まだ出題されていません")) << record.toStdString();

    // The arrows walk the map to the nearest country that way; the map keeps the focus, is
    // named after the country reached and tells it to a screen reader with its state.
    view.canvas()->setFocus();
    ScreenReaderLog reader;
    for (const auto &[key, name] : {std::pair{Qt::Key_Left, "韓国"},
                                    {Qt::Key_Right, "日本"},
                                    {Qt::Key_Up, "北朝鮮"},
                                    {Qt::Key_Down, "韓国"},
                                    {Qt::Key_Down, "台湾"},
                                    {Qt::Key_Left, "ベトナム"}}) {
        QTest::keyClick(view.canvas(), key);
        EXPECT_EQ(nameShown(view).toStdString(), name);
        const QString spoken = name + QStringLiteral("　") + nameShown(view, 1);
        EXPECT_EQ(view.canvas()->accessibleName(), spoken);
        EXPECT_EQ(reader.takeAnnounced(), QStringList{spoken});
    }
    // Enter studies the country reached, as 国名から学習 does.
    QSignalSpy opened(&view, &WorldMapView::studyRequested);
    QTest::keyClick(view.canvas(), Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), view.selectedFlag());

    // Every country is reached by the arrows alone, those crowded in Europe included.
    std::set<int> reached{view.selectedFlag()};
    std::vector<int> todo{view.selectedFlag()};
    while (!todo.empty()) {
        view.canvas()->setSelected(todo.back());
        todo.pop_back();
        for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
            const int next = view.canvas()->neighbourOf(key);
            if (next && reached.insert(next).second)
                todo.push_back(next);
        }
    }
    EXPECT_EQ(reached.size(), 198u);

    // Funafuti: far too small for an outline at world scale, an island the data has no shape
    // for at all at this scale.
    EXPECT_TRUE(view.canvas()->drawnAsMarker(tuvalu));
    clickAt(view, 179.2, -8.5);
    EXPECT_EQ(view.selectedFlag(), tuvalu);
    EXPECT_EQ(nameShown(view), "ツバル");
    EXPECT_EQ(nameShown(view, 1), "まだ出題されていません");
    EXPECT_FALSE(control<QLabel>(&view, "ImageFlag")->pixmap().isNull());

    QSignalSpy study(&view, &WorldMapView::studyRequested);
    QTest::mouseClick(control<QPushButton>(&view, "CommandStudy"), Qt::LeftButton);
    ASSERT_EQ(study.size(), 1);
    EXPECT_EQ(study.at(0).at(0).toInt(), tuvalu);

    // The open sea is no country: the selection stays.
    clickAt(view, -150, -40);
    EXPECT_EQ(view.selectedFlag(), tuvalu);

    // The wheel and + zoom in where the player looks, until the small countries of Europe lie
    // apart to be clicked; - goes back to the whole world.
    MapCanvas *canvas = view.canvas();
    const QPointF alps = canvas->positionOf(9.5, 47.2);
    const auto apart = [canvas] {
        const QPointF gap = canvas->positionOf(9.55, 47.16) - canvas->positionOf(6.13, 49.8);
        return std::hypot(gap.x(), gap.y());
    };
    const double apartAtWorldScale = apart();
    for (int notch = 0; notch < 6; ++notch) {
        QWheelEvent wheel(alps, canvas->mapToGlobal(alps), {}, {0, 120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
    }
    clickAt(view, 6.13, 49.8);
    EXPECT_EQ(view.selectedFlag(), luxembourg);
    for (int press = 0; press < 4; ++press)
        QTest::keyClick(canvas, Qt::Key_Plus);
    clickAt(view, 9.55, 47.16);
    EXPECT_EQ(view.selectedFlag(), liechtenstein);
    EXPECT_GT(apart(), 6 * apartAtWorldScale);
    // A drag pushes the zoomed map along and picks nothing.
    clickAt(view, 6.13, 49.8);
    ASSERT_EQ(view.selectedFlag(), luxembourg);
    const QPoint from = canvas->mapTo(&view, canvas->positionOf(9.55, 47.16).toPoint());
    QTest::mousePress(view.windowHandle(), Qt::LeftButton, {}, from);
    for (int step = 1; step <= 5; ++step)
        QTest::mouseMove(view.windowHandle(), from + QPoint(20 * step, 0));
    QTest::mouseRelease(view.windowHandle(), Qt::LeftButton, {}, from + QPoint(100, 0));
    EXPECT_EQ(view.selectedFlag(), luxembourg);
    EXPECT_NEAR(canvas->mapTo(&view, canvas->positionOf(9.55, 47.16).toPoint()).x(),
                from.x() + 100, 2);
    for (int press = 0; press < 20; ++press)
        QTest::keyClick(canvas, Qt::Key_Minus);
    EXPECT_EQ(canvas->zoom(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Screens, MapOnScreen, ::testing::Values("wide", "laptop"));

TEST(WorldMapView, TheCountsOfEachRegionAddUpToItsList)
{
    QTemporaryDir dataDir;
    writeSchedule(dataDir.path());
    const DataIn data(dataDir.path());
    WorldMapView view(shippedData, data.data);
    view.reload(today);
    for (MapStates::Direction d : {MapStates::Direction::NameToFlag,
                                   MapStates::Direction::FlagToName, MapStates::Direction::Both}) {
        view.setDirection(d);
        int regionsTotal = 0;
        for (int r = 0; r < Regions::count; ++r) {
            CountryTable table;
            const BaseListLoad load =
                BaseList::load(BaseList::path(shippedData, Regions::at(r).key), table);
            EXPECT_EQ(view.regionCounts()[size_t(r)].total(), load.recordCount)
                << Regions::at(r).key.toStdString();
            if (r < Regions::count - 1)
                regionsTotal += view.regionCounts()[size_t(r)].total();
        }
        EXPECT_EQ(regionsTotal, view.regionCounts()[Regions::count - 1].total());
        // A screen reader hears the bars' figures as words.
        const MapStates::StateCounts &world = view.regionCounts()[Regions::count - 1];
        EXPECT_TRUE(
            control<QWidget>(&view, "RegionBars")
                ->accessibleDescription()
                .endsWith(
                    QStringLiteral("世界編：しっかり覚えた %1、覚えている %2、覚えている途中 %3、"
                                   "まだ出題されていません %4")
                        .arg(world.of(MapStates::State::Solid))
                        .arg(world.of(MapStates::State::Known))
                        .arg(world.of(MapStates::State::Learning))
                        .arg(world.of(MapStates::State::NeverAsked))));
    }
}

TEST(WorldMapView, WithoutTheMapFileTheWindowSaysSoAndTheRestWorks)
{
    ProgramFolder folder;
    writeSchedule(folder.path());
    const DataIn data(folder.path());
    WorldMapView view(folder.path(), data.data);
    view.open(today);
    EXPECT_EQ(view.canvas()->message(), "地図のファイル chizu.csv がありません。");
    EXPECT_EQ(view.regionCounts()[Regions::count - 1].total(), 198);
    EXPECT_GT(view.dueCounts()[0], 0);
    view.selectCountry(5);
    EXPECT_EQ(nameShown(view), ProgramFolder::countryName(5));
    EXPECT_TRUE(control<QPushButton>(&view, "CommandStudy")->isEnabled());

    folder.writeFile("chizu.csv", "chizu,1\r\n1\r\n5,0,0,1\r\n3,0,0,1\r\n");
    WorldMapView damaged(folder.path(), data.data);
    EXPECT_EQ(damaged.canvas()->message(), "地図のファイル chizu.csv の 4 行目が壊れています。");
}

int main(int argc, char **argv)
{
    return runWindowTests(argc, argv, {{"wide", 1920, 1080}, {"laptop", 1366, 768}});
}
