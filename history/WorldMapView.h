#pragma once

#include "CountryTable.h"
#include "MapStates.h"
#include "Regions.h"
#include "ReviewSchedule.h"

#include <QDate>
#include <QWidget>

#include <array>

class MapCanvas;
class QLabel;
class PlayerData;
class QPushButton;
class QRadioButton;

// "覚えた国旗の地図": the world with every country filled by how well its flag is remembered,
// from the review schedule, beside it the states counted per region and the reviews due in the
// coming week; a click on a country shows its flag, name and record and offers to study it by
// name.
class WorldMapView : public QWidget
{
    Q_OBJECT
public:
    // `appPath` holds the map, the lists and the pictures, `playerData` the record of each flag.
    // The map and the lists are read once, here; a map that is missing or damaged leaves the
    // rest of the window working.
    WorldMapView(QString appPath, const PlayerData &playerData, QWidget *parent = nullptr);

    // Shows the window with the review schedule as it is on disk now, for `today`.
    void open(const QDate &today);
    // The same, without showing the window.
    void reload(const QDate &today);

    MapStates::Direction direction() const { return m_direction; }
    void setDirection(MapStates::Direction direction);
    int selectedFlag() const { return m_selected; }
    // By region, in the order of Regions::all().
    const std::array<MapStates::StateCounts, Regions::count> &regionCounts() const
    {
        return m_counts;
    }
    const std::array<int, MapStates::dueDays> &dueCounts() const { return m_due; }
    MapCanvas *canvas() const { return m_canvas; }

public slots:
    void selectCountry(int flagId);

signals:
    // "国名から学習" on the country shown.
    void studyRequested(int flagId);

private:
    void loadLists();
    void refresh();
    QString scheduleLines(int flagId) const;

    QString m_appPath;
    const PlayerData &m_playerData;
    CountryTable m_world;
    std::array<QList<int>, Regions::count> m_regionFlags;
    ReviewSchedule::Schedule m_schedule;
    MapStates::RecallTable m_recall; // the schedule's figures for m_today
    QDate m_today;
    MapStates::Direction m_direction = MapStates::Direction::NameToFlag;
    std::array<MapStates::StateCounts, Regions::count> m_counts{};
    std::array<int, MapStates::dueDays> m_due{};
    int m_selected = 0;

    MapCanvas *m_canvas;
    std::array<QRadioButton *, 3> m_directions{};
    QWidget *m_bars;
    QWidget *m_dueChart;
    QLabel *m_flag;
    QLabel *m_name;
    QLabel *m_record;
    QLabel *m_scheduleError;
    QPushButton *m_study;
};
