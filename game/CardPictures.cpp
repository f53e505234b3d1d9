#include "CardPictures.h"

#include "PicturePaths.h"

#include <QImage>
#include <QImageReader>

void CardPictures::prepare(const QString &appPath, const QStringList &flagIds, QSize cardSize,
                           qreal devicePixelRatio)
{
    if (appPath != m_appPath || cardSize != m_size || devicePixelRatio != m_devicePixelRatio) {
        m_cards.clear();
        m_appPath = appPath;
        m_size = cardSize;
        m_devicePixelRatio = devicePixelRatio;
    }
    for (const QString &id : flagIds) {
        const auto held = m_cards.constFind(id);
        if (held != m_cards.constEnd() && !held->isNull())
            continue;
        m_cards.insert(id, decode(PicturePaths::flag(appPath, id), cardSize, devicePixelRatio));
    }
}

QPixmap CardPictures::decode(const QString &path, QSize size, qreal devicePixelRatio)
{
    QImageReader reader(path);
    // The JPEG decoder can scale while it decodes, which is most of the saving.
    if (size.isValid())
        reader.setScaledSize(size * devicePixelRatio);
    QImage image;
    if (!reader.read(&image))
        return {};
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(std::move(image));
}
