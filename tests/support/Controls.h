#pragma once

#include <QObject>
#include <QString>
#include <QTest>
#include <QVariant>
#include <QWidget>
#include <QWindow>

// Finds a control by its design name, and an element of a control array by its index.
template <typename T> T *control(QObject *root, const QString &name, int index = -1)
{
    const auto found = root->findChildren<T *>(name);
    for (T *candidate : found) {
        if (index < 0 || candidate->property("index").toInt() == index)
            return candidate;
    }
    return nullptr;
}

// Mouse input as the window system brings it: to the window at a point, so that whatever lies
// on top there gets it, and a double click arrives as press, release, double click, release.
inline QPoint pointInWindow(QWidget *widget)
{
    return widget->mapTo(widget->window(), widget->rect().center());
}

inline void clickInWindow(QWidget *widget)
{
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {}, pointInWindow(widget));
}

inline void doubleClickInWindow(QWidget *widget)
{
    QTest::mouseDClick(widget->window()->windowHandle(), Qt::LeftButton, {}, pointInWindow(widget));
}
