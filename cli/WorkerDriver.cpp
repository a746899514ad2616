#include "cli/WorkerDriver.h"

#include "cli/CliLog.h"

#include <QMetaObject>

namespace {

constexpr int WORKER_STOP_WAIT_MS = 8000;

TSessionTimeouts sessionTimeouts(bool fast)
{
    TSessionTimeouts t;
    if (fast) {
        t.replyMs = 1500;
        t.fileReplyMs = 1500;
    }
    return t;
}

TTransportTimeouts transportTimeouts(bool fast)
{
    TTransportTimeouts t;
    if (fast) {
        t.serverConnectMs = 1000;
        t.socketWaitMs = 2000;
        t.relayAnswerMs = 2000;
    }
    return t;
}

// The longest the worker may stay silent in a healthy transaction: one wait of each kind
// back to back, twice over.
int watchdogMs(const TSessionTimeouts &s, const TTransportTimeouts &t)
{
    const int longest = qMax(qMax(s.replyMs, s.fileReplyMs), t.serverConnectMs + t.socketWaitMs + t.relayAnswerMs);
    return 2 * longest + 5000;
}

} // namespace

WorkerDriver::WorkerDriver(bool fastTimeouts, QObject *parent)
    : QObject(parent)
    , m_sessionTimeouts(sessionTimeouts(fastTimeouts))
    , m_transportTimeouts(transportTimeouts(fastTimeouts))
{
    qRegisterMetaType<TDeviceToConnect>("TDeviceToConnect");
    qRegisterMetaType<TServerAddress>("TServerAddress");
    qRegisterMetaType<QList<TDeviceToConfigInfo>>("QList<TDeviceToConfigInfo>");

    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(watchdogMs(m_sessionTimeouts, m_transportTimeouts));
    connect(&m_watchdog, &QTimer::timeout, this, &WorkerDriver::onStalled);
}

WorkerDriver::~WorkerDriver()
{
    stop();
}

void WorkerDriver::start()
{
    if (m_worker)
        return;
    // Made only when needed: a worker whose thread never ran cannot be torn down cleanly.
    m_worker = new usb_handler;
    m_worker->setTimeouts(m_sessionTimeouts);
    m_worker->port()->setTimeouts(m_transportTimeouts);
    m_thread = new QThread;
    m_worker->runIn(m_thread);

    connect(m_thread, &QThread::started, m_worker, &usb_handler::main_loop);
    connect(m_worker, &usb_handler::device_connected, this, &WorkerDriver::onDeviceConnected);
    connect(m_worker, &usb_handler::device_disconnected, this, &WorkerDriver::onDeviceDisconnected);
    connect(m_worker, &usb_handler::progress, this, &WorkerDriver::onProgress);
    connect(m_worker, &usb_handler::outcome, this, &WorkerDriver::onOutcome);
    connect(m_worker, &usb_handler::parameter_read, this, &WorkerDriver::onParameterRead);
    connect(m_worker, &usb_handler::settings_updated, this, &WorkerDriver::onSettingsUpdated);
    connect(m_worker, &usb_handler::log_data, this, &WorkerDriver::onLogData);
    connect(m_worker, &usb_handler::backup_read, this, &WorkerDriver::onBackupRead);
    connect(m_worker, &usb_handler::device_list, this, &WorkerDriver::onDeviceList);
    connect(m_worker, &usb_handler::device_type_received, this, &WorkerDriver::onDeviceTypeReceived);
    m_thread->start(QThread::InheritPriority);
}

void WorkerDriver::stop()
{
    m_watchdog.stop();
    m_end = EStepEnd::None;
    if (!m_worker)
        return;
    // Cuts a transaction short; the queued shutdown sends the close notification and quits
    // the thread.
    m_worker->request_shutdown();
    QMetaObject::invokeMethod(m_worker, "shutdown", Qt::QueuedConnection);
    if (!m_thread->wait(WORKER_STOP_WAIT_MS) || !m_worker->hasStopped()) {
        // Deleting a running thread or an object busy in it would crash; at exit, leaking
        // is safe.
        qCWarning(lcCli) << "[WorkerDriver::stop] WARNING worker thread still running, left behind";
        m_worker = nullptr;
        m_thread = nullptr;
        return;
    }
    delete m_worker;
    m_worker = nullptr;
    delete m_thread;
    m_thread = nullptr;
}

void WorkerDriver::begin(EStepEnd end)
{
    Q_ASSERT(m_end == EStepEnd::None);
    ++m_step;
    m_record = TStepRecord{};
    m_end = end;
    m_watchdog.start();
}

void WorkerDriver::finishAfterPass()
{
    const quint64 step = m_step;
    usb_handler *worker = m_worker;
    // Queued behind the request: the pass it runs carries the request out unless an
    // earlier pass already did; either way that pass is over when the answer is posted.
    QMetaObject::invokeMethod(
        m_worker,
        [this, worker, step] {
            worker->main_loop();
            QMetaObject::invokeMethod(this, [this, step] { markerReached(step); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void WorkerDriver::markerReached(quint64 step)
{
    if (step == m_step && m_end == EStepEnd::Marker)
        finish();
}

void WorkerDriver::finish()
{
    m_watchdog.stop();
    m_end = EStepEnd::None;
    const TStepRecord record = m_record;
    m_record = TStepRecord{};
    // The receiver may start the next step from here.
    emit stepFinished(record);
}

void WorkerDriver::activity()
{
    if (m_end != EStepEnd::None)
        m_watchdog.start();
}

void WorkerDriver::fetchList(const TServerAddress &server)
{
    begin(EStepEnd::Marker);
    QMetaObject::invokeMethod(m_worker, "update_server_param", Qt::QueuedConnection, Q_ARG(TServerAddress, server));
    finishAfterPass();
}

void WorkerDriver::connectTo(const TDeviceToConnect &device, const QString &pin)
{
    m_lostSinceConnect = false;
    begin(EStepEnd::ConnectOutcome);
    // Queued as the window queues it; the search takes queued calls in before it starts.
    if (!pin.isEmpty())
        QMetaObject::invokeMethod(m_worker, "on_device_pin", Qt::QueuedConnection, Q_ARG(QString, pin));
    m_worker->start_connection(device);
}

void WorkerDriver::downloadSettings()
{
    begin(EStepEnd::Marker);
    m_worker->on_download_settings();
    finishAfterPass();
}

void WorkerDriver::readBackup()
{
    begin(EStepEnd::Marker);
    m_worker->read_backup();
    finishAfterPass();
}

void WorkerDriver::uploadSettings()
{
    begin(EStepEnd::Marker);
    m_worker->on_upload_settings();
    finishAfterPass();
}

void WorkerDriver::downloadLog()
{
    begin(EStepEnd::Marker);
    QMetaObject::invokeMethod(m_worker, "on_download_log", Qt::QueuedConnection);
    finishAfterPass();
}

void WorkerDriver::uploadFirmware(const QString &path)
{
    begin(EStepEnd::Marker);
    QMetaObject::invokeMethod(m_worker, "update_firmware", Qt::QueuedConnection, Q_ARG(QString, path));
    finishAfterPass();
}

void WorkerDriver::restart()
{
    begin(EStepEnd::Marker);
    m_worker->on_reset_device();
    finishAfterPass();
}

void WorkerDriver::factoryReset()
{
    begin(EStepEnd::Marker);
    m_worker->on_tofactory();
    finishAfterPass();
}

void WorkerDriver::readStateGroup(ParameterGroup group)
{
    begin(EStepEnd::Marker);
    // The periodic state read of the window, one tick at a time. The tab is set before the
    // tick so that a pass in between cannot read the previous group.
    m_worker->on_current_state_tab_changed(int(group));
    m_worker->on_start_update_state();
    m_worker->on_regular_timer();
    finishAfterPass();
}

void WorkerDriver::endSession()
{
    begin(EStepEnd::Marker);
    m_worker->on_stop_update_state();
    m_worker->stop_connection();
    finishAfterPass();
}

void WorkerDriver::onDeviceConnected()
{
    activity();
    m_record.deviceConnected = true;
}

void WorkerDriver::onDeviceDisconnected(bool lost)
{
    activity();
    m_record.disconnected = true;
    if (lost) {
        m_record.lost = true;
        m_lostSinceConnect = true;
    }
    qCDebug(lcCli) << "[WorkerDriver] device_disconnected, lost:" << lost;
    // Lost right after the PIN: the device type never came.
    if (m_end == EStepEnd::ConnectOutcome)
        finish();
}

void WorkerDriver::onProgress(TSessionProgress progress)
{
    activity();
    emit statusText(progressText(progress), isPerItem(progress.kind));
}

void WorkerDriver::onOutcome(TSessionOutcome outcome)
{
    activity();
    m_record.outcomes.append(outcome);
    if (outcome.code != ESessionOutcome::Lost)
        emit statusText(outcomeText(outcome), false);
    if (m_end == EStepEnd::ConnectOutcome && endsAttempt(outcome.code))
        finish();
}

void WorkerDriver::onParameterRead(int row, bool ok)
{
    activity();
    m_record.parameters.insert(row, ok);
}

void WorkerDriver::onSettingsUpdated()
{
    activity();
    m_record.settingsUpdated = true;
}

void WorkerDriver::onLogData(QByteArray data)
{
    activity();
    m_record.log.append(data);
}

void WorkerDriver::onBackupRead(QByteArray base)
{
    activity();
    m_record.backup = base;
    m_record.backupRead = true;
}

void WorkerDriver::onDeviceList(QList<TDeviceToConfigInfo> list)
{
    activity();
    m_record.listReceived = true;
    m_record.list = list;
}

void WorkerDriver::onDeviceTypeReceived()
{
    activity();
    m_record.typeReceived = true;
    if (m_end == EStepEnd::ConnectOutcome)
        finish();
}

void WorkerDriver::onStalled()
{
    if (m_end == EStepEnd::None)
        return;
    qCWarning(lcCli) << "[WorkerDriver::onStalled] WARNING the worker reported nothing within"
                     << m_watchdog.interval() << "ms";
    m_record.stalled = true;
    finish();
}
