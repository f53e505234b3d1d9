#pragma once

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The flags of a region decoded once, at the size of a card in the screen's own pixels, so that
// laying out a board is only handing over twelve ready pictures that stay sharp at any device
// pixel ratio. What was decoded stays for the next game.
class CardPictures
{
public:
    // Decodes every flag of `flagIds` not yet held at this size (in logical pixels, drawn at
    // `devicePixelRatio`). Pictures that cannot be read are tried again the next time.
    void prepare(const QString &appPath, const QStringList &flagIds, QSize cardSize,
                 qreal devicePixelRatio = 1.0);

    // The card picture of a flag; null when its picture is missing or cannot be read.
    QPixmap card(const QString &flagId) const { return m_cards.value(flagId); }

    qsizetype size() const { return m_cards.size(); }

private:
    QString m_appPath;
    QSize m_size;
    qreal m_devicePixelRatio = 1.0;
    QHash<QString, QPixmap> m_cards;
};
