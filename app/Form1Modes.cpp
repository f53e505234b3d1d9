// The modes of the main window: what each shows, and the way from one to another.
#include "ClickableLabel.h"
#include "DailyReviewPanel.h"
#include "Form1.h"
#include "GamePanel.h"
#include "ModeTable.h"
#include "StudyView.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

void Form1::createModeTable()
{
    using Panel = StudyView::Panel;
    // One row a mode. Stacks are lowest first: the start screen's picture lies where the
    // country display is, the region-map label is in use in the start screen and beside the
    // display alike, and the game panel or the day's review in its place covers all of them.
    const QList<QWidget *> startScreen{m_introPicture,   m_sourceLabel,    m_newsBox,
                                       m_closeNewsLabel, m_referralBanner, m_referralLabel};
    const QList<QWidget *> study =
        startScreen + m_studyView->layers() + QList<QWidget *>{m_backToReview, m_regionMapLabel};
    // Tab follows reading order: the menu row, then the mode's controls from the top left.
    const QList<QWidget *> studyChain = QList<QWidget *>{m_closeNewsLabel} +
                                        m_studyView->focusChain() +
                                        QList<QWidget *>{m_regionMapLabel, m_referralLabel};
    const auto studyFocus = [this](Panel panel) {
        return [this, panel] { return m_studyView->firstFocus(panel); };
    };
    QList<ModeTable::Row> rows{
        {.mode = Mode::Start,
         .panels = {m_introPicture},
         .stack = startScreen + QList<QWidget *>{m_regionMapLabel},
         .chain = {m_closeNewsLabel, m_regionMapLabel, m_referralLabel},
         .firstFocus = {}},
        {.mode = Mode::StudyByFlag,
         .panels = {},
         .study = Panel::Gallery,
         .stack = study,
         .chain = studyChain,
         .firstFocus = studyFocus(Panel::Gallery)},
        {.mode = Mode::StudyByName,
         .panels = {},
         .study = Panel::Names,
         .stack = study,
         .chain = studyChain,
         .firstFocus = studyFocus(Panel::Names)},
        {.mode = Mode::Game,
         .panels = {m_gamePanel},
         .stack = {m_gamePanel},
         .chain = m_gamePanel->focusChain(),
         .firstFocus = [this] { return m_gamePanel->firstFocus(); }},
        {.mode = Mode::DailyReview,
         .panels = {m_dailyReview},
         .stack = {m_dailyReview},
         .chain = m_dailyReview->focusChain(),
         .firstFocus = [this] { return m_dailyReview->firstFocus(); }},
    };
    // The menu's buttons reach a little below the top of the game panel: the row lies over
    // every mode. The game panel and the day's review in its place lie over the labels of the
    // window's own that are in use in the start screen and beside the country display.
    ModeTable::Window window{.menuRow = {m_helpLabel, m_galleryLabel, m_byNameLabel, m_gameLabel,
                                         m_graphFrame, m_graphRegionBox, m_shopLabel, m_endButton},
                             .menuChain = {m_helpLabel, m_galleryLabel, m_byNameLabel, m_gameLabel,
                                           m_graphLabel, m_graphRegionBox, m_shopLabel,
                                           m_endButton},
                             .switched = {m_introPicture, m_gamePanel, m_dailyReview},
                             .coverable = {m_regionMapLabel, m_closeNewsLabel, m_referralLabel}};
    m_modes = std::make_unique<ModeTable>(std::move(window), *m_studyView, std::move(rows));
}

bool Form1::enter(Mode mode)
{
    // Every mode, the game panel's own included, gives up a game or a day's review under way;
    // the player may keep it instead, and then nothing changes.
    if (!m_gamePanel->mayLeaveGame())
        return false;
    if (m_mode == Mode::DailyReview && !m_dailyReview->mayLeave())
        return false;
    switch (mode) {
    case Mode::Start:
        break;
    case Mode::StudyByFlag:
        if (!m_studyView->openWorldList())
            return false;
        m_studyView->scrollGalleryToStart();
        break;
    case Mode::StudyByName:
        if (!m_studyView->openWorldList())
            return false;
        break;
    case Mode::Game:
        m_gamePanel->openPanel();
        countDailyReview(m_gamePanel->chosenRegionKey());
        break;
    case Mode::DailyReview:
        if (!beginDailyReview())
            return false;
        break;
    }
    // The mode that is left gives up what it had under way, which the player agreed to leave.
    if (m_mode == Mode::Game && mode != Mode::Game)
        m_gamePanel->abandon();
    if (m_mode == Mode::DailyReview && mode != Mode::DailyReview)
        m_dailyReview->abandon();
    m_mode = mode;
    arrange(mode);
    // The list scrolls to the row found only once it is on show.
    if (mode == Mode::StudyByName)
        m_studyView->searchFor(QStringLiteral("日本"));
    // The keyboard starts at the mode's first control, as the mouse would.
    if (QWidget *first = m_modes->firstFocus(mode))
        first->setFocus(Qt::OtherFocusReason);
    if (mode == Mode::DailyReview)
        m_dailyReview->sayPage();
    return true;
}

void Form1::arrange(Mode mode)
{
    // The news is a word at start-up; any mode closes it.
    if (mode != Mode::Start)
        closeNews();
    // Offered again only by a look-up from the review.
    m_backToReview->hide();
    // The review takes the game panel's place.
    m_dailyReview->setGeometry(m_gamePanel->geometry());
    m_modes->apply(mode);
}
