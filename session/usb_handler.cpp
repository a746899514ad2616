#include "session/usb_handler.h"

#include "model/SettingRecordReader.h"
#include "model/SettingsCoverage.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/AnswerCollector.h"
#include "session/SessionLog.h"
#include "session/TerminalFrames.h"
#include "transport/Packet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cstring>

using namespace TerminalFrames;

namespace {

// Bytes sent to / received from server k (1..8).
uint16_t sentCounterId(int k)
{
    return uint16_t(k <= 4 ? 2007 + k : 2011 + k);
}

uint16_t receivedCounterId(int k)
{
    return uint16_t(k <= 4 ? 2011 + k : 2015 + k);
}

constexpr uint16_t ADD_SENSOR_MODE_ID = 3368;
constexpr uint16_t DIGITAL_OUTPUT_ID = 1061;

// A file the terminal serves is at most this long; more is a broken size field.
constexpr uint32_t FILE_SIZE_LIMIT = 64u * 1024u * 1024u;

// Waits are cut into slices so that a shutdown does not sit out a 15 s time limit.
constexpr int WAIT_SLICE_MS = 100;

int percentOf(double part, double whole)
{
    if (whole <= 0)
        return 100;
    const int pct = int((100.0 / whole) * part);
    return qBound(0, pct, 100);
}

// The debug line of a rejected answer; item names what was read ("parameter", "setting").
void logRejected(const ResponseCheck &check, const QByteArray &answer, const char *item, uint8_t size)
{
    switch (check.fault) {
    case Fault::None:
        break;
    case Fault::Short:
        qCDebug(lcSession) << "Recv short answer" << answer.size();
        break;
    case Fault::WrongType:
        qCDebug(lcSession) << "Recv wrong message type" << check.got;
        break;
    case Fault::WrongUuid:
        qCDebug(lcSession) << "Recv wrong UUID" << check.got;
        break;
    case Fault::ErrorCode:
        qCDebug(lcSession) << "Recv error code" << check.got;
        break;
    case Fault::WrongId:
        qCDebug(lcSession).noquote() << QStringLiteral("Recv wrong %1 ID").arg(QLatin1String(item)) << check.got;
        break;
    case Fault::WrongSize:
        qCDebug(lcSession).noquote() << QStringLiteral("Recv wrong %1 size").arg(QLatin1String(item)) << check.got;
        qCDebug(lcSession) << "Must be" << size;
        break;
    }
}

} // namespace

usb_handler::usb_handler(QObject *parent)
    : QObject(parent)
    , pin(QString::fromLatin1(DEFAULT_PIN))
{
    initConstantParameters();
    qRegisterMetaType<TSessionOutcome>("TSessionOutcome");
    port_handler = new CConfiguratorHandlerPort(this);
    connect(port_handler, &CConfiguratorHandlerPort::device_lost, this, &usb_handler::on_device_lost);
    // A child timer moves with the worker into its thread, so passes run there directly
    // and do not pile up as queued calls while a transaction blocks.
    loop_timer = new QTimer(this);
    connect(loop_timer, &QTimer::timeout, this, &usb_handler::main_loop);
    loop_timer->start(LOOP_PERIOD_MS);
}

usb_handler::~usb_handler() = default;

void usb_handler::request_shutdown()
{
    shutting_down.store(true);
}

void usb_handler::shutdown()
{
    shutting_down.store(true);
    loop_timer->stop();
    if (port_handler->isOpen())
        port_handler->close(true);
    connected.store(false);
    if (thread() != QCoreApplication::instance()->thread())
        thread()->quit();
}

// Sends one request and gathers its whole answer frame, however it is split.
// 1: a whole frame with a good CRC; 0: a whole frame with a bad CRC; -1: nothing, or only
// part of a frame, within the time limit.
int usb_handler::exchange(const QByteArray &frame, int timeoutMs, QByteArray *answer)
{
    answer->clear();
    // A late answer to an earlier request must not be taken for this one's.
    port_handler->discardInput();
    if (port_handler->isOpen()) {
        QByteArray bytes = frame;
        port_handler->write(bytes, uint64_t(bytes.size()));
    }
    AnswerCollector collector;
    QElapsedTimer clock;
    clock.start();
    while (!shutting_down.load()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        if (!port_handler->waitForReadyRead(uint32_t(qMin<qint64>(left, WAIT_SLICE_MS)))) {
            if (!port_handler->isOpen())
                break;
            continue;
        }
        collector.add(port_handler->readAll());
        if (collector.isComplete())
            break;
    }
    if (!collector.isComplete()) {
        if (!collector.isEmpty())
            qCDebug(lcSession) << "Incomplete answer," << collector.received() << "bytes";
        return -1;
    }
    *answer = collector.frame();
    if (!collector.crcOk()) {
        qCDebug(lcSession) << "Recv invalid CRC";
        return 0;
    }
    return 1;
}

void usb_handler::main_loop()
{
    // Queued calls delivered from inside a pass must not start another pass.
    if (in_pass || shutting_down.load())
        return;
    in_pass = true;
    run_pass();
    in_pass = false;
}

void usb_handler::run_pass()
{
    if (stop_request.load()) {
        // Out of the session before the close: a server's close packet that arrives while
        // the notification is written must not report the same ending as a loss.
        connected.store(false);
        port_handler->close(true);
        emit device_disconnected(false);
        stop_request.store(0);
        report({ESessionOutcome::Disconnected});
        return;
    }

    if (!connected.load()) {
        start_session();
        return;
    }

    if (update_state.load() && regular_tick.load()) {
        regular_tick.store(0);
        readParameters(ParameterGroup(state_page.load()));
        if (connected.load()) {
            emit state_updated();
            emit status_message(outcomeText({ESessionOutcome::Connected}));
        }
    }

    if (connected.load() && download_settings_request.exchange(0)) {
        emit status_message(tr("Загрузка настроек"));
        downloadSettings();
    }

    if (connected.load() && upload_settings_request.exchange(0)) {
        emit status_message(tr("Передача настроек"));
        uploadSettings();
    }

    if (connected.load() && add_temp_start.exchange(0)) {
        SettingsStorage.addSensorMode[0] = 1;
        write_command_setting(ADD_SENSOR_MODE_ID);
    }

    if (connected.load() && add_temp_stop.exchange(0)) {
        SettingsStorage.addSensorMode[0] = 0;
        write_command_setting(ADD_SENSOR_MODE_ID);
        const int sensors = boundedCapabilities().temperatureSensorCount;
        for (int sub = 0; sub < sensors && connected.load(); ++sub)
            readSetting(3356, uint16_t(sub), uint(sub));
        emit settings_updated();
    }

    bool firmware_done = false;
    if (connected.load() && firmware_request.exchange(0)) {
        if (uploadFirmware()) {
            end_session({ESessionOutcome::FirmwareInstalled});
            firmware_done = true;
        }
    }

    if (!firmware_done && connected.load() && download_log_request.exchange(0)) {
        if (downloadLog())
            report({ESessionOutcome::LogLoaded});
    }

    for (int k = 1; k <= 8; ++k) {
        if (connected.load() && reset_traffic_request[k - 1].exchange(0))
            run_traffic_reset(k);
    }

    bool restarted = false;
    if (connected.load() && reset_device_request.exchange(0)) {
        if (sendCommand(REQUEST_RESTART, nullptr, 0) == 1) {
            end_session({ESessionOutcome::Restarted});
            restarted = true;
        } else {
            report({ESessionOutcome::CommandFailed});
        }
    }

    if (!restarted && connected.load() && tofactory_request.exchange(0)) {
        if (sendCommand(REQUEST_FACTORY_RESET, nullptr, 0) == 1)
            end_session({ESessionOutcome::FactoryReset});
        else
            report({ESessionOutcome::CommandFailed});
    }

    if (set_output_request.exchange(0) && set_output_index.load() == 0) {
        SettingsStorage.parameters.digitalOutputs[0][0] = 1;
        write_command_setting(DIGITAL_OUTPUT_ID);
    }

    if (reset_output_request.exchange(0) && reset_output_index.load() == 0) {
        SettingsStorage.parameters.digitalOutputs[0][0] = 0;
        write_command_setting(DIGITAL_OUTPUT_ID);
    }
}

void usb_handler::start_session()
{
    if (!start_request.load()) {
        clear_requests();
        return;
    }
    start_request.store(0);
    // A PIN that the window queued before asking for this connection is in force for it.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);

    emit status_message(tr("Поиск устройства"));
    const uint8_t found = uint8_t(port_handler->findDevice(pending_device()));
    switch (found) {
    case uint8_t(CONNECT_FAILED):
    case uint8_t(CONNECT_NO_ANSWER):
        report({ESessionOutcome::ConnectFailed});
        return;
    case uint8_t(CONNECT_NOT_FOUND):
        report({ESessionOutcome::DeviceNotFound});
        return;
    case uint8_t(CONNECT_BUSY):
        report({ESessionOutcome::DeviceBusy});
        return;
    default:
        emit status_message(tr("Устройство найдено, авторизация"));
        break;
    }

    if (!check_pin()) {
        emit status_message(tr("Ошибка авторизации"));
        return;
    }
    connected.store(true);
    stop_request.store(0);
    emit device_connected();
    irq.store(0);
    readParameters(GROUP_DEVICE_TYPE);
    // A terminal that went silent right after the PIN is gone, not connected.
    if (!connected.load())
        return;
    emit device_type_received();
    report({ESessionOutcome::Connected});
}

// The outcome goes before the disconnection: it is what the session ended with.
void usb_handler::end_session(const TSessionOutcome &ending)
{
    connected.store(false);
    if (port_handler->isOpen())
        port_handler->close(true);
    report(ending);
    emit device_disconnected(false);
}

void usb_handler::report(const TSessionOutcome &result)
{
    emit status_message(outcomeText(result));
    emit outcome(result);
}

// A setting written on the operator's command (output, counters, sensor enrolment): the value
// is already stored, so a refusal is told rather than left to look done.
void usb_handler::write_command_setting(uint16_t id)
{
    if (writeSetting(id, 0, 0) != 1)
        report({ESessionOutcome::SettingRefused, id});
}

void usb_handler::clear_requests()
{
    for (Flag *flag : {&set_output_request, &reset_output_request, &start_request, &stop_request,
                       &add_keys_start, &add_keys_stop, &add_temp_start, &add_temp_stop,
                       &firmware_request, &regular_tick, &download_settings_request,
                       &upload_settings_request, &download_log_request, &reset_odo_request,
                       &reset_trip_request, &update_can_request, &upload_can_request,
                       &can_info_request, &reset_device_request, &tofactory_request,
                       &clean_bb_request, &take_photo_request})
        flag->store(0);
    for (Flag &flag : reset_traffic_request)
        flag.store(0);
}

void usb_handler::run_traffic_reset(int server)
{
    TTrafficCounters &counters = SettingsStorage.parameters.traffic[server - 1];
    std::memset(counters.sent, 0, sizeof counters.sent);
    std::memset(counters.received, 0, sizeof counters.received);
    write_command_setting(sentCounterId(server));
    write_command_setting(receivedCounterId(server));
}

TDeviceToConnect usb_handler::pending_device()
{
    std::lock_guard<std::mutex> lock(handover_lock);
    return device;
}

int usb_handler::authorize()
{
    QByteArray pinBytes;
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        pinBytes = pin.toUtf8();
    }
    // The frame's length field is 4: any other PIN would put garbage on the wire.
    if (pinBytes.size() != 4) {
        qCDebug(lcSession) << "PIN is not 4 bytes long, not sent";
        port_handler->close(true);
        return 0;
    }
    QByteArray answer;
    const int got = exchange(authRequest(pinBytes), m_timeouts.replyMs, &answer);
    // A corrupted answer says nothing about the PIN.
    if (got <= 0) {
        declare_lost();
        return -1;
    }
    if (authAnswerByte(answer) > 0)
        return 1;
    port_handler->close(true);
    return 0;
}

bool usb_handler::check_pin()
{
    const int result = authorize();
    if (result > 0)
        return true;
    if (result == 0) {
        // The attempt's outcome first: the prompt that follows starts the next one.
        report({ESessionOutcome::WrongPin});
        emit pin_request();
    } else {
        report({ESessionOutcome::NoAnswer});
    }
    return false;
}

void usb_handler::declare_lost()
{
    const bool wasConnected = connected.exchange(false);
    if (port_handler->isOpen())
        port_handler->close(true);
    if (wasConnected) {
        emit outcome({ESessionOutcome::Lost});
        emit device_disconnected(true);
    }
}

void usb_handler::readParameters(ParameterGroup group)
{
    uint16_t first = 0;
    uint16_t last = 0;
    groupBounds(group, &first, &last);
    for (int k = first; k <= last; ++k) {
        const ParameterDescriptor &row = parameterRow(k);
        qCDebug(lcSession) << "Read parameter" << row.id;
        if (irq.load()) {
            qCDebug(lcSession) << "Cancelled";
            irq.store(0);
            break;
        }
        if (row.id == PROTO_VER_ID)
            continue;
        emit status_message(tr("Чтение параметра ") + parameterName(k));
        emit bar_percentage(last == first ? 0 : int((100.0 / (last - first)) * (k - first)));

        QByteArray answer;
        const int got = exchange(readRequest(uint32_t(k), row.id, 0), m_timeouts.replyMs, &answer);
        if (got < 0) {
            declare_lost();
            break;
        }
        const ResponseCheck check = got == 0 ? ResponseCheck{}
                                             : checkResponse(answer, uint32_t(k), true, row.id, row.size);
        if (got == 0 || check.fault != Fault::None) {
            if (got != 0)
                logRejected(check, answer, "parameter", row.size);
            emit parameter_read(k, false);
            continue;
        }
        std::memcpy(row.value, check.value.constData(), row.size);
        qCDebug(lcSession) << "Parameter sucessfuly received" << row.id;
        emit parameter_read(k, true);
        emit state_updated();
    }
    emit bar_percentage(0);
}

int usb_handler::readSetting(uint16_t id, uint16_t subId, uint uuid)
{
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(id, subId, &location);
    qCDebug(lcSession) << "Read parameter" << id;
    emit status_message(tr("Чтение параметра ") + QString::number(id));

    const uint32_t wireUuid = uuid & 0xFFFFu;
    QByteArray answer;
    const int got = exchange(readRequest(wireUuid, id, subId), m_timeouts.replyMs, &answer);
    if (got < 0)
        return -1;
    if (got == 0)
        return 0;
    const ResponseCheck check = checkResponse(answer, wireUuid, true, id, size);
    if (check.fault != Fault::None) {
        logRejected(check, answer, "setting", size);
        return 0;
    }
    if (size > 0)
        std::memcpy(location, check.value.constData(), size);
    qCDebug(lcSession) << "Setting sucessfuly received" << id;
    return 1;
}

// The checks shared by writes and commands: type, uuid, result.
static int judgeAcknowledge(const QByteArray &answer, uint32_t uuid)
{
    const ResponseCheck check = checkResponse(answer, uuid, false, 0, 0);
    if (check.fault == Fault::None)
        return 1;
    logRejected(check, answer, "setting", 0);
    return 0;
}

int usb_handler::writeSetting(uint16_t id, uint16_t subId, uint uuid)
{
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(id, subId, &location);
    emit status_message(tr("Передача параметра ") + QString::number(id));

    const uint32_t wireUuid = uuid & 0xFFFFu;
    QByteArray answer;
    const int got = exchange(writeRequest(wireUuid, id, subId, location, size), m_timeouts.replyMs, &answer);
    if (got < 0)
        return -1;
    if (got == 0 || judgeAcknowledge(answer, wireUuid) == 0)
        return 0;
    qCDebug(lcSession) << "Setting sucessfuly sended" << id;
    return 1;
}

int usb_handler::sendCommand(uint8_t code, const uint8_t *data, uint8_t length)
{
    qCDebug(lcSession) << "Send command";
    emit status_message(tr("Отправка команды"));
    QByteArray answer;
    const int got = exchange(commandRequest(code, data, length), m_timeouts.replyMs, &answer);
    if (got < 0)
        return -1;
    if (got == 0 || judgeAcknowledge(answer, COMMAND_UUID) == 0)
        return 0;
    qCDebug(lcSession) << "Setting sucessfuly sended";
    return 1;
}

int usb_handler::getFile(QByteArray name, QByteArray &out)
{
    const bool isLog = name.contains("LOG");
    out.clear();
    uint32_t wanted = FILE_CHUNK_MAX;
    uint32_t offset = 0;
    uint32_t total = 0;
    auto fail = [this]() {
        emit bar_percentage(0);
        return 0;
    };
    for (;;) {
        qCDebug(lcSession) << "Send request" << offset;
        QByteArray frame;
        if (exchange(fileRequest(name, offset, uint16_t(wanted)), m_timeouts.fileReplyMs, &frame) <= 0)
            return fail();
        const FileAnswer answer = parseFileAnswer(frame, uint16_t(wanted));
        switch (answer.status) {
        case FileAnswer::Ok:
            break;
        case FileAnswer::WrongType:
            qCDebug(lcSession) << "Recv wrong message type" << answer.type;
            return fail();
        case FileAnswer::Busy:
            qCDebug(lcSession) << "GET_FILE_BUSY";
            return fail();
        case FileAnswer::OutOfData:
            qCDebug(lcSession) << "GET_FILE_OUT_OF_DATA";
            return fail();
        case FileAnswer::MemoryError:
            qCDebug(lcSession) << "GET_FILE_MEMORY_ERROR";
            return fail();
        case FileAnswer::WrongSize:
            qCDebug(lcSession) << "Wrong size received";
            return fail();
        case FileAnswer::Short:
            qCDebug(lcSession) << "Recv short answer" << frame.size();
            return fail();
        }
        if (offset == 0) {
            total = answer.fileSize;
            if (total > FILE_SIZE_LIMIT) {
                qCDebug(lcSession) << "File size" << total << "is beyond any file of the terminal";
                return fail();
            }
        }
        // Only the file's end may make a chunk shorter than asked; any other short chunk would
        // leave a gap that the offset steps over. A chunk longer than the declared size leaves
        // contradicts it: either the size or the data is wrong, and neither can be trusted.
        const uint32_t left = total > offset ? total - offset : 0;
        if (uint32_t(answer.data.size()) < qMin(wanted, left) || uint32_t(answer.data.size()) > left) {
            qCDebug(lcSession) << "Wrong size received" << answer.data.size() << "with" << left << "bytes left";
            return fail();
        }
        offset += wanted;
        out.append(answer.data);
        if (isLog)
            emit log_data(answer.data);
        emit bar_percentage(percentOf(offset, total));
        qCDebug(lcSession) << "Chunk sucessfuly received" << offset;
        if (total <= offset) {
            emit bar_percentage(0);
            return 1;
        }
        wanted = qMin<uint32_t>(total - offset, FILE_CHUNK_MAX);
    }
}

void usb_handler::downloadSettings()
{
    QByteArray buffer;
    if (!getFile(QByteArrayLiteral("BASE"), buffer)) {
        qCDebug(lcSession) << "Error downloading settings";
        report({ESessionOutcome::SettingsLoadFailed});
        declare_lost();
        return;
    }
    SettingRecordReader reader(buffer, 0);
    TSettingRecord record;
    QSet<TSettingKey> stored;
    while (reader.next(&record)) {
        uint8_t *location = nullptr;
        const uint8_t size = findSetting(record.id, record.subId, &location);
        if (size == 0) {
            qCDebug(lcSession, "Setting id=%d, subid=%d not found\n", record.id, record.subId);
        } else if (size != record.size) {
            qCDebug(lcSession, "Error setting %d recv size: %d, while real_size is: %d\n", record.id, record.size, size);
        } else {
            std::memcpy(location, record.value.constData(), size);
            stored.insert({record.id, record.subId});
        }
    }
    if (reader.truncated())
        qCDebug(lcSession) << "Settings record at" << reader.position() << "runs past the end of the file";
    // Settings the terminal did not send keep the values they had, which belong to no terminal
    // in particular: whoever saves or writes them must know.
    const int missing = missingSettings(stored).size();
    if (missing > 0)
        qCDebug(lcSession) << "BASE lacks" << missing << "settings of a full configuration";
    emit bar_percentage(0);
    const TSessionOutcome loaded{ESessionOutcome::SettingsLoaded, missing};
    emit status_message(outcomeText(loaded));
    emit settings_updated();
    emit outcome(loaded);
}

int usb_handler::downloadLog()
{
    emit status_message(tr("Загрузка LOG-файла"));
    QByteArray buffer;
    if (!getFile(QByteArrayLiteral("LOG"), buffer)) {
        report({ESessionOutcome::LogFailed});
        declare_lost();
        return 0;
    }
    return 1;
}

int usb_handler::sendFile(QByteArray name, QByteArray data)
{
    const int size = int(data.size());
    // A size that is a multiple of the chunk ends with a full chunk, not an empty one.
    const int chunkCount = size / CHUNK_SIZE + (size % CHUNK_SIZE ? 1 : 0);
    if (chunkCount == 0 || chunkCount > MAX_CHUNK_COUNT) {
        qCDebug(lcSession) << "File of" << size << "bytes cannot be sent";
        return 0;
    }
    // The quotient is a 32-bit float; the product is not rounded back to float, so the
    // last of three chunks reports 99, not 100.
    const double step = double(100.0f / float(chunkCount));
    int position = 0;
    for (int i = 1; i <= chunkCount; ++i) {
        emit bar_percentage(int(double(i) * step));
        const int length = i == chunkCount ? size - position : CHUNK_SIZE;
        qCDebug(lcSession) << "Send chunk" << i;
        emit status_message(tr("Передача фрагмента %1 из %2").arg(i).arg(chunkCount));
        const QByteArray frame = chunkFrame(name, uint16_t(i), uint16_t(chunkCount), data.mid(position, length));
        position += length;
        QByteArray answerFrame;
        if (exchange(frame, m_timeouts.replyMs, &answerFrame) <= 0)
            return 0;
        const ChunkAnswer answer = parseChunkAnswer(answerFrame);
        switch (answer.status) {
        case ChunkAnswer::Accepted:
            qCDebug(lcSession) << "Chunk sucessfuly sended" << i;
            continue;
        case ChunkAnswer::WrongType:
            qCDebug(lcSession) << "Recv wrong message type" << answer.type;
            return 0;
        case ChunkAnswer::Rejected:
            qCDebug(lcSession) << "Recv wrong result" << answer.result;
            return 0;
        case ChunkAnswer::SignatureError:
            qCDebug(lcSession) << "Recv signature error" << answer.result;
            return 0;
        case ChunkAnswer::FileNameError:
            qCDebug(lcSession) << "Recv file name error" << answer.result;
            return 0;
        case ChunkAnswer::SequenceError:
            qCDebug(lcSession) << "Recv chunk sequence error" << answer.result;
            return 0;
        case ChunkAnswer::Short:
            qCDebug(lcSession) << "Recv short answer" << answerFrame.size();
            return 0;
        }
    }
    emit bar_percentage(0);
    return 1;
}

void usb_handler::uploadSettings()
{
    QByteArray image;
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        image.swap(upload_image);
    }
    if (image.isEmpty())
        image = build_settings_image();
    if (sendFile(QByteArrayLiteral("SETTINGS"), image)) {
        report({ESessionOutcome::SettingsSent});
        return;
    }
    report({ESessionOutcome::SettingsSendFailed});
    declare_lost();
}

bool usb_handler::uploadFirmware()
{
    QString path;
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        path = firmware_file;
    }
    if (!QFile::exists(path)) {
        qCDebug(lcSession) << "File not found";
        report({ESessionOutcome::FirmwareFileMissing});
        emit status_message(outcomeText({ESessionOutcome::FirmwareFailed}));
        return false;
    }
    QFile file(path);
    // An empty image or one beyond 65535 chunks cannot be announced: refuse it unread.
    const qint64 size = QFileInfo(path).size();
    const bool sendable = size > 0 && size <= qint64(MAX_CHUNK_COUNT) * CHUNK_SIZE;
    if (!sendable || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcSession) << "Error file opening";
        report({ESessionOutcome::FirmwareFileUnreadable});
        emit status_message(outcomeText({ESessionOutcome::FirmwareFailed}));
        return false;
    }
    const QByteArray content = file.readAll();
    file.close();
    if (sendFile(QByteArrayLiteral("FIRMWARE"), content) == 1)
        return true;
    report({ESessionOutcome::FirmwareFailed});
    return false;
}

void usb_handler::start_connection(TDeviceToConnect _dev)
{
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        device = _dev;
    }
    start_request.store(1);
}

void usb_handler::stop_connection()
{
    stop_request.store(1);
}

void usb_handler::update_server_param(TServerAddress addr)
{
    if (!port_handler->updateServerParameters(addr)) {
        report({ESessionOutcome::ServerUnreachable});
        return;
    }
    const QList<TDeviceToConfigInfo> list = port_handler->getServerDeviceList();
    // No answer is not an empty list: the server said nothing about its terminals.
    if (!port_handler->deviceListReceived()) {
        report({ESessionOutcome::NoDeviceList});
        return;
    }
    emit device_list(list);
}

void usb_handler::on_start_add_keys() { add_keys_start.store(1); }
void usb_handler::on_stop_add_keys() { add_keys_stop.store(1); }
void usb_handler::on_start_add_temp() { add_temp_start.store(1); }
void usb_handler::on_stop_add_temp() { add_temp_stop.store(1); }
void usb_handler::on_start_update_state() { update_state.store(true); }
void usb_handler::on_stop_update_state() { update_state.store(false); }
void usb_handler::on_regular_timer() { regular_tick.store(1); }
void usb_handler::on_current_state_tab_changed(int index) { state_page.store(index); }

void usb_handler::setDigitalOutput(int n)
{
    set_output_index.store(uint8_t(n));
    set_output_request.store(1);
}

void usb_handler::resetDigitalOutput(int n)
{
    reset_output_index.store(uint8_t(n));
    reset_output_request.store(1);
}

void usb_handler::on_download_settings() { download_settings_request.store(1); }

void usb_handler::on_upload_settings()
{
    // Taken here, in the caller's thread, where the settings are edited.
    QByteArray image = build_settings_image();
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        upload_image = image;
    }
    upload_settings_request.store(1);
}

void usb_handler::on_reset_odo() { reset_odo_request.store(1); }
void usb_handler::on_reset_tripcounter() { reset_trip_request.store(1); }
void usb_handler::on_reset_traffic1() { reset_traffic_request[0].store(1); }
void usb_handler::on_reset_traffic2() { reset_traffic_request[1].store(1); }
void usb_handler::on_reset_traffic3() { reset_traffic_request[2].store(1); }
void usb_handler::on_reset_traffic4() { reset_traffic_request[3].store(1); }
void usb_handler::on_reset_traffic5() { reset_traffic_request[4].store(1); }
void usb_handler::on_reset_traffic6() { reset_traffic_request[5].store(1); }
void usb_handler::on_reset_traffic7() { reset_traffic_request[6].store(1); }
void usb_handler::on_reset_traffic8() { reset_traffic_request[7].store(1); }

void usb_handler::on_set_output_command(uint8_t output_num, uint8_t output_state)
{
    output_command_num.store(output_num != 0);
    output_command_state.store(output_state != 0);
}

void usb_handler::on_clean_bb() { clean_bb_request.store(1); }
void usb_handler::on_tofactory() { tofactory_request.store(1); }
void usb_handler::on_reset_device() { reset_device_request.store(1); }
void usb_handler::on_take_photo() { take_photo_request.store(1); }
void usb_handler::on_irq() { irq.store(1); }
void usb_handler::reset_irq() { irq.store(0); }

void usb_handler::update_firmware(QString selected_filename)
{
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        firmware_file = selected_filename;
    }
    firmware_request.store(1);
}

void usb_handler::on_device_pin(QString _pin)
{
    std::lock_guard<std::mutex> lock(handover_lock);
    pin = _pin;
}

void usb_handler::on_download_log() { download_log_request.store(1); }
void usb_handler::on_update_can() { update_can_request.store(1); }

void usb_handler::on_device_lost()
{
    if (connected.exchange(false)) {
        emit outcome({ESessionOutcome::Lost});
        emit device_disconnected(true);
    }
}

void usb_handler::upload_can_fw_to_device(QByteArray filedata)
{
    {
        std::lock_guard<std::mutex> lock(handover_lock);
        can_firmware = filedata;
    }
    upload_can_request.store(1);
}

void usb_handler::download_can_info() { can_info_request.store(1); }
