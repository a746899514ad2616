#pragma once

#include <cstdint>

// The configurator's one in-memory copy of a terminal: its settings, its state parameter
// values and the capability counts that size every repeated setting. Values are held
// exactly as they travel: raw bytes, numbers little-endian, texts Windows-1251 and
// zero-padded, so every field is a byte array and the record has no padding.

constexpr int MAX_SERVERS = 8;
constexpr int MAX_SIMS = 2;
constexpr int MAX_PHONES = 10;
constexpr int MAX_INPUTS = 3;
constexpr int MAX_FREQUENCY_OUTPUTS = 1;
constexpr int MAX_DIGITAL_OUTPUTS = 1;
constexpr int MAX_TEMPERATURE_SENSORS = 10;

// Servers 1-7 may carry traffic, at most six at once; the eighth entry is the CSD connection.
constexpr int GUARDED_SERVERS = 7;
constexpr int CSD_ENTRY = 7;

constexpr int SERVER_ENTRY_SIZE = 35;
constexpr int SERVER_TYPE_OFFSET = 34; // connection type byte of a server entry
constexpr int SIM_ENTRY_SIZE = 62;
constexpr int BALANCE_CODE_SIZE = 8;
constexpr int PIN_SIZE = 5;
constexpr int PHONE_SIZE = 13;
constexpr int INPUT_ENTRY_SIZE = 2;
constexpr int INTERFACE_BLOCK_SIZE = 12;
constexpr int SENSOR_ID_SIZE = 8;

#pragma pack(push, 1)

// Interface block of settings 3372 (RS-232) and 3373 (RS-485), byte positions.
enum EInterfaceByte : int {
    IFACE_BAUD = 0,
    IFACE_STOP_BITS = 1,
    IFACE_PARITY = 2,
    IFACE_DATA_BITS = 3,
    IFACE_ANSWER_WAIT = 4,     // u16
    IFACE_SERVER_MODE = 6,
    IFACE_ATTEMPTS = 7,
    IFACE_REQUEST_TIMEOUT = 8, // u16
    IFACE_ATTEMPT_PAUSE = 10,  // u16
};

// Traffic counters of one server, received first, sent second (u32 LE each).
struct TTrafficCounters {
    uint8_t received[4];
    uint8_t sent[4];
};

// One field per row of the parameter table.
struct TParameterValues {
    uint8_t deviceType[1];               // 1
    uint8_t firmwareVersion[50];         // 2
    uint8_t gsmFirmwareVersion[36];      // 3
    uint8_t imei[16];                    // 5
    uint8_t iccid[40];                   // 8
    uint8_t uptime[4];                   // 9
    uint8_t currentTime[4];              // 10
    uint8_t protoVer[1];                 // 12, held at 1
    uint8_t serverState[8][1];           // 17..24
    uint8_t analogInputs[3][4];          // 1001..1003
    uint8_t digitalInputs[3][1];         // 1041..1043
    uint8_t digitalOutputs[MAX_DIGITAL_OUTPUTS][1]; // 1061, also a setting
    uint8_t pulseInputs[3][4];           // 1081..1083
    uint8_t frequencyInputs[3][4];       // 1101..1103
    uint8_t frequencyOutputs[1][2];      // 1121
    uint8_t currentKey[17];              // 1259
    uint8_t externalTemperatures[MAX_TEMPERATURE_SENSORS][4]; // 1181..1190
    uint8_t internalTemperature[4];      // 1250
    uint8_t supplyVoltage[4];            // 1252
    uint8_t externalSupplyVoltage[4];    // 1253
    uint8_t mcc[2];                      // 2001
    uint8_t mnc[2];                      // 2002
    uint8_t lac[4];                      // 2003
    uint8_t cellId[4];                   // 2004
    uint8_t gsmSignal[1];                // 2005
    uint8_t simBalance[2];               // 2006
    uint8_t gsmJamming[1];               // 2007
    TTrafficCounters traffic[MAX_SERVERS]; // 2008..2023, also settings
};

// How many of each repeated resource the terminal has; device type 0xF0 sets them.
struct TDeviceCapabilities {
    uint8_t simCount;
    uint8_t digitalInputCount;
    uint8_t digitalOutputCount;
    uint8_t analogInputCount;
    uint8_t range1021Count;
    uint8_t frequencyInputCount;
    uint8_t frequencyOutputCount;
    uint8_t pulseInputCount;
    uint8_t phoneCount;
    uint8_t serverCount;
    uint8_t inputCount;
    uint8_t temperatureSensorCount;
};

struct TSettingsStorage {
    uint8_t servers[MAX_SERVERS][SERVER_ENTRY_SIZE];      // 3001: address text, type at 34
    uint8_t sims[MAX_SIMS][SIM_ENTRY_SIZE];               // 3002: APN 0-29, user 30-45, password 46-61
    uint8_t balanceCodes[MAX_SIMS][BALANCE_CODE_SIZE];    // 3003
    uint8_t sessionHold[MAX_SERVERS][2];                  // 3006: u16 seconds
    uint8_t accessPin[PIN_SIZE];                          // 3251: 4 digits and a NUL
    uint8_t pinEnabled[1];                                // 3252
    uint8_t phones[MAX_PHONES][PHONE_SIZE];               // 3253
    uint8_t frequencyOutputs[MAX_FREQUENCY_OUTPUTS][1];   // 3353
    uint8_t inputs[MAX_INPUTS][INPUT_ENTRY_SIZE];         // 3371: type, active level
    uint8_t rs232[INTERFACE_BLOCK_SIZE];                  // 3372
    uint8_t rs485[INTERFACE_BLOCK_SIZE];                  // 3373
    uint8_t sensorIds[MAX_TEMPERATURE_SENSORS][SENSOR_ID_SIZE]; // 3356: 1-Wire ROM ids
    uint8_t addSensorMode[1];                             // 3368
    uint8_t csdInterface[1];                              // 3374: 9 RS-232, 10 RS-485

    TParameterValues parameters;

    TDeviceCapabilities DeviceCapabilities;
    uint8_t capabilitiesSet; // set to 1 with the counts of device type 0xF0
};

#pragma pack(pop)

static_assert(sizeof(TTrafficCounters) == 8, "counter pair");
static_assert(sizeof(TDeviceCapabilities) == 12, "twelve counts");
static_assert(sizeof(TParameterValues) == 351, "one field per parameter row");
static_assert(sizeof(TSettingsStorage) == 280 + 124 + 16 + 16 + 5 + 1 + 130 + 1 + 6 + 12 + 12 + 80 + 1 + 1 + 351 + 12 + 1,
              "settings fields are packed back to back");

extern TSettingsStorage SettingsStorage;

// The counts device type 0xF0 gives. Each repeated setting and counted parameter kind has
// room in the record for exactly this many.
constexpr TDeviceCapabilities DEVICE_F0_CAPABILITIES = {2, 3, 1, 3, 0, 3, 1, 3, 10, 8, 3, 10};

// The counts clamped to that room: a count byte set higher (by a bad file or peer) must
// never index past the arrays. Everything that walks a repeated field goes through this.
TDeviceCapabilities boundedCapabilities();
TDeviceCapabilities boundedCapabilities(const TDeviceCapabilities &counts);

// Bytes of all records of a full configuration with every count at its room.
constexpr int MAX_SETTINGS_RECORD_BYTES = 978;

// Settings by number. findSetting gives the size of setting (id, subId) and where it is
// stored; 0 means no such setting (location untouched). Sub-ids are compared at 16 bits.
uint8_t findSetting(uint16_t id, uint16_t subId, uint8_t **location);

// The index-th setting of a full configuration: 0 ends the list, SETTING_SKIP marks an
// entry to pass over.
constexpr uint16_t SETTING_SKIP = 0xFFFF;
uint16_t enumerateSettings(uint16_t index, uint16_t *id, uint16_t *subId, uint8_t **location);
// The same list under other counts (bounded as above), for images that are not this storage's:
// ids and sizes only, SettingsStorage is not read.
uint16_t enumerateSettingsFor(const TDeviceCapabilities &counts, uint16_t index, uint16_t *id, uint16_t *subId);

// The counts that device type 0xF0 gives, and the byte that follows them set to 1.
constexpr uint8_t DEVICE_TYPE_F0 = 0xF0;
void setCapabilitiesForDeviceType(uint8_t deviceType);
