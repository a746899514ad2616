#include "model/SettingsStorage.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <type_traits>

TSettingsStorage SettingsStorage{};

namespace {

// One fixed setting. The sub-id is held in a byte; lookups compare it at 16 bits.
struct TSettingSlot {
    uint16_t id;
    uint8_t subId;
    uint8_t *location;
    uint8_t size;
};

// Not constexpr: reaching it while the table is built stops the build.
void slotSizeDiffersFromField() {}

template <std::size_t N>
constexpr TSettingSlot slot(uint16_t id, uint8_t subId, uint8_t (&field)[N], uint8_t size)
{
    if (size != N)
        slotSizeDiffersFromField();
    return {id, subId, field, size};
}

constexpr TSettingsStorage &S = SettingsStorage;

constexpr TSettingSlot SLOTS[] = {
    slot(3001, 0, S.servers[0], 35), slot(3001, 1, S.servers[1], 35),
    slot(3001, 2, S.servers[2], 35), slot(3001, 3, S.servers[3], 35),
    slot(3001, 4, S.servers[4], 35), slot(3001, 5, S.servers[5], 35),
    slot(3001, 6, S.servers[6], 35), slot(3001, 7, S.servers[7], 35),
    slot(3006, 0, S.sessionHold[0], 2), slot(3006, 1, S.sessionHold[1], 2),
    slot(3006, 2, S.sessionHold[2], 2), slot(3006, 3, S.sessionHold[3], 2),
    slot(3006, 4, S.sessionHold[4], 2), slot(3006, 5, S.sessionHold[5], 2),
    slot(3006, 6, S.sessionHold[6], 2), slot(3006, 7, S.sessionHold[7], 2),
    slot(3251, 0, S.accessPin, 5),
    slot(3252, 0, S.pinEnabled, 1),
    slot(3372, 0, S.rs232, 12),
    slot(3373, 0, S.rs485, 12),
    slot(3374, 0, S.csdInterface, 1),
    slot(3368, 0, S.addSensorMode, 1),
};
constexpr uint16_t SLOT_COUNT = std::size(SLOTS);
static_assert(SLOT_COUNT == 22, "the fixed slot table has 22 rows");

constexpr uint16_t ADD_SENSOR_MODE_ID = 3368;

// The repeated settings of a full configuration, in the order they are enumerated.
struct TSettingRun {
    uint16_t id;
    uint8_t TDeviceCapabilities::*count;
    uint8_t size;
};

constexpr TSettingRun RUNS[] = {
    {3002, &TDeviceCapabilities::simCount, SIM_ENTRY_SIZE},
    {3003, &TDeviceCapabilities::simCount, BALANCE_CODE_SIZE},
    {3253, &TDeviceCapabilities::phoneCount, PHONE_SIZE},
    {3356, &TDeviceCapabilities::temperatureSensorCount, SENSOR_ID_SIZE},
    {3371, &TDeviceCapabilities::inputCount, INPUT_ENTRY_SIZE},
};

constexpr int maxRecordBytes()
{
    constexpr int RECORD_HEADER = 6;
    int sum = 0;
    for (const TSettingSlot &s : SLOTS)
        sum += RECORD_HEADER + s.size;
    for (const TSettingRun &r : RUNS)
        sum += (DEVICE_F0_CAPABILITIES.*r.count) * (RECORD_HEADER + r.size);
    return sum;
}
static_assert(maxRecordBytes() == MAX_SETTINGS_RECORD_BYTES, "records of a full configuration at full room");

// The room of each count is the length of the arrays it indexes.
constexpr TDeviceCapabilities ROOM = DEVICE_F0_CAPABILITIES;
static_assert(ROOM.simCount == MAX_SIMS && ROOM.phoneCount == MAX_PHONES && ROOM.inputCount == MAX_INPUTS
                  && ROOM.temperatureSensorCount == MAX_TEMPERATURE_SENSORS
                  && ROOM.frequencyOutputCount == MAX_FREQUENCY_OUTPUTS
                  && ROOM.digitalOutputCount == MAX_DIGITAL_OUTPUTS && ROOM.serverCount == MAX_SERVERS,
              "settings arrays");
template <typename A>
constexpr int lengthOf = int(std::extent_v<A>);
static_assert(ROOM.digitalInputCount == lengthOf<decltype(TParameterValues::digitalInputs)>
                  && ROOM.analogInputCount == lengthOf<decltype(TParameterValues::analogInputs)>
                  && ROOM.frequencyInputCount == lengthOf<decltype(TParameterValues::frequencyInputs)>
                  && ROOM.pulseInputCount == lengthOf<decltype(TParameterValues::pulseInputs)>
                  && ROOM.temperatureSensorCount == lengthOf<decltype(TParameterValues::externalTemperatures)>
                  && ROOM.serverCount == lengthOf<decltype(TParameterValues::traffic)>,
              "parameter arrays");

uint8_t found(uint8_t *field, uint8_t size, uint8_t **location)
{
    if (location)
        *location = field;
    return size;
}

} // namespace

TDeviceCapabilities boundedCapabilities(const TDeviceCapabilities &c)
{
    TDeviceCapabilities b;
    b.simCount = std::min(c.simCount, ROOM.simCount);
    b.digitalInputCount = std::min(c.digitalInputCount, ROOM.digitalInputCount);
    b.digitalOutputCount = std::min(c.digitalOutputCount, ROOM.digitalOutputCount);
    b.analogInputCount = std::min(c.analogInputCount, ROOM.analogInputCount);
    b.range1021Count = std::min(c.range1021Count, ROOM.range1021Count);
    b.frequencyInputCount = std::min(c.frequencyInputCount, ROOM.frequencyInputCount);
    b.frequencyOutputCount = std::min(c.frequencyOutputCount, ROOM.frequencyOutputCount);
    b.pulseInputCount = std::min(c.pulseInputCount, ROOM.pulseInputCount);
    b.phoneCount = std::min(c.phoneCount, ROOM.phoneCount);
    b.serverCount = std::min(c.serverCount, ROOM.serverCount);
    b.inputCount = std::min(c.inputCount, ROOM.inputCount);
    b.temperatureSensorCount = std::min(c.temperatureSensorCount, ROOM.temperatureSensorCount);
    return b;
}

TDeviceCapabilities boundedCapabilities()
{
    return boundedCapabilities(SettingsStorage.DeviceCapabilities);
}

uint8_t findSetting(uint16_t id, uint16_t subId, uint8_t **location)
{
    TSettingsStorage &s = SettingsStorage;
    const TDeviceCapabilities c = boundedCapabilities();
    switch (id) {
    case 3002:
        return subId < c.simCount ? found(s.sims[subId], SIM_ENTRY_SIZE, location) : 0;
    case 3003:
        return subId < c.simCount ? found(s.balanceCodes[subId], BALANCE_CODE_SIZE, location) : 0;
    case 3371:
        return subId < c.inputCount ? found(s.inputs[subId], INPUT_ENTRY_SIZE, location) : 0;
    case 3353:
        return subId < c.frequencyOutputCount ? found(s.frequencyOutputs[subId], 1, location) : 0;
    case 3253:
        return subId < c.phoneCount ? found(s.phones[subId], PHONE_SIZE, location) : 0;
    case 3356:
        return subId < c.temperatureSensorCount ? found(s.sensorIds[subId], SENSOR_ID_SIZE, location) : 0;
    default:
        break;
    }

    // Counters: servers 1-4 sent 2008.., received 2012..; servers 5-8 sent 2016.., received 2020..
    if (id >= 2008 && id <= 2023) {
        const int k = id - 2008;
        const int server = (k / 8) * 4 + k % 4;
        const bool received = (k / 4) % 2 == 1;
        TTrafficCounters &pair = s.parameters.traffic[server];
        return found(received ? pair.received : pair.sent, 4, location);
    }

    if (id >= 1061 && id <= 1060 + c.digitalOutputCount)
        return subId == 0 ? found(s.parameters.digitalOutputs[id - 1061], 1, location) : 0;

    for (const TSettingSlot &slot : SLOTS) {
        if (slot.id == id && uint16_t(slot.subId) == subId)
            return found(slot.location, slot.size, location);
    }
    return 0;
}

namespace {

// The index-th entry under counts already bounded; a slot's field comes with it, a run's
// field is left to findSetting.
struct TLayoutEntry {
    uint16_t id = 0;
    uint16_t subId = 0;
    uint16_t size = 0;
    uint8_t *field = nullptr;
};

TLayoutEntry layoutEntry(uint16_t index, const TDeviceCapabilities &c)
{
    TLayoutEntry e;
    if (index < SLOT_COUNT) {
        const TSettingSlot &slot = SLOTS[index];
        e.id = slot.id;
        e.subId = slot.subId;
        if (slot.id == ADD_SENSOR_MODE_ID && c.temperatureSensorCount == 0) {
            e.size = SETTING_SKIP;
        } else {
            e.size = slot.size;
            e.field = slot.location;
        }
        return e;
    }
    int k = index - SLOT_COUNT;
    for (const TSettingRun &run : RUNS) {
        const int count = c.*run.count;
        if (k < count) {
            e.id = run.id;
            e.subId = uint16_t(k);
            e.size = run.size;
            return e;
        }
        k -= count;
    }
    return e;
}

uint16_t reportEntry(const TLayoutEntry &e, uint16_t *id, uint16_t *subId)
{
    if (e.size == 0)
        return 0;
    if (id)
        *id = e.id;
    if (subId)
        *subId = e.subId;
    return e.size;
}

} // namespace

uint16_t enumerateSettings(uint16_t index, uint16_t *id, uint16_t *subId, uint8_t **location)
{
    TLayoutEntry e = layoutEntry(index, boundedCapabilities());
    if (e.size != 0 && e.size != SETTING_SKIP && !e.field)
        e.size = findSetting(e.id, e.subId, &e.field);
    if (e.size != 0 && location && e.field)
        *location = e.field;
    return reportEntry(e, id, subId);
}

uint16_t enumerateSettingsFor(const TDeviceCapabilities &counts, uint16_t index, uint16_t *id, uint16_t *subId)
{
    return reportEntry(layoutEntry(index, boundedCapabilities(counts)), id, subId);
}

void setCapabilitiesForDeviceType(uint8_t deviceType)
{
    if (deviceType != DEVICE_TYPE_F0)
        return;
    SettingsStorage.DeviceCapabilities = DEVICE_F0_CAPABILITIES;
    SettingsStorage.capabilitiesSet = 1;
}
