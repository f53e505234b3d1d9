#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <vector>

// The other names a country is known by (formal name, common names, one-kanji abbreviation,
// readings, English, ISO codes, romaji), read from the file the data generator writes beside the
// base lists: code page 932, one record of three fields a line: flag ID, kind, name.
struct OtherName
{
    int flagId = 0;
    // 正式名, 通称, 略称, 漢字表記, 読み, 国名の読み (the one reading of a name holding kanji),
    // 英語 (any Latin-letter name), 符号, ローマ字, 旧称 (a former name of the country or its
    // capital), 旧首都 (a former capital, still called so), 最大都市 (the largest city, never the
    // capital, that players take for it)
    QString kind;
    QString name;
};

class OtherNamesError : public std::runtime_error
{
public:
    OtherNamesError(int line, const QString &reason);
    int line;
    QString reason;
};

namespace OtherNames {

inline const QString fileName = QStringLiteral("betsumei.csv");
// Codes are matched only whole: "in" is India, not every name holding the two letters.
inline const QString codeKind = QStringLiteral("符号");
// Names of the past: the search says so, or ローデシア would seem to be ジンバブエ's name today.
inline const QString formerNameKind = QStringLiteral("旧称");
inline const QString formerCapitalKind = QStringLiteral("旧首都");
// Not the capital either, though players take it for one: シドニー is not Australia's capital.
inline const QString largestCityKind = QStringLiteral("最大都市");
// The reading of a country's name when it holds kanji, exactly one for each such name; the day's
// review tells it beside the name.
inline const QString nameReadingKind = QStringLiteral("国名の読み");

// All records, in file order. Throws OtherNamesError for a flag ID that is not a number of 1 to
// 200 or a file that ends inside a record.
std::vector<OtherName> read(const QByteArray &data);

// The records of the file at `path`. The search works without them, so a missing, unreadable
// or broken file gives no names (and the reason in *error) rather than stopping the program.
std::vector<OtherName> load(const QString &path, QString *error = nullptr);

} // namespace OtherNames
