#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The results file of a region, "seiseki" + RegionKey + ".csv" in the program's folder: one
// line per finished game, oldest first, code page 932, CR LF. It is kept at 500 lines.
namespace ResultsWriter {

inline constexpr int maxLines = 500;
inline constexpr int keptOnCut = maxLines - 1;

QString path(const QString &appPath, const QString &regionKey);
// The scratch file a cut is written to before it replaces the results file.
QString trimPath(const QString &appPath);

// The lines of a file's bytes, without their ends (CR LF, CR or LF).
QList<QByteArray> splitLines(const QByteArray &bytes);

// Adds one game's line. A file of more than maxLines lines is first cut to its newest
// keptOnCut lines: those and the new line are written to the scratch file, which then takes
// the results file's place in one rename, so no moment exists without the old games. When
// anything fails the results file is left as it was and *error says why.
bool append(const QString &appPath, const QString &regionKey, const QString &line,
            QString *error = nullptr);

} // namespace ResultsWriter
