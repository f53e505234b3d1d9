#pragma once

#include "CountryTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A base list could not be read. Names the file and, for a bad record, the line.
class BaseListError : public std::runtime_error
{
public:
    BaseListError(const QString &fileName, int line, const QString &reason);
    QString fileName;
    int line; // 0 when the file itself is the problem
    QString reason;
    // The text shown to the player.
    QString message() const;
};

struct BaseListLoad
{
    int recordCount = 0;
    QString lastMapUrl;    // field 5 of the last record read
    QStringList listLines; // flag ID, one blank, country name; one per record
};

namespace BaseList {

QString fileName(const QString &regionKey);
QString path(const QString &appPath, const QString &regionKey);

// Reads the records of one base list (five fields each, see SequentialInput) into the table:
// rows by row number, names, capitals and map links by flag ID. Only what the file names is
// overwritten. Throws BaseListError on a missing field 1 number, an ID or row outside 1..200, or
// a file that ends inside a record; the rows before the bad one stay loaded.
BaseListLoad read(const QByteArray &data, CountryTable &table, const QString &fileName);

// The same, from a file. Throws BaseListError when the file cannot be read.
BaseListLoad load(const QString &path, CountryTable &table);

} // namespace BaseList
