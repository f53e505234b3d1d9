#pragma once

#include <QString>

struct PastGame;
struct ResultsHistory;

// What the results window says about one past game.
namespace GameDetails {

// Date, score and misses, and the time in minutes and seconds, in three lines joined by CR LF.
QString text(const PastGame &game);

// The title line while a game's details are shown; `columnCaption` is its column number.
QString title(const QString &columnCaption);

// What the detail box says after a load that left lines or games out; empty when none was.
QString loadNotes(const ResultsHistory &history);

// A number as the windows show it: no leading blank, decimals only when it has some.
QString displayNumber(double value);

} // namespace GameDetails
