#pragma once

#include "CardPictures.h"
#include "GameRules.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>

class ClickableLabel;
class GameSession;
class QLabel;
class QWidget;

// The twelve cards of the game panel in two rows of six, each with the ✕ a wrong pick leaves on
// it: right and wrong are told by a sign, not by colour alone. A card is named by its place
// only; its country would give the answer away. The board draws what a session lays out and
// says which card was clicked; what a click means is the panel's business.
class CardBoard : public QObject
{
    Q_OBJECT
public:
    // The cards are made on `panel`, hidden, with the keys that pick them while it is on show.
    explicit CardBoard(QWidget *panel);

    // Decodes the pictures of a game's flags at the cards' size, for its boards and its review.
    void preparePictures(const QString &appPath, const QStringList &flagIds);
    // A flag's card picture; null when it is missing or cannot be read.
    QPixmap picture(const QString &flagId) const { return m_pictures.card(flagId); }

    // The board the session lays out now, no card marked.
    void draw(const GameSession &game);
    // The ✕ on card k, and the card's name that says it.
    void markMiss(int k, bool wrong);
    void setVisible(bool visible);

    // Card k, 1..12.
    ClickableLabel *card(int k) const { return m_cards[static_cast<size_t>(k)]; }
    // The card the keyboard comes back to in a game: the one that last had the focus.
    ClickableLabel *lastFocused() const { return card(m_lastFocused); }
    // Moves the focus from the card that has it to its neighbour towards an arrow `key`; false
    // when no card has the focus or the key leads nowhere.
    bool moveFocus(int key);
    // Where the twelve cards lie, on the panel.
    QRect area() const;

signals:
    void clicked(int k);
    // Card k's key was pressed, whichever of the panel's controls has the focus.
    void keyPicked(int k);

private:
    void addKey(QWidget *panel, int key, int k);

    std::array<ClickableLabel *, GameRules::cardsPerBoard + 1> m_cards{}; // slot 0 holds none
    std::array<QLabel *, GameRules::cardsPerBoard + 1> m_missMarks{};
    int m_lastFocused = 1;
    CardPictures m_pictures;
};
