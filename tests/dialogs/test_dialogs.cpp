#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "files/ServerAddressFile.h"

#include <QtTest>
#include <QtWidgets>

// The connection window with the record of the relay's address it keeps, the device choice
// and the icons.
namespace {

const QString CFG = QStringLiteral("settings.cfg");

QByteArray fileBytes()
{
    QFile f(CFG);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <typename T>
T *child(connection_window &w, const char *name)
{
    return w.findChild<T *>(QLatin1String(name));
}

// What the window offers, as "address:port".
QString shown(connection_window &w)
{
    return child<QLineEdit>(w, "lineEdit_address")->text() + QLatin1Char(':')
        + QString::number(child<QSpinBox>(w, "spinBox_port")->value());
}

void connectOverTcp(connection_window &w, const QString &address, int port)
{
    child<QRadioButton>(w, "radioButton_tcp_connect")->click();
    child<QLineEdit>(w, "lineEdit_address")->setText(address);
    child<QSpinBox>(w, "spinBox_port")->setValue(port);
    child<QCommandLinkButton>(w, "commandLinkButton_connect")->click();
}

const QStringList DEVICES{"1001: Котельная №2", "1002: КОТЕЛ Север", "2001: Pump station", "2002: PUMP reserve"};

QListWidget *list(select_device_dialog &d)
{
    return d.findChild<QListWidget *>("device_list");
}

void typeFilter(select_device_dialog &d, const QString &text)
{
    d.findChild<QLineEdit *>("filter_edit")->setText(text);
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(icons);
        qRegisterMetaType<TServerAddress>();
        qRegisterMetaType<TDeviceToConnect>();
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void init()
    {
        QFile::remove(CFG);
        QSettings().clear();
    }

    void firstRunCreatesEmptyFileInUsbMode()
    {
        connection_window w;
        QVERIFY(QFile::exists(CFG));
        QCOMPARE(QFileInfo(CFG).size(), qint64(0));
        QVERIFY(child<QRadioButton>(w, "radioButton_usb_connect")->isChecked());
        QVERIFY(!child<QRadioButton>(w, "radioButton_tcp_connect")->isChecked());
        QCOMPARE(shown(w), QStringLiteral(":0"));
        QVERIFY(!child<QLineEdit>(w, "lineEdit_address")->isEnabled());
        QVERIFY(!child<QSpinBox>(w, "spinBox_port")->isEnabled());
        QVERIFY(!child<QCommandLinkButton>(w, "commandLinkButton_connect")->icon().isNull());
    }

    void tcpConnectSendsAddressAndStoresPortBitPattern()
    {
        {
            connection_window w;
            w.show();
            QSignalSpy server(&w, &connection_window::sendServerParameters);
            QSignalSpy start(&w, &connection_window::start_connection);
            connectOverTcp(w, QStringLiteral("10.0.0.2"), 40000);

            QCOMPARE(server.count(), 1);
            QCOMPARE(start.count(), 0);
            const auto sent = server.at(0).at(0).value<TServerAddress>();
            QCOMPARE(sent.ip, QStringLiteral("10.0.0.2"));
            QCOMPARE(int(sent.port), 40000);
            QVERIFY(w.isHidden());
        }
        QCOMPARE(fileBytes(), QByteArray::fromHex("00000010"
                                                  "00310030002E0030002E0030002E0032"
                                                  "9C40"));
        connection_window next;
        QCOMPARE(shown(next), QStringLiteral("10.0.0.2:40000"));
    }

    // The way of the last connection comes back; a way only clicked at, not used, does not.
    void connectionWayAndReconnectChoiceAreRemembered()
    {
        {
            connection_window w;
            connectOverTcp(w, QStringLiteral("10.0.0.2"), 40000);
            child<QCheckBox>(w, "checkBox_reconnect")->setChecked(true);
        }
        {
            connection_window w;
            QVERIFY(child<QRadioButton>(w, "radioButton_tcp_connect")->isChecked());
            QVERIFY(w.autoReconnect());
            child<QRadioButton>(w, "radioButton_usb_connect")->click();
        }
        connection_window next;
        QVERIFY(child<QRadioButton>(next, "radioButton_tcp_connect")->isChecked());
        QVERIFY(child<QLineEdit>(next, "lineEdit_address")->isEnabled());
    }

    void shorterAddressAfterLongerReadsBackShort()
    {
        {
            connection_window w;
            connectOverTcp(w, QStringLiteral("relay.example.org"), 25501);
        }
        const qint64 longSize = QFileInfo(CFG).size();
        {
            connection_window w;
            connectOverTcp(w, QStringLiteral("10.1.1.1"), 1);
        }
        // The record is written over the old one without truncating the file.
        QCOMPARE(QFileInfo(CFG).size(), longSize);
        connection_window next;
        QCOMPARE(shown(next), QStringLiteral("10.1.1.1:1"));
    }

    void usbConnectSendsZeroedRequestAndLeavesFileUntouched()
    {
        const QByteArray stored = QByteArray::fromHex("0000000400680069FFFF");
        QFile file(CFG);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(stored) == stored.size());
        file.close();

        connection_window w;
        w.show();
        QSignalSpy server(&w, &connection_window::sendServerParameters);
        QSignalSpy start(&w, &connection_window::start_connection);
        // Going to TCP and back must still end in a USB connection.
        child<QRadioButton>(w, "radioButton_tcp_connect")->click();
        child<QLineEdit>(w, "lineEdit_address")->setText(QStringLiteral("changed.host"));
        child<QRadioButton>(w, "radioButton_usb_connect")->click();
        QVERIFY(!child<QLineEdit>(w, "lineEdit_address")->isEnabled());
        child<QCommandLinkButton>(w, "commandLinkButton_connect")->click();

        QCOMPARE(server.count(), 0);
        QCOMPARE(start.count(), 1);
        const auto device = start.at(0).at(0).value<TDeviceToConnect>();
        QCOMPARE(int(device.via_server), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&device.info), sizeof device.info),
                 QByteArray(int(sizeof device.info), '\0'));
        QVERIFY(w.isHidden());
        QCOMPARE(fileBytes(), stored);
    }

    void damagedFileLoadsNothing()
    {
        // Cut inside the port.
        const QByteArray damaged = QByteArray::fromHex("00000004006800699C");
        QFile file(CFG);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
        file.close();

        connection_window w;
        QCOMPARE(shown(w), QStringLiteral(":0"));
        QCOMPARE(fileBytes(), damaged);
    }

    void addressRecordBytes()
    {
        QCOMPARE(ServerAddressFile::bytes(TServerAddress{"Я.1", 40000}), QByteArray::fromHex("00000006042F002E00319C40"));
    }

    void addressRecordReadsWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("port");
        QTest::newRow("exact") << QByteArray::fromHex("00000004006800696F7D") << "hi" << 28541;
        QTest::newRow("port above 32767") << QByteArray::fromHex("000000020068FFFF") << "h" << 0xFFFF;
        QTest::newRow("null text") << QByteArray::fromHex("FFFFFFFF0050") << "" << 80;
        QTest::newRow("leftover of a longer record") << QByteArray::fromHex("00000002006100090062ABCD") << "a" << 9;
    }

    void addressRecordReadsWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, ip);
        QFETCH(int, port);
        TServerAddress address;
        QVERIFY(ServerAddressFile::read(bytes, &address));
        QCOMPARE(address.ip, ip);
        QCOMPARE(int(address.port), port);
        QVERIFY(ServerAddressFile::read(ServerAddressFile::bytes(address), &address));
        QCOMPARE(int(address.port), port);
    }

    void addressRecordRejectsIncompleteOrDamaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray whole = QByteArray::fromHex("0000000600310030002E9C40");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("part of the length") << whole.left(3);
        QTest::newRow("text cut short") << whole.left(7);
        QTest::newRow("port missing") << whole.left(10);
        QTest::newRow("half a port") << whole.left(11);
        QTest::newRow("null text without port") << QByteArray::fromHex("FFFFFFFF00");
        QTest::newRow("odd text length") << QByteArray::fromHex("00000003004100420043");
        QTest::newRow("length claims 2 GB") << QByteArray::fromHex("7FFFFFF0004100420001");
        QTest::newRow("length claims 4 GB") << QByteArray::fromHex("FFFFFFFE00410042");
    }

    void addressRecordRejectsIncompleteOrDamaged()
    {
        QFETCH(QByteArray, bytes);
        TServerAddress address{"untouched", 1234};
        QVERIFY(!ServerAddressFile::read(bytes, &address));
        QCOMPARE(address.ip, QStringLiteral("untouched"));
        QCOMPARE(int(address.port), 1234);
    }

    void everyIconIsCompiledIn_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"state", "settings", "diag", "about", "update", "upload", "save", "connect"})
            QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name));
        QTest::newRow("logo") << QStringLiteral(":/icons/Trivox_logo.png");
    }

    void everyIconIsCompiledIn()
    {
        QFETCH(QString, name);
        const QImage image(name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        // Button icons are square; the logo must fit its 115-pixel high place.
        if (name.endsWith(QLatin1String("logo.png")))
            QVERIFY(image.height() <= 115);
        else
            QCOMPARE(image.size(), QSize(64, 64));
    }

    void okAcceptsOnlyAChosenEntry()
    {
        select_device_dialog d(DEVICES);
        d.show();
        QSignalSpy finished(&d, &QDialog::finished);
        d.findChild<QPushButton *>("ok_button")->click();
        QCOMPARE(finished.count(), 0);

        // Filtering keeps the chosen entry in the list, yet it must be chosen again.
        list(d)->setCurrentRow(0);
        QCOMPARE(d.selected_device, DEVICES.at(0));
        typeFilter(d, QStringLiteral("кот"));
        QVERIFY(d.selected_device.isEmpty());
        QCOMPARE(list(d)->currentRow(), -1);
        d.findChild<QPushButton *>("ok_button")->click();
        QCOMPARE(finished.count(), 0);
        QVERIFY(d.isVisible());

        list(d)->setCurrentRow(1);
        d.findChild<QPushButton *>("ok_button")->click();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QCOMPARE(d.selected_device, DEVICES.at(1));
    }

    void filterIgnoresLetterCase_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty shows all") << QString() << DEVICES;
        QTest::newRow("lower Cyrillic finds upper") << QStringLiteral("котел север") << QStringList{DEVICES.at(1)};
        QTest::newRow("upper Cyrillic finds lower") << QStringLiteral("КОТЕЛЬ") << QStringList{DEVICES.at(0)};
        QTest::newRow("mixed Latin") << QStringLiteral("pUmP") << QStringList{DEVICES.at(2), DEVICES.at(3)};
        QTest::newRow("identifier") << QStringLiteral("100") << QStringList{DEVICES.at(0), DEVICES.at(1)};
        QTest::newRow("no match") << QStringLiteral("xyz") << QStringList();
    }

    void filterIgnoresLetterCase()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        select_device_dialog d(DEVICES);
        typeFilter(d, QStringLiteral("zzz"));
        typeFilter(d, filter);
        QStringList shown;
        for (int i = 0; i < list(d)->count(); ++i)
            shown << list(d)->item(i)->text();
        QCOMPARE(shown, expected);
    }

    void sortPreselectDoubleClickAndRefresh()
    {
        QStringList reversed = DEVICES;
        std::reverse(reversed.begin(), reversed.end());
        select_device_dialog d(reversed);
        d.show();
        QSignalSpy finished(&d, &QDialog::finished);
        d.findChild<QPushButton *>("sort_button")->click();
        QCOMPARE(list(d)->item(0)->text(), DEVICES.at(0));
        QCOMPARE(list(d)->item(3)->text(), DEVICES.at(3));

        d.preselect(QStringLiteral("2001"));
        QCOMPARE(d.selected_device, DEVICES.at(2));
        emit list(d)->itemDoubleClicked(list(d)->item(1));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(d.selected_device, DEVICES.at(1));

        select_device_dialog again(DEVICES);
        QSignalSpy refreshed(&again, &QDialog::finished);
        again.findChild<QPushButton *>("refresh_button")->click();
        QCOMPARE(refreshed.value(0).value(0).toInt(), select_device_dialog::Refresh);
    }

    void cancelRejects()
    {
        select_device_dialog d(DEVICES);
        d.show();
        list(d)->setCurrentRow(1);
        QSignalSpy finished(&d, &QDialog::finished);
        d.findChild<QPushButton *>("cancel_button")->click();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
        QVERIFY(!d.isVisible());
    }

private:
    QTemporaryDir workDir;
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
