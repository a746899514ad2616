#include "model/SettingsImage.h"

#include "model/ModelLog.h"
#include "model/SettingsKey.h"
#include "model/SettingsStorage.h"
#include "model/TeaMac.h"
#include "transport/Packet.h"

// The code covers a length taken as 16 bits; every count is clamped to its room, so the
// largest image still fits and no byte is left out of the code.
static_assert(SETTINGS_IMAGE_HEADER_SIZE + MAX_SETTINGS_RECORD_BYTES <= 0xFFFF,
              "covered bytes fit a 16-bit length");

namespace {

QByteArray codeOf(const char *covered, uint16_t length)
{
    uint32_t key[SettingsKey::WORDS];
    SettingsKey::fill(key);
    TeaMac mac;
    mac.init(key);
    mac.update(reinterpret_cast<const uint8_t *>(covered), length);
    mac.final();
    SettingsKey::wipe(key);
    return mac.code();
}

QByteArray startImage()
{
    QByteArray image(SETTINGS_IMAGE_HEADER_SIZE, '\0');
    image.replace(0, 8, "SETTINGS", 8);
    image.reserve(SETTINGS_IMAGE_CODE_SIZE + SETTINGS_IMAGE_HEADER_SIZE + MAX_SETTINGS_RECORD_BYTES);
    return image;
}

void appendRecord(QByteArray &image, uint16_t id, uint16_t subId, const char *value, uint16_t size)
{
    Packet::appendU16(image, id);
    Packet::appendU16(image, subId);
    Packet::appendU16(image, size);
    image.append(value, size);
}

QByteArray sealImage(QByteArray image)
{
    image.prepend(codeOf(image.constData(), uint16_t(image.size())));
    return image;
}

} // namespace

QByteArray build_settings_image()
{
    QByteArray image = startImage();
    for (uint16_t index = 0; index < SETTINGS_IMAGE_MAX_ENTRIES; ++index) {
        uint16_t id = 0;
        uint16_t subId = 0;
        uint8_t *value = nullptr;
        const uint16_t size = enumerateSettings(index, &id, &subId, &value);
        if (size == 0)
            break;
        if (size == SETTING_SKIP)
            continue;
        appendRecord(image, id, subId, reinterpret_cast<const char *>(value), size);
    }
    return sealImage(std::move(image));
}

QByteArray build_settings_image(const QVector<TSettingRecord> &records)
{
    QByteArray image = startImage();
    int covered = image.size();
    for (const TSettingRecord &r : records) {
        if (r.value.size() > 0xFFFF - SettingRecordReader::HEADER_SIZE - covered) {
            qCDebug(lcModel) << "[build_settings_image] ERROR records exceed the 16-bit length at" << r.id << r.subId;
            return QByteArray();
        }
        covered += SettingRecordReader::HEADER_SIZE + r.value.size();
        appendRecord(image, r.id, r.subId, r.value.constData(), uint16_t(r.value.size()));
    }
    return sealImage(std::move(image));
}

QVector<TSettingRecord> settings_layout(const TDeviceCapabilities &counts)
{
    QVector<TSettingRecord> layout;
    TSettingRecord r;
    for (uint16_t index = 0; (r.size = enumerateSettingsFor(counts, index, &r.id, &r.subId)) != 0; ++index) {
        if (r.size == SETTING_SKIP)
            continue;
        r.value = QByteArray(r.size, '\0');
        layout.append(r);
    }
    return layout;
}

bool verify_settings_image(const QByteArray &image)
{
    const int covered = image.size() - SETTINGS_IMAGE_CODE_SIZE;
    if (covered < SETTINGS_IMAGE_HEADER_SIZE || covered > 0xFFFF) {
        qCDebug(lcModel) << "[verify_settings_image] ERROR image size" << image.size();
        return false;
    }
    const QByteArray code = codeOf(image.constData() + SETTINGS_IMAGE_CODE_SIZE, uint16_t(covered));
    return image.startsWith(code);
}
