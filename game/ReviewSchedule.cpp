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

constexpr int fieldCount = 8;
constexpr int decimals = 4;
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

// Fixed decimals, the same in every locale; the shortest form would make a file that changes
// its look with each value.
void appendDecimal(QByteArray &bytes, double value)
{
    char digits[32];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
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
    if (count != fieldCount)
        return;
    const std::optional<int> id = RecordFields::count(fields[0]);
    const std::optional<Direction> direction = directionField(fields[1]);
    const std::optional<double> stability = decimalField(fields[2]);
    const std::optional<double> difficulty = decimalField(fields[3]);
    const QDate last = RecordFields::date(fields[4]);
    const QDate due = RecordFields::date(fields[5]);
    const std::optional<int> reviews = RecordFields::count(fields[6]);
    const std::optional<int> lapses = RecordFields::count(fields[7]);
    if (!id || !isFlagId(*id) || !direction || !stability || *stability < Fsrs::minStability ||
        *stability > Fsrs::maxStability || !difficulty || *difficulty < Fsrs::minDifficulty ||
        *difficulty > Fsrs::maxDifficulty || !last.isValid() || !due.isValid() || due < last ||
        !reviews || *reviews < 1 || !lapses || *lapses > *reviews)
        return;
    const CardState state{{*stability, *difficulty}, last, due, *reviews, *lapses};
    const auto [it, added] = schedule.try_emplace(CardKey{*id, *direction}, state);
    if (!added && it->second.lastReview <= last)
        it->second = state;
}

bool startedOn(const CardState &state, const QDate &day)
{
    // The file keeps no first date: a card whose every review but one was a miss, last on
    // `day`, is taken as started that day (a first answer and its same-day repeats).
    return state.lastReview == day && state.reviews - state.lapses <= 1;
}

} // namespace

QString path(const QString &folder)
{
    return folder + QStringLiteral("/fukushuu.csv");
}

QDate today(const Clock &clock)
{
    return clock.localNow().date();
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

QList<CardKey> todaysCards(const Schedule &schedule, const QDate &today,
                           const QList<int> &allFlagIds, const QList<int> &regionFlagIds)
{
    struct Due
    {
        CardKey key;
        QDate due;
        double retrievability;
    };
    std::vector<Due> due;
    int startedToday = 0;
    int lastStartedFlag = 0;
    for (const auto &[key, state] : schedule) {
        if (state.due <= today)
            due.push_back({key, state.due, retrievabilityOn(state, today)});
        // Both cards of one flag started today are one new flag.
        if (startedOn(state, today) && key.flagId != lastStartedFlag) {
            ++startedToday;
            lastStartedFlag = key.flagId;
        }
    }
    std::sort(due.begin(), due.end(), [](const Due &a, const Due &b) {
        if (a.due != b.due)
            return a.due < b.due;
        if (a.retrievability != b.retrievability)
            return a.retrievability < b.retrievability;
        return a.key < b.key;
    });
    QList<CardKey> cards;
    cards.reserve(qsizetype(due.size()) + 2 * newFlagsPerDay);
    for (const Due &d : due)
        cards.append(d.key);

    int newFlags = std::max(0, newFlagsPerDay - startedToday);
    std::array<bool, MasteryRecord::highestFlagId + 1> seen{};
    for (const QList<int> *list : {&regionFlagIds, &allFlagIds}) {
        for (const int id : *list) {
            if (newFlags == 0)
                return cards;
            if (!isFlagId(id) || seen[size_t(id)])
                continue;
            seen[size_t(id)] = true;
            bool added = false;
            for (const Direction d : {Direction::NameToFlag, Direction::FlagToName}) {
                if (!schedule.contains(CardKey{id, d})) {
                    cards.append(CardKey{id, d});
                    added = true;
                }
            }
            if (added)
                --newFlags;
        }
    }
    return cards;
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

QString todaysCountText(int cards)
{
    if (cards <= 0)
        return QStringLiteral("復習はありません");
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
