#pragma once

#include <QString>

struct PastGame;

// What the results window says about one past game.
namespace GameDetails {

// Date, score and misses, and the time in minutes and seconds, in three lines joined by CR LF.
QString text(const PastGame &game);

// The title line while a game's details are shown; `columnCaption` is its column number.
QString title(const QString &columnCaption);

// A number as the windows show it: no leading blank, decimals only when it has some.
QString displayNumber(double value);

} // namespace GameDetails
