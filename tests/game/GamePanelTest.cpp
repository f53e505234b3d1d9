#include "GamePanel.h"
#include "Controls.h"
#include "Form2.h"
#include "MainWindowFixture.h"
#include "MasteryRecord.h"
#include "NationalDeviation.h"
#include "KeptReports.h"
#include "ProgramEnd.h"
#include "ProgramFolder.h"
#include "TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// Plays the game on a main window the way a player does, with the mouse.
struct Player
{
    explicit Player(MainWindowFixture &f) : f(f), game(*f.form->gamePanel()) {}

    QWidget *form() const { return f.form.get(); }
    template <typename T> T *get(const char *name, int index = -1) const
    {
        return control<T>(f.form.get(), name, index);
    }
    void click(QWidget *widget) const { QTest::mouseClick(widget, Qt::LeftButton); }

    void openPanel() const { click(get<QWidget>("Label11")); }
    void chooseRegion(int index) const { get<QRadioButton>("Option2", index)->click(); }
    void start() const { get<QPushButton>("Command2")->click(); }
    int rightCard() const { return game.answerPosition(); }
    int wrongCard() const
    {
        for (int k = 1; k <= 12; ++k)
            if (game.session()->rowAt(k) != game.session()->rowAt(game.answerPosition()))
                return k;
        return -1;
    }
    void clickCard(int k) const { click(get<QWidget>("Image4", k)); }
    QString text(const char *name) const { return get<QLabel>(name)->text(); }
    bool cardsShown() const
    {
        for (int k = 1; k <= 12; ++k)
            if (!get<QWidget>("Image4", k)->isVisible())
                return false;
        return true;
    }

    MainWindowFixture &f;
    GamePanel &game;
};

// A main window over the made-up world, loaded, with the game panel open.
class OpenPanel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(f.form->load());
        p.openPanel();
    }

    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f{http.baseUrl()};
    Player p{f};
};

} // namespace

TEST_F(OpenPanel, OpeningThePanelWaitsForTheRegionChoice)
{
    // The first opening offers the first region; later ones keep the one chosen last, also
    // after another mode.
    EXPECT_TRUE(p.get<QRadioButton>("Option2", 0)->isChecked());
    p.chooseRegion(3);
    EXPECT_EQ(p.game.chosenRegionKey(), "chuutou&africa");
    p.click(p.get<QWidget>("Label10"));
    p.openPanel();
    p.openPanel();

    EXPECT_TRUE(p.get<QWidget>("Picture1")->isVisible());
    EXPECT_FALSE(p.get<QWidget>("Image6")->isVisible());
    EXPECT_TRUE(p.get<QRadioButton>("Option2", 3)->isChecked());
    EXPECT_EQ(p.game.chosenRegionKey(), "chuutou&africa");
    EXPECT_TRUE(p.get<QWidget>("Frame1")->isVisible());
    EXPECT_EQ(p.text("Label13"),
              "国旗当ての問題が15問出題されます。地域を選んでからスタートボタンを押して下さい。");
    EXPECT_EQ(p.text("Label14"),
              "15問終了すると成績が記録されます。　グラフで成績が確認できます。");
    EXPECT_EQ(p.text("Label16"), "");
    EXPECT_EQ(p.text("Label17"), "");
    EXPECT_TRUE(p.get<QWidget>("Command2")->isVisible());
    EXPECT_TRUE(p.get<QWidget>("Command3")->isVisible());
    for (int k = 1; k <= 12; ++k)
        EXPECT_FALSE(p.get<QWidget>("Image4", k)->isVisible());
}

TEST_F(OpenPanel, WrongCardsCountAndRightCardsMoveOn)
{
    p.start();
    ASSERT_TRUE(p.game.playing());
    EXPECT_TRUE(p.cardsShown());
    EXPECT_FALSE(p.get<QWidget>("Frame1")->isVisible());
    EXPECT_EQ(p.text("Label17"), "第1問");
    EXPECT_EQ(p.text("Label14"), "の国旗はどれですか？");
    const int asked = p.game.session()->rowAt(p.rightCard());
    const int id = p.game.session()->flagIdOfRow(asked).toInt();
    EXPECT_EQ(p.text("Label13"), ProgramFolder::countryName(id));
    EXPECT_FALSE(p.get<QLabel>("Image4", p.rightCard())->pixmap().isNull());

    // The same wrong card three times: three misses, the board stays.
    const int wrong = p.wrongCard();
    std::array<int, 13> before{};
    for (int k = 1; k <= 12; ++k)
        before[static_cast<size_t>(k)] = p.game.session()->rowAt(k);
    for (int i = 0; i < 3; ++i)
        p.clickCard(wrong);
    EXPECT_EQ(p.game.session()->misses(), 3);
    EXPECT_EQ(p.text("Label16"), "違います。");
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(p.game.session()->rowAt(k), before[static_cast<size_t>(k)]);

    p.clickCard(p.rightCard());
    EXPECT_EQ(p.text("Label16"), "正解です。");
    EXPECT_EQ(p.text("Label17"), "第2問");
    EXPECT_TRUE(p.game.session()->answered(asked));

    // Start in the middle of a game throws it away: nothing recorded, question 1, no misses.
    p.start();
    EXPECT_EQ(p.game.session()->questionNumber(), 1);
    EXPECT_EQ(p.game.session()->misses(), 0);
    EXPECT_EQ(p.text("Label17"), "第1問");
    EXPECT_FALSE(p.game.session()->answered(asked));
    EXPECT_FALSE(QFile::exists(f.folder.file("seisekiasia&taiyou.csv")));
    EXPECT_EQ(http.requestCount(), 1);
}

// Every way out of a game asks the same question once an answer has been given, a miss
// included, and only then; いいえ leaves the game and the window as they were, the focus on the
// card it left for the way out, はい gives the game up unrecorded, its answers kept.
TEST_F(OpenPanel, LeavingAGameAsksOnceAnAnswerIsGiven)
{
    const struct
    {
        const char *way;
        bool toStudy; // the study by name, else the waiting panel
    } ways[] = {{"Command3", false}, {"Label11", false}, {"Label9", true}, {"Label10", true}};
    const QString question = QStringLiteral("ゲームを中断しますか？");
    for (const auto &way : ways) {
        SCOPED_TRACE(way.way);
        QWidget *out = p.get<QWidget>(way.way);
        const auto leftTo = [&] {
            EXPECT_FALSE(p.game.playing());
            EXPECT_EQ(p.game.isVisible(), !way.toStudy);
            EXPECT_EQ(p.get<QWidget>("Frame1")->isVisible(), !way.toStudy);
        };

        // Before the first answer there is nothing to lose, and nothing is asked.
        p.openPanel();
        p.start();
        f.messages.asked.clear();
        p.click(out);
        EXPECT_TRUE(f.messages.asked.isEmpty());
        leftTo();

        p.openPanel();
        p.start();
        p.clickCard(p.wrongCard());
        const int asked = p.game.session()->askedRow();
        QWidget *card = p.get<QWidget>("Image4", 5);
        card->setFocus();
        out->setFocus(); // reached by Tab
        f.messages.answerYes = false;
        p.click(out);
        EXPECT_EQ(f.messages.asked, QStringList{question});
        EXPECT_TRUE(p.game.playing());
        EXPECT_TRUE(p.game.isVisible());
        EXPECT_TRUE(p.cardsShown());
        EXPECT_FALSE(p.get<QWidget>("Frame1")->isVisible());
        EXPECT_EQ(p.text("Label17"), "第1問");
        EXPECT_EQ(p.game.session()->askedRow(), asked);
        EXPECT_EQ(QApplication::focusWidget(), card);
        // The game kept goes on as before.
        p.clickCard(p.rightCard());
        EXPECT_EQ(p.text("Label17"), "第2問");

        f.messages.answerYes = true;
        p.click(out);
        EXPECT_EQ(f.messages.asked, (QStringList{question, question}));
        leftTo();
        // A game given up is gone: the panel opened again asks nothing.
        p.openPanel();
        EXPECT_EQ(f.messages.asked.size(), 2);
        f.messages.asked.clear();
    }
    // Given up, a game leaves no results line; the answers given are kept in the record.
    EXPECT_FALSE(QFile::exists(f.folder.file("seisekiasia&taiyou.csv")));
    EXPECT_TRUE(QFile::exists(MasteryRecord::recordPath(f.config.dataPath)));
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST_F(OpenPanel, ADoubleClickOnTheRightCardAnswersOneQuestion)
{
    // Its second press lands on the next board; it is no answer there.
    p.start();
    doubleClickInWindow(p.get<QWidget>("Image4", p.rightCard()));
    EXPECT_EQ(p.game.session()->questionNumber(), 2);
    EXPECT_EQ(p.game.session()->misses(), 0);
    EXPECT_EQ(p.text("Label16"), "正解です。");
}

TEST_F(OpenPanel, TheGameKeepsItsOwnRowsWhateverIsLoadedMeanwhile)
{
    p.chooseRegion(1);
    p.start();
    const int rows = p.game.session()->rowCount();
    ASSERT_GE(rows, 26);
    std::set<int> seen;
    for (int q = 1; q <= 10; ++q) {
        for (int k = 1; k <= 12; ++k) {
            EXPECT_GE(p.game.session()->rowAt(k), 1);
            EXPECT_LE(p.game.session()->rowAt(k), rows);
            seen.insert(p.game.session()->rowAt(k));
        }
        p.clickCard(p.rightCard());
    }
    EXPECT_GT(*seen.rbegin(), 3);
}

TEST(GamePanel, TooSmallARegionIsRefusedWithAMessage)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl());
    QString list;
    for (int id = 1; id <= 25; ++id)
        list += QStringLiteral("%1,北米,国%1,首都%1,https://map.example/%1\r\n").arg(id);
    f.folder.writeBaseList("america", list);
    ASSERT_TRUE(f.form->load());
    Player p(f);
    p.openPanel();
    p.chooseRegion(2);
    p.start();
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown.first().contains("南北アメリカ編"));
    EXPECT_TRUE(f.messages.shown.first().contains("25"));
    EXPECT_FALSE(p.game.playing());
    EXPECT_FALSE(p.get<QWidget>("Image4", 1)->isVisible());
    EXPECT_TRUE(p.get<QWidget>("Frame1")->isVisible());
}

TEST(GamePanel, MissingPicturesGiveEmptyCardsAndTheGameGoesOn)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    // Region 0 of the made-up world holds the IDs divisible by four.
    for (int id = 4; id <= 198; id += 4)
        QFile::remove(f.folder.file(QStringLiteral("国旗/%1.jpg").arg(id)));
    Player p(f);
    p.openPanel();
    p.start();
    ASSERT_TRUE(p.game.playing());
    EXPECT_TRUE(p.cardsShown());
    EXPECT_TRUE(p.get<QLabel>("Image4", 1)->pixmap().isNull());
    p.clickCard(p.rightCard());
    EXPECT_EQ(p.game.session()->questionNumber(), 2);
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST(GamePanel, AWholeGameIsScoredRecordedAndRated)
{
    // What the windows show while the histogram is fetched; the window thread only waits for
    // the fetch meanwhile, so the server's thread may look.
    struct AtFetch
    {
        std::atomic<Form1 *> form{nullptr};
        std::atomic<bool> looked{false};
        bool summaryShown = false;
        bool cardsShown = true;
        QString ratingLine;
    } atFetch;
    LoopbackServer http([&atFetch](const QString &path, int) {
        if (path.endsWith("oshirase.txt"))
            return LoopbackReply{200, "<no news>"};
        if (path == "/kokki/asia&taiyou.csv") {
            if (Form1 *form = atFetch.form.load()) {
                atFetch.summaryShown = control<QWidget>(form, "Text1")->isVisible();
                atFetch.cardsShown = control<QWidget>(form, "Image4", 1)->isVisible();
                QWidget *form6 = form->deviation()->form6();
                if (form6 && form6->isVisible())
                    atFetch.ratingLine = control<QLabel>(form6, "Label12")->text();
                atFetch.looked = true;
            }
            QByteArray text;
            for (int i = 1; i <= 500; ++i)
                text += (i == 200   ? "3"
                         : i == 300 ? "5"
                         : i == 400 ? "2"
                                    : "0") +
                        QByteArray("\r\n");
            return LoopbackReply{200, text};
        }
        return LoopbackReply{200, "1\r\n"};
    });
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    atFetch.form = f.form.get();
    Player p(f);
    p.openPanel();
    f.clock.seconds = 1000.0;
    p.start();
    for (int q = 1; q <= 15; ++q) {
        ASSERT_EQ(p.text("Label17"), QStringLiteral("第%1問").arg(q));
        if (q == 15) {
            f.clock.seconds = 1060.0;
            f.clock.autoAdvance = 0.01;
        }
        if (q == 4 || q == 9)
            p.clickCard(p.wrongCard());
        p.clickCard(p.rightCard());
    }
    // The last answer fetches the histogram; a new game is started while the rating pauses.
    ASSERT_TRUE(QTest::qWaitFor([&] { return atFetch.looked.load(); }));
    ASSERT_TRUE(f.form->deviation()->busy());
    QTimer::singleShot(0, [&] { p.start(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));

    EXPECT_EQ(readBytes(f.folder.file("seisekiasia&taiyou.csv")),
              " 295, 60, 2,2026/12/06 21:30:05\r\n");
    const QStringList paths = http.paths();
    EXPECT_EQ(paths.mid(1), (QStringList{"/kokki/asia&taiyou.csv", "/countx/asia&taiyou/count.php",
                                         "/count1/counterasia&taiyou/295/count.php"}));
    QWidget *form6 = f.form->deviation()->form6();
    ASSERT_TRUE(form6);
    // The main window's own, and of a kind that X window managers keep above it (a plain
    // window of its own came up under the main window, out of sight).
    ASSERT_TRUE(form6->windowHandle());
    EXPECT_EQ(form6->windowHandle()->transientParent(), f.form->windowHandle());
    EXPECT_EQ(form6->windowType(), Qt::Dialog);
    EXPECT_EQ(control<QLabel>(form6, "Label5")->text(), " 50");
    EXPECT_EQ(control<QLabel>(form6, "Label8")->text(), "8");
    // During the fetch the summary was up, the cards gone and the rating window waiting.
    EXPECT_TRUE(atFetch.summaryShown);
    EXPECT_FALSE(atFetch.cardsShown);
    EXPECT_EQ(atFetch.ratingLine, "全国の成績を取得しています…");

    // The new game started inside the pauses is clean and running, its cards uncovered: the
    // rating window stands beside them where the screen has room, else it is closed.
    EXPECT_FALSE(form6->isVisible() && form6->frameGeometry().intersects(p.game.cardArea()));
    EXPECT_TRUE(p.game.playing());
    EXPECT_EQ(p.game.session()->questionNumber(), 1);
    EXPECT_EQ(p.game.session()->misses(), 0);
    EXPECT_FALSE(p.get<QWidget>("Text1")->isVisible());
    EXPECT_TRUE(p.cardsShown());
}

TEST_F(OpenPanel, BackAfterAGameHidesTheSummaryAndLeavesTheResults)
{
    p.start();
    for (int q = 1; q <= 15; ++q) {
        if (q == 15)
            f.clock.autoAdvance = 0.01;
        p.clickCard(p.rightCard());
    }
    auto *text1 = p.get<QPlainTextEdit>("Text1");
    EXPECT_TRUE(text1->isVisible());
    EXPECT_TRUE(
        text1->toPlainText().startsWith("総得点：  500   2026/12/06 21:30:05\n\n時間： 0秒"));
    EXPECT_FALSE(p.get<QWidget>("Image4", 1)->isVisible());
    const QString results = f.folder.file("seisekiasia&taiyou.csv");
    const QByteArray recorded = readBytes(results);
    EXPECT_EQ(recorded, " 500, 0, 0,2026/12/06 21:30:05\r\n");

    // The menu label shows the region choice but leaves the summary; "戻る" hides it.
    p.openPanel();
    EXPECT_TRUE(text1->isVisible());
    p.get<QPushButton>("Command3")->click();
    EXPECT_FALSE(text1->isVisible());
    EXPECT_TRUE(p.get<QWidget>("Frame1")->isVisible());
    EXPECT_EQ(readBytes(results), recorded);
}

TEST(GamePanel, AResultsFileThatCannotBeWrittenIsKeptAndToldInJapanese)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    // Full, so the game would cut it first; read-only, so neither the cut nor an append may.
    const QString results = f.folder.file("seisekiasia&taiyou.csv");
    const QByteArray old = QByteArray(" 100, 60, 2,2026/12/06 21:30:05\r\n").repeated(501);
    writeBytes(results, old);
    ASSERT_TRUE(QFile::setPermissions(results, QFile::ReadOwner | QFile::ReadUser));
    Player p(f);
    p.openPanel();
    p.start();
    for (int q = 1; q <= 15; ++q)
        p.clickCard(p.rightCard());
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown.first(),
              "成績を記録できませんでした。\n" + results + "\n書き込みが許可されていません。");
    EXPECT_EQ(readBytes(results), old);
    QFile::setPermissions(results, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(GamePanel, EndingDuringTheRatingsPausesEndsAtOnceAndKeepsTheGameForTheNextStart)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl());
    ASSERT_TRUE(f.form->load());
    ProgramEnd::connect(*f.form);
    Player p(f);
    p.openPanel();
    p.start();
    for (int q = 1; q <= 15; ++q)
        p.clickCard(p.rightCard());
    // The clock stands still, so the rating waits in its first pause until something ends it.
    NationalDeviation &deviation = *f.form->deviation();
    ASSERT_TRUE(deviation.busy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return http.paths().last() == "/kokki/asia&taiyou.csv"; }));

    QTimer::singleShot(0, [&] { QTest::mouseClick(p.get<QWidget>("Command1"), Qt::LeftButton); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(f.endRequests, 1);

    // Time goes on and whatever was queued runs: nothing of the rating follows.
    f.clock.autoAdvance = 0.05;
    QTest::qWait(500);
    EXPECT_FALSE(deviation.busy());
    for (const QString &path : http.paths())
        EXPECT_FALSE(path.contains("count.php")) << path.toStdString();
    EXPECT_FALSE(deviation.form6()->isVisible());
    // Its reports are sent at the next start.
    const QList<KeptReports::Game> held = KeptReports(f.config.dataPath).games();
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held.first().regionKey, "asia&taiyou");
}

TEST(GamePanel, ResultsAndScratchFilesLiveInTheDataFolder)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl());
    QTemporaryDir data;
    f.config.dataPath = data.path();
    f.remakeForm();
    ASSERT_TRUE(f.form->load());
    Player p(f);
    p.openPanel();
    p.start();
    for (int q = 1; q <= 15; ++q)
        p.clickCard(p.rightCard());
    // The clock stands still: the rating waits in its first pause, before its scratch file.
    EXPECT_EQ(readBytes(data.filePath("seisekiasia&taiyou.csv")),
              " 500, 0, 0,2026/12/06 21:30:05\r\n");
    EXPECT_FALSE(QFile::exists(f.folder.file("seisekiasia&taiyou.csv")));

    // The rating's scratch file goes there too (a past game's rating keeps it).
    f.clock.autoAdvance = 0.01;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
    emit control<QComboBox>(f.form.get(), "Combo1")->activated(0);
    Form2 *form2 = f.form->form2();
    ASSERT_TRUE(form2);
    form2->loadHistory();
    EXPECT_EQ(form2->history().games.size(), 1u);
    QTest::mouseClick(control<QWidget>(form2, "Label1", 0), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
    EXPECT_TRUE(QFile::exists(data.filePath("dummyz.csv")));
    EXPECT_FALSE(QFile::exists(f.folder.file("dummyz.csv")));
}
