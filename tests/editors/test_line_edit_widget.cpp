#include "editors/line_edit_widget.h"

#include <QLineEdit>
#include <QtTest>

#include <cstring>

static TLineEditDesc desc(uint8_t *value, int size, ELineEditMode mode, const QString &mask = QString())
{
    TLineEditDesc d;
    d.label = QStringLiteral("Поле:");
    d.value = value;
    d.size = size;
    d.mode = mode;
    d.inputMask = mask;
    return d;
}

static QByteArray field(const uint8_t *bytes, int size)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), size);
}

static const QString sensorMask = QStringLiteral(">HHHHHHHHHHHHHHHH");

class TestLineEditWidget : public QObject
{
    Q_OBJECT
private slots:
    void textKeepsZeroBytesAndStoresBounded()
    {
        uint8_t bytes[6] = {'1', '2', 0, 0, 0xEE, 0xEE};
        line_edit_widget w(desc(bytes, 4, LINE_EDIT_TEXT));
        auto *edit = w.findChild<QLineEdit *>();
        QCOMPARE(edit->text(), QString::fromLatin1("12\0\0", 4));

        edit->setText(QStringLiteral("123456"));
        QCOMPARE(field(bytes, 6), QByteArray("1234\xEE\xEE", 6));
        edit->setText(QStringLiteral("Ёж"));
        QCOMPARE(field(bytes, 6), QByteArray("\xA8\xE6\0\0\xEE\xEE", 6));
    }

    void showingTheFieldDoesNotRewriteIt()
    {
        // The mask would insert a '+' and drop the last digit; the field keeps what it holds.
        uint8_t bytes[12] = {'8', '9', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
        const QByteArray before = field(bytes, 12);
        line_edit_widget w(desc(bytes, 12, LINE_EDIT_TEXT, QStringLiteral("+99999999999999999999")));
        w.Get_data();
        QCOMPARE(field(bytes, 12), before);
    }

    void hexShowsLastByteFirst()
    {
        uint8_t bytes[8] = {0x28, 0xFF, 0x4B, 0x3C, 0x05, 0x00, 0x00, 0xD1};
        line_edit_widget plain(desc(bytes, 8, LINE_EDIT_HEX));
        QCOMPARE(plain.findChild<QLineEdit *>()->text(), QStringLiteral("d10000053c4bff28"));
        line_edit_widget masked(desc(bytes, 8, LINE_EDIT_HEX, sensorMask));
        auto *edit = masked.findChild<QLineEdit *>();
        QCOMPARE(edit->text(), QStringLiteral("D10000053C4BFF28"));

        edit->setText(QStringLiteral("AB"));
        QCOMPARE(field(bytes, 8), QByteArray::fromHex("00000000000000ab"));
    }

    void hexUnparsablePairStoresZero_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("odd length") << QStringLiteral("123") << QByteArray::fromHex("000012");
        QTest::newRow("non-hex pairs") << QStringLiteral("zz0a+b") << QByteArray::fromHex("000a00");
    }

    void hexUnparsablePairStoresZero()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        uint8_t bytes[4] = {1, 2, 3, 0xEE};
        line_edit_widget w(desc(bytes, 3, LINE_EDIT_HEX));
        w.findChild<QLineEdit *>()->setText(text);
        QCOMPARE(field(bytes, 4), expected + QByteArray("\xEE", 1));
    }

    void clearZeroesReadOnlyHexField()
    {
        uint8_t bytes[9] = {0x28, 0xFF, 0x4B, 0x3C, 0x05, 0x00, 0x00, 0xD1, 0xEE};
        line_edit_widget w(desc(bytes, 8, LINE_EDIT_HEX, sensorMask));
        w.Set_editable(false);
        w.Clear();
        QCOMPARE(w.findChild<QLineEdit *>()->text(), QString(16, QLatin1Char('0')));
        QCOMPARE(field(bytes, 9), QByteArray(8, '\0') + QByteArray("\xEE", 1));
    }
};

QTEST_MAIN(TestLineEditWidget)
#include "test_line_edit_widget.moc"
