#include "StudyRules.h"

#include <algorithm>
#include <array>
#include <utility>

namespace StudyRules {

QString toArticleTitle(const QString &name)
{
    static const std::array<std::pair<QString, QString>, 10> titles{{
        {QStringLiteral("台湾"), QStringLiteral("中華民国")},
        {QStringLiteral("米国"), QStringLiteral("アメリカ合衆国")},
        {QStringLiteral("ジョージア"), QStringLiteral("ジョージア (国)")},
        {QStringLiteral("タイ"), QStringLiteral("タイ王国")},
        {QStringLiteral("中国"), QStringLiteral("中華人民共和国")},
        {QStringLiteral("モンゴル"), QStringLiteral("モンゴル国")},
        {QStringLiteral("ミクロネシア"), QStringLiteral("ミクロネシア連邦")},
        // "マリ" is a page of the word's meanings; the other two are spelt otherwise there.
        {QStringLiteral("マリ"), QStringLiteral("マリ共和国")},
        {QStringLiteral("セントクリストファー・ネービス"), QStringLiteral("セントクリストファー・ネイビス")},
        {QStringLiteral("セントビンセント及びグレナディーン諸島"),
         QStringLiteral("セントビンセント・グレナディーン")},
    }};
    for (const auto &[listed, title] : titles) {
        if (name == listed)
            return title;
    }
    return name;
}

namespace {

// An empty text contains nothing, not even the empty key.
bool holds(const QString &text, const QString &key)
{
    return !text.isEmpty() && text.contains(key, Qt::CaseSensitive);
}

bool rowHolds(const QStringList &rows, const CountryTable::Column &capitals, int i,
              const QString &key)
{
    return holds(capitals[static_cast<size_t>(i + 1)], key) || holds(rows.at(i), key);
}

} // namespace

std::optional<int> findRow(const QStringList &rows, const CountryTable::Column &capitals,
                           const QString &key)
{
    const int last = std::min<int>(static_cast<int>(rows.size()), searchedRows);
    for (int i = 0; i < last; ++i) {
        if (rowHolds(rows, capitals, i, key))
            return i;
    }
    return std::nullopt;
}

std::vector<int> findRows(const QStringList &rows, const CountryTable::Column &capitals,
                          const QString &key)
{
    std::vector<int> found;
    const int last = std::min<int>(static_cast<int>(rows.size()), searchedRows);
    for (int i = 0; i < last; ++i) {
        if (rowHolds(rows, capitals, i, key))
            found.push_back(i);
    }
    return found;
}

std::optional<ListedCountry> readRow(const QString &rowText)
{
    const qsizetype blank = rowText.indexOf(QLatin1Char(' '));
    if (blank <= 0)
        return std::nullopt;
    bool ok = false;
    const int id = rowText.left(blank).toInt(&ok);
    if (!ok || id < 1 || id > CountryTable::upperBound)
        return std::nullopt;
    return ListedCountry{id, rowText.mid(blank + 1)};
}

int galleryFirst(int scrollValue)
{
    return std::clamp(scrollValue, 1, galleryLastFirst);
}

} // namespace StudyRules
