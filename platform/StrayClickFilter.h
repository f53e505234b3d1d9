#pragma once

#include <QObject>
#include <QPointer>

// A click that closes or hides its window (戻る, a chosen menu entry) lets the second press of
// a double click fall through to whatever lay beneath: a button there would be pressed without
// the player ever aiming at it. Installed on the application, this drops a double click whose
// first press went to another window, and the release that ends it. Double clicks within one
// window pass untouched.
class StrayClickFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QObject> m_lastPress;     // the window of the latest press
    QPointer<QObject> m_previousPress; // the window of the press before it
    QPointer<QObject> m_dropRelease;   // the window whose next release ends a dropped click
};
