#pragma once

class QScreen;

// Maps the Windows font names the windows are designed in to the Japanese Gothic fonts a
// Linux desktop has, so Japanese never falls back to a font without kana and kanji.
namespace Fonts {
void installSubstitutes();
// Takes the logical resolution of the screen (the primary one by default) for twips, the scale
// at which the main window fits its working area, and the design font at that scale as the
// application's default. Call before any window is made.
void useScreen(const QScreen *screen = nullptr);
} // namespace Fonts
