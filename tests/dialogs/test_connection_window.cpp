#include "dialogs/connection_window.h"

#include <QCommandLinkButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString CFG = QStringLiteral("settings.cfg");

QByteArray fileBytes()
{
    QFile f(CFG);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeFile(const QByteArray &bytes)
{
    QFile f(CFG);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

template <typename T>
T *child(connection_window &w, const char *name)
{
    return w.findChild<T *>(QLatin1String(name));
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
    void initTestCase();
    void init();

    void firstRunCreatesEmptyFileInUsbMode();
    void tcpConnectSendsAddressAndStoresPortBitPattern();
    void shorterAddressAfterLongerReadsBackShort();
    void usbConnectSendsZeroedRequestAndLeavesFileUntouched();
    void damagedFileLoadsNothing_data();
    void damagedFileLoadsNothing();

private:
    QTemporaryDir workDir;
};

void TestConnectionWindow::initTestCase()
{
    Q_INIT_RESOURCE(icons);
    qRegisterMetaType<TServerAddress>();
    qRegisterMetaType<TDeviceToConnect>();
    QVERIFY(workDir.isValid());
    QVERIFY(QDir::setCurrent(workDir.path()));
}

void TestConnectionWindow::init()
{
    QFile::remove(CFG);
}

void TestConnectionWindow::firstRunCreatesEmptyFileInUsbMode()
{
    connection_window w;
    QVERIFY(QFile::exists(CFG));
    QCOMPARE(QFileInfo(CFG).size(), qint64(0));
    QVERIFY(child<QRadioButton>(w, "radioButton_usb_connect")->isChecked());
    QVERIFY(!child<QRadioButton>(w, "radioButton_tcp_connect")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "lineEdit_address")->text(), QString());
    QVERIFY(!child<QLineEdit>(w, "lineEdit_address")->isEnabled());
    QCOMPARE(child<QSpinBox>(w, "spinBox_port")->value(), 0);
    QVERIFY(!child<QSpinBox>(w, "spinBox_port")->isEnabled());
    QVERIFY(!child<QCommandLinkButton>(w, "commandLinkButton_connect")->icon().isNull());
}

void TestConnectionWindow::tcpConnectSendsAddressAndStoresPortBitPattern()
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
    QCOMPARE(child<QLineEdit>(next, "lineEdit_address")->text(), QStringLiteral("10.0.0.2"));
    QCOMPARE(child<QSpinBox>(next, "spinBox_port")->value(), 40000);
}

void TestConnectionWindow::shorterAddressAfterLongerReadsBackShort()
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
    QCOMPARE(child<QLineEdit>(next, "lineEdit_address")->text(), QStringLiteral("10.1.1.1"));
    QCOMPARE(child<QSpinBox>(next, "spinBox_port")->value(), 1);
}

void TestConnectionWindow::usbConnectSendsZeroedRequestAndLeavesFileUntouched()
{
    const QByteArray stored = QByteArray::fromHex("0000000400680069FFFF");
    writeFile(stored);

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

void TestConnectionWindow::damagedFileLoadsNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("cut in the port") << QByteArray::fromHex("00000004006800699C");
    QTest::newRow("length claims 2 GB") << QByteArray::fromHex("7FFFFFFE0068006900690069");
    QTest::newRow("garbage") << QByteArray("\x01\x02\x03\x04\x05garbage", 12);
}

void TestConnectionWindow::damagedFileLoadsNothing()
{
    QFETCH(QByteArray, bytes);
    writeFile(bytes);

    connection_window w;
    QCOMPARE(child<QLineEdit>(w, "lineEdit_address")->text(), QString());
    QCOMPARE(child<QSpinBox>(w, "spinBox_port")->value(), 0);
    QCOMPARE(fileBytes(), bytes);
}

QTEST_MAIN(TestConnectionWindow)
#include "test_connection_window.moc"
