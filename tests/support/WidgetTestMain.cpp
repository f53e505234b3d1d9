#include "Fonts.h"

#include <QApplication>

#include <gtest/gtest.h>

// Window tests run the real windows off screen.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
