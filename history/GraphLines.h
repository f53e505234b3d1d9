#pragma once

#include "HistoryGraph.h"

#include <QObject>
#include <QWidget>

#include <array>

// One segment of the graph: a 2-pixel line in twips, drawn by the canvas of its window. It is
// no widget, so presses on it reach the window's own surface.
class GraphLine : public QObject
{
    Q_OBJECT
public:
    explicit GraphLine(int index, QObject *parent);

    bool visible = false;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

// Paints the segments of the graph, `Line3`(0..29), over the axes; it lets every mouse event
// through.
class GraphCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit GraphCanvas(QWidget *parent);

    // The segments the graph works out, drawn again.
    void draw(const std::array<HistoryGraph::Segment, HistoryGraph::columnCount> &segments);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<GraphLine *, HistoryGraph::columnCount> m_lines{};
};
