#include "QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

void QtMessageBox::show(const QString &text)
{
    // A wait cursor left over from a blocking request must not hang over the message.
    const bool hadOverride = QApplication::overrideCursor() != nullptr;
    if (hadOverride)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("フラミオ"), text, QMessageBox::Ok,
                    m_parent);
    box.exec();
    if (hadOverride)
        QApplication::restoreOverrideCursor();
}
