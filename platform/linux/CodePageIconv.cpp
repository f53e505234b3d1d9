#include "CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace {

// iconv descriptors are not thread-safe; the server converts from several threads.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts until the input ends (true) or a sequence cannot be converted (false, with `in`
    // left at that sequence).
    bool convertOne(const char *&in, size_t &inLeft, QByteArray &out)
    {
        std::lock_guard lock(m_mutex);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[256];
        while (inLeft > 0) {
            char *outPtr = buffer;
            size_t outLeft = sizeof buffer;
            char *inPtr = const_cast<char *>(in);
            const size_t rc = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            in = inPtr;
            out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

private:
    iconv_t m_cd;
    std::mutex m_mutex;
};

Converter &decoder()
{
    static Converter c("UTF-8", "CP932");
    return c;
}

Converter &encoder()
{
    static Converter c("CP932", "UTF-8");
    return c;
}

} // namespace

namespace CodePage {

QString fromCp932(const QByteArray &bytes)
{
    QString result;
    const char *in = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        QByteArray utf8;
        const bool done = decoder().convertOne(in, left, utf8);
        result += QString::fromUtf8(utf8);
        if (done)
            break;
        // Skip the bad sequence: a lead byte with a bad trail byte takes only itself, so the
        // trail byte gets its own chance (it may be plain ASCII).
        result += QChar(QChar::ReplacementCharacter);
        ++in;
        --left;
    }
    return result;
}

QByteArray toCp932(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QByteArray result;
    const QByteArray utf8 = text.toUtf8();
    const char *in = utf8.constData();
    size_t left = static_cast<size_t>(utf8.size());
    while (left > 0) {
        const bool done = encoder().convertOne(in, left, result);
        if (done)
            break;
        if (ok)
            *ok = false;
        result += '?';
        // Skip one whole UTF-8 sequence.
        do {
            ++in;
            --left;
        } while (left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
    }
    return result;
}

} // namespace CodePage
