#pragma once

#include <QString>

// How numbers are written into the results files and the deviation label: a blank in front of
// a value of zero or more (a minus sign otherwise), the point as decimal separator in every
// locale, no decimals for a whole number and no zero before the point (" 295", " 38.6", " .5",
// "-3"). Everywhere else numbers are shown plainly ("295", "38.6", "0.5").
namespace NumberText {

QString format(double value);
QString format(long long value);
inline QString format(int value)
{
    return format(static_cast<long long>(value));
}

QString display(double value);
QString display(long long value);
inline QString display(int value)
{
    return display(static_cast<long long>(value));
}

// The value of the leading number of a text, as a score typed or read back from a results
// line is meant: blanks before it are skipped, then an optional sign, digits and a decimal
// part. A text without a leading number is 0.
double leadingNumber(const QString &text);

} // namespace NumberText
