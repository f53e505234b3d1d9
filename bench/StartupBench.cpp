// Measures the start-up from main() to the first paint of the maximised main window, with 198
// flag pictures of 320×213, beside a bare Qt window measured in the same run. Each sample is a
// fresh process, so nothing is warm but the file cache.

#include "AppConfig.h"
#include "AppState.h"
#include "CurlHttpClient.h"
#include "Fakes.h"
#include "Fonts.h"
#include "Form1.h"
#include "LoopbackServer.h"
#include "PlayerData.h"
#include "ProgramFolder.h"
#include "ServerAccess.h"
#include "Services.h"
#include "SystemClock.h"
#include "SystemRandom.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

const auto processStart = std::chrono::steady_clock::now();

double millisecondsSinceStart()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                     processStart)
        .count();
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// Reports the first paint of a window and ends the process after the window has settled.
class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            const double painted = millisecondsSinceStart();
            QMetaObject::invokeMethod(
                this,
                [this, painted] {
                    std::printf("%.1f %ld\n", painted, residentKilobytes());
                    std::fflush(stdout);
                    m_reported = true;
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

    // The start-up may handle events before its own event loop runs (it paints the window
    // before the notice's wait): a report made there is the end, and no loop is needed.
    bool reported() const { return m_reported; }

private:
    bool m_seen = false;
    bool m_reported = false;
};

int runBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}

int runProgram(int argc, char **argv, const QString &folder, const QString &serverBase)
{
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    CurlHttpClient http;
    RecordingMessageBox messages;
    RecordingShell shell;
    FakeDriveProbe drives;
    SystemClock clock;
    SystemRandom random;
    Services services{http, messages, shell, drives, clock, random};
    AppConfig config;
    config.appPath = folder;
    config.dataPath = folder;
    config.serverBase = serverBase;
    AppState state;
    ServerAccess server(http, clock, config.serverBase);
    PlayerData playerData(config.dataPath, clock,
                          [&messages](const QString &text) { messages.show(text); });
    Form1 form(state, services, server, playerData, config);
    FirstPaint watcher;
    form.installEventFilter(&watcher);
    if (!form.load()) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(messages.shown.join(' ')));
        return 1;
    }
    return watcher.reported() ? 0 : QApplication::exec();
}

void writeFlags(const QString &folder)
{
    for (int id = 1; id <= 198; ++id) {
        QImage flag(320, 213, QImage::Format_RGB32);
        flag.fill(QColor::fromHsv((id * 37) % 360, 180, 230));
        QPainter painter(&flag);
        painter.setBrush(QColor::fromHsv((id * 91) % 360, 220, 160));
        painter.drawEllipse(QPoint(160, 106), 60 + id % 30, 60 + id % 30);
        painter.drawRect(0, 0, 320, 40 + id % 50);
        painter.end();
        flag.save(folder + QStringLiteral("/国旗/%1.jpg").arg(id), "JPEG", 90);
    }
}

struct Sample
{
    double ms;
    long kb;
};

std::vector<Sample> sample(const QString &self, const QStringList &arguments, int runs)
{
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.start(self, arguments);
        child.waitForFinished(60000);
        const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
        if (out.size() == 2)
            samples.push_back({out[0].toDouble(), out[1].toLong()});
        else
            std::fprintf(stderr, "run failed: %s\n", child.readAllStandardError().constData());
    }
    return samples;
}

Sample median(std::vector<Sample> samples)
{
    if (samples.empty())
        return {0, 0};
    std::sort(samples.begin(), samples.end(), [](auto a, auto b) { return a.ms < b.ms; });
    Sample mid = samples[samples.size() / 2];
    std::vector<long> kb;
    for (const Sample &s : samples)
        kb.push_back(s.kb);
    std::sort(kb.begin(), kb.end());
    mid.kb = kb[kb.size() / 2];
    return mid;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && QByteArray(argv[1]) == "--bare")
        return runBare(argc, argv);
    if (argc >= 4 && QByteArray(argv[1]) == "--program")
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]),
                          QString::fromLocal8Bit(argv[3]));

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    ProgramFolder folder;
    writeFlags(folder.path());
    LoopbackServer server([](const QString &, int) { return LoopbackReply{200, "<no news>"}; });

    const QString self = QCoreApplication::applicationFilePath();
    const Sample bare = median(sample(self, {QStringLiteral("--bare")}, runs));
    const Sample program =
        median(sample(self, {QStringLiteral("--program"), folder.path(), server.baseUrl()}, runs));
    std::printf("start-up to first paint, median of %d runs (platform %s)\n", runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "xcb"
                                                     : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("  %-36s %8.1f ms %8.1f MB resident\n", "bare Qt window (baseline)", bare.ms,
                bare.kb / 1024.0);
    std::printf("  %-36s %8.1f ms %8.1f MB resident\n", "furamio, 198 flags of 320x213", program.ms,
                program.kb / 1024.0);
    return 0;
}
