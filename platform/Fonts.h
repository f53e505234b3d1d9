#pragma once

// Maps the Windows font names the windows are designed in to the Japanese Gothic fonts a
// Linux desktop has, so Japanese never falls back to a font without kana and kanji.
namespace Fonts {
void installSubstitutes();
// Takes the logical resolution of the primary screen for twips, and the design font as the
// application's default. Call once, before any window is made.
void useScreen();
} // namespace Fonts
