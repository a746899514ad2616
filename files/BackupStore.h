#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <cstdint>

enum class EBackupReason : uint8_t { Write, Firmware, FactoryReset, Manual };

struct TBackupEntry {
    QString terminal;
    QDateTime time; // UTC, whole seconds
    EBackupReason reason = EBackupReason::Manual;
    qint64 size = 0;
    QString path;
};

// ".ksf" backups of terminals' settings, one folder per terminal under a root:
// <root>/<terminal>/20261206T135012Z-write.ksf. The terminal is its relay id, or its IMEI over
// USB; its folder name keeps letters, digits and '-' and writes every other byte of its UTF-8
// as %XX ("../x" -> "%2E%2E%2Fx"), an empty id as "_", and cuts a very long one, marking it
// with '~' and a hash. Backups saved within one second get "-2", "-3", ... before ".ksf".
// Only files named so are backups: listing and pruning never touch anything else.
class BackupStore
{
    Q_DECLARE_TR_FUNCTIONS(BackupStore)
public:
    static constexpr int KEEP = 20;

    // The default root is the window's AppDataLocation + "/backups", whichever program asks.
    explicit BackupStore(const QString &root = defaultRoot());
    static QString defaultRoot();
    const QString &root() const { return m_root; }

    // Saves the image as the terminal's newest backup in one step (QSaveFile), then deletes
    // its oldest backups so that KEEP remain, the new one always among them. Returns the
    // new file's path. On failure (the folder cannot be made, the disk is full) nothing is
    // saved: empty result and error names the file and the system's reason. A backup saved
    // whose old ones could not all be deleted returns its path with a note in error.
    QString save(const QString &terminal, const QByteArray &image, EBackupReason reason, QString *error,
                 const QDateTime &when = QDateTime::currentDateTimeUtc()) const;

    // Newest first.
    QVector<TBackupEntry> list(const QString &terminal) const;
    // Of every terminal's folder under the root, newest first; the terminal of a cut id
    // ends in "…".
    QVector<TBackupEntry> listAll() const;

    // The ".ksf" image of a terminal's "BASE" file, records in its order: the backup of it.
    static QByteArray imageOfBase(const QByteArray &base);

    static QString folderName(const QString &terminal);
    // "write", "firmware", "factory-reset", "manual": as in file names.
    static QString reasonKey(EBackupReason reason);
    // Translated, for people.
    static QString reasonText(EBackupReason reason);

private:
    QVector<TBackupEntry> listFolder(const QString &folder, const QString &terminal) const;

    QString m_root;
};
