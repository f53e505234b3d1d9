#include "RawFile.h"

#include <cerrno>

RawFile::Problem RawFile::problemOf(int code)
{
    switch (code) {
    case EACCES:
    case EPERM:
    case EROFS:
        return Problem::NotPermitted;
    case ENOSPC:
#ifdef EDQUOT // not on Windows
    case EDQUOT:
#endif
        return Problem::DiskFull;
    case ENOENT:
    case ENOTDIR:
        return Problem::FolderMissing;
    default:
        return Problem::Other;
    }
}
