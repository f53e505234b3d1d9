#pragma once

#include "CountryTable.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The rules of the study views that need no window: the article title of a name, the search
// over the country list, the reading of a list row and the gallery's arithmetic.
namespace StudyRules {

// The name the encyclopedia files the country under. A few short names of our lists lead to
// a different page there; every other name is its own title.
QString toArticleTitle(const QString &name);

// The search looks at this many rows at most.
constexpr int searchedRows = 200;

// The first of the first `searchedRows` rows whose text contains `key`, or whose capital does.
// Row i is taken to hold flag ID i + 1, as the world list does. Comparison is exact: no
// folding of case, width or kana, and the key is not trimmed.
std::optional<int> findRow(const QStringList &rows, const CountryTable::Column &capitals,
                           const QString &key);
// Every row findRow would stop at, in list order: the first is findRow's.
std::vector<int> findRows(const QStringList &rows, const CountryTable::Column &capitals,
                          const QString &key);

struct ListedCountry
{
    int flagId = 0;
    QString name;
};

// A list row is "ID name": the digits up to the first blank, then everything after it, blanks
// included. Rows that name no flag ID of 1 to 200 give nothing.
std::optional<ListedCountry> readRow(const QString &rowText);

// The gallery shows eight cells below each other, starting with the cell of the scroll value.
constexpr int gallerySlots = 8;
constexpr int galleryCells = 198;
constexpr int galleryLastFirst = galleryCells - gallerySlots + 1; // 191
constexpr int cellLeft = 200;
constexpr int cellWidth = 1500;
constexpr int cellHeight = 900;

int galleryFirst(int scrollValue);
// Top of slot k (1 to 8), or of cell k in the start-up column, in twips within the frame.
constexpr int slotTop(int k)
{
    return 1100 * k + 240 - 900;
}

} // namespace StudyRules
