// The world map window over the shipped map and lists, on the two screen sizes players have most,
// 1920×1080 and 1366×768, set side by side as two off-screen screens.
#include "WorldMapView.h"
#include "BaseList.h"
#include "Controls.h"
#include "Fonts.h"
#include "MapCanvas.h"
#include "ProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

using MapStates::CardRecall;

const QString shippedData = QStringLiteral(FURAMIO_DATA_DIR);
constexpr int japan = 124;
constexpr int tuvalu = 108;
const QDate today(2026, 12, 9);

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// A schedule in which every flag has some figure, most of them both ways.
MapStates::RecallTable fullSchedule()
{
    MapStates::RecallTable table;
    for (int id = 1; id <= 198; ++id) {
        const CardRecall card{0.5 + (id % 50) / 100.0, today.addDays(id % 9 - 1)};
        table[id] = {card, id % 3 ? std::optional<CardRecall>(card) : std::nullopt};
    }
    return table;
}

// A click as the window system brings it, at a place on the globe.
void clickAt(WorldMapView &view, double lon, double lat)
{
    MapCanvas *canvas = view.canvas();
    const QPoint at = canvas->mapTo(&view, canvas->positionOf(lon, lat).toPoint());
    QTest::mouseClick(view.windowHandle(), Qt::LeftButton, {}, at);
}

QString nameShown(WorldMapView &view)
{
    return control<QLabel>(&view, "LabelName")->text().section('\n', 0, 0);
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
    WorldMapView view(shippedData, dataDir.path());
    view.setScreen(screen);
    view.open(fullSchedule(), today);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(screen->availableGeometry().contains(view.frameGeometry()));
    ASSERT_TRUE(view.canvas()->message().isEmpty());

    clickAt(view, 139.7, 35.7); // Tokyo
    EXPECT_EQ(view.selectedFlag(), japan);
    EXPECT_EQ(nameShown(view), "日本");

    // Funafuti: far too small for an outline at world scale, an island the data has no shape
    // for at all at this scale.
    EXPECT_TRUE(view.canvas()->drawnAsMarker(tuvalu));
    clickAt(view, 179.2, -8.5);
    EXPECT_EQ(view.selectedFlag(), tuvalu);
    EXPECT_EQ(nameShown(view), "ツバル");
    EXPECT_FALSE(control<QLabel>(&view, "ImageFlag")->pixmap().isNull());

    QSignalSpy study(&view, &WorldMapView::studyRequested);
    QTest::mouseClick(control<QPushButton>(&view, "CommandStudy"), Qt::LeftButton);
    ASSERT_EQ(study.size(), 1);
    EXPECT_EQ(study.at(0).at(0).toInt(), tuvalu);

    // The open sea is no country: the selection stays.
    clickAt(view, -150, -40);
    EXPECT_EQ(view.selectedFlag(), tuvalu);
}

INSTANTIATE_TEST_SUITE_P(Screens, MapOnScreen, ::testing::Values("wide", "laptop"));

TEST(WorldMapView, TheCountsOfEachRegionAddUpToItsList)
{
    QTemporaryDir dataDir;
    WorldMapView view(shippedData, dataDir.path());
    view.setRecall(fullSchedule(), today);
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
    }
}

TEST(WorldMapView, WithoutTheMapFileTheWindowSaysSoAndTheRestWorks)
{
    ProgramFolder folder;
    WorldMapView view(folder.path(), folder.path());
    view.open(fullSchedule(), today);
    EXPECT_EQ(view.canvas()->message(), "地図のファイル chizu.csv がありません。");
    EXPECT_EQ(view.regionCounts()[Regions::count - 1].total(), 198);
    EXPECT_GT(view.dueCounts()[0], 0);
    view.selectCountry(5);
    EXPECT_EQ(nameShown(view), ProgramFolder::countryName(5));
    EXPECT_TRUE(control<QPushButton>(&view, "CommandStudy")->isEnabled());

    folder.writeFile("chizu.csv", "chizu,1\r\n1\r\n5,0,0,1\r\n3,0,0,1\r\n");
    WorldMapView damaged(folder.path(), folder.path());
    EXPECT_EQ(damaged.canvas()->message(), "地図のファイル chizu.csv の 4 行目が壊れています。");
}

int main(int argc, char **argv)
{
    QTemporaryDir config;
    const QString path = config.filePath(QStringLiteral("screens.json"));
    QFile json(path);
    if (!json.open(QIODevice::WriteOnly))
        return 1;
    json.write(R"({"screens": [
        {"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080,
         "logicalDpi": 96, "dpr": 1},
        {"name": "laptop", "x": 1920, "y": 0, "width": 1366, "height": 768,
         "logicalDpi": 96, "dpr": 1}]})");
    json.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit());
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
