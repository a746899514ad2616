#pragma once

#include <cstdint>

// Packet types of the one frame that both links carry. Types 10 to 16 belong to the relay
// server's own layer and never reach the session on the TCP link.
enum EPacketType : uint8_t {
    PACKET_REQUEST = 1,
    PACKET_RESPONSE = 2,
    PACKET_CHUNK = 3,
    PACKET_CHUNK_RESULT = 4,
    PACKET_AUTH = 5,
    PACKET_GET_FILE = 8,
    PACKET_FILE_DATA = 9,
    PACKET_PING = 10,
    PACKET_PING_ANSWER = 11,
    PACKET_GET_DEVICE_LIST = 12,
    PACKET_DEVICE_LIST = 13,
    PACKET_CONNECT_TO_DEVICE = 14,
    PACKET_CONNECT_RESULT = 15,
    PACKET_CLOSE_SOCKET = 16,
};

inline bool isRelayPacketType(uint8_t type)
{
    return type >= PACKET_PING && type <= PACKET_CLOSE_SOCKET;
}
