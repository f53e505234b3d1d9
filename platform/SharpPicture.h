#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// A picture read from its file at the size it is shown in the screen's own pixels, so that it
// is drawn sharp at any device pixel ratio.
namespace SharpPicture {

// Reads a picture to be shown at `size` logical pixels on a screen of `devicePixelRatio`: that
// many times as many pixels, marked with the ratio; an invalid size keeps the picture's own.
// Null when the file is missing or broken.
QPixmap decode(const QString &path, QSize size, qreal devicePixelRatio = 1.0);

// The same in the picture's own proportions, as large as fits `box`.
QPixmap fitted(const QString &path, QSize box, qreal devicePixelRatio = 1.0);

} // namespace SharpPicture
