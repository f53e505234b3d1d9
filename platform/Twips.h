#pragma once

#include <QFont>
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

// How much smaller than designed the windows are drawn: positions, sizes, fonts and pictures
// alike, so that the whole main window fits a screen smaller than the design. A larger screen
// keeps the design's size. Set with logicalDpi, before any window is made.
inline double scale = 1.0;

// The scale at which the design fits into `available` logical pixels; never above 1.
inline double scaleToFit(QSize available)
{
    if (available.isEmpty())
        return 1.0;
    const double pixelsPerTwip = logicalDpi / 1440.0;
    return std::min({1.0, available.width() / (designWidth * pixelsPerTwip),
                     available.height() / (designHeight * pixelsPerTwip)});
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
    return widget;
}

} // namespace Twips
