#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away program folder with a small made-up world: base lists for the five regions
// (CP932, CR LF) and a picture for every flag, written by the test itself so that no test
// depends on the shipped data.
class ProgramFolder
{
public:
    // `worldRows` countries in the world list; the four region lists split them in turn.
    explicit ProgramFolder(int worldRows = 198);

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }

    void writeBaseList(const QString &regionKey, const QString &utf8Text) const;
    void writeFile(const QString &relative, const QByteArray &bytes) const;
    QByteArray readFile(const QString &relative) const;

    // The name of made-up country n (a few are real names the windows treat specially).
    static QString countryName(int id);
    static QString capitalName(int id);

private:
    QTemporaryDir m_dir;
};
