#pragma once

#include "HistoryGraph.h"

#include <QObject>

#include <array>

class ClickableLabel;
class QWidget;

// The thirty game numbers under the graph and the "削除" buttons under them, controls of the
// results window: what they say, where they stand, and what the mouse and the keys do on them.
// They tell which column the player chose; the window knows the game in it.
class GameNumbers : public QObject
{
    Q_OBJECT
public:
    explicit GameNumbers(QWidget *window);

    ClickableLabel *number(int column) const { return m_numbers.at(static_cast<size_t>(column)); }
    ClickableLabel *deleteButton(int column) const
    {
        return m_deleteButtons.at(static_cast<size_t>(column));
    }

    // The numbers join the Tab chain after `previous`, as one stop.
    void chainAfter(QWidget *previous);
    // Both rows at the graph's columns.
    void place(const HistoryGraph &graph);
    // The captions of the view on show. A click pressed on an earlier view does nothing: the
    // press that activates the window reloads it.
    void relabel(const HistoryGraph &graph);

signals:
    // A click on a number, or Enter or Space on it.
    void detailsWanted(int column);
    // A click on "削除".
    void deleteWanted(int column);
    // The Delete key: the window asks first.
    void deleteAsked(int column);
    // Left or Right past either end: the graph is to scroll by one game.
    void scrollWanted(int step);

protected:
    // Left and Right move between the numbers, Enter shows a game, Delete asks to delete it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool columnKey(int column, int key);
    void fitFonts(const HistoryGraph &graph);

    std::array<ClickableLabel *, HistoryGraph::columnCount> m_numbers{};
    std::array<ClickableLabel *, HistoryGraph::columnCount> m_deleteButtons{};
    // Counts every change of what the columns show.
    int m_viewGeneration = 0;
    int m_pressedGeneration = -1;
};
