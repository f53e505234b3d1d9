#include "HistoryGraph.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The anchors at the window's design size.
HistoryGraph::Anchors designAnchors()
{
    HistoryGraph::Anchors anchors;
    anchors.axisLeft = 840;
    anchors.axisWidth = 11055;
    anchors.columnsLeft = 1020;
    anchors.numbersTop = 6720;
    anchors.deletesTop = 6990;
    anchors.plotTop = 1530;
    anchors.plotBottom = 5880;
    return anchors;
}

HistoryGraph graphOf(int results)
{
    HistoryGraph graph;
    graph.resize(designAnchors());
    std::vector<int> shortfalls;
    for (int n = 1; n <= results; ++n)
        shortfalls.push_back(n % 7 * 20);
    graph.load(shortfalls);
    return graph;
}

int visibleSegments(const HistoryGraph &graph)
{
    int count = 0;
    for (const auto &segment : graph.segments())
        count += segment.visible ? 1 : 0;
    return count;
}

// Drags as far right as needed and as far left as needed, and reports the range reached.
std::pair<int, int> scrollRange(HistoryGraph graph)
{
    graph.press(5000);
    graph.move(true, -1e6);
    const int last = graph.firstShown();
    graph.press(5000);
    graph.move(true, 1e6);
    return {graph.firstShown(), last};
}

} // namespace

TEST(HistoryGraph, ColumnsFollowTheAnchors)
{
    const HistoryGraph graph = graphOf(3);
    EXPECT_EQ(graph.columnStep(), 362);
    const auto &columns = graph.columns();
    EXPECT_EQ(columns[0].numberLeft, 1020);
    EXPECT_EQ(columns[29].numberLeft, 1020 + 29 * 362);
    EXPECT_EQ(columns[29].numberTop, 6720);
    EXPECT_EQ(columns[29].deleteTop, 6990);
    EXPECT_EQ(columns[29].caption, 30);
    // A point sits a quarter step right of its number.
    EXPECT_EQ(graph.segments()[0].x1, 1020 + 90);
    EXPECT_EQ(graph.segments()[0].x2, 1020 + 90 + 362);
}

TEST(HistoryGraph, HintAndScrollingRangeAroundThirtyResults)
{
    const HistoryGraph g29 = graphOf(29);
    EXPECT_FALSE(g29.hintVisible());
    EXPECT_EQ(scrollRange(g29), std::make_pair(1, 1));
    EXPECT_EQ(visibleSegments(g29), 29);

    const HistoryGraph g30 = graphOf(30);
    EXPECT_FALSE(g30.hintVisible());
    EXPECT_EQ(scrollRange(g30), std::make_pair(1, 1));

    const HistoryGraph g31 = graphOf(31);
    EXPECT_TRUE(g31.hintVisible());
    EXPECT_EQ(scrollRange(g31), std::make_pair(1, 2));
}

TEST(HistoryGraph, ADragFollowsTheHandOneColumnPerColumnWidthEitherWay)
{
    HistoryGraph graph = graphOf(100);
    const int step = graph.columnStep();
    // One drag from 8000: to the left newer results come in, back to the right older ones,
    // each after a whole column width; a move that stays within a column changes nothing.
    const std::pair<double, int> drag[] = {
        {8000 - step + 1, 1}, {8000 - step, 2},         {8000 - step, 2},     {8000 - 7 * step, 8},
        {8000 - 6 * step, 7}, {8000 - 6 * step + 1, 6}, {8000 + 3 * step, 1},
    };
    graph.press(8000);
    for (const auto &[x, first] : drag) {
        graph.move(true, x);
        EXPECT_EQ(graph.firstShown(), first) << x;
    }

    // The same distance either way from a press in the middle moves as far.
    graph.press(3000);
    graph.move(true, 3000 - 10 * step);
    ASSERT_EQ(graph.firstShown(), 11);
    graph.press(3000);
    EXPECT_TRUE(graph.move(true, 3000 + 3.5 * step));
    EXPECT_EQ(graph.firstShown(), 8);
    graph.press(3000);
    EXPECT_TRUE(graph.move(true, 3000 - 3.5 * step));
    EXPECT_EQ(graph.firstShown(), 11);
    EXPECT_EQ(graph.columns()[0].caption, 11);
    EXPECT_EQ(graph.columns()[29].caption, 40);
    EXPECT_EQ(graph.segments()[0].y1, graph.plotY(11));
    EXPECT_EQ(graph.segments()[28].y2, graph.plotY(40));
    EXPECT_FALSE(graph.segments()[29].visible);
}

TEST(HistoryGraph, OnlyTheLeftButtonAloneScrollsButAnyPressMovesTheStart)
{
    HistoryGraph graph = graphOf(100);
    graph.press(3000);
    EXPECT_FALSE(graph.move(false, 1000));
    EXPECT_EQ(graph.firstShown(), 1);

    graph.press(1000.4); // the right button
    EXPECT_EQ(graph.dragStartX(), 1000);
    graph.move(true, 1000 - graph.columnStep());
    EXPECT_EQ(graph.firstShown(), 2);
}

TEST(HistoryGraph, ScoresSpreadFromTopToBottom)
{
    HistoryGraph graph;
    graph.resize(designAnchors());
    graph.load({100, 300, 200}); // scores 400, 200, 300
    EXPECT_EQ(graph.plotY(1), 1530);
    EXPECT_EQ(graph.plotY(2), 5880);
    EXPECT_EQ(graph.plotY(3), 1530 + 2175);
    EXPECT_EQ(graph.bestText(), "400");
    EXPECT_EQ(graph.worstText(), "200");
    const auto &segments = graph.segments();
    EXPECT_EQ(segments[0].y1, 1530);
    EXPECT_EQ(segments[0].y2, 5880);
    // The newest result is a dot.
    EXPECT_TRUE(segments[2].visible);
    EXPECT_EQ(segments[2].x1, segments[2].x2);
    EXPECT_EQ(segments[2].y1, segments[2].y2);
    EXPECT_FALSE(segments[3].visible);
}

TEST(HistoryGraph, EqualScoresLieOnTheTop)
{
    HistoryGraph same;
    same.resize(designAnchors());
    same.load({200, 200, 200});
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(same.plotY(n), 1530);
    EXPECT_EQ(same.bestText(), "300");
    EXPECT_EQ(same.worstText(), "300");

    HistoryGraph perfect;
    perfect.resize(designAnchors());
    perfect.load({0, 0});
    EXPECT_EQ(perfect.plotY(1), 1530);
    EXPECT_EQ(perfect.plotY(2), 1530);
    EXPECT_EQ(perfect.bestText(), "500");
    EXPECT_EQ(perfect.worstText(), "499");
}

TEST(HistoryGraph, OneResultIsASingleDot)
{
    HistoryGraph graph;
    graph.resize(designAnchors());
    graph.load({50});
    EXPECT_EQ(visibleSegments(graph), 1);
    const auto &dot = graph.segments()[0];
    EXPECT_EQ(dot.x1, dot.x2);
    EXPECT_EQ(dot.y1, dot.y2);
    EXPECT_EQ(dot.y1, 1530);
}

TEST(HistoryGraph, AResizeDrawsTheResultsOnShowAgainInProportion)
{
    HistoryGraph::Anchors wider = designAnchors();
    wider.axisWidth *= 2;
    wider.plotBottom += 1000;

    HistoryGraph graph = graphOf(60);
    graph.press(3000);
    graph.move(true, 3000 - 2 * graph.columnStep());
    ASSERT_EQ(graph.firstShown(), 3);
    graph.resize(wider);
    EXPECT_EQ(graph.columnStep(), (22110 - 180) / 30);
    EXPECT_EQ(graph.firstShown(), 3);
    EXPECT_EQ(graph.columns()[0].caption, 3);
    EXPECT_EQ(graph.columns()[1].numberLeft, 1020 + graph.columnStep());
    EXPECT_EQ(graph.dragStartX(), 0);
    EXPECT_EQ(visibleSegments(graph), 29);
    EXPECT_EQ(graph.segments()[0].x1, 1020 + graph.columnStep() / 4);
    EXPECT_EQ(graph.segments()[0].y1, graph.plotY(3));
    // The worst result lies on the new bottom of the plot.
    int lowest = 0;
    for (int n = 1; n <= 60; ++n)
        lowest = std::max(lowest, graph.plotY(n));
    EXPECT_EQ(lowest, 6880);

    // Fewer results than columns: all of them again, the newest as a dot.
    HistoryGraph few = graphOf(10);
    few.resize(wider);
    EXPECT_EQ(visibleSegments(few), 10);
    EXPECT_EQ(few.segments()[9].x1, few.segments()[9].x2);
    EXPECT_EQ(few.segments()[0].y2, few.plotY(2));
}

TEST(HistoryGraph, AnEmptyHistoryHasNothingToScrollOrShow)
{
    HistoryGraph graph = graphOf(80);
    graph.clear();
    EXPECT_EQ(graph.recordCount(), 0);
    EXPECT_EQ(visibleSegments(graph), 0);
    EXPECT_EQ(graph.bestText(), "");
    EXPECT_EQ(graph.worstText(), "");
    EXPECT_FALSE(graph.hintVisible());
    EXPECT_EQ(graph.resultInColumn(0), 0);
    graph.press(3000);
    EXPECT_FALSE(graph.move(true, 0));
}

TEST(HistoryGraph, AfterADeletionTheViewStaysWhereTheShorterHistoryAllows)
{
    HistoryGraph graph = graphOf(40);
    graph.redrawSegments(12); // past the end: nothing is redrawn
    EXPECT_EQ(graph.segments()[0].y1, graph.plotY(1));

    graph = graphOf(40);
    graph.restoreView(11);
    EXPECT_EQ(graph.firstShown(), 11);
    EXPECT_EQ(graph.resultInColumn(29), 40);
    graph = graphOf(39);
    graph.restoreView(11);
    EXPECT_EQ(graph.firstShown(), 10);
    EXPECT_EQ(graph.columns()[0].caption, 10);
    graph = graphOf(29);
    graph.restoreView(11);
    EXPECT_EQ(graph.firstShown(), 1);
    EXPECT_EQ(graph.resultInColumn(28), 29);
    EXPECT_EQ(graph.resultInColumn(29), 0);
}
