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
    static constexpr int dragUnit = 500; // twips of mouse travel per result scrolled

    // Where the anchors of the window are at its current size.
    struct Anchors
    {
        int shape1Left = 0;
        int shape1Width = 0;
        int shape4Left = 0;
        int shape4Top = 0;
        int shape5Top = 0;
        int plotTop = 0;    // the best score's height
        int plotBottom = 0; // the worst score's height
    };

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

    // A size change: the columns are laid out anew, numbered from 1, and no segment is drawn.
    void resize(const Anchors &anchors);
    // A fresh history (the top score minus each score, oldest first) drawn from its first result.
    void load(const std::vector<int> &shortfalls);
    // Nothing to draw: no results, empty axis values.
    void clear();

    void relabelColumns(int first);
    // Leaves the graph as it is when 30 columns from `first` would run past the last result.
    void redrawSegments(int first);

    void press(double x);
    // True when the view was redrawn. Only a drag with the left button alone scrolls.
    bool move(bool leftButtonOnly, double x);

    // The view after the history has been reloaded without the game in column `first` was
    // showing: the same place as far as the shorter history allows.
    void restoreView(int first);

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
    bool m_hintVisible = false;
    QString m_bestText;
    QString m_worstText;
    std::array<Column, columnCount> m_columns{};
    std::array<Segment, columnCount> m_segments{};
};
