#include "AppConfig.h"
#include "AppState.h"
#include "CurlHttpClient.h"
#include "DataFolder.h"
#include "DesktopShell.h"
#include "Fonts.h"
#include "Form1.h"
#include "MountTableDriveProbe.h"
#include "ProgramEnd.h"
#include "QtMessageBox.h"
#include "ServerAccess.h"
#include "Services.h"
#include "SystemClock.h"
#include "SystemRandom.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("フラミオ"));
    Fonts::installSubstitutes();
    Fonts::useScreen();

    CurlHttpClient http;
    QtMessageBox messages;
    DesktopShell shell;
    MountTableDriveProbe drives;
    SystemClock clock;
    SystemRandom random;
    Services services{http, messages, shell, drives, clock, random};

    AppConfig config;
    config.appPath = QCoreApplication::applicationDirPath();
    config.dataPath = DataFolder::choose(config.appPath);
    AppState state;
    ServerAccess server(http, clock, config.serverBase);

    Form1 form(state, services, server, config);
    messages.setParent(&form);
    ProgramEnd::connect(form);
    if (!form.load())
        return 1;
    return QApplication::exec();
}
