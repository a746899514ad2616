#include "model/SettingRecordReader.h"
#include "transport/Packet.h"

#include <QtTest>

namespace {

QByteArray record(uint16_t id, uint16_t subId, const QByteArray &value)
{
    QByteArray bytes;
    Packet::appendU16(bytes, id);
    Packet::appendU16(bytes, subId);
    Packet::appendU16(bytes, uint16_t(value.size()));
    return bytes + value;
}

} // namespace

class TstSettingRecordReader : public QObject
{
    Q_OBJECT
private slots:
    void readsRecordsUpToExactEnd();
    void stopsOnCutRecord_data();
    void stopsOnCutRecord();
    void offsetAtOrPastEnd();
};

void TstSettingRecordReader::readsRecordsUpToExactEnd()
{
    const QByteArray bytes = QByteArray("prefix") + record(3251, 0, QByteArray("1234\0", 5)) + record(3368, 256, QByteArray())
        + record(0xFFFF, 0xFFFF, "x");
    SettingRecordReader reader(bytes, 6);
    TSettingRecord r;
    QVERIFY(reader.next(&r));
    QCOMPARE(r.id, uint16_t(3251));
    QCOMPARE(r.value, QByteArray("1234\0", 5));
    QCOMPARE(r.offset, 6);
    QVERIFY(reader.next(&r));
    QCOMPARE(r.subId, uint16_t(256));
    QCOMPARE(r.size, uint16_t(0));
    QVERIFY(r.value.isEmpty());
    QVERIFY(reader.next(&r));
    QCOMPARE(r.id, uint16_t(0xFFFF));
    QCOMPARE(r.value, QByteArray("x"));
    QVERIFY(!reader.next(&r));
    QVERIFY(!reader.truncated());
    QCOMPARE(reader.position(), bytes.size());
}

void TstSettingRecordReader::stopsOnCutRecord_data()
{
    QTest::addColumn<int>("cut");
    // One whole record, then one of 6 + 4 bytes cut short: 1..4 cut its value, 5..9 its header.
    for (int cut = 1; cut <= 9; ++cut)
        QTest::addRow("%d bytes short", cut) << cut;
}

void TstSettingRecordReader::stopsOnCutRecord()
{
    QFETCH(int, cut);
    QByteArray bytes = record(3251, 0, QByteArray("4321\0", 5)) + record(3006, 1, "\x10\x0e\xff\xff");
    bytes.chop(cut);
    // A detached copy ends exactly where the data ends, so a read past it shows under ASan.
    const QByteArray exact(bytes.constData(), bytes.size());
    SettingRecordReader reader(exact);
    TSettingRecord r;
    QVERIFY(reader.next(&r));
    QCOMPARE(r.id, uint16_t(3251));
    r.id = 0;
    QVERIFY(!reader.next(&r));
    QCOMPARE(r.id, uint16_t(0));
    QVERIFY(reader.truncated());
    QVERIFY(!reader.next(&r));
}

void TstSettingRecordReader::offsetAtOrPastEnd()
{
    const QByteArray bytes = record(1, 2, "abc");
    SettingRecordReader atEnd(bytes, bytes.size());
    QVERIFY(!atEnd.next(nullptr));
    QVERIFY(!atEnd.truncated());

    SettingRecordReader pastEnd(bytes.left(20), 24);
    QVERIFY(!pastEnd.next(nullptr));
    QVERIFY(pastEnd.truncated());
}

QTEST_APPLESS_MAIN(TstSettingRecordReader)
#include "tst_setting_record_reader.moc"
