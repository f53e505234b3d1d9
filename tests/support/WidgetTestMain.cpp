#include "Fonts.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Window tests run the real windows off screen, on a 1920×1080 screen, where the main window
// keeps the design's size.
int main(int argc, char **argv)
{
    QTemporaryDir config;
    const QString path = config.filePath(QStringLiteral("screens.json"));
    QFile json(path);
    if (!json.open(QIODevice::WriteOnly))
        return 1;
    json.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,
                   "height": 1080, "logicalDpi": 96, "dpr": 1}]})");
    json.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit());
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
