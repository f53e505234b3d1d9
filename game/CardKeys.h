#pragma once

#include "GameRules.h"

#include <Qt>

#include <array>
#include <optional>

// The keys that pick a card without the mouse: the top row of the keyboard, 1 to 9, 0, - and =,
// for cards 1 to 12 in reading order (left to right, top row first). The scored game and the
// review share them.
namespace CardKeys {

inline constexpr std::array<int, GameRules::cardsPerBoard> keys = {
    Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,     Qt::Key_6,
    Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0, Qt::Key_Minus, Qt::Key_Equal};

// On a Japanese keyboard the key right of "-" gives "^", where others give "=".
inline constexpr int japaneseTwelfthKey = Qt::Key_AsciiCircum;

// The card (1 to 12) a key picks, or none.
inline std::optional<int> positionOf(int key)
{
    if (key == japaneseTwelfthKey)
        return GameRules::cardsPerBoard;
    for (int i = 0; i < GameRules::cardsPerBoard; ++i)
        if (keys[static_cast<size_t>(i)] == key)
            return i + 1;
    return std::nullopt;
}

// Where an arrow key moves a focus ring over places laid out in rows of the given length: it
// wraps within a row and between the rows. None for any other key.
inline std::optional<int> neighbourOf(int k, int key, int perRow)
{
    const int row = (k - 1) / perRow;
    const int column = (k - 1) % perRow;
    const int rows = GameRules::cardsPerBoard / perRow;
    switch (key) {
    case Qt::Key_Left:
        return row * perRow + (column + perRow - 1) % perRow + 1;
    case Qt::Key_Right:
        return row * perRow + (column + 1) % perRow + 1;
    case Qt::Key_Up:
        return ((row + rows - 1) % rows) * perRow + column + 1;
    case Qt::Key_Down:
        return ((row + 1) % rows) * perRow + column + 1;
    default:
        return std::nullopt;
    }
}

} // namespace CardKeys
