#include "ProgramFolder.h"

#include "CodePage.h"
#include "Regions.h"
#include "TestFiles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

namespace {

const QStringList specialNames{
    QStringLiteral("台湾"),         QStringLiteral("米国"), QStringLiteral("ジョージア"),
    QStringLiteral("タイ"),         QStringLiteral("中国"), QStringLiteral("モンゴル"),
    QStringLiteral("ミクロネシア"), QStringLiteral("日本"), QStringLiteral("トリニダード・トバゴ")};

} // namespace

QString ProgramFolder::countryName(int id)
{
    if (id >= 1 && id <= specialNames.size())
        return specialNames.at(id - 1);
    return QStringLiteral("国%1").arg(id);
}

QString ProgramFolder::capitalName(int id)
{
    return QStringLiteral("首都%1").arg(id);
}

ProgramFolder::ProgramFolder(int worldRows)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("国旗"));
    static const char *const regionNames[4] = {"アジア", "欧州", "北米", "アフリカ"};
    QString world;
    QString regions[4];
    for (int id = 1; id <= worldRows; ++id) {
        const QString line = QStringLiteral("%1,%2,%3,%4,https://map.example/%1\r\n")
                                 .arg(id)
                                 .arg(QString::fromUtf8(regionNames[id % 4]))
                                 .arg(countryName(id), capitalName(id));
        world += line;
        regions[id % 4] += line;
    }
    writeBaseList(QStringLiteral("sekai"), world);
    for (int r = 0; r < 4; ++r)
        writeBaseList(Regions::at(r).key, regions[r]);

    // Pictures: small, one colour per ID, so a test can tell them apart.
    for (int id = 1; id <= 200; ++id) {
        const QColor colour = QColor::fromHsv((id * 37) % 360, 200, 220);
        QImage flag(48, 32, QImage::Format_RGB32);
        flag.fill(colour);
        flag.save(file(QStringLiteral("国旗/%1.jpg").arg(id)));
        QImage extra(40, 30, QImage::Format_RGB32);
        extra.fill(colour.darker());
        extra.save(file(QStringLiteral("国旗/%1a.jpg").arg(id)));
        extra.save(file(QStringLiteral("国旗/%1b.jpg").arg(id)));
    }
    QImage intro(64, 48, QImage::Format_RGB32);
    intro.fill(Qt::white);
    intro.save(file(QStringLiteral("国旗/intro.jpg")));
}

void ProgramFolder::writeBaseList(const QString &regionKey, const QString &utf8Text) const
{
    writeFile(QStringLiteral("基本List") + regionKey + QStringLiteral(".csv"),
              CodePage::toCp932(utf8Text));
}

void ProgramFolder::writeFile(const QString &relative, const QByteArray &bytes) const
{
    writeBytes(file(relative), bytes);
}

QByteArray ProgramFolder::readFile(const QString &relative) const
{
    return readBytes(file(relative));
}
