#include "Controls.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "NoticeCodec.h"
#include "StartupRules.h"
#include "StudyView.h"
#include "Twips.h"

#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <atomic>

namespace {

LoopbackServer noticeServer(const QByteArray &notice, const QByteArray &news = {})
{
    return LoopbackServer([=](const QString &path, int) {
        if (path.endsWith("oshirase.txt"))
            return LoopbackReply{200, notice};
        if (path.endsWith("naiyou.txt"))
            return LoopbackReply{200, news};
        return LoopbackReply{404, ""};
    });
}

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(std::atomic<int> &paints) : m_paints(paints) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return QObject::eventFilter(watched, event);
    }

private:
    std::atomic<int> &m_paints;
};

} // namespace

TEST(Startup, NoNewsLeavesTheCommentBoxHidden)
{
    LoopbackServer http = noticeServer("<no news>");
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    EXPECT_TRUE(f.messages.shown.isEmpty());
    EXPECT_EQ(http.paths(), QStringList{"/kokki/oshirase.txt"});
    EXPECT_FALSE(control<QWidget>(f.form.get(), "Text3")->isVisible());
    EXPECT_TRUE(f.form->isVisible());

    // The world list is loaded and the region list holds the five regions in order.
    EXPECT_EQ(f.state.currentMapUrl, "https://map.example/198");
    auto *list = control<QListWidget>(f.form.get(), "List1");
    ASSERT_EQ(list->count(), 198);
    EXPECT_EQ(list->item(7)->text(), "8 日本");
    auto *combo = control<QComboBox>(f.form.get(), "Combo1");
    ASSERT_EQ(combo->count(), 5);
    const QStringList names{"アジア＆大洋州編", "ヨーロッパ編", "南北アメリカ編",
                            "中東＆アフリカ編", "世界編"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(combo->itemText(i), names[i]);

    EXPECT_EQ(f.form->studyView()->galleryFirst(), 1);
    EXPECT_FALSE(control<QLabel>(f.form.get(), "Image5", 9)->pixmap().isNull());
}

TEST(Startup, AnnouncedNewsIsDecodedIntoTheCommentBox)
{
    const QString news = QStringLiteral("新しい国旗が増えました。\r\nｶﾞﾝﾊﾞﾚ!");
    LoopbackServer http = noticeServer("oshirase", NoticeCodec::encode(news).toLatin1());
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    auto *text3 = control<QPlainTextEdit>(f.form.get(), "Text3");
    auto *label15 = control<QWidget>(f.form.get(), "Label15");
    EXPECT_TRUE(text3->isVisible());
    EXPECT_EQ(text3->toPlainText(), QString(news).replace("\r\n", "\n"));
    EXPECT_TRUE(label15->isVisible());
    EXPECT_EQ(text3->y() - label15->y(), Twips::toPixels(1000));
    EXPECT_EQ(http.paths(), (QStringList{"/kokki/oshirase.txt", "/kokki/naiyou.txt"}));
}

TEST(Startup, ADataFolderThatCannotBeWrittenIsToldOnceAndTheProgramGoesOn)
{
    LoopbackServer http =
        noticeServer("oshirase", NoticeCodec::encode(QStringLiteral("x")).toLatin1());
    MainWindowFixture f(http.baseUrl());
    // Neither folder could be made writable: what is left is a folder that cannot be created.
    f.folder.writeFile("file", "");
    f.config.dataPath = f.folder.file("file/furamio");
    f.remakeForm();
    ASSERT_TRUE(f.form->load());
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown.first().startsWith("次のフォルダーに書き込めないため"));
    EXPECT_TRUE(f.messages.shown.first().contains(QDir::toNativeSeparators(f.config.dataPath)));
    // After the news, which the player still gets.
    EXPECT_TRUE(control<QWidget>(f.form.get(), "Text3")->isVisible());
    // A game's record and schedule then fail to be saved without a word more.
    FinishedGame left;
    left.regionKey = f.form->gamePanel()->chosenRegionKey();
    left.questions = {{1, {2, 3}}};
    emit f.form->gamePanel()->gameFinished(left);
    EXPECT_EQ(f.messages.shown.size(), 1);
}

TEST(Startup, GamesTheServerDidNotTakeAreSentAfterTheNotice)
{
    LoopbackServer http([](const QString &path, int) {
        if (path.endsWith("oshirase.txt"))
            return LoopbackReply{200, "<no news>"};
        if (path.contains("asia"))
            return LoopbackReply{404, ""};
        if (path.contains("america"))
            return LoopbackReply{429, ""};
        return LoopbackReply{200, "1"};
    });
    MainWindowFixture f(http.baseUrl());
    QFile pending(f.config.dataPath + "/miokuri.csv");
    ASSERT_TRUE(pending.open(QIODevice::WriteOnly));
    pending.write("europe,295,00000000000000aa\r\nasia&taiyou,5,00000000000000dd\r\n"
                  "america,3,00000000000000cc\r\nsekai,7,00000000000000bb\r\n");
    pending.close();
    ASSERT_TRUE(f.form->load());
    EXPECT_EQ(http.paths(),
              (QStringList{"/kokki/oshirase.txt", "/countx/europe/count.php",
                           "/count1/countereurope/295/count.php", "/countx/asia&taiyou/count.php",
                           "/countx/america/count.php"}));
    // A refused game is not sent again; the one over the server's cap (429) waits for the
    // next start, and so does every game after it.
    ASSERT_TRUE(pending.open(QIODevice::ReadOnly));
    EXPECT_EQ(pending.readAll(), "america,3,00000000000000cc\r\nsekai,7,00000000000000bb\r\n");
}

TEST(Startup, BothWordsOrAnyOtherTextShowNothing)
{
    for (const QByteArray &notice : {QByteArray("oshirase <no news>"), QByteArray("hello")}) {
        LoopbackServer http = noticeServer(notice, "g041");
        MainWindowFixture f(http.baseUrl());
        ASSERT_TRUE(f.form->load());
        EXPECT_FALSE(control<QWidget>(f.form.get(), "Text3")->isVisible()) << notice.constData();
        EXPECT_EQ(http.requestCount(), 1);
    }
}

TEST(Startup, NoAnswerEndsTheProgramWithTheMessage)
{
    LoopbackServer http = noticeServer("");
    MainWindowFixture f(http.baseUrl());
    EXPECT_FALSE(f.form->load());
    EXPECT_EQ(f.messages.shown, QStringList{"インターネットにアクセス出来ません。フラミオはインター"
                                            "ネットから国旗情報を読み取る必要があります。"});
    EXPECT_EQ(http.requestCount(), 100);
    // The window was already laid out and filled.
    EXPECT_EQ(control<QListWidget>(f.form.get(), "List1")->count(), 198);
}

TEST(Startup, AnOpticalDiscIsRefusedBeforeTheWindowShows)
{
    LoopbackServer http = noticeServer("<no news>");
    MainWindowFixture f(http.baseUrl());
    f.drives.opticalPrefix = f.folder.path();
    f.messages.onShow = [&](const QString &) { EXPECT_FALSE(f.form->isVisible()); };
    EXPECT_FALSE(f.form->load());
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(
        f.messages.shown.first().startsWith("フラミオはCD-ROMから使用することは出来ません。"));
    EXPECT_EQ(http.requestCount(), 0);
}

TEST(Startup, AMissingFileEndsTheProgramNamingIt)
{
    LoopbackServer http = noticeServer("<no news>");
    {
        MainWindowFixture f(http.baseUrl());
        QFile::remove(f.folder.file("国旗/17.jpg"));
        f.remakeForm();
        EXPECT_FALSE(f.form->load());
        ASSERT_EQ(f.messages.shown.size(), 1);
        EXPECT_TRUE(f.messages.shown.first().contains("17.jpg"));
    }
    {
        MainWindowFixture f(http.baseUrl());
        f.folder.writeBaseList("sekai", "1,アジア,日本,東京,u\r\nx,欧州,A,B,u\r\n");
        EXPECT_FALSE(f.form->load());
        ASSERT_EQ(f.messages.shown.size(), 1);
        EXPECT_TRUE(f.messages.shown.first().contains("基本Listsekai.csv"));
        EXPECT_TRUE(f.messages.shown.first().contains("2 行目"));
    }
    EXPECT_EQ(http.requestCount(), 0);
}

TEST(Startup, TheWaitCursorShowsWhileTheNoticeIsFetched)
{
    // The window thread is blocked inside the request while the server answers, so reading
    // its cursor from the server's thread is safe here.
    std::atomic<int> shapeDuringRequest{-1};
    LoopbackServer http([&](const QString &, int) {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shapeDuringRequest = cursor ? cursor->shape() : -2;
        return LoopbackReply{200, "<no news>"};
    });
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    EXPECT_EQ(shapeDuringRequest, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Startup, TheWindowIsPaintedBeforeTheNoticeIsFetched)
{
    // Counted on the window thread; read by the server's thread while the window thread is
    // blocked inside the request, so every paint counted by then came before the fetch.
    std::atomic<int> paints{0};
    std::atomic<int> paintsBeforeRequest{-1};
    LoopbackServer http([&](const QString &, int) {
        paintsBeforeRequest = paints.load();
        return LoopbackReply{200, "<no news>"};
    });
    MainWindowFixture f(http.baseUrl());
    PaintCounter counter(paints);
    f.form->installEventFilter(&counter);
    ASSERT_TRUE(f.form->load());
    EXPECT_GT(paintsBeforeRequest, 0);
}

TEST(Startup, TheCreditLinkShowsItsPicture)
{
    QuietNoticeServer server;
    MainWindowFixture f(server.noticeServer.baseUrl());
    QImage banner(240, 60, QImage::Format_RGB32);
    banner.fill(Qt::blue);
    ASSERT_TRUE(banner.save(f.folder.file("国旗/banner.jpg")));
    ASSERT_TRUE(f.form->load());
    auto *image7 = control<QLabel>(f.form.get(), "Image7");
    EXPECT_TRUE(image7->isVisible());
    // Decoded at the size the link shows it.
    ASSERT_FALSE(image7->pixmap().isNull());
    EXPECT_EQ(image7->pixmap().deviceIndependentSize(), QSizeF(image7->size()));
}

TEST(Startup, NoticeRulesInTheirOrder)
{
    using StartupRules::NoticeAction;
    EXPECT_EQ(StartupRules::actionForNotice(""), NoticeAction::EndProgram);
    EXPECT_EQ(StartupRules::actionForNotice("<no news>"), NoticeAction::Nothing);
    EXPECT_EQ(StartupRules::actionForNotice("<No News> oshirase"), NoticeAction::ShowNews);
    EXPECT_EQ(StartupRules::actionForNotice("oshirase<no news>"), NoticeAction::Nothing);
    EXPECT_EQ(StartupRules::actionForNotice("Oshirase"), NoticeAction::Nothing);
}
