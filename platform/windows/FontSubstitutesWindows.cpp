#include "Fonts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace {
const QString bundledFont = QStringLiteral("/fonts/ipagp.ttf");
}

namespace Fonts {

void installSubstitutes()
{
    const QString design = QStringLiteral("ＭＳ Ｐゴシック");
    const QString englishName = QStringLiteral("MS PGothic");
    if (QFontDatabase::hasFamily(design) || QFontDatabase::hasFamily(englishName))
        return;
    // Windows outside Japan often comes without its Japanese fonts until asked for them.
    const QString bundled = QCoreApplication::applicationDirPath() + bundledFont;
    if (QFileInfo::exists(bundled))
        QFontDatabase::addApplicationFont(bundled);
    const QStringList gothics{QStringLiteral("IPAPGothic"), QStringLiteral("Yu Gothic UI"),
                              QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic")};
    QFont::insertSubstitutions(design, gothics);
    QFont::insertSubstitutions(englishName, gothics);
}

} // namespace Fonts
