#include "ModeTable.h"

#include <QWidget>

#include <algorithm>
#include <stdexcept>

ModeTable::ModeTable(Window window, StudyView &study, QList<Row> rows)
    : m_window(std::move(window)), m_study(study), m_rows(std::move(rows))
{
}

const ModeTable::Row &ModeTable::row(Form1::Mode mode) const
{
    const auto found = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                    [mode](const Row &row) { return row.mode == mode; });
    if (found == m_rows.cend())
        throw std::logic_error("a mode without its row in the mode table");
    return *found;
}

QWidget *ModeTable::firstFocus(Form1::Mode mode) const
{
    const Row &shown = row(mode);
    return shown.firstFocus ? shown.firstFocus() : nullptr;
}

void ModeTable::apply(Form1::Mode mode) const
{
    const Row &shown = row(mode);
    // The new mode's panels come first and take the keyboard, and only then do the old ones
    // go: a panel hidden with the focus in it hands the focus on along the chain, and a screen
    // reader would speak each control it passes.
    for (QWidget *panel : shown.panels)
        panel->show();
    if (shown.study != StudyView::Panel::None)
        m_study.show(shown.study);
    if (QWidget *first = firstFocus(mode))
        first->setFocus(Qt::OtherFocusReason);
    if (shown.study == StudyView::Panel::None)
        m_study.show(StudyView::Panel::None);
    for (QWidget *panel : m_window.switched) {
        if (!shown.panels.contains(panel))
            panel->hide();
    }

    for (QWidget *part : shown.stack + m_window.menuRow)
        part->raise();

    for (QWidget *control : m_window.coverable)
        control->setFocusPolicy(shown.chain.contains(control) ? Qt::StrongFocus : Qt::NoFocus);
    const QList<QWidget *> chain = m_window.menuChain + shown.chain;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}
