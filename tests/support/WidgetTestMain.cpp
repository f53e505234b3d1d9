#include "OffscreenScreens.h"

// Window tests run the real windows off screen, on a 1920×1080 screen, where the main window
// keeps the design's size.
int main(int argc, char **argv)
{
    return runWindowTests(argc, argv, {{"desktop", 1920, 1080}});
}
