#include "BaseList.h"
#include "CodePage.h"
#include "SequentialInput.h"

#include <gtest/gtest.h>

namespace {

QByteArray cp932(const char *utf8)
{
    return CodePage::toCp932(QString::fromUtf8(utf8));
}

QStringList fields(const char *utf8, int count)
{
    SequentialInput input(cp932(utf8));
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(input.readField());
    return out;
}

} // namespace

TEST(SequentialInput, FieldRules)
{
    // Quotes removed, a comma inside quotes kept, blanks before a field skipped, blanks after
    // an unquoted field dropped, blanks inside kept.
    EXPECT_EQ(fields("1,  \"ボスニア,ヘルツェゴビナ\" , 首 都 ,x\r\n", 4),
              (QStringList{"1", "ボスニア,ヘルツェゴビナ", "首 都", "x"}));
    // Empty fields between commas, and an empty last field.
    EXPECT_EQ(fields("a,,b,\r\n", 4), (QStringList{"a", "", "b", ""}));
    // LF-only and CR-only line ends end fields too.
    EXPECT_EQ(fields("a\nb\rc", 3), (QStringList{"a", "b", "c"}));
}

TEST(SequentialInput, RecordsRunOverLineEndsAndEndOfFileIsAnError)
{
    SequentialInput input(cp932("1,アジア\r\n日本,東京,u\r\n"));
    EXPECT_EQ(input.readField(), "1");
    EXPECT_EQ(input.readField(), "アジア");
    EXPECT_EQ(input.line(), 2);
    EXPECT_EQ(input.readField(), "日本");
    input.readField();
    input.readField();
    EXPECT_TRUE(input.atEnd());
    EXPECT_THROW(input.readField(), SequentialInput::PastEndOfFile);
}

TEST(BaseList, ReadsRecordsIntoRowsAndIds)
{
    CountryTable table;
    const BaseListLoad load =
        BaseList::read(cp932("7,欧州,\"トリニダード,トバゴ\",ポートオブスペイン,https://a/7\r\n"
                             "  3,アジア,日本,東京,\r\n"
                             "5,アジア,タイ\r\nバンコク,https://a/5\r\n"),
                       table, "test.csv");
    EXPECT_EQ(load.recordCount, 3);
    EXPECT_EQ(load.listLines, (QStringList{"7 トリニダード,トバゴ", "3 日本", "5 タイ"}));
    EXPECT_EQ(load.lastMapUrl, "https://a/5");
    EXPECT_EQ(table.flagIds[2], "3");
    EXPECT_EQ(table.regionNames[1], "欧州");
    EXPECT_EQ(table.countryNames[7], "トリニダード,トバゴ");
    EXPECT_EQ(table.capitals[5], "バンコク");
    EXPECT_EQ(table.mapUrls[3], "");
    EXPECT_TRUE(table.flagIds[0].isEmpty());
}

TEST(BaseList, EmptyFileLoadsNothing)
{
    CountryTable table;
    EXPECT_EQ(BaseList::read(QByteArray(), table, "e.csv").recordCount, 0);
    EXPECT_EQ(BaseList::read("\r\n", table, "e.csv").recordCount, 0);
}

TEST(BaseList, LaterLoadsOverwriteOnlyWhatTheyName)
{
    CountryTable table;
    BaseList::read(cp932("1,欧州,A,a,u1\r\n2,欧州,B,b,u2\r\n3,アジア,C,c,u3\r\n"), table, "w.csv");
    const BaseListLoad europe = BaseList::read(cp932("2,欧州,B2,b2,v2\r\n"), table, "e.csv");
    EXPECT_EQ(europe.recordCount, 1);
    EXPECT_EQ(table.flagIds[1], "2");      // row 1 now Europe's first row
    EXPECT_EQ(table.flagIds[2], "2");      // row 2 still the world's
    EXPECT_EQ(table.countryNames[1], "A"); // IDs outside Europe keep the world values
    EXPECT_EQ(table.countryNames[2], "B2");
    EXPECT_EQ(table.countryNames[3], "C");
    BaseList::read(cp932("1,欧州,A,a,u1\r\n2,欧州,B,b,u2\r\n3,アジア,C,c,u3\r\n"), table, "w.csv");
    EXPECT_EQ(table.countryNames[2], "B");
    EXPECT_EQ(table.flagIds[1], "1");
}

TEST(BaseList, BadRecordsNameTheFileAndLine)
{
    CountryTable table;
    auto lineOf = [&](const char *text) {
        try {
            BaseList::read(cp932(text), table, "基本Listeurope.csv");
        } catch (const BaseListError &error) {
            EXPECT_TRUE(error.message().contains("基本Listeurope.csv"));
            return error.line;
        }
        return -1;
    };
    EXPECT_EQ(lineOf("1,a,b,c,d\r\nx,a,b,c,d\r\n"), 2);   // ID not a number
    EXPECT_EQ(lineOf("1,a,b,c,d\r\n201,a,b,c,d\r\n"), 2); // ID out of range
    EXPECT_EQ(lineOf("1,a,b,c,d\r\n2,a,b\r\n"), 2);       // file ends inside a record
    // The rows before the bad one stay loaded.
    EXPECT_EQ(table.countryNames[1], "b");

    QByteArray tooMany;
    for (int i = 1; i <= 201; ++i)
        tooMany += QByteArray::number(i % 200 + 1) + ",r,n,c,u\r\n";
    EXPECT_EQ(lineOf(tooMany.constData()), 201);
}

TEST(BaseList, MissingFileIsReported)
{
    CountryTable table;
    try {
        BaseList::load("/nonexistent/基本Listsekai.csv", table);
        FAIL();
    } catch (const BaseListError &error) {
        EXPECT_EQ(error.fileName, "基本Listsekai.csv");
        EXPECT_EQ(error.line, 0);
    }
}
