// Loading a ".ksf" settings file: the input is the file, loaded once into a storage without
// capability counts and once into one with the counts of device type 0xF0, both from the
// bytes and through a real file.

#include "FuzzSupport.h"

#include "files/SettingsFile.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"

#include <QTemporaryFile>

#include <cstdint>
#include <cstring>

namespace {

QTemporaryFile &scratchFile()
{
    static QTemporaryFile *file = [] {
        auto *f = new QTemporaryFile;
        if (!f->open())
            FuzzSupport::fail("cannot create a scratch file", __FILE__, __LINE__);
        return f;
    }();
    return *file;
}

void resetStorage(bool f0)
{
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    if (f0)
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
}

int recordCount(const QByteArray &bytes)
{
    SettingRecordReader reader(bytes, SETTINGS_IMAGE_RECORDS_OFFSET);
    int n = 0;
    while (reader.next(nullptr))
        ++n;
    return n;
}

void loadInto(const QByteArray &bytes, bool f0)
{
    resetStorage(f0);
    const TDeviceCapabilities counts = SettingsStorage.DeviceCapabilities;
    const int stored = SettingsFile::loadImage(bytes);
    FUZZ_REQUIRE(stored >= 0);
    FUZZ_REQUIRE(bytes.size() < SETTINGS_IMAGE_RECORDS_OFFSET ? stored == 0 : stored <= recordCount(bytes));
    // A file holds settings, never the counts that size them.
    FUZZ_REQUIRE(std::memcmp(&counts, &SettingsStorage.DeviceCapabilities, sizeof counts) == 0);
    const TSettingsStorage fromBytes = SettingsStorage;

    // Saving what was loaded and loading that again changes nothing.
    const QByteArray image = build_settings_image();
    FUZZ_REQUIRE(verify_settings_image(image));
    resetStorage(f0);
    FUZZ_REQUIRE(SettingsFile::loadImage(image) == recordCount(image));
    FUZZ_REQUIRE(build_settings_image() == image);

    // The same bytes through a real file: the same storage, and refused only when short.
    QTemporaryFile &file = scratchFile();
    file.resize(0);
    file.seek(0);
    file.write(bytes);
    file.flush();
    resetStorage(f0);
    QString error;
    const bool loaded = SettingsFile::load(file.fileName(), &error);
    FUZZ_REQUIRE(loaded == (bytes.size() >= SETTINGS_IMAGE_RECORDS_OFFSET));
    FUZZ_REQUIRE(!loaded || std::memcmp(&fromBytes, &SettingsStorage, sizeof fromBytes) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::quietMessages();
    if (qint64(size) > SettingsFile::MAX_FILE_SIZE)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    loadInto(bytes, false);
    loadInto(bytes, true);
    return 0;
}
