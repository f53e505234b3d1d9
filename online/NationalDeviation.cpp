#include "NationalDeviation.h"

#include "Clock.h"
#include "HttpClient.h"
#include "NumberText.h"
#include "PendingReports.h"
#include "PhraseLabel.h"
#include "PlayerData.h"
#include "ServerAccess.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QLabel>
#include <QShortcut>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace {

// How often a pause looks at the clock; short, so a pause ends close to its length.
constexpr int tickMilliseconds = 1;
// How often the windows look at requests under way, which take far longer.
constexpr int jobTickMilliseconds = 20;

QString shown(const std::optional<long long> &value)
{
    return value ? NumberText::display(*value) : QString();
}

} // namespace

NationalDeviation::NationalDeviation(ServerAccess &server, Clock &clock, PlayerData &playerData,
                                     QWidget *owner)
    : QObject(owner), m_server(server), m_clock(clock), m_playerData(playerData), m_owner(owner)
{
    m_ticker.setInterval(tickMilliseconds);
    connect(&m_ticker, &QTimer::timeout, this, &NationalDeviation::tick);
}

NationalDeviation::~NationalDeviation()
{
    cancel();
    delete m_form6;
}

void NationalDeviation::dropScratchOfUnfinishedRuns()
{
    // A rating cut short (the program ended during its pauses) would leave its scratch file in
    // the data folder for good; only a finished rating of a past result keeps its own.
    if (std::any_of(m_runs.begin(), m_runs.end(), [](const Run &run) { return run.nextStep > 1; }))
        m_playerData.dropRatingScratch();
}

const QString &NationalDeviation::retryMessage()
{
    static const QString text = QStringLiteral("もう一度クリックして下さい。");
    return text;
}

const QString &NationalDeviation::waitingMessage()
{
    static const QString text = QStringLiteral("全国の成績を取得しています…");
    return text;
}

QString NationalDeviation::failureMessage(ScoreHistogram::Rating::Shortfall shortfall)
{
    using Shortfall = ScoreHistogram::Rating::Shortfall;
    switch (shortfall) {
    case Shortfall::NoHistogram:
        return retryMessage() + QStringLiteral("\n全国の成績を取得できませんでした。");
    case Shortfall::NoPlayers:
        return retryMessage() + QStringLiteral("\nまだ比べる記録がありません。");
    case Shortfall::NoSpread:
        return retryMessage() + QStringLiteral("\n比べる記録が少なすぎます。");
    case Shortfall::None:
        break;
    }
    return retryMessage();
}

void NationalDeviation::createForm6()
{
    // A window of the main window's own, as a dialog is, so that the window system keeps it
    // above that window: it comes up without a click of its own, and a window manager that
    // holds such windows back would otherwise stack it under the main window, out of sight.
    auto *form = new QWidget(m_owner, Qt::Dialog);
    form->setObjectName(QStringLiteral("Form6"));
    form->setWindowTitle(QStringLiteral("全国偏差値"));
    form->setFixedSize(Twips::toPixels(8100), Twips::toPixels(5400));
    // White, so that it stands apart from the main window it lies over.
    QPalette palette = form->palette();
    palette.setColor(QPalette::Window, Qt::white);
    form->setPalette(palette);
    form->setAutoFillBackground(true);

    Twips::place(new QLabel(QStringLiteral("全国偏差値"), form), "Label11", 1200, 480, 5400, 705,
                 21.75, true);
    Twips::place(new QLabel(QStringLiteral("偏差値"), form), "Label1", 600, 1560, 1400, 525, 15.75,
                 true);
    Twips::place(new QLabel(QStringLiteral("得点"), form), "Label9", 4560, 1560, 900, 525, 15.75,
                 true);
    Twips::place(new QLabel(QStringLiteral("人数"), form), "Label2", 1440, 2520, 1100, 525, 15.75,
                 true);
    Twips::place(new QLabel(QStringLiteral("平均点"), form), "Label3", 1440, 3360, 1200, 525, 15.75,
                 true);
    Twips::place(new QLabel(QStringLiteral("順位"), form), "Label4", 1440, 4200, 1100, 525, 15.75,
                 true);

    const QString waiting = QStringLiteral("お待ち下さい");
    m_deviationLabel =
        Twips::place(new QLabel(waiting, form), "Label5", 2040, 1560, 2400, 525, 15.75, true);
    m_scoreLabel =
        Twips::place(new QLabel(waiting, form), "Label10", 5520, 1560, 2400, 525, 15.75, true);
    m_playersLabel =
        Twips::place(new QLabel(QString(), form), "Label6", 2640, 2520, 1800, 525, 15.75, false);
    m_meanLabel =
        Twips::place(new QLabel(QString(), form), "Label7", 2640, 3360, 1800, 525, 15.75, false);
    m_rankLabel =
        Twips::place(new QLabel(QString(), form), "Label8", 2640, 4200, 1800, 525, 15.75, false);
    // The message and the reason below it wrap between words.
    m_messageLabel =
        Twips::place(new PhraseLabel(form), "Label12", 4560, 3000, 3300, 1100, 12, true);
    m_messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_messageLabel->setStyleSheet(QStringLiteral("color: #c00000;"));
    // Shown after a game, the window has the keyboard; Esc gives it back to the main window.
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), form);
    QObject::connect(close, &QShortcut::activated, form, &QWidget::close);
    m_form6 = form;
}

void NationalDeviation::showNationalDeviation(int score, const QString &regionKey,
                                              CounterReport report)
{
    if (!m_form6)
        createForm6();
    showWaiting();
    Run run;
    run.score = score;
    run.regionKey = regionKey;
    run.report = report;
    if (report == CounterReport::Send)
        run.held = m_playerData.keptReports().hold(regionKey, score);
    if (step(run)) {
        m_runs.push_back(std::move(run));
        m_ticker.start();
    } else {
        emit finished();
    }
}

void NationalDeviation::cancel()
{
    m_ticker.stop();
    dropScratchOfUnfinishedRuns();
    // A window still waiting for its figures would wait for ever.
    if (!m_runs.empty() && m_form6)
        m_form6->hide();
    for (Run &run : m_runs)
        endJob(run, true);
    m_runs.clear();
}

void NationalDeviation::startJob(Run &run, std::function<void(Job &)> requests)
{
    run.wait = std::make_unique<WaitCursor>();
    run.job = std::make_shared<Job>();
    run.job->thread = std::thread([job = run.job, requests = std::move(requests)] {
        HttpClient::giveUpWhen(&job->giveUp);
        requests(*job);
        HttpClient::giveUpWhen(nullptr);
        job->done = true;
    });
}

void NationalDeviation::endJob(Run &run, bool giveUp)
{
    if (!run.job || !run.job->thread.joinable())
        return;
    if (giveUp)
        run.job->giveUp = true;
    run.job->thread.join();
    run.wait.reset();
}

void NationalDeviation::tick()
{
    if (m_runs.empty()) {
        m_ticker.stop();
        return;
    }
    const size_t index = m_runs.size() - 1;
    {
        Run &run = m_runs[index];
        if (run.job && run.job->thread.joinable()) {
            if (!run.job->done) {
                m_ticker.setInterval(jobTickMilliseconds);
                return;
            }
            // The step's pause begins when its requests are done.
            m_ticker.setInterval(tickMilliseconds);
            endJob(run, false);
            run.pauseStart = m_clock.monotonicSeconds();
        }
        if ((m_clock.monotonicSeconds() - run.pauseStart) * 100.0 <= run.pause)
            return;
    }
    // A step may start another rating (it shows windows, which may handle clicks), so the run
    // is taken out before it moves on.
    Run run = std::move(m_runs[index]);
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(index));
    const bool more = step(run);
    if (more) {
        m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(index), std::move(run));
    } else {
        if (m_runs.empty())
            m_ticker.stop();
        emit finished();
    }
}

bool NationalDeviation::step(Run &run)
{
    const auto pauseFor = [&](int hundredths) {
        run.pause = hundredths;
        run.pauseStart = m_clock.monotonicSeconds();
    };
    switch (run.nextStep++) {
    case 0:
        // A copy of the server access of its own, which counts its own attempts.
        startJob(run, [server = m_server, regionKey = run.regionKey](Job &job) mutable {
            job.reply = server.fetchHistogram(regionKey);
        });
        pauseFor(pauseAfterFetch);
        return true;
    case 1: {
        run.reply = run.job->reply;
        run.job.reset();
        run.scratchFailed = m_playerData.keepRatingScratch(ScoreHistogram::scratchText(run.reply));
        pauseFor(pauseAfterScratch);
        return true;
    }
    case 2:
        // The figures come from the reply itself, not from reading the scratch file back: a
        // rating started during the pauses rewrites that file.
        run.rating = ScoreHistogram::rate(ScoreHistogram::read(run.reply), run.score);
        pauseFor(pauseAfterRating);
        return true;
    case 3:
        show(run);
        if (!run.held)
            return false;
        startJob(run, [server = m_server, game = *run.held](Job &job) mutable {
            job.outcome = server.reportGame(game.regionKey, game.score, game.reportId);
        });
        pauseFor(0);
        return true;
    default:
        PendingReports(m_server, m_playerData.keptReports()).settle(*run.held, run.job->outcome);
        run.job.reset();
        m_playerData.dropRatingScratch();
        return false;
    }
}

void NationalDeviation::show(const Run &run)
{
    if (!m_form6)
        return;
    const ScoreHistogram::Rating &rating = run.rating;
    m_deviationLabel->setText(rating.deviationScore ? NumberText::format(*rating.deviationScore)
                                                    : QString());
    m_scoreLabel->setText(NumberText::display(run.score));
    m_playersLabel->setText(shown(rating.total));
    m_meanLabel->setText(shown(rating.mean));
    m_rankLabel->setText(shown(rating.rank));
    // Each rating says only what went wrong with itself.
    const auto shortfall = rating.shortfall();
    if (shortfall != ScoreHistogram::Rating::Shortfall::None)
        m_messageLabel->setText(failureMessage(shortfall));
    else if (run.scratchFailed)
        m_messageLabel->setText(retryMessage());
    else
        m_messageLabel->clear();
    m_form6->show();
    m_form6->raise();
}

void NationalDeviation::showWaiting()
{
    const QString waiting = QStringLiteral("お待ち下さい");
    m_deviationLabel->setText(waiting);
    m_scoreLabel->setText(waiting);
    m_playersLabel->clear();
    m_meanLabel->clear();
    m_rankLabel->clear();
    m_messageLabel->setText(waitingMessage());
    if (m_placer) {
        const std::optional<QRect> open = m_form6->isVisible()
                                              ? std::optional(QRect(m_form6->pos(), outerSize()))
                                              : std::nullopt;
        m_form6->move(m_placer(outerSize(), open).at);
    }
    m_form6->show();
    m_form6->raise();
    // The other ratings' pauses wait while the windows are painted: this one's fetch comes
    // first, as it would if the fetch had started at once.
    const bool ticking = m_ticker.isActive();
    m_ticker.stop();
    WaitCursor wait;
    WaitCursor::paintNow(m_form6);
    if (ticking)
        m_ticker.start();
}

QSize NationalDeviation::outerSize() const
{
    // Before the window has been shown once its frame is not known; a caption's height is
    // the usual part of it.
    QMargins frame(0, m_form6->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    if (m_form6->testAttribute(Qt::WA_WState_Created) &&
        m_form6->frameGeometry() != m_form6->geometry()) {
        const QRect outer = m_form6->frameGeometry();
        const QRect inner = m_form6->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    return m_form6->size().grownBy(frame);
}

void NationalDeviation::placeAgain()
{
    if (!m_placer || !m_form6 || !m_form6->isVisible())
        return;
    const Spot spot = m_placer(outerSize(), QRect(m_form6->pos(), outerSize()));
    // The rating stays in the results window for a window that had to go.
    if (spot.hidden)
        m_form6->hide();
    else
        m_form6->move(spot.at);
}
