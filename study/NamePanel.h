#pragma once

#include "CountryTable.h"
#include "NameSearch.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <vector>

class ClickableLabel;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Study by name: the search box Text2 with its button Command4, the line under them that tells
// how a search went, and the country list List1. The panel covers just these controls, from
// the box's top left corner to the list's bottom; each keeps its place on the main window. A
// row picked, by click, arrow key or search, is reported as its flag ID and listed name.
class NamePanel : public QWidget
{
    Q_OBJECT
public:
    // `otherNames` are the names the forgiving search knows the countries by.
    NamePanel(std::vector<OtherName> otherNames, QWidget *parent);

    // The rows of List1, and the capitals the search reads beside them (row i with the capital
    // of flag ID i + 1).
    void setList(const QStringList &lines, const CountryTable::Column &capitals);

    // Puts `key` into the search box and searches for it.
    void searchFor(const QString &key);
    // Selects the first row that holds the search box's text, or its capital. When none does,
    // the forgiving search (folded spellings, the countries' other names) picks the row, and
    // the line under the box says which other name led there, or that nothing was found.
    // Below it the other rows the same search found are named; a click on one shows it.
    void search();
    // The box, 検索 and the list, for the window's Tab chain.
    QList<QWidget *> focusChain() const;

    // How many names the line of other matches names at most.
    static constexpr int othersNamed = 5;

signals:
    void countryPicked(int flagId, const QString &name);

protected:
    // A click into the box while it holds a listed row selects that text, as Tab does, so
    // that what the player types next replaces it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pickRow(int row);
    void setHint(const QString &hint);
    // Names the other matches (none: the line goes) and gives the list the room left.
    void setOthers(const QStringList &rows, const std::vector<int> &others);
    void layoutOthers();
    // Names a control and puts it at its design place on the main window, with its font.
    template <typename Widget>
    Widget *place(Widget *widget, const char *name, int left, int top, int width, int height,
                  double points);

    NameSearch m_nameSearch;
    CountryTable::Column m_capitals{};
    QLineEdit *m_searchBox;
    QPushButton *m_searchButton;
    QLabel *m_labelHint;
    QWidget *m_othersLine; // "ほかに 3 件: " and the names, wrapped between names
    std::vector<QWidget *> m_othersParts;
    bool m_pickingOther = false;
    bool m_selectOnRelease = false; // the box took the focus from a click on a listed row
    QListWidget *m_countryList;
};
