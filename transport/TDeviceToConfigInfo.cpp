#include "transport/TDeviceToConfigInfo.h"

namespace {

QString fieldText(const uint8_t *field, int size)
{
    int n = 0;
    while (n < size && field[n] != 0)
        ++n;
    return QString::fromUtf8(reinterpret_cast<const char *>(field), n);
}

} // namespace

QString deviceIdText(const TDeviceToConfigInfo &info)
{
    return fieldText(info.device_id, int(sizeof info.device_id));
}

QString deviceNameText(const TDeviceToConfigInfo &info)
{
    return fieldText(info.device_name, int(sizeof info.device_name));
}

QString deviceCaption(const TDeviceToConfigInfo &info)
{
    return deviceIdText(info) + QStringLiteral(": ") + deviceNameText(info);
}
