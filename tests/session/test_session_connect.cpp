// Finding and authorizing a terminal, and the request flags of the worker's loop, against a
// terminal scripted over a pty.

#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/ScriptedTerminal.h"
#include "support/SessionHarness.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QTest>

#include <cstring>

namespace {

uint8_t typeOf(const QByteArray &frame) { return uint8_t(frame.at(2)); }

QByteArray deviceTypeAnswer(const QByteArray &request)
{
    QByteArray payload;
    Packet::appendU32(payload, Packet::readU32(request, 3));
    payload.append('\x01');
    payload.append('\x04');
    Packet::appendU16(payload, 1);
    payload.append('\x01');
    payload.append(char(0xF0));
    return Packet::assemble(PACKET_RESPONSE, payload);
}

QList<QByteArray> answerDeviceType(const QByteArray &request)
{
    if (typeOf(request) == PACKET_REQUEST)
        return {deviceTypeAnswer(request)};
    return {};
}

// Accepts exactly this PIN.
ScriptedTerminal::Script acceptPin(const QByteArray &pin)
{
    return [pin](const QByteArray &request) -> QList<QByteArray> {
        if (typeOf(request) == PACKET_AUTH) {
            const bool right = request.mid(3, 4) == pin;
            return {Packet::assemble(PACKET_AUTH, QByteArray(1, right ? '\x01' : '\x00'))};
        }
        return answerDeviceType(request);
    };
}

TDeviceToConnect usbDevice()
{
    TDeviceToConnect dev{};
    dev.via_server = 0;
    return dev;
}

} // namespace

class SessionConnectTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    }

    void cleanup()
    {
        CConfiguratorHandlerPort::setPortLister({});
    }

    void authorizedTerminalReportsItsType()
    {
        ScriptedTerminal terminal;
        terminal.setScript(acceptPin("7390"));
        SessionHarness session;
        QVERIFY(session.connectUsb(terminal.slavePath()));
        const QByteArray auth = terminal.requests().value(0);
        QCOMPARE(auth, Packet::assembleWithLength(4, PACKET_AUTH, "7390"));
        QCOMPARE(auth.size(), 11);
        QCOMPARE(SettingsStorage.parameters.deviceType[0], uint8_t(0xF0));
        const QStringList texts = session.recorder().statusTexts();
        QCOMPARE(texts.first(), QStringLiteral("Поиск устройства"));
        QVERIFY(texts.contains(QStringLiteral("Устройство найдено, авторизация")));
        QCOMPARE(texts.last(), QStringLiteral("Устройство подключено"));
        QVERIFY(session.recorder().indexOf(QStringLiteral("device_connected"))
                < session.recorder().indexOf(QStringLiteral("device_type_received")));
    }

    void wrongPinClosesThePortAndAsksAgain()
    {
        ScriptedTerminal terminal;
        terminal.setScript(acceptPin("1234"));
        SessionHarness session;
        QVERIFY(!session.connectUsb(terminal.slavePath()));
        QVERIFY(session.recorder().waitFor(QStringLiteral("pin_request")));
        const QStringList texts = session.recorder().statusTexts();
        const int wrong = texts.indexOf(QStringLiteral("Введен неверный пин-код"));
        QVERIFY(wrong >= 0);
        QCOMPARE(texts.indexOf(QStringLiteral("Ошибка авторизации")), wrong + 1);
        QVERIFY(!session.worker()->port()->isOpen());
        QCOMPARE(session.recorder().count(QStringLiteral("device_disconnected")), 0);

        session.recorder().clear();
        session.inWorker([&session] { session.worker()->on_device_pin(QStringLiteral("1234")); });
        session.worker()->start_connection(usbDevice());
        QVERIFY(session.waitConnectedOrFailed(5000));
    }

    void queuedPinIsInForceForTheConnectionAskedRightAfter()
    {
#if defined(__SANITIZE_THREAD__)
        QSKIP("A queued call's argument crosses Qt's event queue, which the thread checker cannot follow");
#endif
        ScriptedTerminal terminal;
        terminal.setScript(acceptPin("4321"));
        SessionHarness session;
        SessionHarness::offerSerialPort(terminal.slavePath());
        // Both requests land while the worker is busy; its next pass must see the new PIN
        // although the queued call has not been delivered when the pass starts.
        session.inWorker([&session] {
            QMetaObject::invokeMethod(session.worker(), "on_device_pin", Qt::QueuedConnection,
                                      Q_ARG(QString, QStringLiteral("4321")));
            session.worker()->start_connection(usbDevice());
            session.worker()->main_loop();
        });
        QVERIFY(session.waitConnectedOrFailed(5000));
        QCOMPARE(terminal.requests().value(0).mid(3, 4), QByteArray("4321"));
    }

    void silentTerminalAfterSearchIsNotConnected()
    {
        ScriptedTerminal terminal;
        SessionHarness session;
        QVERIFY(!session.connectUsb(terminal.slavePath()));
        QVERIFY(session.recorder().waitForStatus(QStringLiteral("Ошибка авторизации")));
        const QStringList texts = session.recorder().statusTexts();
        QCOMPARE(texts.indexOf(QStringLiteral("Ошибка авторизации")), texts.indexOf(QStringLiteral("Устройство не отвечает")) + 1);
        QCOMPARE(session.recorder().count(QStringLiteral("device_disconnected")), 0);
        QCOMPARE(session.recorder().count(QStringLiteral("pin_request")), 0);
    }

    void terminalLostDuringTypeReadIsNotReportedConnected()
    {
        ScriptedTerminal terminal;
        terminal.setScript(ScriptedTerminal::withAuth({}));
        SessionHarness session;
        QVERIFY(!session.connectUsb(terminal.slavePath()));
        QVERIFY(session.recorder().waitFor(QStringLiteral("device_disconnected")));
        QTest::qWait(100);
        QCOMPARE(session.recorder().count(QStringLiteral("device_type_received")), 0);
        QVERIFY(!session.recorder().statusTexts().contains(QStringLiteral("Устройство подключено")));
        QVERIFY(!session.worker()->isConnected());
    }

    void noMatchingPortFailsTheSearch()
    {
        ScriptedTerminal terminal;
        SessionHarness session;
        SessionHarness::offerSerialPort(terminal.slavePath(), 0x0483, 0x5741);
        session.worker()->start_connection(usbDevice());
        QVERIFY(session.recorder().waitForStatus(QStringLiteral("Ошибка подключения")));
        QVERIFY(terminal.requests().isEmpty());
    }

    void stopWhileIdleStillReportsDisconnection()
    {
        SessionHarness session;
        session.worker()->stop_connection();
        QVERIFY(session.recorder().waitFor(QStringLiteral("device_disconnected")));
        QCOMPARE(session.recorder().events().at(session.recorder().indexOf(QStringLiteral("device_disconnected"))).value.toBool(), false);
        QVERIFY(session.recorder().waitForStatus(QStringLiteral("Устройство отключено")));
    }

    void stopAndStartTogetherStopFirstThenSearch()
    {
        ScriptedTerminal terminal;
        terminal.setScript(acceptPin("7390"));
        SessionHarness session;
        SessionHarness::offerSerialPort(terminal.slavePath());
        session.inWorker([&session] {
            session.worker()->start_connection(usbDevice());
            session.worker()->stop_connection();
            session.worker()->main_loop();
        });
        QVERIFY(session.recorder().waitFor(QStringLiteral("device_type_received")));
        QVERIFY(session.worker()->isConnected());
        const QStringList texts = session.recorder().statusTexts();
        QVERIFY(texts.indexOf(QStringLiteral("Устройство отключено")) < texts.indexOf(QStringLiteral("Поиск устройства")));
    }

    void requestsWhileDisconnectedAreDropped()
    {
        ScriptedTerminal terminal;
        terminal.setScript(acceptPin("7390"));
        SessionHarness session;
        session.worker()->on_download_settings();
        session.worker()->on_reset_device();
        session.worker()->setDigitalOutput(0);
        QTest::qWait(100);
        QVERIFY(session.connectUsb(terminal.slavePath()));
        QTest::qWait(200);
        for (const QByteArray &r : terminal.requests())
            QVERIFY2(typeOf(r) == PACKET_AUTH || Packet::readU16(r, 9) == 1, r.toHex().constData());
    }

    void outputRequestsOnlySwitchTheFirstOutput()
    {
        ScriptedTerminal terminal;
        terminal.setScript(acceptPin("7390"));
        SessionHarness session;
        QVERIFY(session.connectUsb(terminal.slavePath()));
        terminal.clearRequests();
        terminal.setScript([](const QByteArray &request) {
            QByteArray payload;
            Packet::appendU32(payload, Packet::readU32(request, 3));
            payload.append('\x01');
            payload.append('\0');
            return QList<QByteArray>{Packet::assemble(PACKET_RESPONSE, payload)};
        });
        session.worker()->setDigitalOutput(1);
        QTest::qWait(200);
        QVERIFY(terminal.requests().isEmpty());
        session.worker()->setDigitalOutput(0);
        QVERIFY(QTest::qWaitFor([&] { return terminal.requests().size() == 1; }, 3000));
        const QByteArray write = terminal.requests().first();
        QCOMPARE(Packet::readU16(write, 9), uint16_t(1061));
        QCOMPARE(uint8_t(write.at(14)), uint8_t(1));
    }
};

QTEST_GUILESS_MAIN(SessionConnectTest)
#include "test_session_connect.moc"
