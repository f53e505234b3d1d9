#include "AccessibleRoles.h"
#include "AppConfig.h"
#include "AppState.h"
#include "DataFolder.h"
#include "EnterPressesButtons.h"
#include "FocusFrameStyle.h"
#include "Fonts.h"
#include "Form1.h"
#include "PlayerData.h"
#include "ProgramEnd.h"
#include "QtMessageBox.h"
#include "ServerAccess.h"
#include "Services.h"
#include "StrayClickFilter.h"
#include "SystemClock.h"
#include "SystemRandom.h"
#include "SystemServices.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("フラミオ"));
    Fonts::installSubstitutes();
    Fonts::useScreen();
    AccessibleRoles::install();
    QApplication::setStyle(new FocusFrameStyle);
    StrayClickFilter strayClicks;
    app.installEventFilter(&strayClicks);
    EnterPressesButtons enterKey;
    app.installEventFilter(&enterKey);

    SystemServices system;
    QtMessageBox messages;
    SystemClock clock;
    SystemRandom random;
    Services services{system.http, messages, system.shell, system.drives, clock, random};

    AppConfig config;
    config.appPath = QCoreApplication::applicationDirPath();
    config.dataPath = DataFolder::choose(config.appPath);
    AppState state;
    ServerAccess server(system.http, clock, config.serverBase);

    PlayerData playerData(config.dataPath, clock,
                          [&messages](const QString &text) { messages.show(text); });

    Form1 form(state, services, server, playerData, config);
    messages.setParent(&form);
    system.setMainWindow(&form);
    ProgramEnd::connect(form);
    if (!form.load())
        return 1;
    return QApplication::exec();
}
