#pragma once

#include "Clock.h"
#include "DriveTypeProbe.h"
#include "MessageBox.h"
#include "RandomSource.h"
#include "ShellOpener.h"

#include <QStringList>

#include <atomic>
#include <deque>
#include <functional>

class RecordingMessageBox : public MessageBox
{
public:
    void show(const QString &text) override
    {
        shown.append(text);
        if (onShow)
            onShow(text);
    }
    bool ask(const QString &question) override
    {
        asked.append(question);
        if (onAsk)
            onAsk(question);
        return answerYes;
    }
    QStringList shown;
    std::function<void(const QString &)> onShow;
    std::function<void(const QString &)> onAsk;
    QStringList asked;
    bool answerYes = true;
};

class RecordingShell : public ShellOpener
{
public:
    bool openAddress(const QString &address) override
    {
        addresses.append(address);
        return addressesSucceed;
    }
    bool openFile(const QString &path, Show show) override
    {
        files.append(path);
        lastShow = show;
        return filesSucceed && !filesThatFail.contains(path);
    }
    bool openPage(const QString &path) override
    {
        pages.append(path);
        return pagesSucceed;
    }
    QStringList addresses;
    QStringList files;
    QStringList pages;
    bool pagesSucceed = true;
    Show lastShow = Show::Normal;
    bool addressesSucceed = true;
    bool filesSucceed = true;
    QStringList filesThatFail;
};

class FakeDriveProbe : public DriveTypeProbe
{
public:
    bool isOpticalDrive(const QString &folder) const override
    {
        return !opticalPrefix.isEmpty() && folder.startsWith(opticalPrefix);
    }
    QString opticalPrefix;
};

// A clock the test moves by hand; it also moves by `autoAdvance` on every reading.
class FakeClock : public Clock
{
public:
    // Read by the windows and by the requests' own thread alike.
    double monotonicSeconds() const override { return seconds.fetch_add(autoAdvance); }
    QDateTime localNow() const override { return wallClock; }
    mutable std::atomic<double> seconds = 1000.0;
    std::atomic<double> autoAdvance = 0.0;
    QDateTime wallClock = QDateTime(QDate(2026, 12, 6), QTime(21, 30, 5));
};

// Hands out scripted values first, then a fixed fallback sequence.
class ScriptedRandom : public RandomSource
{
public:
    void reseed() override { ++reseeds; }
    double next() override;
    std::deque<double> values;
    int reseeds = 0;
    unsigned long long state = 12345;
};
