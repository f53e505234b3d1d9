#include "Fonts.h"

#include "Twips.h"

#include <QApplication>
#include <QScreen>

void Fonts::useScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        Twips::logicalDpi = qRound(screen->logicalDotsPerInch());
    QApplication::setFont(Twips::designFont(9));
}
