// The day's review on the main window, played with keys only, and the schedule fed by a game.
#include "CardKeys.h"
#include "CodePage.h"
#include "Controls.h"
#include "DailyReviewPanel.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "MasteryRecord.h"
#include "NationalDeviation.h"
#include "OtherNames.h"
#include "ReviewSchedule.h"
#include "ScreenReaderLog.h"
#include "TestFiles.h"
#include "WorldMapView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using ReviewSchedule::CardKey;
using ReviewSchedule::Direction;

const QDate day1(2026, 12, 6); // the fake clock's date
constexpr int worldRows = 30;

int keyOf(int k)
{
    return CardKeys::keys[static_cast<size_t>(k - 1)];
}

// The menu row's entry, not a control of the same name in a window the main window owns.
QWidget *menuEntry(QWidget *form, const char *name)
{
    return form->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
}

QString text(QWidget *form, const char *name)
{
    return control<QLabel>(form, name)->text();
}

} // namespace

TEST(DailyReview, PlayedWithKeysBothWaysAMissComesBackAndOnlyTheScheduleIsWritten)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl(), worldRows);
    // Every card started and due later, but two: 11 名→旗 overdue since yesterday, 12 旗→名
    // due today.
    ReviewSchedule::Schedule schedule;
    for (int id = 1; id <= worldRows; ++id)
        for (Direction d : {Direction::NameToFlag, Direction::FlagToName})
            schedule[{id, d}] = {{10.0, 5.0}, day1.addDays(-3), day1.addDays(14), 1, 0};
    schedule[{11, Direction::NameToFlag}].due = day1.addDays(-1);
    schedule[{12, Direction::FlagToName}].due = day1;
    writeBytes(ReviewSchedule::path(f.folder.path()), ReviewSchedule::bytes(schedule));
    // The made-up names hold kanji; one of them has its reading among the other names.
    writeBytes(f.folder.path() + '/' + OtherNames::fileName,
               CodePage::toCp932(QStringLiteral("11,国名の読み,くにじゅういち\r\n")));
    ASSERT_TRUE(f.form->load());

    QWidget *form = f.form.get();
    QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
    auto *start = control<QPushButton>(form, "CommandReview");
    ASSERT_TRUE(start && start->isVisible());
    EXPECT_EQ(start->text(), "今日の復習 2枚");
    ScreenReaderLog reader;
    start->click();
    DailyReviewPanel *review = f.form->dailyReview();
    ASSERT_TRUE(review->isVisible());
    EXPECT_FALSE(f.form->gamePanel()->isVisible());
    // Keys go where the window system sends them: to the control with the focus.
    const auto press = [&](int key) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
    };
    const auto focused = [&](const char *name, int index = -1) {
        return QApplication::focusWidget() == control<QWidget>(form, name, index);
    };

    // 名→旗: a name and twelve flags; a wrong key is a miss, told with both flags.
    ASSERT_EQ(review->currentCard(), (CardKey{11, Direction::NameToFlag}));
    EXPECT_EQ(text(form, "ReviewQuestion"), "国11 の国旗はどれですか？");
    EXPECT_EQ(reader.takeAnnounced(), QStringList{"国11 の国旗はどれですか？"});
    EXPECT_TRUE(focused("ReviewCard", 1));
    EXPECT_TRUE(control<QWidget>(form, "ReviewCard", 12)->isVisible());
    EXPECT_FALSE(control<QWidget>(form, "ReviewName", 1)->isVisible());
    const int wrong = review->board()->answerPosition() % 12 + 1;
    const QString wrongName = review->board()->nameOfRow(review->board()->rowAt(wrong));
    QSignalSpy focusMoves(qApp, &QApplication::focusChanged);
    press(keyOf(wrong));
    ASSERT_EQ(review->page(), DailyReviewPanel::Page::Learning);
    // Straight to 次へ, through no other control that a screen reader would speak.
    EXPECT_EQ(focusMoves.size(), 1);
    // The whole learning card is told: the focus on 次へ says nothing of it.
    EXPECT_EQ(reader.takeAnnounced(),
              QStringList{"✕ 違います。正しくはこちらです。\n国11（くにじゅういち）\n首都：首都11\n"
                          "地域：アフリカ\n選んだのは：" +
                          wrongName});
    EXPECT_TRUE(focused("ReviewNext"));
    EXPECT_EQ(text(form, "ReviewRightText"),
              "国11（くにじゅういち）\n首都：首都11\n地域：アフリカ");
    EXPECT_TRUE(control<QWidget>(form, "ReviewPickedFlag")->isVisible());
    EXPECT_EQ(text(form, "ReviewPickedText"), "選んだのは：" + wrongName);
    press(keyOf(1)); // the learning card takes no pick
    EXPECT_EQ(review->page(), DailyReviewPanel::Page::Learning);
    // Esc with an answer given asks first; kept, the review goes on where it was.
    f.messages.answerYes = false;
    press(Qt::Key_Escape);
    EXPECT_EQ(f.messages.asked, QStringList{"復習を中断しますか？"});
    ASSERT_TRUE(review->isVisible());
    EXPECT_EQ(review->page(), DailyReviewPanel::Page::Learning);
    f.messages.answerYes = true;
    press(Qt::Key_Return);

    // 旗→名: one flag and twelve names, each with its key.
    ASSERT_EQ(review->currentCard(), (CardKey{12, Direction::FlagToName}));
    EXPECT_EQ(text(form, "ReviewQuestion"), "この国旗はどの国ですか？");
    EXPECT_TRUE(control<QWidget>(form, "ReviewFlag")->isVisible());
    EXPECT_FALSE(control<QWidget>(form, "ReviewCard", 1)->isVisible());
    const int right = review->board()->answerPosition();
    EXPECT_TRUE(control<QPushButton>(form, "ReviewName", right)->text().endsWith("　国12"));
    // The arrows move over the names by place, two to a row, and Enter picks.
    EXPECT_TRUE(focused("ReviewName", 1));
    for (int k = 1; k + 2 <= right; k += 2)
        press(Qt::Key_Down);
    if (right % 2 == 0)
        press(Qt::Key_Right);
    ASSERT_TRUE(focused("ReviewName", right));
    press(Qt::Key_Return);
    EXPECT_EQ(text(form, "ReviewQuestion"), "✓ 正解です。");
    EXPECT_FALSE(control<QWidget>(form, "ReviewPickedFlag")->isVisible());
    press(Qt::Key_Space);

    // The miss comes back before the end, picked with the arrows over the flags.
    ASSERT_EQ(review->currentCard(), (CardKey{11, Direction::NameToFlag}));
    const int answer = review->board()->answerPosition();
    if (answer > 6)
        press(Qt::Key_Up); // the ring wraps to the lower row
    for (int k = (answer - 1) % 6; k > 0; --k)
        press(Qt::Key_Right);
    ASSERT_TRUE(focused("ReviewCard", answer));
    press(Qt::Key_Space);
    press(Qt::Key_Enter);
    ASSERT_EQ(review->page(), DailyReviewPanel::Page::End);
    EXPECT_EQ(text(form, "ReviewEnd"), "復習した札：2枚\n一度目で正解：1枚\n次の復習：明日 1枚");
    EXPECT_TRUE(
        reader.takeAnnounced().endsWith("今日の復習は終わりです。\n" + text(form, "ReviewEnd")));

    // Only the schedule was written: three answers, one a lapse. No results line, no record of
    // the game kind, nothing asked of our server beyond the start-up's notice.
    const ReviewSchedule::Schedule after = ReviewSchedule::read(f.folder.path());
    EXPECT_EQ(after.at({11, Direction::NameToFlag}).reviews, 3);
    EXPECT_EQ(after.at({11, Direction::NameToFlag}).lapses, 1);
    EXPECT_EQ(after.at({12, Direction::FlagToName}).reviews, 2);
    EXPECT_EQ(after.at({12, Direction::FlagToName}).lapses, 0);
    EXPECT_TRUE(QDir(f.folder.path()).entryList({"seiseki*"}).isEmpty());
    EXPECT_FALSE(QFile::exists(MasteryRecord::recordPath(f.folder.path())));
    EXPECT_EQ(http.requestCount(), 1) << http.paths().join(' ').toStdString();
    EXPECT_FALSE(f.form->deviation()->busy());

    // The end offers the map of what the player knows.
    QTest::mouseClick(control<QPushButton>(form, "ReviewWorldMap"), Qt::LeftButton);
    ASSERT_TRUE(f.form->worldMap());
    EXPECT_TRUE(f.form->worldMap()->isVisible());
    f.form->worldMap()->hide();

    // Esc is 戻る; back on the game panel nothing is left for today.
    f.form->activateWindow();
    control<QWidget>(form, "ReviewWorldMap")->setFocus();
    press(Qt::Key_Escape);
    EXPECT_TRUE(f.form->gamePanel()->isVisible());
    EXPECT_EQ(start->text(), "復習はありません");
    EXPECT_FALSE(start->isEnabled());
}

TEST(DailyReview, AGameFeedsTheScheduleAndTheFlagMissedOnDayOneOpensDayTwo)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl(), worldRows);
    ASSERT_TRUE(f.form->load());
    QWidget *form = f.form.get();
    GamePanel &game = *f.form->gamePanel();
    QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
    control<QRadioButton>(form, "Option2", 4)->click(); // the world
    control<QPushButton>(form, "Command2")->click();
    ASSERT_TRUE(game.playing());
    int missed = 0;
    int known = 0;
    for (int q = 1; q <= 15; ++q) {
        const int right = game.answerPosition();
        const int flag = game.session()->flagIdAt(right).toInt();
        if (q == 1) {
            missed = flag;
            QTest::mouseClick(control<QWidget>(form, "Image4", right % 12 + 1), Qt::LeftButton);
        }
        if (q == 2)
            known = flag;
        if (q == 15)
            f.clock.autoAdvance = 0.01; // the rating's pauses run on the clock
        QTest::mouseClick(control<QWidget>(form, "Image4", right), Qt::LeftButton);
    }
    ASSERT_FALSE(game.playing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));

    const QByteArray afterGame = readBytes(ReviewSchedule::path(f.folder.path()));
    const ReviewSchedule::Schedule schedule = ReviewSchedule::parse(afterGame);
    EXPECT_EQ(schedule.size(), 15u);
    EXPECT_EQ(schedule.at({missed, Direction::NameToFlag}).due, day1);
    EXPECT_GT(schedule.at({known, Direction::NameToFlag}).due, day1.addDays(1));

    // The next day the missed flag is the first card of the review.
    f.clock.wallClock = f.clock.wallClock.addDays(1);
    QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
    control<QPushButton>(form, "CommandReview")->click();
    ASSERT_TRUE(f.form->dailyReview()->isVisible());
    EXPECT_EQ(f.form->dailyReview()->currentCard(), (CardKey{missed, Direction::NameToFlag}));
    // Left unfinished for another mode, the review gives the schedule nothing.
    QTest::mouseClick(menuEntry(form, "Label9"), Qt::LeftButton);
    EXPECT_FALSE(f.form->dailyReview()->isVisible());
    EXPECT_EQ(readBytes(ReviewSchedule::path(f.folder.path())), afterGame);
}
