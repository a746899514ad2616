#include "session/SessionController.h"

#include "model/SettingsStorage.h"
#include "session/Authorization.h"
#include "session/DeviceCommand.h"
#include "session/FileDownload.h"
#include "session/FileUpload.h"
#include "session/FirmwareUpload.h"
#include "session/ParameterGroupRead.h"
#include "session/SessionLog.h"
#include "session/SettingExchange.h"
#include "session/TerminalFrames.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/TerminalLink.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

constexpr uint16_t ADD_SENSOR_MODE_ID = 3368;
constexpr uint16_t SENSOR_ID = 3356;
constexpr uint16_t DIGITAL_OUTPUT_ID = 1061;
constexpr int COUNTER_SIZE = 4;
constexpr uint16_t IMEI_ID = 5;

// Bytes sent to / received from server k (1..8).
uint16_t sentCounterId(int k)
{
    return uint16_t(k <= 4 ? 2007 + k : 2011 + k);
}

uint16_t receivedCounterId(int k)
{
    return uint16_t(k <= 4 ? 2011 + k : 2015 + k);
}

} // namespace

SessionController::SessionController(CConfiguratorHandlerPort *port, QObject *parent)
    : QObject(parent), m_port(port)
{
}

void SessionController::request(const TSessionRequest &request)
{
    m_pending.put(request);
    schedule();
}

void SessionController::setPin(const QString &pin)
{
    std::lock_guard<std::mutex> lock(m_pinLock);
    m_pin = pin;
}

void SessionController::tick()
{
    // A group asked for by number and still pending is a state read too: not replaced.
    if (m_connected.load() && m_updateState.load() && !m_pending.has(ERequest::StateRead))
        request({ERequest::StateRead});
}

void SessionController::schedule()
{
    // One call on its way is enough: it serves whatever is pending when it runs.
    if (!m_scheduled.exchange(true))
        QMetaObject::invokeMethod(this, &SessionController::runPasses, Qt::QueuedConnection);
}

void SessionController::runPasses()
{
    m_scheduled.store(false);
    // Queued calls delivered from inside a pass (the PIN hand-over) must not start another.
    if (m_inPass)
        return;
    m_inPass = true;
    while (!m_pending.isEmpty() && !m_cancel.load())
        pass();
    m_inPass = false;
}

TerminalLink *SessionController::link()
{
    return m_linkOverride ? m_linkOverride : m_port->terminalLink();
}

TTransaction SessionController::transaction()
{
    TTransaction t;
    t.link = link();
    t.cancel = &m_cancel;
    t.timeouts = m_timeouts;
    t.report = this;
    return t;
}

void SessionController::pass()
{
    if (auto list = m_pending.take(ERequest::FetchList))
        fetchList(*list);

    if (m_pending.take(ERequest::Stop)) {
        // Out of the session before the close: a server's close packet that arrives while
        // the notification is written must not report the same ending as a loss.
        m_connected.store(false);
        m_port->close(true);
        emit disconnected(false);
        emit outcome({ESessionOutcome::Disconnected});
        return;
    }

    if (!m_connected.load()) {
        // Requests made while no session exists are dropped.
        const auto start = m_pending.take(ERequest::Start);
        m_pending.clear();
        if (start)
            startSession(*start);
        return;
    }

    if (const auto state = m_pending.take(ERequest::StateRead)) {
        // A group asked for by number is read whether or not the state is polled.
        if (state->number > 0)
            readState(state->number - 1);
        else if (m_updateState.load())
            readState(m_statePage.load());
    }
    if (!m_connected.load())
        return;
    if (const auto backup = m_pending.take(ERequest::ReadBackup))
        readBackup(backup->number != 0);
    if (!m_connected.load())
        return;
    if (m_pending.take(ERequest::DownloadSettings))
        downloadSettings();
    if (!m_connected.load())
        return;
    if (const auto upload = m_pending.take(ERequest::UploadSettings))
        uploadSettings(*upload);
    if (!m_connected.load())
        return;
    if (m_pending.take(ERequest::SensorEnrolmentOn))
        enrolSensors(true, 0);
    if (const auto off = m_pending.take(ERequest::SensorEnrolmentOff); off && m_connected.load())
        enrolSensors(false, off->number);
    bool firmwareDone = false;
    if (const auto firmware = m_pending.take(ERequest::Firmware); firmware && m_connected.load())
        firmwareDone = uploadFirmware(*firmware);
    if (!firmwareDone && m_connected.load() && m_pending.take(ERequest::DownloadLog))
        downloadLog();
    for (int server = 1; server <= 8; ++server) {
        if (m_connected.load() && m_pending.take(trafficReset(server)))
            resetTraffic(server);
    }
    bool restarted = false;
    if (m_connected.load() && m_pending.take(ERequest::Restart))
        restarted = command(TerminalFrames::REQUEST_RESTART, ESessionOutcome::Restarted);
    if (!restarted && m_connected.load() && m_pending.take(ERequest::FactoryReset))
        command(TerminalFrames::REQUEST_FACTORY_RESET, ESessionOutcome::FactoryReset);
    if (const auto on = m_pending.take(ERequest::OutputOn); on && m_connected.load())
        switchOutput(*on, true);
    if (const auto off = m_pending.take(ERequest::OutputOff); off && m_connected.load())
        switchOutput(*off, false);
}

void SessionController::fetchList(const TSessionRequest &request)
{
    if (!m_port->updateServerParameters(request.server)) {
        emit outcome({ESessionOutcome::ServerUnreachable});
        return;
    }
    const QList<TDeviceToConfigInfo> list = m_port->getServerDeviceList();
    // No answer is not an empty list: the server said nothing about its terminals.
    if (!m_port->deviceListReceived()) {
        emit outcome({ESessionOutcome::NoDeviceList});
        return;
    }
    emit deviceList(list);
}

void SessionController::startSession(const TSessionRequest &request)
{
    // A PIN that the window queued before asking for this connection is in force for it.
    if (m_handOver)
        QCoreApplication::sendPostedEvents(m_handOver, QEvent::MetaCall);

    emit progress({EProgress::Searching});
    const uint8_t found = m_linkOverride ? uint8_t(CONNECT_OK) : uint8_t(m_port->findDevice(request.device));
    switch (found) {
    case uint8_t(CONNECT_FAILED):
    case uint8_t(CONNECT_NO_ANSWER):
        emit outcome({ESessionOutcome::ConnectFailed});
        return;
    case uint8_t(CONNECT_NOT_FOUND):
        emit outcome({ESessionOutcome::DeviceNotFound});
        return;
    case uint8_t(CONNECT_BUSY):
        emit outcome({ESessionOutcome::DeviceBusy});
        return;
    default:
        emit progress({EProgress::Authorizing});
        break;
    }

    QByteArray pin;
    {
        std::lock_guard<std::mutex> lock(m_pinLock);
        pin = m_pin.toUtf8();
    }
    switch (Authorization::run(transaction(), pin)) {
    case Authorization::EResult::Accepted:
        break;
    case Authorization::EResult::Refused:
        m_port->close(true);
        // The attempt's outcome first: the prompt that follows starts the next one.
        emit outcome({ESessionOutcome::WrongPin});
        emit pinRefused();
        emit progress({EProgress::AuthorizationFailed});
        return;
    case Authorization::EResult::NoAnswer:
        m_port->close(true);
        emit outcome({ESessionOutcome::NoAnswer});
        emit progress({EProgress::AuthorizationFailed});
        return;
    }
    m_connected.store(true);
    m_pending.take(ERequest::Stop);
    emit connected();
    m_irq.store(0);
    uint16_t first = 0;
    uint16_t last = 0;
    groupBounds(GROUP_DEVICE_TYPE, &first, &last);
    // A terminal that went silent right after the PIN is gone, not connected.
    if (!readRows(first, last))
        return;
    emit deviceTypeRead();
    emit outcome({ESessionOutcome::Connected});
}

// The outcome goes before the disconnection: it is what the session ended with.
void SessionController::endSession(const TSessionOutcome &ending)
{
    m_connected.store(false);
    m_port->close(true);
    emit outcome(ending);
    emit disconnected(false);
}

void SessionController::declareLost()
{
    const bool wasConnected = m_connected.exchange(false);
    m_port->close(true);
    // Cut short by the program closing: nobody is left to tell.
    if (wasConnected && !m_cancel.load()) {
        emit outcome({ESessionOutcome::Lost});
        emit disconnected(true);
    }
}

void SessionController::onDeviceLost()
{
    if (m_connected.exchange(false)) {
        emit outcome({ESessionOutcome::Lost});
        emit disconnected(true);
    }
}

void SessionController::closeQuietly()
{
    m_connected.store(false);
    m_pending.clear();
    m_port->close(true);
}

void SessionController::readState(int group)
{
    uint16_t first = 0;
    uint16_t last = 0;
    groupBounds(ParameterGroup(group), &first, &last);
    if (!readRows(first, last, m_quietPolling.load()))
        return;
    emit groupRead();
    emit progress({EProgress::Polled});
}

void SessionController::downloadSettings()
{
    emit progress({EProgress::LoadingSettings});
    QByteArray base;
    if (!FileDownload::run(transaction(), QByteArrayLiteral("BASE"), &base)) {
        qCDebug(lcSession) << "Error downloading settings";
        emit outcome({ESessionOutcome::SettingsLoadFailed});
        declareLost();
        return;
    }
    // Parsed where the store lives; that side tells the outcome, with what was missing.
    emit settingsRead(base);
}

// True when every row answered; a silent terminal is lost.
bool SessionController::readRows(int first, int last, bool quiet)
{
    TTransaction t = transaction();
    if (quiet)
        t.report = nullptr;
    QVector<TParameterValue> values;
    values.reserve(last - first + 1);
    const auto result = ParameterGroupRead::readRows(t, first, last, m_irq,
                                                     [&values](int row, const QByteArray &value, bool ok) {
                                                         values.append({row, value, ok});
                                                     });
    // What was read before a loss still counts.
    if (!values.isEmpty())
        emit parametersRead(values);
    if (result != ParameterGroupRead::EResult::NoAnswer)
        return true;
    declareLost();
    return false;
}

void SessionController::readBackup(bool withImei)
{
    // A terminal on USB is named by its IMEI, which the backup's file name needs.
    const int imeiRow = parameterRowOfId(IMEI_ID);
    if (withImei && !readRows(imeiRow, imeiRow))
        return;
    emit progress({EProgress::ReadingBackup});
    QByteArray base;
    if (!FileDownload::run(transaction(), QByteArrayLiteral("BASE"), &base)) {
        emit outcome({ESessionOutcome::BackupReadFailed});
        declareLost();
        return;
    }
    emit backupRead(base);
}

void SessionController::uploadSettings(const TSessionRequest &request)
{
    emit progress({EProgress::SendingSettings});
    if (FileUpload::run(transaction(), QByteArrayLiteral("SETTINGS"), request.bytes)) {
        emit outcome({ESessionOutcome::SettingsSent});
        return;
    }
    emit outcome({ESessionOutcome::SettingsSendFailed});
    declareLost();
}

void SessionController::enrolSensors(bool on, int sensors)
{
    writeCommanded(ADD_SENSOR_MODE_ID, QByteArray(1, on ? '\1' : '\0'));
    if (on)
        return;
    for (int sub = 0; sub < sensors && m_connected.load(); ++sub) {
        QByteArray id;
        if (SettingExchange::read(transaction(), SENSOR_ID, uint16_t(sub), uint(sub), uint8_t(SENSOR_ID_SIZE), &id) == 1)
            emit settingValue(SENSOR_ID, sub, id);
    }
    emit sensorsRead();
}

bool SessionController::uploadFirmware(const TSessionRequest &request)
{
    switch (FirmwareUpload::run(transaction(), request.path)) {
    case FirmwareUpload::EResult::Sent:
        endSession({ESessionOutcome::FirmwareInstalled});
        return true;
    case FirmwareUpload::EResult::Missing:
        emit outcome({ESessionOutcome::FirmwareFileMissing});
        emit progress({EProgress::FirmwareFailed});
        return false;
    case FirmwareUpload::EResult::Unreadable:
        emit outcome({ESessionOutcome::FirmwareFileUnreadable});
        emit progress({EProgress::FirmwareFailed});
        return false;
    case FirmwareUpload::EResult::Failed:
        emit outcome({ESessionOutcome::FirmwareFailed});
        return false;
    }
    return false;
}

void SessionController::downloadLog()
{
    emit progress({EProgress::LoadingLog});
    QByteArray log;
    if (!FileDownload::run(transaction(), QByteArrayLiteral("LOG"), &log,
                           [this](const QByteArray &chunk) { emit logData(chunk); })) {
        emit outcome({ESessionOutcome::LogFailed});
        declareLost();
        return;
    }
    emit outcome({ESessionOutcome::LogLoaded});
}

void SessionController::resetTraffic(int server)
{
    writeCommanded(sentCounterId(server), QByteArray(COUNTER_SIZE, '\0'));
    writeCommanded(receivedCounterId(server), QByteArray(COUNTER_SIZE, '\0'));
}

bool SessionController::command(uint8_t code, ESessionOutcome done)
{
    if (DeviceCommand::run(transaction(), code) == 1) {
        endSession({done});
        return true;
    }
    emit outcome({ESessionOutcome::CommandFailed});
    return false;
}

void SessionController::switchOutput(const TSessionRequest &request, bool on)
{
    // Only the first output exists; other indexes are ignored.
    if (request.number == 0)
        writeCommanded(DIGITAL_OUTPUT_ID, QByteArray(1, on ? '\1' : '\0'));
}

void SessionController::writeCommanded(uint16_t id, const QByteArray &value)
{
    // The store holds the value asked for, whatever the terminal says: as the terminal is told.
    emit settingValue(id, 0, value);
    if (SettingExchange::write(transaction(), id, 0, 0, value) != 1)
        emit outcome({ESessionOutcome::SettingRefused, id});
}
