#pragma once

class QWidget;

// Tells a screen reader that a label's text is news: the question asked, the verdict on a
// pick. Sent also when the text is the same as before, since the player has acted again.
namespace Announce {

void changed(QWidget *label);

} // namespace Announce
