#include "CardPictures.h"

#include "PicturePaths.h"

#include <QImage>
#include <QImageReader>

void CardPictures::prepare(const QString &appPath, const QStringList &flagIds, QSize cardSize)
{
    if (appPath != m_appPath || cardSize != m_size) {
        m_cards.clear();
        m_appPath = appPath;
        m_size = cardSize;
    }
    for (const QString &id : flagIds) {
        const auto held = m_cards.constFind(id);
        if (held != m_cards.constEnd() && !held->isNull())
            continue;
        m_cards.insert(id, decode(PicturePaths::flag(appPath, id), cardSize));
    }
}

QPixmap CardPictures::decode(const QString &path, QSize size)
{
    QImageReader reader(path);
    // The JPEG decoder can scale while it decodes, which is most of the saving.
    if (size.isValid())
        reader.setScaledSize(size);
    QImage image;
    if (!reader.read(&image))
        return {};
    return QPixmap::fromImage(std::move(image));
}
