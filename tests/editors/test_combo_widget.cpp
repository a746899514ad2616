#include "editors/combo_widget.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

static TComboDesc desc(uint8_t *value, uint8_t type, const QMap<int, QString> &items)
{
    TComboDesc d;
    d.label = QStringLiteral("Тип:");
    d.value = value;
    d.type = type;
    d.items = items;
    return d;
}

class TestComboWidget : public QObject
{
    Q_OBJECT
private slots:
    void unknownValueSelectsFirstEntry()
    {
        uint8_t bytes[1] = {7};
        combo_widget w(desc(bytes, 1, {{0, QStringLiteral("Выключен")}, {1, QStringLiteral("Прозрачный")},
                                       {2, QStringLiteral("Пакетный")}}));
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

    // The width rules are the check-box editor's; here the key, not the index, is stored.
    void selectionStoresKey()
    {
        uint8_t bytes[3] = {0xEE, 0xEE, 0xEE};
        combo_widget w(desc(bytes, 2, {{-5, QStringLiteral("a")}, {0x1234, QStringLiteral("b")}}));
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        w.findChild<QComboBox *>()->setCurrentIndex(1);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(bytes), 3), QByteArray::fromHex("3412ee"));
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
