#include "NationalDeviation.h"
#include "Controls.h"
#include "CurlHttpClient.h"
#include "Fakes.h"
#include "LoopbackServer.h"
#include "PhraseLabel.h"
#include "PlayerData.h"
#include "ServerAccess.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
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

    // The window thread only waits while the server answers the fetch, so what the deviation
    // window shows then can be read from the server's thread.
    explicit Rating(const QByteArray &reply)
        : histogramReply(reply), http([this](const QString &path, int) {
              if (!path.startsWith("/kokki/"))
                  return LoopbackReply{200, "1\r\n"};
              if (QWidget *form6 = deviation.form6()) {
                  shownAtFetch = form6->isVisible() ? label("Label12") : QString();
                  waitCursorAtFetch = QGuiApplication::overrideCursor() &&
                                      QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
              }
              return LoopbackReply{200, histogramReply};
          }),
          server(client, clock, http.baseUrl(), std::chrono::seconds(5)),
          playerData(dir.path(), clock, [](const QString &) {}),
          deviation(server, clock, playerData, nullptr)
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

    QByteArray histogramReply;
    QString shownAtFetch;
    bool waitCursorAtFetch = false;
    QTemporaryDir dir;
    LoopbackServer http;
    CurlHttpClient client{std::chrono::milliseconds(500), std::chrono::milliseconds(2000)};
    FakeClock clock;
    ServerAccess server;
    PlayerData playerData;
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
    EXPECT_FALSE(QFile::exists(PlayerData::ratingScratchPath(r.dir.path())));
}

TEST(NationalDeviation, APastResultIsRatedWithoutBeingReportedAgain)
{
    Rating r(histogram({{100, 1}, {300, 1}}));
    r.rate(100, Rating::Report::Skip);
    EXPECT_EQ(r.http.paths(), QStringList{"/kokki/europe.csv"});
    EXPECT_EQ(r.label("Label5"), " 40");
    QFile scratch(PlayerData::ratingScratchPath(r.dir.path()));
    ASSERT_TRUE(scratch.open(QIODevice::ReadOnly));
    EXPECT_EQ(scratch.readAll(), histogram({{100, 1}, {300, 1}}));
}

TEST(NationalDeviation, AFailedRatingSaysWhyAndTheReportStillGoes)
{
    const QString retry = QStringLiteral("もう一度クリックして下さい。");
    struct Case
    {
        QByteArray reply;
        QString message;
        QString players;
        QString mean;
    };
    const Case cases[] = {
        // The first game of a region: nobody to compare with.
        {histogram({}), retry + "\nまだ比べる記録がありません。", "0", ""},
        // Everybody on one score: no standard deviation, but the rest is shown.
        {histogram({{250, 7}}), retry + "\n比べる記録が少なすぎます。", "7", "250"},
        {"<html>500 Internal Server Error</html>", retry + "\n全国の成績を取得できませんでした。",
         "", ""},
    };
    for (const Case &c : cases) {
        Rating r(c.reply);
        r.rate(0);
        EXPECT_EQ(r.label("Label12"), c.message) << c.reply.left(40).toStdString();
        // A reason wider than the line wraps where a word begins, never before a word's ending.
        const auto *message = control<PhraseLabel>(r.deviation.form6(), "Label12");
        const QStringList paragraphs = message->text().split('\n');
        for (const QString &line : message->lines(message->contentsRect().width())) {
            if (std::none_of(paragraphs.begin(), paragraphs.end(),
                             [&](const QString &p) { return p.startsWith(line); })) {
                EXPECT_NE(line.front().script(), QChar::Script_Hiragana) << line.toStdString();
            }
        }
        EXPECT_EQ(r.label("Label6"), c.players);
        EXPECT_EQ(r.label("Label7"), c.mean);
        EXPECT_EQ(r.label("Label5"), "");
        EXPECT_TRUE(r.deviation.form6()->isVisible());
        EXPECT_EQ(r.http.paths().last(), "/count1/countereurope/0/count.php");
        EXPECT_EQ(r.http.requestCount(), 3);

        // The next rating that works starts from an empty message line.
        r.histogramReply = histogram({{200, 3}, {300, 5}, {400, 2}});
        r.rate(295);
        EXPECT_EQ(r.label("Label12"), "");
        EXPECT_EQ(r.label("Label5"), " 50");
    }
}

TEST(NationalDeviation, TheWindowSaysItIsWaitingWhileTheHistogramIsFetched)
{
    Rating r(histogram({{200, 3}, {300, 5}, {400, 2}}));
    r.rate(295);
    EXPECT_EQ(r.shownAtFetch, "全国の成績を取得しています…");
    EXPECT_TRUE(r.waitCursorAtFetch);
    EXPECT_EQ(r.label("Label12"), "");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // An open window that covers nothing to be kept in sight stays where the player left it;
    // one that covers something moves off it, or goes where it cannot.
    QWidget *form6 = r.deviation.form6();
    const QPoint left = form6->pos() + QPoint(7, 5);
    form6->move(left);
    WindowPlacement::Areas areas;
    bool mayStay = true;
    r.deviation.setPlacer([&](QSize outer, std::optional<QRect> open) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint at = WindowPlacement::placeOpen(
            outer, screen, areas, open ? std::optional(open->topLeft()) : std::nullopt);
        return NationalDeviation::Spot{at, !mayStay && QRect(at, outer).intersects(screen)};
    });
    areas.keepClear = {QRect(left + QPoint(form6->width() + 50, 0), QSize(9, 9))};
    r.deviation.showNationalDeviation(295, "europe", Rating::Report::Skip);
    r.waitUntilDone();
    EXPECT_EQ(form6->pos(), left);
    const QRect kept(form6->frameGeometry().center(), QSize(20, 20));
    areas = {{kept}, {}, left};
    r.deviation.showNationalDeviation(295, "europe", Rating::Report::Skip);
    r.waitUntilDone();
    EXPECT_FALSE(form6->frameGeometry().intersects(kept));
    mayStay = false;
    r.deviation.placeAgain();
    EXPECT_FALSE(form6->isVisible());
}

TEST(NationalDeviation, ARatingStartedDuringThePausesDoesNotDisturbTheFirst)
{
    Rating r(histogram({{200, 3}, {300, 5}, {400, 2}}));
    // The click lands while the first rating pauses, after its fetch: the results window
    // rates a past game.
    r.deviation.showNationalDeviation(295, "europe", Rating::Report::Send);
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.http.requestCount() == 1; }));
    QTimer::singleShot(
        0, [&] { r.deviation.showNationalDeviation(400, "sekai", Rating::Report::Skip); });
    r.waitUntilDone();
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.http.requestCount() == 1; }));
    r.deviation.cancel();
    EXPECT_FALSE(r.deviation.busy());
    QTest::qWait(1200);
    EXPECT_EQ(r.http.paths(), QStringList{"/kokki/europe.csv"});
    EXPECT_EQ(r.label("Label10"), "お待ち下さい");
    EXPECT_FALSE(r.deviation.form6()->isVisible());

    // Ended once the scratch file is written: the file goes with the rating.
    const QString scratch = r.dir.filePath(QStringLiteral("dummyz.csv"));
    r.deviation.showNationalDeviation(295, "europe", Rating::Report::Send);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(scratch); }, 10000));
    r.deviation.cancel();
    EXPECT_FALSE(QFile::exists(scratch));
}
