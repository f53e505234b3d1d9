// A whole game through the main window against the real furamio-server on a loopback port.

#include "Controls.h"
#include "CurlHttpClient.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "MasteryRecord.h"
#include "MissReviewPanel.h"
#include "NationalDeviation.h"
#include "KeptReports.h"
#include "ProgramEnd.h"
#include "ServerProcess.h"
#include "TempDir.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QStringList histogramLines(CurlHttpClient &http, const QString &base, const QString &region)
{
    const HttpResponse reply = http.get(base + "kokki/" + region + ".csv");
    return reply.body.split("\r\n", Qt::SkipEmptyParts);
}

} // namespace

TEST(GameOnOurServer, TheGameIsRatedAgainstEverybodyBeforeAndThenCounted)
{
    TempDir data;
    ServerProcess server(data.str(), {"--max-reports-per-minute", "1000"});
    const QString base = QString::fromStdString(server.baseUrl());
    CurlHttpClient http{std::chrono::milliseconds(2000), std::chrono::milliseconds(5000)};

    // Ten players before us in Europe: three on 200, five on 300, two on 400.
    for (const auto &[score, players] : {std::pair{200, 3}, {300, 5}, {400, 2}})
        for (int i = 0; i < players; ++i)
            ASSERT_TRUE(
                http.get(base + QStringLiteral("count1/countereurope/%1/count.php").arg(score))
                    .transferred);

    MainWindowFixture f(base);
    ASSERT_TRUE(f.form->load());
    GamePanel &game = *f.form->gamePanel();
    QTest::mouseClick(control<QWidget>(f.form.get(), "Label11"), Qt::LeftButton);
    control<QRadioButton>(f.form.get(), "Option2", 1)->click();
    f.clock.seconds = 500.0;
    control<QPushButton>(f.form.get(), "Command2")->click();
    ASSERT_TRUE(game.playing());

    for (int q = 1; q <= 15; ++q) {
        const int right = game.answerPosition();
        if (q == 2 || q == 11) {
            int wrong = right % 12 + 1;
            QTest::mouseClick(control<QWidget>(f.form.get(), "Image4", wrong), Qt::LeftButton);
        }
        if (q == 15) {
            f.clock.seconds = 560.0;
            f.clock.autoAdvance = 0.01;
        }
        QTest::mouseClick(control<QWidget>(f.form.get(), "Image4", right), Qt::LeftButton);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));

    EXPECT_EQ(control<QPlainTextEdit>(f.form.get(), "Text1")->toPlainText(),
              "総得点：  295   2026/12/06 21:30:05\n\n時間： 60秒\nミス回数： 2");
    QFile results(f.folder.file("seisekieurope.csv"));
    ASSERT_TRUE(results.open(QIODevice::ReadOnly));
    EXPECT_EQ(results.readAll(), " 295, 60, 2,2026/12/06 21:30:05\r\n");

    // Rated against the ten players before this game.
    QWidget *form6 = f.form->deviation()->form6();
    ASSERT_TRUE(form6);
    const auto label = [form6](const char *name) { return control<QLabel>(form6, name)->text(); };
    EXPECT_EQ(label("Label5"), " 50");
    EXPECT_EQ(label("Label10"), "295");
    EXPECT_EQ(label("Label6"), "10");
    EXPECT_EQ(label("Label7"), "290");
    EXPECT_EQ(label("Label8"), "8");
    EXPECT_EQ(label("Label12"), "");

    // And counted afterwards: the score in the histogram, the game in the game counter (whose
    // next count is therefore two).
    const QStringList lines = histogramLines(http, base, "europe");
    ASSERT_EQ(lines.size(), 500);
    EXPECT_EQ(lines[294], "1");
    EXPECT_EQ(lines[199], "3");
    EXPECT_EQ(http.get(base + "countx/europe/count.php").body.trimmed(), "2");
    EXPECT_FALSE(QFile::exists(PlayerData::ratingScratchPath(f.folder.path())));

    // All of the above holds with the review on show and the game in the record of each flag.
    auto *review = control<MissReviewPanel>(f.form.get(), "Review");
    ASSERT_TRUE(QTest::qWaitFor([&] { return review->isVisible(); }, 10000));
    EXPECT_EQ(review->rowCount(), 2);
    const MasteryRecord::Record record = MasteryRecord::read(f.config.dataPath);
    int asked = 0;
    int misses = 0;
    for (const auto &[id, flag] : record.flags) {
        asked += flag.asked;
        misses += flag.misses;
    }
    EXPECT_EQ(asked, 15);
    EXPECT_EQ(misses, 2);
}

TEST(GameOnOurServer, APracticeGameIsNeitherRatedNorCountedButUpdatesTheRecord)
{
    TempDir data;
    ServerProcess server(data.str());
    const QString base = QString::fromStdString(server.baseUrl());

    MainWindowFixture f(base);
    ASSERT_TRUE(f.form->load());
    GamePanel &game = *f.form->gamePanel();
    QTest::mouseClick(control<QWidget>(f.form.get(), "Label11"), Qt::LeftButton);
    control<QRadioButton>(f.form.get(), "Option2", 1)->click();
    QTest::mouseClick(control<QWidget>(f.form.get(), "CheckWeakest"), Qt::LeftButton);
    control<QPushButton>(f.form.get(), "Command2")->click();
    ASSERT_TRUE(game.practice());
    for (int q = 1; q <= 15; ++q) {
        if (q == 15)
            f.clock.autoAdvance = 0.01; // a rating, were there one, would run to its end
        QTest::mouseClick(control<QWidget>(f.form.get(), "Image4", game.answerPosition()),
                          Qt::LeftButton);
    }
    ASSERT_FALSE(game.playing());
    QTest::qWait(300);
    EXPECT_FALSE(f.form->deviation()->busy());

    // The server heard the notice at start-up and nothing after it.
    const std::string log = server.log();
    EXPECT_NE(log.find("oshirase.txt"), std::string::npos) << log;
    EXPECT_EQ(log.find("/kokki/europe.csv"), std::string::npos) << log;
    EXPECT_EQ(log.find("count.php"), std::string::npos) << log;
    EXPECT_FALSE(QFile::exists(f.folder.file("seisekieurope.csv")));
    EXPECT_TRUE(control<QPlainTextEdit>(f.form.get(), "Text1")->toPlainText().startsWith("練習"));

    const MasteryRecord::Record record = MasteryRecord::read(f.folder.path());
    EXPECT_EQ(record.flags.size(), 15u);
    for (const auto &[id, flag] : record.flags)
        EXPECT_EQ(flag.asked, 1) << id;
}

// The server stops answering as the last card is picked, and the player ends the program while
// the rating waits for it: the game is on disk before anything is sent, the program ends
// without waiting for the server, and the next start counts the game once.
TEST(GameOnOurServer, AGameEndedWhileTheServerHangsIsCountedOnceAtTheNextStart)
{
    TempDir data;
    ServerProcess server(data.str(), {"--max-reports-per-minute", "1000"});
    const QString base = QString::fromStdString(server.baseUrl());
    MainWindowFixture f(base);
    ASSERT_TRUE(f.form->load());
    ProgramEnd::connect(*f.form);
    GamePanel &game = *f.form->gamePanel();
    QTest::mouseClick(control<QWidget>(f.form.get(), "Label11"), Qt::LeftButton);
    control<QRadioButton>(f.form.get(), "Option2", 1)->click();
    control<QPushButton>(f.form.get(), "Command2")->click();
    for (int q = 1; q <= 15; ++q) {
        if (q == 15) {
            ASSERT_EQ(kill(server.pid(), SIGSTOP), 0);
        }
        QTest::mouseClick(control<QWidget>(f.form.get(), "Image4", game.answerPosition()),
                          Qt::LeftButton);
    }
    const QList<KeptReports::Game> held = KeptReports(f.config.dataPath).games();
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held.first().regionKey, "europe");
    ASSERT_TRUE(f.form->deviation()->busy());

    QTimer::singleShot(
        0, [&] { QTest::mouseClick(control<QWidget>(f.form.get(), "Command1"), Qt::LeftButton); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(f.endRequests, 1);
    EXPECT_FALSE(f.form->deviation()->busy());
    EXPECT_EQ(KeptReports(f.config.dataPath).games(), held);

    ASSERT_EQ(kill(server.pid(), SIGCONT), 0);
    f.remakeForm();
    ASSERT_TRUE(f.form->load());
    EXPECT_FALSE(QFile::exists(KeptReports::path(f.config.dataPath)));
    const QString log = QString::fromStdString(server.log());
    QStringList ids;
    for (const QRegularExpressionMatch &match :
         QRegularExpression(QStringLiteral("count\\.php\\?r=([0-9a-f]{16})")).globalMatch(log))
        ids.append(match.captured(1));
    EXPECT_EQ(ids, (QStringList{held.first().reportId, held.first().reportId}))
        << log.toStdString();
    CurlHttpClient http{std::chrono::milliseconds(2000), std::chrono::milliseconds(5000)};
    int players = 0;
    for (const QString &count : histogramLines(http, base, "europe"))
        players += count.toInt();
    EXPECT_EQ(players, 1);
}
