#include "StrayClickFilter.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// Two windows one over the other, as the results window lies over the main window: the upper
// one's button hides it, and a button of the lower one lies under the same point.
TEST(StrayClickFilter, TheSecondPressOfADoubleClickThatHidItsWindowIsNoClickBeneath)
{
    StrayClickFilter filter;
    qApp->installEventFilter(&filter);
    QWidget below;
    auto *beneath = new QPushButton(QStringLiteral("スタート"), &below);
    beneath->setGeometry(0, 0, 200, 100);
    QWidget above;
    auto *back = new QPushButton(QStringLiteral("戻る"), &above);
    back->setGeometry(0, 0, 200, 100);
    QObject::connect(back, &QPushButton::clicked, &above, &QWidget::hide);
    for (QWidget *window : {&below, &above}) {
        window->setGeometry(100, 100, 200, 100);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    int clicks = 0;
    QObject::connect(beneath, &QPushButton::clicked, [&] { ++clicks; });

    const QPoint point(50, 50);
    QTest::mouseClick(above.windowHandle(), Qt::LeftButton, {}, point);
    ASSERT_FALSE(above.isVisible());
    // The second click comes at once, now to the window left at that point.
    QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;
    QTest::mouseClick(below.windowHandle(), Qt::LeftButton, {}, point);
    EXPECT_EQ(clicks, 0);

    // A double click within one window still reaches it: a button takes it for two clicks.
    QTest::mouseDClick(below.windowHandle(), Qt::LeftButton, {}, point);
    EXPECT_EQ(clicks, 2);
}
