#include "files/SettingsFile.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "support/DistinctSettings.h"
#include "support/TestFiles.h"
#include "transport/Packet.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <sys/resource.h>

namespace {

QByteArray storageBytes()
{
    return QByteArray(reinterpret_cast<const char *>(&SettingsStorage), int(sizeof SettingsStorage));
}

void wipeSettings()
{
    std::memset(&SettingsStorage, 0, offsetof(TSettingsStorage, parameters));
}

QByteArray record(uint16_t id, uint16_t subId, uint16_t size, const QByteArray &value)
{
    QByteArray r;
    Packet::appendU16(r, id);
    Packet::appendU16(r, subId);
    Packet::appendU16(r, size);
    return r + value;
}

QByteArray field(uint16_t id, uint16_t subId)
{
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(id, subId, &location);
    return QByteArray(reinterpret_cast<const char *>(location), size);
}

const QByteArray HEADER = QByteArray(8, '\x5A') + QByteArray("SETTINGS") + QByteArray(8, '\0');

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        fillSettingsWithDistinctBytes(offsetof(TSettingsStorage, parameters), 13, 5);
    }

    void saveOverLongerFileThenLoadRestoresEveryField()
    {
        const QString path = m_dir.filePath(QStringLiteral("copy.ksf"));
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
        const QByteArray image = build_settings_image();
        QString error;
        QVERIFY2(SettingsFile::save(path, &error), qPrintable(error));
        QCOMPARE(readFile(path), image);

        wipeSettings();
        QVERIFY2(SettingsFile::load(path, &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        // The same storage gives the same image, field for field.
        QCOMPARE(build_settings_image(), image);
    }

    void failedSaveLeavesOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.ksf"));
        const QByteArray old(2000, 'o');
        QVERIFY(writeFile(path, old));

        // A file size limit makes the write fail part way, as a full disk would.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = saved;
        tight.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        QString error;
        const bool written = SettingsFile::save(path, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!written);
        // The system's own reason, for a message that names the file: not "Unknown error".
        QCOMPARE(error, QStringLiteral("File too large"));
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.ksf")});

        QVERIFY(!SettingsFile::save(dir.path(), &error));
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void truncatedFileLoadsCompleteRecordsOnly_data()
    {
        QTest::addColumn<int>("cut"); // bytes after the code and header; negative counts from the end
        QTest::newRow("header only") << 0;
        QTest::newRow("inside the first record header") << 3;
        QTest::newRow("inside the third record value") << (6 + 35) * 2 + 6 + 10;
        QTest::newRow("last byte missing") << -1;
    }

    void truncatedFileLoadsCompleteRecordsOnly()
    {
        QFETCH(int, cut);
        const QByteArray image = build_settings_image();
        const int length = cut < 0 ? image.size() + cut : SETTINGS_IMAGE_RECORDS_OFFSET + cut;
        const QString path = m_dir.filePath(QStringLiteral("cut.ksf"));
        QVERIFY(writeFile(path, image.left(length)));

        wipeSettings();
        QString error;
        QVector<TSettingKey> missing;
        QVERIFY(SettingsFile::load(path, &error, &missing));
        QCOMPARE(error.isEmpty(), cut == 0);

        SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
        TSettingRecord r;
        int complete = 0;
        while (reader.next(&r)) {
            const bool inside = r.offset + SettingRecordReader::HEADER_SIZE + r.size <= length;
            QCOMPARE(field(r.id, r.subId), inside ? r.value : QByteArray(r.size, '\0'));
            complete += inside;
        }
        QCOMPARE(SettingsFile::loadImage(image.left(length)), complete);
        // Every record not loaded whole is named as missing, so no caller mistakes it for set.
        QCOMPARE(missing.size(), 49 - complete);
    }

    void foreignRecordsAreSkipped()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        const QByteArray bytes = HEADER + record(9999, 0, 4, "ABCD")
            + record(3002, 2, SIM_ENTRY_SIZE, QByteArray(SIM_ENTRY_SIZE, 'S')) // beyond the two SIMs
            + record(3253, 60000, PHONE_SIZE, QByteArray(PHONE_SIZE, 'P'))
            + record(3252, 0, 3, "\x05\x06\x07") // longer than its 1-byte field
            + record(3001, 0, 2, "ab")           // shorter than its 35 bytes
            + record(3372, 0, 0xFFFF, QByteArray(10, 'R')) // claims more than the file holds
            + record(3373, 0, INTERFACE_BLOCK_SIZE, QByteArray(INTERFACE_BLOCK_SIZE, 'Q'));

        QByteArray expected = storageBytes();
        expected[int(offsetof(TSettingsStorage, pinEnabled))] = 5;
        expected.replace(int(offsetof(TSettingsStorage, servers)), 2, "ab");

        const QString path = m_dir.filePath(QStringLiteral("foreign.ksf"));
        QVERIFY(writeFile(path, bytes));
        QString error;
        QVERIFY(SettingsFile::load(path, &error));
        QVERIFY2(error.contains(QStringLiteral("2 из 5")), qPrintable(error));
        QCOMPARE(storageBytes(), expected);
        QCOMPARE(SettingsFile::loadImage(bytes), 2);
    }

    void unusableFilesLoadNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("shorter than the header") << HEADER.left(23);
        QTest::newRow("larger than any image") << HEADER + record(3252, 0, 1, "\x09") + QByteArray(70000, '\0');
    }

    void unusableFilesLoadNothing()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        if (!bytes.isNull())
            QVERIFY(writeFile(path, bytes));
        const QByteArray before = storageBytes();
        QString error;
        QVERIFY(!SettingsFile::load(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(storageBytes(), before);
    }

    void readOnlyFileLoads_data()
    {
        QTest::addColumn<bool>("copied");
        QTest::newRow("write-protected file") << true;
        // A resource cannot be opened for writing, whatever the user's rights.
        QTest::newRow("read-only device") << false;
    }

    void readOnlyFileLoads()
    {
        QFETCH(bool, copied);
        QString path = QStringLiteral(":/readonly.ksf");
        if (copied) {
            path = m_dir.filePath(QStringLiteral("template.ksf"));
            QVERIFY(QFile::copy(QStringLiteral(":/readonly.ksf"), path));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        SettingsStorage.pinEnabled[0] = 0;
        QString error;
        QVERIFY2(SettingsFile::load(path, &error), qPrintable(error));
        QCOMPARE(SettingsStorage.pinEnabled[0], uint8_t(1));
        QCOMPARE(field(3251, 0), QByteArray("4321\0", 5));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
