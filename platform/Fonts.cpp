#include "Fonts.h"

#include "Twips.h"

#include <QApplication>
#include <QScreen>

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
