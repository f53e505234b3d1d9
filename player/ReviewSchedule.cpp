#include "ReviewSchedule.h"

#include "Clock.h"
#include "CodePage.h"
#include "RecordFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace ReviewSchedule {

namespace {

// Lines written before the first answer's date was kept have one field less.
constexpr int oldFieldCount = 8;
constexpr int fieldCount = 9;
constexpr int significantDigits = 6;
constexpr qsizetype maxNumberLength = 16;

bool isFlagId(int id)
{
    return id >= MasteryRecord::lowestFlagId && id <= MasteryRecord::highestFlagId;
}

// The two directions as the file spells them, in code page 932.
const QByteArray &directionBytes(Direction direction)
{
    static const QByteArray nameToFlag = CodePage::toCp932(QStringLiteral("名→旗"));
    static const QByteArray flagToName = CodePage::toCp932(QStringLiteral("旗→名"));
    return direction == Direction::NameToFlag ? nameToFlag : flagToName;
}

// Digits with at most one decimal point between digits: no sign, exponent, "nan" or "inf".
std::optional<double> decimalField(QByteArrayView field)
{
    field = field.trimmed();
    if (field.isEmpty() || field.size() > maxNumberLength)
        return std::nullopt;
    const qsizetype point = field.indexOf('.');
    const qsizetype length = field.size();
    if (point == 0 || point == length - 1)
        return std::nullopt;
    for (qsizetype i = 0; i < length; ++i) {
        const char c = field[i];
        if (i != point && (c < '0' || c > '9'))
            return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

std::optional<Direction> directionField(QByteArrayView field)
{
    field = field.trimmed();
    for (const Direction d : {Direction::NameToFlag, Direction::FlagToName}) {
        if (field == directionBytes(d))
            return d;
    }
    return std::nullopt;
}

// Six significant digits, the same in every locale: fixed decimals lost the small
// stabilities' digits, and a file read back every day drifted its intervals. Every value the
// file holds (0.001 to 36500) comes out without an exponent, as the reader wants it.
void appendDecimal(QByteArray &bytes, double value)
{
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value,
                                            std::chars_format::general, significantDigits);
    if (error == std::errc())
        bytes.append(digits, end - digits);
}

// Every field but the direction is ASCII, which code page 932 shares, so a line is read from
// its bytes and only the direction is compared in the code page.
void parseLine(Schedule &schedule, QByteArrayView line)
{
    QByteArrayView fields[fieldCount];
    int count = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ',')
            continue;
        if (count == fieldCount)
            return;
        fields[count++] = line.sliced(start, i - start);
        start = i + 1;
    }
    if (count != fieldCount && count != oldFieldCount)
        return;
    const std::optional<int> id = RecordFields::count(fields[0]);
    const std::optional<Direction> direction = directionField(fields[1]);
    const std::optional<double> stability = decimalField(fields[2]);
    const std::optional<double> difficulty = decimalField(fields[3]);
    const QDate last = RecordFields::date(fields[4]);
    const QDate due = RecordFields::date(fields[5]);
    const std::optional<int> reviews = RecordFields::count(fields[6]);
    const std::optional<int> lapses = RecordFields::count(fields[7]);
    // An empty first date is one the file never knew; a date that is there must make sense.
    const bool firstKnown = count == fieldCount && !fields[8].trimmed().isEmpty();
    const QDate first = firstKnown ? RecordFields::date(fields[8]) : QDate();
    if ((firstKnown && (!first.isValid() || first > last)) || !id || !isFlagId(*id) || !direction ||
        !stability || *stability < Fsrs::minStability || *stability > Fsrs::maxStability ||
        !difficulty || *difficulty < Fsrs::minDifficulty || *difficulty > Fsrs::maxDifficulty ||
        !last.isValid() || !due.isValid() || due < last || !reviews || *reviews < 1 || !lapses ||
        *lapses > *reviews)
        return;
    const CardState state{{*stability, *difficulty}, last, due, *reviews, *lapses, first};
    const auto [it, added] = schedule.try_emplace(CardKey{*id, *direction}, state);
    if (!added && it->second.lastReview <= last)
        it->second = state;
}

CardKey otherSide(const CardKey &key)
{
    return {key.flagId,
            key.direction == Direction::NameToFlag ? Direction::FlagToName : Direction::NameToFlag};
}

} // namespace

QString path(const QString &folder)
{
    return folder + QStringLiteral("/fukushuu.csv");
}

QDate today(const Clock &clock)
{
    const QDateTime now = clock.localNow();
    return now.time().hour() < dayStartHour ? now.date().addDays(-1) : now.date();
}

qint64 msecsToNextDay(const QDateTime &now)
{
    // Counted on the clock's face, so that a change to or from summer time moves nothing.
    const QDate day = now.time().hour() < dayStartHour ? now.date() : now.date().addDays(1);
    const QDateTime next(day, QTime(dayStartHour, 0), now.timeSpec());
    return std::max<qint64>(1, now.msecsTo(next));
}

Schedule parse(const QByteArray &data)
{
    Schedule schedule;
    for (const QByteArrayView line : DataFile::splitLines(data))
        parseLine(schedule, line);
    return schedule;
}

QByteArray bytes(const Schedule &schedule)
{
    QByteArray out;
    out.reserve(qsizetype(schedule.size()) * 48);
    for (const auto &[key, state] : schedule) {
        if (!isFlagId(key.flagId) || state.reviews < 1 ||
            !RecordFields::isWritable(state.lastReview) || !RecordFields::isWritable(state.due))
            continue;
        RecordFields::appendNumber(out, key.flagId);
        out += ',';
        out += directionBytes(key.direction);
        out += ',';
        appendDecimal(out, state.memory.stability);
        out += ',';
        appendDecimal(out, state.memory.difficulty);
        out += ',';
        RecordFields::appendDate(out, state.lastReview);
        out += ',';
        RecordFields::appendDate(out, state.due);
        out += ',';
        RecordFields::appendNumber(out, state.reviews);
        out += ',';
        RecordFields::appendNumber(out, state.lapses);
        out += ',';
        if (RecordFields::isWritable(state.firstReview))
            RecordFields::appendDate(out, state.firstReview);
        out.append(DataFile::lineEnd);
    }
    return out;
}

Schedule read(const QString &folder, std::optional<FileError> *error)
{
    const DataFile::Contents contents = DataFile::read(path(folder));
    if (error)
        *error = contents.error;
    return parse(contents.bytes);
}

void answer(Schedule &schedule, const Answer &given, const QDate &today)
{
    if (!isFlagId(given.card.flagId))
        return;
    const Fsrs::Grade grade = given.rightFirstClick ? Fsrs::Grade::Good : Fsrs::Grade::Again;
    const auto found = schedule.find(given.card);
    std::optional<Fsrs::Memory> before;
    int elapsed = 0;
    if (found != schedule.end()) {
        before = found->second.memory;
        elapsed = int(
            std::clamp<qint64>(found->second.lastReview.daysTo(today), 0, Fsrs::maxIntervalDays));
    }
    CardState &state = schedule[given.card];
    state.memory = Fsrs::review(before, grade, elapsed);
    state.lastReview = today;
    if (found == schedule.end())
        state.firstReview = today;
    state.due = grade == Fsrs::Grade::Again
                    ? today
                    : today.addDays(Fsrs::intervalDays(state.memory.stability));
    state.reviews = std::min(state.reviews + 1, MasteryRecord::countLimit);
    if (grade == Fsrs::Grade::Again)
        state.lapses = std::min(state.lapses + 1, state.reviews);
}

void answerAll(Schedule &schedule, const QList<Answer> &answers, const QDate &today)
{
    for (const Answer &given : answers)
        answer(schedule, given, today);
}

QList<Answer> answersOfGame(const MasteryRecord::GameLog &game)
{
    QList<Answer> answers;
    answers.reserve(game.size());
    for (const MasteryRecord::Question &question : game) {
        if (!isFlagId(question.askedFlagId))
            continue;
        const bool missed =
            std::any_of(question.wrongClicks.begin(), question.wrongClicks.end(), [&](int clicked) {
                return isFlagId(clicked) && clicked != question.askedFlagId;
            });
        answers.append({{question.askedFlagId, Direction::NameToFlag}, !missed});
    }
    return answers;
}

std::optional<FileError> update(const QString &folder, const QList<Answer> &answers,
                                const QDate &today)
{
    const QString target = path(folder);
    if (!RecordFields::isWritable(today))
        return FileError(FileError::Cause::InvalidDate, target);
    const DataFile::Contents old = DataFile::read(target);
    if (old.error)
        return old.error;
    Schedule schedule = parse(old.bytes);
    answerAll(schedule, answers, today);
    const QByteArray written = bytes(schedule);
    if (written == old.bytes)
        return std::nullopt;
    return DataFile::replace(target, written);
}

TodaysCards todaysCards(const Schedule &schedule, const QDate &today, const QList<int> &allFlagIds,
                        const QList<int> &regionFlagIds)
{
    struct Due
    {
        CardKey key;
        bool answeredToday; // missed today and not right since: it is being learnt
        double retrievability;
        QDate due;
    };
    constexpr size_t flagSlots = MasteryRecord::highestFlagId + 1;
    // A flag is new today when each of its cards was first answered today.
    std::array<bool, flagSlots> newToday{};
    std::array<bool, flagSlots> answeredToday{};
    int newFlagsToday = 0;
    int doneToday = 0;
    for (auto it = schedule.begin(); it != schedule.end();) {
        const int id = it->first.flagId;
        bool allFirstToday = true;
        auto flagEnd = it;
        for (; flagEnd != schedule.end() && flagEnd->first.flagId == id; ++flagEnd) {
            allFirstToday = allFirstToday && flagEnd->second.firstReview == today;
            if (flagEnd->second.lastReview == today && isFlagId(id))
                answeredToday[size_t(id)] = true;
        }
        if (isFlagId(id) && allFirstToday) {
            newToday[size_t(id)] = true;
            ++newFlagsToday;
        }
        for (; it != flagEnd; ++it) {
            const CardState &state = it->second;
            if (isFlagId(id) && !newToday[size_t(id)] && state.lastReview == today &&
                state.due > today)
                ++doneToday;
        }
    }

    std::vector<Due> due;
    std::vector<CardKey> introduced;
    for (const auto &[key, state] : schedule) {
        if (!isFlagId(key.flagId))
            continue;
        if (state.due <= today)
            due.push_back(
                {key, state.lastReview == today, retrievabilityOn(state, today), state.due});
        // The other side of a flag answered right on an earlier day is its next card.
        const CardKey other = otherSide(key);
        if (!schedule.contains(other) && state.reviews > state.lapses && state.lastReview < today)
            introduced.push_back(other);
    }
    std::sort(due.begin(), due.end(), [](const Due &a, const Due &b) {
        if (a.answeredToday != b.answeredToday)
            return a.answeredToday;
        if (a.retrievability != b.retrievability)
            return a.retrievability < b.retrievability;
        if (a.due != b.due)
            return a.due < b.due;
        return a.key < b.key;
    });
    std::sort(introduced.begin(), introduced.end());

    TodaysCards result;
    QList<CardKey> &cards = result.cards;
    cards.reserve(qsizetype(due.size() + introduced.size()) + newFlagsPerDay);
    std::array<bool, flagSlots> taken{};
    int budget = maxDuePerDay - doneToday;
    const auto take = [&](const CardKey &key, bool beingLearnt) {
        const size_t id = size_t(key.flagId);
        // One side of a flag a day: the other waits for the next, keeping its place.
        if (taken[id] || (answeredToday[id] && !beingLearnt) || (!beingLearnt && budget <= 0))
            return false;
        taken[id] = true;
        cards.append(key);
        if (!newToday[id])
            --budget;
        return true;
    };
    // Every due card not taken today waits: for the day's limit or for its flag's other side.
    result.waiting = int(due.size());
    for (const Due &d : due) {
        if (take(d.key, d.answeredToday))
            --result.waiting;
    }
    for (const CardKey &key : introduced)
        take(key, false);

    int newFlags = std::max(0, newFlagsPerDay - newFlagsToday);
    std::array<bool, flagSlots> seen{};
    for (const QList<int> *list : {&regionFlagIds, &allFlagIds}) {
        for (const int id : *list) {
            if (newFlags == 0)
                return result;
            if (!isFlagId(id) || seen[size_t(id)])
                continue;
            seen[size_t(id)] = true;
            if (schedule.contains(CardKey{id, Direction::NameToFlag}) ||
                schedule.contains(CardKey{id, Direction::FlagToName}))
                continue;
            cards.append(CardKey{id, Direction::NameToFlag});
            --newFlags;
        }
    }
    return result;
}

QList<int> forecast(const Schedule &schedule, const QDate &today, int days)
{
    QList<int> counts(std::max(0, days), 0);
    for (const auto &[key, state] : schedule) {
        const qint64 offset = std::max<qint64>(1, today.daysTo(state.due)) - 1;
        if (offset < counts.size())
            ++counts[offset];
    }
    return counts;
}

NextDue nextDue(const Schedule &schedule, const QDate &today)
{
    const QDate tomorrow = today.addDays(1);
    NextDue next;
    for (const auto &[key, state] : schedule) {
        const QDate day = std::max(state.due, tomorrow);
        if (!next.day.isValid() || day < next.day)
            next = {day, 0};
        if (day == next.day)
            ++next.cards;
    }
    return next;
}

std::optional<CardState> card(const Schedule &schedule, int flagId, Direction direction)
{
    const auto found = schedule.find(CardKey{flagId, direction});
    if (found == schedule.end())
        return std::nullopt;
    return found->second;
}

std::optional<CardKey> lastMissedCard(const Schedule &schedule, int flagId)
{
    std::optional<CardKey> found;
    QDate last;
    for (const Direction d : {Direction::NameToFlag, Direction::FlagToName}) {
        const auto it = schedule.find(CardKey{flagId, d});
        if (it != schedule.end() && it->second.lapses > 0 &&
            (!found || it->second.lastReview > last)) {
            found = it->first;
            last = it->second.lastReview;
        }
    }
    return found;
}

double retrievabilityOn(const CardState &state, const QDate &day)
{
    return Fsrs::retrievability(double(state.lastReview.daysTo(day)), state.memory.stability);
}

QString todaysCountText(int cards, int waiting)
{
    if (cards <= 0)
        return QStringLiteral("復習はありません");
    if (waiting > 0)
        return QStringLiteral("今日の復習 %1枚（ほか %2枚）").arg(cards).arg(waiting);
    return QStringLiteral("今日の復習 %1枚").arg(cards);
}

QString nextDueText(const QDate &today, const QDate &day, int cards)
{
    if (today.addDays(1) == day)
        return QStringLiteral("明日 %1枚").arg(cards);
    return QStringLiteral("%1月%2日 %3枚").arg(day.month()).arg(day.day()).arg(cards);
}

QString nextReviewText(const QDate &due)
{
    return QStringLiteral("次の復習: %1月%2日").arg(due.month()).arg(due.day());
}

QString rememberedText(double retrievability)
{
    const int percent = int(std::lround(std::clamp(retrievability, 0.0, 1.0) * 100.0));
    return QStringLiteral("覚えた度: %1%").arg(percent);
}

QString cardText(const CardState &state, const QDate &today)
{
    // A card missed today waits to be asked again today; its recall "today" would read 100 %
    // just after the miss.
    if (state.due > today || state.lastReview >= today)
        return nextReviewText(state.due);
    return rememberedText(retrievabilityOn(state, today));
}

} // namespace ReviewSchedule
