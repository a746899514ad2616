// The editors of one value each: what they show of the bytes and what they store back.

#include "editors/State_item.h"
#include "editors/check_edit_widget.h"
#include "editors/combo_widget.h"
#include "editors/line_edit_widget.h"

#include <QtEndian>
#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <cstring>

namespace {

bool connected = true;

TCheckEditDesc checkDesc(uint8_t *value, int type, bool check, bool spin, int min = 0, int max = 100)
{
    return {"Значение:", value, type, min, max, {}, check, spin};
}

TComboDesc comboDesc(uint8_t *value, uint8_t type, const QMap<int, QString> &items)
{
    return {"Тип:", value, type, {}, items};
}

TLineEditDesc lineDesc(uint8_t *value, int size, ELineEditMode mode, const QString &mask = QString())
{
    return {"Поле:", value, size, {}, mask, {}, mode};
}

TStateItemDesc stateDesc(EStateKind kind, const void *value, int type, uint16_t size = 4)
{
    return {kind, static_cast<const uint8_t *>(value), &connected, "вкл.", "выкл.", "---", size, uint8_t(type)};
}

QByteArray field(const uint8_t *bytes, int size)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), size);
}

QByteArray floatBytes(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(4, '\0');
    qToLittleEndian(bits, bytes.data());
    return bytes;
}

const QString SENSOR_MASK = ">HHHHHHHHHHHHHHHH";

} // namespace

class TestEditorWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The shown date must not depend on the machine's zone.
        qputenv("TZ", "America/New_York");
    }

    void checkOnlyNormalisesNonZeroToOne()
    {
        uint8_t bytes[2] = {5, 0xEE};
        check_edit_widget w(checkDesc(bytes, 1, true, false));
        QVERIFY(w.findChild<QCheckBox *>()->isChecked());
        QCOMPARE(field(bytes, 2), QByteArray("\x01\xEE"));
        w.findChild<QCheckBox *>()->click();
        QCOMPARE(bytes[0], uint8_t(0));
    }

    void spinClampsButStoresOnlyWhenDisplayChanges()
    {
        uint8_t hold[2] = {0, 0};
        check_edit_widget w(checkDesc(hold, 2, false, true, 1, 65000));
        QCOMPARE(w.findChild<QSpinBox *>()->value(), 1);
        QCOMPARE(hold[0], uint8_t(0));
        w.findChild<QSpinBox *>()->setValue(300);
        QCOMPARE(field(hold, 2), QByteArray::fromHex("2c01"));

        // Above the range the display moves from the minimum, so the clamped value is stored.
        uint8_t attempts[1] = {50};
        check_edit_widget over(checkDesc(attempts, 1, false, true, 10, 20));
        QCOMPARE(attempts[0], uint8_t(20));

        uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        check_edit_widget wide(checkDesc(huge, 3, false, true, 1, 65000));
        QCOMPARE(wide.findChild<QSpinBox *>()->value(), 65000);
    }

    void untickDisablesSpinAndStoresZero()
    {
        uint8_t bytes[1] = {30};
        check_edit_widget w(checkDesc(bytes, 1, true, true, 1, 60));
        auto *box = w.findChild<QCheckBox *>();
        auto *spin = w.findChild<QSpinBox *>();
        QVERIFY(box->isChecked() && spin->isEnabled());
        QCOMPARE(spin->value(), 30);

        box->click();
        QVERIFY(!spin->isEnabled() && spin->text().isEmpty());
        QCOMPARE(bytes[0], uint8_t(0));

        box->click();
        QVERIFY(spin->isEnabled() && spin->value() >= 1);
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
        check_edit_widget w(checkDesc(bytes, type, false, true, 0, 0));
        std::fill(bytes, bytes + 4, 0xEE);
        w.Update_setting(value);
        QCOMPARE(field(bytes, 4), expected);
    }

    void comboUnknownValueSelectsFirstEntry()
    {
        uint8_t bytes[1] = {7};
        combo_widget w(comboDesc(bytes, 1, {{0, "Выключен"}, {1, "Прозрачный"}, {2, "Пакетный"}}));
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

    // Here the key, not the index, is stored.
    void comboSelectionStoresKey()
    {
        uint8_t bytes[3] = {0xEE, 0xEE, 0xEE};
        combo_widget w(comboDesc(bytes, 2, {{-5, "a"}, {0x1234, "b"}}));
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        w.findChild<QComboBox *>()->setCurrentIndex(1);
        QCOMPARE(field(bytes, 3), QByteArray::fromHex("3412ee"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
    }

    // Scrolling the tree over an editor must not change the setting under the pointer.
    void wheelChangesOnlyAnEditorTheOperatorClicked()
    {
        uint8_t byte[1] = {1};
        uint8_t word[2] = {5, 0};
        QScrollArea area;
        auto *content = new QWidget;
        auto *layout = new QVBoxLayout(content);
        auto *combo = new combo_widget(comboDesc(byte, 1, {{0, "600"}, {1, "1200"}, {2, "2400"}}));
        auto *spin = new check_edit_widget(checkDesc(word, 2, false, true));
        layout->addWidget(combo);
        layout->addWidget(spin);
        content->setMinimumHeight(3000);
        area.setWidget(content);
        area.resize(300, 200);
        area.show();
        QApplication::setActiveWindow(&area);
        QVERIFY(QTest::qWaitForWindowActive(&area));
        // The tree has the focus, as while the operator scrolls it.
        area.setFocus();

        auto wheel = [](QWidget *target) {
            QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &event);
        };
        for (QWidget *editor : {static_cast<QWidget *>(combo->findChild<QComboBox *>()),
                                static_cast<QWidget *>(spin->findChild<QSpinBox *>())})
            wheel(editor);
        QCOMPARE(byte[0], uint8_t(1));
        QCOMPARE(word[0], uint8_t(5));
        QVERIFY(area.verticalScrollBar()->value() > 0);

        combo->findChild<QComboBox *>()->setFocus();
        wheel(combo->findChild<QComboBox *>());
        QCOMPARE(byte[0], uint8_t(2));
    }

    void comboRefillSelectsFirstWithoutStoringOrEmitting()
    {
        uint8_t bytes[1] = {1};
        combo_widget w(comboDesc(bytes, 1, {{0, "8 бит"}}));
        auto *combo = w.findChild<QComboBox *>();
        QSignalSpy spy(&w, &combo_widget::comboBoxIndexChanged);
        const QMap<int, QString> parityBits{{0, "7 бит"}, {1, "8 бит"}};
        w.set_items(parityBits);
        QCOMPARE(w.items(), parityBits);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(bytes[0], uint8_t(1));
        QCOMPARE(spy.count(), 0);

        w.Get_data();
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(bytes[0], uint8_t(1));

        combo_widget empty(comboDesc(bytes, 1, {}));
        QSignalSpy none(&empty, &combo_widget::comboBoxIndexChanged);
        empty.Update_setting();
        QCOMPARE(bytes[0], uint8_t(1));
        QCOMPARE(none.count(), 0);
    }

    // A field shows what it holds up to its first zero, so typing into an empty one works;
    // what is typed is stored exactly, zero-padded and bounded by the field.
    void typingIntoATextFieldStoresWhatWasTyped_data()
    {
        QTest::addColumn<QByteArray>("held");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("empty") << QByteArray(4, '\0') << "" << "Ёж" << QByteArray("\xA8\xE6\0\0", 4);
        QTest::newRow("full, typed over") << QByteArray("abcd") << "abcd" << "xy" << QByteArray("xy\0\0", 4);
        QTest::newRow("longer than the field") << QByteArray(4, '\0') << "" << "123456" << QByteArray("1234");
    }

    void typingIntoATextFieldStoresWhatWasTyped()
    {
        QFETCH(QByteArray, held);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QByteArray bytes = held + "\xEE\xEE";
        line_edit_widget w(lineDesc(reinterpret_cast<uint8_t *>(bytes.data()), 4, LINE_EDIT_TEXT));
        auto *edit = w.findChild<QLineEdit *>();
        QCOMPARE(edit->text(), shown);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        // Key by key, as typed; QTest's own typing knows only ASCII keys.
        for (const QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
        QCOMPARE(bytes, stored + "\xEE\xEE");
    }

    void showingTheFieldDoesNotRewriteIt()
    {
        // The mask would insert a '+' and drop the last digit; the field keeps what it holds.
        uint8_t bytes[12] = {'8', '9', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
        line_edit_widget w(lineDesc(bytes, 12, LINE_EDIT_TEXT, "+99999999999999999999"));
        w.Get_data();
        QCOMPARE(field(bytes, 12), QByteArray("891234567890"));
    }

    void hexShowsLastByteFirst()
    {
        uint8_t bytes[8] = {0x28, 0xFF, 0x4B, 0x3C, 0x05, 0x00, 0x00, 0xD1};
        line_edit_widget plain(lineDesc(bytes, 8, LINE_EDIT_HEX));
        QCOMPARE(plain.findChild<QLineEdit *>()->text(), QStringLiteral("d10000053c4bff28"));
        line_edit_widget masked(lineDesc(bytes, 8, LINE_EDIT_HEX, SENSOR_MASK));
        auto *edit = masked.findChild<QLineEdit *>();
        QCOMPARE(edit->text(), QStringLiteral("D10000053C4BFF28"));

        edit->setText("AB");
        QCOMPARE(field(bytes, 8), QByteArray::fromHex("00000000000000ab"));
    }

    void hexUnparsablePairStoresZero_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("odd length") << "123" << QByteArray::fromHex("000012");
        QTest::newRow("non-hex pairs") << "zz0a+b" << QByteArray::fromHex("000a00");
    }

    void hexUnparsablePairStoresZero()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        uint8_t bytes[4] = {1, 2, 3, 0xEE};
        line_edit_widget w(lineDesc(bytes, 3, LINE_EDIT_HEX));
        w.findChild<QLineEdit *>()->setText(text);
        QCOMPARE(field(bytes, 4), expected + "\xEE");
    }

    void clearZeroesReadOnlyHexField()
    {
        uint8_t bytes[9] = {0x28, 0xFF, 0x4B, 0x3C, 0x05, 0x00, 0x00, 0xD1, 0xEE};
        line_edit_widget w(lineDesc(bytes, 8, LINE_EDIT_HEX, SENSOR_MASK));
        w.Set_editable(false);
        w.Clear();
        QCOMPARE(w.findChild<QLineEdit *>()->text(), QString(16, QLatin1Char('0')));
        QCOMPARE(field(bytes, 9), QByteArray(8, '\0') + "\xEE");
    }

    void stateNoDataWhileNotConnectedThenValueWithoutRebuild()
    {
        uint8_t bytes[4] = {42, 0, 0, 0};
        State_item item(stateDesc(STATE_NUMBER, bytes, 3));
        connected = false;
        QCOMPARE(item.data(Qt::DisplayRole), QVariant("---"));
        connected = true;
        QCOMPARE(item.data(Qt::DisplayRole), QVariant(42));
        bytes[0] = 43;
        QCOMPARE(item.data(Qt::EditRole), QVariant(43));
    }

    void stateValueByKindAndType_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QVariant>("expected");
        const QVariant noSensor("нет связи"), on("вкл."), off("выкл.");
        QTest::newRow("temperature -150") << 3 << 4 << floatBytes(-150.0f) << noSensor;
        QTest::newRow("temperature -150.1") << 3 << 4 << floatBytes(-150.1f) << noSensor;
        QTest::newRow("temperature -149.9") << 3 << 4 << floatBytes(-149.9f) << noSensor;
        QTest::newRow("temperature -150.2") << 3 << 4 << floatBytes(-150.2f) << QVariant(-150.2f);
        QTest::newRow("temperature 0") << 3 << 4 << floatBytes(0.0f) << QVariant(0u);
        QTest::newRow("temperature 21.5") << 3 << 4 << floatBytes(21.5f) << QVariant(21.5f);
        QTest::newRow("u8") << 0 << 1 << QByteArray::fromHex("ff010101") << QVariant(255u);
        QTest::newRow("u16") << 0 << 2 << QByteArray::fromHex("ffff0101") << QVariant(65535u);
        QTest::newRow("u32 max") << 0 << 3 << QByteArray::fromHex("ffffffff") << QVariant(4294967295u);
        QTest::newRow("number over text") << 0 << 5 << QByteArray("12\0\0", 4) << QVariant(0u);
        QTest::newRow("on u16 high byte") << 2 << 2 << QByteArray::fromHex("0001ffff") << on;
        QTest::newRow("off u8") << 2 << 1 << QByteArray::fromHex("00ffffff") << off;
        QTest::newRow("off negative float") << 2 << 4 << floatBytes(-1.0f) << off;
        // A unit sits right after the number, which has the precision of its unit.
        QTest::newRow("volts") << 0 << 4 << floatBytes(0.525436f) << QVariant("0.53 В");
        QTest::newRow("kilobytes") << 0 << 3 << QByteArray::fromHex("78000000") << QVariant("120 кБ");
        QTest::newRow("on/off over text") << 2 << 5 << QByteArray("1\0\0\0", 4) << QVariant("Ошибка!");
    }

    void stateValueByKindAndType()
    {
        QFETCH(int, kind);
        QFETCH(int, type);
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, expected);
        TStateItemDesc desc = stateDesc(EStateKind(kind), bytes.constData(), type);
        const QString tag = QTest::currentDataTag();
        desc.unit = tag == "volts" ? "В" : tag == "kilobytes" ? "кБ" : QString();
        desc.decimals = tag == "volts" ? 2 : -1;
        const QVariant shown = State_item(desc).data(Qt::DisplayRole);
        QCOMPARE(shown.userType(), expected.userType());
        QCOMPARE(shown, expected);
    }

    void stateDateTimeIsUtc_data()
    {
        QTest::addColumn<quint32>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("epoch") << 0u << "1970-01-01 00:00:00";
        QTest::newRow("2010") << 1262304000u << "2010-01-01 00:00:00";
        QTest::newRow("u32 max") << 4294967295u << "2106-02-07 06:28:15";
    }

    void stateDateTimeIsUtc()
    {
        QFETCH(quint32, seconds);
        QFETCH(QString, expected);
        uint8_t bytes[4];
        qToLittleEndian(seconds, bytes);
        const QDateTime shown = State_item(stateDesc(STATE_DATETIME, bytes, 3)).data(Qt::DisplayRole).toDateTime();
        QCOMPARE(shown.toString("yyyy-MM-dd HH:mm:ss"), expected);
        QCOMPARE(shown.toSecsSinceEpoch(), qint64(seconds));
    }

    void stateTextStopsAtZeroAndAtSize()
    {
        uint8_t imei[16] = {'3', '5'};
        QCOMPARE(State_item(stateDesc(STATE_TEXT, imei, 5, 16)).data(Qt::DisplayRole), QVariant("35"));
        // A full field has no terminator: reading stops at its size.
        const QByteArray full = QStringLiteral("Версия").toUtf8() + "\xEE";
        QCOMPARE(State_item(stateDesc(STATE_TEXT, full.constData(), 5, uint16_t(full.size() - 1))).data(Qt::DisplayRole),
                 QVariant("Версия"));
    }
};

QTEST_MAIN(TestEditorWidgets)
#include "test_editor_widgets.moc"
