#pragma once

#include "Fonts.h"
#include "MainWindowFixture.h"

#include <QApplication>

#include <cstdio>

// The main window over the shipped data (FURAMIO_SHIPPED_DATA), for the window benchmarks.
struct ShippedProgram : QuietNoticeServer, MainWindowHarness
{
    ShippedProgram()
        : MainWindowHarness(QStringLiteral(FURAMIO_SHIPPED_DATA), noticeServer.baseUrl())
    {
    }

    // Runs the start-up; says why on standard error when it fails.
    bool load()
    {
        if (form->load())
            return true;
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(messages.shown.join(' ')));
        return false;
    }
};

// Window benchmarks run off screen unless told otherwise.
inline void useOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
