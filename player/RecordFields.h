#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QStringView>

#include <optional>

// The fields the record files share: counts in plain decimal digits and yyyy/MM/dd dates, read
// from one field of a line and written straight into the file's bytes.
namespace RecordFields {

// Plain decimal digits only, at most nine: no sign, no blank inside, nothing a hand edit could
// make ambiguous. Blanks around the digits are passed over.
std::optional<int> count(QByteArrayView field);
std::optional<int> count(QStringView field);

// yyyy/MM/dd read by hand: QDate::fromString builds a whole parser for every line. Invalid for
// a day the calendar does not have.
QDate date(QByteArrayView field);
QDate date(QStringView field);

// Four digits of year are all the file's date form has room for.
bool isWritable(const QDate &date);

// Digits straight into the file's bytes: a number object per field made the rewrite the
// slowest part of a game's end. At least `width` digits, zeros in front.
void appendNumber(QByteArray &bytes, int value, int width = 1);
void appendDate(QByteArray &bytes, const QDate &date);

} // namespace RecordFields
