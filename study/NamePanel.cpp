#include "NamePanel.h"

#include "StudyRules.h"
#include "Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// The panel spans from the search box's top left corner to the button's right edge and the
// list's bottom, and so covers nothing of the main window beside them.
constexpr int panelLeft = 390;
constexpr int panelTop = 1230;
constexpr int panelRight = 3780 + 765;
constexpr int listBottom = 1680 + 8310;

// The line under the search box takes the room between the box and the list; the list keeps
// its bottom edge and gives up the top of its height.
constexpr int hintTop = 1680;
constexpr int hintHeight = 330;
constexpr int listTop = hintTop + hintHeight;

} // namespace

template <typename Widget>
Widget *NamePanel::place(Widget *widget, const char *name, int left, int top, int width, int height,
                         double points)
{
    Twips::place(widget, name, left, top, width, height, points);
    // Converted on the main window's grid and then shifted, so that every control lands on
    // the very pixel it would have as a control of the main window.
    widget->move(widget->pos() - pos());
    return widget;
}

NamePanel::NamePanel(std::vector<OtherName> otherNames, QWidget *parent)
    : QWidget(parent), m_nameSearch(std::move(otherNames))
{
    setGeometry(Twips::rect(panelLeft, panelTop, panelRight - panelLeft, listBottom - panelTop));
    m_text2 = place(new QLineEdit(this), "Text2", 390, 1260, 3375, 405, 15.75);
    m_command4 = place(new QPushButton(QStringLiteral("検索"), this), "Command4", 3780, 1230, 765,
                       435, 14.25);
    m_labelHint = place(new QLabel(this), "LabelHint", 390, hintTop, 4155, hintHeight, 10.5);
    m_list1 = place(new QListWidget(this), "List1", 390, listTop, 3885, listBottom - listTop, 18);

    connect(m_command4, &QPushButton::clicked, this, &NamePanel::search);
    connect(m_text2, &QLineEdit::returnPressed, this, &NamePanel::search);
    // A row is shown when it becomes the current one, by click, arrow key or search. A click
    // on the row already current shows it again, which also puts its text back into the box.
    connect(m_list1, &QListWidget::currentRowChanged, this, &NamePanel::pickRow);
    connect(m_list1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (m_text2->text() != item->text())
            pickRow(m_list1->row(item));
    });
}

void NamePanel::setList(const QStringList &lines, const CountryTable::Column &capitals)
{
    m_capitals = capitals;
    m_list1->clear();
    m_list1->addItems(lines);
}

void NamePanel::searchFor(const QString &key)
{
    m_text2->setText(key);
    search();
}

void NamePanel::search()
{
    QStringList rows;
    const int scanned = std::min(m_list1->count(), StudyRules::searchedRows);
    rows.reserve(scanned);
    for (int i = 0; i < scanned; ++i)
        rows.append(m_list1->item(i)->text());
    const QString key = m_text2->text();
    const std::optional<NameSearch::Match> found = m_nameSearch.find(rows, m_capitals, key);
    if (!found) {
        // The box, the list and the country on show stay as they were.
        setHint(NameSearch::notFound);
        return;
    }
    const int row = found->row;
    m_text2->setText(rows.at(row));
    if (m_list1->currentRow() == row)
        pickRow(row);
    else
        m_list1->setCurrentRow(row);
    if (found->source == NameSearch::Match::Source::OtherName) {
        const auto listed = StudyRules::readRow(rows.at(row));
        setHint(NameSearch::hint(found->otherName, listed ? listed->name : rows.at(row),
                                 found->otherKind));
    }
}

void NamePanel::pickRow(int row)
{
    const QListWidgetItem *item = m_list1->item(row);
    if (!item)
        return;
    const std::optional<StudyRules::ListedCountry> listed = StudyRules::readRow(item->text());
    if (!listed)
        return;
    m_text2->setText(item->text());
    // The line under the box spoke of the last search, not of this row.
    setHint(QString());
    emit countryPicked(listed->flagId, listed->name);
}

void NamePanel::setHint(const QString &hint)
{
    // A long formal name is shortened on the line and given whole in the tooltip.
    const QString shown =
        m_labelHint->fontMetrics().elidedText(hint, Qt::ElideRight, m_labelHint->width());
    m_labelHint->setText(shown);
    m_labelHint->setToolTip(shown == hint ? QString() : hint);
}
