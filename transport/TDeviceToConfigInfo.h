#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <cstdint>

#pragma pack(push, 1)
// One terminal known to the relay server, carried unchanged from the device list into the
// connect request: the identifier text in bytes 0-15, a name text from byte 16, the rest
// opaque to the configurator.
struct TDeviceToConfigInfo {
    uint8_t device_id[16];
    uint8_t device_name[41];
};
#pragma pack(pop)

static_assert(sizeof(TDeviceToConfigInfo) == 57, "relay device record is 57 bytes on the wire");

// The texts up to their zero byte or the end of their field, whichever comes first.
QString deviceIdText(const TDeviceToConfigInfo &info);
QString deviceNameText(const TDeviceToConfigInfo &info);
// "<id>: <name>", as the device selection shows a terminal.
QString deviceCaption(const TDeviceToConfigInfo &info);

Q_DECLARE_METATYPE(TDeviceToConfigInfo)
Q_DECLARE_METATYPE(QList<TDeviceToConfigInfo>)
