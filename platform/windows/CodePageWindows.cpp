#include "CodePage.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr UINT cp932 = 932;

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Windows gives the bytes the code page leaves unassigned (0x80, 0xA0, 0xFD to 0xFF) stand-in
// characters of their own; here they are no characters, as everywhere else this program runs,
// so that a file reads the same on Linux and on Windows.
bool isStandIn(char16_t unit)
{
    return unit == 0x0080 || (unit >= 0xF8F0 && unit <= 0xF8F3);
}

bool holdsStandIn(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isStandIn(c.unicode()); });
}

// The system's own table of the code page; false when the bytes are no character of it.
bool decodeRun(const char *bytes, int length, QString &out)
{
    const int needed = MultiByteToWideChar(cp932, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (needed <= 0)
        return false;
    const qsizetype at = out.size();
    out.resize(at + needed);
    MultiByteToWideChar(cp932, MB_ERR_INVALID_CHARS, bytes, length,
                        reinterpret_cast<wchar_t *>(out.data() + at), needed);
    if (holdsStandIn(QStringView(out).sliced(at))) {
        out.truncate(at);
        return false;
    }
    return true;
}

// False when some character has no code: the system then put its default character in.
bool encodeRun(const wchar_t *text, int length, QByteArray &out)
{
    if (std::any_of(text, text + length, [](wchar_t c) { return isStandIn(char16_t(c)); }))
        return false;
    BOOL usedDefault = FALSE;
    const int needed = WideCharToMultiByte(cp932, WC_NO_BEST_FIT_CHARS, text, length, nullptr, 0,
                                           "?", &usedDefault);
    if (needed <= 0 || usedDefault)
        return false;
    const qsizetype at = out.size();
    out.resize(at + needed);
    WideCharToMultiByte(cp932, WC_NO_BEST_FIT_CHARS, text, length, out.data() + at, needed, "?",
                        nullptr);
    return true;
}

} // namespace

namespace CodePage {

QString fromCp932(const QByteArray &bytes)
{
    QString result;
    if (bytes.isEmpty() || decodeRun(bytes.constData(), int(bytes.size()), result))
        return result;
    // Character by character, so that only the bad sequences become U+FFFD: a lead byte with a
    // bad trail byte takes only itself, and the trail byte gets its own chance.
    result.clear();
    for (qsizetype i = 0; i < bytes.size();) {
        const int length =
            isLeadByte(static_cast<unsigned char>(bytes.at(i))) && i + 1 < bytes.size() ? 2 : 1;
        if (decodeRun(bytes.constData() + i, length, result)) {
            i += length;
            continue;
        }
        result += QChar(QChar::ReplacementCharacter);
        ++i;
    }
    return result;
}

QByteArray toCp932(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QByteArray result;
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    if (text.isEmpty() || encodeRun(units, int(text.size()), result))
        return result;
    result.clear();
    for (qsizetype i = 0; i < text.size();) {
        const int length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        if (!encodeRun(units + i, length, result)) {
            if (ok)
                *ok = false;
            result += '?';
        }
        i += length;
    }
    return result;
}

} // namespace CodePage
