// The worker end to end against the terminal stand-in process over a pseudo-terminal: the
// transactions of a working day, with the stand-in's own record of what reached it.

#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include <cstring>

namespace {

// The settings part of the record, as the terminal's BASE file names it.
QByteArray storedValue(uint16_t id, uint16_t subId)
{
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(id, subId, &location);
    return size ? QByteArray(reinterpret_cast<const char *>(location), size) : QByteArray();
}

} // namespace

class SessionTerminalTest : public QObject
{
    Q_OBJECT

private:
    TerminalProcess *terminal = nullptr;
    SessionHarness *session = nullptr;

    bool connectTo(const QStringList &options)
    {
        terminal = new TerminalProcess;
        if (!terminal->start(QStringList{QStringLiteral("--pty")} + options))
            return false;
        session = new SessionHarness;
        return session->connectUsb(terminal->ptyPath());
    }

    int indexOfEvent(const QString &prefix, int from = 0)
    {
        const QStringList events = terminal->events();
        for (int i = from; i < events.size(); ++i)
            if (events.at(i).startsWith(prefix))
                return i;
        return -1;
    }

private slots:
    void init()
    {
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    }

    void cleanup()
    {
        delete session;
        session = nullptr;
        delete terminal;
        terminal = nullptr;
    }

    void livingStateIsRead()
    {
        QVERIFY(connectTo({}));
        QCOMPARE(SettingsStorage.parameters.deviceType[0], uint8_t(0xF0));
        session->inWorker([this] { session->worker()->readParameters(GROUP_SYSTEM); });
        const QByteArray imei(reinterpret_cast<const char *>(SettingsStorage.parameters.imei), 15);
        QVERIFY2(QRegExp(QStringLiteral("\\d{15}")).exactMatch(QString::fromLatin1(imei)), imei.constData());
        uint32_t uptime = 0;
        std::memcpy(&uptime, SettingsStorage.parameters.uptime, 4);
        QTest::qWait(1100);
        session->inWorker([this] { session->worker()->readParameters(GROUP_SYSTEM); });
        uint32_t later = 0;
        std::memcpy(&later, SettingsStorage.parameters.uptime, 4);
        QVERIFY2(later > uptime, qPrintable(QStringLiteral("%1 -> %2").arg(uptime).arg(later)));
        QVERIFY(!terminal->hasEvent(QStringLiteral("READ 12 ")));
    }

    void periodicReadFollowsTheStateTab()
    {
        QVERIFY(connectTo({}));
        session->worker()->on_current_state_tab_changed(GROUP_NETWORK);
        session->worker()->on_start_update_state();
        session->recorder().clear();
        session->worker()->on_regular_timer();
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Устройство подключено")));
        QVERIFY(!terminal->waitForEvent(QStringLiteral("READ 2023 0")).isEmpty());
        QVERIFY(!terminal->hasEvent(QStringLiteral("READ 1001 ")));
        uint16_t mcc = 0;
        std::memcpy(&mcc, SettingsStorage.parameters.mcc, 2);
        QCOMPARE(mcc, uint16_t(250));
    }

    void settingsDownloadAndUploadRoundTrip()
    {
        QVERIFY(connectTo({}));
        session->worker()->on_download_settings();
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Настройки загружены"), 8000));
        QCOMPARE(storedValue(3251, 0), QByteArray("7390\0", 5));

        // What the terminal serves is exactly what the worker stored.
        SettingRecordReader reader(terminal->dumpBase());
        TSettingRecord record;
        int checked = 0;
        while (reader.next(&record)) {
            if (storedValue(record.id, record.subId).size() == record.size) {
                QCOMPARE(storedValue(record.id, record.subId), record.value);
                ++checked;
            }
        }
        QCOMPARE(checked, 49);

        std::memcpy(SettingsStorage.phones[3], "+79001234567", 12);
        SettingsStorage.rs485[IFACE_BAUD] = 7;
        session->worker()->on_upload_settings();
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Настройки переданы"), 8000));
        QVERIFY(!terminal->waitForEvent(QStringLiteral("SETTINGS_APPLIED")).isEmpty());
        const QByteArray image = build_settings_image();
        QCOMPARE(terminal->dumpBase(), image.mid(SETTINGS_IMAGE_RECORDS_OFFSET));
        QVERIFY(session->worker()->isConnected());
    }

    void logArrivesInFileOrder()
    {
        QVERIFY(connectTo({QStringLiteral("--log-size"), QStringLiteral("5000")}));
        QMetaObject::invokeMethod(session->worker(), "on_download_log", Qt::QueuedConnection);
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("LOG файл успешно загружен"), 8000));
        const QByteArray log = terminal->logBytes();
        QCOMPARE(log.size(), 5000);
        QCOMPARE(session->recorder().logData(), log);
        QCOMPARE(session->recorder().count(QStringLiteral("log_data")), (5000 + 231) / 232);
        QVERIFY(QTextCodec::codecForName("Windows-1251")->toUnicode(log).contains(QChar(0x0430)));
    }

    void trafficResetWritesSentThenReceived()
    {
        QVERIFY(connectTo({}));
        SettingsStorage.parameters.traffic[4].sent[0] = 9;
        SettingsStorage.parameters.traffic[4].received[0] = 9;
        session->worker()->on_reset_traffic5();
        const QString sent = terminal->waitForEvent(QStringLiteral("WRITE 2016 0"));
        QVERIFY(!sent.isEmpty());
        QVERIFY(!terminal->waitForEvent(QStringLiteral("WRITE 2020 0")).isEmpty());
        QVERIFY(indexOfEvent(QStringLiteral("WRITE 2016")) < indexOfEvent(QStringLiteral("WRITE 2020")));
        QVERIFY(sent.endsWith(QStringLiteral("00000000")));
        QCOMPARE(SettingsStorage.parameters.traffic[4].sent[0], uint8_t(0));
    }

    void sensorEnrolmentWritesModeAndReadsIds()
    {
        QVERIFY(connectTo({}));
        session->worker()->on_download_settings();
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Настройки загружены"), 8000));
        int emptySlot = -1;
        for (int i = 0; i < MAX_TEMPERATURE_SENSORS && emptySlot < 0; ++i)
            if (storedValue(3356, uint16_t(i)) == QByteArray(8, '\0'))
                emptySlot = i;
        QVERIFY(emptySlot >= 0);

        QMetaObject::invokeMethod(session->worker(), "on_start_add_temp", Qt::QueuedConnection);
        QVERIFY(!terminal->waitForEvent(QStringLiteral("WRITE 3368 0 01")).isEmpty());
        session->recorder().clear();
        QMetaObject::invokeMethod(session->worker(), "on_stop_add_temp", Qt::QueuedConnection);
        QVERIFY(!terminal->waitForEvent(QStringLiteral("WRITE 3368 0 00")).isEmpty());
        QVERIFY(session->recorder().waitFor(QStringLiteral("settings_updated"), 8000));
        QVERIFY(!terminal->waitForEvent(QStringLiteral("READ 3356 9")).isEmpty());
        QCOMPARE(uint8_t(storedValue(3356, uint16_t(emptySlot)).at(0)), uint8_t(0x28));
    }

    void restartEndsTheSessionAndSkipsFactoryReset()
    {
        QVERIFY(connectTo({}));
        session->recorder().clear();
        session->inWorker([this] {
            session->worker()->on_tofactory();
            session->worker()->on_reset_device();
            session->worker()->main_loop();
        });
        QVERIFY(session->recorder().waitFor(QStringLiteral("device_disconnected")));
        QCOMPARE(session->recorder().events().at(session->recorder().indexOf(QStringLiteral("device_disconnected"))).value.toBool(), false);
        QVERIFY(session->recorder().statusTexts().contains(
            QStringLiteral("Отправлена команда на перезагрузку устройства - устройство отключено")));
        QVERIFY(!terminal->waitForEvent(QStringLiteral("COMMAND 1")).isEmpty());
        QVERIFY(!terminal->hasEvent(QStringLiteral("COMMAND 5")));
        QVERIFY(!session->worker()->port()->isOpen());
    }

    void firmwareUploadEndsTheSessionAndSkipsTheLog()
    {
        QVERIFY(connectTo({}));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("image.kbf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray image(100000, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char((i * 31) ^ (i >> 8));
        file.write(image);
        file.close();

        session->recorder().clear();
        session->inWorker([this, path] {
            session->worker()->update_firmware(path);
            session->worker()->on_download_log();
            session->worker()->main_loop();
        });
        QVERIFY(session->recorder().waitFor(QStringLiteral("device_disconnected")));
        QVERIFY(session->recorder().statusTexts().contains(QStringLiteral("Прошивка успешно загружена - устройство отключено")));
        QCOMPARE(session->recorder().events().at(session->recorder().indexOf(QStringLiteral("device_disconnected"))).value.toBool(), false);
        QVERIFY(terminal->waitForEvent(QStringLiteral("FIRMWARE 100000")).startsWith(QStringLiteral("FIRMWARE 100000")));
        QVERIFY(!terminal->hasEvent(QStringLiteral("GET_FILE LOG")));
        QVERIFY(terminal->hasEvent(QStringLiteral("CHUNK FIRMWARE 207/207 90")));
    }

    void answersInOneBytePiecesStillWork()
    {
        QVERIFY(connectTo({QStringLiteral("--split"), QStringLiteral("1")}));
        session->inWorker([this] { session->worker()->readParameters(GROUP_NETWORK); });
        uint16_t mcc = 0;
        std::memcpy(&mcc, SettingsStorage.parameters.mcc, 2);
        QCOMPARE(mcc, uint16_t(250));
        QVERIFY(session->worker()->isConnected());
    }

    void wrongPinAnsweredByTheTerminal()
    {
        terminal = new TerminalProcess;
        QVERIFY(terminal->start({QStringLiteral("--pty"), QStringLiteral("--pin"), QStringLiteral("1234")}));
        session = new SessionHarness;
        QVERIFY(!session->connectUsb(terminal->ptyPath()));
        QVERIFY(session->recorder().waitFor(QStringLiteral("pin_request")));
        QVERIFY(!terminal->waitForEvent(QStringLiteral("AUTH BAD")).isEmpty());
        QVERIFY(!session->worker()->port()->isOpen());
    }
};

QTEST_GUILESS_MAIN(SessionTerminalTest)
#include "test_session_terminal.moc"
