// The worker end to end through the relay stand-in: finding a terminal in the relay's list,
// binding to it, pings at awkward moments, and the relay or the terminal going away.

#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"

#include <QTest>

#include <cstring>
#include <memory>

class SessionRelayTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RelayProcess> relay;
    std::unique_ptr<TerminalProcess> terminal;

    bool startPeers(const QStringList &relayOptions, const QStringList &terminalOptions = {})
    {
        relay = std::make_unique<RelayProcess>(relayOptions);
        terminal = std::make_unique<TerminalProcess>();
        const QString address = QStringLiteral("127.0.0.1:%1").arg(relay->terminalPort());
        return relay->isReady() && terminal->start(QStringList{"--relay", address, "--id", "TRX-0007"} + terminalOptions);
    }
    bool bind(SessionHarness &session) { return session.connectRelay(relay->configuratorPort(), QStringLiteral("TRX-0007")); }

private slots:
    void init()
    {
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    }

    void cleanup()
    {
        terminal.reset();
        relay.reset();
    }

    void pingsBetweenPacketsDoNotDisturbTheSession()
    {
        QVERIFY(startPeers({"--ping-before-answer", "--ping-ms", "50"}));
        SessionHarness session;
        QVERIFY(bind(session));
        usb_handler *worker = session.worker();
        worker->on_current_state_tab_changed(GROUP_NETWORK);
        worker->on_start_update_state();
        worker->on_regular_timer();
        QVERIFY(QTest::qWaitFor([] { return SettingsStorage.parameters.mcc[0] == 250; }, 5000));
        session.worker()->on_download_settings();
        QVERIFY(session.waitForStatus(QStringLiteral("Настройки загружены"), 8000));
        QVERIFY(session.worker()->isConnected());
        QVERIFY(relay->waitForEvent(QStringLiteral("PING_ANSWER"), 3));
    }

    void connectResultsBecomeStatusTexts()
    {
        QVERIFY(startPeers({}));
        SessionHarness first, second;
        QVERIFY(bind(first));
        QVERIFY(!bind(second));
        QVERIFY(second.statusTexts().contains(QStringLiteral("Устройство занято другим конфигуратором")));

        // Stopping sends the close notification, which frees the terminal.
        first.stop();
        QVERIFY(relay->waitForEvent(QStringLiteral("UNBOUND TRX-0007")));
        QVERIFY(!first.worker()->port()->isOpen());
        relay->control(QStringLiteral("refuse TRX-0007 1"));
        second.clear();
        QVERIFY(!bind(second));
        QVERIFY(second.statusTexts().contains(QStringLiteral("Ошибка подключения")));

        TDeviceToConnect missing{};
        std::memcpy(missing.info.device_id, "TRX-9999", 8);
        missing.via_server = 1;
        second.worker()->start_connection(missing);
        QVERIFY(second.waitForStatus(QStringLiteral("Устройство не найдено")));
        QVERIFY(!second.worker()->isConnected());
    }

    void unreachableServerIsReported()
    {
        SessionHarness session;
        TServerAddress addr{QStringLiteral("127.0.0.1"), 1};
        usb_handler *worker = session.worker();
        session.post([worker, addr] { worker->update_server_param(addr); });
        QVERIFY(session.waitForStatus(QStringLiteral("Невозможно соединиться с сервером")));
        QCOMPARE(session.count(QStringLiteral("device_list")), 0);
    }

    void terminalLeavingTheRelayEndsTheSession()
    {
        QVERIFY(startPeers({}));
        SessionHarness session;
        QVERIFY(bind(session));
        relay->control(QStringLiteral("drop TRX-0007"));
        QVERIFY(session.waitFor(QStringLiteral("device_disconnected")));
        QVERIFY(session.lost());
        QVERIFY(!session.worker()->isConnected());
    }

    void linkDropDuringBaseLeavesSettingsUntouched()
    {
        QVERIFY(startPeers({}, {"--base-size", "3000"}));
        SessionHarness session;
        QVERIFY(bind(session));
        std::memset(SettingsStorage.servers, 0x5A, sizeof SettingsStorage.servers);
        const QByteArray before(reinterpret_cast<const char *>(&SettingsStorage), offsetof(TSettingsStorage, parameters));
        QVERIFY(terminal->control(QStringLiteral("set drop-after-chunks 3")));
        session.worker()->on_download_settings();
        QVERIFY(session.waitFor(QStringLiteral("device_disconnected"), 8000));
        QVERIFY(session.lost());
        QVERIFY(session.statusTexts().contains(QStringLiteral("Ошибка загрузк настроек")));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&SettingsStorage), before.size()), before);
        QCOMPARE(session.count(QStringLiteral("settings_updated")), 0);
    }

    void restartAnsweredBeforeTheLinkDropsIsNoLoss()
    {
        QVERIFY(startPeers({}));
        SessionHarness session;
        QVERIFY(bind(session));
        session.clear();
        session.worker()->on_reset_device();
        QVERIFY(session.waitFor(QStringLiteral("device_disconnected")));
        QTest::qWait(200); // a second, late report would come now
        QCOMPARE(session.count(QStringLiteral("device_disconnected")), 1);
        QVERIFY(!session.lost());
        QVERIFY(session.statusTexts().contains(QStringLiteral("Отправлена команда на перезагрузку устройства - устройство отключено")));
    }
};

QTEST_GUILESS_MAIN(SessionRelayTest)
#include "test_session_relay.moc"
