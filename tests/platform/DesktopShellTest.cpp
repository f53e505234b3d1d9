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

TEST(DesktopAddress, TheBrowsersEntryGetsTheHelpPageAsItsOneArgument)
{
    const QString page = QStringLiteral("/opt/フラミオ/help/index.html");
    const QString url = QStringLiteral("file:///opt/%E3%83%95%E3%83%A9%E3%83%9F%E3%82%AA/help/"
                                       "index.html");
    const std::pair<const char *, QStringList> cases[] = {
        {"firefox-esr %u", {"firefox-esr", url}},
        {"/usr/bin/chromium %U", {"/usr/bin/chromium", url}},
        {"browser --new-window %F", {"browser", "--new-window", page}},
        {"browser", {"browser", url}}, // no code: the page goes last
        {"\"/opt/My Browser/run\" %i --class=%c %u", {"/opt/My Browser/run", "--class=", url}},
        {"b \"a \\\"q\\\" \\\\ b\" 100%% --url=%u", {"b", "a \"q\" \\ b", "100%", "--url=" + url}},
    };
    for (const auto &[exec, expected] : cases)
        EXPECT_EQ(DesktopShell::launchCommand(QString::fromUtf8(exec), page), expected) << exec;
    for (const char *broken : {"", "   ", "\"unclosed %u", "%i %c"})
        EXPECT_FALSE(DesktopShell::launchCommand(QString::fromUtf8(broken), page)) << broken;
}
