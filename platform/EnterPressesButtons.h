#pragma once

#include <QObject>

// Outside a dialog a push button leaves Enter to its window, so a player at the keyboard could
// press a focused button only with Space. Installed on the application, this lets Enter press
// the focused button too, in every window alike. Buttons that take Enter themselves (a
// dialog's) are left to it.
class EnterPressesButtons : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
