#pragma once

#include "AppConfig.h"
#include "AppState.h"
#include "CurlHttpClient.h"
#include "Fakes.h"
#include "Form1.h"
#include "LoopbackServer.h"
#include "ProgramFolder.h"
#include "ServerAccess.h"
#include "Services.h"

#include <memory>

// The main window over a made-up program folder and a server on a loopback port, with fakes
// for everything else. `load()` runs the start-up.
struct MainWindowFixture
{
    explicit MainWindowFixture(const QString &serverBase, int worldRows = 198)
        : folder(worldRows)
    {
        config.appPath = folder.path();
        config.serverBase = serverBase;
        config.wikiBase = QStringLiteral("https://ja.wikipedia.org/wiki/");
        config.shopUrl = QStringLiteral("http://shop.example/");
        config.referralUrl = QStringLiteral("https://hosting.example/?ref=1");
        server = std::make_unique<ServerAccess>(state, http, clock, serverBase);
        remakeForm();
    }

    // A new main window over the folder as it is now (the window reads pictures as soon as it
    // is made).
    void remakeForm()
    {
        form.reset();
        form = std::make_unique<Form1>(state, services, *server, config);
        QObject::connect(form.get(), &Form1::endRequested, [this] { ++endRequests; });
    }

    ProgramFolder folder;
    AppConfig config;
    AppState state;
    CurlHttpClient http{std::chrono::milliseconds(500), std::chrono::milliseconds(2000)};
    RecordingMessageBox messages;
    RecordingShell shell;
    FakeDriveProbe drives;
    FakeClock clock;
    ScriptedRandom random;
    Services services{http, messages, shell, drives, clock, random};
    std::unique_ptr<ServerAccess> server;
    std::unique_ptr<Form1> form;
    int endRequests = 0;
};
