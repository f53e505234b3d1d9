#pragma once

#include <QString>

#include <array>
#include <optional>

// The state all windows share. One instance lives as long as the program; main() makes it and
// hands it to the windows, tests make their own.
struct AppState
{
    QString regionKey;
    int recordCount = 0;
    QString currentMapUrl;
    int regionScoreBase = 1500;
    QString counterDataName;
    QString requestUrl;
    QString serverReply;
    QString noticeText;
    int skipCounterReport = 0;
    QString graphRegionKey;
    QString graphRegionName;
    std::array<int, 201> askedFlags{};

    // The national rating of the last score; empty until a rating has worked them out.
    std::optional<double> playerScore;
    std::optional<long long> playerTotal;
    std::optional<long long> meanScore;
    std::optional<long long> scoreRank;
    std::optional<double> deviationScore;
};
