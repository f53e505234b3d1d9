#pragma once

#include "PendingReports.h"
#include "ScoreHistogram.h"
#include "ServerAccess.h"
#include "WaitCursor.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class Clock;
class PlayerData;
class QLabel;

// Rates a score against everybody who has played the same region, shows the figures in the
// window "全国偏差値" (Form6), and then reports the game to our server's counter.
//
// A rating runs in steps: the fetch, then three pauses (0.2 s, 0.5 s, 0.2 s) on the clock with
// the windows answering, then the figures, then the two reports. A rating asked for meanwhile
// runs to its end first; the one it interrupted then goes on where it was. The window comes up
// before the fetch: it says that the figures are on their way, under the wait cursor.
// The requests run on a thread of their own while the windows answer, so that a player who
// ends the program is not kept waiting by a server that does not answer. A game to report is
// kept in the pending reports (PendingReports) before anything is sent, and leaves them once
// its reports have been answered: however the program ends, it is sent at the next start.
class NationalDeviation : public QObject
{
    Q_OBJECT
public:
    enum class CounterReport
    {
        Send, // a game just played
        Skip  // a past game from the results file: counted when it was played
    };

    // Where the window stands: its top left corner on the screen, or out of sight when it
    // cannot stand clear of what the player must see.
    struct Spot
    {
        QPoint at;
        bool hidden = false;
    };
    // Tells where a window of `outer` size (its frame included) goes; `open` is where it
    // stands when it is on show. The main window knows what must stay in sight.
    using Placer = std::function<Spot(QSize outer, std::optional<QRect> open)>;

    // The pauses between the steps, in hundredths of a second.
    static constexpr int pauseAfterFetch = 20;
    static constexpr int pauseAfterScratch = 50;
    static constexpr int pauseAfterRating = 20;

    // `owner` is the main window; the deviation window is its own top-level window.
    // `playerData` keeps the games to report and the scratch copy of the server's reply.
    NationalDeviation(ServerAccess &server, Clock &clock, PlayerData &playerData, QWidget *owner);
    ~NationalDeviation() override;

    // Fetches the region's histogram at once and goes on in steps. A window still open from an
    // earlier rating stays where the player left it unless it covers an area kept clear.
    void showNationalDeviation(int score, const QString &regionKey, CounterReport report);
    // Drops every rating under way: nothing more is shown or sent, and requests under way
    // are given up. The program is ending; games not yet reported stay pending.
    void cancel();
    // Where the window goes each time it comes up or what it must keep clear of changes.
    // Without one it comes up where the system puts it.
    void setPlacer(Placer placer) { m_placer = std::move(placer); }
    // What the window must keep clear of has changed: an open window goes where the placer
    // says now, out of sight if it must.
    void placeAgain();
    // A rating has steps left.
    bool busy() const { return !m_runs.empty(); }

    // The deviation window; null until the first rating.
    QWidget *form6() const { return m_form6; }

    static const QString &retryMessage();
    // The message line while the histogram is fetched.
    static const QString &waitingMessage();
    // The message line of a rating that could not be worked out: the retry message, and
    // below it why, where that is known.
    static QString failureMessage(ScoreHistogram::Rating::Shortfall shortfall);

signals:
    // One rating has run its last step.
    void finished();

private:
    // Requests on their own thread; the ticker looks at `done`.
    struct Job
    {
        std::atomic<bool> done{false};
        std::atomic<bool> giveUp{false};
        QString reply;
        ServerAccess::ReportOutcome outcome = ServerAccess::ReportOutcome::Unanswered;
        std::thread thread;
    };

    struct Run
    {
        int score = 0;
        QString regionKey;
        CounterReport report = CounterReport::Send;
        QString reply;
        ScoreHistogram::Rating rating;
        int nextStep = 0;
        int pause = 0; // hundredths before the next step
        double pauseStart = 0;
        bool scratchFailed = false;
        std::optional<PendingReports::Game> held; // a game to report, kept till answered
        std::shared_ptr<Job> job;                 // requests under way
        std::unique_ptr<WaitCursor> wait;         // while they are
    };

    void createForm6();
    void showWaiting();
    QSize outerSize() const;
    void tick();
    // Runs the next step of `run`; returns false when it was the last.
    bool step(Run &run);
    // Starts `requests` on a thread of their own for `run`, under the wait cursor.
    void startJob(Run &run, std::function<void(Job &)> requests);
    // Waits for the thread of a job that is done, or gives it up first.
    static void endJob(Run &run, bool giveUp);
    void dropScratchOfUnfinishedRuns();
    void show(const Run &run);

    ServerAccess &m_server;
    Clock &m_clock;
    PlayerData &m_playerData;
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_form6;
    Placer m_placer;
    QLabel *m_deviationLabel = nullptr; // deviation score
    QLabel *m_playersLabel = nullptr;   // players
    QLabel *m_meanLabel = nullptr;      // mean
    QLabel *m_rankLabel = nullptr;      // rank
    QLabel *m_scoreLabel = nullptr;     // score
    QLabel *m_messageLabel = nullptr;   // message line
    std::vector<Run> m_runs;            // the last is the one that moves on
    QTimer m_ticker;
};
