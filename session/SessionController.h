#pragma once

#include "model/ParameterTable.h"
#include "session/PendingRequests.h"
#include "session/SessionOutcome.h"
#include "session/SessionProgress.h"
#include "session/TParameterValue.h"
#include "session/Transaction.h"
#include "transport/TDeviceToConfigInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <mutex>

class CConfiguratorHandlerPort;
class TerminalLink;

// The session with one terminal, in the worker's thread. Requests arrive from any thread
// into PendingRequests and wake it; a pass serves what is pending in the order of the
// request kinds, one transaction at a time, and nothing runs between passes. What the
// transactions read is handed on as values: the store is written by the thread that owns it.
class SessionController : public QObject, private TTransaction::Report
{
    Q_OBJECT
public:
    SessionController(CConfiguratorHandlerPort *port, QObject *parent = nullptr);

    void setTimeouts(const TSessionTimeouts &timeouts) { m_timeouts = timeouts; }
    // Tests run transactions over a scripted link instead of the one the port finds.
    void setLinkOverride(TerminalLink *link) { m_linkOverride = link; }
    // The object whose queued calls (the PIN) are delivered before a search starts.
    void setHandOverObject(QObject *object) { m_handOver = object; }

    // Callable from any thread.
    void request(const TSessionRequest &request);
    void setPin(const QString &pin);
    void setUpdateState(bool on) { m_updateState.store(on); }
    void setStatePage(int page) { m_statePage.store(page); }
    void raiseIrq() { m_irq.store(1); }
    void lowerIrq() { m_irq.store(0); }
    // A state read is due: only worth waking the worker for while connected and polling.
    void tick();
    // Every wait ends within a slice; the session then stops where it is.
    void cancelAll() { m_cancel.store(true); }
    bool isConnected() const { return m_connected.load(); }
    const std::atomic<bool> &cancelFlag() const { return m_cancel; }

public slots:
    // Serves every pending request; requests that arrive meanwhile are served too.
    void runPasses();
    // The relay server reported the terminal gone.
    void onDeviceLost();
    // Ends a session still open (close notification over the relay), for the end of the program.
    void closeQuietly();
    // The once-a-second state read without per-row progress and bar: a window has no use
    // for texts that change tens of times a second.
    void setQuietPolling(bool quiet) { m_quietPolling.store(quiet); }

signals:
    void progress(TSessionProgress progress);
    void percent(int value);
    void outcome(TSessionOutcome outcome);
    void connected();
    void disconnected(bool lost);
    void pinRefused();
    // The rows of one read, handed over together: one wake-up of the store's thread, not one
    // per row.
    void parametersRead(QVector<TParameterValue> values);
    void groupRead();
    void deviceTypeRead();
    void settingsRead(QByteArray base);
    // The terminal's settings as they are, for a backup: not applied to the store.
    void backupRead(QByteArray base);
    // A value of the store that the terminal was told (an output, counters) or sent back (a
    // sensor id): to be written into the store as it stands.
    void settingValue(int id, int subId, QByteArray value);
    void sensorsRead();
    void logData(QByteArray data);
    void deviceList(QList<TDeviceToConfigInfo> list);

private:
    void status(const TSessionProgress &p) override { emit progress(p); }
    void bar(int value) override { emit percent(value); }

    void pass();
    void schedule();
    void fetchList(const TSessionRequest &request);
    void startSession(const TSessionRequest &request);
    void endSession(const TSessionOutcome &ending);
    void declareLost();
    void readState(int group);
    void downloadSettings();
    void readBackup(bool withImei);
    void uploadSettings(const TSessionRequest &request);
    bool readRows(int first, int last, bool quiet = false);
    void enrolSensors(bool on, int sensors);
    bool uploadFirmware(const TSessionRequest &request);
    void downloadLog();
    void resetTraffic(int server);
    bool command(uint8_t code, ESessionOutcome done);
    void switchOutput(const TSessionRequest &request, bool on);
    // Writes a value the operator asked for; a refusal is told rather than left to look done.
    void writeCommanded(uint16_t id, const QByteArray &value);
    TTransaction transaction();
    TerminalLink *link();

    CConfiguratorHandlerPort *m_port;
    TerminalLink *m_linkOverride = nullptr;
    QObject *m_handOver = nullptr;
    PendingRequests m_pending;
    TSessionTimeouts m_timeouts;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_updateState{false};
    std::atomic<int> m_statePage{0};
    std::atomic<uint8_t> m_irq{0};
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_scheduled{false};
    std::atomic<bool> m_quietPolling{false};
    bool m_inPass = false;
    std::mutex m_pinLock;
    QString m_pin;
};
