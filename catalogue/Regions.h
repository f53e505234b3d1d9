#pragma once

#include <QString>

#include <array>

struct Region
{
    QString key;         // the name part of the files and the server paths
    QString displayName; // what the region buttons and the graph list show
    int scoreBase;       // the time allowance of a game, in tenths of a second
};

namespace Regions {

inline constexpr int count = 5;
// A game of any region scores 0 to this: its time allowance is scaled to it, so that the
// results, the graph and the players' histogram compare scores across regions.
inline constexpr int topScore = 500;

// Index order is shared by the region buttons, the graph list and every table by region.
const std::array<Region, count> &all();
const Region &at(int index);

} // namespace Regions
