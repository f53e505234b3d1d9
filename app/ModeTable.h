#pragma once

#include "Form1.h"
#include "StudyView.h"

#include <QList>

#include <functional>

class QWidget;

// What the main window shows in each mode, one row a mode: the panels on show, how they are
// stacked, the mode's Tab chain and where the keyboard starts. The menu row lies over every
// mode and leads every chain.
class ModeTable
{
public:
    struct Row
    {
        Form1::Mode mode;
        // On show, of the panels the table switches; the others are hidden.
        QList<QWidget *> panels;
        // The study panel beside the country display, which shows with it.
        StudyView::Panel study = StudyView::Panel::None;
        // Lowest first, all under the menu row. Whatever a row leaves out lies below it.
        QList<QWidget *> stack;
        // Tab's order after the menu row, in reading order from the top left. The panels'
        // controls in it are made once, with the panels.
        QList<QWidget *> chain;
        // Where the keyboard starts; none when null or when it gives null.
        std::function<QWidget *()> firstFocus;
    };
    // What every row shares.
    struct Window
    {
        QList<QWidget *> menuRow;   // left to right, as it is stacked
        QList<QWidget *> menuChain; // Tab's order through it
        QList<QWidget *> switched;  // the panels on show in some modes only
        // The window's own controls that a mode's panel may lie over: a mode whose chain
        // leaves one out takes it out of Tab's way.
        QList<QWidget *> coverable;
    };

    ModeTable(Window window, StudyView &study, QList<Row> rows);

    // Shows, hides and stacks every part of the window for `mode` and lays its Tab chain.
    void apply(Form1::Mode mode) const;
    // Where the keyboard starts in `mode`; null for none.
    QWidget *firstFocus(Form1::Mode mode) const;

private:
    const Row &row(Form1::Mode mode) const;

    Window m_window;
    StudyView &m_study;
    QList<Row> m_rows;
};
