#pragma once

class QString;
class QWidget;

// Tells a screen reader what has just happened where the focus is not: the question asked, the
// verdict on a pick, the learning card. Readers speak a notification that appears, whatever
// has the focus, so each window has one that is shown anew with every text, the same text again
// included, since the player has acted again.
namespace Announce {

// Says `text` from the window that holds `from`.
void say(QWidget *from, const QString &text);
// Whether `widget` is a window's announcer.
bool isAnnouncer(const QWidget *widget);

} // namespace Announce
