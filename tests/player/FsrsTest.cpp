#include "Fsrs.h"

#include <gtest/gtest.h>

#include <vector>

using Fsrs::Grade;

namespace {

struct Step
{
    Grade grade;
    int elapsedDays; // since the step before; 0 is the same day
};

// Expected values worked out by hand from the published equations at the default weights.
struct Case
{
    const char *what;
    std::vector<Step> steps;
    double stability;
    double difficulty;
    int interval; // at retention 0.90; not looked at after an Again, which is due the same day
    std::optional<Fsrs::Memory> start = std::nullopt; // the memory before the first step
};

} // namespace

TEST(Fsrs, SequencesFollowTheEquations)
{
    const auto again = [](int days) { return Step{Grade::Again, days}; };
    const auto hard = [](int days) { return Step{Grade::Hard, days}; };
    const auto good = [](int days) { return Step{Grade::Good, days}; };
    const auto easy = [](int days) { return Step{Grade::Easy, days}; };
    const std::vector<Case> cases{
        // S0(G) = w[G-1]; D0(G) = w4 - e^(w5 (G-1)) + 1; D0(Easy) = -4.77 is clamped to 1.
        {"first Again", {again(0)}, 0.212, 6.4133, 0},
        {"first Hard", {hard(0)}, 1.2931, 5.112171, 1},
        {"first Good", {good(0)}, 2.3065, 2.118104, 2},
        {"first Easy", {easy(0)}, 8.2956, 1.0, 8},
        {"Good, Good at its due date", {good(0), good(2)}, 10.964332, 2.111214, 11},
        {"Good, Good, Again at its due date", {good(0), good(2), again(11)}, 1.538337, 7.392238, 0},
        {"Good, Good, Again, Good the same day",
         {good(0), good(2), again(11), good(0)},
         1.571197,
         7.380074,
         2},
        {"Again first, Good the same day", {again(0), good(0)}, 0.246689, 6.402115, 1},
        {"Again first, Good the same day, Good the next day",
         {again(0), good(0), good(1)},
         2.021477,
         6.390941,
         2},
        {"Good, then Good after 400 days", {good(0), good(400)}, 65.604820, 2.111214, 66},
        // A lapse never leaves more than S / e^(w17 w18) (0.951728 S), what a miss the same day
        // would: at S 0.1 after 100 days the lapse equation alone gives 0.100266.
        {"Good, then Again after 400 days", {good(0), again(400)}, 1.290344, 7.394503, 0},
        {"S 0.1, D 5, Again after 100 days", {again(100)}, 0.095173, 8.341762, 0, {{0.1, 5.0}}},
        {"S 0.1, D 5, Again after a day", {again(1)}, 0.056577, 8.341762, 0, {{0.1, 5.0}}},
        {"S 10, D 5, Again after 10 days", {again(10)}, 1.391987, 8.341762, 0, {{10.0, 5.0}}},
        // Damping keeps a difficulty that only rises below 10; same-day misses floor the
        // stability instead of wearing it down to nothing.
        {"31 misses in one day", std::vector<Step>(31, again(0)), Fsrs::minStability, 9.977996, 0},
        {"Easy three times, three days apart", std::vector<Step>(3, easy(3)), 57.963082, 1.0, 58},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<Fsrs::Memory> memory = c.start;
        for (const Step &step : c.steps)
            memory = Fsrs::review(memory, step.grade, step.elapsedDays);
        EXPECT_NEAR(memory->stability, c.stability, 1e-5);
        EXPECT_NEAR(memory->difficulty, c.difficulty, 1e-5);
        EXPECT_GE(memory->difficulty, Fsrs::minDifficulty);
        EXPECT_LE(memory->difficulty, Fsrs::maxDifficulty);
        if (c.steps.back().grade != Grade::Again) {
            EXPECT_EQ(Fsrs::intervalDays(memory->stability), c.interval);
        }
    }
}

TEST(Fsrs, RecallAndIntervalAtTheDesiredRetention)
{
    // The factor makes R(S, S) exactly 0.9, so at retention 0.90 the interval is S rounded,
    // never below a day nor past the cap; at 0.80 it is 3.3160 S.
    EXPECT_NEAR(Fsrs::retrievability(2.3065, 2.3065), 0.9, 1e-12);
    EXPECT_NEAR(Fsrs::retrievability(2, 2.3065), 0.909493, 1e-6);
    EXPECT_NEAR(Fsrs::retrievability(11, 10), 0.893319, 1e-6);
    EXPECT_EQ(Fsrs::retrievability(-3, 10), 1.0);
    const std::vector<std::pair<double, int>> intervals{
        {0.212, 1}, {1.49, 1}, {1.51, 2}, {10.964332, 11}, {36'499.6, 36'500}, {1e9, 36'500}};
    for (const auto &[stability, days] : intervals) {
        EXPECT_EQ(Fsrs::intervalDays(stability), days) << stability;
    }
    EXPECT_EQ(Fsrs::intervalDays(10, 0.80), 33);
}
