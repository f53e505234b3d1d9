#pragma once

#include "MapStates.h"
#include "WorldOutlines.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QWidget>

#include <array>
#include <vector>

// The world drawn from the outlines, each country filled by its state: a colour, a hatching and,
// for a country too small to see, a marker of its own shape at its point, so that neither colour
// nor size decides whether it can be told apart or clicked. Centred on the Pacific, as maps are
// in Japan, so that the island states there stay whole.
class MapCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit MapCanvas(QWidget *parent = nullptr);

    void setOutlines(const std::vector<WorldOutlines::Shape> &shapes);
    // Shown instead of the map, when there is none.
    void setMessage(const QString &message);
    const QString &message() const { return m_message; }
    void setStates(const std::array<MapStates::State, WorldOutlines::highestFlagId + 1> &states);
    void setSelected(int flagId);
    // The names the tooltip gives, by flag ID: in crowded seas it tells which marker is which.
    void setNames(const std::array<QString, WorldOutlines::highestFlagId + 1> &names);
    int selected() const { return m_selected; }

    // The country under a point of the widget, 0 for none: markers of small countries first,
    // then outlines.
    int flagIdAt(const QPoint &position) const;
    // Where a place on the globe (degrees east, degrees north) is drawn.
    QPointF positionOf(double lon, double lat) const;
    // Whether the country is drawn as a marker at this size.
    bool drawnAsMarker(int flagId) const;
    // The country an arrow key moves to from the selected one: the nearest whose point lies
    // that way (within 45° of it, or else anywhere on that side); 0 for none. With nothing
    // selected, the country nearest the middle of the map.
    int neighbourOf(int key) const;

    // How many times the map is drawn larger than when it fits the widget (1 to maxZoom).
    double zoom() const { return m_zoom; }
    // Zooms by `factor`, the place of the map under `anchor` staying where it is.
    void zoomBy(double factor, const QPointF &anchor);

    static const QBrush &brushOf(MapStates::State state);
    static void paintState(QPainter &painter, MapStates::State state, const QPainterPath &area);
    static void paintMarker(QPainter &painter, MapStates::State state, const QPointF &centre,
                            double radius);

signals:
    void countryClicked(int flagId);
    // Enter on the selected country.
    void countryOpened(int flagId);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Country
    {
        int flagId = 0;
        QPointF point;         // in map units: degrees east of the left edge, degrees south
        QPainterPath outline;  // in map units
        QPainterPath onScreen; // at the current size
        QPointF pointOnScreen;
        bool marker = false;
    };

    void layOut();
    // Moves the middle of the view, when zoomed, so that the selected country is on show.
    void keepSelectedInView();
    void renderBase();
    double markerRadius() const;

    std::vector<Country> m_countries; // land of none of the countries has flag ID 0
    std::array<MapStates::State, WorldOutlines::highestFlagId + 1> m_states{};
    std::array<QString, WorldOutlines::highestFlagId + 1> m_names;
    QString m_message;
    int m_selected = 0;
    QTransform m_toScreen;
    double m_zoom = 1;
    QPointF m_dragFrom;     // where the left button went down, or the last point dragged to
    bool m_dragged = false; // the press became a drag of the zoomed map, not a click
    QPointF m_middle; // the place of the map, in map units, at the middle of the view when zoomed
    QPainterPath m_borders;
    QImage m_base; // everything but the selection, redrawn on a change of size or states
    bool m_baseStale = true;
};
