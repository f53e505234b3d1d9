#include "Announce.h"

#include <QAccessible>
#include <QWidget>

void Announce::changed(QWidget *label)
{
    // The accessibility layer has no event that only announces; readers speak a label whose
    // name changes, and an alert whatever has the focus.
    QAccessibleEvent nameChanged(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent alert(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
