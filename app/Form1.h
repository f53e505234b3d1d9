#pragma once

#include "AppConfig.h"
#include "AppState.h"
#include "BaseList.h"
#include "NationalDeviation.h"
#include "ReviewDeck.h"

#include <QDate>
#include <QList>
#include <QWidget>

#include <memory>
#include <optional>

class ClickableLabel;
class WindowScale;
class GalleryDecoder;
class DailyReviewPanel;
class QTimer;
class Form2;
class GamePanel;
class ModeTable;
class PlayerData;
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
        DailyReview, // "今日の復習": the day's review, from its first card
    };

    // `playerData` holds every file the program writes; the window and its panels are handed
    // it, never its folder.
    Form1(AppState &state, Services &services, ServerAccess &server, PlayerData &playerData,
          const AppConfig &config, QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up. Returns false when the program must end (the player has been told why).
    bool load();

    // Brings `mode` up from its beginning. A study mode reads the world list again first; when
    // that fails the player is told and the window stays as it was, and false comes back.
    // The day's review is entered only when it has a card to ask; else false. The mode that is
    // left, once the player agreed to leave it, is asked to give up what it had under way.
    bool enter(Mode mode);
    Mode mode() const { return m_mode; }

    GamePanel *gamePanel() const { return m_gamePanel; }
    StudyView *studyView() const { return m_studyView; }
    DailyReviewPanel *dailyReview() const { return m_dailyReview; }
    // The results window; null until a region has been chosen in Combo1.
    Form2 *form2() const { return m_form2.get(); }
    // The national rating and its window Form6.
    NationalDeviation *deviation() const { return m_deviation; }
    // "覚えた国旗の地図", made on first use.
    WorldMapView *worldMap() const { return m_worldMap.get(); }
    // Opens it on the review schedule as it is today (also the way there from a review's end).
    void openWorldMap();

protected:
    void resizeEvent(QResizeEvent *event) override;

signals:
    // The program is to end now, without asking any window.
    void endRequested();

private:
    // The source credit near the bottom of the screen, or of a window made smaller than it.
    void placeSourceCredit();
    void createMenu();
    // The menu entries that switch modes, and those that hand an address to the desktop.
    void connectMenu();
    // The menu's keys, and the names a screen reader gives the window's own controls.
    void createKeys();
    void createStartScreen();
    void showNews();
    // The comment box and its close label go together.
    void closeNews();
    void openResultsWindow(int regionIndex);
    // The panels' reports, and the start-up's own reading of the world list.
    void connectPanels();
    // A list was read; which region it was is of no use to the window, only its lines and map.
    void listRead(const QString &regionKey, const BaseListLoad &load);
    // What each mode shows, stacks and has in its Tab chain; see ModeTable.
    void createModeTable();
    // Shows, hides and stacks every part of the window for `mode`, the menu row on top.
    void arrange(Mode mode);
    // Where the rating window goes now: clear of what the windows on show must keep in sight.
    NationalDeviation::Spot ratingSpot(QSize outer, std::optional<QRect> open) const;
    // The rating window's place on the screen while it is on show, else empty.
    QRect ratingWindowArea() const;
    // The day's review, made ready from the schedule again only when the player's day or the
    // schedule has changed since.
    ReviewDeck &reviewDeck();
    // The day's review button tells how many cards a review of `regionKey` would ask now.
    void countDailyReview(const QString &regionKey);
    // The day's review of the region it was asked for, from its first card; false when it has
    // no card to ask.
    bool beginDailyReview();

    AppConfig m_config;
    AppState &m_state;
    Services &m_services;
    ServerAccess &m_server;
    PlayerData &m_playerData;
    NationalDeviation *m_deviation = nullptr;
    std::unique_ptr<GalleryDecoder> m_galleryDecoder; // until the gallery has its pictures
    WindowScale *m_windowScale = nullptr;
    GamePanel *m_gamePanel = nullptr;
    StudyView *m_studyView = nullptr;
    DailyReviewPanel *m_dailyReview = nullptr;
    Mode m_mode = Mode::Start;
    // What the rating on show rates: the game just played, or a past one of the results window.
    enum class RatingFor
    {
        GameJustPlayed,
        PastGame
    };
    RatingFor m_ratingFor = RatingFor::GameJustPlayed;
    std::unique_ptr<ModeTable> m_modes;
    ReviewDeck m_reviewDeck;
    QString m_dailyReviewRegion; // the region the review was asked for

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
    // In study by name after a flag of the review was looked up: back to that review.
    QPushButton *m_backToReview = nullptr;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<WorldMapView> m_worldMap;
    // Fires when the player's day changes, for the day's review button.
    QTimer *m_dayWatch = nullptr;
    QDate m_countedDay;
};
