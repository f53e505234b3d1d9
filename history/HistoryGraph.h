#pragma once

#include <QString>

#include <array>
#include <vector>

// The line graph of a region's past games, in twips and without widgets: 30 columns at a time,
// the best score at the top. The results window copies what this works out onto its controls.
class HistoryGraph
{
public:
    static constexpr int columnCount = 30;

    // Where the graph lies in its window, in twips: the horizontal axis, whose right end bounds
    // the columns; the left of column 0 and the top of its number; the top of the "削除" row;
    // the heights of the best and the worst score.
    struct Anchors
    {
        int axisLeft = 0;
        int axisWidth = 0;
        int columnsLeft = 0;
        int numbersTop = 0;
        int deletesTop = 0;
        int plotTop = 0;
        int plotBottom = 0;

        // The same in a window stretched `across` and `down`, rounded to whole twips.
        Anchors stretched(double across, double down) const;
    };
    // As the window is designed.
    static constexpr Anchors designAnchors{840, 11055, 1020, 6720, 6990, 1530, 5880};

    struct Column
    {
        int numberLeft = 0;
        int numberTop = 0;
        int caption = 0; // the result number the column shows
        int deleteLeft = 0;
        int deleteTop = 0;
    };

    struct Segment
    {
        bool visible = false;
        int x1 = 0;
        int y1 = 0;
        int x2 = 0;
        int y2 = 0;
    };

    // A size change: the columns and the points are laid out anew for the new size, and the
    // results on show are drawn there again.
    void resize(const Anchors &anchors);
    // A fresh history (the top score minus each score, oldest first) drawn from its first result.
    void load(const std::vector<int> &shortfalls);
    // Nothing to draw: no results, empty axis values.
    void clear();

    void relabelColumns(int first);
    // Leaves the graph as it is when 30 columns from `first` would run past the last result.
    void redrawSegments(int first);

    // A drag follows the hand: from the press on, every column width the mouse has travelled
    // moves the view by one result, the same to either side (rightwards to older results).
    void press(double x);
    // True when the view was redrawn. Only a drag with the left button alone scrolls.
    bool move(bool leftButtonOnly, double x);

    // The view after the history has been reloaded without the game in column `first` was
    // showing: the same place as far as the shorter history allows.
    void restoreView(int first);
    // The view one game on (`step` 1) or back (-1), as far as the history goes. True when it
    // moved.
    bool scrollBy(int step);

    int recordCount() const { return static_cast<int>(m_shortfalls.size()); }
    int firstShown() const { return m_firstShown; }
    int dragStartX() const { return m_dragStartX; }
    int columnStep() const { return m_columnStep; }
    // 1-based result number; 0 when no result is drawn there.
    int resultInColumn(int column) const;
    int plotY(int result) const { return m_plotY.at(static_cast<size_t>(result)); }
    bool hintVisible() const { return m_hintVisible; }
    const QString &bestText() const { return m_bestText; }
    const QString &worstText() const { return m_worstText; }
    const std::array<Column, columnCount> &columns() const { return m_columns; }
    const std::array<Segment, columnCount> &segments() const { return m_segments; }

private:
    void placeColumns();
    void placeSegmentsX();
    // The segments of the first 30 results, the newest on show as a dot.
    void drawFromFirst();
    void computePlot();
    void hideSegments();

    Anchors m_anchors;
    std::vector<int> m_shortfalls;
    std::vector<int> m_plotY{0}; // index 0 unused, results from 1
    int m_highest = 1;
    int m_lowest = 10000;
    int m_columnStep = 0;
    int m_firstShown = 1;
    int m_dragStartX = 0;
    int m_firstAtPress = 1;
    bool m_hintVisible = false;
    QString m_bestText;
    QString m_worstText;
    std::array<Column, columnCount> m_columns{};
    std::array<Segment, columnCount> m_segments{};
};
