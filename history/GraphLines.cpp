#include "GraphLines.h"

#include "Twips.h"

#include <QPainter>

GraphLine::GraphLine(int index, QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Line3"));
    setProperty("index", index);
}

GraphCanvas::GraphCanvas(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    for (int i = 0; i < HistoryGraph::columnCount; ++i)
        m_lines[static_cast<size_t>(i)] = new GraphLine(i, this);
}

void GraphCanvas::draw(const std::array<HistoryGraph::Segment, HistoryGraph::columnCount> &segments)
{
    for (size_t i = 0; i < segments.size(); ++i) {
        m_lines[i]->visible = segments[i].visible;
        m_lines[i]->x1 = segments[i].x1;
        m_lines[i]->y1 = segments[i].y1;
        m_lines[i]->x2 = segments[i].x2;
        m_lines[i]->y2 = segments[i].y2;
    }
    update();
}

void GraphCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Square caps give the last game, a line of no length, a visible dot.
    painter.setPen(QPen(QColor(128, 0, 0), 2, Qt::SolidLine, Qt::SquareCap));
    for (const GraphLine *line : m_lines) {
        if (!line->visible)
            continue;
        painter.drawLine(Twips::toPixels(line->x1), Twips::toPixels(line->y1),
                         Twips::toPixels(line->x2), Twips::toPixels(line->y2));
    }
}
