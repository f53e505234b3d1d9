#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Keeps a window's controls at the scale its inner size allows: smaller than the design when
// the window is smaller, larger when it is larger, always in the design's proportions, with the
// design centred where one direction has room left. Every control's place, size and font is
// scaled by the one factor, as if Twips had placed it at that scale. Controls that code has
// moved or resized since are scaled from where the code put them.
class WindowScale : public QObject
{
public:
    // Follows `window`'s size from now on; owned by the window.
    explicit WindowScale(QWidget *window);

    // Scales every control of the window to `scale` (Twips::scale becomes it), with the
    // design's top left corner at `origin` of the window.
    void rescale(double scale, QPoint origin);

    // Where the design's top left corner lies in the window now.
    QPoint origin() const { return m_origin; }

    // A window that takes a share of the screen rather than the design's proportions (the
    // results window) stretches its controls instead, at the windows' scale: each control
    // Twips::place put stands at its twips times `across` and `down`, rounded to whole twips as
    // the design's positions were, and its design font grows with `across` alone, so that a
    // text keeps to the width the design gave it.
    static void stretch(QWidget *window, double across, double down);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rescaleChildren(QWidget *parent, double from, double to, QPoint fromOrigin,
                         QPoint toOrigin);

    QWidget *m_window;
    QPoint m_origin;
};
