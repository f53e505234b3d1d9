#pragma once

#include "BaseList.h"
#include "CountryTable.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class CountryDisplay;
class GalleryDecoder;
class GalleryPanel;
class NamePanel;
class PlayerData;
class QWidget;
struct Services;

// The study modes: the panel of study by name, the gallery panel and the country display both
// of them fill. It keeps the world list they show, hands each panel's pick to the display and
// says what happened through its signals.
class StudyView : public QObject
{
    Q_OBJECT
public:
    // `appPath` holds the lists and pictures, `playerData` the record of each flag; `wikiBase`
    // is the article address, ending in /.
    StudyView(Services &services, QString appPath, const PlayerData &playerData, QString wikiBase,
              QWidget *form);

    // The first gallery cell on show.
    int galleryFirst() const;
    // The world list as last read.
    const CountryTable &table() const { return m_table; }

    // Reads the world list into the table and List1. Throws BaseListError.
    BaseListLoad loadWorldList();
    // Puts the lines of the last list read into List1.
    void setListLines(const QStringList &lines);

    // Entering either study mode: the world list read again and its first row on the display.
    // False when the list cannot be read; the player has been told, and nothing changed.
    bool openWorldList();
    // Which of the study panels shows beside the country display; the main window decides.
    enum class Panel
    {
        None,
        Gallery,
        Names
    };
    void show(Panel panel);
    // The display and the panels, lowest first, for the main window to stack.
    QList<QWidget *> layers() const;
    // The gallery from its first flag.
    void scrollGalleryToStart();
    // Study by name on a country: its name goes into the search box, so the list shows its row
    // selected as a search for it would.
    void searchFor(const QString &name);
    void lookUp(int flagId);

    // Fills the country display: the name under its article title, capital, region, the map
    // link, the three pictures and the player's record of the flag, all read from disk now.
    void showCountry(int flagId, const QString &name);
    // The encyclopedia article of the name on show.
    void openArticle();

    // Start-up: begins decoding the flag pictures in the background, at the size a cell shows,
    // so that they are ready by the time the window is laid out.
    static std::unique_ptr<GalleryDecoder> startGalleryDecode(const QString &appPath);
    // Start-up: puts every cell at left 200 with its flag picture, in order. Returns the path
    // of the first picture that could not be read, or an empty string.
    QString loadGalleryPictures(GalleryDecoder &decoder);
    // Start-up: all cells in one column from the top of the frame, all visible.
    void layoutAllCells();

    // The study controls in reading order for the window's Tab chain: the name panel, the
    // gallery, then the country display. Hidden ones are passed over by the chain.
    QList<QWidget *> focusChain() const;
    // Where the focus goes when `panel` comes on show.
    QWidget *firstFocus(Panel panel) const;

public slots:
    // The country display for a flag ID, under the name the world list gives it.
    void showFlag(int flagId);

signals:
    // The world list has been read.
    void listRead(const QString &regionKey, const BaseListLoad &load);
    // The country on show has this map address.
    void mapChanged(const QString &url);

private:
    bool reloadWorldList();
    void showFirstRow();

    Services &m_services;
    QString m_appPath;
    QString m_wikiBase;
    CountryTable m_table;

    CountryDisplay *m_display;
    NamePanel *m_namePanel;
    GalleryPanel *m_gallery;
};
