#include "DiskSync.h"

#include <QFile>

#include <unistd.h>

bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
    return ::fsync(file.handle()) == 0;
}
