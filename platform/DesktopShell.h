#pragma once

#include "ShellOpener.h"

class DesktopShell : public ShellOpener
{
public:
    bool openAddress(const QString &address) override;
    bool openFile(const QString &path, Show show) override;
};
