#pragma once

#include <QLabel>

class QPainter;

// The frame a focused control of ours draws around itself: dashed in two colours, wide enough
// to be seen over a flag picture, whose own colours may match the highlight, and on light
// captions and dark pictures alike.
void paintFocusFrame(QPainter &painter, const QRect &rect, const QPalette &palette);

// A label or picture that answers clicks, as captions and image controls do on the designed
// windows. Pictures are either stretched to the control or shown at their own size.
// A double click gives one clicked() and then doubleClicked().
// One made focusable also takes the keyboard: Enter or Space is a click, and a frame shows
// that it has the focus.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget *parent = nullptr);
    ClickableLabel(const QString &text, QWidget *parent = nullptr);

    // Puts the label in the Tab chain (or, with Qt::ClickFocus and the like, only where the
    // window moves the focus itself) under an accessible name that says what it does.
    void makeFocusable(const QString &accessibleName, Qt::FocusPolicy policy = Qt::StrongFocus);
    // For a label with no room for the frame around its text (a number in a small cell): the
    // focus is shown by the selection's colours over the whole label instead, which hide
    // nothing of the text.
    void showFocusByColour() { m_focusByColour = true; }

signals:
    void clicked();
    void doubleClicked();
    void pressed(Qt::MouseButton button, QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
    bool m_focusByColour = false;
};
