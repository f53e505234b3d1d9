#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a small window goes so that it covers none of what the player still has to read.
namespace WindowPlacement {

// The top left corner for a window of `outer` size (frame included) inside `screen`: covering
// none of `keepClear` where the screen allows it (else as little as it can), then as little of
// `giveWay` as it can (what lies there makes room for the window), then nearest to `preferred`.
QPoint place(QSize outer, const QRect &screen, const QList<QRect> &keepClear,
             const QList<QRect> &giveWay, QPoint preferred);

} // namespace WindowPlacement
