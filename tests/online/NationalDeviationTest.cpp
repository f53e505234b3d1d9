#include "NationalDeviation.h"
#include "Controls.h"
#include "CurlHttpClient.h"
#include "Fakes.h"
#include "LoopbackServer.h"
#include "ServerAccess.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace {

QByteArray histogram(const std::map<int, int> &counts)
{
    QByteArray text;
    for (int i = 1; i <= 500; ++i) {
        const auto found = counts.find(i);
        text += QByteArray::number(found == counts.end() ? 0 : found->second) + "\r\n";
    }
    return text;
}

struct Rating
{
    using Report = NationalDeviation::CounterReport;

    explicit Rating(const QByteArray &reply)
        : http([reply](const QString &path, int) {
              return path.startsWith("/kokki/") ? LoopbackReply{200, reply}
                                                : LoopbackReply{200, "1\r\n"};
          }),
          server(client, clock, http.baseUrl(), std::chrono::seconds(5)),
          deviation(server, clock, dir.path(), nullptr)
    {
        // Each reading of the clock moves it on, so the pauses end.
        clock.autoAdvance = 0.01;
    }

    // Rates a score of Europe and lets the steps run to their end.
    void rate(int score, Report report = Report::Send, const QString &region = "europe")
    {
        deviation.showNationalDeviation(score, region, report);
        waitUntilDone();
    }
    void waitUntilDone()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !deviation.busy(); }, 10000));
    }

    QString label(const char *name) const
    {
        auto *found = control<QLabel>(deviation.form6(), name);
        return found ? found->text() : QStringLiteral("<none>");
    }

    QTemporaryDir dir;
    LoopbackServer http;
    CurlHttpClient client{std::chrono::milliseconds(500), std::chrono::milliseconds(2000)};
    FakeClock clock;
    ServerAccess server;
    NationalDeviation deviation;
};

} // namespace

TEST(NationalDeviation, RatesShowsAndThenReportsTheGame)
{
    Rating r(histogram({{200, 3}, {300, 5}, {400, 2}}));
    r.rate(295);

    EXPECT_EQ(r.http.paths(), (QStringList{"/kokki/europe.csv", "/countx/europe/count.php",
                                           "/count1/countereurope/295/count.php"}));
    ASSERT_TRUE(r.deviation.form6());
    EXPECT_TRUE(r.deviation.form6()->isVisible());
    EXPECT_EQ(r.deviation.form6()->windowTitle(), "全国偏差値");
    EXPECT_EQ(r.label("Label5"), " 50");
    EXPECT_EQ(r.label("Label10"), "295");
    EXPECT_EQ(r.label("Label6"), "10");
    EXPECT_EQ(r.label("Label7"), "290");
    EXPECT_EQ(r.label("Label8"), "8");
    EXPECT_EQ(r.label("Label12"), "");
    EXPECT_EQ(r.label("Label11"), "全国偏差値");
    EXPECT_EQ(r.label("Label1"), "偏差値");

    // A reported game leaves no scratch file behind.
    EXPECT_FALSE(QFile::exists(NationalDeviation::scratchPath(r.dir.path())));
}

TEST(NationalDeviation, APastResultIsRatedWithoutBeingReportedAgain)
{
    Rating r(histogram({{100, 1}, {300, 1}}));
    r.rate(100, Rating::Report::Skip);
    EXPECT_EQ(r.http.paths(), QStringList{"/kokki/europe.csv"});
    EXPECT_EQ(r.label("Label5"), " 40");
    QFile scratch(NationalDeviation::scratchPath(r.dir.path()));
    ASSERT_TRUE(scratch.open(QIODevice::ReadOnly));
    EXPECT_EQ(scratch.readAll(), histogram({{100, 1}, {300, 1}}));
}

TEST(NationalDeviation, AFailedStepShowsTheMessageAndTheReportStillGoes)
{
    // Everybody on one score: no deviation score, but the rest is shown and the game counted.
    Rating r(histogram({{250, 7}}));
    r.rate(0);
    EXPECT_EQ(r.label("Label12"), "もう一度クリックして下さい。");
    EXPECT_EQ(r.label("Label6"), "7");
    EXPECT_EQ(r.label("Label7"), "250");
    EXPECT_EQ(r.label("Label5"), "");
    EXPECT_EQ(r.http.paths().last(), "/count1/countereurope/0/count.php");
    EXPECT_EQ(r.http.requestCount(), 3);
}

TEST(NationalDeviation, AServerErrorPageIsNoHistogram)
{
    Rating r("<html>500 Internal Server Error</html>");
    r.rate(12);
    EXPECT_EQ(r.label("Label12"), "もう一度クリックして下さい。");
    EXPECT_EQ(r.label("Label6"), "");
    EXPECT_EQ(r.label("Label8"), "");
    EXPECT_TRUE(r.deviation.form6()->isVisible());
    EXPECT_EQ(r.http.requestCount(), 3);
}

TEST(NationalDeviation, ARatingStartedDuringThePausesDoesNotDisturbTheFirst)
{
    Rating r(histogram({{200, 3}, {300, 5}, {400, 2}}));
    // The click lands while the first rating pauses: the results window rates a past game.
    QTimer::singleShot(
        0, [&] { r.deviation.showNationalDeviation(400, "sekai", Rating::Report::Skip); });
    r.rate(295);
    EXPECT_EQ(r.http.paths(),
              (QStringList{"/kokki/europe.csv", "/kokki/sekai.csv", "/countx/europe/count.php",
                           "/count1/countereurope/295/count.php"}));
    EXPECT_EQ(r.label("Label10"), "295");
    EXPECT_EQ(r.label("Label8"), "8");
}

TEST(NationalDeviation, CancelledRatingsShowAndSendNothingMore)
{
    // The program ends during the pauses: the fetch has been made, nothing after it.
    Rating r(histogram({{200, 3}, {300, 5}, {400, 2}}));
    r.deviation.showNationalDeviation(295, "europe", Rating::Report::Send);
    ASSERT_TRUE(r.deviation.busy());
    r.deviation.cancel();
    EXPECT_FALSE(r.deviation.busy());
    QTest::qWait(1200);
    EXPECT_EQ(r.http.paths(), QStringList{"/kokki/europe.csv"});
    EXPECT_EQ(r.label("Label10"), "お待ち下さい");
    EXPECT_FALSE(r.deviation.form6()->isVisible());
}
