#include "CardPictures.h"

#include "PicturePaths.h"
#include "SharpPicture.h"

void CardPictures::prepare(const QString &appPath, const QStringList &flagIds, QSize cardSize,
                           qreal devicePixelRatio)
{
    if (appPath != m_appPath || cardSize != m_size || devicePixelRatio != m_devicePixelRatio) {
        m_cards.clear();
        m_appPath = appPath;
        m_size = cardSize;
        m_devicePixelRatio = devicePixelRatio;
    }
    for (const QString &id : flagIds) {
        const auto held = m_cards.constFind(id);
        if (held != m_cards.constEnd() && !held->isNull())
            continue;
        m_cards.insert(id, SharpPicture::decode(PicturePaths::flag(appPath, id),
                                                PicturePaths::largeFlag(appPath, id), cardSize,
                                                devicePixelRatio));
    }
}
