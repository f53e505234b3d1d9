#pragma once

#include <initializer_list>

class QScreen;
class QString;
class QTemporaryDir;

// One screen of the off-screen platform, in logical pixels: a 2560×1440 screen at scale 2 is a
// 1280×720 one with two pixels to each, a 3840×2160 one at 1.5 a 2560×1440 one.
struct OffscreenScreen
{
    const char *name;
    int width;
    int height;
    double pixelRatio = 1;
};

// Points the off-screen platform at `screens`, laid side by side from the left, through a file
// in `folder`, which must outlive the application. False when that file cannot be written.
// Call before the application is made.
bool useOffscreenScreens(const QTemporaryDir &folder,
                         std::initializer_list<OffscreenScreen> screens);

// The whole of a window test's main(): the screens, the application, the program's fonts on
// the first screen, then every test.
int runWindowTests(int argc, char **argv, std::initializer_list<OffscreenScreen> screens);

// The screen of that name; null when there is none.
QScreen *screenNamed(const QString &name);
