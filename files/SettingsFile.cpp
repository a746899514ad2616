#include "files/SettingsFile.h"

#include "files/FilesLog.h"
#include "files/WriteFailure.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsCoverage.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
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
        qCDebug(lcFiles) << "Error file opening" << path << file.errorString();
        setError(error, file.errorString());
        return false;
    }
    const QByteArray image = build_settings_image();
    // Flushed here and checked: commit does not notice every short write (a file size limit
    // cut the temporary file and commit still reported success).
    errno = 0;
    if (file.write(image) != image.size() || !file.flush()) {
        const QString reason = writeFailureReason(file, errno);
        qCDebug(lcFiles) << "[SettingsFile::save] ERROR writing" << path << reason;
        setError(error, reason);
        file.cancelWriting();
        return false;
    }
    // Until commit the old file is untouched; commit flushes and replaces it in one rename.
    errno = 0;
    if (!file.commit()) {
        const QString reason = writeFailureReason(file, errno);
        qCDebug(lcFiles) << "[SettingsFile::save] ERROR" << path << reason;
        setError(error, reason);
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
        qCDebug(lcFiles) << "Error file opening" << path << file.errorString();
        setError(error, file.errorString());
        return false;
    }
    if (file.size() > MAX_FILE_SIZE) {
        qCDebug(lcFiles) << "[SettingsFile::load] ERROR" << path << "is" << file.size() << "bytes, not a settings file";
        setError(error, QCoreApplication::translate("SettingsFile", "слишком большой для файла настроек (%1 байт)")
                            .arg(file.size()));
        return false;
    }
    // Bounded read: a file that grows while being read still cannot flood memory.
    const QByteArray bytes = file.read(MAX_FILE_SIZE + 1);
    if (bytes.size() > MAX_FILE_SIZE) {
        setError(error, QCoreApplication::translate("SettingsFile", "слишком большой для файла настроек"));
        return false;
    }
    if (bytes.size() < SETTINGS_IMAGE_RECORDS_OFFSET) {
        qCDebug(lcFiles) << "[SettingsFile::load] ERROR" << path << "has" << bytes.size() << "bytes, shorter than the code and header";
        setError(error, QCoreApplication::translate("SettingsFile", "слишком короткий для файла настроек (%1 байт)")
                            .arg(bytes.size()));
        return false;
    }

    const TLoadCount count = storeRecords(bytes);
    if (count.truncated || count.stored != count.records) {
        qCDebug(lcFiles) << "[SettingsFile::load] WARNING" << path << count.stored << "of" << count.records
                         << "records loaded" << (count.truncated ? "the file ends inside a record" : "");
        setError(error, QCoreApplication::translate("SettingsFile", "загружено записей: %1 из %2%3")
                            .arg(count.stored)
                            .arg(count.records)
                            .arg(count.truncated ? QCoreApplication::translate("SettingsFile", ", файл обрывается посреди записи")
                                                 : QString()));
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
