#include "editors/combo_widget.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

#include <cstring>

static TComboDesc desc(uint8_t *value, uint8_t type, const QMap<int, QString> &items)
{
    TComboDesc d;
    d.label = QStringLiteral("Тип:");
    d.value = value;
    d.type = type;
    d.items = items;
    return d;
}

static const QMap<int, QString> types{{0, QStringLiteral("Выключен")},
                                      {1, QStringLiteral("Прозрачный обмен")},
                                      {2, QStringLiteral("Пакетный обмен")}};

class TestComboWidget : public QObject
{
    Q_OBJECT
private slots:
    void unknownValueSelectsFirstEntry()
    {
        uint8_t bytes[1] = {7};
        combo_widget w(desc(bytes, 1, types));
        auto *combo = w.findChild<QComboBox *>();
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(bytes[0], uint8_t(7)); // the index did not move

        bytes[0] = 2;
        w.Get_data();
        QCOMPARE(combo->currentIndex(), 2);
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        bytes[0] = 7;
        w.Get_data();
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(bytes[0], uint8_t(0));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0);
    }

    void selectionStoresKeyByWidth_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("u8") << 1 << 0x1FF << QByteArray::fromHex("ffeeeeee");
        QTest::newRow("u16") << 2 << 0x1234 << QByteArray::fromHex("3412eeee");
        QTest::newRow("u32") << 3 << 0x01020304 << QByteArray::fromHex("04030201");
    }

    void selectionStoresKeyByWidth()
    {
        QFETCH(int, type);
        QFETCH(int, key);
        QFETCH(QByteArray, expected);
        uint8_t bytes[4];
        std::memset(bytes, 0xEE, sizeof bytes);
        combo_widget w(desc(bytes, uint8_t(type), {{-5, QStringLiteral("a")}, {key, QStringLiteral("b")}}));
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        w.findChild<QComboBox *>()->setCurrentIndex(1);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(bytes), 4), expected);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
    }

    void refillSelectsFirstWithoutStoringOrEmitting()
    {
        uint8_t bytes[1] = {1};
        combo_widget w(desc(bytes, 1, {{0, QStringLiteral("8 бит")}}));
        auto *combo = w.findChild<QComboBox *>();
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        const QMap<int, QString> parityBits{{0, QStringLiteral("7 бит")}, {1, QStringLiteral("8 бит")}};
        w.set_items(parityBits);
        QCOMPARE(w.items(), parityBits);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(bytes[0], uint8_t(1));
        QCOMPARE(spy.count(), 0);

        w.Get_data();
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(bytes[0], uint8_t(1));
    }

    void emptyComboStoresNothing()
    {
        uint8_t bytes[1] = {3};
        combo_widget w(desc(bytes, 1, {}));
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        w.Update_setting();
        QCOMPARE(bytes[0], uint8_t(3));
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(TestComboWidget)
#include "test_combo_widget.moc"
