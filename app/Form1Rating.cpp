// Where the rating window stands: what it must keep clear of is gathered here, from the windows
// on show, and handed to the one placement.
#include "Form1.h"

#include "Form2.h"
#include "GamePanel.h"
#include "NationalDeviation.h"
#include "Twips.h"
#include "WindowPlacement.h"

#include <QScreen>

namespace {

// Between the rating window and the summary it stands below.
constexpr int ratingGapTwips = 150;

} // namespace

NationalDeviation::Spot Form1::ratingSpot(QSize outer, std::optional<QRect> open) const
{
    const QScreen *shown = screen();
    if (!shown)
        return {open ? open->topLeft() : QPoint(), false};
    const QRect window = frameGeometry();
    WindowPlacement::Areas areas;
    // Nearest to the lower left of the main window, unless there is a better place.
    areas.preferred = QPoint(window.left() + window.width() / 50, window.top() + window.height() / 3);
    const bool cardsInPlay = m_gamePanel->playing();
    if (cardsInPlay) {
        // A game's cards stay in sight: the window gives way to them from where it stands,
        // and where the screen has no room it goes.
        areas.keepClear = {m_gamePanel->cardArea()};
        if (open)
            areas.preferred = open->topLeft();
    } else if (m_ratingFor == RatingFor::PastGame && m_form2 && m_form2->isVisible()) {
        // The player goes on with the results window: its controls stay in sight.
        areas.keepClear = m_form2->controlAreas();
    } else if (m_ratingFor == RatingFor::GameJustPlayed) {
        // Below the summary, or where the screen is too small for that, beside it and over the
        // right of the review's place, which makes room for it; the question and the menu
        // above the review stay in sight.
        const QRect summary = m_gamePanel->summaryArea();
        const QRect review = m_gamePanel->reviewArea();
        const QRect above(window.topLeft(), QPoint(window.right(), review.top() - 1));
        const int gap = Twips::toPixels(ratingGapTwips);
        areas.keepClear = {summary.adjusted(-gap, -gap, gap, gap), above};
        areas.giveWay = {review};
        areas.preferred = summary.bottomLeft() + QPoint(0, gap);
    }
    const QRect available = shown->availableGeometry();
    const QPoint at = WindowPlacement::placeOpen(
        outer, available, areas, open ? std::optional(open->topLeft()) : std::nullopt);
    return {at, cardsInPlay && QRect(at, outer).intersects(m_gamePanel->cardArea())};
}

QRect Form1::ratingWindowArea() const
{
    const QWidget *form6 = m_deviation->form6();
    return form6 && form6->isVisible() ? form6->frameGeometry() : QRect();
}
