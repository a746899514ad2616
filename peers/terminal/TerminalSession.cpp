#include "peers/terminal/TerminalSession.h"

#include "peers/terminal/EventLog.h"
#include "peers/terminal/FaultSwitches.h"
#include "peers/terminal/TerminalDevice.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

namespace {

constexpr int FILE_NAME_SIZE = 8;
constexpr uint8_t REQUEST_RESTART = 1;
constexpr uint8_t REQUEST_WRITE = 2;
constexpr uint8_t REQUEST_READ = 3;
constexpr uint8_t REQUEST_FACTORY_RESET = 5;
// Fixed fields of the file answer before its data.
constexpr int FILE_ANSWER_FIELDS = FILE_NAME_SIZE + 2 + 4 + 2 + 1;
constexpr int MAX_FILE_DATA = Packet::MAX_TCP_PAYLOAD - FILE_ANSWER_FIELDS;

int payloadSize(const QByteArray &frame)
{
    return int(frame.size()) - Packet::OVERHEAD;
}

uint8_t byteAt(const QByteArray &frame, int offset)
{
    return uint8_t(frame[offset]);
}

// The name up to its first zero byte.
QByteArray nameOf(const QByteArray &field)
{
    const int end = int(field.indexOf('\0'));
    return end < 0 ? field : field.left(end);
}

QString text(const QByteArray &name)
{
    return QString::fromLatin1(name);
}

QByteArray response(uint32_t uuid, uint8_t result, const QByteArray &item = QByteArray())
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(result));
    payload.append(char(item.size()));
    payload.append(item);
    return Packet::assemble(PACKET_RESPONSE, payload);
}

QByteArray fileAnswer(const QByteArray &nameField, uint32_t fileSize, uint16_t chunkLength, uint8_t result,
                      const QByteArray &data = QByteArray())
{
    QByteArray payload = nameField;
    Packet::appendU16(payload, 0);
    Packet::appendU32(payload, fileSize);
    Packet::appendU16(payload, chunkLength);
    payload.append(char(result));
    payload.append(data);
    return Packet::assemble(PACKET_FILE_DATA, payload);
}

QByteArray chunkResult(const QByteArray &nameField, uint16_t chunkLength, uint8_t result, uint16_t index)
{
    QByteArray payload = nameField;
    Packet::appendU16(payload, 0);
    Packet::appendU16(payload, chunkLength);
    payload.append(char(result));
    Packet::appendU16(payload, index);
    return Packet::assemble(PACKET_CHUNK_RESULT, payload);
}

void malformed(uint8_t type, int size)
{
    EventLog::line(QStringLiteral("MALFORMED %1 %2").arg(type).arg(size));
}

} // namespace

TerminalSession::TerminalSession(TerminalDevice *device, FaultSwitches *faults)
    : m_device(device)
    , m_faults(faults)
{
}

void TerminalSession::reset()
{
    m_authorized = false;
    m_silent = false;
    m_baseSnapshot.clear();
    abandonUpload();
}

void TerminalSession::goSilentUntilAuth()
{
    reset();
    m_silent = true;
}

TerminalSession::Answer TerminalSession::handle(const QByteArray &frame)
{
    if (frame.size() < Packet::OVERHEAD)
        return {};
    const uint8_t type = byteAt(frame, 2);
    if (type == PACKET_AUTH)
        return handleAuth(frame);
    if (m_silent) {
        EventLog::line(QStringLiteral("LINK_DOWN %1").arg(type));
        return {};
    }
    switch (type) {
    case PACKET_REQUEST:
        return handleRequest(frame);
    case PACKET_GET_FILE:
        return handleGetFile(frame);
    case PACKET_CHUNK:
        return handleChunk(frame);
    default:
        EventLog::line(QStringLiteral("IGNORED %1").arg(type));
        return {};
    }
}

TerminalSession::Answer TerminalSession::handleAuth(const QByteArray &frame)
{
    const QByteArray pin = frame.mid(Packet::HEADER_SIZE, payloadSize(frame));
    m_silent = false;
    m_authorized = pin == m_faults->pin;
    if (!m_authorized)
        abandonUpload();
    EventLog::line(m_authorized ? QStringLiteral("AUTH OK") : QStringLiteral("AUTH BAD"));
    return {Packet::assemble(PACKET_AUTH, QByteArray(1, m_authorized ? 1 : 0)), LinkAction::None};
}

TerminalSession::Answer TerminalSession::handleRequest(const QByteArray &frame)
{
    const int size = payloadSize(frame);
    if (size < 6) {
        malformed(PACKET_REQUEST, size);
        return {};
    }
    const uint32_t uuid = Packet::readU32(frame, 3);
    const uint8_t code = byteAt(frame, 7);
    const int itemLength = byteAt(frame, 8);
    if (9 + itemLength > frame.size() - Packet::CRC_SIZE) {
        malformed(PACKET_REQUEST, size);
        return {response(uuid, RESULT_UNKNOWN_ITEM), LinkAction::None};
    }
    if (!m_authorized) {
        EventLog::line(QStringLiteral("DENIED %1").arg(PACKET_REQUEST));
        return {response(uuid, RESULT_NOT_AUTHORIZED), LinkAction::None};
    }

    switch (code) {
    case REQUEST_READ: {
        if (itemLength < 4) {
            malformed(PACKET_REQUEST, size);
            return {response(uuid, RESULT_UNKNOWN_ITEM), LinkAction::None};
        }
        const uint16_t id = Packet::readU16(frame, 9);
        const uint16_t subId = Packet::readU16(frame, 11);
        EventLog::line(QStringLiteral("READ %1 %2").arg(id).arg(subId));
        QByteArray value;
        if (!m_device->readItem(id, subId, &value))
            return {response(uuid, RESULT_UNKNOWN_ITEM), LinkAction::None};
        QByteArray item;
        Packet::appendU16(item, id);
        item.append(char(value.size()));
        item.append(value);
        return {response(uuid, RESULT_OK, item), LinkAction::None};
    }
    case REQUEST_WRITE: {
        const int valueSize = itemLength >= 5 ? byteAt(frame, 13) : 0;
        if (itemLength < 5 || itemLength < 5 + valueSize) {
            malformed(PACKET_REQUEST, size);
            return {response(uuid, RESULT_UNKNOWN_ITEM), LinkAction::None};
        }
        const uint16_t id = Packet::readU16(frame, 9);
        const uint16_t subId = Packet::readU16(frame, 11);
        const QByteArray value = frame.mid(14, valueSize);
        EventLog::line(QStringLiteral("WRITE %1 %2 %3").arg(id).arg(subId).arg(text(value.toHex())));
        if (!m_device->writeItem(id, subId, value)) {
            EventLog::line(QStringLiteral("WRITE_REJECTED %1 %2").arg(id).arg(subId));
            return {response(uuid, RESULT_UNKNOWN_ITEM), LinkAction::None};
        }
        return {response(uuid, RESULT_OK), LinkAction::None};
    }
    case REQUEST_RESTART:
    case REQUEST_FACTORY_RESET:
        EventLog::line(QStringLiteral("COMMAND %1").arg(code));
        if (code == REQUEST_FACTORY_RESET)
            m_device->restoreFactorySettings();
        m_device->reboot();
        return {response(uuid, RESULT_OK), LinkAction::Reboot};
    default:
        EventLog::line(QStringLiteral("REQUEST %1").arg(code));
        return {response(uuid, RESULT_UNKNOWN_ITEM), LinkAction::None};
    }
}

QByteArray TerminalSession::fileContent(const QByteArray &name, uint32_t offset, bool *known)
{
    *known = true;
    if (name == "BASE") {
        // One download sees one state of the settings, taken when it starts.
        if (offset == 0 || m_baseSnapshot.isEmpty())
            m_baseSnapshot = m_device->baseFile();
        return m_baseSnapshot;
    }
    if (name == "LOG")
        return m_device->logFile();
    *known = false;
    return QByteArray();
}

TerminalSession::Answer TerminalSession::handleGetFile(const QByteArray &frame)
{
    const int size = payloadSize(frame);
    if (size < 16) {
        malformed(PACKET_GET_FILE, size);
        return {};
    }
    const QByteArray nameField = frame.mid(3, FILE_NAME_SIZE);
    const QByteArray name = nameOf(nameField);
    const uint32_t offset = Packet::readU32(frame, 13);
    const uint16_t wanted = Packet::readU16(frame, 17);
    EventLog::line(QStringLiteral("GET_FILE %1 %2 %3").arg(text(name)).arg(offset).arg(wanted));

    if (!m_authorized) {
        EventLog::line(QStringLiteral("DENIED %1").arg(PACKET_GET_FILE));
        return chunkAnswer(fileAnswer(nameField, 0, wanted, FILE_MEMORY_ERROR));
    }
    bool known = false;
    const QByteArray content = fileContent(name, offset, &known);
    const auto fileSize = uint32_t(m_faults->fileSize >= 0 ? m_faults->fileSize : content.size());
    if (m_faults->fileBusy)
        return chunkAnswer(fileAnswer(nameField, fileSize, wanted, FILE_BUSY));
    if (!known)
        return chunkAnswer(fileAnswer(nameField, 0, wanted, FILE_MEMORY_ERROR));
    if (offset > fileSize || (offset == fileSize && fileSize > 0))
        return chunkAnswer(fileAnswer(nameField, fileSize, wanted, FILE_OUT_OF_DATA));
    const QByteArray data = content.mid(int(offset), qMin(int(wanted), MAX_FILE_DATA));
    return chunkAnswer(fileAnswer(nameField, fileSize, wanted, FILE_OK, data));
}

TerminalSession::Answer TerminalSession::handleChunk(const QByteArray &frame)
{
    const int size = payloadSize(frame);
    if (size < 16) {
        malformed(PACKET_CHUNK, size);
        return {};
    }
    const QByteArray nameField = frame.mid(3, FILE_NAME_SIZE);
    const QByteArray name = nameOf(nameField);
    const uint16_t length = Packet::readU16(frame, 13);
    const uint16_t index = Packet::readU16(frame, 15);
    const uint16_t count = Packet::readU16(frame, 17);
    EventLog::line(QStringLiteral("CHUNK %1 %2/%3 %4").arg(text(name)).arg(index).arg(count).arg(length));

    auto refuse = [&](uint8_t result) {
        abandonUpload();
        return chunkAnswer(chunkResult(nameField, length, result, index));
    };
    if (!m_authorized) {
        EventLog::line(QStringLiteral("DENIED %1").arg(PACKET_CHUNK));
        return refuse(RESULT_NOT_AUTHORIZED);
    }
    if (19 + int(length) > frame.size() - Packet::CRC_SIZE) {
        malformed(PACKET_CHUNK, size);
        return refuse(CHUNK_REJECTED);
    }
    if (name != "SETTINGS" && name != "FIRMWARE")
        return refuse(CHUNK_NAME_ERROR);
    if (index == 1) {
        abandonUpload();
        m_uploadName = name;
        m_uploadCount = count;
        m_uploadNextIndex = 1;
    }
    if (index != m_uploadNextIndex || name != m_uploadName || count != m_uploadCount || index > count)
        return refuse(CHUNK_SEQUENCE_ERROR);
    if (m_upload.size() + length > MAX_UPLOAD_BYTES)
        return refuse(CHUNK_REJECTED);
    m_upload.append(frame.mid(19, length));
    ++m_uploadNextIndex;
    if (index < count)
        return chunkAnswer(chunkResult(nameField, length, CHUNK_ACCEPTED, index));

    uint8_t result = CHUNK_ACCEPTED;
    if (name == "SETTINGS") {
        int applied = 0;
        if (m_device->applySettingsImage(m_upload, &applied)) {
            EventLog::line(QStringLiteral("SETTINGS_APPLIED %1").arg(m_upload.size()));
        } else {
            EventLog::line(QStringLiteral("SETTINGS_REJECTED"));
            result = CHUNK_SIGNATURE_ERROR;
        }
    } else {
        m_device->keepFirmware(m_upload);
    }
    abandonUpload();
    return chunkAnswer(chunkResult(nameField, length, result, index));
}

TerminalSession::Answer TerminalSession::chunkAnswer(QByteArray frame)
{
    Answer answer{std::move(frame), LinkAction::None};
    if (m_faults->countChunkAnswer())
        answer.action = LinkAction::DropTransfer;
    return answer;
}

void TerminalSession::abandonUpload()
{
    m_uploadName.clear();
    m_upload.clear();
    m_uploadNextIndex = 0;
    m_uploadCount = 0;
}
