#include "PlayerData.h"

#include "DataFolder.h"

#include <QDir>
#include <QFile>

PlayerData::PlayerData(QString folder, const Clock &clock, Tell tell)
    : m_folder(std::move(folder)), m_clock(clock), m_tell(std::move(tell))
{
}

bool PlayerData::checkFolder()
{
    if (DataFolder::canCreateFilesIn(m_folder))
        return true;
    m_folderRefused = true;
    m_tell(QStringLiteral("次のフォルダーに書き込めないため、成績と記録は保存されません。"
                          "ゲームと全国偏差値はこのまま使えます。\n%1")
               .arg(QDir::toNativeSeparators(m_folder)));
    return false;
}

bool PlayerData::shouldTell(File file, const FileError &error)
{
    // Files that change together and now disagree: each time it happens the player hears which
    // one kept what.
    if (error.cause() == FileError::Cause::PutBackFailed)
        return true;
    // A folder that refuses a save refuses the next one the same way; the player hears it once.
    if (m_folderRefused)
        return false;
    return m_told.insert({file, error.cause()}).second;
}

void PlayerData::tellFailure(File file, const FileError &error, const QString &what,
                             const QString &path)
{
    if (shouldTell(file, error))
        m_tell(what + QStringLiteral("\n%1\n%2").arg(path, error.message()));
}

ResultsFile::ReadResult PlayerData::results(const QString &regionKey) const
{
    return ResultsFile::read(ResultsFile::path(m_folder, regionKey));
}

void PlayerData::addResult(const QString &regionKey, const QString &line)
{
    if (const std::optional<FileError> error = ResultsFile::append(m_folder, regionKey, line))
        tellFailure(File::Results, *error, QStringLiteral("成績を記録できませんでした。"),
                    ResultsFile::path(m_folder, regionKey));
}

bool PlayerData::removeResult(const QString &regionKey, const PastGame &game)
{
    const std::optional<FileError> error = ResultsFile::removeGame(m_folder, regionKey, game);
    if (!error)
        return true;
    // The player asked for it: the answer is told every time.
    m_tell(QStringLiteral("記録を削除できませんでした。") + error->message() +
           QStringLiteral("記録は元のままです。"));
    return false;
}

MasteryRecord::Record PlayerData::record(std::optional<FileError> *error) const
{
    return MasteryRecord::read(m_folder, error);
}

ReviewSchedule::Schedule PlayerData::schedule(std::optional<FileError> *error) const
{
    return ReviewSchedule::read(m_folder, error);
}

void PlayerData::recordGame(const MasteryRecord::GameLog &game)
{
    const QDate today = ReviewSchedule::today(m_clock);
    // The schedule is one file of its own: it fails or succeeds apart from the record.
    if (const std::optional<FileError> error =
            ReviewSchedule::update(m_folder, ReviewSchedule::answersOfGame(game), today))
        tellFailure(File::Schedule, *error, QStringLiteral("復習の予定を保存できませんでした。"),
                    error->path());
    if (const std::optional<FileError> error = MasteryRecord::update(m_folder, game, today))
        tellFailure(File::Record, *error, QStringLiteral("国旗ごとの記録を保存できませんでした。"),
                    error->path());
}

void PlayerData::recordReviewAnswer(const ReviewSchedule::CardKey &card, bool right,
                                    int pickedFlagId)
{
    // Dated when given: a review that runs past the day's change grades its later answers on
    // the new day.
    const QDate today = ReviewSchedule::today(m_clock);
    const std::optional<FileError> scheduleError =
        ReviewSchedule::update(m_folder, {{card, right}}, today);
    MasteryRecord::Question question{card.flagId, {}};
    if (!right)
        question.wrongClicks.append(pickedFlagId);
    const std::optional<FileError> recordError = MasteryRecord::update(m_folder, {question}, today);
    // One answer is one message at most, whichever of its two files refused it.
    const bool tellSchedule = scheduleError && shouldTell(File::Schedule, *scheduleError);
    const bool tellRecord = recordError && shouldTell(File::Record, *recordError);
    if (!tellSchedule && !tellRecord)
        return;
    const FileError &error = tellSchedule ? *scheduleError : *recordError;
    m_tell(QStringLiteral("復習の答えを保存できませんでした。\n%1\n%2")
               .arg(error.path(), error.message()));
}

KeptReports PlayerData::keptReports() const
{
    return KeptReports(m_folder);
}

QString PlayerData::ratingScratchPath(const QString &folder)
{
    return folder + QStringLiteral("/dummyz.csv");
}

bool PlayerData::keepRatingScratch(const QByteArray &text) const
{
    return DataFile::replace(ratingScratchPath(m_folder), text).has_value();
}

void PlayerData::dropRatingScratch() const
{
    QFile::remove(ratingScratchPath(m_folder));
}
