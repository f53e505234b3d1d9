#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where a small window goes so that it covers none of what the player still has to read.
namespace WindowPlacement {

// The top left corner for a window of `outer` size (frame included) inside `screen`: covering
// none of `keepClear` where the screen allows it (else as little as it can), then as little of
// `giveWay` as it can (what lies there makes room for the window), then nearest to `preferred`.
QPoint place(QSize outer, const QRect &screen, const QList<QRect> &keepClear,
             const QList<QRect> &giveWay, QPoint preferred);

// What a window must keep clear of, what makes room for it and where it would rather stand.
struct Areas
{
    QList<QRect> keepClear;
    QList<QRect> giveWay;
    QPoint preferred;
};

// As place(), for a window that may be open already at `open`: there it stays where the player
// left it unless it covers some of `keepClear`.
QPoint placeOpen(QSize outer, const QRect &screen, const Areas &areas,
                 std::optional<QPoint> open);

} // namespace WindowPlacement
