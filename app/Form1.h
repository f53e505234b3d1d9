#pragma once

#include "AppConfig.h"
#include "AppState.h"
#include "BaseList.h"
#include "MasteryRecord.h"

#include <QList>
#include <QWidget>

#include <memory>

class ClickableLabel;
class GalleryDecoder;
class Form2;
class GamePanel;
class NationalDeviation;
class ServerAccess;
struct Services;
class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class StudyView;

// The main window: the menu row, the start screen, and the game panel and study views that
// live on it. It alone decides which of them is on screen.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    // What the window shows below the menu row.
    enum class Mode
    {
        Start,       // the intro picture, and the news when there is any
        StudyByFlag, // " 国旗から学習": the gallery and the country display
        StudyByName, // " 国名から学習": the world list with the search box, and the display
        Game,        // " 札取りゲーム": the game panel waiting for the region choice
    };

    Form1(AppState &state, Services &services, ServerAccess &server, const AppConfig &config,
          QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up. Returns false when the program must end (the player has been told why).
    bool load();

    // Brings `mode` up from its beginning. A study mode reads the world list again first; when
    // that fails the player is told and the window stays as it was, and false comes back.
    bool enter(Mode mode);

    GamePanel *gamePanel() const { return m_gamePanel; }
    StudyView *studyView() const { return m_studyView; }
    // The results window; null until a region has been chosen in Combo1.
    Form2 *form2() const { return m_form2.get(); }
    // The national rating and its window Form6.
    NationalDeviation *deviation() const { return m_deviation; }

protected:
    void resizeEvent(QResizeEvent *event) override;

signals:
    // The program is to end now, without asking any window.
    void endRequested();

private:
    void createMenu();
    // The menu entries that switch modes, and those that hand an address to the desktop.
    void connectMenu();
    void createStartScreen();
    void showNews();
    void openResultsWindow(int regionIndex);
    // The panels' reports, and the start-up's own reading of the world list.
    void connectPanels();
    void listRead(const QString &regionKey, const BaseListLoad &load);
    // Shows, hides and stacks every part of the window for `mode`, the menu row on top.
    void arrange(Mode mode);
    // The menu row, left to right: over every mode, since its buttons reach a little below the
    // top of the game panel.
    QList<QWidget *> menuRow() const;
    // Adds a finished game to the record of each flag.
    void recordGame(const MasteryRecord::GameLog &game);

    AppConfig m_config;
    AppState &m_state;
    Services &m_services;
    ServerAccess &m_server;
    NationalDeviation *m_deviation = nullptr;
    std::unique_ptr<GalleryDecoder> m_galleryDecoder; // until the gallery has its pictures
    GamePanel *m_gamePanel = nullptr;
    StudyView *m_studyView = nullptr;

    QLabel *m_sourceLabel = nullptr;
    ClickableLabel *m_helpLabel = nullptr;
    ClickableLabel *m_galleryLabel = nullptr;
    ClickableLabel *m_byNameLabel = nullptr;
    ClickableLabel *m_gameLabel = nullptr;
    ClickableLabel *m_regionMapLabel = nullptr;
    ClickableLabel *m_closeNewsLabel = nullptr;
    ClickableLabel *m_graphLabel = nullptr;
    ClickableLabel *m_shopLabel = nullptr;
    ClickableLabel *m_referralLabel = nullptr;
    QFrame *m_graphFrame = nullptr;
    QComboBox *m_graphRegionBox = nullptr;
    QPushButton *m_endButton = nullptr;
    QPlainTextEdit *m_newsBox = nullptr;
    ClickableLabel *m_introPicture = nullptr;
    ClickableLabel *m_referralBanner = nullptr;
    std::unique_ptr<Form2> m_form2;
    bool m_recordErrorShown = false;
};
