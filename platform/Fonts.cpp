#include "Fonts.h"

#include "Twips.h"

#include <QApplication>
#include <QScreen>

#include <QFont>
#include <QStringList>

namespace Fonts {

void installSubstitutes()
{
    const QStringList gothics{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                              QStringLiteral("TakaoPGothic")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), gothics);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothics);
}

} // namespace Fonts

void Fonts::useScreen(const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        Twips::logicalDpi = qRound(screen->logicalDotsPerInch());
        // The working area, without the task bar: the most a maximised window gets.
        Twips::scale = Twips::scaleToFit(screen->availableGeometry().size());
    }
    QApplication::setFont(Twips::designFont(9));
}
