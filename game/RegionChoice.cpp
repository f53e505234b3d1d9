#include "RegionChoice.h"

#include "ReviewSchedule.h"
#include "Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

constexpr int dailyReviewWidthTwips = 3600;

} // namespace

RegionChoice::RegionChoice(QWidget *panel) : QObject(panel)
{
    m_frame = Twips::place(new QGroupBox(QStringLiteral("札取りゲーム"), panel), "Frame1", 11430,
                           1050, 3855, 4035, 18, true);
    static constexpr int optionGeometry[Regions::count][3] = {{1800, 3435, 525},
                                                              {2430, 2745, 525},
                                                              {3090, 2775, 525},
                                                              {3720, 3375, 525},
                                                              {4350, 3315, 525}};
    for (int i = 0; i < Regions::count; ++i) {
        auto *button = new QRadioButton(Regions::at(i).displayName, panel);
        button->setObjectName(QStringLiteral("Option2"));
        button->setProperty("index", i);
        button->setGeometry(
            Twips::rect(11700, optionGeometry[i][0], optionGeometry[i][1], optionGeometry[i][2]));
        button->setFont(Twips::designFont(18, true));
        button->raise();
        m_buttons[static_cast<size_t>(i)] = button;
        connect(button, &QRadioButton::clicked, this, [this, i] { emit regionClicked(i); });
    }
}

void RegionChoice::addPracticeChoice(QWidget *panel)
{
    // The practice boxes sit under the region frame, left of the summary's left edge (the
    // summary only grows rightwards and downwards), so neither covers the other.
    m_weakestBox = Twips::place(new QCheckBox(QStringLiteral("苦手な国旗を練習"), panel),
                                "CheckWeakest", 11430, 5250, 3600, 480, 15.75, true);
    m_lookAlikeBox = Twips::place(new QCheckBox(QStringLiteral("似ている国旗で出題"), panel),
                                  "CheckLookAlike", 11430, 5790, 3600, 480, 15.75, true);
    m_dailyReviewButton = Twips::place(new QPushButton(panel), "CommandReview", 11430, 6330,
                                       dailyReviewWidthTwips, 555, 15.75, true);
    setDailyReviewCount(0, 0);
    connect(m_dailyReviewButton, &QPushButton::clicked, this, &RegionChoice::dailyReviewRequested);
    m_weakestBox->setToolTip(
        QStringLiteral("まだ出題されていない国旗と、間違えることの多い国旗から出題します。"
                       "練習の成績は記録されません。"));
    m_lookAlikeBox->setToolTip(
        QStringLiteral("聞かれた国旗のまわりに、似ている国旗や取り違えた国旗を並べます。"
                       "練習の成績は記録されません。"));
    for (QCheckBox *box : {m_weakestBox, m_lookAlikeBox})
        connect(box, &QCheckBox::toggled, this, &RegionChoice::practiceToggled);
}

GameSetup::Choice RegionChoice::choice() const
{
    return {checkedRegion().value_or(0), {m_weakestBox->isChecked(), m_lookAlikeBox->isChecked()}};
}

std::optional<int> RegionChoice::checkedRegion() const
{
    for (int i = 0; i < Regions::count; ++i)
        if (m_buttons[static_cast<size_t>(i)]->isChecked())
            return i;
    return std::nullopt;
}

void RegionChoice::checkFirst()
{
    m_buttons[0]->setChecked(true);
}

void RegionChoice::setVisible(bool visible)
{
    m_frame->setVisible(visible);
    m_weakestBox->setVisible(visible);
    m_lookAlikeBox->setVisible(visible);
    m_dailyReviewButton->setVisible(visible);
    for (QRadioButton *button : m_buttons) {
        button->setVisible(visible);
        // The game's captions lie across the buttons; empty while the region is chosen, they
        // would still take the clicks meant for the buttons.
        if (visible)
            button->raise();
    }
}

QRect RegionChoice::frameGeometry() const
{
    return m_frame->geometry();
}

void RegionChoice::setDailyReviewCount(int cards, int waiting)
{
    m_dailyReviewButton->setText(ReviewSchedule::todaysCountText(cards, waiting));
    m_dailyReviewButton->setEnabled(cards > 0);
    // The cards that wait make the text longer than the designed width: the button grows to
    // the right, below the summary, never narrower than designed.
    m_dailyReviewButton->resize(
        std::max(Twips::toPixels(dailyReviewWidthTwips), m_dailyReviewButton->sizeHint().width()),
        m_dailyReviewButton->height());
}

QList<QWidget *> RegionChoice::focusChain() const
{
    QList<QWidget *> chain;
    for (QRadioButton *button : m_buttons)
        chain << button;
    chain << m_weakestBox << m_lookAlikeBox;
    return chain;
}

QWidget *RegionChoice::dailyReviewButton() const
{
    return m_dailyReviewButton;
}

QWidget *RegionChoice::firstFocus() const
{
    return m_buttons[static_cast<size_t>(checkedRegion().value_or(0))];
}
