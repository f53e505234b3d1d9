#include "GraphLines.h"

#include "Twips.h"

#include <QPainter>

GraphLine::GraphLine(int index, QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Line3"));
    setProperty("index", index);
}

GraphCanvas::GraphCanvas(std::vector<GraphLine *> lines, QWidget *parent)
    : QWidget(parent), m_lines(std::move(lines))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
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
