#pragma once

#include <QString>

// What the main window shares with the windows it opens and with the tests that drive it. One
// instance lives as long as the program; main() makes it, tests make their own. Only the main
// window writes it, from what its panels report.
struct AppState
{
    QString regionKey;     // the region whose list was read last
    QString currentMapUrl; // the map "地域地図" opens
};
