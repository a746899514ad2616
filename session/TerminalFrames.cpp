#include "session/TerminalFrames.h"

#include "transport/EPacketType.h"
#include "transport/Packet.h"

namespace TerminalFrames {

namespace {

uint8_t byteAt(const QByteArray &frame, int offset)
{
    return uint8_t(frame.at(offset));
}

QByteArray requestHead(uint32_t uuid, uint8_t code, uint8_t itemLength)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(code));
    payload.append(char(itemLength));
    return payload;
}

} // namespace

QByteArray fileNameField(const QByteArray &name)
{
    QByteArray field = name.left(FILE_NAME_SIZE);
    field.append(QByteArray(FILE_NAME_SIZE - field.size(), '\0'));
    return field;
}

QByteArray authRequest(const QByteArray &pin)
{
    return Packet::assembleWithLength(4, PACKET_AUTH, pin);
}

QByteArray readRequest(uint32_t uuid, uint16_t id, uint16_t subId)
{
    QByteArray payload = requestHead(uuid, REQUEST_READ, 4);
    Packet::appendU16(payload, id);
    Packet::appendU16(payload, subId);
    return Packet::assemble(PACKET_REQUEST, payload);
}

QByteArray writeRequest(uint32_t uuid, uint16_t id, uint16_t subId, const uint8_t *value, uint8_t size)
{
    QByteArray payload = requestHead(uuid, REQUEST_WRITE, uint8_t(size + 5));
    Packet::appendU16(payload, id);
    Packet::appendU16(payload, subId);
    payload.append(char(size));
    if (size > 0)
        payload.append(reinterpret_cast<const char *>(value), size);
    return Packet::assemble(PACKET_REQUEST, payload);
}

QByteArray commandRequest(uint8_t code, const uint8_t *data, uint8_t size)
{
    QByteArray payload = requestHead(COMMAND_UUID, code, size);
    if (size > 0 && data)
        payload.append(reinterpret_cast<const char *>(data), size);
    return Packet::assemble(PACKET_REQUEST, payload);
}

QByteArray fileRequest(const QByteArray &name, uint32_t offset, uint16_t length)
{
    QByteArray payload = fileNameField(name);
    Packet::appendU16(payload, 0);
    Packet::appendU32(payload, offset);
    Packet::appendU16(payload, length);
    return Packet::assemble(PACKET_GET_FILE, payload);
}

QByteArray chunkFrame(const QByteArray &name, uint16_t index, uint16_t count, const QByteArray &data)
{
    QByteArray payload = fileNameField(name);
    Packet::appendU16(payload, 0);
    Packet::appendU16(payload, uint16_t(data.size()));
    Packet::appendU16(payload, index);
    Packet::appendU16(payload, count);
    payload.append(data);
    return Packet::assemble(PACKET_CHUNK, payload);
}

ResponseCheck checkResponse(const QByteArray &frame, uint32_t uuid, bool wantValue, uint16_t id, uint8_t size)
{
    ResponseCheck check;
    // Fields come from the payload only, never from the CRC behind it.
    const int end = int(frame.size()) - Packet::CRC_SIZE;
    if (end <= RESPONSE_RESULT)
        return check;
    const uint8_t type = byteAt(frame, 2);
    if (type != PACKET_RESPONSE)
        return {Fault::WrongType, type, {}};
    const uint32_t gotUuid = Packet::readU32(frame, RESPONSE_UUID);
    if (gotUuid != uuid)
        return {Fault::WrongUuid, gotUuid, {}};
    const uint8_t result = byteAt(frame, RESPONSE_RESULT);
    if (result != RESULT_OK)
        return {Fault::ErrorCode, result, {}};
    if (!wantValue)
        return {Fault::None, 0, {}};
    if (end <= RESPONSE_VALUE_SIZE)
        return check;
    const uint16_t gotId = Packet::readU16(frame, RESPONSE_ITEM_ID);
    if (gotId != id)
        return {Fault::WrongId, gotId, {}};
    const uint8_t valueSize = byteAt(frame, RESPONSE_VALUE_SIZE);
    if (valueSize != size)
        return {Fault::WrongSize, valueSize, {}};
    if (end < RESPONSE_VALUE + valueSize)
        return check;
    return {Fault::None, 0, frame.mid(RESPONSE_VALUE, valueSize)};
}

FileAnswer parseFileAnswer(const QByteArray &frame, uint16_t wanted)
{
    FileAnswer answer;
    if (frame.size() < 3)
        return answer;
    answer.type = byteAt(frame, 2);
    if (answer.type != PACKET_FILE_DATA) {
        answer.status = FileAnswer::WrongType;
        return answer;
    }
    // The result byte, and the CRC behind the data.
    if (frame.size() < FILE_DATA + Packet::CRC_SIZE)
        return answer;
    switch (byteAt(frame, FILE_RESULT)) {
    case GET_FILE_BUSY:
        answer.status = FileAnswer::Busy;
        return answer;
    case GET_FILE_OUT_OF_DATA:
        answer.status = FileAnswer::OutOfData;
        return answer;
    case GET_FILE_MEMORY_ERROR:
    case 4:
        answer.status = FileAnswer::MemoryError;
        return answer;
    default:
        break;
    }
    if (Packet::readU16(frame, FILE_CHUNK_LENGTH) != wanted) {
        answer.status = FileAnswer::WrongSize;
        return answer;
    }
    answer.fileSize = Packet::readU32(frame, FILE_SIZE_OFFSET);
    const int dataSize = int(frame.size()) - FILE_DATA - Packet::CRC_SIZE;
    answer.data = frame.mid(FILE_DATA, qMin(dataSize, int(wanted)));
    answer.status = FileAnswer::Ok;
    return answer;
}

ChunkAnswer parseChunkAnswer(const QByteArray &frame)
{
    ChunkAnswer answer;
    if (frame.size() < 3)
        return answer;
    answer.type = byteAt(frame, 2);
    if (answer.type != PACKET_CHUNK_RESULT) {
        answer.status = ChunkAnswer::WrongType;
        return answer;
    }
    if (int(frame.size()) - Packet::CRC_SIZE <= CHUNK_RESULT)
        return answer;
    answer.result = byteAt(frame, CHUNK_RESULT);
    switch (answer.result) {
    case 1:
        answer.status = ChunkAnswer::Rejected;
        break;
    case 2:
        answer.status = ChunkAnswer::SignatureError;
        break;
    case 3:
        answer.status = ChunkAnswer::FileNameError;
        break;
    case 4:
        answer.status = ChunkAnswer::SequenceError;
        break;
    default:
        answer.status = ChunkAnswer::Accepted;
        break;
    }
    return answer;
}

int authAnswerByte(const QByteArray &frame)
{
    // Without a payload, offset 3 is the checksum, which says nothing about the PIN.
    return frame.size() > Packet::OVERHEAD ? byteAt(frame, Packet::HEADER_SIZE) : -1;
}

} // namespace TerminalFrames
