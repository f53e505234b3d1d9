#include "HistoryGraph.h"

#include <gtest/gtest.h>

namespace {

// The anchors at the window's design size.
HistoryGraph::Anchors designAnchors()
{
    HistoryGraph::Anchors anchors;
    anchors.shape1Left = 840;
    anchors.shape1Width = 11055;
    anchors.shape4Left = 1020;
    anchors.shape4Top = 6720;
    anchors.shape5Top = 6990;
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
    for (int i = 0; i < 600; ++i)
        graph.move(true, 4000);
    const int last = graph.firstShown();
    graph.press(5000);
    for (int i = 0; i < 600; ++i)
        graph.move(true, 6000);
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

TEST(HistoryGraph, DraggingLeftAdvancesEveryMoveAndRightWaitsForAFullUnit)
{
    HistoryGraph graph = graphOf(100);
    graph.press(3000);
    for (int move = 1; move <= 3; ++move) {
        EXPECT_TRUE(graph.move(true, 2900));
        EXPECT_EQ(graph.firstShown(), 1 + move);
    }
    EXPECT_EQ(graph.columns()[0].caption, 4);
    EXPECT_EQ(graph.columns()[29].caption, 33);
    EXPECT_EQ(graph.segments()[0].y1, graph.plotY(4));
    EXPECT_EQ(graph.segments()[28].y2, graph.plotY(33));
    EXPECT_FALSE(graph.segments()[29].visible);

    graph.press(3000);
    graph.move(true, 3100);
    graph.move(true, 3499);
    EXPECT_EQ(graph.firstShown(), 4);
    graph.move(true, 3500);
    EXPECT_EQ(graph.firstShown(), 3);
    graph.move(true, 4000); // 1000 twips: two results per move
    EXPECT_EQ(graph.firstShown(), 1);
}

TEST(HistoryGraph, OnlyTheLeftButtonAloneScrollsButAnyPressMovesTheStart)
{
    HistoryGraph graph = graphOf(100);
    graph.press(3000);
    EXPECT_FALSE(graph.move(false, 1000));
    EXPECT_EQ(graph.firstShown(), 1);

    graph.press(1000.4); // the right button
    EXPECT_EQ(graph.dragStartX(), 1000);
    graph.move(true, 900);
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

TEST(HistoryGraph, AResizeDropsTheSegmentsAndStartsAtTheFirstResult)
{
    HistoryGraph graph = graphOf(60);
    graph.press(3000);
    graph.move(true, 2000);
    ASSERT_EQ(graph.firstShown(), 3);

    HistoryGraph::Anchors wider = designAnchors();
    wider.shape1Width *= 2;
    wider.plotBottom += 1000;
    graph.resize(wider);
    EXPECT_EQ(visibleSegments(graph), 0);
    EXPECT_EQ(graph.firstShown(), 1);
    EXPECT_EQ(graph.columns()[0].caption, 1);
    EXPECT_EQ(graph.dragStartX(), 0);
    EXPECT_EQ(graph.columnStep(), (22110 - 180) / 30);

    // A later drag draws at the new size, not where the points were before.
    graph.press(3000);
    graph.move(true, 2900);
    EXPECT_EQ(graph.segments()[0].x1, 1020 + graph.columnStep() / 4);
    EXPECT_LE(graph.segments()[0].y1, 6880);
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
