// Practice games played with the mouse on the main window: over the shipped world and its
// look-alike table, and over a made-up region as small as a game allows.
#include "BaseList.h"
#include "Controls.h"
#include "CountryTable.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "MasteryRecord.h"
#include "NationalDeviation.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

const QString shippedDir = QStringLiteral(FURAMIO_DATA_DIR);
const QDate today(2026, 12, 6); // the fake clock's date

// Plays with the mouse and checks every board as it comes: twelve different rows of the
// region, none answered earlier in the game.
struct PracticePlayer
{
    PracticePlayer(Form1 &form, int region) : form(form), game(*form.gamePanel())
    {
        openPanel(region);
    }

    // " 札取りゲーム": the region choice, where the region is chosen and the boxes are set.
    void openPanel(int region) const
    {
        QTest::mouseClick(control<QWidget>(&form, "Label11"), Qt::LeftButton);
        control<QRadioButton>(&form, "Option2", region)->click();
    }

    void setBox(const char *name, bool ticked) const
    {
        auto *box = control<QCheckBox>(&form, name);
        EXPECT_TRUE(box->isVisible()) << name;
        if (box->isChecked() != ticked)
            QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(box->isChecked(), ticked) << name << " did not take the click";
    }

    void start() { control<QPushButton>(&form, "Command2")->click(); }

    // The asked flag ID of the board on show, after checking the board.
    int checkBoard()
    {
        std::set<int> rows;
        for (int k = 1; k <= 12; ++k) {
            const int r = game.session()->rowAt(k);
            EXPECT_GE(r, 1) << "card " << k << " is empty";
            EXPECT_LE(r, game.session()->rowCount());
            EXPECT_FALSE(answered.count(r)) << "row " << r << " was answered already";
            EXPECT_TRUE(rows.insert(r).second) << "row " << r << " twice";
        }
        return flagOnCard(game.answerPosition());
    }
    int flagOnCard(int k) const { return game.session()->flagIdAt(k).toInt(); }
    bool boardHolds(int flagId) const
    {
        for (int k = 1; k <= 12; ++k)
            if (flagOnCard(k) == flagId)
                return true;
        return false;
    }
    int wrongCard() const { return game.answerPosition() % 12 + 1; }
    void answer()
    {
        answered.insert(game.session()->rowAt(game.answerPosition()));
        QTest::mouseClick(control<QWidget>(&form, "Image4", game.answerPosition()), Qt::LeftButton);
    }

    Form1 &form;
    GamePanel &game;
    std::set<int> answered;
};

int flagNamed(const CountryTable &table, int rows, const QString &name)
{
    for (int r = 1; r <= rows; ++r) {
        const int id = table.flagIds[static_cast<size_t>(r)].toInt();
        if (table.countryNames[static_cast<size_t>(id)] == name)
            return id;
    }
    ADD_FAILURE() << "no " << name.toStdString() << " in the world";
    return 0;
}

} // namespace

TEST(PracticePanel, TheWorldsWeakestMeetTheirLookAlikesAndNothingIsRecordedOrSent)
{
    CountryTable world;
    const int rows =
        BaseList::load(BaseList::path(shippedDir, QStringLiteral("sekai")), world).recordCount;
    const int chad = flagNamed(world, rows, QStringLiteral("チャド"));
    const int romania = flagNamed(world, rows, QStringLiteral("ルーマニア"));
    const int japan = flagNamed(world, rows, QStringLiteral("日本"));

    // The player's record: チャド never asked, fourteen more never right, the rest known well;
    // 日本 was once taken for チャド.
    std::set<int> weakest{chad};
    MasteryRecord::Record record;
    for (int r = 1; r <= rows; ++r) {
        const int id = world.flagIds[static_cast<size_t>(r)].toInt();
        if (id == chad)
            continue;
        if (weakest.size() < 15 && id != romania && id != japan) {
            weakest.insert(id);
            record.flags[id] = {3, 0, 3, today.addDays(-1)};
        } else {
            record.flags[id] = {3, 3, 0, today.addDays(-1)};
        }
    }
    record.confusions[{chad, japan}] = 1;

    // The shipped data as the program's folder, our own folder for what the game writes.
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowHarness f(shippedDir, http.baseUrl());
    QTemporaryDir data;
    f.config.dataPath = data.path();
    f.remakeForm();
    writeBytes(MasteryRecord::recordPath(data.path()), MasteryRecord::recordBytes(record));
    writeBytes(MasteryRecord::confusionsPath(data.path()), MasteryRecord::confusionBytes(record));
    ASSERT_TRUE(f.form->load());
    QSignalSpy finished(f.form->gamePanel(), &GamePanel::gameFinished);

    PracticePlayer p(*f.form, 4);
    const auto instruction = [&] { return control<QLabel>(f.form.get(), "Label14")->text(); };
    const QString scoredInstruction = instruction();
    p.setBox("CheckWeakest", true);
    EXPECT_EQ(instruction(), "練習の成績は記録されず、全国偏差値も出ません。");
    p.setBox("CheckWeakest", false);
    EXPECT_EQ(instruction(), scoredInstruction);
    p.setBox("CheckWeakest", true);
    p.setBox("CheckLookAlike", true);
    p.start();
    ASSERT_TRUE(p.game.playing());
    ASSERT_TRUE(p.game.practice());
    std::set<int> askedFlags;
    std::pair<int, int> mistake;
    for (int q = 1; q <= 15; ++q) {
        const int asked = p.checkBoard();
        askedFlags.insert(asked);
        if (asked == chad) {
            EXPECT_TRUE(p.boardHolds(romania)) << "ルーマニア is not beside チャド";
            EXPECT_TRUE(p.boardHolds(japan)) << "the player's own confusion is not there";
        }
        if (q == 3) {
            mistake = {asked, p.flagOnCard(p.wrongCard())};
            QTest::mouseClick(control<QWidget>(f.form.get(), "Image4", p.wrongCard()),
                              Qt::LeftButton);
        }
        p.answer();
    }
    EXPECT_FALSE(p.game.playing());
    EXPECT_EQ(askedFlags, weakest);

    // Scored and shown as practice; no results line, no rating, no request to our server.
    const QString summary = control<QPlainTextEdit>(f.form.get(), "Text1")->toPlainText();
    EXPECT_TRUE(summary.startsWith("練習　総得点：")) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith("ミス回数： 1"));
    EXPECT_FALSE(QFile::exists(data.filePath("seisekisekai.csv")));
    EXPECT_FALSE(QFile::exists(shippedDir + "/seisekisekai.csv"));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.first().first().value<FinishedGame>().rated());
    EXPECT_FALSE(f.form->deviation()->busy());
    EXPECT_EQ(http.requestCount(), 1) << http.paths().join(' ').toStdString();

    // The review comes at once, with nothing to wait for, and shows the one miss.
    QWidget *review = control<QWidget>(f.form.get(), "Review");
    ASSERT_TRUE(review);
    EXPECT_TRUE(review->isVisible());
    EXPECT_EQ(review->findChildren<QWidget *>("ReviewRow").size(), 1);

    // The record has the game: every weakest flag asked once more, the miss and its confusion.
    const MasteryRecord::Record after = MasteryRecord::read(data.path());
    EXPECT_EQ(after.flags.at(chad).asked, 1);
    EXPECT_EQ(after.flags.at(chad).lastAsked, today);
    for (int id : weakest)
        EXPECT_EQ(after.flags.at(id).asked, record.flags[id].asked + 1) << id;
    EXPECT_EQ(after.flags.at(mistake.first).misses, record.flags[mistake.first].misses + 1);
    EXPECT_EQ(after.confusions.at(mistake), record.confusions[mistake] + 1);
    EXPECT_EQ(after.flags.at(romania).asked, 3);
}

TEST(PracticePanel, ASmallRegionGetsFullBoardsAndClearBoxesPlayTheScoredGameAgain)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl());
    // 26 countries, the least a game is played with, whose look-alikes are mostly elsewhere.
    QString list;
    QByteArray lookAlikes;
    for (int id = 101; id <= 126; ++id) {
        list += QStringLiteral("%1,北米,国%1,首都%1,https://map.example/%1\r\n").arg(id);
        lookAlikes +=
            QByteArray::number(id) + ",3,7,9," + QByteArray::number(id % 26 + 101) + ",11\r\n";
    }
    f.folder.writeBaseList("america", list);
    f.folder.writeFile("niteru.csv", lookAlikes);
    ASSERT_TRUE(f.form->load());
    QSignalSpy finished(f.form->gamePanel(), &GamePanel::gameFinished);

    PracticePlayer p(*f.form, 2);
    p.setBox("CheckLookAlike", true);
    p.start();
    ASSERT_TRUE(p.game.practice());
    // Every question says it is practice.
    const auto questionLine = [&] { return control<QLabel>(f.form.get(), "Label13")->text(); };
    for (int q = 1; q <= 15; ++q) {
        p.checkBoard();
        EXPECT_EQ(questionLine(), "練習　" + p.game.session()->askedName());
        p.answer();
    }
    EXPECT_EQ(p.answered.size(), 15u);
    EXPECT_FALSE(QFile::exists(f.folder.file("seisekiamerica.csv")));
    EXPECT_EQ(MasteryRecord::read(f.folder.path()).flags.size(), 15u);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.first().first().value<FinishedGame>().rated());

    // The panel opened again keeps the region and the box. Boxes cleared: the scored game,
    // recorded and rated, as if no practice had been.
    QTest::mouseClick(control<QWidget>(f.form.get(), "Label11"), Qt::LeftButton);
    EXPECT_TRUE(control<QRadioButton>(f.form.get(), "Option2", 2)->isChecked());
    EXPECT_TRUE(control<QCheckBox>(f.form.get(), "CheckLookAlike")->isChecked());
    p.setBox("CheckLookAlike", false);
    p.answered.clear();
    p.start();
    EXPECT_FALSE(p.game.practice());
    for (int q = 1; q <= 15; ++q) {
        p.checkBoard();
        EXPECT_EQ(questionLine(), p.game.session()->askedName());
        if (q == 15)
            f.clock.autoAdvance = 0.01;
        p.answer();
    }
    EXPECT_TRUE(
        control<QPlainTextEdit>(f.form.get(), "Text1")->toPlainText().startsWith("総得点："));
    EXPECT_EQ(readBytes(f.folder.file("seisekiamerica.csv")), " 500, 0, 0,2026/12/06 21:30:05\r\n");
    ASSERT_EQ(finished.count(), 2);
    EXPECT_TRUE(finished.last().first().value<FinishedGame>().rated());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
}
