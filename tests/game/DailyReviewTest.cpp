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

#include <functional>

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

TEST(DailyReview, PlayedWithKeysBothWaysAMissComesBackAndEachAnswerIsKept)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl(), worldRows);
    // Every card started and due later, but two: 11 名→旗 overdue since yesterday, 12 旗→名
    // due today.
    ReviewSchedule::Schedule schedule;
    for (int id = 1; id <= worldRows; ++id)
        for (Direction d : {Direction::NameToFlag, Direction::FlagToName})
            schedule[{id, d}] = {{10.0, 5.0}, day1.addDays(-3), day1.addDays(14), 1, 0, {}};
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
    EXPECT_EQ(f.messages.asked,
              QStringList{"復習を中断しますか？\nここまでの答えは保存されています。"});
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
    // A double click answers once: no button of the learning card lies where a name was, and
    // a click within the double-click time of the page's change moves nothing on.
    for (int k = 1; k <= 12; ++k) {
        const QRect place = control<QWidget>(form, "ReviewName", k)->geometry();
        EXPECT_FALSE(qobject_cast<QPushButton *>(review->childAt(place.center()))) << k;
    }
    QTest::mouseClick(control<QWidget>(form, "ReviewNext"), Qt::LeftButton);
    EXPECT_EQ(review->page(), DailyReviewPanel::Page::Learning);
    f.clock.seconds += 1.0;
    press(Qt::Key_Space);

    // The miss comes back before the end, picked with the arrows over the flags; it is no new
    // card of the count.
    ASSERT_EQ(review->currentCard(), (CardKey{11, Direction::NameToFlag}));
    EXPECT_TRUE(text(form, "ReviewProgress").startsWith("名→旗　2 / 2　"))
        << text(form, "ReviewProgress").toStdString();
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

    // The schedule and the record of each flag were written: three answers, one a lapse. No
    // results line, nothing asked of our server beyond the start-up's notice.
    const ReviewSchedule::Schedule after = ReviewSchedule::read(f.folder.path());
    EXPECT_EQ(after.at({11, Direction::NameToFlag}).reviews, 3);
    EXPECT_EQ(after.at({11, Direction::NameToFlag}).lapses, 1);
    EXPECT_EQ(after.at({12, Direction::FlagToName}).reviews, 2);
    EXPECT_EQ(after.at({12, Direction::FlagToName}).lapses, 0);
    EXPECT_TRUE(QDir(f.folder.path()).entryList({"seiseki*"}).isEmpty());
    const MasteryRecord::Record record = MasteryRecord::read(f.folder.path());
    EXPECT_EQ(record.flags.at(11).asked, 2);
    EXPECT_EQ(record.flags.at(11).misses, 1);
    EXPECT_EQ(record.flags.at(12).rightFirstClick, 1);
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
    // The button counts the game's answers at once: its new flags fill the day, and the miss is
    // due again.
    EXPECT_EQ(control<QPushButton>(form, "CommandReview")->text(), "今日の復習 1枚");

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

namespace {

// Every flag of a world of `rows` asked both ways, due in two weeks; `change` then sets the
// cards a case is about.
ReviewSchedule::Schedule everyFlagKnown(int rows)
{
    ReviewSchedule::Schedule schedule;
    for (int id = 1; id <= rows; ++id)
        for (Direction d : {Direction::NameToFlag, Direction::FlagToName})
            schedule[{id, d}] = {{10.0, 5.0}, day1.addDays(-3), day1.addDays(14), 2, 0, {}};
    return schedule;
}

// The day's review as the player plays it by keys, from the game panel: each card right but
// those of `missed` (at their first showing), until `answers` are given or the end is reached.
void playReview(MainWindowFixture &f, int answers = 1'000, const QList<int> &missed = {})
{
    DailyReviewPanel *review = f.form->dailyReview();
    QList<int> seen;
    for (int given = 0; given < answers && review->page() != DailyReviewPanel::Page::End;) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        if (review->page() == DailyReviewPanel::Page::Learning) {
            QTest::keyClick(focus, Qt::Key_Return);
            continue;
        }
        const int flag = review->currentCard()->flagId;
        const int right = review->board()->answerPosition();
        const bool miss = missed.contains(flag) && !seen.contains(flag);
        seen.append(flag);
        QTest::keyClick(focus, static_cast<Qt::Key>(keyOf(miss ? right % 12 + 1 : right)));
        ++given;
    }
}

// Flags with both sides answered on `day`: the day's review asks one side of a flag a day.
QList<int> bothSidesAnswered(const ReviewSchedule::Schedule &schedule, const QDate &day)
{
    QList<int> both;
    for (const auto &[key, state] : schedule) {
        const auto other = ReviewSchedule::card(schedule, key.flagId, Direction::FlagToName);
        if (key.direction == Direction::NameToFlag && state.lastReview == day && other &&
            other->lastReview == day)
            both.append(key.flagId);
    }
    return both;
}

} // namespace

TEST(DailyReview, LeftAfterThreeAnswersTheyAreKeptWhicheverWayAndTheMapShowsTheMiss)
{
    struct Way
    {
        const char *name;
        std::function<void(QWidget *form)> leave;
    };
    const Way ways[] = {
        {"やめる",
         [](QWidget *form) {
             QWidget *back = control<QWidget>(form, "ReviewBack");
             back->setFocus();
             QTest::keyClick(back, Qt::Key_Space);
         }},
        {"Esc", [](QWidget *) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
        {"a menu entry",
         [](QWidget *form) { QTest::mouseClick(menuEntry(form, "Label10"), Qt::LeftButton); }},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        LoopbackServer http = LoopbackServer::quietGameServer();
        MainWindowFixture f(http.baseUrl(), worldRows);
        ReviewSchedule::Schedule schedule = everyFlagKnown(worldRows);
        for (int id = 1; id <= 5; ++id)
            schedule[{id, Direction::NameToFlag}].due = day1.addDays(-1);
        writeBytes(ReviewSchedule::path(f.folder.path()), ReviewSchedule::bytes(schedule));
        ASSERT_TRUE(f.form->load());
        QWidget *form = f.form.get();
        QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
        control<QPushButton>(form, "CommandReview")->click();
        ASSERT_TRUE(f.form->dailyReview()->isVisible());
        // The first is missed; the third answer's learning card is on show when the player leaves.
        const int first = f.form->dailyReview()->currentCard()->flagId;
        playReview(f, 3, {first});
        way.leave(form);
        ASSERT_FALSE(f.form->dailyReview()->isVisible());
        EXPECT_EQ(f.messages.asked.value(0),
                  "復習を中断しますか？\nここまでの答えは保存されています。");

        const ReviewSchedule::Schedule after = ReviewSchedule::read(f.folder.path());
        int answered = 0;
        for (int id = 1; id <= 5; ++id)
            answered += after.at({id, Direction::NameToFlag}).lastReview == day1 ? 1 : 0;
        EXPECT_EQ(answered, 3);
        EXPECT_EQ(after.at({first, Direction::NameToFlag}).lapses, 1);
        EXPECT_EQ(MasteryRecord::read(f.folder.path()).flags.size(), 3u);

        // Missed at its last answer, the flag is still being learnt on the map, and says so by
        // the legend's word.
        f.form->openWorldMap();
        f.form->worldMap()->selectCountry(first);
        EXPECT_EQ(control<QLabel>(f.form->worldMap(), "LabelName")->text().section('\n', 1),
                  "覚えている途中");
        f.form->worldMap()->hide();
    }
}

TEST(DailyReview, ADayAsksOneSideOfAFlagAndAtMostItsLimitAndAPileDrains)
{
    struct Case
    {
        const char *what;
        int rows;
        int dueFlags; // flags 1.. with both sides due, overdue by `overdue` days
        int overdue;
        QString firstDay; // the button before the review, then the next day's
        QString nextDay;
    };
    const Case cases[] = {
        {"both sides of 20 flags due", worldRows, 20, 1, "今日の復習 20枚（ほか 20枚）",
         "今日の復習 20枚"},
        {"396 cards overdue by 30 days", 198, 198, 30, "今日の復習 100枚（ほか 296枚）",
         "今日の復習 100枚（ほか 196枚）"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        LoopbackServer http = LoopbackServer::quietGameServer();
        MainWindowFixture f(http.baseUrl(), c.rows);
        ReviewSchedule::Schedule schedule = everyFlagKnown(c.rows);
        for (int id = 1; id <= c.dueFlags; ++id)
            for (Direction d : {Direction::NameToFlag, Direction::FlagToName})
                schedule[{id, d}] = {
                    {10.0, 5.0}, day1.addDays(-10 - c.overdue), day1.addDays(-c.overdue), 2, 0, {}};
        writeBytes(ReviewSchedule::path(f.folder.path()), ReviewSchedule::bytes(schedule));
        ASSERT_TRUE(f.form->load());
        QWidget *form = f.form.get();
        auto *start = control<QPushButton>(form, "CommandReview");
        QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
        EXPECT_EQ(start->text(), c.firstDay);
        start->click();
        playReview(f);
        ASSERT_EQ(f.form->dailyReview()->page(), DailyReviewPanel::Page::End);
        EXPECT_EQ(bothSidesAnswered(ReviewSchedule::read(f.folder.path()), day1), QList<int>{});
        // The end tells what tomorrow's button will say.
        const QString tomorrow =
            c.nextDay.section(QStringLiteral("今日の復習 "), 1).section(u'（', 0, 0);
        EXPECT_TRUE(text(form, "ReviewEnd").endsWith("次の復習：明日 " + tomorrow))
            << text(form, "ReviewEnd").toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(start->text(), "復習はありません");

        f.clock.wallClock = f.clock.wallClock.addDays(1);
        QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
        EXPECT_EQ(start->text(), c.nextDay);
    }
}

TEST(DailyReview, AReviewPastMidnightIsTheEveningsAndTheButtonCountsAgainAtFour)
{
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f(http.baseUrl(), worldRows);
    ReviewSchedule::Schedule schedule = everyFlagKnown(worldRows);
    for (int id = 1; id <= 3; ++id)
        schedule[{id, Direction::NameToFlag}].due = day1;
    schedule[{4, Direction::NameToFlag}].due = day1.addDays(1);
    writeBytes(ReviewSchedule::path(f.folder.path()), ReviewSchedule::bytes(schedule));
    f.clock.wallClock = QDateTime(day1, QTime(23, 50));
    ASSERT_TRUE(f.form->load());
    QWidget *form = f.form.get();
    auto *start = control<QPushButton>(form, "CommandReview");
    QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
    EXPECT_EQ(start->text(), "今日の復習 3枚");
    start->click();
    playReview(f, 2);
    f.clock.wallClock = QDateTime(day1.addDays(1), QTime(0, 10));
    playReview(f);
    ASSERT_EQ(f.form->dailyReview()->page(), DailyReviewPanel::Page::End);
    // Card 4 is due on the next day of the player, which has not begun.
    EXPECT_TRUE(text(form, "ReviewEnd").endsWith("次の復習：明日 1枚"));
    const ReviewSchedule::Schedule after = ReviewSchedule::read(f.folder.path());
    for (int id = 1; id <= 3; ++id) {
        EXPECT_EQ(after.at({id, Direction::NameToFlag}).lastReview, day1) << id;
        EXPECT_EQ(MasteryRecord::read(f.folder.path()).flags.at(id).lastAsked, day1) << id;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(start->text(), "復習はありません");

    // Left open, the button counts again when the player's day changes at four.
    f.clock.wallClock = QDateTime(day1.addDays(1), QTime(3, 59, 59, 800));
    QTest::mouseClick(menuEntry(form, "Label11"), Qt::LeftButton);
    f.clock.wallClock = QDateTime(day1.addDays(1), QTime(4, 0, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return start->text() == "今日の復習 1枚"; }, 10'000))
        << start->text().toStdString();
}
