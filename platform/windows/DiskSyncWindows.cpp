#include "DiskSync.h"

#include <QFile>

#include <io.h>

bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
    return ::_commit(file.handle()) == 0;
}
