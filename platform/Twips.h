#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cmath>

// Positions and sizes are kept in twips, 1440 to the logical inch, as the window designs are
// drawn; this is the one place where they become pixels.
namespace Twips {

// Set once from the screen before any window is made (Fonts::useScreen).
inline int logicalDpi = 96;

// The room the main window's controls take in every mode, the comment box at the right and the
// credit line at the bottom included, with a small margin.
inline constexpr int designWidth = 20400;
inline constexpr int designHeight = 10800;

// How much smaller or larger than designed the windows are drawn: positions, sizes, fonts and
// pictures alike, so that the whole main window fills the screen as far as the design's
// proportions allow, on a screen smaller than the design as on a larger one. Set with
// logicalDpi, before any window is made.
inline double scale = 1.0;

// The scale at which the design just fits into `available` logical pixels: it fills one
// direction and leaves room in the other.
inline double scaleToFit(QSize available)
{
    if (available.isEmpty())
        return 1.0;
    const double pixelsPerTwip = logicalDpi / 1440.0;
    return std::min(available.width() / (designWidth * pixelsPerTwip),
                    available.height() / (designHeight * pixelsPerTwip));
}

// Where the design's top left corner lies in a window of `inner` logical pixels drawn at
// `atScale`: the room the design leaves is shared evenly on both sides, so it stands centred.
inline QPoint centredOrigin(QSize inner, double atScale)
{
    const double pixelsPerTwip = logicalDpi * atScale / 1440.0;
    const auto half = [](int room) { return std::max(0, room / 2); };
    return QPoint(
        half(inner.width() - static_cast<int>(std::lround(designWidth * pixelsPerTwip))),
        half(inner.height() - static_cast<int>(std::lround(designHeight * pixelsPerTwip))));
}

inline int toPixels(int twips)
{
    // Rounded half away from zero, as the design's integer conversion did.
    return static_cast<int>(std::lround(twips * logicalDpi * scale / 1440.0));
}

inline int fromPixels(int pixels)
{
    return static_cast<int>(pixels * 1440.0 / (logicalDpi * scale));
}

// Unrounded, for measures that are scaled on (mouse positions, window sizes).
inline double fromPixelsExact(double pixels)
{
    return pixels * 1440.0 / (logicalDpi * scale);
}

// A design font size at the windows' scale.
inline double points(double designPoints)
{
    return designPoints * scale;
}

// A picture's own size, as the windows show it.
inline QSize shown(QSize designPixels)
{
    if (!designPixels.isValid())
        return designPixels;
    return QSize(static_cast<int>(std::lround(designPixels.width() * scale)),
                 static_cast<int>(std::lround(designPixels.height() * scale)));
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

// Where a control was placed, in twips, and the pixels that gave: a window that changes its
// scale puts the control at the same twips anew, unless code has moved it since.
inline constexpr const char *placedTwipsProperty = "furamioPlacedTwips";
inline constexpr const char *placedPixelsProperty = "furamioPlacedPixels";
// The design font size a control was placed with, for windows that stretch their controls.
inline constexpr const char *placedPointsProperty = "furamioPlacedPoints";

// Names a control with its design name and puts it where the design has it.
template <typename Widget>
Widget *place(Widget *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect(left, top, width, height));
    widget->setProperty(placedTwipsProperty, QRectF(left, top, width, height));
    widget->setProperty(placedPixelsProperty, widget->geometry());
    return widget;
}

// The Windows font every caption is designed in; fontconfig maps it to a Japanese Gothic.
inline const QString designFontFamily = QStringLiteral("ＭＳ Ｐゴシック");

inline QFont designFont(double pointSize, bool bold = false)
{
    QFont font(designFontFamily);
    font.setPointSizeF(points(pointSize));
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The same, with the design font at `points`.
template <typename Widget>
Widget *place(Widget *widget, const char *name, int left, int top, int width, int height,
              double points, bool bold = false)
{
    place(widget, name, left, top, width, height);
    widget->setFont(designFont(points, bold));
    widget->setProperty(placedPointsProperty, points);
    return widget;
}

} // namespace Twips
