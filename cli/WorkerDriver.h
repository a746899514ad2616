#pragma once

#include "model/ParameterTable.h"
#include "session/usb_handler.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

// What the worker reported while one step ran.
struct TStepRecord {
    QList<TSessionOutcome> outcomes;
    // State parameters whose read ended, by row: whether the value was stored.
    QMap<int, bool> parameters;
    bool listReceived = false;
    QList<TDeviceToConfigInfo> list;
    bool deviceConnected = false;
    bool typeReceived = false;
    bool disconnected = false;
    bool lost = false;
    bool settingsUpdated = false;
    QByteArray log;
    QByteArray backup; // the terminal's BASE, read for a backup
    bool backupRead = false;
    bool stalled = false; // the worker went silent for longer than any of its time limits

    const TSessionOutcome *find(ESessionOutcome code) const
    {
        for (const TSessionOutcome &o : outcomes) {
            if (o.code == code)
                return &o;
        }
        return nullptr;
    }
    bool has(ESessionOutcome code) const { return find(code) != nullptr; }
};

// Runs one usb_handler in its own thread, wired as the window wires it, and turns its
// signals into steps: each call below starts one step, and stepFinished reports it with
// everything the worker said meanwhile. Only one step runs at a time.
//
// A connection ends on the worker's own outcome signals. Every other request is followed
// by a marker queued into the worker's thread that runs one pass and then answers: by the
// time the answer arrives, the pass that carried out the request is over and all of its
// signals have been delivered. That is how a request that fails silently (an unanswered
// restart) is told from one still running.
class WorkerDriver : public QObject
{
    Q_OBJECT
public:
    explicit WorkerDriver(bool fastTimeouts, QObject *parent = nullptr);
    ~WorkerDriver() override;

    // Creates the worker and starts its thread.
    void start();
    // Ends a session still open (close notification over the relay) and joins the thread.
    void stop();

    void fetchList(const TServerAddress &server);
    // An empty pin keeps the worker's default.
    void connectTo(const TDeviceToConnect &device, const QString &pin);
    void downloadSettings();
    // The terminal's settings as they are, for a backup; the store is not touched.
    void readBackup();
    // The image is built here, in the thread that filled SettingsStorage.
    void uploadSettings();
    void downloadLog();
    void uploadFirmware(const QString &path);
    void restart();
    void factoryReset();
    void readStateGroup(ParameterGroup group);
    void endSession();

    bool isConnected() const { return m_worker && m_worker->isConnected(); }
    // A loss reported at any time since the last connection, between steps included.
    bool lostSinceConnect() const { return m_lostSinceConnect; }

signals:
    // A status line; perItem: one of those sent once per parameter or chunk.
    void statusText(const QString &text, bool perItem);
    void stepFinished(const TStepRecord &record);

private slots:
    void onDeviceConnected();
    void onDeviceDisconnected(bool lost);
    void onProgress(TSessionProgress progress);
    void onOutcome(TSessionOutcome outcome);
    void onParameterRead(int row, bool ok);
    void onSettingsUpdated();
    void onLogData(QByteArray data);
    void onBackupRead(QByteArray base);
    void onDeviceList(QList<TDeviceToConfigInfo> list);
    void onDeviceTypeReceived();
    void onStalled();

private:
    enum class EStepEnd { None, ConnectOutcome, Marker };

    void begin(EStepEnd end);
    void finishAfterPass();
    void markerReached(quint64 step);
    void finish();
    void activity();

    QThread *m_thread = nullptr; // left behind, never destroyed running, if it will not stop
    usb_handler *m_worker = nullptr;
    QTimer m_watchdog;
    EStepEnd m_end = EStepEnd::None;
    quint64 m_step = 0;
    TStepRecord m_record;
    bool m_lostSinceConnect = false;
    TSessionTimeouts m_sessionTimeouts;
    TTransportTimeouts m_transportTimeouts;
};
