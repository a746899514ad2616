#pragma once

#include "transport/EPacketType.h"

#include <QByteArray>
#include <cstdint>

// The frame shared by both links: u16 LE payload length N, the type byte, N payload bytes,
// then the CRC-32 of the first N + 3 bytes as u32 LE. Pure functions, no link involved.
namespace Packet {

constexpr int HEADER_SIZE = 3;
constexpr int CRC_SIZE = 4;
constexpr int OVERHEAD = HEADER_SIZE + CRC_SIZE;
// On the TCP link the packet size N + 7 is a 16-bit value.
constexpr int MAX_TCP_PACKET = 0xFFFF;
constexpr int MAX_TCP_PAYLOAD = MAX_TCP_PACKET - OVERHEAD;

enum class HeaderStatus { Incomplete, BadCrc, Valid };

// A whole packet: length = payload size.
QByteArray assemble(uint8_t type, const QByteArray &payload);
// A packet whose length field carries a given value (the authorization packet carries 4).
QByteArray assembleWithLength(uint16_t length, uint8_t type, const QByteArray &payload);

// Size the packet at the head of buf claims (N + 7), or -1 when fewer than 3 bytes are there.
int claimedSize(const QByteArray &buf);
// Judges the packet at the head of buf; only the first packet is looked at.
HeaderStatus checkHeader(const QByteArray &buf);

// Little-endian reads; the caller has checked that the bytes are there.
uint16_t readU16(const QByteArray &buf, int offset);
uint32_t readU32(const QByteArray &buf, int offset);
void appendU16(QByteArray &buf, uint16_t value);
void appendU32(QByteArray &buf, uint32_t value);

} // namespace Packet
