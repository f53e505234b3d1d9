#include "HistoryGraph.h"

#include "Regions.h"

#include <algorithm>
#include <cmath>

HistoryGraph::Anchors HistoryGraph::Anchors::stretched(double across, double down) const
{
    const auto whole = [](double twips) { return static_cast<int>(std::lround(twips)); };
    return {whole(axisLeft * across), whole(axisWidth * across), whole(columnsLeft * across),
            whole(numbersTop * down), whole(deletesTop * down),  whole(plotTop * down),
            whole(plotBottom * down)};
}

void HistoryGraph::resize(const Anchors &anchors)
{
    m_anchors = anchors;
    m_columnStep = (anchors.axisWidth - (anchors.columnsLeft - anchors.axisLeft)) / columnCount;
    placeColumns();
    m_dragStartX = 0;
    placeSegmentsX();
    computePlot();
    // The view stays on the results it showed, drawn in proportion to the new size.
    const int first = m_firstShown;
    hideSegments();
    if (first > 1 && first + columnCount - 1 <= recordCount()) {
        relabelColumns(first);
        redrawSegments(first);
    } else {
        relabelColumns(1);
        drawFromFirst();
    }
}

void HistoryGraph::load(const std::vector<int> &shortfalls)
{
    m_shortfalls = shortfalls;
    m_dragStartX = 0;
    hideSegments();

    // Seeds as the first file reader had them; with every game perfect the range stays 1.
    m_highest = 1;
    m_lowest = 10000;
    for (const int shortfall : m_shortfalls) {
        m_highest = std::max(m_highest, shortfall);
        m_lowest = std::min(m_lowest, shortfall);
    }
    computePlot();
    m_hintVisible = recordCount() > columnCount;

    placeColumns();
    relabelColumns(1);
    placeSegmentsX();
    drawFromFirst();

    if (m_shortfalls.empty()) {
        m_bestText.clear();
        m_worstText.clear();
    } else {
        m_bestText = QString::number(Regions::topScore - m_lowest);
        m_worstText = QString::number(Regions::topScore - m_highest);
    }
}

void HistoryGraph::drawFromFirst()
{
    const int last = std::min(recordCount(), columnCount);
    for (int i = 0; i < last; ++i) {
        Segment &segment = m_segments[static_cast<size_t>(i)];
        segment.visible = true;
        segment.y1 = m_plotY[static_cast<size_t>(i + 1)];
        if (i == last - 1) {
            segment.y2 = segment.y1;
            segment.x2 = segment.x1;
        } else {
            segment.y2 = m_plotY[static_cast<size_t>(i + 2)];
        }
    }
}

void HistoryGraph::clear()
{
    load({});
}

void HistoryGraph::relabelColumns(int first)
{
    m_firstShown = first;
    for (int i = 0; i < columnCount; ++i)
        m_columns[static_cast<size_t>(i)].caption = first + i;
}

void HistoryGraph::redrawSegments(int first)
{
    m_firstShown = first;
    if (first < 1 || first + columnCount - 1 > recordCount())
        return;
    hideSegments();
    for (int i = 0; i < columnCount - 1; ++i) {
        Segment &segment = m_segments[static_cast<size_t>(i)];
        segment.visible = true;
        segment.y1 = m_plotY[static_cast<size_t>(first + i)];
        segment.y2 = m_plotY[static_cast<size_t>(first + i + 1)];
    }
    Segment &last = m_segments[columnCount - 1];
    last.y2 = last.y1;
}

void HistoryGraph::press(double x)
{
    m_dragStartX = static_cast<int>(std::nearbyint(x));
    m_firstAtPress = m_firstShown;
}

bool HistoryGraph::move(bool leftButtonOnly, double x)
{
    if (!leftButtonOnly || recordCount() < columnCount)
        return false;
    // Whole columns travelled, counted towards zero so that both directions wait alike.
    const double unit = std::max(m_columnStep, 1);
    const int step = static_cast<int>(std::trunc((x - m_dragStartX) / unit));
    int first = m_firstAtPress - step;
    first = std::max(first, 1);
    first = std::min(first, recordCount() - (columnCount - 1));
    if (first == m_firstShown)
        return false;
    relabelColumns(first);
    redrawSegments(first);
    return true;
}

void HistoryGraph::restoreView(int first)
{
    if (recordCount() < columnCount)
        return;
    first = std::clamp(first, 1, recordCount() - (columnCount - 1));
    redrawSegments(first);
    relabelColumns(first);
}

bool HistoryGraph::scrollBy(int step)
{
    const int first = m_firstShown;
    restoreView(first + step);
    return m_firstShown != first;
}

int HistoryGraph::resultInColumn(int column) const
{
    if (column < 0 || column >= columnCount)
        return 0;
    const int result = m_firstShown + column;
    return result <= recordCount() ? result : 0;
}

void HistoryGraph::placeColumns()
{
    for (int i = 0; i < columnCount; ++i) {
        Column &column = m_columns[static_cast<size_t>(i)];
        column.numberLeft = m_anchors.columnsLeft + i * m_columnStep;
        column.numberTop = m_anchors.numbersTop;
        column.deleteLeft = m_anchors.columnsLeft + i * m_columnStep;
        column.deleteTop = m_anchors.deletesTop;
    }
}

void HistoryGraph::placeSegmentsX()
{
    const int quarter = m_columnStep / 4;
    for (int i = 0; i < columnCount; ++i) {
        Segment &segment = m_segments[static_cast<size_t>(i)];
        segment.x1 = m_anchors.columnsLeft + quarter + i * m_columnStep;
        segment.x2 = m_anchors.columnsLeft + quarter + (i + 1) * m_columnStep;
    }
}

void HistoryGraph::computePlot()
{
    int range = m_highest - m_lowest;
    if (range == 0)
        range = 600;
    const double scale = static_cast<double>(m_anchors.plotBottom - m_anchors.plotTop) / range;
    m_plotY.assign(m_shortfalls.size() + 1, 0);
    for (size_t n = 0; n < m_shortfalls.size(); ++n) {
        const double offset = (m_shortfalls[n] - m_lowest) * scale;
        m_plotY[n + 1] = m_anchors.plotTop + static_cast<int>(std::nearbyint(offset));
    }
}

void HistoryGraph::hideSegments()
{
    for (Segment &segment : m_segments)
        segment.visible = false;
}
