#include "NameSearch.h"
#include "BaseList.h"
#include "CodePage.h"
#include "OtherNames.h"
#include "SearchFolding.h"
#include "StudyRules.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(SearchFolding, WritingsOfOneNameFoldAlike)
{
    const std::pair<const char *, const char *> same[] = {
        {"にほん", "ニホン"},
        {"ﾀｲ", "タイ"},
        {"ｶﾞｰﾅ", "ガーナ"},
        {"ﾊﾟﾗｵ", "パラオ"},
        {"ヴェトナム", "ベトナム"},
        {"ヴァチカン", "バチカン"},
        {"ゔぃーん", "ビーン"},
        {"モルディブ", "モルジブ"},
        {"アンティグア", "アンチグア"},
        {"トゥバル", "ツバル"},
        {"ヂヅ", "ジズ"},
        {"ウィーン", "ウイン"},
        {"ボスニア・ヘルツェゴビナ", "ボスニア ヘルツエゴビナ"},
        {"ＪＡＰＡＮ", "japan"},
        {"Côte d'Ivoire", "cotedivoire"},
        {"Washington D.C.", "washingtondc"},
        {"１２３", "123"},
        {"　ア　イ　", "アイ"},
        {"テューダー", "チュダ"},
    };
    for (const auto &[a, b] : same)
        EXPECT_EQ(SearchFolding::fold(u(a)), SearchFolding::fold(u(b))) << a << " / " << b;
    EXPECT_EQ(SearchFolding::fold(u("ﾆｭｰｼﾞｰﾗﾝﾄﾞ")), u("ニュジランド"));
}

TEST(SearchFolding, DifferentSoundsStayApart)
{
    const std::pair<const char *, const char *> apart[] = {
        {"ガーナ", "カーナ"},
        {"パラオ", "バラオ"},
        {"ニジェール", "ナイジェリア"},
        {"チュニジア", "チニジア"},
        {"キョウ", "キヨウ"},
        {"オーストリア", "オーストラリア"},
        {"中", "仲"},
        {"a", "b"},
    };
    for (const auto &[a, b] : apart)
        EXPECT_NE(SearchFolding::fold(u(a)), SearchFolding::fold(u(b))) << a << " / " << b;
    for (const char *nothing : {"", " ", "　", "・", "ー", "ｰ", "-", "（）"})
        EXPECT_TRUE(SearchFolding::fold(u(nothing)).isEmpty()) << nothing;
}

TEST(OtherNamesFile, ReadsRecordsAndRefusesBrokenOnes)
{
    const auto names = OtherNames::read(CodePage::toCp932(
        u("24,通称,イギリス\r\n24,英語,\"Korea, Republic of\"\r\n7,略称,亜\r\n")));
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].flagId, 24);
    EXPECT_EQ(names[0].kind, u("通称"));
    EXPECT_EQ(names[0].name, u("イギリス"));
    EXPECT_EQ(names[1].name, u("Korea, Republic of"));
    EXPECT_EQ(names[2].flagId, 7);

    for (const char *broken :
         {"x,通称,A\r\n", "0,通称,A\r\n", "201,通称,A\r\n", "1,通称,A\r\n2,通称\r\n"})
        EXPECT_THROW(OtherNames::read(CodePage::toCp932(u(broken))), OtherNamesError) << broken;
    try {
        OtherNames::read(CodePage::toCp932(u("1,通称,A\r\n2,通称,B\r\nzz,通称,C\r\n")));
        ADD_FAILURE();
    } catch (const OtherNamesError &e) {
        EXPECT_EQ(e.line, 3);
    }

    QString error;
    EXPECT_TRUE(OtherNames::load(QStringLiteral("/nonexistent/betsumei.csv"), &error).empty());
    EXPECT_FALSE(error.isEmpty());
}

namespace {

struct SmallWorld
{
    QStringList rows;
    CountryTable::Column capitals;
};

SmallWorld smallWorld(const std::vector<std::pair<const char *, const char *>> &countries)
{
    SmallWorld w;
    for (size_t i = 0; i < countries.size(); ++i) {
        w.rows.append(QStringLiteral("%1 %2").arg(i + 1).arg(u(countries[i].first)));
        w.capitals[i + 1] = u(countries[i].second);
    }
    return w;
}

std::vector<OtherName> names(const std::vector<std::tuple<int, const char *, const char *>> &list)
{
    std::vector<OtherName> out;
    for (const auto &[id, kind, name] : list)
        out.push_back({id, u(kind), u(name)});
    return out;
}

} // namespace

TEST(NameSearch, ExactSearchFirstThenFoldedRowsThenOtherNamesEqualPrefixWithin)
{
    // 1 アイルランド, 2 オーストラリア, 3 台湾, 4 中国, 5 フランス, 6 米国, 7 オランダ
    const SmallWorld w = smallWorld({{"アイルランド", "ダブリン"},
                                     {"オーストラリア", "キャンベラ"},
                                     {"台湾", "台北"},
                                     {"中国", "北京"},
                                     {"フランス", "パリ"},
                                     {"米国", "ワシントンD.C."},
                                     {"オランダ", "アムステルダム"}});
    NameSearch search(names({{1, "漢字表記", "愛蘭"},
                             {1, "英語", "Ireland"},
                             {2, "英語", "Australia"},
                             {2, "符号", "AU"},
                             {3, "正式名", "中華民国"},
                             {4, "略称", "中"},
                             {4, "正式名", "中華人民共和国"},
                             {5, "略称", "仏"},
                             {5, "漢字表記", "仏蘭西"},
                             {6, "通称", "アメリカ"},
                             {6, "英語", "United States"},
                             {6, "符号", "US"},
                             {7, "略称", "蘭"},
                             {7, "英語", "Netherlands"}}));
    using Source = NameSearch::Match::Source;
    const auto found = [&](const char *key) { return search.find(w.rows, w.capitals, u(key)); };

    // Whatever the exact search finds stands, even where another name would fit better.
    EXPECT_EQ(found("台")->row, 2);
    EXPECT_EQ(found("台")->source, Source::Exact);
    EXPECT_EQ(found("ラ")->row, 0);
    // The rows' own text and capitals, folded, in list order.
    EXPECT_EQ(found("ふらんす")->row, 4);
    EXPECT_EQ(found("ふらんす")->source, Source::Folded);
    EXPECT_EQ(found("ﾗ")->row, 0);
    EXPECT_EQ(found("わしんとんdc")->row, 5);
    // A whole other name beats an earlier country that only holds the key: 蘭 stands inside
    // Ireland's 愛蘭 and France's 仏蘭西 but is the Netherlands' abbreviation, and "us" is a
    // code of the United States though "Australia" holds the letters.
    EXPECT_EQ(found("蘭")->row, 6);
    EXPECT_EQ(found("蘭")->otherName, u("蘭"));
    EXPECT_EQ(found("仏")->row, 4);
    EXPECT_EQ(found("中")->row, 3); // the exact search already finds 中国
    EXPECT_EQ(found("US")->row, 5);
    EXPECT_EQ(found("ｕｓ")->otherName, u("US"));
    EXPECT_EQ(found("au")->row, 1);
    EXPECT_EQ(found("あめりか")->otherName, u("アメリカ"));
    EXPECT_EQ(found("あめりか")->source, Source::OtherName);
    // A name's start before a name's middle; codes are never read as words.
    EXPECT_EQ(found("aus")->otherName, u("Australia"));
    EXPECT_EQ(found("united")->row, 5);
    EXPECT_EQ(found("land")->otherName, u("Ireland"));
    EXPECT_EQ(found("中華")->row, 2); // 中華民国 comes before 中華人民共和国 in the list
    EXPECT_EQ(found("人民")->row, 3);
    // A single letter goes to the first name starting with it, though Australia holds it.
    EXPECT_EQ(found("u")->otherName, u("United States"));
    for (const char *none : {"ぞ", "japan", "　", "ｰ", "・・", "中華人民共和国X"})
        EXPECT_FALSE(found(none)) << none;
}

TEST(NameSearch, FollowsTheListWhenItGrowsOrChanges)
{
    SmallWorld w = smallWorld({{"タイ", "バンコク"}, {"日本", "東京"}});
    NameSearch search(names({{2, "読み", "にほん"}, {1, "英語", "Thailand"}}));
    EXPECT_EQ(search.find(w.rows, w.capitals, u("にほん"))->row, 1);
    EXPECT_EQ(search.find(w.rows, w.capitals, u("ばんこく"))->row, 0);
    // A second reading appends the same rows; the first copy still wins.
    w.rows += w.rows;
    EXPECT_EQ(search.find(w.rows, w.capitals, u("にほん"))->row, 1);
    // Rows name their country by flag ID, so other names follow the row, not its place.
    w.rows = QStringList{QStringLiteral("2 日本"), QStringLiteral("1 タイ")};
    EXPECT_EQ(search.find(w.rows, w.capitals, u("thai"))->row, 1);
    EXPECT_EQ(search.find(w.rows, w.capitals, u("にほん"))->row, 0);
    EXPECT_FALSE(NameSearch().find(w.rows, w.capitals, u("thai")));
    EXPECT_FALSE(search.find({}, w.capitals, u("にほん")));
}

namespace {

const QString dataDir = QStringLiteral(FURAMIO_DATA_DIR);
constexpr int worldCount = 198;

struct Shipped
{
    CountryTable table;
    QStringList rows;
    std::vector<OtherName> otherNames;
};

// The world list and the other names, as the program ships them.
class ShippedSearch : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        shipped = std::make_unique<Shipped>();
        shipped->rows =
            BaseList::load(BaseList::path(dataDir, QStringLiteral("sekai")), shipped->table)
                .listLines;
        QString error;
        shipped->otherNames = OtherNames::load(dataDir + '/' + OtherNames::fileName, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        search = std::make_unique<NameSearch>(shipped->otherNames);
    }
    static void TearDownTestSuite()
    {
        search.reset();
        shipped.reset();
    }

    static std::optional<NameSearch::Match> found(const QString &key)
    {
        return search->find(shipped->rows, shipped->table.capitals, key);
    }
    static QString nameAt(int row) { return StudyRules::readRow(shipped->rows.at(row))->name; }

    static std::unique_ptr<Shipped> shipped;
    static std::unique_ptr<NameSearch> search;
};
std::unique_ptr<Shipped> ShippedSearch::shipped;
std::unique_ptr<NameSearch> ShippedSearch::search;

} // namespace

TEST_F(ShippedSearch, FindsCountriesHoweverTheyAreWritten)
{
    ASSERT_EQ(shipped->rows.size(), worldCount);
    // Kana and width; common, formal, old and former names; former capitals and every
    // spelling of one; one-kanji abbreviations, kanji spellings and readings; English, codes
    // and romaji.
    const std::pair<const char *, std::vector<const char *>> table[] = {
        {"日本",
         {"にほん", "にっぽん", "とうきょう", "japan", "Japan", "ＪＡＰＡＮ", "jpn", "nihon",
          "nippon", "tokyo", "toukyou"}},
        {"タイ", {"ﾀｲ", "シャム", "siam"}},
        {"ベトナム", {"ヴェトナム", "ゔぇとなむ"}},
        {"モルディブ", {"ﾓﾙｼﾞﾌﾞ"}},
        {"ツバル", {"とぅばる"}},
        {"オーストリア", {"うぃーん"}},
        {"米国",
         {"ﾜｼﾝﾄﾝ", "アメリカ", "アメリカ合衆国", "亜米利加", "べいこく", "usa", "us", "amerika"}},
        {"英国",
         {"イギリス", "グレートブリテン及び北アイルランド連合王国", "連合王国", "United Kingdom",
          "uk", "igirisu"}},
        {"韓国", {"大韓民国", "かんこく", "kankoku"}},
        {"中国",
         {"中華人民共和国", "チャイナ", "ちゅうごく", "ぺきん", "ペキン", "chuugoku", "chugoku"}},
        {"北朝鮮", {"朝鮮民主主義人民共和国", "きたちょうせん", "ぴょんやん"}},
        {"オランダ", {"ネーデルラント", "ホランド", "蘭"}},
        {"ジョージア", {"グルジア"}},
        {"ミャンマー", {"ビルマ", "burma", "ヤンゴン"}},
        {"ギリシャ", {"ギリシア"}},
        {"コートジボワール", {"コートジボアール", "cote divoire"}},
        {"フィジー", {"フィジー共和国"}},
        {"ヨルダン", {"ヨルダン・ハシェミット王国"}},
        {"アルジェリア", {"アルジェリア民主人民共和国"}},
        {"セントクリストファー・ネービス",
         {"セントクリストファー・ネービス連邦", "セントクリストファー・ネイビス"}},
        {"アンドラ", {"アンドララベリャ", "アンドラ・ラ・ベリャ"}},
        {"台湾", {"中華民国"}},
        {"ベナン", {"ダホメ"}},
        {"ブルキナファソ", {"オートボルタ"}},
        {"カンボジア", {"カンプチア"}},
        {"ジンバブエ", {"ローデシア"}},
        {"ザンビア", {"北ローデシア"}},
        {"ボツワナ", {"ベチュアナランド"}},
        {"タンザニア", {"タンガニーカ"}},
        {"ナミビア", {"南西アフリカ"}},
        {"バングラデシュ", {"東パキスタン"}},
        {"スリランカ", {"セイロン", "Ceylon"}},
        {"イラン", {"ペルシャ", "persia"}},
        {"コンゴ民主共和国", {"ザイール", "zaire"}},
        {"エスワティニ", {"スワジランド", "swaziland"}},
        {"カザフスタン", {"ヌルスルタン"}},
        {"モルドバ", {"キシニョフ"}},
        {"赤道ギニア",
         {"マラボ", "シウダ・デ・ラ・パス", "シウダー・デ・ラ・パス", "シウダード・デ・ラ・パス",
          "ラパス市", "Ciudad de la Paz"}},
        {"ブルンジ", {"ブジュンブラ"}},
        {"ナイジェリア", {"ラゴス"}},
        {"カザフスタン", {"アルマトイ"}},
        {"コートジボワール", {"アビジャン"}},
        {"タンザニア", {"ダルエスサラーム"}},
        {"ブラジル", {"リオデジャネイロ"}},
        {"パキスタン", {"カラチ"}},
        {"トルコ", {"イスタンブール"}},
        {"オーストラリア", {"シドニー", "メルボルン"}},
        {"米国", {"ニューヨーク"}},
        {"ボリビア", {"ラパス"}},
        {"フランス", {"仏", "furansu"}},
        {"ドイツ", {"独", "germ"}},
        {"イタリア", {"伊", "rome"}}, // rome, not Lomé, whose romaji is the same
        {"ロシア", {"露", "moscow", "mosukuwa"}},
        {"オーストラリア", {"豪", "oosutoraria", "osutoraria"}},
        {"カナダ", {"加"}},
        {"ベルギー", {"白"}},
        {"インド", {"in"}},
        {"ウクライナ", {"きえふ"}},
    };
    for (const auto &[country, keys] : table) {
        for (const char *key : keys) {
            const auto match = found(u(key));
            ASSERT_TRUE(match) << key;
            EXPECT_EQ(nameAt(match->row), u(country)) << key;
        }
    }
    EXPECT_EQ(found(u("アメリカ"))->otherName, u("アメリカ"));
    EXPECT_EQ(NameSearch::hint(u("アメリカ"), nameAt(found(u("アメリカ"))->row)),
              u("「アメリカ」→ 米国"));
    // A name of the past says so: ローデシア is not Zimbabwe's name today.
    const std::pair<const char *, const char *> hints[] = {
        {"ローデシア", "「ローデシア」（旧称）→ ジンバブエ"},
        {"マラボ", "「マラボ」（旧首都）→ 赤道ギニア"},
        {"ラゴス", "「ラゴス」（旧首都）→ ナイジェリア"},
        {"シドニー", "「シドニー」（最大都市）→ オーストラリア"},
        {"ペキン", "「ぺきん」→ 中国"},
        {"チャイナ", "「チャイナ」→ 中国"},
    };
    for (const auto &[key, hint] : hints) {
        const auto match = found(u(key));
        ASSERT_TRUE(match) << key;
        EXPECT_EQ(NameSearch::hint(match->otherName, nameAt(match->row), match->otherKind),
                  u(hint));
    }
}

TEST_F(ShippedSearch, KeysTheExactSearchFindsKeepTheirRow)
{
    // 中 stands in 中央アフリカ, which the exact search reaches before 中国; it stays there.
    // A single kana goes to the first row holding it, written any way.
    const std::pair<const char *, const char *> exact[] = {
        {"中", "中央アフリカ"}, {"米", "米国"},         {"英", "英国"},   {"韓", "韓国"},
        {"ア", "アイスランド"}, {"ン", "アイスランド"}, {"日本", "日本"},
    };
    for (const auto &[key, country] : exact) {
        const auto match = found(u(key));
        ASSERT_TRUE(match) << key;
        EXPECT_EQ(match->source, NameSearch::Match::Source::Exact) << key;
        EXPECT_EQ(nameAt(match->row), u(country)) << key;
    }
    for (const char *sameAsExact : {"あ", "ｱ", "ん", "ﾝ"})
        EXPECT_EQ(found(u(sameAsExact))->row, 0) << sameAsExact;
}

TEST_F(ShippedSearch, KeysThatMatchNothing)
{
    for (const char *key :
         {"ぞぞ", "xyzzy", "アトランティス", "ムー大陸", "qq", "ゑゑ", "　", "ｰ", "ーー"}) {
        EXPECT_FALSE(found(u(key))) << key;
    }
}

// Found by the exact search, and in its own row even where an earlier name holds it: マリ is
// not サンマリノ, マレ (the capital) not マレーシア, リビア not ボリビア.
TEST_F(ShippedSearch, EveryNameAndCapitalFindsItsOwnCountry)
{
    const auto &t = shipped->table;
    for (int id = 1; id <= worldCount; ++id) {
        for (const QString &key : {t.countryNames[id], t.capitals[id]}) {
            const auto match = found(key);
            ASSERT_TRUE(match) << key.toStdString();
            const auto listed = StudyRules::readRow(shipped->rows.at(match->row));
            ASSERT_TRUE(listed) << key.toStdString();
            EXPECT_EQ(listed->flagId, id) << key.toStdString();
            EXPECT_EQ(match->source, NameSearch::Match::Source::Exact);
        }
        // The name alone, folded, finds the country's own row or the first one holding it.
        const auto byName = search->findFolded(shipped->rows, t.capitals, t.countryNames[id]);
        ASSERT_TRUE(byName);
        EXPECT_LE(byName->row, id - 1) << t.countryNames[id].toStdString();
    }
}

TEST_F(ShippedSearch, OtherNamesNameOneCountryEach)
{
    QFile file(dataDir + '/' + OtherNames::fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Code page 932 throughout, with CR LF line ends.
    EXPECT_EQ(CodePage::toCp932(CodePage::fromCp932(bytes)), bytes);
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));

    ASSERT_GT(shipped->otherNames.size(), 1000u);
    QHash<QString, int> owner;
    QSet<int> named;
    for (const OtherName &n : shipped->otherNames) {
        ASSERT_GE(n.flagId, 1);
        ASSERT_LE(n.flagId, worldCount);
        named.insert(n.flagId);
        const QString folded = SearchFolding::fold(n.name);
        ASSERT_FALSE(folded.isEmpty()) << n.name.toStdString();
        const int first = owner.value(folded, n.flagId);
        EXPECT_EQ(first, n.flagId) << n.name.toStdString();
        owner.insert(folded, first);
    }
    EXPECT_EQ(named.size(), worldCount); // every country has at least its English name and code

    // Names that point at two countries, at a part, or at nothing a player means, are not shipped;
    // 中 would never be reached (中央アフリカ holds it first).
    for (const char *dropped :
         {"Congo", "Korea", "中", "Timor", "Island", "England", "イングランド",
          "フィジー諸島共和国", "ヨルダン・ハシミテ王国", "アルジェリア人民民主共和国"})
        EXPECT_FALSE(owner.contains(SearchFolding::fold(u(dropped)))) << dropped;
    const std::pair<const char *, const char *> kinds[] = {
        {"中華民国", "通称"},
        {"セントクリストファー・ネービス連邦", "正式名"},
        {"セントキッツ・ネービス", "通称"},
        {"ローデシア", "旧称"},
        {"Burma", "旧称"},
        {"マラボ", "旧首都"},
        {"ラゴス", "旧首都"},
        {"アルマトイ", "旧首都"},
        {"アビジャン", "旧首都"},
        {"ダルエスサラーム", "旧首都"},
        {"リオデジャネイロ", "旧首都"},
        {"カラチ", "旧首都"},
        {"イスタンブール", "最大都市"},
        {"シドニー", "最大都市"},
        {"ニューヨーク", "最大都市"},
        {"ぺきん", "読み"},
        {"セントクリストファー・ネイビス", "通称"},
        {"にほん", "国名の読み"},
        {"にっぽん", "読み"},
    };
    for (const auto &[name, kind] : kinds) {
        const auto n = std::find_if(shipped->otherNames.begin(), shipped->otherNames.end(),
                                    [&](const OtherName &o) { return o.name == u(name); });
        ASSERT_NE(n, shipped->otherNames.end()) << name;
        EXPECT_EQ(n->kind, u(kind)) << name;
    }

    // The review tells one reading beside a name holding kanji, and none beside one in kana.
    static const QRegularExpression hiragana(QStringLiteral("^[\\x{3041}-\\x{3096}ー]+$"));
    static const QRegularExpression kanji(QStringLiteral("[\\x{4e00}-\\x{9fff}々]"));
    QHash<int, int> readings;
    for (const OtherName &n : shipped->otherNames) {
        if (n.kind != OtherNames::nameReadingKind)
            continue;
        ++readings[n.flagId];
        EXPECT_TRUE(hiragana.match(n.name).hasMatch()) << n.name.toStdString();
    }
    for (int id = 1; id <= worldCount; ++id) {
        const QString &name = shipped->table.countryNames[static_cast<size_t>(id)];
        EXPECT_EQ(readings.value(id), name.contains(kanji) ? 1 : 0) << name.toStdString();
    }
}
