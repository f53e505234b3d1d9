#include "ScoreHistogram.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <map>

using namespace ScoreHistogram;

namespace {

// The server's reply: 500 lines, the i-th the count of score i.
QString histogram(const std::map<int, long long> &counts, const QString &separator = "\r\n")
{
    QStringList lines;
    for (int i = 1; i <= scores; ++i) {
        const auto found = counts.find(i);
        lines << QString::number(found == counts.end() ? 0 : found->second);
    }
    return lines.join(separator) + separator;
}

} // namespace

TEST(ScoreHistogram, TheWorkedExample)
{
    const Rating rating = rate(read(histogram({{200, 3}, {300, 5}, {400, 2}})), 295);
    ASSERT_FALSE(rating.failed());
    EXPECT_EQ(*rating.total, 10);
    EXPECT_EQ(*rating.mean, 290);
    EXPECT_EQ(*rating.rank, 8);
    EXPECT_EQ(*rating.standardDeviation, 70);
    EXPECT_EQ(*rating.deviationScore, 50);
}

TEST(ScoreHistogram, RankRunsFromOneToTheNumberOfPlayers)
{
    const Reading reading = read(histogram({{200, 3}, {300, 5}, {400, 2}}));
    EXPECT_EQ(*rate(reading, 500).rank, 1);
    EXPECT_EQ(*rate(reading, 400).rank, 1); // nobody above
    EXPECT_EQ(*rate(reading, 0).rank, 10);  // not 11
    EXPECT_EQ(*rate(reading, 1).rank, 10);
}

TEST(ScoreHistogram, TenPointsForEachStandardDeviation)
{
    // One player on 100 and one on 300: mean 200, standard deviation 100.
    const Reading reading = read(histogram({{100, 1}, {300, 1}}));
    EXPECT_EQ(*rate(reading, 200).deviationScore, 50);
    EXPECT_EQ(*rate(reading, 100).deviationScore, 40);
    EXPECT_EQ(*rate(reading, 300).deviationScore, 60);
    EXPECT_EQ(*rate(reading, 0).deviationScore, 30);
    EXPECT_EQ(*rate(reading, 199.5).deviationScore, 50); // a twentieth of one, rounded down
}

TEST(ScoreHistogram, FiguresThatCannotBeWorkedOutStayEmpty)
{
    // Everybody on one score: no spread, so no deviation score.
    Rating rating = rate(read(histogram({{250, 7}})), 100);
    EXPECT_TRUE(rating.failed());
    EXPECT_EQ(*rating.total, 7);
    EXPECT_EQ(*rating.mean, 250);
    EXPECT_FALSE(rating.deviationScore);

    // Nobody counted yet: no mean.
    rating = rate(read(histogram({})), 100);
    EXPECT_TRUE(rating.failed());
    EXPECT_EQ(*rating.total, 0);
    EXPECT_FALSE(rating.mean);

    // No reply, or too short a reply, is no histogram at all.
    for (const QString &reply : {QString(), QString("no digits here"), QString("1,2,3")}) {
        rating = rate(read(reply), 100);
        EXPECT_FALSE(rating.total) << reply.toStdString();
        EXPECT_FALSE(rating.mean);
    }
}

TEST(ScoreHistogram, AnyTextIsReadWithoutOverflow)
{
    // Any non-digit separates, a last run without an end still counts, later numbers are left.
    QString reply = histogram({{500, 4}}, QStringLiteral("、x "));
    reply.chop(3);
    reply += QStringLiteral(" 99999999999999999999999999999999 7");
    Reading reading = read(reply);
    EXPECT_TRUE(reading.complete());
    EXPECT_EQ(reading.counts[500], 4);

    // A digit run too long for any count inside the 500 spoils the histogram, quietly.
    reply = QString(100000, QLatin1Char('9')) + histogram({{10, 1}});
    reading = read(reply);
    EXPECT_TRUE(reading.countTooLarge);
    EXPECT_FALSE(rate(reading, 10).total);

    // Megabytes of reply are read only as far as the 500 numbers.
    reply = histogram({{1, 2}}).repeated(500);
    reading = read(reply);
    EXPECT_TRUE(reading.complete());
    EXPECT_EQ(*rate(reading, 1).total, 2);

    // The largest counts that are still counts do not overflow the sums.
    std::map<int, long long> many;
    for (int i = 1; i <= scores; ++i)
        many[i] = countLimit;
    const Rating rating = rate(read(histogram(many)), 250);
    EXPECT_EQ(*rating.total, 500 * countLimit);
    EXPECT_EQ(*rating.mean, 250);
    EXPECT_EQ(*rating.standardDeviation, 144);
}

TEST(ScoreHistogram, TheScratchFileHoldsOneDigitRunPerLine)
{
    EXPECT_EQ(scratchText(u"3,0\r\n12x7"), QByteArray("3\r\n0\r\n12\r\n7\r\n"));
    EXPECT_EQ(scratchText(u""), QByteArray());
    EXPECT_EQ(scratchText(u"abc"), QByteArray());
}
