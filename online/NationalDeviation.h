#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

struct AppState;
class Clock;
class QLabel;
class ServerAccess;

// Rates a score against everybody who has played the same region, shows the figures in the
// window "全国偏差値" (Form6), and then reports the game to our server's counter.
class NationalDeviation : public QObject
{
    Q_OBJECT
public:
    // `owner` is the main window; the deviation window is its own top-level window.
    NationalDeviation(AppState &state, ServerAccess &server, Clock &clock, QString appPath,
                      QWidget *owner);
    ~NationalDeviation() override;

    // The callers set AppState::counterDataName (RegionKey + ".csv") first, and
    // skipCounterReport = 1 to rate without reporting. `score` is read by its leading number,
    // so " 295" and "295" are the same score. Other clicks are handled during the pauses.
    void showNationalDeviation(const QString &score);

    // The deviation window; null until the first rating.
    QWidget *form6() const { return m_form6; }

    static QString scratchPath(const QString &appPath);
    static const QString &retryMessage();

private:
    void createForm6();
    void fail();

    AppState &m_state;
    ServerAccess &m_server;
    Clock &m_clock;
    QString m_appPath;
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_form6;
    QLabel *m_label5 = nullptr;  // deviation score
    QLabel *m_label6 = nullptr;  // players
    QLabel *m_label7 = nullptr;  // mean
    QLabel *m_label8 = nullptr;  // rank
    QLabel *m_label10 = nullptr; // score
    QLabel *m_label12 = nullptr; // message line
};
