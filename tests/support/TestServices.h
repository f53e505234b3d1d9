#pragma once

#include "CurlHttpClient.h"
#include "Fakes.h"
#include "Services.h"

#include <chrono>

// Fakes for every outside service but the network: requests go out for real, to a server on
// a loopback port.
struct TestServices
{
    CurlHttpClient http{std::chrono::milliseconds(500), std::chrono::milliseconds(2000)};
    RecordingMessageBox messages;
    RecordingShell shell;
    FakeDriveProbe drives;
    FakeClock clock;
    ScriptedRandom random;
    Services services{http, messages, shell, drives, clock, random};
};
