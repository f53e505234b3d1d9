#include "NationalDeviation.h"

#include "AppState.h"
#include "Clock.h"
#include "NumberText.h"
#include "ScoreHistogram.h"
#include "ServerAccess.h"
#include "Twips.h"
#include "WaitHundredths.h"

#include <QFile>
#include <QLabel>
#include <QWidget>

namespace {

QLabel *placeLabel(QWidget *parent, const char *name, const QString &text, int left, int top,
                   int width, int height, double points, bool bold)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(Twips::rect(left, top, width, height));
    label->setFont(Twips::designFont(points, bold));
    return label;
}

QString shown(const std::optional<long long> &value)
{
    return value ? NumberText::display(*value) : QString();
}

} // namespace

NationalDeviation::NationalDeviation(AppState &state, ServerAccess &server, Clock &clock,
                                     QString appPath, QWidget *owner)
    : QObject(owner), m_state(state), m_server(server), m_clock(clock),
      m_appPath(std::move(appPath)), m_owner(owner)
{
}

NationalDeviation::~NationalDeviation()
{
    delete m_form6;
}

QString NationalDeviation::scratchPath(const QString &appPath)
{
    return appPath + QStringLiteral("/dummyz.csv");
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

    placeLabel(form, "Label11", QStringLiteral("全国偏差値"), 1200, 480, 5400, 705, 21.75, true);
    placeLabel(form, "Label1", QStringLiteral("偏差値"), 600, 1560, 1400, 525, 15.75, true);
    placeLabel(form, "Label9", QStringLiteral("得点"), 4560, 1560, 900, 525, 15.75, true);
    placeLabel(form, "Label2", QStringLiteral("人数"), 1440, 2520, 1100, 525, 15.75, true);
    placeLabel(form, "Label3", QStringLiteral("平均点"), 1440, 3360, 1200, 525, 15.75, true);
    placeLabel(form, "Label4", QStringLiteral("順位"), 1440, 4200, 1100, 525, 15.75, true);

    const QString waiting = QStringLiteral("お待ち下さい");
    m_label5 = placeLabel(form, "Label5", waiting, 2040, 1560, 2400, 525, 15.75, true);
    m_label10 = placeLabel(form, "Label10", waiting, 5520, 1560, 2400, 525, 15.75, true);
    m_label6 = placeLabel(form, "Label6", QString(), 2640, 2520, 1800, 525, 15.75, false);
    m_label7 = placeLabel(form, "Label7", QString(), 2640, 3360, 1800, 525, 15.75, false);
    m_label8 = placeLabel(form, "Label8", QString(), 2640, 4200, 1800, 525, 15.75, false);
    m_label12 = placeLabel(form, "Label12", QString(), 4560, 3000, 3300, 1100, 12, true);
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

void NationalDeviation::showNationalDeviation(const QString &score)
{
    // Clicks handled during the pauses may start another rating or a new game, which changes
    // the shared state; this rating keeps to what it was asked.
    const QPointer<NationalDeviation> alive(this);
    const double playerScore = NumberText::leadingNumber(score);
    const QString dataName = m_state.counterDataName;
    const QString regionKey = m_state.regionKey;
    const bool report = m_state.skipCounterReport == 0;
    m_state.skipCounterReport = 0;
    m_state.playerScore = playerScore;
    if (!m_form6)
        createForm6();

    m_server.fetchServerFile(dataName);
    const QString reply = m_state.serverReply;
    waitHundredths(m_clock, 20);
    if (!alive)
        return;

    const QString scratch = scratchPath(m_appPath);
    {
        QFile file(scratch);
        const QByteArray text = ScoreHistogram::scratchText(reply);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(text) != text.size() || !file.flush())
            fail();
    }
    waitHundredths(m_clock, 50);
    if (!alive)
        return;

    // The figures come from the reply itself, not from reading the scratch file back: a rating
    // started during the pauses rewrites that file.
    const ScoreHistogram::Rating rating =
        ScoreHistogram::rate(ScoreHistogram::read(reply), playerScore);
    if (rating.total) {
        m_state.playerTotal = rating.total;
        m_state.scoreRank = rating.rank;
    }
    if (rating.mean)
        m_state.meanScore = rating.mean;
    else
        fail();
    waitHundredths(m_clock, 20);
    if (!alive)
        return;

    if (rating.deviationScore)
        m_state.deviationScore = static_cast<double>(*rating.deviationScore);
    else
        fail();

    if (m_form6) {
        m_label5->setText(rating.deviationScore ? NumberText::format(*rating.deviationScore)
                                                : QString());
        m_label10->setText(NumberText::display(playerScore));
        m_label6->setText(shown(rating.total));
        m_label7->setText(shown(rating.mean));
        m_label8->setText(shown(rating.rank));
        if (!m_form6->isVisible() && m_owner) {
            // Over the lower left of the main window, where the cards were: the summary of the
            // game and the question stay in sight.
            const QRect owner = m_owner->geometry();
            m_form6->move(owner.left() + owner.width() / 50, owner.top() + owner.height() / 3);
        }
        m_form6->show();
        m_form6->raise();
    }

    if (report) {
        const QString scoreText = NumberText::format(playerScore).trimmed();
        m_state.requestUrl = m_server.baseUrl() + QStringLiteral("countx/") + regionKey +
                             QStringLiteral("/count.php");
        m_server.sendRequest();
        m_state.requestUrl = m_server.baseUrl() + QStringLiteral("count1/counter") + regionKey +
                             QLatin1Char('/') + scoreText + QStringLiteral("/count.php");
        m_server.sendRequest();
        QFile::remove(scratch);
    }
    m_state.skipCounterReport = 0;
}
