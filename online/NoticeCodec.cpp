#include "NoticeCodec.h"

#include "CodePage.h"

namespace {

const QString alphabet = QStringLiteral("123456789ABCDEF");

unsigned digitValue(QChar c)
{
    const qsizetype at = alphabet.indexOf(c);
    return at < 0 ? 0U : static_cast<unsigned>(at + 1);
}

QChar digitOf(unsigned value)
{
    return value == 0 ? QLatin1Char('0') : alphabet.at(static_cast<qsizetype>(value - 1));
}

} // namespace

namespace NoticeCodec {

QString decode(const QString &encoded)
{
    QString result;
    for (qsizetype p = 0; p + 3 < encoded.size(); p += 4) {
        const QChar first = encoded.at(p);
        unsigned code = 0;
        if (first == QLatin1Char('g'))
            code = 16 * digitValue(encoded.at(p + 2)) + digitValue(encoded.at(p + 3));
        else if (first == QLatin1Char('h'))
            code = digitValue(encoded.at(p + 3));
        else
            code = 4096 * digitValue(first) + 256 * digitValue(encoded.at(p + 1)) +
                   16 * digitValue(encoded.at(p + 2)) + digitValue(encoded.at(p + 3));
        result += CodePage::characterFromCode(code);
    }
    return result;
}

QString encode(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            length = 2;
        const QString character = text.mid(i, length);
        i += length - 1;
        const int code = CodePage::codeOfCharacter(character);
        if (code < 0) {
            if (ok)
                *ok = false;
            continue;
        }
        const auto c = static_cast<unsigned>(code);
        if (c < 16) {
            result += QStringLiteral("h00") + digitOf(c);
        } else if (c < 256) {
            result += QStringLiteral("g0") + digitOf(c >> 4) + digitOf(c & 15);
        } else {
            result += digitOf(c >> 12);
            result += digitOf((c >> 8) & 15);
            result += digitOf((c >> 4) & 15);
            result += digitOf(c & 15);
        }
    }
    return result;
}

} // namespace NoticeCodec
