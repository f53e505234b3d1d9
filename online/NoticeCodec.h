#pragma once

#include <QString>

// The news text travels as plain ASCII: every character becomes four characters c1 c2 c3 c4,
// read as digits of the alphabet "123456789ABCDEF" (value 1 to 15 by position; every other
// character, "0" and lower case included, is 0).
// - c1 = "g": a single-byte code 16 * c3 + c4 (ASCII, half-width katakana); c2 is ignored.
// - c1 = "h": a control code c4 (13 is CR, 10 is LF); c2 and c3 are ignored.
// - otherwise: a double-byte code page 932 code 4096 * c1 + 256 * c2 + 16 * c3 + c4.
// A trailing group of fewer than four characters is ignored.
namespace NoticeCodec {

// Codes that name no character come out as U+FFFD.
QString decode(const QString &encoded);

// The inverse of decode. Characters without a code page 932 code clear *ok and are left out.
QString encode(const QString &text, bool *ok = nullptr);

} // namespace NoticeCodec
