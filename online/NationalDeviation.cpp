#include "NationalDeviation.h"

#include "Clock.h"
#include "DataFile.h"
#include "NumberText.h"
#include "ServerAccess.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QFile>
#include <QLabel>
#include <QWidget>

namespace {

// How often a pause looks at the clock; short, so a pause ends close to its length.
constexpr int tickMilliseconds = 1;

QString shown(const std::optional<long long> &value)
{
    return value ? NumberText::display(*value) : QString();
}

} // namespace

NationalDeviation::NationalDeviation(ServerAccess &server, Clock &clock, QString dataPath,
                                     QWidget *owner)
    : QObject(owner), m_server(server), m_clock(clock), m_dataPath(std::move(dataPath)),
      m_owner(owner)
{
    m_ticker.setInterval(tickMilliseconds);
    connect(&m_ticker, &QTimer::timeout, this, &NationalDeviation::tick);
}

NationalDeviation::~NationalDeviation()
{
    delete m_form6;
}

QString NationalDeviation::scratchPath(const QString &dataPath)
{
    return dataPath + QStringLiteral("/dummyz.csv");
}

const QString &NationalDeviation::retryMessage()
{
    static const QString text = QStringLiteral("もう一度クリックして下さい。");
    return text;
}

void NationalDeviation::createForm6()
{
    auto *form = new QWidget(m_owner, Qt::Window);
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
    m_label5 =
        Twips::place(new QLabel(waiting, form), "Label5", 2040, 1560, 2400, 525, 15.75, true);
    m_label10 =
        Twips::place(new QLabel(waiting, form), "Label10", 5520, 1560, 2400, 525, 15.75, true);
    m_label6 =
        Twips::place(new QLabel(QString(), form), "Label6", 2640, 2520, 1800, 525, 15.75, false);
    m_label7 =
        Twips::place(new QLabel(QString(), form), "Label7", 2640, 3360, 1800, 525, 15.75, false);
    m_label8 =
        Twips::place(new QLabel(QString(), form), "Label8", 2640, 4200, 1800, 525, 15.75, false);
    m_label12 =
        Twips::place(new QLabel(QString(), form), "Label12", 4560, 3000, 3300, 1100, 12, true);
    m_label12->setWordWrap(true);
    m_label12->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label12->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_form6 = form;
}

void NationalDeviation::fail()
{
    if (m_label12)
        m_label12->setText(retryMessage());
}

void NationalDeviation::showNationalDeviation(int score, const QString &regionKey,
                                              CounterReport report)
{
    if (!m_form6)
        createForm6();
    Run run;
    run.score = score;
    run.regionKey = regionKey;
    run.report = report;
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
    m_runs.clear();
}

void NationalDeviation::tick()
{
    if (m_runs.empty()) {
        m_ticker.stop();
        return;
    }
    const size_t index = m_runs.size() - 1;
    {
        const Run &run = m_runs[index];
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
    case 0: {
        WaitCursor wait;
        run.reply = m_server.fetchHistogram(run.regionKey);
        pauseFor(pauseAfterFetch);
        return true;
    }
    case 1: {
        if (DataFile::replace(scratchPath(m_dataPath), ScoreHistogram::scratchText(run.reply)))
            fail();
        pauseFor(pauseAfterScratch);
        return true;
    }
    case 2:
        // The figures come from the reply itself, not from reading the scratch file back: a
        // rating started during the pauses rewrites that file.
        run.rating = ScoreHistogram::rate(ScoreHistogram::read(run.reply), run.score);
        if (!run.rating.mean)
            fail();
        pauseFor(pauseAfterRating);
        return true;
    default:
        if (!run.rating.deviationScore)
            fail();
        show(run);
        if (run.report == CounterReport::Send) {
            {
                WaitCursor wait;
                m_server.reportGame(run.regionKey, run.score);
            }
            QFile::remove(scratchPath(m_dataPath));
        }
        return false;
    }
}

void NationalDeviation::show(const Run &run)
{
    if (!m_form6)
        return;
    const ScoreHistogram::Rating &rating = run.rating;
    m_label5->setText(rating.deviationScore ? NumberText::format(*rating.deviationScore)
                                            : QString());
    m_label10->setText(NumberText::display(run.score));
    m_label6->setText(shown(rating.total));
    m_label7->setText(shown(rating.mean));
    m_label8->setText(shown(rating.rank));
    if (!m_form6->isVisible() && m_owner) {
        // Over the lower left of the main window, where the cards were: the summary of the game
        // and the question stay in sight.
        const QRect owner = m_owner->geometry();
        m_form6->move(owner.left() + owner.width() / 50, owner.top() + owner.height() / 3);
    }
    m_form6->show();
    m_form6->raise();
}
