#pragma once

#include <QByteArray>
#include <QString>

// The Japanese ANSI code page of the files and the notice: Windows code page 932, which is
// Shift_JIS plus the NEC and IBM extensions and Microsoft's own mappings (0x8160 is U+FF5E,
// 0x817C is U+FF0D). Text written by a Windows program reads back as it was written.
namespace CodePage {

// Bytes that are not valid code page 932 become U+FFFD; decoding never fails.
QString fromCp932(const QByteArray &bytes);

// A character that has no code in code page 932 becomes '?' and clears *ok.
QByteArray toCp932(const QString &text, bool *ok = nullptr);

// The character with a numeric code of the code page: below 256 a single byte, otherwise a
// lead byte (the high byte) and a trail byte. A code that names no character gives U+FFFD.
QString characterFromCode(unsigned code);

// The numeric code of one character, or -1 when the code page has none for it.
int codeOfCharacter(const QString &character);

} // namespace CodePage
