#include "CodePage.h"

namespace {

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace

namespace CodePage {

QString characterFromCode(unsigned code)
{
    QByteArray bytes;
    if (code < 256) {
        if (isLeadByte(static_cast<unsigned char>(code)))
            return QString(QChar(QChar::ReplacementCharacter));
        bytes.append(static_cast<char>(code));
    } else if (code <= 0xFFFF && isLeadByte(static_cast<unsigned char>(code >> 8))) {
        bytes.append(static_cast<char>(code >> 8));
        bytes.append(static_cast<char>(code & 0xFF));
    } else {
        return QString(QChar(QChar::ReplacementCharacter));
    }
    const QString decoded = fromCp932(bytes);
    if (decoded.size() != 1 && !(decoded.size() == 2 && decoded.at(0).isHighSurrogate()))
        return QString(QChar(QChar::ReplacementCharacter));
    return decoded;
}

int codeOfCharacter(const QString &character)
{
    bool ok = false;
    const QByteArray bytes = toCp932(character, &ok);
    if (!ok || bytes.isEmpty() || bytes.size() > 2)
        return -1;
    if (bytes.size() == 1)
        return static_cast<unsigned char>(bytes.at(0));
    return (static_cast<unsigned char>(bytes.at(0)) << 8) | static_cast<unsigned char>(bytes.at(1));
}

} // namespace CodePage
