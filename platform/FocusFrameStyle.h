#pragma once

#include <QProxyStyle>

// The application's style with one change: a focused radio button or check box draws the same
// frame round itself as our focusable labels do, always, not a thin dotted line round its text
// that the style shows only after a Tab. A player at the keyboard sees where the keys go in
// every mode, however the focus came there.
class FocusFrameStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
