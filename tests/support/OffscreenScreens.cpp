#include "OffscreenScreens.h"

#include "AccessibleRoles.h"
#include "EnterPressesButtons.h"
#include "FocusFrameStyle.h"
#include "Fonts.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int logicalDpi = 96;

} // namespace

bool useOffscreenScreens(const QTemporaryDir &folder,
                         std::initializer_list<OffscreenScreen> screens)
{
    QJsonArray list;
    int x = 0;
    for (const OffscreenScreen &screen : screens) {
        list.append(QJsonObject{{"name", screen.name},
                                {"x", x},
                                {"y", 0},
                                {"width", screen.width},
                                {"height", screen.height},
                                {"logicalDpi", logicalDpi},
                                {"dpr", screen.pixelRatio}});
        x += screen.width;
    }
    const QString path = folder.filePath(QStringLiteral("screens.json"));
    QFile json(path);
    if (!json.open(QIODevice::WriteOnly))
        return false;
    json.write(QJsonDocument(QJsonObject{{"screens", list}}).toJson());
    json.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit());
    return true;
}

int runWindowTests(int argc, char **argv, std::initializer_list<OffscreenScreen> screens)
{
    QTemporaryDir config;
    if (!useOffscreenScreens(config, screens))
        return 1;
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    AccessibleRoles::install();
    QApplication::setStyle(new FocusFrameStyle);
    // The keyboard as the program has it.
    EnterPressesButtons enterKey;
    app.installEventFilter(&enterKey);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}
