#include "files/BackupStore.h"

#include "files/FilesLog.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace {

struct TReasonName {
    EBackupReason reason;
    const char *key;
    const char *text;
};

constexpr TReasonName REASONS[] = {
    {EBackupReason::Write, "write", QT_TRANSLATE_NOOP("BackupStore", "перед записью настроек")},
    {EBackupReason::Firmware, "firmware", QT_TRANSLATE_NOOP("BackupStore", "перед обновлением прошивки")},
    {EBackupReason::FactoryReset, "factory-reset", QT_TRANSLATE_NOOP("BackupStore", "перед сбросом к заводским настройкам")},
    {EBackupReason::Manual, "manual", QT_TRANSLATE_NOOP("BackupStore", "вручную")},
};

const TReasonName &reasonName(EBackupReason reason)
{
    for (const TReasonName &r : REASONS) {
        if (r.reason == reason)
            return r;
    }
    return REASONS[std::size(REASONS) - 1];
}

const QString TIME_FORMAT = QStringLiteral("yyyyMMdd'T'HHmmss'Z'");
const QString SUFFIX = QStringLiteral(".ksf");
// Folder names stay well inside the 255 bytes a file name may take.
constexpr int MAX_FOLDER_NAME = 100;
constexpr int NAME_HASH_DIGITS = 16;
constexpr QChar CUT_MARK = QLatin1Char('~');

// "20261206T135012Z-write.ksf", "20261206T135012Z-write-2.ksf": time, reason, sequence.
const QRegularExpression &backupName()
{
    static const QRegularExpression pattern([] {
        QStringList keys;
        for (const TReasonName &r : REASONS)
            keys << QString::fromLatin1(r.key);
        return QStringLiteral("^(\\d{8}T\\d{6}Z)-(%1)(?:-([2-9]|[1-9]\\d{1,8}))?\\.ksf$").arg(keys.join(QLatin1Char('|')));
    }());
    return pattern;
}

struct TNamedBackup {
    TBackupEntry entry;
    int sequence = 1;
};

bool newerFirst(const TNamedBackup &a, const TNamedBackup &b)
{
    if (a.entry.time != b.entry.time)
        return a.entry.time > b.entry.time;
    return a.sequence > b.sequence;
}

QString systemReason()
{
    return errno ? qt_error_string(errno) : BackupStore::tr("причина неизвестна");
}

} // namespace

BackupStore::BackupStore(const QString &root) : m_root(root) {}

QString BackupStore::defaultRoot()
{
    // The window's data location (organisation Trivox, application trivox), spelt out so that
    // trivox-cli, whose application name differs, keeps its backups in the same place.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Trivox/trivox/backups");
}

QString BackupStore::folderName(const QString &terminal)
{
    if (terminal.isEmpty())
        return QStringLiteral("_");
    const QByteArray utf8 = terminal.toUtf8();
    // Letters, digits and '-' stay; '.', '_' and '~' are encoded as well, so no name is "..",
    // "_" or carries the cut mark.
    const QString name = QString::fromLatin1(utf8.toPercentEncoding(QByteArray(), "._~"));
    if (name.size() <= MAX_FOLDER_NAME)
        return name;
    int cut = MAX_FOLDER_NAME;
    const int escape = name.lastIndexOf(QLatin1Char('%'), cut - 1);
    if (escape >= 0 && escape > cut - 3)
        cut = escape;
    const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex().left(NAME_HASH_DIGITS);
    return name.left(cut) + CUT_MARK + QString::fromLatin1(hash);
}

QString BackupStore::reasonKey(EBackupReason reason)
{
    return QString::fromLatin1(reasonName(reason).key);
}

QString BackupStore::reasonText(EBackupReason reason)
{
    return tr(reasonName(reason).text);
}

QString BackupStore::save(const QString &terminal, const QByteArray &image, EBackupReason reason, QString *error,
                          const QDateTime &when) const
{
    if (error)
        error->clear();
    auto fail = [error](const QString &text) {
        qCDebug(lcFiles) << "[BackupStore::save] ERROR" << text;
        if (error)
            *error = text;
        return QString();
    };

    const QString folder = m_root + QLatin1Char('/') + folderName(terminal);
    errno = 0;
    if (!QDir().mkpath(folder))
        return fail(tr("не удалось создать папку %1: %2").arg(QDir::toNativeSeparators(folder), systemReason()));

    const QString base = folder + QLatin1Char('/') + when.toUTC().toString(TIME_FORMAT) + QLatin1Char('-') + reasonKey(reason);
    QString path = base + SUFFIX;
    for (int sequence = 2; QFile::exists(path); ++sequence)
        path = base + QStringLiteral("-%1").arg(sequence) + SUFFIX;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(tr("не удалось создать %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    // Flushed and checked here: commit does not notice every short write.
    if (file.write(image) != image.size() || !file.flush()) {
        const QString reasonText = file.errorString();
        file.cancelWriting();
        return fail(tr("не удалось записать %1: %2").arg(QDir::toNativeSeparators(path), reasonText));
    }
    if (!file.commit())
        return fail(tr("не удалось сохранить %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));

    QVector<TBackupEntry> older = listFolder(folder, terminal);
    older.erase(std::remove_if(older.begin(), older.end(), [&path](const TBackupEntry &e) { return e.path == path; }),
                older.end());
    QStringList kept;
    for (int i = KEEP - 1; i < older.size(); ++i) {
        QFile old(older[i].path);
        if (!old.remove())
            kept << tr("не удалось удалить старую копию %1: %2").arg(QDir::toNativeSeparators(old.fileName()), old.errorString());
    }
    if (!kept.isEmpty()) {
        qCDebug(lcFiles) << "[BackupStore::save] WARNING" << kept.size() << "old backups stay";
        if (error)
            *error = kept.join(QLatin1Char('\n'));
    }
    return path;
}

QVector<TBackupEntry> BackupStore::list(const QString &terminal) const
{
    return listFolder(m_root + QLatin1Char('/') + folderName(terminal), terminal);
}

QVector<TBackupEntry> BackupStore::listAll() const
{
    QVector<TBackupEntry> all;
    static const QRegularExpression cutName(QStringLiteral("^[A-Za-z0-9%-]+~[0-9a-f]{%1}$").arg(NAME_HASH_DIGITS));
    const QStringList folders = QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString &folder : folders) {
        const int mark = folder.indexOf(CUT_MARK);
        const QString encoded = mark < 0 ? folder : folder.left(mark);
        QString terminal = folder == QLatin1String("_") ? QString()
                                                        : QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toLatin1()));
        // Folders this store did not name are no terminal's.
        if (mark < 0 ? folderName(terminal) != folder : !cutName.match(folder).hasMatch())
            continue;
        if (mark >= 0)
            terminal += QStringLiteral("…");
        all += listFolder(m_root + QLatin1Char('/') + folder, terminal);
    }
    std::stable_sort(all.begin(), all.end(), [](const TBackupEntry &a, const TBackupEntry &b) { return a.time > b.time; });
    return all;
}

QVector<TBackupEntry> BackupStore::listFolder(const QString &folder, const QString &terminal) const
{
    QVector<TNamedBackup> found;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &info : files) {
        const QRegularExpressionMatch m = backupName().match(info.fileName());
        if (!m.hasMatch())
            continue;
        QDateTime time = QDateTime::fromString(m.captured(1), TIME_FORMAT);
        time.setTimeSpec(Qt::UTC);
        if (!time.isValid())
            continue;
        TNamedBackup b;
        b.entry.terminal = terminal;
        b.entry.time = time;
        for (const TReasonName &r : REASONS) {
            if (m.captured(2) == QLatin1String(r.key))
                b.entry.reason = r.reason;
        }
        b.entry.size = info.size();
        b.entry.path = info.absoluteFilePath();
        b.sequence = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        found.append(b);
    }
    std::sort(found.begin(), found.end(), newerFirst);
    QVector<TBackupEntry> entries;
    for (const TNamedBackup &b : found)
        entries.append(b.entry);
    return entries;
}

QByteArray BackupStore::imageOfBase(const QByteArray &base)
{
    QVector<TSettingRecord> records;
    SettingRecordReader reader(base, 0);
    TSettingRecord record;
    while (reader.next(&record))
        records.append(record);
    return build_settings_image(records);
}
