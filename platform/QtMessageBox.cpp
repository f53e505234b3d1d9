#include "QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A wait cursor left over from a blocking request must not hang over a message.
class ArrowWhileShown
{
public:
    ArrowWhileShown() : m_hadOverride(QApplication::overrideCursor() != nullptr)
    {
        if (m_hadOverride)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileShown()
    {
        if (m_hadOverride)
            QApplication::restoreOverrideCursor();
    }
    ArrowWhileShown(const ArrowWhileShown &) = delete;
    ArrowWhileShown &operator=(const ArrowWhileShown &) = delete;

private:
    bool m_hadOverride;
};

const QString caption = QStringLiteral("フラミオ");

} // namespace

void QtMessageBox::show(const QString &text)
{
    const ArrowWhileShown arrow;
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtMessageBox::ask(const QString &question)
{
    const ArrowWhileShown arrow;
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::NoButton, m_parent);
    // The buttons say the answers in the program's language whatever the desktop's is.
    QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}
