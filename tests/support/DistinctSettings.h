#pragma once

#include "model/SettingsStorage.h"

#include <cstddef>
#include <cstdint>

// Fresh F0 settings whose bytes before `end` all differ from their neighbours, so a value taken
// from or stored into the wrong field shows.
inline void fillSettingsWithDistinctBytes(size_t end, unsigned step, unsigned start)
{
    SettingsStorage = TSettingsStorage{};
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    auto *bytes = reinterpret_cast<uint8_t *>(&SettingsStorage);
    for (size_t i = 0; i < end; ++i)
        bytes[i] = uint8_t(i * step + start);
}
