#include "Fonts.h"

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
