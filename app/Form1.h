#pragma once

#include "AppConfig.h"
#include "AppState.h"
#include "BaseList.h"
#include "MasteryRecord.h"

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
class WorldMapView;

// The main window: the menu row, the start screen, and the game panel and study views that
// live on it.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1(AppState &state, Services &services, ServerAccess &server, const AppConfig &config,
          QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up. Returns false when the program must end (the player has been told why).
    bool load();

    GamePanel *gamePanel() const { return m_game; }
    StudyView *studyView() const { return m_study; }
    // The results window; null until a region has been chosen in Combo1.
    Form2 *form2() const { return m_form2.get(); }
    // The national rating and its window Form6.
    NationalDeviation *deviation() const { return m_deviation; }
    // "覚えた国旗の地図", made on first use.
    WorldMapView *worldMap() const { return m_worldMap.get(); }
    // Opens it on the review schedule as it is today (also the way there from a review's end).
    void openWorldMap();

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
    void hideStartScreen();
    // Adds a finished game to the record of each flag.
    void recordGame(const MasteryRecord::GameLog &game);

    AppConfig m_config;
    AppState &m_state;
    Services &m_services;
    ServerAccess &m_server;
    NationalDeviation *m_deviation = nullptr;
    std::unique_ptr<GalleryDecoder> m_galleryDecoder; // until the gallery has its pictures
    GamePanel *m_game = nullptr;
    StudyView *m_study = nullptr;

    QLabel *m_label7 = nullptr;
    ClickableLabel *m_label8 = nullptr;
    ClickableLabel *m_label9 = nullptr;
    ClickableLabel *m_label10 = nullptr;
    ClickableLabel *m_label11 = nullptr;
    ClickableLabel *m_label12 = nullptr;
    ClickableLabel *m_label15 = nullptr;
    ClickableLabel *m_label19 = nullptr;
    ClickableLabel *m_label21 = nullptr;
    ClickableLabel *m_label22 = nullptr;
    QFrame *m_picture2 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPlainTextEdit *m_text3 = nullptr;
    ClickableLabel *m_image6 = nullptr;
    ClickableLabel *m_image7 = nullptr;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<WorldMapView> m_worldMap;
    bool m_recordErrorShown = false;
};
