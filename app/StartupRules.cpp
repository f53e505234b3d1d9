#include "StartupRules.h"

#include "DriveTypeProbe.h"

namespace StartupRules {

NoticeAction actionForNotice(const QString &notice)
{
    if (notice.isEmpty())
        return NoticeAction::EndProgram;
    if (notice.contains(QStringLiteral("<no news>")))
        return NoticeAction::Nothing;
    if (!notice.contains(QStringLiteral("oshirase")))
        return NoticeAction::Nothing;
    return NoticeAction::ShowNews;
}

bool refusesFolder(const DriveTypeProbe &drives, const QString &appPath)
{
    return drives.isOpticalDrive(appPath);
}

} // namespace StartupRules
