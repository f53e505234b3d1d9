#include "NamePanel.h"

#include "ClickableLabel.h"
#include "StudyRules.h"
#include "Twips.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <utility>

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
constexpr double hintPoints = 10.5;
// Between two names on the line of other matches; a name keeps it on its own line.
const QString othersSeparator = QStringLiteral("、");

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
    m_searchBox = place(new QLineEdit(this), "Text2", 390, 1260, 3375, 405, 15.75);
    m_searchButton = place(new QPushButton(QStringLiteral("検索"), this), "Command4", 3780, 1230,
                           765, 435, 14.25);
    m_labelHint = place(new QLabel(this), "LabelHint", 390, hintTop, 4155, hintHeight, hintPoints);
    m_othersLine = place(new QWidget(this), "LabelOthers", 390, listTop, 4155, 0, hintPoints);
    m_othersLine->hide();
    m_countryList =
        place(new QListWidget(this), "List1", 390, listTop, 3885, listBottom - listTop, 18);

    m_searchBox->installEventFilter(this);
    m_searchBox->setAccessibleName(QStringLiteral("国名か首都で検索"));
    m_countryList->setAccessibleName(QStringLiteral("国の一覧"));
    m_labelHint->setAccessibleName(QStringLiteral("検索の結果"));
    connect(m_searchButton, &QPushButton::clicked, this, &NamePanel::search);
    connect(m_searchBox, &QLineEdit::returnPressed, this, &NamePanel::search);
    // A row is shown when it becomes the current one, by click, arrow key or search. A click
    // on the row already current shows it again, which also puts its text back into the box.
    connect(m_countryList, &QListWidget::currentRowChanged, this, &NamePanel::pickRow);
    connect(m_countryList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (m_searchBox->text() != item->text())
            pickRow(m_countryList->row(item));
    });
}

bool NamePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_searchBox)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        // The box holds a listed row after every search and pick; text the player typed
        // and left is his to go on with, where he clicks.
        const QListWidgetItem *current = m_countryList->currentItem();
        m_selectOnRelease = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason &&
                            current && current->text() == m_searchBox->text();
        break;
    }
    case QEvent::MouseButtonRelease:
        // On release, since the press that gave the focus put the cursor where it fell.
        if (std::exchange(m_selectOnRelease, false) && !m_searchBox->hasSelectedText())
            m_searchBox->selectAll();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void NamePanel::setList(const QStringList &lines, const CountryTable::Column &capitals)
{
    m_capitals = capitals;
    m_countryList->clear();
    m_countryList->addItems(lines);
}

void NamePanel::searchFor(const QString &key)
{
    m_searchBox->setText(key);
    search();
}

void NamePanel::search()
{
    QStringList rows;
    const int scanned = std::min(m_countryList->count(), StudyRules::searchedRows);
    rows.reserve(scanned);
    for (int i = 0; i < scanned; ++i)
        rows.append(m_countryList->item(i)->text());
    const QString key = m_searchBox->text();
    const std::optional<NameSearch::Match> found = m_nameSearch.find(rows, m_capitals, key);
    if (!found) {
        // The box, the list and the country on show stay as they were.
        setHint(NameSearch::notFound);
        setOthers(rows, {});
        return;
    }
    const int row = found->row;
    m_searchBox->setText(rows.at(row));
    // Searched from the box by Enter: the next key typed starts a new search.
    if (m_searchBox->hasFocus())
        m_searchBox->selectAll();
    if (m_countryList->currentRow() == row)
        pickRow(row);
    else
        m_countryList->setCurrentRow(row);
    const auto listed = StudyRules::readRow(rows.at(row));
    const QString name = listed ? listed->name : rows.at(row);
    if (found->source == NameSearch::Match::Source::OtherName)
        setHint(NameSearch::hint(found->otherName, name, found->otherKind));
    else if (!NameSearch::readsAsTyped(key, rows.at(row), m_capitals[static_cast<size_t>(row + 1)]))
        setHint(NameSearch::hint(key, name));
    // An empty box holds in every row; naming them all would say nothing.
    setOthers(rows, key.isEmpty() ? std::vector<int>{} : found->otherRows);
}

void NamePanel::pickRow(int row)
{
    const QListWidgetItem *item = m_countryList->item(row);
    if (!item)
        return;
    const std::optional<StudyRules::ListedCountry> listed = StudyRules::readRow(item->text());
    if (!listed)
        return;
    m_searchBox->setText(item->text());
    // The line under the box spoke of the last search, not of this row. The other matches
    // stay while the player goes through them.
    setHint(QString());
    if (!m_pickingOther)
        setOthers({}, {});
    emit countryPicked(listed->flagId, listed->name);
}

void NamePanel::setOthers(const QStringList &rows, const std::vector<int> &others)
{
    qDeleteAll(m_othersParts);
    m_othersParts.clear();
    if (!others.empty()) {
        const auto part = [this](QLabel *label) {
            label->setFont(m_othersLine->font());
            m_othersParts.push_back(label);
            return label;
        };
        part(new QLabel(NameSearch::othersLead(static_cast<int>(others.size())), m_othersLine))
            ->setObjectName(QStringLiteral("LabelOthersLead"));
        const size_t named = std::min<size_t>(others.size(), othersNamed);
        for (size_t i = 0; i < named; ++i) {
            const int row = others[i];
            const auto listed = StudyRules::readRow(rows.at(row));
            auto *name = new ClickableLabel(listed ? listed->name : rows.at(row), m_othersLine);
            name->setObjectName(QStringLiteral("LabelOther"));
            name->setProperty("index", static_cast<int>(i));
            name->setCursor(Qt::PointingHandCursor);
            name->setStyleSheet(QStringLiteral("color: #0000ff; text-decoration: underline;"));
            connect(name, &ClickableLabel::clicked, this, [this, row] {
                m_pickingOther = true;
                if (m_countryList->currentRow() == row)
                    pickRow(row);
                else
                    m_countryList->setCurrentRow(row);
                m_pickingOther = false;
            });
            part(name);
            if (i + 1 < named || named < others.size())
                part(new QLabel(othersSeparator, m_othersLine));
        }
        if (named < others.size())
            part(new QLabel(QStringLiteral("…"), m_othersLine));
    }
    layoutOthers();
}

void NamePanel::layoutOthers()
{
    // The names are laid out like words: a name and the separator after it stay together, and
    // a line breaks only between names. A name longer than a whole line is shortened.
    const int width = m_othersLine->width();
    const int lineHeight = m_othersLine->fontMetrics().height();
    int x = 0;
    int y = 0;
    for (size_t i = 0; i < m_othersParts.size(); ++i) {
        auto *label = static_cast<QLabel *>(m_othersParts[i]);
        const QFontMetrics metrics = label->fontMetrics();
        int partWidth = metrics.horizontalAdvance(label->text());
        const bool separatorNext =
            i + 1 < m_othersParts.size() &&
            static_cast<QLabel *>(m_othersParts[i + 1])->text() == othersSeparator;
        const int keptWidth =
            partWidth + (separatorNext ? metrics.horizontalAdvance(othersSeparator) : 0);
        if (x > 0 && x + keptWidth > width && label->text() != othersSeparator) {
            x = 0;
            y += lineHeight;
        }
        if (partWidth > width - x) {
            label->setText(metrics.elidedText(label->text(), Qt::ElideRight, width - x));
            partWidth = width - x;
        }
        label->setGeometry(x, y, partWidth, lineHeight);
        label->show();
        x += partWidth;
    }
    const int height = m_othersParts.empty() ? 0 : y + lineHeight;
    m_othersLine->resize(width, height);
    m_othersLine->setVisible(height > 0);
    // The list keeps its bottom edge and gives up the top of its height to the line.
    const int listBottomPixels = m_countryList->geometry().bottom();
    const int top = m_othersLine->y() + height;
    m_countryList->setGeometry(m_countryList->x(), top, m_countryList->width(),
                               listBottomPixels - top + 1);
}

void NamePanel::setHint(const QString &hint)
{
    // A long formal name is shortened on the line and given whole in the tooltip.
    const QString shown =
        m_labelHint->fontMetrics().elidedText(hint, Qt::ElideRight, m_labelHint->width());
    m_labelHint->setText(shown);
    m_labelHint->setToolTip(shown == hint ? QString() : hint);
}

QList<QWidget *> NamePanel::focusChain() const
{
    return {m_searchBox, m_searchButton, m_countryList};
}
