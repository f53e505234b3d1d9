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

// The card (1 to 12) a key picks, or none.
inline std::optional<int> positionOf(int key)
{
    for (int i = 0; i < GameRules::cardsPerBoard; ++i)
        if (keys[static_cast<size_t>(i)] == key)
            return i + 1;
    return std::nullopt;
}

} // namespace CardKeys
