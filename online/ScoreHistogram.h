#pragma once

#include "Regions.h"

#include <QByteArray>
#include <QStringView>

#include <array>
#include <optional>

// The score histogram our server keeps per region: the i-th number of its text is how many
// players scored exactly i, for i = 1 to the top score. Every run of the digits 0-9 is a number;
// any other character only separates numbers.
namespace ScoreHistogram {

inline constexpr int scores = Regions::topScore;
// A count above this is no real number of players; the reply is then not a histogram.
inline constexpr long long countLimit = 1'000'000'000'000LL;

// counts[i] = players with score i; counts[0] is unused.
using Counts = std::array<long long, scores + 1>;

struct Reading
{
    Counts counts{};
    int numbersFound = 0; // up to `scores`; later numbers are not looked at
    bool countTooLarge = false;
    bool complete() const { return numbersFound == scores && !countTooLarge; }
};

Reading read(QStringView reply);

// The scratch file's content: each digit run of the reply on a line of its own, CR LF.
QByteArray scratchText(QStringView reply);

// The rating of one score against a histogram. Each value is empty when it cannot be worked
// out: no complete histogram, nobody counted (no mean), everybody on one score (no spread).
struct Rating
{
    std::optional<long long> total;
    std::optional<long long> rank;
    std::optional<long long> mean;
    std::optional<long long> standardDeviation;
    std::optional<long long> deviationScore;
    bool failed() const
    {
        return !total || !rank || !mean || !standardDeviation || !deviationScore;
    }
};

Rating rate(const Reading &reading, double playerScore);

} // namespace ScoreHistogram
