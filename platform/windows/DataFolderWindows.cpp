#include "DataFolder.h"

#include <QDir>

#include <windows.h>

#include <shlobj.h>

QString DataFolder::userFolder()
{
    QString base;
    PWSTR known = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &known) == S_OK)
        base = QString::fromWCharArray(known);
    CoTaskMemFree(known);
    // The variable names the same folder; it is what is left when the shell cannot answer.
    if (base.isEmpty() || !QDir::isAbsolutePath(QDir::fromNativeSeparators(base)))
        base = qEnvironmentVariable("APPDATA");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/AppData/Roaming");
    return QDir::cleanPath(QDir::fromNativeSeparators(base) + QStringLiteral("/furamio"));
}
