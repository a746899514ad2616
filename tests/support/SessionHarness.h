#pragma once

#include "session/usb_handler.h"
#include "support/WorkerJobs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include <functional>
#include <mutex>

// Runs the real worker in a thread of its own, as the window does, and records its signals in
// order. The signals are taken as emitted, in the worker's thread, and work for the worker goes
// through a queue, both under a standard mutex: thread checkers blind to Qt's event queue then
// still see what one side wrote before the other reads it. Time limits are short so that a
// silent peer costs a second, not ten.
class SessionHarness
{
public:
    static TSessionTimeouts fastSessionTimeouts();
    static TTransportTimeouts fastTransportTimeouts();

    explicit SessionHarness(const TSessionTimeouts &session = fastSessionTimeouts(),
                            const TTransportTimeouts &transport = fastTransportTimeouts());
    ~SessionHarness();

    usb_handler *worker() const { return m_worker; }

    // The recorded signals by name ("status_message", "device_disconnected", ...).
    QVariantList values(const QString &signal) const;
    int count(const QString &signal) const { return values(signal).size(); }
    int indexOf(const QString &signal) const { return names().indexOf(signal); }
    QStringList names() const;
    QStringList statusTexts() const;
    QList<int> percentages() const;
    QByteArray logData() const;
    // The first disconnection was reported as a lost link.
    bool lost() const { return values(QStringLiteral("device_disconnected")).value(0).toBool(); }
    void clear();
    // Processes events until the signal has been seen `times` times in all, or the limit.
    bool waitFor(const QString &signal, int timeoutMs = 5000, int times = 1);
    bool waitForStatus(const QString &text, int timeoutMs = 5000);

    // The USB search finds this path as the terminal's port.
    static void offerSerialPort(const QString &path);
    // Full connections; true once the device type has been read.
    bool connectUsb(const QString &ptyPath, int timeoutMs = 8000);
    bool connectRelay(quint16 port, const QString &deviceId, int timeoutMs = 8000);
    bool waitConnectedOrFailed(int timeoutMs);

    // Runs f in the worker's thread later, as a queued slot call would.
    void post(std::function<void()> f);
    // Runs f in the worker's thread and waits for it (for calling transactions directly).
    void inWorker(const std::function<void()> &f);
    void stop(int timeoutMs = 5000);

private:
    void add(const QString &name, const QVariant &value = QVariant());

    QThread m_thread;
    usb_handler *m_worker = nullptr;
    mutable std::mutex m_lock;
    QList<QPair<QString, QVariant>> m_events;
    QList<TDeviceToConfigInfo> m_lastList;
    WorkerJobs *m_jobs = nullptr;
};
