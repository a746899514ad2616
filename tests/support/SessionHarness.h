#pragma once

#include "session/usb_handler.h"
#include "support/SessionRecorder.h"
#include "support/WorkerJobs.h"

#include <QString>
#include <QThread>
#include <functional>

// Runs the real worker in a thread of its own, as the window does, and drives it through
// its slots. Time limits are short so that a silent peer costs a second, not ten.
class SessionHarness
{
public:
    static int timeScale();
    static TSessionTimeouts fastSessionTimeouts();
    static TTransportTimeouts fastTransportTimeouts();

    explicit SessionHarness(const TSessionTimeouts &session = fastSessionTimeouts(),
                            const TTransportTimeouts &transport = fastTransportTimeouts());
    ~SessionHarness();

    usb_handler *worker() const { return m_worker; }
    SessionRecorder &recorder() { return *m_recorder; }

    // The USB search finds this path as the terminal's port.
    static void offerSerialPort(const QString &path, uint16_t vendor = 0x0483, uint16_t product = 0x5740);

    // Full connections; true once the device type has been read.
    bool connectUsb(const QString &ptyPath, int timeoutMs = 8000);
    bool connectRelay(quint16 port, const QString &deviceId, int timeoutMs = 8000);
    bool waitConnectedOrFailed(int timeoutMs);

    // Runs f in the worker's thread and waits for it (for calling transactions directly).
    void inWorker(const std::function<void()> &f);
    // Runs f in the worker's thread later, as a queued slot call would.
    void post(std::function<void()> f);
    // A slot call as the window's queued connections make it.
    void queued(const char *slot);
    void stop(int timeoutMs = 5000);

private:
    QThread m_thread;
    usb_handler *m_worker = nullptr;
    SessionRecorder *m_recorder = nullptr;
    WorkerJobs *m_jobs = nullptr;
};
