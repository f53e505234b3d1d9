#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The world map's outlines, "chizu.csv" in the program's folder, made by the data generator:
// ASCII, CR LF, comma-separated, every coordinate a whole number of tenths of a degree.
//   chizu,1                        the format and its version
//   <shapes>                       how many shapes follow
//   <flag ID>,<lon>,<lat>,<rings>  a country (flag ID 1 to 200) or land of none (0), the point
//                                  a country too small to see is drawn at, its ring count
//   <n>,<lon>,<lat>,...            each ring: n points, the first not repeated at the end
namespace WorldOutlines {

inline constexpr int version = 1;
inline constexpr int highestFlagId = 200;
// Far more than the file needs; a count beyond them is damage, not a bigger map.
inline constexpr int maxShapes = 2000;
inline constexpr int maxRings = 5000;
inline constexpr int maxRingPoints = 100'000;

QString fileName();
QString path(const QString &appPath);

// Tenths of a degree.
struct Point
{
    int lon = 0;
    int lat = 0;
};

struct Shape
{
    int flagId = 0; // 0: land of none of the countries, drawn but not clickable
    Point point;
    std::vector<std::vector<Point>> rings;
};

struct Error
{
    enum class Cause
    {
        Missing,
        Unreadable,
        Damaged
    };
    Cause cause = Cause::Damaged;
    int line = 0; // 1-based, for a damaged file
    // One Japanese sentence for the player.
    QString message() const;
};

struct Outlines
{
    std::vector<Shape> shapes;
    std::optional<Error> error; // when set, shapes is empty: a map is drawn whole or not at all
};

// A file of another version, a line that is not what its place needs (a field that is not a
// whole number, a coordinate off the globe, a flag ID out of range or repeated, a ring of fewer
// than three points, a count beyond the limits), fewer shapes than the count or anything after
// them refuses the whole file, naming the first bad line.
Outlines parse(const QByteArray &data);
Outlines load(const QString &path);

} // namespace WorldOutlines
