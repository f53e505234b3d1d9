#pragma once

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The flags of a region decoded once, at the size of a card, so that laying out a board is
// only handing over twelve ready pictures. What was decoded stays for the next game.
class CardPictures
{
public:
    // Decodes every flag of `flagIds` not yet held at this size. Pictures that cannot be read
    // are tried again the next time.
    void prepare(const QString &appPath, const QStringList &flagIds, QSize cardSize);

    // The card picture of a flag; null when its picture is missing or cannot be read.
    QPixmap card(const QString &flagId) const { return m_cards.value(flagId); }

    qsizetype size() const { return m_cards.size(); }

    // Reads one flag at the given size; null when the file is missing or broken.
    static QPixmap decode(const QString &path, QSize size);

private:
    QString m_appPath;
    QSize m_size;
    QHash<QString, QPixmap> m_cards;
};
