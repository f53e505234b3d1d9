#include "StudyView.h"

#include "BaseList.h"
#include "ClickableLabel.h"
#include "GalleryDecoder.h"
#include "GalleryPanel.h"
#include "MasteryRecord.h"
#include "MessageBox.h"
#include "NamePanel.h"
#include "OtherNames.h"
#include "PicturePaths.h"
#include "Services.h"
#include "ShellOpener.h"
#include "StudyRules.h"
#include "Twips.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {

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
      m_dataPath(std::move(dataPath)), m_wikiBase(std::move(wikiBase))
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

    // Without the file of other names the search still finds what the exact one finds.
    m_names =
        new NamePanel(OtherNames::load(m_appPath + QLatin1Char('/') + OtherNames::fileName), form);
    m_names->hide();
    m_gallery = new GalleryPanel(form);
    m_gallery->hide();

    connect(m_names, &NamePanel::countryPicked, this, &StudyView::showCountry);
    connect(m_gallery, &GalleryPanel::flagPicked, this, &StudyView::showFlag);
    for (ClickableLabel *link : {m_image1, m_label3, m_label18})
        connect(link, &ClickableLabel::clicked, this, &StudyView::openArticle);
}

int StudyView::galleryFirst() const
{
    return m_gallery->first();
}

std::unique_ptr<GalleryDecoder> StudyView::startGalleryDecode(const QString &appPath)
{
    return GalleryPanel::startDecode(appPath);
}

QString StudyView::loadGalleryPictures(GalleryDecoder &decoder)
{
    return m_gallery->loadPictures(decoder);
}

void StudyView::layoutAllCells()
{
    m_gallery->layoutAllCells();
}

void StudyView::enterByName()
{
    if (!reloadWorldList())
        return;
    showFirstRow();
    emit modeEntered();
    m_names->show();
    m_gallery->hide();
    m_names->searchFor(QStringLiteral("日本"));
}

void StudyView::enterGallery()
{
    if (!reloadWorldList())
        return;
    showFirstRow();
    emit modeEntered();
    m_names->hide();
    m_gallery->scrollToStart();
    m_gallery->show();
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
    // The search reads the world list's capitals beside whatever rows List1 holds.
    m_names->setList(lines, m_table.capitals);
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

void StudyView::openArticle()
{
    // The title goes into the address as it reads; the desktop encodes it on the way out.
    m_services.shell.openAddress(m_wikiBase + m_label3->text());
}
