// The terminal's "BASE" file parsed into SettingsStorage, as the settings download does it:
// walk the records, look each one up, copy the value only when the sizes agree.
//
// Input: byte 0 chooses the capability counts the storage holds (bit 0: those of device type
// 0xF0; bit 1: the next 12 bytes, as a damaged storage could hold them; neither: none),
// then the file's bytes.

#include "FuzzSupport.h"

#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"

#include <cstdint>
#include <cstring>

namespace {

bool inside(const uint8_t *p, int size, const void *field, size_t fieldSize)
{
    const auto *begin = static_cast<const uint8_t *>(field);
    return p >= begin && p + size <= begin + fieldSize;
}

// Every setting is stored in the settings or the parameter values, never in the counts
// that size the repeated settings.
bool insideSettings(const uint8_t *p, int size)
{
    const TSettingsStorage &s = SettingsStorage;
    const size_t settingsBytes = offsetof(TSettingsStorage, DeviceCapabilities);
    return inside(p, size, &s, settingsBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::quietMessages();
    if (size < 1)
        return 0;
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    size_t at = 1;
    if (data[0] & 1) {
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    } else if ((data[0] & 2) && size >= 1 + sizeof(TDeviceCapabilities)) {
        std::memcpy(&SettingsStorage.DeviceCapabilities, data + 1, sizeof(TDeviceCapabilities));
        SettingsStorage.capabilitiesSet = 1;
        at += sizeof(TDeviceCapabilities);
    }
    const TDeviceCapabilities counts = SettingsStorage.DeviceCapabilities;
    const QByteArray file(reinterpret_cast<const char *>(data + at), int(size - at));

    SettingRecordReader reader(file, 0);
    TSettingRecord record;
    int walked = 0;
    while (reader.next(&record)) {
        FUZZ_REQUIRE(record.offset == walked);
        FUZZ_REQUIRE(record.value.size() == record.size);
        FUZZ_REQUIRE(record.offset + SettingRecordReader::HEADER_SIZE + record.size <= file.size());
        walked += SettingRecordReader::HEADER_SIZE + record.size;
        FUZZ_REQUIRE(reader.position() == walked);

        uint8_t *location = nullptr;
        const uint8_t found = findSetting(record.id, record.subId, &location);
        FUZZ_REQUIRE(findSetting(record.id, record.subId, nullptr) == found);
        if (found == 0) {
            FUZZ_REQUIRE(location == nullptr);
            continue;
        }
        FUZZ_REQUIRE(location && insideSettings(location, found));
        if (found == record.size)
            std::memcpy(location, record.value.constData(), found);
    }
    // The walk ends exactly at the end of the file, or on a record cut by it.
    FUZZ_REQUIRE(reader.position() == file.size());
    FUZZ_REQUIRE(reader.truncated() == (walked != file.size()));
    FUZZ_REQUIRE(std::memcmp(&counts, &SettingsStorage.DeviceCapabilities, sizeof counts) == 0);

    // What was stored goes on to the settings upload: the image is built from it and
    // carries a code that checks.
    const QByteArray image = build_settings_image();
    FUZZ_REQUIRE(image.size() <= SETTINGS_IMAGE_RECORDS_OFFSET + MAX_SETTINGS_RECORD_BYTES);
    FUZZ_REQUIRE(verify_settings_image(image));
    return 0;
}
