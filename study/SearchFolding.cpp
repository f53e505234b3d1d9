#include "SearchFolding.h"

#include <QVarLengthArray>

namespace SearchFolding {

namespace {

constexpr char16_t hiraganaFirst = u'\u3041';
constexpr char16_t hiraganaLast = u'\u3096';
constexpr char16_t kanaOffset = u'\u30A1' - u'\u3041';
constexpr char16_t longVowelMark = u'ー';
constexpr char16_t middleDot = u'・';

bool isCombiningAccent(char16_t c)
{
    return c >= u'\u0300' && c <= u'\u036F';
}

// Letters, digits and kana in the folded form of each character, or nothing for a character
// the search ignores.
char16_t foldedChar(QChar c)
{
    if (c.isSpace() || c.isPunct() || c.category() == QChar::Other_Control)
        return 0;
    char16_t u = c.toCaseFolded().unicode();
    if (u == longVowelMark || u == middleDot)
        return 0;
    if (u >= hiraganaFirst && u <= hiraganaLast)
        u = static_cast<char16_t>(u + kanaOffset);
    else if (u == u'ゝ' || u == u'ゞ')
        u = static_cast<char16_t>(u + kanaOffset);
    return u;
}

char16_t largeKana(char16_t c)
{
    switch (c) {
    case u'ァ':
        return u'ア';
    case u'ィ':
        return u'イ';
    case u'ゥ':
        return u'ウ';
    case u'ェ':
        return u'エ';
    case u'ォ':
        return u'オ';
    case u'ヵ':
        return u'カ';
    case u'ヶ':
        return u'ケ';
    case u'ヮ':
        return u'ワ';
    case u'ヰ':
        return u'イ';
    case u'ヱ':
        return u'エ';
    case u'ヲ':
        return u'オ';
    case u'ヂ':
        return u'ジ';
    case u'ヅ':
        return u'ズ';
    default:
        return c;
    }
}

// The sound a kana and the small vowel after it make together, when the two are only another
// spelling of one plain kana; 0 otherwise.
char16_t joinedSound(char16_t c, char16_t next)
{
    if (c == u'ヴ') {
        switch (next) {
        case u'ァ':
            return u'バ';
        case u'ィ':
            return u'ビ';
        case u'ェ':
            return u'ベ';
        case u'ォ':
            return u'ボ';
        default:
            return 0;
        }
    }
    if (c == u'テ' && next == u'ィ')
        return u'チ';
    if (c == u'デ' && next == u'ィ')
        return u'ジ';
    if (c == u'ト' && next == u'ゥ')
        return u'ツ';
    if (c == u'ド' && next == u'ゥ')
        return u'ズ';
    return 0;
}

// The kana before a small ャュョ that keeps it: ヴュ is ビュ, テュ is チュ, デュ is ジュ.
char16_t beforeSmallY(char16_t c)
{
    switch (c) {
    case u'ヴ':
        return u'ビ';
    case u'テ':
        return u'チ';
    case u'デ':
        return u'ジ';
    default:
        return c;
    }
}

bool isSmallY(char16_t c)
{
    return c == u'ャ' || c == u'ュ' || c == u'ョ';
}

} // namespace

QString fold(const QString &text)
{
    // Compatibility decomposition turns full-width Latin into plain, half-width kana into
    // full-width and splits accents off their letters; composing again after the accents are
    // gone joins the voiced marks back onto their kana.
    QString plain = text.normalized(QString::NormalizationForm_KD);
    plain.removeIf([](QChar c) { return isCombiningAccent(c.unicode()); });
    plain = plain.normalized(QString::NormalizationForm_C);

    QVarLengthArray<char16_t, 64> chars;
    for (QChar c : std::as_const(plain)) {
        if (const char16_t u = foldedChar(c))
            chars.append(u);
    }

    QString out;
    out.reserve(chars.size());
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char16_t c = chars[i];
        const char16_t next = i + 1 < chars.size() ? chars[i + 1] : char16_t{0};
        if (const char16_t joined = joinedSound(c, next)) {
            out.append(QChar(joined));
            ++i;
        } else if (isSmallY(next)) {
            out.append(QChar(beforeSmallY(c)));
        } else if (c == u'ヴ') {
            out.append(QChar(u'ブ'));
        } else {
            out.append(QChar(largeKana(c)));
        }
    }
    return out;
}

} // namespace SearchFolding
