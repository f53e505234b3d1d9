#include "ShellOpener.h"

std::optional<QUrl> ShellOpener::webAddress(const QString &address)
{
    // Non-ASCII titles and blanks are percent-encoded on the way out; the page reached is
    // the same one.
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}
