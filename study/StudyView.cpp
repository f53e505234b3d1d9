#include "StudyView.h"

#include "BaseList.h"
#include "ClickableLabel.h"
#include "GalleryDecoder.h"
#include "MasteryRecord.h"
#include "MessageBox.h"
#include "NameSearch.h"
#include "OtherNames.h"
#include "PicturePaths.h"
#include "Services.h"
#include "ShellOpener.h"
#include "StudyRules.h"
#include "Twips.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <thread>

namespace {

using StudyRules::cellHeight;
using StudyRules::cellLeft;
using StudyRules::cellWidth;

// The line under the search box takes the room between the box and the list; the list keeps
// its bottom edge and gives up the top of its height.
constexpr int hintTop = 1680;
constexpr int hintHeight = 330;
constexpr int listTop = hintTop + hintHeight;
constexpr int listBottom = 1680 + 8310;

// The flag is stretched to its box. The extra pictures are shown at their own size from their
// designed top left corner: the control takes the picture's size, as an image control that
// does not stretch does.
void showPicture(ClickableLabel *label, const QString &path, bool stretch)
{
    QImageReader reader(path);
    QImage image;
    if (!reader.read(&image)) {
        // A country without the picture shows an empty box rather than the previous one's.
        label->clear();
        return;
    }
    if (!stretch)
        label->resize(image.size());
    label->setPixmap(QPixmap::fromImage(std::move(image)));
}

} // namespace

StudyView::StudyView(Services &services, QString appPath, QString dataPath, QString wikiBase,
                     QWidget *form)
    : QObject(form), m_services(services), m_appPath(std::move(appPath)),
      m_dataPath(std::move(dataPath)), m_wikiBase(std::move(wikiBase)),
      // Without the file of other names the search still finds what the exact one finds.
      m_nameSearch(OtherNames::load(m_appPath + QLatin1Char('/') + OtherNames::fileName))
{
    m_image1 = Twips::place(new ClickableLabel(form), "Image1", 4980, 1800, 2175, 1425);
    m_image1->setScaledContents(true);
    m_image1->setFrameShape(QFrame::Box);
    m_image2 = Twips::place(new ClickableLabel(form), "Image2", 12660, 3750, 3525, 2805);
    m_image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_image3 = Twips::place(new ClickableLabel(form), "Image3", 4980, 3720, 3045, 2865);
    m_image3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Twips::place(new QLabel(QStringLiteral("国名："), form), "Label1", 7380, 1770, 675, 315, 12);
    m_label3 = Twips::place(new ClickableLabel(form), "Label3", 8190, 1770, 6105, 525, 15.75, true);
    Twips::place(new QLabel(QStringLiteral("首都："), form), "Label2", 7380, 2370, 705, 255, 12);
    m_label4 =
        Twips::place(new QLabel(QString(), form), "Label4", 8190, 2340, 6135, 525, 14.25, true);
    Twips::place(new QLabel(QStringLiteral("地域："), form), "Label6", 7380, 2910, 705, 255, 12);
    m_label5 =
        Twips::place(new QLabel(QString(), form), "Label5", 8190, 2910, 3855, 465, 14.25, true);
    m_label18 = Twips::place(new ClickableLabel(form), "Label18", 12780, 3270, 6945, 435, 18, true);
    m_label18->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    m_label18->setCursor(Qt::PointingHandCursor);
    // The player's record of the flag, on the region's line right of its value.
    m_labelRecord = Twips::place(new QLabel(form), "LabelRecord", 12200, 2940, 7300, 315, 12);

    m_text2 = Twips::place(new QLineEdit(form), "Text2", 390, 1260, 3375, 405, 15.75);
    m_text2->hide();
    m_command4 = Twips::place(new QPushButton(QStringLiteral("検索"), form), "Command4", 3780, 1230,
                              765, 435, 14.25);
    m_command4->hide();
    m_labelHint = Twips::place(new QLabel(form), "LabelHint", 390, hintTop, 4155, hintHeight, 10.5);
    m_labelHint->hide();
    m_list1 =
        Twips::place(new QListWidget(form), "List1", 390, listTop, 3885, listBottom - listTop, 18);
    m_list1->hide();

    m_frame2 =
        Twips::place(new QGroupBox(QStringLiteral("国旗"), form), "Frame2", 990, 1080, 2775, 9315);
    m_frame2->hide();
    m_vscroll2 =
        Twips::place(new QScrollBar(Qt::Vertical, m_frame2), "VScroll2", 2010, 420, 615, 8175);
    m_vscroll2->setRange(1, StudyRules::galleryLastFirst);
    m_vscroll2->setSingleStep(1);
    m_vscroll2->setPageStep(1);
    m_vscroll2->setValue(1);
    // Only a finished move lays the column out, not every step of a dragged thumb.
    m_vscroll2->setTracking(false);
    for (int n = 1; n <= galleryCells; ++n) {
        auto *cell = new ClickableLabel(m_frame2);
        cell->setObjectName(QStringLiteral("Image5"));
        cell->setProperty("index", n);
        cell->setScaledContents(true);
        m_image5[static_cast<size_t>(n)] = cell;
        connect(cell, &ClickableLabel::clicked, this, [this, n] { pickCell(n); });
    }

    connect(m_vscroll2, &QScrollBar::valueChanged, this, &StudyView::layoutGallery);
    m_frame2->installEventFilter(this);
    connect(m_command4, &QPushButton::clicked, this, &StudyView::search);
    connect(m_text2, &QLineEdit::returnPressed, this, &StudyView::search);
    // A row is shown when it becomes the current one, by click, arrow key or search. A click
    // on the row already current shows it again, which also puts its text back into the box.
    connect(m_list1, &QListWidget::currentRowChanged, this, &StudyView::pickRow);
    connect(m_list1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (m_text2->text() != item->text())
            pickRow(m_list1->row(item));
    });
    for (ClickableLabel *link : {m_image1, m_label3, m_label18})
        connect(link, &ClickableLabel::clicked, this, &StudyView::openArticle);
}

std::unique_ptr<GalleryDecoder> StudyView::startGalleryDecode(const QString &appPath)
{
    const QSize shown = Twips::rect(0, 0, cellWidth, cellHeight).size();
    // One helper thread while the window is built; the caller of take() joins in.
    const int helpers = std::thread::hardware_concurrency() > 1 ? 1 : 0;
    return std::make_unique<GalleryDecoder>(PicturePaths::folder(appPath), galleryCells, shown,
                                            helpers);
}

QString StudyView::loadGalleryPictures(GalleryDecoder &decoder)
{
    GalleryDecoder::Result decoded = decoder.take();
    for (int n = 1; n <= galleryCells; ++n) {
        ClickableLabel *cell = m_image5[static_cast<size_t>(n)];
        cell->move(Twips::toPixels(cellLeft), cell->y());
        QImage &image = decoded.images[static_cast<size_t>(n)];
        if (image.isNull())
            return decoded.firstFailure;
        // Moving the image lets the pixmap keep its pixels instead of copying them.
        cell->setPixmap(QPixmap::fromImage(std::move(image)));
    }
    return QString();
}

void StudyView::layoutAllCells()
{
    m_galleryFirst = 1;
    for (int i = 1; i <= galleryCells; ++i) {
        ClickableLabel *cell = m_image5[static_cast<size_t>(m_galleryFirst + i - 1)];
        cell->setGeometry(Twips::rect(cellLeft, StudyRules::slotTop(i), cellWidth, cellHeight));
        cell->show();
    }
}

bool StudyView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_frame2 && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(m_vscroll2, event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void StudyView::enterByName()
{
    if (!reloadWorldList())
        return;
    showFirstRow();
    emit modeEntered();
    m_text2->show();
    m_command4->show();
    m_labelHint->show();
    m_list1->show();
    m_frame2->hide();
    m_text2->setText(QStringLiteral("日本"));
    search();
}

void StudyView::enterGallery()
{
    if (!reloadWorldList())
        return;
    m_vscroll2->setValue(1);
    showFirstRow();
    emit modeEntered();
    m_text2->hide();
    m_command4->hide();
    m_labelHint->hide();
    m_list1->hide();
    // The layout is run here as well, since a value that already was 1 raises no change.
    m_vscroll2->setValue(1);
    layoutGallery();
    m_frame2->show();
}

BaseListLoad StudyView::loadWorldList()
{
    const QString world = QStringLiteral("sekai");
    const BaseListLoad load = BaseList::load(BaseList::path(m_appPath, world), m_table);
    setListLines(load.listLines);
    emit listRead(world, load);
    return load;
}

void StudyView::setListLines(const QStringList &lines)
{
    m_list1->clear();
    m_list1->addItems(lines);
}

bool StudyView::reloadWorldList()
{
    try {
        loadWorldList();
    } catch (const BaseListError &error) {
        // The list went missing or bad since start-up: say so and stay where we are.
        m_services.messages.show(error.message());
        return false;
    }
    return true;
}

// Entering a mode shows the first row of the list as it stands in the file, name unmapped.
void StudyView::showFirstRow()
{
    const CountryTable &table = m_table;
    m_label3->setText(table.countryNames[1]);
    m_label18->setText(table.countryNames[1]);
    m_label4->setText(table.capitals[1]);
    m_label5->setText(table.regionNames[1]);
    emit mapChanged(table.mapUrls[1]);
    showPictures(table.flagIds[1]);
    showRecord(table.flagIds[1].toInt());
}

void StudyView::showCountry(int flagId, const QString &name)
{
    if (flagId < 0 || flagId > CountryTable::upperBound)
        return;
    const auto id = static_cast<size_t>(flagId);
    const QString title = StudyRules::toArticleTitle(name);
    m_label3->setText(title);
    m_label18->setText(title);
    m_label4->setText(m_table.capitals[id]);
    m_label5->setText(m_table.regionNames[id]);
    emit mapChanged(m_table.mapUrls[id]);
    showPictures(QString::number(flagId));
    showRecord(flagId);
}

void StudyView::showRecord(int flagId)
{
    // Read each time: the file is small, and a game may have ended since the last look.
    m_labelRecord->setText(MasteryRecord::studyText(MasteryRecord::read(m_dataPath), flagId));
}

void StudyView::showFlag(int flagId)
{
    if (flagId < 0 || flagId > CountryTable::upperBound)
        return;
    showCountry(flagId, m_table.countryNames[static_cast<size_t>(flagId)]);
}

void StudyView::showPictures(const QString &flagId)
{
    const QString &appPath = m_appPath;
    showPicture(m_image1, PicturePaths::flag(appPath, flagId), true);
    showPicture(m_image2, PicturePaths::extra(appPath, flagId, 'a'), false);
    showPicture(m_image3, PicturePaths::extra(appPath, flagId, 'b'), false);
}

void StudyView::pickRow(int row)
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
    showCountry(listed->flagId, listed->name);
}

void StudyView::setHint(const QString &hint)
{
    // A long formal name is shortened on the line and given whole in the tooltip.
    const QString shown =
        m_labelHint->fontMetrics().elidedText(hint, Qt::ElideRight, m_labelHint->width());
    m_labelHint->setText(shown);
    m_labelHint->setToolTip(shown == hint ? QString() : hint);
}

void StudyView::search()
{
    QStringList rows;
    const int scanned = std::min(m_list1->count(), StudyRules::searchedRows);
    rows.reserve(scanned);
    for (int i = 0; i < scanned; ++i)
        rows.append(m_list1->item(i)->text());
    const QString key = m_text2->text();
    const std::optional<NameSearch::Match> found = m_nameSearch.find(rows, m_table.capitals, key);
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
        setHint(NameSearch::hint(found->otherName, listed ? listed->name : rows.at(row)));
    }
}

void StudyView::layoutGallery()
{
    const int value = m_vscroll2->value();
    m_galleryFirst = StudyRules::galleryFirst(value);
    const int first = m_galleryFirst;
    for (int n = 1; n <= galleryCells; ++n) {
        if (n < first || n >= first + StudyRules::gallerySlots)
            m_image5[static_cast<size_t>(n)]->hide();
    }
    for (int k = 1; k <= StudyRules::gallerySlots; ++k) {
        ClickableLabel *cell = m_image5[static_cast<size_t>(first + k - 1)];
        cell->setGeometry(Twips::rect(cellLeft, StudyRules::slotTop(k), cellWidth, cellHeight));
        cell->show();
    }
}

void StudyView::pickCell(int cell)
{
    if (cell < 1 || cell > galleryCells)
        return;
    showFlag(cell);
}

void StudyView::openArticle()
{
    // The title goes into the address as it reads; the desktop encodes it on the way out.
    m_services.shell.openAddress(m_wikiBase + m_label3->text());
}
