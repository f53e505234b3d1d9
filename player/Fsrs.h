#pragma once

#include <array>
#include <optional>

// The memory model behind the review schedule: how stable the player's memory of a card is
// (in days), how hard the card is for them (1 to 10), and how likely they are to recall it
// after a given time. The equations are FSRS-6 at its published default weights, with the
// intervals in whole days and no random spread, so that a schedule can be checked by hand.
namespace Fsrs {

// What an answer says about the player's memory. Play gives only Again (any miss) and Good
// (right at the first click); Hard and Easy exist because the equations are defined for them.
enum class Grade
{
    Again = 1,
    Hard = 2,
    Good = 3,
    Easy = 4
};

inline constexpr std::array<double, 21> weights{
    0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001,  1.8722, 0.1666, 0.796,
    1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};

// The share of cards the player should still recall when they come due.
inline constexpr double desiredRetention = 0.90;
inline constexpr double minDifficulty = 1.0;
inline constexpr double maxDifficulty = 10.0;
// Below this a stability is noise; above it a date would run past anything the file can hold.
inline constexpr double minStability = 0.001;
inline constexpr double maxStability = 36'500.0;
inline constexpr int maxIntervalDays = 36'500;

struct Memory
{
    double stability = 0.0; // days until recall falls to 90 %
    double difficulty = 0.0;
};

// S0(G) = w[G-1].
double initialStability(Grade grade);
// D0(G) = w4 - e^(w5 (G-1)) + 1, clamped to 1..10.
double initialDifficulty(Grade grade);

// R(t, S) = (1 + factor t / S)^(-w20), factor = 0.9^(-1/w20) - 1: the chance of recall t days
// after the last review. 1 at t = 0 (and for a t below 0, a clock set back).
double retrievability(double elapsedDays, double stability);

// D' = w7 D0(4) + (1 - w7) (D - w6 (G - 3) (10 - D) / 9), clamped to 1..10: each Again pushes
// the difficulty up, less the nearer it is to 10, and every review draws it a little back.
double nextDifficulty(double difficulty, Grade grade);

// After a recall (Hard, Good, Easy) on a later day, from the memory before the review and the
// retrievability at the review: S (e^w8 (11 - D) S^(-w9) (e^(w10 (1 - R)) - 1) h e + 1), with
// h = w15 for Hard and e = w16 for Easy, 1 otherwise.
double stabilityAfterRecall(const Memory &memory, double retrievability, Grade grade);

// After a lapse (Again) on a later day: w11 D^(-w12) ((S + 1)^w13 - 1) e^(w14 (1 - R)), never
// above S / e^(w17 w18), what a miss on the same day would leave: forgetting a card never
// makes its memory last longer.
double stabilityAfterLapse(const Memory &memory, double retrievability);

// A review on the same day as the last one: S e^(w17 (G - 3 + w18)) S^(-w19). A right answer
// (Good, Easy) never lowers the stability.
double sameDayStability(double stability, Grade grade);

// I = S / factor (r^(-1/w20) - 1) rounded to whole days, 1 to maxIntervalDays. At r = 0.90 the
// interval is the stability itself.
int intervalDays(double stability, double retention = desiredRetention);

// One review of a card: the first one (no memory yet), a same-day one (elapsedDays 0; a
// negative value, a clock set back, counts as 0), or one `elapsedDays` after the last.
// The stability is kept within minStability..maxStability.
Memory review(const std::optional<Memory> &before, Grade grade, int elapsedDays);

} // namespace Fsrs
