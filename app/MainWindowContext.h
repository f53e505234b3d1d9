#pragma once

#include "AppState.h"
#include "CountryTable.h"
#include "Services.h"

#include <QString>

#include <functional>

class QWidget;
class ServerAccess;
class NationalDeviation;

// What the main window shares with the parts that live on it (the game panel, the study
// views, the results window): the shared state, the country table and the window-level
// variables several handlers use, and the services.
struct MainWindowContext
{
    MainWindowContext(AppState &state, Services &services, ServerAccess &server, QString appPath,
                      QString wikiBase)
        : state(state), services(services), server(server), appPath(std::move(appPath)),
          wikiBase(std::move(wikiBase))
    {
    }

    AppState &state;
    Services &services;
    ServerAccess &server;
    QString appPath;  // the program's folder, without a trailing separator
    QString wikiBase; // the encyclopedia's article address, ending in /

    CountryTable table;
    int rowIndex = 0; // the loader's row counter; the game's question number
    int galleryFirst = 1;
    int galleryScrollValue = 1;

    // Reads the base list of state.regionKey into the table and List1. Throws BaseListError.
    std::function<void()> loadBaseList;

    // Rates a score nationally and, unless skipCounterReport is set, reports it. Set by the
    // main window once the deviation window exists.
    NationalDeviation *deviation = nullptr;

    // Controls of the start screen that the modes hide.
    QWidget *text3 = nullptr;    // the comment box
    QWidget *label15 = nullptr;  // closes the comment box
    QWidget *image6 = nullptr;   // the intro picture
    QWidget *picture1 = nullptr; // the game panel
};
