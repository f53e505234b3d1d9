#pragma once

#include "GameSetup.h"
#include "Regions.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QWidget;

// What the player chooses on the game panel before a game: the region in the frame Frame1, the
// two practice boxes under it and, under them, the day's review as the third way to practise.
class RegionChoice : public QObject
{
    Q_OBJECT
public:
    // The frame and its region buttons, made on `panel`.
    explicit RegionChoice(QWidget *panel);
    // The practice boxes and the day's review button. The panel makes them after its captions
    // and buttons, where a screen reader and Tab have always found them.
    void addPracticeChoice(QWidget *panel);

    // The region whose button is checked (the first when none is) and the boxes ticked.
    GameSetup::Choice choice() const;
    QString chosenRegionKey() const { return Regions::at(choice().regionIndex).key; }
    // The region checked; none before the player or checkFirst() chose one.
    std::optional<int> checkedRegion() const;
    void checkFirst();
    // The frame, its buttons, the boxes and the day's review button.
    void setVisible(bool visible);
    // Where the frame lies on the panel.
    QRect frameGeometry() const;

    // The day's review button: "今日の復習 23枚", "今日の復習 100枚（ほか 283枚）" when more wait
    // for later days, or "復習はありません" and not clickable.
    void setDailyReviewCount(int cards, int waiting);

    // The region buttons and the boxes, in reading order.
    QList<QWidget *> focusChain() const;
    QWidget *dailyReviewButton() const;
    // The region chosen.
    QWidget *firstFocus() const;

signals:
    // A region button was clicked.
    void regionClicked(int index);
    // A practice box was ticked or cleared.
    void practiceToggled();
    void dailyReviewRequested();

private:
    QGroupBox *m_frame;
    std::array<QRadioButton *, Regions::count> m_buttons{};
    QCheckBox *m_weakestBox = nullptr;
    QCheckBox *m_lookAlikeBox = nullptr;
    QPushButton *m_dailyReviewButton = nullptr;
};
