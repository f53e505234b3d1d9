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

// Whether a picture of `own` pixels must be enlarged to be shown at `size` logical pixels.
bool enlarged(QSize own, QSize size, qreal devicePixelRatio)
{
    if (!own.isValid() || !size.isValid())
        return false;
    const QSize needed = size * devicePixelRatio;
    return needed.width() > own.width() || needed.height() > own.height();
}

// `size` is the size shown, or invalid for the picture's own proportions inside `box`.
QPixmap readSharpest(const QString &path, const QString &largerPath, QSize size, QSize box,
                     qreal devicePixelRatio)
{
    QImageReader reader(path);
    const QSize own = reader.size();
    const QSize shown =
        size.isValid() || !own.isValid() ? size : own.scaled(box, Qt::KeepAspectRatio);
    if (!largerPath.isEmpty() && enlarged(own, shown, devicePixelRatio)) {
        QImageReader larger(largerPath);
        const QPixmap picture = read(larger, shown, devicePixelRatio);
        if (!picture.isNull())
            return picture;
    }
    return read(reader, shown.isValid() ? shown : box, devicePixelRatio);
}

} // namespace

QPixmap decode(const QString &path, QSize size, qreal devicePixelRatio)
{
    QImageReader reader(path);
    return read(reader, size, devicePixelRatio);
}

QPixmap decodeAtMostOwnSize(const QString &path, QSize size, qreal devicePixelRatio)
{
    QImageReader reader(path);
    // An invalid size reads the picture at its own.
    return read(reader, enlarged(reader.size(), size, devicePixelRatio) ? QSize() : size,
                devicePixelRatio);
}

QPixmap fitted(const QString &path, QSize box, qreal devicePixelRatio)
{
    return readSharpest(path, QString(), QSize(), box, devicePixelRatio);
}

QPixmap decode(const QString &path, const QString &largerPath, QSize size, qreal devicePixelRatio)
{
    // An invalid size keeps the picture's own, which needs no larger one.
    if (!size.isValid())
        return decode(path, size, devicePixelRatio);
    return readSharpest(path, largerPath, size, QSize(), devicePixelRatio);
}

QPixmap fitted(const QString &path, const QString &largerPath, QSize box, qreal devicePixelRatio)
{
    return readSharpest(path, largerPath, QSize(), box, devicePixelRatio);
}

} // namespace SharpPicture
