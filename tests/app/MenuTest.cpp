#include "Controls.h"
#include "MainWindowFixture.h"
#include "NoticeCodec.h"
#include "ProgramEnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

LoopbackServer newsServer()
{
    return LoopbackServer([](const QString &path, int) {
        if (path.endsWith("oshirase.txt"))
            return LoopbackReply{200, "oshirase"};
        return LoopbackReply{200, NoticeCodec::encode(QStringLiteral("お知らせ")).toLatin1()};
    });
}

class Menu : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(f.form->load()); }
    QWidget *find(const char *name)
    {
        return control<QWidget>(f.form.get(), QString::fromLatin1(name));
    }
    void click(const char *name) { QTest::mouseClick(find(name), Qt::LeftButton); }

    LoopbackServer http = newsServer();
    MainWindowFixture f{http.baseUrl()};
};

// A window that will not be closed, as the results window while it waits.
class StubbornWindow : public QWidget
{
public:
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeRequests;
        event->ignore();
    }
};

} // namespace

TEST_F(Menu, HelpOpensTheCompiledHelpMaximisedOrElseTheHtmlPages)
{
    ASSERT_TRUE(find("Text3")->isVisible());
    click("Label8");
    EXPECT_FALSE(find("Text3")->isVisible());
    EXPECT_FALSE(find("Label15")->isVisible());
    EXPECT_EQ(f.shell.files, QStringList{f.folder.path() + "/kokki.chm"});
    EXPECT_EQ(f.shell.lastShow, ShellOpener::Show::Maximised);

    const QStringList both{f.folder.path() + "/kokki.chm", f.folder.path() + "/help/index.html"};
    f.shell.files.clear();
    f.shell.filesThatFail = QStringList{both.first()};
    click("Label8");
    EXPECT_EQ(f.shell.files, both);
    EXPECT_TRUE(f.shell.addresses.isEmpty());
    EXPECT_TRUE(f.shell.pages.isEmpty());
    EXPECT_TRUE(f.messages.shown.isEmpty());

    // No program for either kind of file: the pages go to the browser of the web links.
    f.shell.files.clear();
    f.shell.filesSucceed = false;
    click("Label8");
    EXPECT_EQ(f.shell.files, both);
    EXPECT_EQ(f.shell.pages, QStringList{both.last()});
    EXPECT_TRUE(f.messages.shown.isEmpty());

    // Where nothing opens them, the player is told where the pages are.
    f.shell.files.clear();
    f.shell.pagesSucceed = false;
    click("Label8");
    EXPECT_EQ(f.shell.files, both);
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(
        f.messages.shown.first().startsWith("ヘルプを開くプログラムが見つかりませんでした。"));
    EXPECT_TRUE(f.messages.shown.first().contains(QDir::toNativeSeparators(both.last())));
}

TEST_F(Menu, RegionMapFollowsTheCountryLastShown)
{
    // Right after start-up it is the last row the loader read. The start screen's picture
    // lies under the label there, so the click goes to the window where the label shows.
    ASSERT_TRUE(find("Image6")->isVisible());
    ASSERT_TRUE(find("Image6")->geometry().intersects(find("Label12")->geometry()));
    clickInWindow(find("Label12"));
    click("Label9");
    click("Label12");
    click("Label10");
    click("Label12");
    EXPECT_EQ(f.shell.addresses, (QStringList{"https://map.example/198", "https://map.example/1",
                                              "https://map.example/8"}));
}

TEST_F(Menu, ShopAndReferralLinks)
{
    click("Label21");
    QTest::mouseDClick(static_cast<QPlainTextEdit *>(find("Text3"))->viewport(), Qt::LeftButton);
    click("Label22");
    click("Image7");
    EXPECT_EQ(f.shell.addresses,
              (QStringList{"http://shop.example/", "http://shop.example/",
                           "https://hosting.example/?ref=1", "https://hosting.example/?ref=1"}));
    EXPECT_TRUE(f.shell.files.isEmpty());
}

TEST_F(Menu, CommentBoxClosesOnceAndStaysClosed)
{
    click("Label15");
    EXPECT_FALSE(find("Text3")->isVisible());
    EXPECT_FALSE(find("Label15")->isVisible());
    click("Label15");
    EXPECT_FALSE(find("Text3")->isVisible());
}

// Whatever closes the comment box takes its close label with it, and nothing brings either
// back.
TEST(MenuNews, EveryEntryThatClosesTheNewsTakesItsCloseLabel)
{
    for (const char *entry : {"Label8", "Label9", "Label10", "Label11", "Label19"}) {
        SCOPED_TRACE(entry);
        LoopbackServer http = newsServer();
        MainWindowFixture f{http.baseUrl()};
        ASSERT_TRUE(f.form->load());
        const auto shown = [&](const char *name) {
            return control<QWidget>(f.form.get(), QString::fromLatin1(name))->isVisible();
        };
        ASSERT_TRUE(shown("Text3"));
        ASSERT_TRUE(shown("Label15"));
        QTest::mouseClick(control<QWidget>(f.form.get(), QString::fromLatin1(entry)),
                          Qt::LeftButton);
        control<QComboBox>(f.form.get(), "Combo1")->hidePopup();
        EXPECT_FALSE(shown("Text3"));
        EXPECT_FALSE(shown("Label15"));
        QTest::mouseClick(control<QWidget>(f.form.get(), "Label11"), Qt::LeftButton);
        EXPECT_FALSE(shown("Label15"));
    }
}

TEST_F(Menu, EndLeavesTheProgramEvenWhileAWindowRefusesToClose)
{
    StubbornWindow stubborn;
    stubborn.show();
    ProgramEnd::connect(*f.form);
    QTimer::singleShot(0, [&] { QTest::mouseClick(find("Command1"), Qt::LeftButton); });
    // Should the end not come, leave with a code the test notices rather than hang.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(30000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(stubborn.closeRequests, 0);
    EXPECT_TRUE(stubborn.isVisible());
    EXPECT_EQ(f.endRequests, 1);
}
