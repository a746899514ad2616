#pragma once

#include <QObject>
#include <QString>

class MainWindow;
class QTimer;

// Drives the window for the demo script on a machine without a user: connects through a
// relay server to one terminal, takes a screenshot and quits, and prints start-up time and
// memory. It acts only when its environment variables are set:
//   TRIVOX_DEMO_AUTOCONNECT=host:port:id:pin  connect to terminal `id`, answering `pin`
//   TRIVOX_DEMO_SCREENSHOT=<png path>         grab the window (connected, when connecting)
//   TRIVOX_DEMO_TIMING=1                       print start-up time and resident memory
class DemoDriver : public QObject
{
    Q_OBJECT
public:
    // Null when no variable is set. mainEnteredMs: the clock value when main began.
    static DemoDriver *fromEnvironment(MainWindow *window, qint64 mainEnteredMs);

private:
    DemoDriver(MainWindow *window, qint64 mainEnteredMs);

    void windowShown();
    void startConnection();
    void poll();
    void finish();
    void fail(const QString &why);

    MainWindow *m_window;
    qint64 m_mainEnteredMs;
    QString m_host;
    quint16 m_port = 0;
    QString m_deviceId;
    QString m_pin;
    QString m_screenshot;
    bool m_timing = false;
    bool m_autoconnect = false;
    int m_pinAnswers = 0;
    qint64 m_connectedAtMs = -1;
    QTimer *m_poll = nullptr;
};
