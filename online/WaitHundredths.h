#pragma once

class Clock;

// Waits until more than `hundredths` hundredths of a second have passed on the clock, keeping
// the windows answering meanwhile: clicks that arrive are handled inside the wait.
void waitHundredths(Clock &clock, int hundredths);
