#include "ScoreHistogram.h"

#include <cmath>

namespace ScoreHistogram {

namespace {

__extension__ typedef __int128 Wide;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

long long isqrt(long long value)
{
    if (value <= 0)
        return 0;
    auto root = static_cast<long long>(std::sqrt(static_cast<long double>(value)));
    while (root > 0 && static_cast<Wide>(root) * root > value)
        --root;
    while (static_cast<Wide>(root + 1) * (root + 1) <= value)
        ++root;
    return root;
}

} // namespace

Reading read(QStringView reply)
{
    Reading reading;
    const qsizetype n = reply.size();
    qsizetype i = 0;
    while (i < n && reading.numbersFound < scores) {
        if (!isDigit(reply[i])) {
            ++i;
            continue;
        }
        long long value = 0;
        bool tooLarge = false;
        for (; i < n && isDigit(reply[i]); ++i) {
            if (tooLarge)
                continue;
            value = value * 10 + (reply[i].unicode() - u'0');
            if (value > countLimit)
                tooLarge = true;
        }
        ++reading.numbersFound;
        reading.counts[static_cast<size_t>(reading.numbersFound)] = tooLarge ? 0 : value;
        reading.countTooLarge = reading.countTooLarge || tooLarge;
    }
    return reading;
}

QByteArray scratchText(QStringView reply)
{
    QByteArray text;
    const qsizetype n = reply.size();
    qsizetype i = 0;
    while (i < n) {
        if (!isDigit(reply[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n && isDigit(reply[i]))
            ++i;
        text += reply.mid(start, i - start).toLatin1();
        text += "\r\n";
    }
    return text;
}

Rating rate(const Reading &reading, double playerScore)
{
    Rating rating;
    if (!reading.complete())
        return rating;

    long long total = 0;
    long long sum = 0;
    long long rank = 1;
    for (int i = 1; i <= scores; ++i) {
        const long long n = reading.counts[static_cast<size_t>(i)];
        if (n == 0)
            continue;
        total += n;
        sum += n * i;
        if (i > playerScore)
            rank += n;
    }
    rating.total = total;
    rating.rank = rank > total ? total : rank;
    if (total == 0)
        return rating;

    const long long mean = sum / total;
    rating.mean = mean;
    Wide spread = 0;
    for (int i = 1; i <= scores; ++i) {
        const long long n = reading.counts[static_cast<size_t>(i)];
        if (n != 0)
            spread += static_cast<Wide>(n) * (i - mean) * (i - mean);
    }
    const auto variance = static_cast<long long>(spread / total);
    const long long deviation = isqrt(variance);
    rating.standardDeviation = deviation;
    if (deviation == 0)
        return rating;

    const double steps = std::floor(10.0 * std::fabs(playerScore - static_cast<double>(mean)) /
                                    static_cast<double>(deviation));
    const long long whole = steps > 1e15 ? 1'000'000'000'000'000LL : static_cast<long long>(steps);
    rating.deviationScore = playerScore > static_cast<double>(mean) ? 50 + whole : 50 - whole;
    return rating;
}

} // namespace ScoreHistogram
