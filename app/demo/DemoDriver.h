#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

class MainWindow;
class QTimer;

// What the demo is to do.
struct TDemoPlan {
    QString host;
    quint16 port = 0;
    QString deviceId;
    QString pin;
    QString screenshot; // window screenshot, taken connected when connecting
    QString tourDir;    // screenshots of the pages and the question boxes
    bool timing = false;
    // With idleSeconds: the page left open that long, and the CPU the process used meanwhile.
    QString page; // "plots" or "state"
    int idleSeconds = 0;

    bool connects() const { return port != 0; }
    // "host:port:id:pin"
    bool parseTarget(const QString &text);
};

// Plays the operator on the real window: a sequence of steps, each waiting for what the
// operator would wait for, with a time limit. Exits the application when done or failed.
class DemoDriver : public QObject
{
    Q_OBJECT
public:
    DemoDriver(MainWindow *window, const TDemoPlan &plan, qint64 mainEnteredMs);

private:
    struct TStep {
        QString name;
        std::function<bool()> ready; // polled until true
        std::function<void()> act;
        qint64 limitMs = 30000; // for ready to come true
        int firstCheckMs = 0;   // when ready is known to take that long: no polling before
    };

    void windowShown();
    void answerPrompts();
    void addConnection();
    void addTour();
    void addIdle();
    // The plots page with these state rows ticked, the state tab's group polled.
    void showPlots(const QVector<uint16_t> &ids, bool readAll);
    void poll();
    void fail(const QString &why);
    // Clicks a button that opens a question box, saves the screen with the box over the window
    // as `file`, and dismisses it with Cancel.
    void shootQuestion(const char *button, const QString &file);
    bool saveWindow(const QString &file);
    QString tourFile(const QString &name) const;

    MainWindow *m_window;
    TDemoPlan m_plan;
    qint64 m_mainEnteredMs;
    QVector<TStep> m_steps;
    int m_current = 0;
    qint64 m_stepStartedMs = 0;
    int m_pinAnswers = 0;
    QString m_fileAnswer;
    QTimer *m_poll = nullptr;
};
