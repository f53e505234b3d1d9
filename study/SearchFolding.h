#pragma once

#include <QString>

// One written form for a name, however the player types it: hiragana as katakana, half-width
// katakana as full-width, full-width Latin letters and digits as plain ones, accents and case
// dropped, blanks, punctuation, the middle dot and the long-vowel mark left out, and the
// katakana spellings that name the same sound made one (ヴァ/バ, ヴ/ブ, ヂ/ジ, ヅ/ズ, ティ/チ,
// ディ/ジ, トゥ/ツ, ドゥ/ズ, small ァィゥェォ as large).
namespace SearchFolding {

QString fold(const QString &text);

} // namespace SearchFolding
