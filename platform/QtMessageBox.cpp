#include "QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Shows the box modally; a wait cursor left over from a blocking request must not hang over it.
int runBox(QMessageBox &box)
{
    const bool hadOverride = QApplication::overrideCursor() != nullptr;
    if (hadOverride)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (hadOverride)
        QApplication::restoreOverrideCursor();
    return box.result();
}

} // namespace

void QtMessageBox::show(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("フラミオ"), text, QMessageBox::Ok,
                    m_parent);
    runBox(box);
}

bool QtMessageBox::ask(const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("フラミオ"), text, QMessageBox::NoButton,
                    m_parent);
    QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    // A key pressed by mistake must not confirm: いいえ has the focus and Esc is no.
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    runBox(box);
    return box.clickedButton() == yes;
}
