#pragma once

// The windows are designed in "ＭＳ Ｐゴシック". Japanese must never fall back to a font without
// kana and kanji, so where the system lacks it a Japanese Gothic font stands in.
namespace Fonts {
// Linux: the Gothic fonts a desktop has. Windows: the font itself where installed, otherwise
// the IPAPGothic the program's folder brings along.
void installSubstitutes();
// Takes the logical resolution of the primary screen for twips, and the design font as the
// application's default. Call once, before any window is made.
void useScreen();
} // namespace Fonts
