#include "MasteryRecord.h"

#include "CodePage.h"
#include "RecordFields.h"

#include <algorithm>
#include <vector>

namespace MasteryRecord {

namespace {

constexpr int recordFields = 5;
constexpr int confusionFields = 3;

bool isFlagId(int id)
{
    return id >= lowestFlagId && id <= highestFlagId;
}

int capped(qint64 value)
{
    return static_cast<int>(std::min<qint64>(value, countLimit));
}

std::optional<int> flagIdField(QStringView field)
{
    const std::optional<int> id = RecordFields::count(field);
    if (!id || !isFlagId(*id))
        return std::nullopt;
    return id;
}

QString decoded(const QByteArray &bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? QString::fromLatin1(bytes) : CodePage::fromCp932(bytes);
}

void merge(FlagRecord &into, const FlagRecord &from)
{
    into.asked = capped(qint64(into.asked) + from.asked);
    into.rightFirstClick = capped(qint64(into.rightFirstClick) + from.rightFirstClick);
    into.misses = capped(qint64(into.misses) + from.misses);
    if (!into.lastAsked.isValid() || from.lastAsked > into.lastAsked)
        into.lastAsked = from.lastAsked;
}

void addConfusion(Record &record, std::pair<int, int> key, int times)
{
    int &stored = record.confusions[key];
    stored = capped(qint64(stored) + times);
}

void parseRecordLine(Record &record, QStringView line)
{
    const QList<QStringView> fields = line.split(u',');
    if (fields.size() != recordFields)
        return;
    const std::optional<int> id = flagIdField(fields[0]);
    const std::optional<int> asked = RecordFields::count(fields[1]);
    const std::optional<int> right = RecordFields::count(fields[2]);
    const std::optional<int> misses = RecordFields::count(fields[3]);
    const QDate last = RecordFields::date(fields[4]);
    // Every question not right at the first click had at least one miss.
    if (!id || !asked || !right || !misses || !last.isValid() || *asked < 1 || *right > *asked ||
        *misses < *asked - *right)
        return;
    merge(record.flags[*id], FlagRecord{*asked, *right, *misses, last});
}

void parseConfusionLine(Record &record, QStringView line)
{
    const QList<QStringView> fields = line.split(u',');
    if (fields.size() != confusionFields)
        return;
    const std::optional<int> asked = flagIdField(fields[0]);
    const std::optional<int> clicked = flagIdField(fields[1]);
    const std::optional<int> times = RecordFields::count(fields[2]);
    if (!asked || !clicked || !times || *asked == *clicked || *times < 1)
        return;
    addConfusion(record, {*asked, *clicked}, *times);
}

// ---- Weakest flags ----------------------------------------------------------------------------

struct Standing
{
    int flagId = 0;
    FlagRecord record;
    qint64 daysSince = 0;
};

// True when a is weaker than b.
bool weaker(const Standing &a, const Standing &b)
{
    const bool aNever = a.record.asked == 0;
    const bool bNever = b.record.asked == 0;
    if (aNever != bNever)
        return aNever;
    if (!aNever) {
        // right/asked compared without rounding.
        const qint64 aShare = qint64(a.record.rightFirstClick) * b.record.asked;
        const qint64 bShare = qint64(b.record.rightFirstClick) * a.record.asked;
        if (aShare != bShare)
            return aShare < bShare;
        if (a.daysSince != b.daysSince)
            return a.daysSince > b.daysSince;
        if (a.record.misses != b.record.misses)
            return a.record.misses > b.record.misses;
    }
    return a.flagId < b.flagId;
}

} // namespace

QString recordPath(const QString &folder)
{
    return folder + QStringLiteral("/jukuren.csv");
}

QString confusionsPath(const QString &folder)
{
    return folder + QStringLiteral("/machigai.csv");
}

// Every valid line is digits, commas and slashes, which code page 932 shares with ASCII: such
// bytes are taken as they are and written as they are, and the code page's (shared, locked)
// converter is needed only for a file that holds something else.
Record parse(const QByteArray &recordData, const QByteArray &confusionData)
{
    Record record;
    const QString flags = decoded(recordData);
    for (const QStringView line : DataFile::splitLines(flags))
        parseRecordLine(record, line);
    const QString confusions = decoded(confusionData);
    for (const QStringView line : DataFile::splitLines(confusions))
        parseConfusionLine(record, line);
    return record;
}

QByteArray recordBytes(const Record &record)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(record.flags.size()) * 24);
    for (const auto &[id, flag] : record.flags) {
        if (flag.asked < 1 || !RecordFields::isWritable(flag.lastAsked))
            continue;
        for (const int value : {id, flag.asked, flag.rightFirstClick, flag.misses}) {
            RecordFields::appendNumber(bytes, value);
            bytes += ',';
        }
        RecordFields::appendDate(bytes, flag.lastAsked);
        bytes.append(DataFile::lineEnd);
    }
    return bytes;
}

QByteArray confusionBytes(const Record &record)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(record.confusions.size()) * 12);
    for (const auto &[key, times] : record.confusions) {
        if (times < 1)
            continue;
        RecordFields::appendNumber(bytes, key.first);
        bytes += ',';
        RecordFields::appendNumber(bytes, key.second);
        bytes += ',';
        RecordFields::appendNumber(bytes, times);
        bytes.append(DataFile::lineEnd);
    }
    return bytes;
}

Record read(const QString &folder, std::optional<FileError> *error)
{
    const DataFile::Contents flags = DataFile::read(recordPath(folder));
    const DataFile::Contents confusions = DataFile::read(confusionsPath(folder));
    if (error)
        *error = flags.error ? flags.error : confusions.error;
    return parse(flags.bytes, confusions.bytes);
}

void addGame(Record &record, const GameLog &game, const QDate &today)
{
    for (const Question &question : game) {
        if (!isFlagId(question.askedFlagId))
            continue;
        int misses = 0;
        for (const int clicked : question.wrongClicks) {
            if (!isFlagId(clicked) || clicked == question.askedFlagId)
                continue;
            ++misses;
            addConfusion(record, {question.askedFlagId, clicked}, 1);
        }
        FlagRecord &flag = record.flags[question.askedFlagId];
        merge(flag, FlagRecord{1, misses == 0 ? 1 : 0, misses, QDate()});
        flag.lastAsked = today;
    }
}

std::optional<FileError> update(const QString &folder, const GameLog &game, const QDate &today)
{
    if (!RecordFields::isWritable(today))
        return FileError(FileError::Cause::InvalidDate, recordPath(folder));
    const QString flagsPath = recordPath(folder);
    const QString confusionsFile = confusionsPath(folder);
    const DataFile::Contents oldFlags = DataFile::read(flagsPath);
    if (oldFlags.error)
        return oldFlags.error;
    const DataFile::Contents oldConfusions = DataFile::read(confusionsFile);
    if (oldConfusions.error)
        return oldConfusions.error;

    Record record = parse(oldFlags.bytes, oldConfusions.bytes);
    addGame(record, game, today);
    // A file whose bytes would not change is left alone, read-only or not.
    std::vector<DataFile::Replacement> changed;
    if (QByteArray bytes = recordBytes(record); bytes != oldFlags.bytes)
        changed.push_back({flagsPath, std::move(bytes), QString()});
    if (QByteArray bytes = confusionBytes(record); bytes != oldConfusions.bytes)
        changed.push_back({confusionsFile, std::move(bytes), QString()});
    if (changed.empty())
        return std::nullopt;
    return DataFile::replaceAll(changed);
}

QString studyText(const Record &record, int flagId, const std::optional<FileError> &readError)
{
    if (readError)
        return QStringLiteral("記録を読み込めませんでした");
    const auto found = record.flags.find(flagId);
    if (found == record.flags.end() || found->second.asked < 1)
        return QStringLiteral("まだ出題されていません");
    const FlagRecord &flag = found->second;
    return QStringLiteral("出題 %1回・一発正解 %2回・ミス %3回")
        .arg(flag.asked)
        .arg(flag.rightFirstClick)
        .arg(flag.misses);
}

QList<int> weakest(const QList<int> &regionFlagIds, const Record &record, const QDate &today,
                   int count)
{
    std::vector<Standing> standings;
    std::vector<bool> seen(highestFlagId + 1, false);
    for (const int id : regionFlagIds) {
        if (!isFlagId(id) || seen[size_t(id)])
            continue;
        seen[size_t(id)] = true;
        Standing standing{id, {}, 0};
        if (const auto found = record.flags.find(id); found != record.flags.end()) {
            standing.record = found->second;
            standing.daysSince = std::max<qint64>(0, found->second.lastAsked.daysTo(today));
        }
        standings.push_back(standing);
    }
    const size_t kept = std::min(standings.size(), size_t(std::max(0, count)));
    std::partial_sort(standings.begin(), standings.begin() + qsizetype(kept), standings.end(),
                      weaker);
    QList<int> ids;
    ids.reserve(qsizetype(kept));
    for (size_t i = 0; i < kept; ++i)
        ids.append(standings[i].flagId);
    return ids;
}

QList<int> confusedWith(const Record &record, int askedFlagId)
{
    std::vector<std::pair<int, int>> found; // (times, clicked)
    for (auto it = record.confusions.lower_bound({askedFlagId, 0});
         it != record.confusions.end() && it->first.first == askedFlagId; ++it)
        found.emplace_back(it->second, it->first.second);
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<int> ids;
    for (const auto &[times, clicked] : found)
        ids.append(clicked);
    return ids;
}

} // namespace MasteryRecord
