#pragma once

#include "HistoryGraph.h"
#include "ProportionalLayout.h"
#include "ResultsFile.h"

#include <QList>
#include <QRect>
#include <QWidget>

#include <array>
#include <vector>

class ClickableLabel;
class GraphCanvas;
class GraphLine;
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
    const ProportionalLayout &layout() const { return m_layout; }
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
    // The column numbers' keys: Left and Right move between games, Enter shows one, Delete
    // asks before deleting it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Tracked
    {
        QWidget *widget;
        ControlGeometry geometry; // twips and points, kept unrounded
    };

    template <typename W>
    W *add(W *widget, const char *name, int l, int t, int w, int h, double fontSize = 0,
           bool bold = false, int index = -1);
    void setGeometryOf(Tracked &tracked, const ControlGeometry &geometry);
    Tracked &tracked(QWidget *widget);
    std::vector<ProportionalLayout::Item> currentGeometry() const;
    double innerWidthTwips() const;
    double innerHeightTwips() const;

    void activated();
    void captureLayout();
    void fitToScreen();
    void resizeHandler();
    void showGraph();
    void showView();
    void fitColumnNumbers();
    void showNoRecords();
    void showDetails(int index);
    void deleteGame(int index);
    bool columnKey(int index, int key);
    void setAccessibleNames();
    void back();

    Services &m_services;
    PlayerData &m_playerData;
    QString m_regionKey;
    QString m_regionName;
    QTimer *m_noRecordsTimer = nullptr;
    double m_noRecordsSince = 0;
    QWidget *m_mainWindow;
    std::vector<Tracked> m_controls;
    ProportionalLayout m_layout;
    HistoryGraph m_graph;
    ResultsHistory m_history;
    QSize m_laidOutSize;
    // Counts every change of what the columns show. A click on a column acts only when the view
    // is still the one it was pressed on: the press that activates the window reloads it.
    int m_viewGeneration = 0;
    int m_pressedGeneration = -1;

    QWidget *m_graphBottomLine = nullptr;
    QWidget *m_graphLeftLine = nullptr;
    QWidget *m_graphMiddleLine = nullptr;
    QWidget *m_numberRowAnchor = nullptr;
    QWidget *m_deleteRowAnchor = nullptr;
    QLineEdit *m_titleBox = nullptr;
    QLineEdit *m_bestScoreAnchor = nullptr;
    QLineEdit *m_worstScoreAnchor = nullptr;
    QPlainTextEdit *m_detailBox = nullptr;
    PhraseLabel *m_scrollHint = nullptr;
    QLineEdit *m_bestScoreBox = nullptr;
    QLineEdit *m_worstScoreBox = nullptr;
    QLabel *m_regionLabel = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_reloadButton = nullptr;
    QPushButton *m_worldMapButton = nullptr;
    std::array<ClickableLabel *, HistoryGraph::columnCount> m_columnNumbers{};
    std::array<ClickableLabel *, HistoryGraph::columnCount> m_deleteLabels{};
    std::array<GraphLine *, HistoryGraph::columnCount> m_graphLines{};
    GraphCanvas *m_canvas = nullptr;
};
