#pragma once

#include "model/SettingsCoverage.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// A ".ksf" settings file: exactly the settings image of SettingsStorage, nothing before or
// after it. Saving and loading never talk to the terminal.
class SettingsFile
{
public:
    // No image is longer: its code covers a length held in 16 bits.
    static constexpr qint64 MAX_FILE_SIZE = 8 + 0xFFFF;

    // Replaces the file with the current image in one step: on any failure the old file
    // stays as it was. error (may be null) gets the reason, for a message that names the file.
    static bool save(const QString &path, QString *error);

    // Stores the file's records into SettingsStorage. Needs only read access. False when
    // nothing could be read (no file, shorter than the code and header, too large); a file
    // that skips records or ends inside one loads what is valid, returns true and leaves
    // a note in error. missing (may be null) gets the settings of a full configuration, at
    // the counts in force, that the file did not fill whole: they keep their old values.
    static bool load(const QString &path, QString *error, QVector<TSettingKey> *missing = nullptr);

    // Stores every record of an image whose setting exists; the code and header are not
    // checked. Returns the number of records stored.
    static int loadImage(const QByteArray &bytes);
};
