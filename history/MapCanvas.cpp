#include "MapCanvas.h"

#include "ClickableLabel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The map runs from 25°W eastwards once round the globe, so that its middle is the western
// Pacific, and from 84°N to 58°S: nothing south of it but Antarctica.
constexpr double westEdge = -25;
constexpr double northEdge = 84;
constexpr double southEdge = -58;
constexpr double mapWidth = 360;
constexpr double mapHeight = northEdge - southEdge;
constexpr double tenth = 10.0;
// A country whose outline is smaller than this on screen is drawn as a marker.
constexpr double smallestOutline = 6;
constexpr double margin = 4;
// Enough for the smallest countries of Europe and the Caribbean to be drawn and clicked as
// outlines on a laptop's screen.
constexpr double maxZoom = 8;
constexpr double zoomStep = 1.25;
constexpr double wheelNotch = 120; // QWheelEvent's angle delta for one notch
// Beyond the marker's own radius, so that a near miss on a tiny island still counts.
constexpr double markerSlack = 3;

const QColor sea(0xf4, 0xf7, 0xfb);
const QColor otherLand(0xe9, 0xe7, 0xe1);
const QColor border(0x5a, 0x5a, 0x5a);
const QColor hatch(0, 0, 0, 90);
// The patterns repeat every eight pixels.
constexpr int hatchTile = 8;

// Blue against orange and light against dark: apart under every kind of red–green blindness.
struct Look
{
    QColor fill;
    Qt::BrushStyle hatching;
};
const std::array<Look, MapStates::stateCount> looks{{
    {QColor(0xcf, 0xcf, 0xcf), Qt::Dense6Pattern}, // never asked: grey, dotted
    {QColor(0xe6, 0x9f, 0x00), Qt::BDiagPattern},  // learning: orange, slanted lines
    {QColor(0x8c, 0xc8, 0xf0), Qt::HorPattern},    // known: light blue, level lines
    {QColor(0x00, 0x5a, 0xa8), Qt::NoBrush},       // solid: dark blue, plain
}};

const Look &lookOf(MapStates::State state)
{
    return looks[static_cast<size_t>(state)];
}

double wrappedLon(double lon)
{
    return lon < westEdge ? lon + mapWidth : lon;
}

} // namespace

MapCanvas::MapCanvas(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(360, 142);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("世界地図"));
    setAccessibleDescription(
        QStringLiteral("矢印キーで隣の国に移り、Enterでその国を国名から学習します。"));
    m_states.fill(MapStates::State::NeverAsked);
}

void MapCanvas::setOutlines(const std::vector<WorldOutlines::Shape> &shapes)
{
    m_countries.clear();
    m_countries.reserve(shapes.size());
    for (const WorldOutlines::Shape &shape : shapes) {
        Country country;
        country.flagId = shape.flagId;
        country.point = {wrappedLon(shape.point.lon / tenth) - westEdge,
                         northEdge - shape.point.lat / tenth};
        for (const auto &ring : shape.rings) {
            // A ring that crosses the 180th meridian (Russia's, with Chukotka) jumps by a whole
            // turn there: each point is taken on the side of the one before it.
            std::vector<double> lons;
            lons.reserve(ring.size());
            double sum = 0;
            for (const WorldOutlines::Point &p : ring) {
                double lon = p.lon / tenth;
                if (!lons.empty()) {
                    while (lon - lons.back() > mapWidth / 2)
                        lon -= mapWidth;
                    while (lon - lons.back() < -mapWidth / 2)
                        lon += mapWidth;
                }
                lons.push_back(lon);
                sum += lon;
            }
            // Then the ring moves round the globe whole, by where most of it lies: the Azores go
            // east with the map's end.
            const double mean = sum / double(ring.size());
            const double shift = mean < westEdge               ? mapWidth
                                 : mean >= westEdge + mapWidth ? -mapWidth
                                                               : 0;
            QPolygonF polygon;
            polygon.reserve(qsizetype(ring.size()));
            for (size_t i = 0; i < ring.size(); ++i)
                polygon << QPointF(lons[i] + shift - westEdge, northEdge - ring[i].lat / tenth);
            country.outline.addPolygon(polygon);
            country.outline.closeSubpath();
        }
        m_countries.push_back(std::move(country));
    }
    layOut();
}

void MapCanvas::setMessage(const QString &message)
{
    m_message = message;
    update();
}

void MapCanvas::setStates(
    const std::array<MapStates::State, WorldOutlines::highestFlagId + 1> &states)
{
    m_states = states;
    m_baseStale = true;
    update();
}

void MapCanvas::setSelected(int flagId)
{
    m_selected = flagId;
    keepSelectedInView();
    update();
}

void MapCanvas::keepSelectedInView()
{
    if (m_zoom <= 1)
        return;
    const auto found = std::find_if(m_countries.begin(), m_countries.end(),
                                    [this](const Country &c) { return c.flagId == m_selected; });
    if (found == m_countries.end() || rect().contains(found->pointOnScreen.toPoint()))
        return;
    m_middle = found->point;
    layOut();
}

void MapCanvas::zoomBy(double factor, const QPointF &anchor)
{
    const double zoom = std::clamp(m_zoom * factor, 1.0, maxZoom);
    if (zoom == m_zoom)
        return;
    const QPointF onMap = m_toScreen.inverted().map(anchor);
    const double scale = m_toScreen.m11() * zoom / m_zoom;
    m_zoom = zoom;
    m_middle = onMap - (anchor - QPointF(width() / 2.0, height() / 2.0)) / scale;
    layOut();
    update();
}

void MapCanvas::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / wheelNotch;
    if (notches == 0) {
        event->ignore();
        return;
    }
    zoomBy(std::pow(zoomStep, notches), event->position());
}

void MapCanvas::setNames(const std::array<QString, WorldOutlines::highestFlagId + 1> &names)
{
    m_names = names;
}

bool MapCanvas::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto *help = static_cast<QHelpEvent *>(event);
    const int flagId = flagIdAt(help->pos());
    if (flagId > 0 && !m_names[static_cast<size_t>(flagId)].isEmpty())
        QToolTip::showText(help->globalPos(), m_names[static_cast<size_t>(flagId)], this);
    else
        QToolTip::hideText();
    return true;
}

double MapCanvas::markerRadius() const
{
    return std::clamp(m_toScreen.m11() * 1.4, 4.0, 6.5);
}

void MapCanvas::layOut()
{
    const double scale = m_zoom * std::max(0.1, std::min((width() - 2 * margin) / mapWidth,
                                                         (height() - 2 * margin) / mapHeight));
    // Zoomed in, the view shows the part of the map around m_middle and never goes past its
    // edges; a direction the map does not fill is centred.
    const auto origin = [scale](double middle, double extent, double view) {
        if (scale * extent + 2 * margin <= view)
            return (view - scale * extent) / 2;
        const double half = (view / 2 - margin) / scale;
        return view / 2 - scale * std::clamp(middle, half, extent - half);
    };
    m_toScreen = QTransform(scale, 0, 0, scale, origin(m_middle.x(), mapWidth, width()),
                            origin(m_middle.y(), mapHeight, height()));
    // All borders as one path: drawn in one call rather than one call each.
    m_borders = QPainterPath();
    for (Country &country : m_countries) {
        country.onScreen = m_toScreen.map(country.outline);
        country.pointOnScreen = m_toScreen.map(country.point);
        m_borders.addPath(country.onScreen);
        const QRectF box = country.onScreen.boundingRect();
        country.marker =
            country.flagId > 0 &&
            (country.outline.isEmpty() || std::max(box.width(), box.height()) < smallestOutline);
    }
    m_baseStale = true;
}

// Colour and hatching in one tile, so that a country is filled in one pass: on resize every
// country is filled again, and a second pass for the hatching nearly doubled that time.
const QBrush &MapCanvas::brushOf(MapStates::State state)
{
    static const std::array<QBrush, MapStates::stateCount> brushes = [] {
        std::array<QBrush, MapStates::stateCount> made;
        for (size_t i = 0; i < made.size(); ++i) {
            QPixmap tile(hatchTile, hatchTile);
            tile.fill(looks[i].fill);
            if (looks[i].hatching != Qt::NoBrush) {
                QPainter painter(&tile);
                painter.fillRect(tile.rect(), QBrush(hatch, looks[i].hatching));
            }
            made[i] = QBrush(tile);
        }
        return made;
    }();
    return brushes[static_cast<size_t>(state)];
}

void MapCanvas::paintState(QPainter &painter, MapStates::State state, const QPainterPath &area)
{
    painter.fillPath(area, brushOf(state));
}

// Each state has its own shape, so that a marker is told apart even where its colour is not:
// never asked a hollow ring, learning a triangle, known a diamond, solid a square.
void MapCanvas::paintMarker(QPainter &painter, MapStates::State state, const QPointF &c, double r)
{
    painter.setPen(QPen(border, 1));
    painter.setBrush(lookOf(state).fill);
    switch (state) {
    case MapStates::State::NeverAsked:
        painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(c, r - 1, r - 1);
        break;
    case MapStates::State::Learning:
        painter.drawPolygon(QPolygonF{{c.x(), c.y() - r * 1.15},
                                      {c.x() + r * 1.1, c.y() + r * 0.85},
                                      {c.x() - r * 1.1, c.y() + r * 0.85}});
        break;
    case MapStates::State::Known:
        painter.drawPolygon(QPolygonF{{c.x(), c.y() - r * 1.2},
                                      {c.x() + r * 1.2, c.y()},
                                      {c.x(), c.y() + r * 1.2},
                                      {c.x() - r * 1.2, c.y()}});
        break;
    case MapStates::State::Solid:
        painter.drawRect(QRectF(c.x() - r * 0.9, c.y() - r * 0.9, r * 1.8, r * 1.8));
        break;
    }
}

void MapCanvas::renderBase()
{
    const qreal ratio = devicePixelRatioF();
    // Opaque, so that showing it is a plain copy.
    m_base = QImage(size() * ratio, QImage::Format_RGB32);
    m_base.setDevicePixelRatio(ratio);
    m_base.fill(palette().color(QPalette::Window));
    QPainter painter(&m_base);
    painter.fillRect(m_toScreen.mapRect(QRectF(0, 0, mapWidth, mapHeight)), sea);
    // The fills go without antialiasing, which would cost most of the redraw on a resize: the
    // antialiased borders drawn over them smooth their edges.
    for (const Country &country : m_countries) {
        if (country.flagId == 0)
            painter.fillPath(country.onScreen, otherLand);
        else
            paintState(painter, m_states[static_cast<size_t>(country.flagId)], country.onScreen);
    }
    // A cosmetic pen of one pixel takes the fast path of the rasteriser; its colour is lighter
    // to look as thin as the map's scale wants.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(border.red(), border.green(), border.blue(), 170), 0));
    painter.drawPath(m_borders);

    const double radius = markerRadius();
    for (const Country &country : m_countries) {
        if (country.marker)
            paintMarker(painter, m_states[static_cast<size_t>(country.flagId)],
                        country.pointOnScreen, radius);
    }
    m_baseStale = false;
}

void MapCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_countries.empty()) {
        painter.fillRect(rect(), sea);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_message);
        return;
    }
    if (m_baseStale || m_base.size() != size() * devicePixelRatioF())
        renderBase();
    painter.drawImage(0, 0, m_base);
    if (hasFocus())
        paintFocusFrame(painter, rect(), palette());

    const auto found = std::find_if(m_countries.begin(), m_countries.end(),
                                    [this](const Country &c) { return c.flagId == m_selected; });
    if (m_selected == 0 || found == m_countries.end())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (found->marker) {
        const double r = markerRadius() + 4;
        painter.setPen(QPen(Qt::white, 4));
        painter.drawEllipse(found->pointOnScreen, r, r);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawEllipse(found->pointOnScreen, r, r);
    } else {
        painter.setPen(QPen(Qt::white, 4));
        painter.drawPath(found->onScreen);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawPath(found->onScreen);
    }
}

void MapCanvas::resizeEvent(QResizeEvent *)
{
    layOut();
}

int MapCanvas::flagIdAt(const QPoint &position) const
{
    const QPointF at(position);
    const double reach = markerRadius() + markerSlack;
    double best = reach * reach;
    int found = 0;
    for (const Country &country : m_countries) {
        if (!country.marker)
            continue;
        const QPointF d = country.pointOnScreen - at;
        const double distance = QPointF::dotProduct(d, d);
        if (distance <= best) {
            best = distance;
            found = country.flagId;
        }
    }
    if (found)
        return found;
    for (const Country &country : m_countries) {
        if (country.flagId > 0 && !country.marker && country.onScreen.contains(at))
            return country.flagId;
    }
    return 0;
}

bool MapCanvas::drawnAsMarker(int flagId) const
{
    return std::any_of(m_countries.begin(), m_countries.end(),
                       [flagId](const Country &c) { return c.flagId == flagId && c.marker; });
}

QPointF MapCanvas::positionOf(double lon, double lat) const
{
    return m_toScreen.map(QPointF(wrappedLon(lon) - westEdge, northEdge - lat));
}

int MapCanvas::neighbourOf(int key) const
{
    const auto from = std::find_if(m_countries.begin(), m_countries.end(),
                                   [this](const Country &c) { return c.flagId == m_selected; });
    const QPointF origin =
        from == m_countries.end() ? QPointF(width() / 2.0, height() / 2.0) : from->pointOnScreen;
    QPointF way;
    switch (key) {
    case Qt::Key_Left:
        way = {-1, 0};
        break;
    case Qt::Key_Right:
        way = {1, 0};
        break;
    case Qt::Key_Up:
        way = {0, -1};
        break;
    case Qt::Key_Down:
        way = {0, 1};
        break;
    default:
        return 0;
    }
    const bool anyWay = from == m_countries.end();
    // The best within the cone first, then the best anywhere on that side.
    int best[2] = {0, 0};
    double bestDistance[2] = {0, 0};
    for (const Country &country : m_countries) {
        if (country.flagId == 0 || country.flagId == m_selected)
            continue;
        const QPointF d = country.pointOnScreen - origin;
        const double along = d.x() * way.x() + d.y() * way.y();
        const double across = std::abs(d.x() * way.y() - d.y() * way.x());
        if (!anyWay && along <= 0)
            continue;
        const double distance = std::hypot(d.x(), d.y());
        const int kind = anyWay || across <= along ? 0 : 1;
        if (!best[kind] || distance < bestDistance[kind]) {
            best[kind] = country.flagId;
            bestDistance[kind] = distance;
        }
    }
    return best[0] ? best[0] : best[1];
}

void MapCanvas::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_selected && !(event->modifiers() & ~Qt::KeypadModifier)) {
        emit countryOpened(m_selected);
        return;
    }
    const bool zoomIn = event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal;
    if (zoomIn || event->key() == Qt::Key_Minus) {
        const auto found =
            std::find_if(m_countries.begin(), m_countries.end(),
                         [this](const Country &c) { return c.flagId == m_selected; });
        const QPointF anchor = found != m_countries.end() ? found->pointOnScreen
                                                          : QPointF(width() / 2.0, height() / 2.0);
        zoomBy(zoomIn ? zoomStep : 1 / zoomStep, anchor);
        return;
    }
    const int flagId = event->modifiers() & ~Qt::KeypadModifier ? 0 : neighbourOf(event->key());
    if (!flagId) {
        QWidget::keyPressEvent(event);
        return;
    }
    emit countryClicked(flagId);
}

void MapCanvas::mousePressEvent(QMouseEvent *event)
{
    m_dragFrom = event->position();
    m_dragged = false;
}

void MapCanvas::mouseMoveEvent(QMouseEvent *event)
{
    // Zoomed in, the map is dragged about as a paper map is pushed.
    if (!(event->buttons() & Qt::LeftButton) || m_zoom <= 1)
        return;
    const QPointF moved = event->position() - m_dragFrom;
    if (!m_dragged && moved.manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragged = true;
    m_dragFrom = event->position();
    const double scale = m_toScreen.m11();
    m_middle = m_toScreen.inverted().map(QPointF(width() / 2.0, height() / 2.0)) - moved / scale;
    layOut();
    update();
}

void MapCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_dragged)
        return;
    if (const int flagId = flagIdAt(event->position().toPoint()))
        emit countryClicked(flagId);
}
