#include "files/SettingsFile.h"

#include "files/FilesLog.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsCoverage.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Records walked and stored by one load; the difference was skipped.
struct TLoadCount {
    int records = 0;
    int stored = 0;
    bool truncated = false;
    QSet<TSettingKey> keys; // of the records stored
};

TLoadCount storeRecords(const QByteArray &bytes)
{
    TLoadCount count;
    SettingRecordReader reader(bytes, SETTINGS_IMAGE_RECORDS_OFFSET);
    TSettingRecord record;
    while (reader.next(&record)) {
        ++count.records;
        uint8_t *field = nullptr;
        const uint8_t size = findSetting(record.id, record.subId, &field);
        if (size != record.size)
            qCDebug(lcFiles).nospace() << "Error setting size, ID = " << record.id << " SIZE = " << record.size;
        if (size == 0 || !field)
            continue;
        std::memcpy(field, record.value.constData(), std::min<size_t>(size, size_t(record.value.size())));
        ++count.stored;
        // A short record fills its field only in part: that setting is not whole.
        if (record.size == size)
            count.keys.insert({record.id, record.subId});
    }
    count.truncated = reader.truncated();
    return count;
}

} // namespace

bool SettingsFile::save(const QString &path, QString *error)
{
    setError(error, QString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(lcFiles) << "Error file opening";
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray image = build_settings_image();
    // Flushed here and checked: commit does not notice every short write (a file size limit
    // cut the temporary file and commit still reported success).
    if (file.write(image) != image.size() || !file.flush()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    // Until commit the old file is untouched; commit flushes and replaces it in one rename.
    if (!file.commit()) {
        qCDebug(lcFiles) << "[SettingsFile::save] ERROR" << path << file.errorString();
        setError(error, QStringLiteral("cannot save %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool SettingsFile::load(const QString &path, QString *error, QVector<TSettingKey> *missing)
{
    setError(error, QString());
    if (missing)
        missing->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcFiles) << "Error file opening";
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.size() > MAX_FILE_SIZE) {
        qCDebug(lcFiles) << "[SettingsFile::load] ERROR" << path << "is" << file.size() << "bytes, not a settings file";
        setError(error, QStringLiteral("%1 is too large for a settings file (%2 bytes)").arg(path).arg(file.size()));
        return false;
    }
    // Bounded read: a file that grows while being read still cannot flood memory.
    const QByteArray bytes = file.read(MAX_FILE_SIZE + 1);
    if (bytes.size() > MAX_FILE_SIZE) {
        setError(error, QStringLiteral("%1 is too large for a settings file").arg(path));
        return false;
    }
    if (bytes.size() < SETTINGS_IMAGE_RECORDS_OFFSET) {
        qCDebug(lcFiles) << "[SettingsFile::load] ERROR" << path << "has" << bytes.size() << "bytes, shorter than the code and header";
        setError(error, QStringLiteral("%1 is too short for a settings file (%2 bytes)").arg(path).arg(bytes.size()));
        return false;
    }

    const TLoadCount count = storeRecords(bytes);
    if (count.truncated || count.stored != count.records) {
        const QString note = QStringLiteral("%1: %2 of %3 records loaded%4")
                                 .arg(path)
                                 .arg(count.stored)
                                 .arg(count.records)
                                 .arg(count.truncated ? QStringLiteral(", the file ends inside a record") : QString());
        qCDebug(lcFiles) << "[SettingsFile::load] WARNING" << note;
        setError(error, note);
    }
    if (missing)
        *missing = missingSettings(count.keys);
    return true;
}

int SettingsFile::loadImage(const QByteArray &bytes)
{
    if (bytes.size() < SETTINGS_IMAGE_RECORDS_OFFSET) {
        qCDebug(lcFiles) << "[SettingsFile::loadImage] ERROR" << bytes.size() << "bytes, shorter than the code and header";
        return 0;
    }
    return storeRecords(bytes).stored;
}
