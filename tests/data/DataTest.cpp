#include "BaseList.h"
#include "CodePage.h"
#include "CountryTable.h"
#include "StudyRules.h"
#include "TestFiles.h"

#include <QColor>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace {

const QString dataDir = QStringLiteral(FURAMIO_DATA_DIR);
constexpr int worldCount = 198;

struct RegionList
{
    const char *key;
    QStringList regions;
};

const RegionList regionLists[] = {
    {"asia&taiyou", {"アジア", "大洋州"}},
    {"europe", {"欧州"}},
    {"america", {"北米", "中南米"}},
    {"chuutou&africa", {"中東", "アフリカ"}},
};

QByteArray listBytes(const QString &key)
{
    return readBytes(dataDir + "/" + BaseList::fileName(key));
}

struct Loaded
{
    CountryTable table;
    BaseListLoad load;
    QByteArray bytes;
};

Loaded loadList(const QString &key)
{
    Loaded l;
    l.bytes = listBytes(key);
    l.load = BaseList::read(l.bytes, l.table, BaseList::fileName(key));
    return l;
}

// The world list is read once and shared by the tests below.
class ShippedData : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { world = std::make_unique<Loaded>(loadList("sekai")); }
    static void TearDownTestSuite() { world.reset(); }
    static std::unique_ptr<Loaded> world;
};
std::unique_ptr<Loaded> ShippedData::world;

QString csvField(const QString &s)
{
    return s.contains(',') ? '"' + s + '"' : s;
}

// The hand-kept table everything shipped is made from, with the notes that log what changed.
struct Change
{
    QString date; // 2019, 2019-01 or 2019-01-16
    QString what;
    QString text;
};

struct SourceRow
{
    int id = 0;
    QString iso, name, capital, region, checked, flagYear;
    std::vector<Change> changes;
};

constexpr int changeLogSince = 2018;

std::vector<SourceRow> readSourceTable()
{
    static const QRegularExpression changeNote(QStringLiteral(
        "^#\\s?変更\\s+(\\d{4}(?:-\\d{2}(?:-\\d{2})?)?)\\s+([^:：\\s]+)[:：]\\s*(.+)$"));
    std::vector<SourceRow> rows;
    std::vector<Change> pending;
    const QString text = QString::fromUtf8(readBytes(QStringLiteral(FURAMIO_SOURCE_TABLE)));
    for (const QString &line : text.split('\n')) {
        if (line.trimmed().isEmpty()) {
            pending.clear();
        } else if (line.startsWith('#')) {
            const QRegularExpressionMatch m = changeNote.match(line);
            if (m.hasMatch())
                pending.push_back({m.captured(1), m.captured(2), m.captured(3).trimmed()});
            else
                EXPECT_FALSE(line.contains(QStringLiteral("変更 2")))
                    << "unreadable change note: " << line.toStdString();
        } else {
            const QStringList f = line.split('\t');
            EXPECT_EQ(f.size(), 11) << line.toStdString();
            if (f.size() < 11)
                continue;
            rows.push_back({f[0].toInt(), f[1], f[3], f[4], f[5], f[9].trimmed(), f[10].trimmed(),
                            std::move(pending)});
            pending.clear();
        }
    }
    return rows;
}

// The text of the first table row of a page that starts with the given opening tag.
QString pageRow(const QString &page, const QString &opening)
{
    const qsizetype start = page.indexOf(opening);
    if (start < 0)
        return QString();
    return page.mid(start, page.indexOf(QStringLiteral("</tr>"), start) - start);
}

} // namespace

TEST_F(ShippedData, WorldListHoldsFlagIdNInRowN)
{
    const auto &t = world->table;
    ASSERT_EQ(world->load.recordCount, worldCount);
    ASSERT_EQ(world->load.listLines.size(), worldCount);
    for (int n = 1; n <= worldCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(t.flagIds[n], QString::number(n));
        EXPECT_FALSE(t.regionNames[n].isEmpty());
        EXPECT_FALSE(t.countryNames[n].trimmed().isEmpty());
        EXPECT_FALSE(t.capitals[n].trimmed().isEmpty());
        EXPECT_TRUE(t.mapUrls[n].startsWith("https://www.openstreetmap.org/#map="));
        EXPECT_EQ(world->load.listLines[n - 1], QString::number(n) + ' ' + t.countryNames[n]);
    }
    for (int id = worldCount + 1; id <= CountryTable::upperBound; ++id)
        EXPECT_TRUE(t.countryNames[id].isEmpty()) << id;
}

TEST_F(ShippedData, NamesAreUniqueAndTheLookupNamesArePresent)
{
    QSet<QString> names;
    for (int n = 1; n <= worldCount; ++n) {
        const QString &name = world->table.countryNames[n];
        EXPECT_FALSE(names.contains(name)) << "duplicate name " << name.toStdString();
        names.insert(name);
    }
    // The encyclopedia lookup maps these exact names to article titles; Japan must be 日本.
    for (const char *name : {"台湾", "米国", "ジョージア", "タイ", "中国", "モンゴル", "ミクロネシア", "マリ",
                             "セントクリストファー・ネービス", "セントビンセント及びグレナディーン諸島",
                             "日本"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(name))) << name;
}

TEST_F(ShippedData, SearchingANameFindsThatCountryFirst)
{
    // Study by name opens with a search for 日本; every country name searched must land on its
    // own row, not on an earlier one whose capital happens to contain the name.
    const QStringList &rows = world->load.listLines;
    for (int n = 1; n <= worldCount; ++n) {
        const QString &name = world->table.countryNames[n];
        const std::optional<int> row = StudyRules::findRow(rows, world->table.capitals, name);
        ASSERT_TRUE(row.has_value()) << name.toStdString();
        // A short name may sit inside a longer one listed before it (ギニア in 赤道ギニア);
        // then the hit must at least be by name.
        if (*row != n - 1) {
            EXPECT_TRUE(rows[*row].contains(name)) << name.toStdString();
        }
    }
    EXPECT_EQ(StudyRules::findRow(rows, world->table.capitals, QStringLiteral("日本")),
              std::optional<int>(123));
}

TEST_F(ShippedData, RegionListsAgreeWithTheWorldList)
{
    const auto &w = world->table;
    std::map<int, int> timesListed;
    for (const auto &list : regionLists) {
        SCOPED_TRACE(list.key);
        const Loaded region = loadList(list.key);
        const auto &t = region.table;
        // A game deals twelve cards and asks fifteen different countries.
        EXPECT_GE(region.load.recordCount, 26);
        int previousId = 0;
        for (int row = 1; row <= region.load.recordCount; ++row) {
            const int id = t.flagIds[row].toInt();
            SCOPED_TRACE(id);
            ASSERT_GE(id, 1);
            ASSERT_LE(id, worldCount);
            EXPECT_GT(id, previousId) << "rows out of the world list's order";
            previousId = id;
            ++timesListed[id];
            EXPECT_TRUE(list.regions.contains(t.regionNames[row]))
                << t.regionNames[row].toStdString();
            EXPECT_EQ(t.regionNames[row], w.regionNames[id]);
            EXPECT_EQ(t.countryNames[id], w.countryNames[id]);
            EXPECT_EQ(t.capitals[id], w.capitals[id]);
            EXPECT_EQ(t.mapUrls[id], w.mapUrls[id]);
        }
    }
    // Every country is in exactly one region list.
    EXPECT_EQ(timesListed.size(), std::size_t(worldCount));
    for (const auto &[id, times] : timesListed)
        EXPECT_EQ(times, 1) << id;
}

TEST(ShippedLists, EveryListRoundTripsThroughTheReader)
{
    for (const char *key : {"sekai", "asia&taiyou", "europe", "america", "chuutou&africa"}) {
        SCOPED_TRACE(key);
        const Loaded l = loadList(key);
        // Written back from the table, the records give the file byte for byte: nothing was
        // lost to quoting, the code page or the line ends.
        QString text;
        for (int row = 1; row <= l.load.recordCount; ++row) {
            const int id = l.table.flagIds[row].toInt();
            text += QStringList{l.table.flagIds[row], l.table.regionNames[row],
                                csvField(l.table.countryNames[id]), csvField(l.table.capitals[id]),
                                csvField(l.table.mapUrls[id])}
                        .join(',') +
                    "\r\n";
        }
        EXPECT_EQ(CodePage::toCp932(text), l.bytes);
        EXPECT_EQ(l.bytes.count("\r\n"), l.bytes.count('\n'));
        EXPECT_EQ(l.load.lastMapUrl, l.table.mapUrls[l.table.flagIds[l.load.recordCount].toInt()]);
    }
}

// How far two pictures of one size differ: the mean over all pixels and channels, 0 to 255.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    }
    return total / (3.0 * left.width() * left.height());
}

TEST(ShippedPictures, EveryFlagIdHasThreePicturesThatLoad)
{
    const QString folder = dataDir + QStringLiteral("/国旗/");
    const QString largeFolder = dataDir + QStringLiteral("/国旗大/");
    for (int n = 1; n <= worldCount; ++n) {
        SCOPED_TRACE(n);
        const QString id = QString::number(n);
        QImageReader flag(folder + id + ".jpg");
        const QImage flagImage = flag.read();
        ASSERT_FALSE(flagImage.isNull()) << flag.errorString().toStdString();
        // Flags sit in a 3:2 picture so every card has the same shape.
        EXPECT_GE(flagImage.width(), 360);
        EXPECT_EQ(flagImage.width() * 2, flagImage.height() * 3);
        // The large flag is the same flag at twice the size: one drawn again from another
        // drawing, or left out when the small ones were made anew, shows here.
        QImageReader large(largeFolder + id + ".jpg");
        ASSERT_EQ(large.size(), flagImage.size() * 2) << large.errorString().toStdString();
        large.setScaledSize(flagImage.size());
        const QImage largeImage = large.read();
        ASSERT_FALSE(largeImage.isNull()) << large.errorString().toStdString();
        EXPECT_LT(meanDifference(largeImage, flagImage), 16.0);
        for (const char *suffix : {"a", "b"}) {
            QImageReader map(folder + id + suffix + ".jpg");
            const QImage mapImage = map.read();
            ASSERT_FALSE(mapImage.isNull()) << suffix << ": " << map.errorString().toStdString();
            EXPECT_GE(mapImage.width(), 200) << suffix;
            EXPECT_GE(mapImage.height(), 150) << suffix;
        }
    }
    EXPECT_FALSE(QImageReader(folder + "intro.jpg").read().isNull());
    EXPECT_FALSE(QImageReader(folder + "banner.jpg").read().isNull());
    // Nothing beyond the gallery's 198: a stray picture means the lists and pictures disagree.
    EXPECT_FALSE(QFile::exists(folder + QString::number(worldCount + 1) + ".jpg"));
    EXPECT_FALSE(QFile::exists(largeFolder + QString::number(worldCount + 1) + ".jpg"));
}

TEST(ShippedHelp, CompiledHelpAndPlainPagesAreThere)
{
    EXPECT_TRUE(readBytes(dataDir + "/kokki.chm").startsWith("ITSF"));
    const QByteArray index = readBytes(dataDir + "/help/index.html");
    EXPECT_TRUE(index.contains("charset=Shift_JIS"));
    EXPECT_TRUE(CodePage::fromCp932(index).contains(QStringLiteral("フラミオ")));
}

TEST_F(ShippedData, WorldListIsTheSourceTable)
{
    // A table edited but not regenerated shows here first.
    const std::vector<SourceRow> rows = readSourceTable();
    ASSERT_EQ(rows.size(), std::size_t(worldCount));
    const auto &t = world->table;
    for (const SourceRow &r : rows) {
        SCOPED_TRACE(r.iso.toStdString());
        ASSERT_GE(r.id, 1);
        ASSERT_LE(r.id, worldCount);
        EXPECT_EQ(t.countryNames[r.id], r.name);
        EXPECT_EQ(t.capitals[r.id], r.capital);
        EXPECT_EQ(t.regionNames[r.id], r.region);
    }
}

TEST(SourceTable, EveryRowSaysWhenItWasCheckedAndWhenItsFlagWasAdopted)
{
    const std::vector<SourceRow> rows = readSourceTable();
    ASSERT_EQ(rows.size(), std::size_t(worldCount));
    int changes = 0;
    for (const SourceRow &r : rows) {
        SCOPED_TRACE(r.iso.toStdString());
        const QDate checked = QDate::fromString(r.checked, Qt::ISODate);
        ASSERT_TRUE(checked.isValid()) << r.checked.toStdString();
        EXPECT_EQ(checked.toString(Qt::ISODate), r.checked);
        EXPECT_LE(checked, QDate::currentDate());
        bool isYear = false;
        const int flagYear = r.flagYear.toInt(&isYear);
        ASSERT_TRUE(isYear) << r.flagYear.toStdString();
        EXPECT_GE(flagYear, 1200);
        EXPECT_LE(flagYear, checked.year());
        QString newer = QStringLiteral("9999");
        bool flagChangeSeen = false;
        for (const Change &c : r.changes) {
            SCOPED_TRACE(c.date.toStdString());
            ++changes;
            EXPECT_GE(c.date.left(4).toInt(), changeLogSince);
            EXPECT_LE(c.date.left(7), r.checked.left(7)) << "a change after the row was checked";
            EXPECT_LE(c.date, newer) << "changes not newest first";
            newer = c.date;
            // The latest flag change is the flag the row shows.
            if (c.what == QStringLiteral("国旗") && !flagChangeSeen) {
                EXPECT_EQ(c.date.left(4).toInt(), flagYear);
                flagChangeSeen = true;
            }
        }
    }
    // Syria's and Kyrgyzstan's flags, Burundi's capital and the rest: the log is not empty.
    EXPECT_GE(changes, 4);
}

TEST(ShippedHelp, AboutPageHoldsEveryChangeAndEveryFlagYear)
{
    const QString page = CodePage::fromCp932(readBytes(dataDir + "/help/data.html"));
    ASSERT_TRUE(page.contains(QStringLiteral("<h1>データについて</h1>")));
    const std::vector<SourceRow> rows = readSourceTable();
    std::vector<Change> logged;
    for (const SourceRow &r : rows) {
        SCOPED_TRACE(r.iso.toStdString());
        for (const Change &c : r.changes) {
            const QString row = pageRow(
                page, QStringLiteral("<tr class=\"change\" data-date=\"%1\" data-id=\"%2\">")
                          .arg(c.date)
                          .arg(r.id));
            ASSERT_FALSE(row.isEmpty()) << "not in the log: " << c.date.toStdString();
            EXPECT_TRUE(row.contains(r.name));
            EXPECT_TRUE(row.contains(c.what));
            EXPECT_TRUE(row.contains(c.text)) << c.text.toStdString();
        }
        const QString row = pageRow(page, QStringLiteral("<tr data-id=\"%1\" ").arg(r.id));
        ASSERT_FALSE(row.isEmpty()) << "no row in the country list";
        EXPECT_TRUE(row.contains(QStringLiteral("<td>%1</td>").arg(r.name)));
        EXPECT_TRUE(row.contains(QStringLiteral("<td>%1年</td>").arg(r.flagYear)));
    }
    // Newest first, and nothing in the log that the table does not hold.
    static const QRegularExpression logDate(
        QStringLiteral("<tr class=\"change\" data-date=\"([0-9-]+)\""));
    QStringList dates;
    for (auto it = logDate.globalMatch(page); it.hasNext();)
        dates << it.next().captured(1);
    qsizetype tableChanges = 0;
    for (const SourceRow &r : rows)
        tableChanges += qsizetype(r.changes.size());
    EXPECT_EQ(dates.size(), tableChanges);
    for (qsizetype i = 1; i < dates.size(); ++i)
        EXPECT_GE(dates[i - 1], dates[i]) << i;
    // The compiled help carries the page too.
    EXPECT_TRUE(readBytes(dataDir + "/kokki.chm").contains("/data.html"));
}

TEST(ShippedPictures, HondurasFlagIsTurquoise)
{
    // The drawing package still has the deep blue used before 2022; our own drawing replaces it.
    const std::vector<SourceRow> rows = readSourceTable();
    const auto honduras =
        std::find_if(rows.begin(), rows.end(), [](const SourceRow &r) { return r.iso == "HN"; });
    ASSERT_NE(honduras, rows.end());
    const QImage flag(dataDir + QStringLiteral("/国旗/%1.jpg").arg(honduras->id));
    ASSERT_FALSE(flag.isNull());
    const QColor top = flag.pixelColor(flag.width() / 2, flag.height() / 2 - 45);
    const QColor turquoise(0x00, 0xbc, 0xe4);
    EXPECT_LT(std::abs(top.red() - turquoise.red()) + std::abs(top.green() - turquoise.green()) +
                  std::abs(top.blue() - turquoise.blue()),
              40)
        << top.name().toStdString();
}

TEST(ShippedFolder, TotalSizeStaysWellUnderTenMegabytes)
{
    qint64 total = 0;
    QDirIterator it(dataDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    EXPECT_LT(total, 8 * 1024 * 1024);
}
