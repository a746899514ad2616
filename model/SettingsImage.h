#pragma once

#include "model/SettingRecordReader.h"
#include "model/SettingsStorage.h"

#include <QByteArray>
#include <QVector>

// The serialised settings: 8-byte code, 16-byte header "SETTINGS" + 8 zeros, then records
// {u16 id, u16 subId, u16 size, value} in the order of enumerateSettings.
constexpr int SETTINGS_IMAGE_CODE_SIZE = 8;
constexpr int SETTINGS_IMAGE_HEADER_SIZE = 16;
constexpr int SETTINGS_IMAGE_RECORDS_OFFSET = SETTINGS_IMAGE_CODE_SIZE + SETTINGS_IMAGE_HEADER_SIZE;
constexpr int SETTINGS_IMAGE_MAX_ENTRIES = 1024;

// The image of SettingsStorage.
QByteArray build_settings_image();
// The image of these records, in this order, each with its value's size; SettingsStorage is
// not touched. Empty when the records exceed the 16-bit length the code covers.
QByteArray build_settings_image(const QVector<TSettingRecord> &records);

// The records of a full configuration under these counts, in image order, each value zeros
// of its size; SettingsStorage is not read.
QVector<TSettingRecord> settings_layout(const TDeviceCapabilities &counts);

// True when the code in the first 8 bytes matches the bytes after it under the settings key.
bool verify_settings_image(const QByteArray &image);
