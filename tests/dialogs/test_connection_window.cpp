#include "dialogs/connection_window.h"

#include <QtTest>
#include <QtWidgets>

// The record's parsing edge by edge is the server address file's test; here the window.
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

} // namespace

class TestConnectionWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(icons);
        qRegisterMetaType<TServerAddress>();
        qRegisterMetaType<TDeviceToConnect>();
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void init() { QFile::remove(CFG); }

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

private:
    QTemporaryDir workDir;
};

QTEST_MAIN(TestConnectionWindow)
#include "test_connection_window.moc"
