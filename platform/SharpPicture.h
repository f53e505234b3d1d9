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

// For a control that stretches its picture: as decode, but never with more pixels than the
// file has. Enlarging in memory adds no detail; it would only take memory and time.
QPixmap decodeAtMostOwnSize(const QString &path, QSize size, qreal devicePixelRatio = 1.0);

// Both again for a picture that also comes drawn larger at `largerPath`: that one is read only
// when the picture at `path` has fewer pixels than the screen shows it at (enlarging it would
// blur it), and only if it reads; else the picture at `path` is. The larger file is opened only
// then, so pictures shown at their own size or smaller cost what they did.
QPixmap decode(const QString &path, const QString &largerPath, QSize size,
               qreal devicePixelRatio = 1.0);
QPixmap fitted(const QString &path, const QString &largerPath, QSize box,
               qreal devicePixelRatio = 1.0);

} // namespace SharpPicture
