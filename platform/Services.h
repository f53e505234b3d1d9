#pragma once

class HttpClient;
class MessageBox;
class ShellOpener;
class DriveTypeProbe;
class Clock;
class RandomSource;

// The outside world as the windows see it. main() hands in the real ones, tests their fakes.
struct Services
{
    HttpClient &http;
    MessageBox &messages;
    ShellOpener &shell;
    DriveTypeProbe &drives;
    Clock &clock;
    RandomSource &random;
};
