#include "Fakes.h"

double ScriptedRandom::next()
{
    if (!values.empty()) {
        const double v = values.front();
        values.pop_front();
        return v;
    }
    // A small linear congruential sequence keeps unscripted draws repeatable.
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
}
