#pragma once

#include <QFont>
#include <QRect>
#include <QString>

// Positions and sizes are kept in twips, 1440 to the logical inch, as the window designs are
// drawn; this is the one place where they become pixels.
namespace Twips {

// Set once from the screen before any window is made (Fonts::useScreen).
inline int logicalDpi = 96;

inline int toPixels(int twips)
{
    return (twips * logicalDpi + (twips >= 0 ? 720 : -720)) / 1440;
}

inline int fromPixels(int pixels)
{
    return pixels * 1440 / logicalDpi;
}

// Unrounded, for measures that are scaled on (mouse positions, window sizes).
inline double fromPixelsExact(double pixels)
{
    return pixels * 1440.0 / logicalDpi;
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

// Names a control with its design name and puts it where the design has it.
template <typename Widget>
Widget *place(Widget *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect(left, top, width, height));
    return widget;
}

// The Windows font every caption is designed in; fontconfig maps it to a Japanese Gothic.
inline const QString designFontFamily = QStringLiteral("ＭＳ Ｐゴシック");

inline QFont designFont(double pointSize, bool bold = false)
{
    QFont font(designFontFamily);
    font.setPointSizeF(pointSize);
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
