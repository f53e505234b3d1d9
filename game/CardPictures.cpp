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

namespace {

QPixmap read(QImageReader &reader, QSize size, qreal devicePixelRatio)
{
    // The JPEG decoder can scale while it decodes, which is most of the saving.
    if (size.isValid())
        reader.setScaledSize(size * devicePixelRatio);
    QImage image;
    if (!reader.read(&image))
        return {};
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(std::move(image));
}

} // namespace

QPixmap CardPictures::decode(const QString &path, QSize size, qreal devicePixelRatio)
{
    QImageReader reader(path);
    return read(reader, size, devicePixelRatio);
}

QPixmap CardPictures::fitted(const QString &path, QSize box, qreal devicePixelRatio)
{
    // One reader gives the proportions and then the picture: the file is opened once.
    QImageReader reader(path);
    const QSize size = reader.size();
    return read(reader, size.isValid() ? size.scaled(box, Qt::KeepAspectRatio) : box,
                devicePixelRatio);
}
