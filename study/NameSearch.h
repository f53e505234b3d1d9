#pragma once

#include "CountryTable.h"
#include "OtherNames.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The search of the study list, forgiving of how the player writes a name. The exact search
// (StudyRules::findRow) always goes first and keeps its results, but for a row whose country or
// capital is named exactly by the key, which is taken before the first; only when it finds
// nothing are
// the key, the rows, the capitals and the countries' other names compared in folded form
// (SearchFolding), in this order, each over the rows in list order:
//  1. the folded key within a row's text or its capital, as the exact search does it;
//  2. the folded key equal to one of the row's other names: 仏 is France, not Ireland's 愛蘭,
//     "us" is the United States, not Australia;
//  3. the folded key at the start of one of them ("amer" is America);
//  4. the folded key within one of them (連合王国 is the United Kingdom).
// ISO codes take part only in 2. A key that folds to nothing finds nothing.
class NameSearch
{
public:
    struct Match
    {
        enum class Source
        {
            Exact,     // the exact search found it
            Folded,    // the row's own text or capital, folded
            OtherName, // one of the country's other names
        };
        int row = 0; // row of the list, from 0
        Source source = Source::Exact;
        QString otherName; // the other name that matched, as written in the file; else empty
        QString otherKind; // its kind (OtherName::kind); else empty
        // The later rows the same test found, in list order, one per country other than the
        // first row's: コンゴ finds コンゴ共和国 and, besides it, コンゴ民主共和国.
        std::vector<int> otherRows;
    };

    NameSearch() = default;
    explicit NameSearch(std::vector<OtherName> otherNames);

    // The exact search, then the forgiving one. Rows and capitals are read as the exact search
    // reads them: at most the first StudyRules::searchedRows rows, row i with capital i + 1; a
    // row's other names are those of the flag ID its text starts with. The folded rows are kept
    // from one search to the next and made again only when the list or the capitals change.
    std::optional<Match> find(const QStringList &rows, const CountryTable::Column &capitals,
                              const QString &key);

    // The forgiving search alone.
    std::optional<Match> findFolded(const QStringList &rows, const CountryTable::Column &capitals,
                                    const QString &key);

    // The line under the search box for a match through another name: 「アメリカ」→ 米国; a former
    // name or capital, or a largest city, says what it is: 「ローデシア」（旧称）→ ジンバブエ,
    // 「シドニー」（最大都市）→ オーストラリア.
    static QString hint(const QString &key, const QString &countryName,
                        const QString &kind = QString());
    // Whether the key, with only case and width folded (ｱﾒﾘｶ, ＪＡＰＡＮ), still stands in the
    // row's text or its capital. When it does not, the player is told which country the key
    // led to: ヴェトナム is shown as ベトナム.
    static bool readsAsTyped(const QString &key, const QString &rowText, const QString &capital);
    // The line that names the other matches: "ほかに 3 件: " before the names.
    static QString othersLead(int count);
    // The line under the search box when nothing matches at all.
    static inline const QString notFound = QStringLiteral("見つかりませんでした。");

private:
    struct Country
    {
        std::vector<qsizetype> names; // indexes into m_names
        QString joined;               // separator + each folded name but the codes
    };
    struct PreparedRow
    {
        QString text;
        QString capital;
        QString foldedText;
        QString foldedCapital;
        int flagId = 0;
    };

    // Folds the rows and capitals again when the list or the capitals have changed since the
    // last search; the other names are folded once, on construction.
    void prepare(const QStringList &rows, const CountryTable::Column &capitals);
    std::optional<qsizetype> nameOf(int flagId, const QString &foldedKey, bool prefixOnly) const;
    // The first of `rows` as the match, the others after it, one row per country.
    std::optional<Match> matchOf(const std::vector<int> &rows, Match::Source source,
                                 const OtherName *otherName = nullptr) const;

    std::vector<OtherName> m_names;
    std::vector<QString> m_foldedNames;
    QHash<QString, std::vector<int>> m_flagIdsByName; // folded name -> flag IDs
    QHash<int, Country> m_countries;                  // by flag ID
    std::vector<PreparedRow> m_rows;
};
