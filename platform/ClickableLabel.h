#pragma once

#include <QLabel>

// A label or picture that answers clicks, as captions and image controls do on the designed
// windows. Pictures are either stretched to the control or shown at their own size.
// A double click gives one clicked() and then doubleClicked().
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget *parent = nullptr);
    ClickableLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();
    void doubleClicked();
    void pressed(Qt::MouseButton button, QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
