#pragma once

#include <QString>

#include <array>

// The countries of the last base lists read. Rows and flag IDs both run from 1 to 200; a load
// overwrites only what its file names, so entries of an earlier load stay in place.
struct CountryTable
{
    static constexpr int upperBound = 200;
    using Column = std::array<QString, upperBound + 1>;

    Column flagIds;      // by row
    Column regionNames;  // by row
    Column countryNames; // by flag ID
    Column capitals;     // by flag ID
    Column mapUrls;      // by flag ID
};
