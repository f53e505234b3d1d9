#pragma once

class QScreen;

// The windows are designed in "ＭＳ Ｐゴシック". Japanese must never fall back to a font without
// kana and kanji, so where the system lacks it a Japanese Gothic font stands in.
namespace Fonts {
// Linux: the Gothic fonts a desktop has. Windows: the font itself where installed, otherwise
// the IPAPGothic the program's folder brings along.
void installSubstitutes();
// Takes the logical resolution of the screen (the primary one by default) for twips, the scale
// at which the main window fits its working area, and the design font at that scale as the
// application's default. Call before any window is made.
void useScreen(const QScreen *screen = nullptr);
} // namespace Fonts
