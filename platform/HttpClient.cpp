#include "HttpClient.h"

#include "CodePage.h"

namespace {

// A plain pointer: a thread-local with a destructor is not safe in a DLL built by MinGW.
thread_local const std::atomic<bool> *giveUpFlag = nullptr;

} // namespace

void HttpClient::giveUpWhen(const std::atomic<bool> *flag)
{
    giveUpFlag = flag;
}

bool HttpClient::givenUp()
{
    return giveUpFlag && giveUpFlag->load();
}

QString HttpClient::decodeBody(const QByteArray &body, const QByteArray &contentType)
{
    QByteArray charset;
    const QByteArray lowered = contentType.toLower();
    const qsizetype at = lowered.indexOf("charset=");
    if (at >= 0) {
        charset = lowered.mid(at + 8);
        const qsizetype end = charset.indexOf(';');
        if (end >= 0)
            charset.truncate(end);
        charset = charset.trimmed();
        if (charset.startsWith('"') && charset.endsWith('"') && charset.size() >= 2)
            charset = charset.mid(1, charset.size() - 2);
    }
    if (charset == "shift_jis" || charset == "shift-jis" || charset == "sjis" ||
        charset == "windows-31j" || charset == "cp932" || charset == "ms932" || charset == "x-sjis")
        return CodePage::fromCp932(body);
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii")
        return QString::fromLatin1(body);
    return QString::fromUtf8(body);
}
