#include "Fsrs.h"

#include <algorithm>
#include <cmath>

namespace Fsrs {

namespace {

double w(int i)
{
    return weights[size_t(i)];
}

double gradeValue(Grade grade)
{
    return double(static_cast<int>(grade));
}

// 0.9^(-1/w20) - 1: puts R(S, S) at exactly 0.9, which is what makes S "the stability".
double decayFactor()
{
    return std::pow(0.9, -1.0 / w(20)) - 1.0;
}

double clampedDifficulty(double difficulty)
{
    return std::clamp(difficulty, minDifficulty, maxDifficulty);
}

double clampedStability(double stability)
{
    return std::clamp(stability, minStability, maxStability);
}

// The mean reversion pulls towards D0(Easy) as the equation has it, before any clamping: with
// the default weights that is below 1, and clamping it would change the pull.
double unclampedInitialDifficulty(Grade grade)
{
    return w(4) - std::exp(w(5) * (gradeValue(grade) - 1.0)) + 1.0;
}

} // namespace

double initialStability(Grade grade)
{
    return w(static_cast<int>(grade) - 1);
}

double initialDifficulty(Grade grade)
{
    return clampedDifficulty(unclampedInitialDifficulty(grade));
}

double retrievability(double elapsedDays, double stability)
{
    const double t = std::max(0.0, elapsedDays);
    return std::pow(1.0 + decayFactor() * t / clampedStability(stability), -w(20));
}

double nextDifficulty(double difficulty, Grade grade)
{
    const double change = -w(6) * (gradeValue(grade) - 3.0);
    const double damped = difficulty + change * (maxDifficulty - difficulty) / 9.0;
    const double reverted = w(7) * unclampedInitialDifficulty(Grade::Easy) + (1.0 - w(7)) * damped;
    return clampedDifficulty(reverted);
}

double stabilityAfterRecall(const Memory &memory, double retrievability, Grade grade)
{
    const double hard = grade == Grade::Hard ? w(15) : 1.0;
    const double easy = grade == Grade::Easy ? w(16) : 1.0;
    const double s = memory.stability;
    const double growth = std::exp(w(8)) * (11.0 - memory.difficulty) * std::pow(s, -w(9)) *
                          (std::exp(w(10) * (1.0 - retrievability)) - 1.0) * hard * easy;
    return s * (growth + 1.0);
}

double stabilityAfterLapse(const Memory &memory, double retrievability)
{
    const double s = memory.stability;
    const double after = w(11) * std::pow(memory.difficulty, -w(12)) *
                         (std::pow(s + 1.0, w(13)) - 1.0) *
                         std::exp(w(14) * (1.0 - retrievability));
    return std::min(after, s / std::exp(w(17) * w(18)));
}

double sameDayStability(double stability, Grade grade)
{
    double factor =
        std::exp(w(17) * (gradeValue(grade) - 3.0 + w(18))) * std::pow(stability, -w(19));
    if (grade >= Grade::Good)
        factor = std::max(factor, 1.0);
    return stability * factor;
}

int intervalDays(double stability, double retention)
{
    const double days = stability / decayFactor() * (std::pow(retention, -1.0 / w(20)) - 1.0);
    if (!(days < double(maxIntervalDays))) // also catches NaN
        return maxIntervalDays;
    return std::max(1, int(std::lround(days)));
}

Memory review(const std::optional<Memory> &before, Grade grade, int elapsedDays)
{
    if (!before)
        return {initialStability(grade), initialDifficulty(grade)};
    const Memory memory{clampedStability(before->stability), clampedDifficulty(before->difficulty)};
    double stability = 0.0;
    if (elapsedDays <= 0) {
        stability = sameDayStability(memory.stability, grade);
    } else {
        const double r = retrievability(elapsedDays, memory.stability);
        stability = grade == Grade::Again ? stabilityAfterLapse(memory, r)
                                          : stabilityAfterRecall(memory, r, grade);
    }
    return {clampedStability(stability), nextDifficulty(memory.difficulty, grade)};
}

} // namespace Fsrs
