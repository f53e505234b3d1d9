#include "NameSearch.h"

#include "SearchFolding.h"
#include "StudyRules.h"

#include <QSet>

#include <algorithm>

namespace {

// Stands between the folded names of one country; folding never leaves it in a key.
constexpr QChar separator(u'\u0001');

bool holds(const QString &text, const QString &key)
{
    return !text.isEmpty() && text.contains(key);
}

} // namespace

NameSearch::NameSearch(std::vector<OtherName> otherNames) : m_names(std::move(otherNames))
{
    m_foldedNames.reserve(m_names.size());
    for (qsizetype i = 0; i < static_cast<qsizetype>(m_names.size()); ++i) {
        const OtherName &name = m_names[static_cast<size_t>(i)];
        const QString folded = SearchFolding::fold(name.name);
        m_foldedNames.push_back(folded);
        if (folded.isEmpty())
            continue;
        std::vector<int> &ids = m_flagIdsByName[folded];
        if (std::find(ids.begin(), ids.end(), name.flagId) == ids.end())
            ids.push_back(name.flagId);
        Country &country = m_countries[name.flagId];
        country.names.push_back(i);
        if (name.kind != OtherNames::codeKind)
            country.joined += separator + folded;
    }
}

QString NameSearch::hint(const QString &key, const QString &countryName, const QString &kind)
{
    if (kind == OtherNames::formerNameKind || kind == OtherNames::formerCapitalKind ||
        kind == OtherNames::largestCityKind)
        return QStringLiteral("「%1」（%2）→ %3").arg(key, kind, countryName);
    return QStringLiteral("「%1」→ %2").arg(key, countryName);
}

bool NameSearch::readsAsTyped(const QString &key, const QString &rowText, const QString &capital)
{
    // The compatibility form folds the widths (ｱ and ア, Ａ and A) and nothing of the sounds.
    const auto plain = [](const QString &text) {
        return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    };
    const QString typed = plain(key);
    return !typed.isEmpty() && (plain(rowText).contains(typed) || plain(capital).contains(typed));
}

QString NameSearch::othersLead(int count)
{
    return QStringLiteral("ほかに %1 件: ").arg(count);
}

void NameSearch::prepare(const QStringList &rows, const CountryTable::Column &capitals)
{
    const size_t last =
        static_cast<size_t>(std::min<qsizetype>(rows.size(), StudyRules::searchedRows));
    bool same = m_rows.size() == last;
    for (size_t i = 0; same && i < last; ++i)
        same = m_rows[i].text == rows.at(static_cast<qsizetype>(i)) &&
               m_rows[i].capital == capitals[i + 1];
    if (same)
        return;
    m_rows.resize(last);
    for (size_t i = 0; i < last; ++i) {
        PreparedRow &row = m_rows[i];
        row.text = rows.at(static_cast<qsizetype>(i));
        row.capital = capitals[i + 1];
        row.foldedText = SearchFolding::fold(row.text);
        row.foldedCapital = SearchFolding::fold(row.capital);
        const auto listed = StudyRules::readRow(row.text);
        row.flagId = listed ? listed->flagId : 0;
    }
}

std::optional<qsizetype> NameSearch::nameOf(int flagId, const QString &foldedKey,
                                            bool prefixOnly) const
{
    const auto country = m_countries.constFind(flagId);
    if (country == m_countries.cend())
        return std::nullopt;
    for (const qsizetype i : country->names) {
        const size_t at = static_cast<size_t>(i);
        if (m_names[at].kind == OtherNames::codeKind)
            continue;
        const QString &folded = m_foldedNames[at];
        if (prefixOnly ? folded.startsWith(foldedKey) : folded.contains(foldedKey))
            return i;
    }
    return std::nullopt;
}

std::optional<NameSearch::Match> NameSearch::matchOf(const std::vector<int> &rows,
                                                     Match::Source source,
                                                     const OtherName *otherName) const
{
    if (rows.empty())
        return std::nullopt;
    Match match{rows.front(),
                source,
                otherName ? otherName->name : QString(),
                otherName ? otherName->kind : QString(),
                {}};
    QSet<int> countries;
    const auto flagIdOf = [this](int row) {
        return row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<size_t>(row)].flagId : 0;
    };
    countries.insert(flagIdOf(match.row));
    for (size_t i = 1; i < rows.size(); ++i) {
        const int flagId = flagIdOf(rows[i]);
        // Rows that name no flag are each their own entry.
        if (flagId == 0 || !countries.contains(flagId)) {
            countries.insert(flagId);
            match.otherRows.push_back(rows[i]);
        }
    }
    return match;
}

std::optional<NameSearch::Match>
NameSearch::find(const QStringList &rows, const CountryTable::Column &capitals, const QString &key)
{
    std::vector<int> exact = StudyRules::findRows(rows, capitals, key);
    if (exact.empty())
        return findFolded(rows, capitals, key);
    prepare(rows, capitals);
    // A country named exactly so goes before those whose names merely hold the key: マリ is
    // Mali, not San Marino. The others keep their list order after it.
    const auto named = std::find_if(exact.begin(), exact.end(), [&](int row) {
        const auto listed = StudyRules::readRow(rows.at(row));
        return (listed && listed->name == key) || capitals[static_cast<size_t>(row) + 1] == key;
    });
    std::rotate(exact.begin(), named, named + (named == exact.end() ? 0 : 1));
    return matchOf(exact, Match::Source::Exact);
}

std::optional<NameSearch::Match> NameSearch::findFolded(const QStringList &rows,
                                                        const CountryTable::Column &capitals,
                                                        const QString &key)
{
    const QString folded = SearchFolding::fold(key);
    if (folded.isEmpty())
        return std::nullopt;
    prepare(rows, capitals);
    const int rowCount = static_cast<int>(m_rows.size());

    std::vector<int> found;
    for (int i = 0; i < rowCount; ++i) {
        const PreparedRow &row = m_rows[static_cast<size_t>(i)];
        if (holds(row.foldedCapital, folded) || holds(row.foldedText, folded))
            found.push_back(i);
    }
    if (!found.empty())
        return matchOf(found, Match::Source::Folded);

    const auto owners = m_flagIdsByName.constFind(folded);
    if (owners != m_flagIdsByName.cend()) {
        const OtherName *firstName = nullptr;
        for (int i = 0; i < rowCount; ++i) {
            const int flagId = m_rows[static_cast<size_t>(i)].flagId;
            if (std::find(owners->begin(), owners->end(), flagId) == owners->end())
                continue;
            for (const qsizetype n : m_countries.constFind(flagId)->names) {
                if (m_foldedNames[static_cast<size_t>(n)] != folded)
                    continue;
                if (found.empty())
                    firstName = &m_names[static_cast<size_t>(n)];
                found.push_back(i);
                break;
            }
        }
        if (!found.empty())
            return matchOf(found, Match::Source::OtherName, firstName);
    }

    const QString atStart = separator + folded;
    for (const bool prefixOnly : {true, false}) {
        const QString &needle = prefixOnly ? atStart : folded;
        const OtherName *firstName = nullptr;
        for (int i = 0; i < rowCount; ++i) {
            const int flagId = m_rows[static_cast<size_t>(i)].flagId;
            const auto country = m_countries.constFind(flagId);
            if (country == m_countries.cend() || !country->joined.contains(needle))
                continue;
            if (const auto n = nameOf(flagId, folded, prefixOnly)) {
                if (found.empty())
                    firstName = &m_names[static_cast<size_t>(*n)];
                found.push_back(i);
            }
        }
        if (!found.empty())
            return matchOf(found, Match::Source::OtherName, firstName);
    }
    return std::nullopt;
}
