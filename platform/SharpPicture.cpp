#include "SharpPicture.h"

#include <QImage>
#include <QImageReader>

namespace SharpPicture {

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

QPixmap decode(const QString &path, QSize size, qreal devicePixelRatio)
{
    QImageReader reader(path);
    return read(reader, size, devicePixelRatio);
}

QPixmap fitted(const QString &path, QSize box, qreal devicePixelRatio)
{
    // One reader gives the proportions and then the picture: the file is opened once.
    QImageReader reader(path);
    const QSize size = reader.size();
    return read(reader, size.isValid() ? size.scaled(box, Qt::KeepAspectRatio) : box,
                devicePixelRatio);
}

} // namespace SharpPicture
