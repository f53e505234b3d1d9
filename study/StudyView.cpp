#include "StudyView.h"

#include "BaseList.h"
#include "CountryDisplay.h"
#include "GalleryDecoder.h"
#include "GalleryPanel.h"
#include "MessageBox.h"
#include "NamePanel.h"
#include "OtherNames.h"
#include "Services.h"
#include "ShellOpener.h"
#include "StudyRules.h"

StudyView::StudyView(Services &services, QString appPath, const PlayerData &playerData,
                     QString wikiBase, QWidget *form)
    : QObject(form), m_services(services), m_appPath(std::move(appPath)),
      m_wikiBase(std::move(wikiBase))
{
    m_display = new CountryDisplay(m_appPath, playerData, services.clock, form);

    // Without the file of other names the search still finds what the exact one finds.
    m_namePanel =
        new NamePanel(OtherNames::load(m_appPath + QLatin1Char('/') + OtherNames::fileName), form);
    m_gallery = new GalleryPanel(m_appPath, form);

    connect(m_namePanel, &NamePanel::countryPicked, this, &StudyView::showCountry);
    connect(m_gallery, &GalleryPanel::flagPicked, this, &StudyView::showFlag);
    connect(m_display, &CountryDisplay::articleRequested, this, &StudyView::openArticle);
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

bool StudyView::openWorldList()
{
    if (!reloadWorldList())
        return false;
    showFirstRow();
    return true;
}

void StudyView::show(Panel panel)
{
    m_display->setVisible(panel != Panel::None);
    m_namePanel->setVisible(panel == Panel::Names);
    m_gallery->setVisible(panel == Panel::Gallery);
}

QList<QWidget *> StudyView::layers() const
{
    return m_display->controls() + QList<QWidget *>{m_namePanel, m_gallery};
}

void StudyView::scrollGalleryToStart()
{
    m_gallery->scrollToStart();
}

void StudyView::searchFor(const QString &name)
{
    m_namePanel->searchFor(name);
}

void StudyView::lookUp(int flagId)
{
    if (flagId < 1 || flagId > CountryTable::upperBound)
        return;
    const QString &name = m_table.countryNames[static_cast<size_t>(flagId)];
    if (!name.isEmpty())
        m_namePanel->searchFor(name);
}

BaseListLoad StudyView::loadWorldList()
{
    const QString world = QStringLiteral("sekai");
    const BaseListLoad load = BaseList::load(BaseList::path(m_appPath, world), m_table);
    setListLines(load.listLines);
    for (int row = 1; row <= load.recordCount && row <= CountryTable::upperBound; ++row) {
        const int flagId = m_table.flagIds[static_cast<size_t>(row)].toInt();
        if (flagId >= 1 && flagId <= CountryTable::upperBound)
            m_gallery->setCellName(flagId, m_table.countryNames[static_cast<size_t>(flagId)] +
                                               QStringLiteral("の国旗"));
    }
    emit listRead(world, load);
    return load;
}

QList<QWidget *> StudyView::focusChain() const
{
    return m_namePanel->focusChain() + m_gallery->focusChain() << m_display->focusControl();
}

QWidget *StudyView::firstFocus(Panel panel) const
{
    switch (panel) {
    case Panel::Gallery:
        return m_gallery->firstFocus();
    case Panel::Names:
        return m_namePanel->focusChain().constFirst();
    case Panel::None:
        break;
    }
    return nullptr;
}

void StudyView::setListLines(const QStringList &lines)
{
    // The search reads the world list's capitals beside whatever rows List1 holds.
    m_namePanel->setList(lines, m_table.capitals);
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
    m_display->showCountry({table.flagIds[1], table.flagIds[1].toInt(), table.countryNames[1],
                            table.capitals[1], table.regionNames[1]});
    emit mapChanged(table.mapUrls[1]);
}

void StudyView::showCountry(int flagId, const QString &name)
{
    if (flagId < 0 || flagId > CountryTable::upperBound)
        return;
    const auto id = static_cast<size_t>(flagId);
    m_display->showCountry({QString::number(flagId), flagId, StudyRules::toArticleTitle(name),
                            m_table.capitals[id], m_table.regionNames[id]});
    emit mapChanged(m_table.mapUrls[id]);
}

void StudyView::showFlag(int flagId)
{
    if (flagId < 0 || flagId > CountryTable::upperBound)
        return;
    showCountry(flagId, m_table.countryNames[static_cast<size_t>(flagId)]);
}

void StudyView::openArticle()
{
    // The title goes into the address as it reads; the desktop encodes it on the way out.
    m_services.shell.openAddress(m_wikiBase + m_display->title());
}
