#pragma once

#include <QString>

class DriveTypeProbe;

namespace StartupRules {

// What the notice says the start-up should do next.
enum class NoticeAction
{
    EndProgram,
    Nothing,
    ShowNews
};

// An empty notice means no internet. "<no news>" wins over "oshirase", in that order.
NoticeAction actionForNotice(const QString &notice);

// The program refuses to run from an optical disc: scores could not be written there.
bool refusesFolder(const DriveTypeProbe &drives, const QString &appPath);

} // namespace StartupRules
