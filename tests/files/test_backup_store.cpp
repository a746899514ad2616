#include "files/BackupStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

namespace {

const QDateTime START(QDate(2026, 12, 6), QTime(13, 50, 12), Qt::UTC);

QStringList namesOf(const QVector<TBackupEntry> &entries)
{
    QStringList names;
    for (const TBackupEntry &e : entries)
        names << QFileInfo(e.path).fileName();
    return names;
}

} // namespace

class TestBackupStore : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QVERIFY(QDir(m_dir.path()).removeRecursively() && QDir().mkpath(m_dir.path())); }

    void keepsExactlyTheNewestBackups()
    {
        const BackupStore store(m_dir.path());
        const QString folder = m_dir.path() + "/TRX-0001/";
        QVERIFY(QDir().mkpath(folder + "20200101T000000Z-write.ksf"));
        const QStringList strangers{"notes.txt", "20200101T000000Z-write.ksf.bak", "20200101T000000Z-lunch.ksf",
                                    "20201301T000000Z-write.ksf"};
        for (const QString &name : strangers) {
            QFile f(folder + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(!store.save("TRX-0002", "other", EBackupReason::Manual, nullptr, START).isEmpty());

        // Backup 22 shares the second and reason of 20; the last one is saved with the clock set
        // back a day, and stays all the same.
        QStringList saved;
        for (int i = 0; i < 24; ++i) {
            const int like = i == 22 ? 20 : i;
            const QDateTime when = i == 23 ? START.addDays(-1) : START.addSecs(like);
            QString error;
            saved << QFileInfo(store.save("TRX-0001", QByteArray(i + 1, 'k'), EBackupReason(like % 4), &error, when)).fileName();
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        QCOMPARE(saved[22], QStringLiteral("20261206T135032Z-write-2.ksf"));
        QStringList expected{saved[21], saved[22]};
        for (int i = 20; expected.size() < BackupStore::KEEP - 1; --i)
            expected << saved[i];
        expected << saved[23];

        const QVector<TBackupEntry> kept = store.list("TRX-0001");
        QCOMPARE(namesOf(kept), expected);
        QCOMPARE(kept[0].time, START.addSecs(21));
        QCOMPARE(kept[0].reason, EBackupReason::Firmware);
        QCOMPARE(kept[0].size, qint64(22));
        QCOMPARE(kept[1].size, qint64(23));
        for (const QString &name : strangers + QStringList{"20200101T000000Z-write.ksf"})
            QVERIFY2(QFileInfo::exists(folder + name), qPrintable(name));

        const QVector<TBackupEntry> all = store.listAll();
        QCOMPARE(all.size(), BackupStore::KEEP + 1);
        QCOMPARE(all.last().terminal, QStringLiteral("TRX-0001"));
        QCOMPARE(all[BackupStore::KEEP - 1].terminal, QStringLiteral("TRX-0002"));
    }

    void hostileIdsStayInTheirFolder_data()
    {
        QTest::addColumn<QString>("terminal");
        QTest::addColumn<QString>("folder");
        QTest::newRow("parent") << "../x" << "%2E%2E%2Fx";
        QTest::newRow("dots") << ".." << "%2E%2E";
        QTest::newRow("empty") << "" << "_";
        QTest::newRow("underscore") << "_" << "%5F";
        QTest::newRow("slashes") << "/etc/passwd\\" << "%2Fetc%2Fpasswd%5C";
        QTest::newRow("IMEI") << "356938035643809" << "356938035643809";
        QTest::newRow("Cyrillic") << "Склад" << "%D0%A1%D0%BA%D0%BB%D0%B0%D0%B4";
        QTest::newRow("long") << QString(300, 'a') << QString(100, 'a') + "~" + QCryptographicHash::hash(QByteArray(300, 'a'), QCryptographicHash::Sha1).toHex().left(16);
    }

    void hostileIdsStayInTheirFolder()
    {
        QFETCH(QString, terminal);
        QFETCH(QString, folder);
        QCOMPARE(BackupStore::folderName(terminal), folder);
        const BackupStore store(m_dir.path());
        QString error;
        const QString path = store.save(terminal, "image", EBackupReason::Write, &error, START);
        QCOMPARE(path, m_dir.path() + "/" + folder + "/20261206T135012Z-write.ksf");
        QCOMPARE(store.list(terminal).size(), 1);
        const QVector<TBackupEntry> all = store.listAll();
        QCOMPARE(all.size(), 1);
        QCOMPARE(all[0].terminal, folder.contains('~') ? terminal.left(100) + "…" : terminal);
    }

    void failureNamesTheFileAndTheReason()
    {
        QFile blocker(m_dir.path() + "/file");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QString error;
        QVERIFY(BackupStore(blocker.fileName()).save("TRX-0001", "image", EBackupReason::Manual, &error).isEmpty());
        QCOMPARE(error, QStringLiteral("не удалось создать папку %1/TRX-0001: %2").arg(blocker.fileName(), qt_error_string(ENOTDIR)));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestBackupStore)
#include "test_backup_store.moc"
