#include "ReviewSchedule.h"
#include "CodePage.h"
#include "Fakes.h"
#include "ProgramFolder.h"
#include "Regions.h"
#include "ReviewDeck.h"
#include "TestFiles.h"
#include "TodaysReview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace ReviewSchedule;

namespace {

const QDate day1(2026, 12, 8);
const QDate day2(2026, 12, 9);

QByteArray cp932(const char *utf8)
{
    return CodePage::toCp932(QString::fromUtf8(utf8));
}

CardKey nameToFlag(int id)
{
    return {id, Direction::NameToFlag};
}

CardKey flagToName(int id)
{
    return {id, Direction::FlagToName};
}

CardState dueOn(const QDate &due, const QDate &last, double stability = 5.0, int reviews = 2)
{
    return {{stability, 5.0}, last, due, reviews, 0, last.addDays(-30)};
}

} // namespace

TEST(ReviewSchedule, FileKeepsValidLinesAndSkipsDamagedOnes)
{
    struct Line
    {
        const char *text;     // UTF-8 here, code page 932 in the file
        const char *readBack; // the line as written again; nullptr: skipped
    };
    const std::vector<Line> lines{
        // A line of the eight fields written before the first answer's date was kept: unknown.
        {"23,名→旗,10.9643,2.1112,2026/12/08,2026/12/19,2,0",
         "23,名→旗,10.9643,2.1112,2026/12/08,2026/12/19,2,0,"},
        {"23,旗→名,0.212,6.4133,2026/12/08,2026/12/08,1,1",
         "23,旗→名,0.212,6.4133,2026/12/08,2026/12/08,1,1,"},
        {" 5 , 旗→名 , 3 , 10 ,2026/12/01,2026/12/04 , 4,2",
         "5,旗→名,3,10,2026/12/01,2026/12/04,4,2,"},
        // Six significant digits, small stabilities included: a file read back schedules alike.
        {"12,名→旗,10.964332,2.111214,2026/12/08,2026/12/19,2,0,2026/12/06",
         "12,名→旗,10.9643,2.11121,2026/12/08,2026/12/19,2,0,2026/12/06"},
        {"12,旗→名,0.00123456,9.87654321,2026/12/08,2026/12/09,1,0, ",
         "12,旗→名,0.00123456,9.87654,2026/12/08,2026/12/09,1,0,"},
        {"13,名→旗,1.0,5.0,2026/12/08,2026/12/09,2,0,2026/12/09", nullptr}, // first after last
        {"13,旗→名,1.0,5.0,2026/12/08,2026/12/09,2,0,2026/02/30", nullptr},
        {"", nullptr},
        {"garbage", nullptr},
        {"6,名-旗,1.0,5.0,2026/12/08,2026/12/09,1,0", nullptr}, // unknown direction
        {"0,名→旗,1.0,5.0,2026/12/08,2026/12/09,1,0", nullptr}, // no such flag
        {"201,名→旗,1.0,5.0,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,-1.0,5.0,2026/12/08,2026/12/09,1,0", nullptr}, // not plain decimal
        {"6,名→旗,1e3,5.0,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,nan,5.0,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,.5,5.0,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,0.0000,5.0,2026/12/08,2026/12/09,1,0", nullptr}, // out of range
        {"6,名→旗,36500.5,5.0,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,1.0,0.9,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,1.0,10.01,2026/12/08,2026/12/09,1,0", nullptr},
        {"6,名→旗,1.0,5.0,2026/02/30,2026/12/09,1,0", nullptr}, // no such day
        {"6,名→旗,1.0,5.0,2026/12/08,2026/12/07,1,0", nullptr}, // due before the review
        {"6,名→旗,1.0,5.0,2026/12/08,2026/12/09,0,0", nullptr}, // never reviewed
        {"6,名→旗,1.0,5.0,2026/12/08,2026/12/09,1,2", nullptr}, // more lapses than reviews
        {"6,名→旗,1.0,5.0,2026/12/08,2026/12/09,1", nullptr},
        {"6,名→旗,1.0,5.0,2026/12/08,2026/12/09,1,0,0", nullptr},
        {"6,名→旗,1.0,5.0,2026/12/08,2026/12/09,1,0,2026/12/08,0", nullptr},
        // A second line of a card: the one reviewed later counts, wherever it stands.
        {"7,名→旗,4.0,5.0,2026/12/05,2026/12/09,3,0", "7,名→旗,4,5,2026/12/05,2026/12/09,3,0,"},
        {"7,名→旗,1.0,5.0,2026/11/30,2026/12/01,2,1", nullptr},
    };
    QByteArray file;
    QByteArray expected;
    for (const Line &line : lines) {
        file += cp932(line.text) + "\r\n";
        if (line.readBack)
            expected += cp932(line.readBack) + "\r\n";
    }
    // A direction written in UTF-8 by another editor is not the file's.
    file += "8,\xe5\x90\x8d\xe2\x86\x92\xe6\x97\x97,1.0,5.0,2026/12/08,2026/12/09,1,0\r\n";
    file += cp932("9,名→旗,1.0,5.0,2026/12/08,2026/12/09,1,0"); // the last line may lack its end
    expected += cp932("9,名→旗,1,5,2026/12/08,2026/12/09,1,0,\r\n");

    // Sorted by flag then direction, as written.
    const QByteArray written = bytes(parse(file));
    QList<QByteArray> expectedLines = expected.split('\n');
    QList<QByteArray> writtenLines = written.split('\n');
    std::sort(expectedLines.begin(), expectedLines.end());
    std::sort(writtenLines.begin(), writtenLines.end());
    EXPECT_EQ(writtenLines, expectedLines);
    EXPECT_TRUE(written.startsWith(cp932("5,旗→名")));
    EXPECT_EQ(bytes(parse(written)), written);
}

TEST(ReviewSchedule, GamesFeedTheScheduleAcrossDays)
{
    QTemporaryDir dir;
    // A click on the asked card itself or a question without a flag is nobody's answer.
    const MasteryRecord::GameLog game{{7, {23}}, {23, {}}, {5, {5}}, {0, {7}}};
    const QList<Answer> answers = answersOfGame(game);
    ASSERT_EQ(answers.size(), 3);
    EXPECT_FALSE(answers[0].rightFirstClick);
    EXPECT_TRUE(answers[2].rightFirstClick);
    // The player's day ends at four in the morning: a game at 03:59 is the evening's.
    FakeClock clock;
    clock.wallClock = QDateTime(day2, QTime(3, 59, 59));
    EXPECT_EQ(msecsToNextDay(clock.wallClock), 1000);
    ASSERT_FALSE(update(dir.path(), answers, today(clock)));
    EXPECT_EQ(readBytes(path(dir.path())),
              cp932("5,名→旗,2.3065,2.1181,2026/12/08,2026/12/10,1,0,2026/12/08\r\n"
                    "7,名→旗,0.212,6.4133,2026/12/08,2026/12/08,1,1,2026/12/08\r\n"
                    "23,名→旗,2.3065,2.1181,2026/12/08,2026/12/10,1,0,2026/12/08\r\n"));

    // The flag missed on day 1 is due on day 2; the 旗→名 cards of those answered right come
    // in; the one missed has its 旗→名 card only once its 名→旗 was right.
    const Schedule schedule = read(dir.path());
    clock.wallClock = QDateTime(day2, QTime(4, 0, 0));
    EXPECT_EQ(todaysCards(schedule, today(clock), {5, 7, 23}).cards,
              (QList<CardKey>{nameToFlag(7), flagToName(5), flagToName(23)}));
    EXPECT_EQ(forecast(schedule, day2, 3), (QList<int>{3, 0, 0}));

    // Nothing changes: nothing is written, so a read-only file is no error.
    const QString file = path(dir.path());
    const QByteArray before = readBytes(file);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    EXPECT_FALSE(update(dir.path(), {}, day2));
    const std::optional<FileError> refused = update(dir.path(), {{nameToFlag(7), true}}, day2);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->cause(), FileError::Cause::WriteNotPermitted);
    EXPECT_EQ(readBytes(file), before);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

    EXPECT_TRUE(update(dir.path(), answers, QDate()));
    EXPECT_EQ(readBytes(file), before);
    EXPECT_TRUE(update(QStringLiteral("/nonexistent/furamio"), answers, day2));

    // A folder the file cannot be replaced in keeps it whole and leaves no scratch file.
    if (::geteuid() != 0) {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_TRUE(update(dir.path(), {{nameToFlag(7), true}}, day2));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(readBytes(file), before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"fukushuu.csv"});
}

TEST(ReviewSchedule, TodaysCardsForecastAndTexts)
{
    Schedule schedule;
    schedule[nameToFlag(3)] = dueOn(day2, day1.addDays(-4));      // due today
    schedule[flagToName(4)] = dueOn(day1, day1.addDays(-10));     // overdue
    schedule[nameToFlag(5)] = dueOn(day2, day1.addDays(-4), 1.0); // due, recalled less
    schedule[nameToFlag(6)] = dueOn(day2.addDays(1), day1);       // tomorrow
    schedule[flagToName(6)] = dueOn(day2.addDays(3), day1);
    // Started today: a first answer missed and then right (its new flag is one of today's ten).
    schedule[nameToFlag(8)] = CardState{{0.25, 6.4}, day2, day2.addDays(1), 2, 1, day2};
    // Both sides due: one waits for the next day.
    schedule[flagToName(3)] = dueOn(day2, day1.addDays(-4));

    QList<int> world;
    for (int id = 1; id <= 30; ++id)
        world.append(id);
    const TodaysCards today = todaysCards(schedule, day2, world, {20, 21, 20, 0, 999});
    ASSERT_GE(today.cards.size(), 3);
    EXPECT_EQ(today.waiting, 1); // 3 旗→名, for the next day
    // The least likely recalled first (0.76, 0.84, 0.90).
    EXPECT_EQ(today.cards.mid(0, 3), (QList<CardKey>{nameToFlag(5), flagToName(4), nameToFlag(3)}));
    // Nine new flags (8 was new today), the region's first, 名→旗 only.
    EXPECT_EQ(today.cards.mid(3), (QList<CardKey>{nameToFlag(20), nameToFlag(21), nameToFlag(1),
                                                  nameToFlag(2), nameToFlag(7), nameToFlag(9),
                                                  nameToFlag(10), nameToFlag(11), nameToFlag(12)}));
    EXPECT_EQ(todaysCards({}, day2, world).cards.size(), newFlagsPerDay);

    EXPECT_EQ(forecast(schedule, day2, 7), (QList<int>{6, 0, 1, 0, 0, 0, 0}));
    const NextDue next = nextDue(schedule, day2);
    EXPECT_EQ(next.day, day2.addDays(1));
    EXPECT_EQ(next.cards, 6);

    const CardState known = *card(schedule, 6, Direction::FlagToName);
    EXPECT_FALSE(card(schedule, 6, Direction::NameToFlag) == std::nullopt);
    EXPECT_EQ(card(schedule, 9, Direction::NameToFlag), std::nullopt);
    EXPECT_EQ(lastMissedCard(schedule, 8), nameToFlag(8));
    EXPECT_EQ(lastMissedCard(schedule, 3), std::nullopt); // asked, never missed
    schedule[flagToName(8)] = CardState{{0.2, 6.4}, day1, day1, 1, 1, day1};
    EXPECT_EQ(lastMissedCard(schedule, 8), nameToFlag(8));
    schedule[flagToName(8)].lastReview = day2;
    EXPECT_EQ(lastMissedCard(schedule, 8), nameToFlag(8)); // same day: 名→旗
    schedule[nameToFlag(8)].lastReview = day1;
    EXPECT_EQ(lastMissedCard(schedule, 8), flagToName(8));
    schedule.erase(flagToName(8));
    schedule[nameToFlag(8)].lastReview = day2;
    const std::vector<std::pair<QString, QString>> texts{
        {todaysCountText(23), QStringLiteral("今日の復習 23枚")},
        {todaysCountText(0), QStringLiteral("復習はありません")},
        {todaysCountText(100, 283), QStringLiteral("今日の復習 100枚（ほか 283枚）")},
        {nextDueText(day2, day2.addDays(1), 12), QStringLiteral("明日 12枚")},
        {nextDueText(day2, QDate(2026, 12, 15), 3), QStringLiteral("12月15日 3枚")},
        {nextReviewText(QDate(2026, 12, 15)), QStringLiteral("次の復習: 12月15日")},
        {rememberedText(0.9151), QStringLiteral("覚えた度: 92%")},
        {rememberedText(1.2), QStringLiteral("覚えた度: 100%")},
        {cardText(known, day2), QStringLiteral("次の復習: 12月12日")},
        // Missed today: asked again today, not "100 %" remembered.
        {cardText(CardState{{0.2, 6.4}, day2, day2, 3, 2, day2}, day2), nextReviewText(day2)},
        // Overdue by a day: 5 days after a review of stability 5 is 90 %, 6 days a little less.
        {cardText(*card(schedule, 3, Direction::NameToFlag), day2.addDays(1)),
         QStringLiteral("覚えた度: 89%")},
    };
    for (const auto &[made, wanted] : texts) {
        EXPECT_EQ(made, wanted);
    }

    // Past tomorrow, the next day that holds any card.
    schedule.erase(schedule.begin(), schedule.find(flagToName(6)));
    schedule.erase(nameToFlag(8));
    EXPECT_EQ(nextDue(schedule, day2).day, day2.addDays(3));
    EXPECT_EQ(nextDue({}, day2).cards, 0);
}

TEST(ReviewSchedule, AMissInTheReviewComesBackLaterTheSameDay)
{
    const CardKey a = nameToFlag(1);
    const CardKey b = flagToName(2);
    const CardKey c = nameToFlag(3);
    TodaysReview review({a, b, c, a});
    EXPECT_EQ(review.cardCount(), 3);

    QList<CardKey> asked;
    QList<int> positions;
    // a is missed twice: after three others or at the end when fewer are left.
    for (const bool right : {false, true, true, false, true}) {
        ASSERT_FALSE(review.finished());
        asked.append(review.current());
        positions.append(review.position());
        review.answer(right);
    }
    EXPECT_TRUE(review.finished());
    EXPECT_EQ(asked, (QList<CardKey>{a, b, c, a, a}));
    // "n / 3": a repeat is not a card of its own.
    EXPECT_EQ(positions, (QList<int>{1, 2, 3, 3, 3}));
    EXPECT_EQ(review.rightFirstTime(), 2);
    ASSERT_EQ(review.answers().size(), 5);

    // The repeats are same-day reviews: a ends due tomorrow at the same-day stability.
    Schedule schedule;
    answerAll(schedule, review.answers(), day1);
    const CardState state = *card(schedule, 1, Direction::NameToFlag);
    EXPECT_EQ(state.reviews, 3);
    EXPECT_EQ(state.lapses, 2);
    EXPECT_EQ(state.due, day1.addDays(1));
    EXPECT_LT(state.memory.stability, Fsrs::initialStability(Fsrs::Grade::Again));
}

// The deck reads each region's list once, yet every region leads with its own new flags; a
// world list too short for a board lays out nothing.
TEST(ReviewSchedule, TheDeckLeadsEachRegionWithItsOwnNewFlags)
{
    ProgramFolder folder(30); // region r holds the flags whose ID leaves r when divided by 4
    ReviewDeck deck(folder.path());
    deck.prepare({}, day1);
    for (const auto &[region, first] : {std::pair{0, 4}, {2, 2}, {0, 4}, {4, 1}}) {
        SCOPED_TRACE(region);
        const QString key = Regions::at(region).key;
        EXPECT_EQ(deck.cards(key).cards.value(0), nameToFlag(first));
        ASSERT_TRUE(deck.rows(key));
        EXPECT_EQ(deck.rows(key)->cardsOn({}, day1).cards.value(0), nameToFlag(first));
    }
    ProgramFolder small(11);
    ReviewDeck tooSmall(small.path());
    tooSmall.prepare({}, day1);
    EXPECT_TRUE(tooSmall.cards(Regions::at(0).key).cards.isEmpty());
    EXPECT_FALSE(tooSmall.rows(Regions::at(0).key));
}
