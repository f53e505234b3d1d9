#pragma once

#include "DataFile.h"
#include "MasteryRecord.h"
#include "KeptReports.h"
#include "ResultsFile.h"
#include "ReviewSchedule.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <utility>

class Clock;

// The player's files in the data folder: the results file of each region, the record of each
// flag with its confusions, the review schedule, the games whose reports were not answered and
// the rating's scratch file. Windows are handed this and never the folder. Every save goes
// through here, so one policy says when its failure is told: once per file and cause in a
// session, not at all after the start-up said the folder cannot be written, and always when the
// player asked for it (a removal) or when two files that change together now disagree.
class PlayerData
{
public:
    // `tell` shows the player a sentence (a message box in the program).
    using Tell = std::function<void(const QString &)>;

    PlayerData(QString folder, const Clock &clock, Tell tell);

    // Tells the player, once at start-up, when the folder cannot take new files; the saves that
    // fail for it later say nothing more. Returns whether the folder can take them.
    bool checkFolder();

    ResultsFile::ReadResult results(const QString &regionKey) const;
    // Adds a game's line to the region's results file.
    void addResult(const QString &regionKey, const QString &line);
    // Drops `game` from the region's results file; false (the player has been told) when the
    // file is left as it was.
    bool removeResult(const QString &regionKey, const PastGame &game);

    // The record of each flag; see MasteryRecord::read for `error`.
    MasteryRecord::Record record(std::optional<FileError> *error = nullptr) const;
    // The review schedule; see ReviewSchedule::read for `error`.
    ReviewSchedule::Schedule schedule(std::optional<FileError> *error = nullptr) const;
    // Adds a finished or left game to the review schedule and to the record of each flag.
    void recordGame(const MasteryRecord::GameLog &game);
    // One answer of the day's review, to the schedule and to the record of its flag.
    void recordReviewAnswer(const ReviewSchedule::CardKey &card, bool right, int pickedFlagId);

    // The games whose reports were not answered, kept in this folder.
    KeptReports keptReports() const;
    // The rating's scratch copy of the server's reply; true when it could not be written.
    bool keepRatingScratch(const QByteArray &text) const;
    void dropRatingScratch() const;
    static QString ratingScratchPath(const QString &folder);

private:
    enum class File
    {
        Results,
        Record,
        Schedule
    };
    // Whether a failure of `file` for `error`'s cause is to be told now; remembers it.
    bool shouldTell(File file, const FileError &error);
    void tellFailure(File file, const FileError &error, const QString &what, const QString &path);

    QString m_folder;
    const Clock &m_clock;
    Tell m_tell;
    bool m_folderRefused = false; // the start-up has told that nothing can be saved
    std::set<std::pair<File, FileError::Cause>> m_told;
};
