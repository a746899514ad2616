#include "editors/check_edit_widget.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QtTest>

#include <algorithm>

static TCheckEditDesc desc(uint8_t *value, int type, bool hasCheck, bool hasSpin, int min = 0, int max = 100)
{
    TCheckEditDesc d;
    d.label = QStringLiteral("Значение:");
    d.value = value;
    d.type = type;
    d.min = min;
    d.max = max;
    d.hasCheck = hasCheck;
    d.hasSpin = hasSpin;
    return d;
}

class TestCheckEditWidget : public QObject
{
    Q_OBJECT
private slots:
    void checkOnlyNormalisesNonZeroToOne()
    {
        uint8_t bytes[2] = {5, 0xEE};
        check_edit_widget w(desc(bytes, 1, true, false));
        QVERIFY(w.findChild<QCheckBox *>()->isChecked());
        QCOMPARE(bytes[0], uint8_t(1));
        QCOMPARE(bytes[1], uint8_t(0xEE));
        w.findChild<QCheckBox *>()->click();
        QCOMPARE(bytes[0], uint8_t(0));
    }

    void spinClampsButStoresOnlyWhenDisplayChanges()
    {
        uint8_t hold[2] = {0, 0};
        check_edit_widget w(desc(hold, 2, false, true, 1, 65000));
        QCOMPARE(w.findChild<QSpinBox *>()->value(), 1);
        QCOMPARE(hold[0], uint8_t(0));
        w.findChild<QSpinBox *>()->setValue(300);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(hold), 2), QByteArray::fromHex("2c01"));

        // Above the range the display moves from the minimum, so the clamped value is stored.
        uint8_t attempts[1] = {50};
        check_edit_widget over(desc(attempts, 1, false, true, 10, 20));
        QCOMPARE(attempts[0], uint8_t(20));

        uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        check_edit_widget wide(desc(huge, 3, false, true, 1, 65000));
        QCOMPARE(wide.findChild<QSpinBox *>()->value(), 65000);
    }

    void untickDisablesSpinAndStoresZero()
    {
        uint8_t bytes[1] = {30};
        check_edit_widget w(desc(bytes, 1, true, true, 1, 60));
        auto *box = w.findChild<QCheckBox *>();
        auto *spin = w.findChild<QSpinBox *>();
        QVERIFY(box->isChecked() && spin->isEnabled());
        QCOMPARE(spin->value(), 30);

        box->click();
        QVERIFY(!spin->isEnabled());
        QVERIFY(spin->text().isEmpty());
        QCOMPARE(bytes[0], uint8_t(0));

        box->click();
        QVERIFY(spin->isEnabled());
        QVERIFY(spin->value() >= 1);
        QCOMPARE(int(bytes[0]), spin->value());

        bytes[0] = 0;
        w.Get_data();
        QVERIFY(!box->isChecked());
        QCOMPARE(bytes[0], uint8_t(0));
    }

    // The combo box stores through the same integer helper.
    void widthsAreLittleEndianAndTruncated_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("u8 truncated") << 1 << 0x1234 << QByteArray::fromHex("34eeeeee");
        QTest::newRow("type 7 is one byte") << 7 << 0x1FF << QByteArray::fromHex("ffeeeeee");
        QTest::newRow("u16 truncated") << 2 << 0x12345 << QByteArray::fromHex("4523eeee");
        QTest::newRow("u32") << 3 << 0x01020304 << QByteArray::fromHex("04030201");
        QTest::newRow("u32 of -1") << 3 << -1 << QByteArray::fromHex("ffffffff");
        QTest::newRow("text type holds no integer") << 5 << 7 << QByteArray::fromHex("eeeeeeee");
    }

    void widthsAreLittleEndianAndTruncated()
    {
        QFETCH(int, type);
        QFETCH(int, value);
        QFETCH(QByteArray, expected);
        uint8_t bytes[4] = {0, 0, 0, 0};
        check_edit_widget w(desc(bytes, type, false, true, 0, 0));
        std::fill(bytes, bytes + 4, 0xEE);
        w.Update_setting(value);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(bytes), 4), expected);
    }
};

QTEST_MAIN(TestCheckEditWidget)
#include "test_check_edit_widget.moc"
