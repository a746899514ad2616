#pragma once

#include "model/ParameterTable.h"
#include "session/TerminalFrames.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QByteArray>
#include <QList>

// Answers a terminal gives, built byte for byte, for scripted terminals.
namespace TerminalAnswers {

inline uint8_t typeOf(const QByteArray &frame) { return uint8_t(frame.at(2)); }
inline uint32_t uuidOf(const QByteArray &request) { return Packet::readU32(request, 3); }
inline uint16_t itemIdOf(const QByteArray &request) { return Packet::readU16(request, 9); }

inline QByteArray readAnswer(uint32_t uuid, uint8_t result, uint16_t id, const QByteArray &value)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(result)).append(char(value.size() + 3));
    Packet::appendU16(payload, id);
    payload.append(char(value.size())).append(value);
    return Packet::assemble(PACKET_RESPONSE, payload);
}

inline QByteArray ackAnswer(uint32_t uuid, uint8_t result = 1)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(result)).append('\0');
    return Packet::assemble(PACKET_RESPONSE, payload);
}

inline QByteArray fileAnswer(uint32_t fileSize, uint16_t chunkLength, uint8_t result, const QByteArray &data)
{
    QByteArray payload = QByteArray("BASE").leftJustified(10, '\0');
    Packet::appendU32(payload, fileSize);
    Packet::appendU16(payload, chunkLength);
    payload.append(char(result)).append(data);
    return Packet::assemble(PACKET_FILE_DATA, payload);
}

inline QByteArray chunkAnswer(uint8_t result)
{
    return Packet::assemble(PACKET_CHUNK_RESULT, QByteArray("SETTINGS").leftJustified(12, '\0') + char(result));
}

inline QByteArray authAnswer(bool accepted)
{
    return Packet::assemble(PACKET_AUTH, QByteArray(1, accepted ? '\x01' : '\x00'));
}

// The PIN given is accepted; reads get a value of the size the parameter table gives (device
// type F0), writes and commands an acceptance, chunks result 0.
inline QList<QByteArray> answerRightly(const QByteArray &request, const QByteArray &pin = "7390")
{
    switch (typeOf(request)) {
    case PACKET_AUTH:
        return {authAnswer(request.mid(3, 4) == pin)};
    case PACKET_CHUNK:
        return {chunkAnswer(0)};
    case PACKET_REQUEST:
        break;
    default:
        return {};
    }
    if (uint8_t(request.at(7)) != TerminalFrames::REQUEST_READ)
        return {ackAnswer(uuidOf(request))};
    const uint16_t id = itemIdOf(request);
    const int row = parameterRowOfId(id);
    const QByteArray value = id == 1 ? QByteArray(1, char(0xF0)) : QByteArray(row >= 0 ? parameterRow(row).size : 8, '\x11');
    return {readAnswer(uuidOf(request), 1, id, value)};
}

// Serves `file` to file requests, echoing the length asked for, with this size announced.
inline QList<QByteArray> serveFile(const QByteArray &request, const QByteArray &file, uint32_t announced)
{
    if (typeOf(request) != PACKET_GET_FILE)
        return answerRightly(request);
    const uint16_t length = Packet::readU16(request, 17);
    return {fileAnswer(announced, length, 0, file.mid(int(Packet::readU32(request, 13)), length))};
}

// Bytes that differ from their neighbours, so a piece out of place shows.
inline QByteArray varied(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256);
    return bytes;
}

} // namespace TerminalAnswers
