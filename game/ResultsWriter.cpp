#include "ResultsWriter.h"

#include "CodePage.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace ResultsWriter {

namespace {

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool writeCut(const QString &appPath, const QString &target, const QList<QByteArray> &lines,
              const QByteArray &newLine, QString *error)
{
    QByteArray content;
    for (qsizetype i = lines.size() - keptOnCut; i < lines.size(); ++i)
        content += lines[i] + lineEnd;
    content += newLine;

    const QString scratch = trimPath(appPath);
    QFile file(scratch);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, file.errorString());
    const bool written =
        file.write(content) == content.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        return fail(error, file.errorString());
    // rename() replaces the target in one step; QFile::rename would refuse an existing one.
    if (std::rename(QFile::encodeName(scratch).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return fail(error, QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

} // namespace

QString path(const QString &appPath, const QString &regionKey)
{
    return appPath + QStringLiteral("/seiseki") + regionKey + QStringLiteral(".csv");
}

QString trimPath(const QString &appPath)
{
    return appPath + QStringLiteral("/dummy.csv");
}

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

bool append(const QString &appPath, const QString &regionKey, const QString &line, QString *error)
{
    const QString target = path(appPath, regionKey);
    const QByteArray newLine = CodePage::toCp932(line) + lineEnd;

    QByteArray old;
    if (QFileInfo::exists(target)) {
        QFile existing(target);
        if (!existing.open(QIODevice::ReadOnly))
            return fail(error, existing.errorString());
        old = existing.readAll();
        if (existing.error() != QFileDevice::NoError)
            return fail(error, existing.errorString());
    }

    const QList<QByteArray> lines = splitLines(old);
    if (lines.size() > maxLines)
        return writeCut(appPath, target, lines, newLine, error);

    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(error, file.errorString());
    // A last line without its end would otherwise swallow the new game.
    QByteArray bytes = newLine;
    if (!old.isEmpty() && !old.endsWith('\n') && !old.endsWith('\r'))
        bytes.prepend(lineEnd);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        const QString why = file.errorString();
        file.resize(old.size());
        return fail(error, why);
    }
    return true;
}

} // namespace ResultsWriter
