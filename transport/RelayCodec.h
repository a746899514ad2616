#pragma once

#include "transport/TDeviceToConfigInfo.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

// Bodies of the relay server's own packets (types 10 to 16), both sides of them. Pure
// functions over bytes; every reader checks the length it is given.
namespace RelayCodec {

constexpr int RECORD_SIZE = int(sizeof(TDeviceToConfigInfo));
constexpr int PING_ANSWER_PAYLOAD = 21;
constexpr int PING_ANSWER_MARK_OFFSET = 16;
constexpr uint8_t PING_ANSWER_MARK = 0xFE;

QByteArray pingPacket();
QByteArray pingAnswerPacket();
QByteArray closeSocketPacket();
QByteArray deviceListRequestPacket();
QByteArray deviceListPacket(const QList<TDeviceToConfigInfo> &devices);
QByteArray connectRequestPacket(const TDeviceToConfigInfo &info);
QByteArray connectResultPacket(uint8_t result);

// The payload of a whole frame (header and CRC stripped); empty when the frame is short.
QByteArray payloadOf(const QByteArray &frame);

// Records of a device-list payload. A count larger than the payload holds is cut to the
// records present; declaredCount, when given, receives the count the payload claimed.
QList<TDeviceToConfigInfo> parseDeviceList(const QByteArray &payload, int *declaredCount = nullptr);
// The record of a connect request payload; false unless it is exactly one record.
bool parseRecord(const QByteArray &payload, TDeviceToConfigInfo *info);
QByteArray recordBytes(const TDeviceToConfigInfo &info);
// A record with the given id and name texts, zero-padded and cut to their fields.
TDeviceToConfigInfo makeRecord(const QByteArray &id, const QByteArray &name);

// Removes and returns every complete frame at the head of stream, by length alone.
QList<QByteArray> takeFrames(QByteArray &stream);

} // namespace RelayCodec
