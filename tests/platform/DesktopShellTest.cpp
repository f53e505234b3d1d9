#include "DesktopShell.h"

#include <gtest/gtest.h>

TEST(DesktopAddress, OnlyWebPagesAreHandedOnAndTitlesSurviveTheEncoding)
{
    const auto url = DesktopShell::webAddress("https://ja.wikipedia.org/wiki/ジョージア (国)");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->path(), "/wiki/ジョージア (国)");
    EXPECT_TRUE(url->toEncoded().startsWith("https://ja.wikipedia.org/wiki/%E3%82%B8"));
    EXPECT_TRUE(DesktopShell::webAddress("http://furamio.example.jp/"));
    EXPECT_TRUE(DesktopShell::webAddress("https://www.openstreetmap.org/#map=6/65/-18.5"));
    for (const char *refused :
         {"", "file:///bin/sh", "/usr/bin/xterm", "javascript:alert(1)", "-e rm", "kokki.chm",
          "xterm -e sh", "smb://host/share", "https://"})
        EXPECT_FALSE(DesktopShell::webAddress(QString::fromUtf8(refused))) << refused;
}
