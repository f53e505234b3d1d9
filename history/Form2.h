#pragma once

#include "HistoryGraph.h"
#include "ResultsFile.h"

#include <QList>
#include <QRect>
#include <QSizeF>
#include <QWidget>

class GameNumbers;
class GraphCanvas;
class PhraseLabel;
class PlayerData;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
struct Services;

// The results window: a region's past games as a line graph, 30 at a time, scrolled sideways by
// dragging; a column number shows that game and rates it nationally, "削除" removes it. Every
// activation reloads the file and starts again from the first game.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    // `mainWindow` is shown again by "戻る"; `playerData` holds the results files.
    Form2(Services &services, PlayerData &playerData, QWidget *mainWindow);
    ~Form2() override;

    // Shows the window for the region chosen; it loads as it becomes the active window, and at
    // once when it already is.
    void open(const QString &regionKey, const QString &regionName);
    // The region the next load reads, without showing the window.
    void setRegion(const QString &regionKey, const QString &regionName);
    const QString &regionKey() const { return m_regionKey; }

    // Reads the chosen region's results file and draws it (also the click of Command2).
    void loadHistory();

    // Text1 back to its caption "<成績>", as every choice of a region from the menu sets it.
    void resetTitle();
    const HistoryGraph &graph() const { return m_graph; }
    const ResultsHistory &history() const { return m_history; }
    // Where the controls the player goes on using beside a rating lie on the screen: the title
    // and the details, the buttons, the game numbers and their delete buttons.
    QList<QRect> controlAreas() const;

signals:
    // A column number was clicked: the game in it is to be rated nationally, without being
    // counted again.
    void ratingRequested(int score, const QString &regionKey);
    // "覚えた国旗の地図" was clicked.
    void worldMapRequested();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QSizeF innerTwips() const;

    void activated();
    void fitToScreen();
    void resizeHandler();
    void showGraph();
    void showView();
    void showDetails(int column);
    void deleteGame(int column);
    void askToDelete(int column);
    void setAccessibleNames();
    void back();

    Services &m_services;
    PlayerData &m_playerData;
    QString m_regionKey;
    QString m_regionName;
    QTimer *m_noRecordsTimer = nullptr;
    double m_noRecordsSince = 0;
    QWidget *m_mainWindow;
    HistoryGraph m_graph;
    ResultsHistory m_history;
    QSize m_laidOutSize;
    // The inner size in twips at which the controls stand where they were placed: the window's
    // size when it was first shown. Every size after stretches them from there.
    QSizeF m_placedInner;

    QLineEdit *m_titleBox = nullptr;
    QPlainTextEdit *m_detailBox = nullptr;
    PhraseLabel *m_scrollHint = nullptr;
    QLineEdit *m_bestScoreBox = nullptr;
    QLineEdit *m_worstScoreBox = nullptr;
    QLabel *m_regionLabel = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_reloadButton = nullptr;
    QPushButton *m_worldMapButton = nullptr;
    GameNumbers *m_numbers = nullptr;
    GraphCanvas *m_canvas = nullptr;
};
