#include "OtherNames.h"

#include "CountryTable.h"
#include "SequentialInput.h"

#include <QFile>

OtherNamesError::OtherNamesError(int line, const QString &reason)
    : std::runtime_error(QStringLiteral("%1 line %2: %3")
                             .arg(OtherNames::fileName)
                             .arg(line)
                             .arg(reason)
                             .toStdString()),
      line(line), reason(reason)
{
}

namespace OtherNames {

std::vector<OtherName> read(const QByteArray &data)
{
    std::vector<OtherName> names;
    SequentialInput in(data);
    while (!in.atEnd()) {
        const int line = in.line();
        try {
            const QString id = in.readField();
            OtherName entry;
            entry.kind = in.readField();
            entry.name = in.readField();
            bool ok = false;
            entry.flagId = id.toInt(&ok);
            if (!ok || entry.flagId < 1 || entry.flagId > CountryTable::upperBound)
                throw OtherNamesError(line, QStringLiteral("no flag ID: %1").arg(id));
            if (!entry.name.isEmpty())
                names.push_back(std::move(entry));
        } catch (const SequentialInput::PastEndOfFile &) {
            throw OtherNamesError(line, QStringLiteral("the file ends inside a record"));
        }
    }
    return names;
}

std::vector<OtherName> load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    try {
        return read(file.readAll());
    } catch (const OtherNamesError &e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return {};
    }
}

} // namespace OtherNames
