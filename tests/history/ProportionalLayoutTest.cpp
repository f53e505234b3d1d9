#include "ProportionalLayout.h"

#include <QObject>

#include <gtest/gtest.h>

TEST(ProportionalLayout, ScalesBoxesByBothRatiosAndFontsByTheWidthOnly)
{
    QObject box;
    QObject line;
    ProportionalLayout layout;
    EXPECT_TRUE(layout.scaledTo(100, 100).empty());
    layout.captureLayout(1000, 500, {{&box, {100, 50, 200, 40, 10}}, {&line, {}}});
    ASSERT_TRUE(layout.layoutCaptured());
    EXPECT_EQ(layout.layoutItems()[1].csLeft, 0);

    const auto scaled = layout.scaledTo(2000, 750);
    ASSERT_EQ(scaled.size(), 2u);
    EXPECT_EQ(scaled[0].control, &box);
    EXPECT_EQ(scaled[0].geometry.left, 200);
    EXPECT_EQ(scaled[0].geometry.top, 75);
    EXPECT_EQ(scaled[0].geometry.width, 400);
    EXPECT_EQ(scaled[0].geometry.height, 60);
    EXPECT_EQ(scaled[0].geometry.fontSize, 20);
    // What a control lacks is left alone.
    EXPECT_FALSE(scaled[1].geometry.left || scaled[1].geometry.fontSize);
    // A size the controls would refuse is skipped, the rest goes on.
    EXPECT_FALSE(layout.scaledTo(0, 750)[0].geometry.fontSize);
    EXPECT_EQ(layout.scaledTo(0, 750)[0].geometry.top, 75);
}
