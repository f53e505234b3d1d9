#include "CardBoard.h"

#include "CardKeys.h"
#include "ClickableLabel.h"
#include "GameSession.h"
#include "Twips.h"

#include <QApplication>
#include <QLabel>
#include <QShortcut>

namespace {

// The cards lie in rows of this many.
constexpr int cardsPerRow = 6;
constexpr int cardLefts[cardsPerRow] = {390, 3180, 5970, 8730, 11520, 14370};
// The ✕ on a card.
constexpr int missMarkTwips = 600;

QString cardName(int k)
{
    return QStringLiteral("%1番目の国旗").arg(k);
}

} // namespace

CardBoard::CardBoard(QWidget *panel) : QObject(panel)
{
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        auto *card = new ClickableLabel(panel);
        card->setObjectName(QStringLiteral("Image4"));
        card->setProperty("index", k);
        card->setScaledContents(true);
        card->setGeometry(
            Twips::rect(cardLefts[(k - 1) % cardsPerRow], k <= 6 ? 3390 : 6060, 2385, 1455));
        card->hide();
        card->makeFocusable(cardName(k));
        card->setAccessibleDescription(
            QStringLiteral("Enterか数字キーで選びます。矢印キーで隣の国旗に移ります。"));
        m_cards[static_cast<size_t>(k)] = card;
        connect(card, &ClickableLabel::clicked, this, [this, k] { emit clicked(k); });

        auto *mark = new QLabel(QStringLiteral("✕"), card);
        mark->setObjectName(QStringLiteral("LabelMiss"));
        mark->setProperty("index", k);
        mark->setAlignment(Qt::AlignCenter);
        mark->setFont(Twips::designFont(21.75, true));
        mark->setStyleSheet(QStringLiteral(
            "QLabel { color: rgb(192, 0, 0); background-color: white; border: 2px solid black; }"));
        const int side = Twips::toPixels(missMarkTwips);
        mark->setGeometry(card->width() - side, 0, side, side);
        mark->setAccessibleName(QStringLiteral("違います"));
        mark->hide();
        m_missMarks[static_cast<size_t>(k)] = mark;
    }
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        addKey(panel, CardKeys::keys[static_cast<size_t>(k - 1)], k);
    addKey(panel, CardKeys::japaneseTwelfthKey, GameRules::cardsPerBoard);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
            if (now == card(k))
                m_lastFocused = k;
    });
}

void CardBoard::addKey(QWidget *panel, int key, int k)
{
    // Window-wide while the panel is on show, whichever of its controls has the focus.
    auto *pick = new QShortcut(QKeySequence(key), panel);
    connect(pick, &QShortcut::activated, this, [this, k] { emit keyPicked(k); });
}

void CardBoard::preparePictures(const QString &appPath, const QStringList &flagIds)
{
    m_pictures.prepare(appPath, flagIds, card(1)->size(), card(1)->devicePixelRatioF());
}

void CardBoard::draw(const GameSession &game)
{
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        markMiss(k, false);
        const QString flagId = game.flagIdAt(k);
        const QPixmap picture = flagId.isEmpty() ? QPixmap() : m_pictures.card(flagId);
        // A flag whose picture cannot be read shows as an empty card; the game goes on.
        if (picture.isNull())
            card(k)->clear();
        else
            card(k)->setPixmap(picture);
    }
}

void CardBoard::markMiss(int k, bool wrong)
{
    m_missMarks[static_cast<size_t>(k)]->setVisible(wrong);
    card(k)->setAccessibleName(wrong ? cardName(k) + QStringLiteral("（違います）") : cardName(k));
}

void CardBoard::setVisible(bool visible)
{
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        card(k)->setVisible(visible);
}

bool CardBoard::moveFocus(int key)
{
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        if (!card(k)->hasFocus())
            continue;
        const std::optional<int> next = CardKeys::neighbourOf(k, key, cardsPerRow);
        if (!next)
            return false;
        card(*next)->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

QRect CardBoard::area() const
{
    return card(1)->geometry().united(card(GameRules::cardsPerBoard)->geometry());
}
