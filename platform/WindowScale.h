#pragma once

#include <QObject>

class QWidget;

// Keeps a window's controls at the scale its inner size allows, once the player has made it
// smaller than the design (or larger again, up to the design's size): every control's place,
// size and font is scaled by the one factor, as if Twips had placed it at that scale. Controls
// that code has moved or resized since are scaled from where the code put them.
class WindowScale : public QObject
{
public:
    // Follows `window`'s size from now on; owned by the window.
    explicit WindowScale(QWidget *window);

    // Scales every control of the window to `scale` (Twips::scale becomes it).
    void rescale(double scale);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rescaleChildren(QWidget *parent, double from, double to);

    QWidget *m_window;
};
