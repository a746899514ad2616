#pragma once

#include "transport/TDeviceToConfigInfo.h"

#include <QMetaType>
#include <cstdint>

#pragma pack(push, 1)
// What starts a connection: the relay record of the terminal (unused for USB) and the link.
struct TDeviceToConnect {
    TDeviceToConfigInfo info;
    uint8_t via_server; // 0 USB, anything else the relay server
};
#pragma pack(pop)

static_assert(sizeof(TDeviceToConnect) == 58, "connection request record is 58 bytes");

Q_DECLARE_METATYPE(TDeviceToConnect)
