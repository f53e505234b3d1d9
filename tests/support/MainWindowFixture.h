#pragma once

#include "AppConfig.h"
#include "AppState.h"
#include "Form1.h"
#include "LoopbackServer.h"
#include "PlayerData.h"
#include "ProgramFolder.h"
#include "ServerAccess.h"
#include "TestServices.h"

#include <memory>

// The main window over a program folder and a server on a loopback port, with fakes for
// everything else. `load()` runs the start-up.
struct MainWindowHarness : TestServices
{
    MainWindowHarness(const QString &appPath, const QString &serverBase)
    {
        config.appPath = appPath;
        config.dataPath = appPath;
        config.serverBase = serverBase;
        config.wikiBase = QStringLiteral("https://ja.wikipedia.org/wiki/");
        config.shopUrl = QStringLiteral("http://shop.example/");
        config.referralUrl = QStringLiteral("https://hosting.example/?ref=1");
        server = std::make_unique<ServerAccess>(http, clock, serverBase);
        remakeForm();
    }

    // A new main window over the folder as it is now (the window reads pictures as soon as it
    // is made).
    void remakeForm()
    {
        form.reset();
        // The data folder as the test set it, the messages to the fake box.
        playerData = std::make_unique<PlayerData>(
            config.dataPath, clock, [this](const QString &text) { messages.show(text); });
        form = std::make_unique<Form1>(state, services, *server, *playerData, config);
        QObject::connect(form.get(), &Form1::endRequested, [this] { ++endRequests; });
    }

    AppConfig config;
    AppState state;
    std::unique_ptr<ServerAccess> server;
    std::unique_ptr<PlayerData> playerData;
    std::unique_ptr<Form1> form;
    int endRequests = 0;
};

// Made before the window, so that the window finds its files.
struct MadeUpProgramFolder
{
    explicit MadeUpProgramFolder(int worldRows) : folder(worldRows) {}
    ProgramFolder folder;
};

// The main window over a made-up program folder (see ProgramFolder).
struct MainWindowFixture : MadeUpProgramFolder, MainWindowHarness
{
    explicit MainWindowFixture(const QString &serverBase, int worldRows = 198)
        : MadeUpProgramFolder(worldRows), MainWindowHarness(folder.path(), serverBase)
    {
    }
};

// A server that announces no news, made before the window that asks it.
struct QuietNoticeServer
{
    LoopbackServer noticeServer{[](const QString &, int) {
        return LoopbackReply{200, "<no news>"};
    }};
};
