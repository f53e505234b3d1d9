#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

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
