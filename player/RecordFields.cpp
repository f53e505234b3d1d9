#include "RecordFields.h"

#include "MasteryRecord.h"

namespace RecordFields {

namespace {

constexpr qsizetype dateLength = 10;
constexpr qsizetype maxDigits = 9;
static_assert(MasteryRecord::countLimit == 999'999'999, "a count field holds the largest count");

int unit(char c)
{
    return c;
}

int unit(QChar c)
{
    return c.unicode();
}

template <typename View> std::optional<int> countOf(View field)
{
    field = field.trimmed();
    if (field.isEmpty() || field.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const auto c : field) {
        const int u = unit(c);
        if (u < '0' || u > '9')
            return std::nullopt;
        value = value * 10 + (u - '0');
    }
    return value;
}

template <typename View> QDate dateOf(View field)
{
    field = field.trimmed();
    if (field.size() != dateLength || unit(field[4]) != '/' || unit(field[7]) != '/')
        return QDate();
    const std::optional<int> year = countOf(field.sliced(0, 4));
    const std::optional<int> month = countOf(field.sliced(5, 2));
    const std::optional<int> day = countOf(field.sliced(8, 2));
    if (!year || !month || !day)
        return QDate();
    return QDate(*year, *month, *day);
}

} // namespace

std::optional<int> count(QByteArrayView field)
{
    return countOf(field);
}

std::optional<int> count(QStringView field)
{
    return countOf(field);
}

QDate date(QByteArrayView field)
{
    return dateOf(field);
}

QDate date(QStringView field)
{
    return dateOf(field);
}

bool isWritable(const QDate &date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

void appendNumber(QByteArray &bytes, int value, int width)
{
    char digits[16];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (; n < width; ++n)
        digits[n] = '0';
    while (n > 0)
        bytes += digits[--n];
}

void appendDate(QByteArray &bytes, const QDate &date)
{
    appendNumber(bytes, date.year(), 4);
    bytes += '/';
    appendNumber(bytes, date.month(), 2);
    bytes += '/';
    appendNumber(bytes, date.day(), 2);
}

} // namespace RecordFields
