#include "session/SessionReporter.h"

#include "model/ParameterTable.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsCoverage.h"
#include "model/SettingsStorage.h"
#include "session/SessionLog.h"
#include "session/usb_handler.h"

#include <cstring>

SessionReporter::SessionReporter(usb_handler *face)
    : m_face(face)
{
}

void SessionReporter::onProgress(TSessionProgress progress)
{
    emit m_face->status_message(progressText(progress));
    emit m_face->progress(progress);
}

void SessionReporter::onPercent(int value)
{
    emit m_face->bar_percentage(value);
}

void SessionReporter::onOutcome(TSessionOutcome outcome)
{
    // A loss has no status of its own: whoever shows the session says so in its own way.
    if (outcome.code != ESessionOutcome::Lost)
        emit m_face->status_message(outcomeText(outcome));
    emit m_face->outcome(outcome);
}

void SessionReporter::onConnected()
{
    emit m_face->device_connected();
}

void SessionReporter::onDisconnected(bool lost)
{
    emit m_face->device_disconnected(lost);
}

void SessionReporter::onPinRefused()
{
    emit m_face->pin_request();
}

void SessionReporter::onParametersRead(QVector<TParameterValue> values)
{
    bool anyStored = false;
    for (const TParameterValue &v : values) {
        if (v.row < 0 || v.row >= PARAMETER_COUNT)
            continue;
        const ParameterDescriptor &d = parameterRow(v.row);
        const bool stored = v.ok && v.value.size() == d.size;
        if (stored)
            std::memcpy(d.value, v.value.constData(), d.size);
        anyStored = anyStored || stored;
        emit m_face->parameter_read(v.row, stored);
    }
    if (anyStored)
        emit m_face->state_updated();
}

void SessionReporter::onGroupRead()
{
    emit m_face->state_updated();
}

void SessionReporter::onDeviceTypeRead()
{
    emit m_face->device_type_received();
}

void SessionReporter::onSettingsRead(QByteArray base)
{
    SettingRecordReader reader(base, 0);
    TSettingRecord record;
    QSet<TSettingKey> stored;
    while (reader.next(&record)) {
        uint8_t *location = nullptr;
        const uint8_t size = findSetting(record.id, record.subId, &location);
        if (size == 0) {
            qCDebug(lcSession, "Setting id=%d, subid=%d not found\n", record.id, record.subId);
        } else if (size != record.size) {
            qCDebug(lcSession, "Error setting %d recv size: %d, while real_size is: %d\n", record.id, record.size, size);
        } else {
            std::memcpy(location, record.value.constData(), size);
            stored.insert({record.id, record.subId});
        }
    }
    if (reader.truncated())
        qCDebug(lcSession) << "Settings record at" << reader.position() << "runs past the end of the file";
    // Settings the terminal did not send keep the values they had, which belong to no terminal
    // in particular: whoever saves or writes them must know.
    const int missing = missingSettings(stored).size();
    if (missing > 0)
        qCDebug(lcSession) << "BASE lacks" << missing << "settings of a full configuration";
    emit m_face->bar_percentage(0);
    const TSessionOutcome loaded{ESessionOutcome::SettingsLoaded, missing};
    emit m_face->status_message(outcomeText(loaded));
    emit m_face->settings_updated();
    emit m_face->outcome(loaded);
}

void SessionReporter::onBackupRead(QByteArray base)
{
    emit m_face->bar_percentage(0);
    emit m_face->backup_read(base);
}

void SessionReporter::onSettingValue(int id, int subId, QByteArray value)
{
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(uint16_t(id), uint16_t(subId), &location);
    if (size != 0 && size == value.size())
        std::memcpy(location, value.constData(), size);
}

void SessionReporter::onSensorsRead()
{
    emit m_face->settings_updated();
}

void SessionReporter::onLogData(QByteArray data)
{
    emit m_face->log_data(data);
}

void SessionReporter::onDeviceList(QList<TDeviceToConfigInfo> list)
{
    emit m_face->device_list(list);
}
