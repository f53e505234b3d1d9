#include "WorldMapView.h"

#include "Announce.h"
#include "BaseList.h"
#include "DataFile.h"
#include "MapCanvas.h"
#include "MasteryRecord.h"
#include "PicturePaths.h"
#include "PlayerData.h"
#include "SharpPicture.h"
#include "Twips.h"
#include "WorldOutlines.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

using MapStates::State;

// Measures of the window's side column at the design's size; they grow and shrink with its
// font, which follows the windows' scale.
int scaled(double designPixels)
{
    return static_cast<int>(std::lround(designPixels * Twips::scale));
}
constexpr int sideWidth = 340;
constexpr int flagWidth = 120;
constexpr int flagHeight = 80;
constexpr int barRowHeight = 34;
constexpr int barHeight = 14;
constexpr int dueChartHeight = 96;
constexpr int legendRowHeight = 22;
constexpr int worldRegion = Regions::count - 1; // 世界編: every flag

// Strongest first, as a player reads a legend and the bars.
constexpr std::array<State, MapStates::stateCount> strongestFirst{
    State::Solid, State::Known, State::Learning, State::NeverAsked};

// One name for each state, in the legend, the bars, the chosen country and its record.
QString stateName(State state)
{
    switch (state) {
    case State::Solid:
        return QStringLiteral("しっかり覚えた");
    case State::Known:
        return QStringLiteral("覚えている");
    case State::Learning:
        return QStringLiteral("覚えている途中");
    case State::NeverAsked:
        break;
    }
    return QStringLiteral("まだ出題されていません");
}

// What the legend adds to the name: how the state is told.
QString stateMeaning(State state)
{
    switch (state) {
    case State::Solid:
        return QStringLiteral("（覚えた度 90% 超）");
    case State::Known:
        return QStringLiteral("（覚えた度 70〜90%）");
    case State::Learning:
        return QStringLiteral("（70% 未満・間違えたまま）");
    case State::NeverAsked:
        break;
    }
    return QString();
}

class Legend : public QWidget
{
public:
    explicit Legend(QWidget *parent) : QWidget(parent)
    {
        setFixedHeight(scaled(legendRowHeight * MapStates::stateCount + 4));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int row = scaled(legendRowHeight);
        int y = scaled(2);
        for (State state : strongestFirst) {
            QPainterPath swatch;
            swatch.addRect(QRectF(scaled(2), y + scaled(3), scaled(30), row - scaled(6)));
            MapCanvas::paintState(painter, state, swatch);
            painter.setPen(QPen(QColor(0x5a, 0x5a, 0x5a), 0.8));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(swatch);
            MapCanvas::paintMarker(painter, state, QPointF(scaled(46), y + row / 2.0), scaled(5));
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(QRect(scaled(60), y, width() - scaled(60), row), Qt::AlignVCenter,
                             stateName(state) + stateMeaning(state));
            y += row;
        }
    }
};

// Per region, the states of its flags as one bar of four parts.
class RegionBars : public QWidget
{
public:
    RegionBars(const std::array<MapStates::StateCounts, Regions::count> &counts, QWidget *parent)
        : QWidget(parent), m_counts(counts)
    {
        setFixedHeight(scaled(barRowHeight * Regions::count + 4));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QColor text = palette().color(QPalette::WindowText);
        const int row = scaled(barRowHeight);
        const int barTall = scaled(barHeight);
        int y = 0;
        for (int r = 0; r < Regions::count; ++r) {
            const MapStates::StateCounts &counts = m_counts[static_cast<size_t>(r)];
            const int total = counts.total();
            const QRect caption(0, y, width(), row - barTall - 2);
            painter.setPen(text);
            painter.drawText(caption, Qt::AlignLeft | Qt::AlignBottom, Regions::at(r).displayName);
            painter.drawText(
                caption, Qt::AlignRight | Qt::AlignBottom,
                stateName(State::Solid) +
                    QStringLiteral(" %1 / %2").arg(counts.of(State::Solid)).arg(total));
            const QRectF bar(0, y + row - barTall - 1, width() - 1, barTall);
            double x = bar.left();
            for (State state : strongestFirst) {
                const int n = counts.of(state);
                if (n == 0 || total == 0)
                    continue;
                const double w = bar.width() * n / total;
                QPainterPath part;
                part.addRect(QRectF(x, bar.top(), w, bar.height()));
                MapCanvas::paintState(painter, state, part);
                painter.setPen(QPen(QColor(0x5a, 0x5a, 0x5a), 1));
                painter.drawPath(part);
                const QString number = QString::number(n);
                if (painter.fontMetrics().horizontalAdvance(number) + 4 < w) {
                    const QRectF label(x, bar.top(), w, bar.height());
                    painter.setPen(state == State::Solid ? Qt::white : Qt::black);
                    painter.drawText(label, Qt::AlignCenter, number);
                }
                x += w;
            }
            y += row;
        }
    }

private:
    const std::array<MapStates::StateCounts, Regions::count> &m_counts;
};

// The reviews due on each of the next seven days, as columns.
class DueChart : public QWidget
{
public:
    DueChart(const std::array<int, MapStates::dueDays> &due, const QDate &today, QWidget *parent)
        : QWidget(parent), m_due(due), m_today(today)
    {
        setFixedHeight(scaled(dueChartHeight));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int most = std::max(1, *std::max_element(m_due.begin(), m_due.end()));
        const int line = painter.fontMetrics().height();
        const double column = double(width()) / MapStates::dueDays;
        const double top = line + 2;
        const double bottom = height() - line - 2;
        for (int d = 0; d < MapStates::dueDays; ++d) {
            const double x = d * column;
            const int n = m_due[static_cast<size_t>(d)];
            const double h = (bottom - top) * n / most;
            painter.fillRect(QRectF(x + column * 0.2, bottom - h, column * 0.6, h),
                             QColor(0x00, 0x5a, 0xa8));
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(QRectF(x, bottom - h - line - 1, column, line), Qt::AlignCenter,
                             QString::number(n));
            const QString day = d == 0   ? QStringLiteral("今日")
                                : d == 1 ? QStringLiteral("明日")
                                         : m_today.addDays(d).toString(QStringLiteral("M/d"));
            painter.drawText(QRectF(x, bottom + 2, column, line), Qt::AlignCenter, day);
        }
    }

private:
    const std::array<int, MapStates::dueDays> &m_due;
    const QDate &m_today;
};

// The schedule's figures the map needs, for one day.
MapStates::RecallTable recallOn(const ReviewSchedule::Schedule &schedule, const QDate &today)
{
    MapStates::RecallTable table;
    for (const auto &[key, state] : schedule) {
        const MapStates::CardRecall recall{ReviewSchedule::retrievabilityOn(state, today),
                                           state.due, state.lastReview, today};
        MapStates::FlagRecall &flag = table[key.flagId];
        if (key.direction == ReviewSchedule::Direction::NameToFlag)
            flag.nameToFlag = recall;
        else
            flag.flagToName = recall;
    }
    return table;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

WorldMapView::WorldMapView(QString appPath, const PlayerData &playerData, QWidget *parent)
    : QWidget(parent, Qt::Window), m_appPath(std::move(appPath)), m_playerData(playerData)
{
    setObjectName(QStringLiteral("WorldMap"));
    setWindowTitle(QStringLiteral("覚えた国旗の地図"));
    setFont(Twips::designFont(10));

    m_canvas = new MapCanvas(this);
    m_canvas->setObjectName(QStringLiteral("MapCanvas"));
    auto *side = new QWidget(this);
    side->setFixedWidth(scaled(sideWidth));
    auto *column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);

    auto *choice = new QGroupBox(QStringLiteral("出題の向き"), side);
    auto *choiceRow = new QHBoxLayout(choice);
    auto *group = new QButtonGroup(this);
    const std::array<std::pair<const char *, QString>, 3> directions{{
        {"OptionNameToFlag", QStringLiteral("名→旗")},
        {"OptionFlagToName", QStringLiteral("旗→名")},
        {"OptionBoth", QStringLiteral("両方（弱い方）")},
    }};
    for (int i = 0; i < 3; ++i) {
        auto *option = new QRadioButton(directions[static_cast<size_t>(i)].second, choice);
        option->setObjectName(QString::fromLatin1(directions[static_cast<size_t>(i)].first));
        group->addButton(option, i);
        choiceRow->addWidget(option);
        m_directions[static_cast<size_t>(i)] = option;
    }
    m_directions[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this,
            [this](int id) { setDirection(static_cast<MapStates::Direction>(id)); });
    column->addWidget(choice);

    auto *legend = new Legend(side);
    legend->setAccessibleName(QStringLiteral("凡例"));
    QStringList states;
    for (State state : strongestFirst)
        states << stateName(state);
    legend->setAccessibleDescription(states.join(QStringLiteral("、")));
    column->addWidget(legend);
    column->addWidget(heading(QStringLiteral("地域ごとの国旗"), side));
    m_bars = new RegionBars(m_counts, side);
    m_bars->setObjectName(QStringLiteral("RegionBars"));
    m_bars->setAccessibleName(QStringLiteral("地域ごとの国旗"));
    column->addWidget(m_bars);
    column->addWidget(heading(QStringLiteral("これから7日間の復習"), side));
    m_dueChart = new DueChart(m_due, m_today, side);
    m_dueChart->setObjectName(QStringLiteral("DueChart"));
    m_dueChart->setAccessibleName(QStringLiteral("これから7日間の復習"));
    column->addWidget(m_dueChart);

    auto *country = new QGroupBox(QStringLiteral("選んだ国"), side);
    country->setObjectName(QStringLiteral("CountryBox"));
    auto *countryColumn = new QVBoxLayout(country);
    auto *countryRow = new QHBoxLayout;
    m_flag = new QLabel(country);
    m_flag->setObjectName(QStringLiteral("ImageFlag"));
    m_flag->setFixedSize(scaled(flagWidth), scaled(flagHeight));
    m_flag->setAlignment(Qt::AlignCenter);
    m_name = new QLabel(QStringLiteral("地図の国をクリックして下さい。"), country);
    m_name->setObjectName(QStringLiteral("LabelName"));
    m_name->setWordWrap(true);
    countryRow->addWidget(m_flag);
    countryRow->addWidget(m_name, 1);
    countryColumn->addLayout(countryRow);
    m_record = new QLabel(country);
    m_record->setObjectName(QStringLiteral("LabelRecord"));
    m_record->setWordWrap(true);
    countryColumn->addWidget(m_record);
    m_study = new QPushButton(QStringLiteral("国名から学習"), country);
    m_study->setObjectName(QStringLiteral("CommandStudy"));
    m_study->setEnabled(false);
    connect(m_study, &QPushButton::clicked, this, [this] {
        if (m_selected)
            emit studyRequested(m_selected);
    });
    countryColumn->addWidget(m_study);
    column->addWidget(country);
    m_scheduleError = new QLabel(side);
    m_scheduleError->setObjectName(QStringLiteral("LabelScheduleError"));
    m_scheduleError->setWordWrap(true);
    m_scheduleError->hide();
    column->addWidget(m_scheduleError);
    column->addStretch(1);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 6, 6, 6);
    row->addWidget(m_canvas, 1);
    row->addWidget(side);

    const WorldOutlines::Outlines outlines = WorldOutlines::load(WorldOutlines::path(m_appPath));
    if (outlines.error)
        m_canvas->setMessage(outlines.error->message());
    else
        m_canvas->setOutlines(outlines.shapes);
    connect(m_canvas, &MapCanvas::countryClicked, this, &WorldMapView::selectCountry);
    connect(m_canvas, &MapCanvas::countryOpened, this, &WorldMapView::studyRequested);
    loadLists();
    std::array<QString, WorldOutlines::highestFlagId + 1> names;
    for (int id = 1; id <= WorldOutlines::highestFlagId; ++id)
        names[static_cast<size_t>(id)] = m_world.countryNames[static_cast<size_t>(id)];
    m_canvas->setNames(names);
    refresh();
}

void WorldMapView::loadLists()
{
    for (int r = 0; r < Regions::count; ++r) {
        const QString &key = Regions::at(r).key;
        CountryTable table;
        try {
            const BaseListLoad load = BaseList::load(BaseList::path(m_appPath, key), table);
            QList<int> ids;
            for (int row = 1; row <= std::min(load.recordCount, CountryTable::upperBound); ++row)
                ids.push_back(table.flagIds[static_cast<size_t>(row)].toInt());
            m_regionFlags[static_cast<size_t>(r)] = ids;
        } catch (const BaseListError &) {
            // A list that cannot be read counts no flags; the map still shows every country.
        }
        if (r == worldRegion)
            m_world = table;
    }
}

void WorldMapView::open(const QDate &today)
{
    reload(today);
    if (!isVisible()) {
        // Under no window manager a maximised window does not fill the screen by itself.
        if (QScreen *s = screen())
            setGeometry(s->availableGeometry());
        showMaximized();
    }
    raise();
    activateWindow();
}

void WorldMapView::reload(const QDate &today)
{
    std::optional<FileError> error;
    m_schedule = m_playerData.schedule(&error);
    m_scheduleError->setVisible(error.has_value());
    if (error)
        m_scheduleError->setText(error->message());
    m_today = today;
    m_recall = recallOn(m_schedule, today);
    refresh();
    if (m_selected)
        selectCountry(m_selected);
}

void WorldMapView::setDirection(MapStates::Direction direction)
{
    m_direction = direction;
    m_directions[static_cast<size_t>(direction)]->setChecked(true);
    refresh();
}

void WorldMapView::refresh()
{
    std::array<State, WorldOutlines::highestFlagId + 1> states{};
    for (int id = 1; id <= WorldOutlines::highestFlagId; ++id)
        states[static_cast<size_t>(id)] = MapStates::stateOf(m_recall, id, m_direction);
    m_canvas->setStates(states);
    for (int r = 0; r < Regions::count; ++r)
        m_counts[static_cast<size_t>(r)] =
            MapStates::countStates(m_regionFlags[static_cast<size_t>(r)], m_recall, m_direction);
    m_due = MapStates::dueCounts(m_recall, m_direction, m_today);
    m_bars->update();
    m_dueChart->update();

    // What the bars and the columns draw, in words for a screen reader.
    QStringList regions;
    for (int r = 0; r < Regions::count; ++r) {
        const MapStates::StateCounts &counts = m_counts[static_cast<size_t>(r)];
        QStringList parts;
        for (State state : strongestFirst)
            parts << QStringLiteral("%1 %2").arg(stateName(state)).arg(counts.of(state));
        regions << Regions::at(r).displayName + QStringLiteral("：") +
                       parts.join(QStringLiteral("、"));
    }
    m_bars->setAccessibleDescription(regions.join(QStringLiteral("。")));
    QStringList days;
    for (int d = 0; d < MapStates::dueDays; ++d)
        days << QStringLiteral("%1 %2枚")
                    .arg(d == 0   ? QStringLiteral("今日")
                         : d == 1 ? QStringLiteral("明日")
                                  : m_today.addDays(d).toString(QStringLiteral("M月d日")))
                    .arg(m_due[static_cast<size_t>(d)]);
    m_dueChart->setAccessibleDescription(days.join(QStringLiteral("、")));
}

QString WorldMapView::scheduleLines(int flagId) const
{
    QStringList lines;
    // Each way by the name of its state, as the legend has it, then when it comes back.
    for (const auto &[direction, mapDirection, name] :
         {std::tuple{ReviewSchedule::Direction::NameToFlag, MapStates::Direction::NameToFlag,
                     QStringLiteral("名→旗")},
          std::tuple{ReviewSchedule::Direction::FlagToName, MapStates::Direction::FlagToName,
                     QStringLiteral("旗→名")}}) {
        const auto card = ReviewSchedule::card(m_schedule, flagId, direction);
        QString line =
            name + QLatin1Char(' ') + stateName(MapStates::stateOf(m_recall, flagId, mapDirection));
        if (card)
            line += QStringLiteral("・") + ReviewSchedule::cardText(*card, m_today);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

void WorldMapView::selectCountry(int flagId)
{
    if (flagId < 1 || flagId > CountryTable::upperBound)
        return;
    m_selected = flagId;
    m_canvas->setSelected(flagId);
    const State state = MapStates::stateOf(m_recall, flagId, m_direction);
    const QString &name = m_world.countryNames[static_cast<size_t>(flagId)];
    m_name->setText((name.isEmpty() ? QStringLiteral("（一覧にない国旗）") : name) +
                    QStringLiteral("\n") + stateName(state));

    const QString id = QString::number(flagId);
    const QPixmap picture = SharpPicture::fitted(PicturePaths::flag(m_appPath, id),
                                                 PicturePaths::largeFlag(m_appPath, id),
                                                 m_flag->size(), m_flag->devicePixelRatioF());
    if (picture.isNull())
        m_flag->clear();
    else
        m_flag->setPixmap(picture);
    m_flag->setAccessibleName(QStringLiteral("%1の国旗").arg(name));

    // Read each time, as the country display does: a game may have ended since the last look.
    m_record->setText(MasteryRecord::studyText(m_playerData.record(), flagId) + QLatin1Char('\n') +
                      scheduleLines(flagId));
    m_study->setEnabled(true);
    // The map keeps the focus while the arrows walk it, named after the country reached and its
    // state, which is also told at once: readers do not speak every new name of the control
    // they are on.
    const QString spoken = m_name->text().replace(QLatin1Char('\n'), QStringLiteral("　"));
    m_canvas->setAccessibleName(spoken);
    Announce::say(this, spoken);
}
