// trivox-cli run as a process against the stand-in relay and terminals.

#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "support/RelayProcess.h"
#include "support/TerminalProcess.h"
#include "transport/Crc32.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include <cstring>
#include <memory>

namespace {

const QString PIN_A = QStringLiteral("7390");
const QString PIN_B = QStringLiteral("1234");

struct TRun {
    int status = -1;
    QString out;
    QString err;
};

template <size_t N>
void putText(uint8_t (&field)[N], const char *text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text, qMin(std::strlen(text), N - 1));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A full configuration unlike the stand-ins' factory one, with the given access PIN.
QByteArray settingsImage(const char *accessPin)
{
    SettingsStorage = TSettingsStorage{};
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    putText(SettingsStorage.servers[0], "192.0.2.10:7001");
    SettingsStorage.servers[0][SERVER_TYPE_OFFSET] = 2;
    putText(SettingsStorage.phones[9], "+70000000010");
    std::memcpy(SettingsStorage.sims[1], "test.apn", 8);
    SettingsStorage.rs485[IFACE_BAUD] = 6;
    SettingsStorage.sensorIds[9][0] = 0x28;
    putText(SettingsStorage.accessPin, accessPin);
    SettingsStorage.pinEnabled[0] = 1;
    const QByteArray image = build_settings_image();
    SettingsStorage = TSettingsStorage{};
    return image;
}

QJsonArray terminalsOf(const TRun &run)
{
    return QJsonDocument::fromJson(run.out.toUtf8()).object().value(QLatin1String("terminals")).toArray();
}

} // namespace

class CliTerminalsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RelayProcess> m_relay;
    TerminalProcess m_a; // TRX-0001, PIN 7390
    TerminalProcess m_b; // TRX-0002, PIN 1234
    TerminalProcess m_c; // TRX-0003, PIN 7390
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QStringList viaRelay(const QString &ids) const
    {
        return {QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(m_relay->configuratorPort()),
                QStringLiteral("--id"), ids};
    }

    // The PIN goes through the environment, as scripts are told to pass it.
    TRun run(const QStringList &arguments, const QString &pin = QString(), int timeoutMs = 30000)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("TRIVOX_PIN"));
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        env.insert(QStringLiteral("TRIVOX_CLI_FAST"), QStringLiteral("1"));
        if (!pin.isEmpty())
            env.insert(QStringLiteral("TRIVOX_PIN"), pin);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TRIVOX_CLI_BINARY), arguments);
        TRun result;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished(2000);
            qWarning("trivox-cli did not finish: %s", qPrintable(arguments.join(QLatin1Char(' '))));
            return result;
        }
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    int bindings() { return int(m_relay->events().filter(QRegularExpression(QStringLiteral("^BOUND "))).size()); }

    // Lets the last run's closing lines arrive, so that counts taken now stay put.
    void settle()
    {
        int seen = -1;
        for (int round = 0; round < 20; ++round) {
            const int now = int(m_relay->events().size() + m_c.events().size());
            if (now == seen)
                return;
            seen = now;
            QTest::qWait(100);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_relay = std::make_unique<RelayProcess>(QStringList{QStringLiteral("--ping-ms"), QStringLiteral("300")});
        QVERIFY(m_relay->isReady());
        const QString relay = QStringLiteral("127.0.0.1:%1").arg(m_relay->terminalPort());
        auto startTerminal = [&](TerminalProcess &t, const char *id, const QString &pin) {
            return t.start({QStringLiteral("--relay"), relay, QStringLiteral("--id"), QLatin1String(id),
                            QStringLiteral("--pin"), pin, QStringLiteral("--log-size"), QStringLiteral("1000")});
        };
        QVERIFY2(startTerminal(m_a, "TRX-0001", PIN_A), qPrintable(m_a.errorString()));
        QVERIFY2(startTerminal(m_b, "TRX-0002", PIN_B), qPrintable(m_b.errorString()));
        QVERIFY2(startTerminal(m_c, "TRX-0003", PIN_A), qPrintable(m_c.errorString()));
    }

    void listShowsTheRelaysTerminals()
    {
        const QStringList relay{QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(m_relay->configuratorPort())};
        const TRun json = run(relay + QStringList{QStringLiteral("list"), QStringLiteral("--json")});
        QCOMPARE(json.status, 0);
        const QJsonArray terminals = terminalsOf(json);
        QCOMPARE(terminals.size(), 3);
        QCOMPARE(terminals.at(0).toObject().value(QLatin1String("id")).toString(), QStringLiteral("TRX-0001"));
        QCOMPARE(terminals.at(2).toObject().value(QLatin1String("id")).toString(), QStringLiteral("TRX-0003"));

        const TRun table = run(relay + QStringList{QStringLiteral("list")});
        QCOMPARE(table.status, 0);
        QCOMPARE(table.out.count(QLatin1String("TRX-000")), 3);

        // Nothing listens there: a connection failure, not a usage error.
        const TRun nobody = run({QStringLiteral("--relay"), QStringLiteral("127.0.0.1:1"), QStringLiteral("list")});
        QCOMPARE(nobody.status, 2);
        QVERIFY2(nobody.err.contains(QStringLiteral("Невозможно соединиться с сервером")), qPrintable(nobody.err));
    }

    void stateJsonHoldsTheSimulatedValues()
    {
        const TRun state = run(viaRelay(QStringLiteral("TRX-0001")) + QStringList{QStringLiteral("state"), QStringLiteral("--json")},
                               PIN_A);
        QCOMPARE(state.status, 0);
        const QJsonArray terminals = terminalsOf(state);
        QCOMPARE(terminals.size(), 1);
        const QJsonObject p = terminals.at(0).toObject().value(QLatin1String("parameters")).toObject();
        QCOMPARE(p.size(), 67);
        QCOMPARE(p.value(QLatin1String("device_type")).toInt(), 240);
        const double uptime = p.value(QLatin1String("uptime_s")).toDouble(-1);
        QVERIFY2(uptime >= 0 && uptime < 600, qPrintable(QString::number(uptime)));
        QCOMPARE(p.value(QLatin1String("imei")).toString(), QStringLiteral("861234050123457"));
        // Sensor 4 does not answer; its neighbours do.
        QVERIFY(p.value(QLatin1String("external_temperature_4_c")).isNull());
        QVERIFY(p.value(QLatin1String("external_temperature_3_c")).isDouble());
        QVERIFY(p.value(QLatin1String("external_temperature_5_c")).isDouble());
        QCOMPARE(p.value(QLatin1String("server_1_connected")), QJsonValue(true));
        QCOMPARE(p.value(QLatin1String("server_3_connected")), QJsonValue(false));
        QCOMPARE(p.value(QLatin1String("mcc")).toInt(), 250);
        // The worker's own texts are the progress lines.
        QVERIFY(state.err.contains(QStringLiteral("[TRX-0001] Устройство подключено")));

        const TRun table = run(viaRelay(QStringLiteral("TRX-0001")) + QStringList{QStringLiteral("state"), QStringLiteral("--group"), QStringLiteral("io")},
                               PIN_A);
        QCOMPARE(table.status, 0);
        QVERIFY(table.out.contains(QStringLiteral("нет связи")));
        QVERIFY(!table.out.contains(QLatin1String("imei")));
    }

    void settingsRoundTripIntoASecondTerminal()
    {
        // TRX-0001 first gets a configuration of its own, so that it differs from TRX-0002.
        const QByteArray crafted = settingsImage("7390");
        QVERIFY(writeFile(path(QStringLiteral("crafted.ksf")), crafted));
        const TRun seed = run(viaRelay(QStringLiteral("TRX-0001")) + QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), path(QStringLiteral("crafted.ksf"))},
                              PIN_A);
        QCOMPARE(seed.status, 0);
        const QByteArray baseA = m_a.dumpBase();
        QCOMPARE(baseA, crafted.mid(SETTINGS_IMAGE_RECORDS_OFFSET));
        QVERIFY(m_b.dumpBase() != baseA);

        const QString saved = path(QStringLiteral("a.ksf"));
        const TRun read = run(viaRelay(QStringLiteral("TRX-0001")) + QStringList{QStringLiteral("read-settings"), QStringLiteral("-o"), saved},
                              PIN_A);
        QCOMPARE(read.status, 0);
        QVERIFY(read.out.contains(QLatin1String("TRX-0001  ok")));
        QCOMPARE(readFile(saved), crafted);

        const TRun write = run(viaRelay(QStringLiteral("TRX-0002")) + QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), saved},
                               PIN_B);
        QCOMPARE(write.status, 0);
        QCOMPARE(m_b.dumpBase(), baseA);
        QVERIFY(m_b.hasEvent(QStringLiteral("SETTINGS_APPLIED")));
    }

    void logDownloadEqualsTheTerminalsLog()
    {
        const QString file = path(QStringLiteral("b.log"));
        const TRun log = run(viaRelay(QStringLiteral("TRX-0002")) + QStringList{QStringLiteral("log"), QStringLiteral("-o"), file}, PIN_B);
        QCOMPARE(log.status, 0);
        const QString expected = QTextCodec::codecForName("Windows-1251")->toUnicode(m_b.logBytes());
        QCOMPARE(expected.size(), 1000);
        QCOMPARE(QString::fromUtf8(readFile(file)), expected);
    }

    void firmwareUploadEndsTheSession()
    {
        QByteArray image(1234, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char((i * 37 + 11) & 0xFF);
        const QString file = path(QStringLiteral("update.kbf"));
        QVERIFY(writeFile(file, image));
        const int unbound = int(m_relay->events().count(QStringLiteral("UNBOUND TRX-0003")));

        const TRun flash = run(viaRelay(QStringLiteral("TRX-0003")) + QStringList{QStringLiteral("firmware"), QStringLiteral("-i"), file},
                               PIN_A);
        QCOMPARE(flash.status, 0);
        const QString event = m_c.waitForEvent(QStringLiteral("FIRMWARE "));
        QCOMPARE(event, QStringLiteral("FIRMWARE 1234 %1").arg(crc32(image), 8, 16, QLatin1Char('0')));
        QVERIFY(flash.err.contains(QStringLiteral("Прошивка успешно загружена - устройство отключено")));
        // The worker ended the session itself; no stop was asked for after it.
        QVERIFY(!flash.err.contains(QStringLiteral("Устройство отключено\n")));
        QVERIFY(m_relay->waitForEvent(QStringLiteral("UNBOUND TRX-0003"), unbound + 1));
    }

    void wrongPinHasItsOwnStatusAndIsNeverShown()
    {
        const TRun wrong = run(viaRelay(QStringLiteral("TRX-0002")) + QStringList{QStringLiteral("state"), QStringLiteral("--json")},
                               QStringLiteral("4321"));
        QCOMPARE(wrong.status, 3);
        QVERIFY(m_b.waitForEvent(QStringLiteral("AUTH BAD")).size() > 0);
        QVERIFY(!wrong.out.contains(QLatin1String("4321")));
        QVERIFY(!wrong.err.contains(QLatin1String("4321")));
        QVERIFY(wrong.err.contains(QStringLiteral("Введен неверный пин-код")));
        const QJsonObject entry = terminalsOf(wrong).at(0).toObject();
        QCOMPARE(entry.value(QLatin1String("result")).toString(), QStringLiteral("failed"));
        QCOMPARE(entry.value(QLatin1String("exit_status")).toInt(), 3);
        QVERIFY(!entry.contains(QLatin1String("parameters")));
    }

    void unreachableTerminalAmongThree_data()
    {
        QTest::addColumn<bool>("continueOnError");
        QTest::addColumn<QString>("lastResult");
        QTest::newRow("continue on error") << true << "ok";
        QTest::newRow("stop at the first failure") << false << "skipped";
    }

    void unreachableTerminalAmongThree()
    {
        QFETCH(bool, continueOnError);
        QFETCH(QString, lastResult);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        const QString pattern = path(tag + QStringLiteral("-{id}.ksf"));
        QStringList args = viaRelay(QStringLiteral("TRX-0001,TRX-0404,TRX-0003"))
            + QStringList{QStringLiteral("read-settings"), QStringLiteral("-o"), pattern, QStringLiteral("--json")};
        if (continueOnError)
            args << QStringLiteral("--continue-on-error");

        const TRun fleet = run(args, PIN_A);
        QCOMPARE(fleet.status, 2);
        const QJsonArray terminals = terminalsOf(fleet);
        QCOMPARE(terminals.size(), 3);
        QCOMPARE(terminals.at(0).toObject().value(QLatin1String("result")).toString(), QStringLiteral("ok"));
        QCOMPARE(terminals.at(1).toObject().value(QLatin1String("id")).toString(), QStringLiteral("TRX-0404"));
        QCOMPARE(terminals.at(1).toObject().value(QLatin1String("result")).toString(), QStringLiteral("failed"));
        QCOMPARE(terminals.at(1).toObject().value(QLatin1String("exit_status")).toInt(), 2);
        QCOMPARE(terminals.at(2).toObject().value(QLatin1String("result")).toString(), lastResult);
        QVERIFY(fleet.err.contains(QStringLiteral("[TRX-0404] Не выполнено: Устройство не найдено на сервере")));

        auto fileOf = [&](const char *id) { return QString(pattern).replace(QLatin1String("{id}"), QLatin1String(id)); };
        QCOMPARE(readFile(fileOf("TRX-0001")).mid(SETTINGS_IMAGE_RECORDS_OFFSET), m_a.dumpBase());
        QVERIFY(!QFile::exists(fileOf("TRX-0404")));
        QCOMPARE(QFile::exists(fileOf("TRX-0003")), continueOnError);
        if (continueOnError) {
            // Each file holds its own terminal's settings, nothing of the one before.
            QCOMPARE(readFile(fileOf("TRX-0003")).mid(SETTINGS_IMAGE_RECORDS_OFFSET), m_c.dumpBase());
        }
    }

    void allTerminalsOfTheRelayOneAfterAnother()
    {
        // TRX-0002 has another PIN: it fails with its own status and the others go on.
        const TRun all = run({QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(m_relay->configuratorPort()),
                              QStringLiteral("--all"), QStringLiteral("--continue-on-error"), QStringLiteral("log"),
                              QStringLiteral("-o"), path(QStringLiteral("fleet.log"))},
                             PIN_A);
        QCOMPARE(all.status, 3);
        QVERIFY(all.out.contains(QLatin1String("TRX-0002  failed")));
        QCOMPARE(all.err.count(QRegularExpression(QStringLiteral("^== \\[\\d/3\\] TRX-000\\d ==$"),
                                                   QRegularExpression::MultilineOption)),
                 3);
        // Several terminals: the id goes into each file name.
        QVERIFY(QFile::exists(path(QStringLiteral("fleet-TRX-0001.log"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("fleet-TRX-0002.log"))));
        QVERIFY(QFile::exists(path(QStringLiteral("fleet-TRX-0003.log"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("fleet.log"))));
    }

    void failedTransferIsStatusFourAndKeepsTheOldFile()
    {
        const QString file = path(QStringLiteral("kept.log"));
        QVERIFY(writeFile(file, "old log\n"));
        QVERIFY(m_c.control(QStringLiteral("set file-busy 1")));
        const TRun busy = run(viaRelay(QStringLiteral("TRX-0003")) + QStringList{QStringLiteral("log"), QStringLiteral("-o"), file}, PIN_A);
        QVERIFY(m_c.control(QStringLiteral("clear")));
        QCOMPARE(busy.status, 4);
        QVERIFY(busy.err.contains(QStringLiteral("Ошибка загрузки LOG-файла")));
        QCOMPARE(readFile(file), QByteArray("old log\n"));

        // The link goes down after the first of three chunks.
        QByteArray image(1000, 'F');
        QVERIFY(writeFile(path(QStringLiteral("cut.kbf")), image));
        QVERIFY(m_c.control(QStringLiteral("set drop-after-chunks 1")));
        const TRun cut = run(viaRelay(QStringLiteral("TRX-0003")) + QStringList{QStringLiteral("firmware"), QStringLiteral("-i"), path(QStringLiteral("cut.kbf"))},
                             PIN_A);
        QCOMPARE(cut.status, 4);
        QVERIFY(!m_c.hasEvent(QStringLiteral("FIRMWARE ")));
        QVERIFY(!m_c.waitForEvent(QStringLiteral("REGISTERED TRX-0003"), 5000).isEmpty());
    }

    void refusedBeforeAnyTerminalIsTouched_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("fileContent");
        const QString file = QStringLiteral("input.bin");
        QTest::newRow("factory reset unconfirmed") << QStringList{QStringLiteral("factory-reset")} << 1 << QByteArray();
        QTest::newRow("missing firmware") << QStringList{QStringLiteral("firmware"), QStringLiteral("-i"), QStringLiteral("absent.kbf")}
                                          << 5 << QByteArray();
        QTest::newRow("empty firmware") << QStringList{QStringLiteral("firmware"), QStringLiteral("-i"), file} << 5 << QByteArray("");
        QTest::newRow("missing settings") << QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), QStringLiteral("absent.ksf")}
                                          << 5 << QByteArray();
        QTest::newRow("settings file too short") << QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), file} << 5
                                                 << QByteArray(20, 'x');
        QTest::newRow("access pin with a letter") << QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), file} << 5
                                                  << settingsImage("12a4");
        QTest::newRow("access pin of three digits") << QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), file} << 5
                                                    << settingsImage("123");
        QTest::newRow("no access pin") << QStringList{QStringLiteral("write-settings"), QStringLiteral("-i"), file} << 5
                                       << settingsImage("");
        QTest::newRow("output directory missing")
            << QStringList{QStringLiteral("read-settings"), QStringLiteral("-o"), QStringLiteral("no-such-dir/a.ksf")} << 5 << QByteArray();
    }

    void refusedBeforeAnyTerminalIsTouched()
    {
        QFETCH(QStringList, command);
        QFETCH(int, status);
        QFETCH(QByteArray, fileContent);
        for (QString &word : command) {
            if (word.contains(QLatin1Char('.')))
                word = path(word);
        }
        if (!fileContent.isNull())
            QVERIFY(writeFile(path(QStringLiteral("input.bin")), fileContent));
        settle();
        const int before = bindings();
        const int eventsBefore = int(m_c.events().size());
        const TRun refused = run(viaRelay(QStringLiteral("TRX-0003")) + command, PIN_A);
        QCOMPARE(refused.status, status);
        QVERIFY(!refused.err.isEmpty());
        QTest::qWait(100);
        QCOMPARE(bindings(), before);
        QCOMPARE(int(m_c.events().size()), eventsBefore);
    }

    void serialDeviceGivenByPath()
    {
        TerminalProcess usb;
        QVERIFY2(usb.start({QStringLiteral("--pty"), QStringLiteral("--pin"), PIN_B}), qPrintable(usb.errorString()));
        const TRun state = run({QStringLiteral("--device"), usb.ptyPath(), QStringLiteral("state"), QStringLiteral("--group"),
                                QStringLiteral("network"), QStringLiteral("--json")},
                               PIN_B);
        QCOMPARE(state.status, 0);
        const QJsonObject entry = terminalsOf(state).at(0).toObject();
        QCOMPARE(entry.value(QLatin1String("id")).toString(), usb.ptyPath());
        QCOMPARE(entry.value(QLatin1String("parameters")).toObject().value(QLatin1String("device_type")).toInt(), 240);
        QVERIFY(entry.value(QLatin1String("parameters")).toObject().contains(QLatin1String("server_8_bytes_received")));

        // Answers with a foreign uuid: the device type is never read and a command is never
        // confirmed, though every answer comes.
        QVERIFY(usb.control(QStringLiteral("set wrong-uuid 1")));
        const QStringList device{QStringLiteral("--device"), usb.ptyPath()};
        const TRun unconfirmed = run(device + QStringList{QStringLiteral("restart")}, PIN_B);
        QCOMPARE(unconfirmed.status, 4);
        QVERIFY(unconfirmed.err.contains(QStringLiteral("Устройство не подтвердило команду")));
        QVERIFY(unconfirmed.err.contains(QStringLiteral("Устройство отключено")));
        const TRun untyped = run(device + QStringList{QStringLiteral("read-settings"), QStringLiteral("-o"), path(QStringLiteral("untyped.ksf"))},
                                 PIN_B);
        QCOMPARE(untyped.status, 4);
        QVERIFY(untyped.err.contains(QStringLiteral("Неизвестный тип устройства 0")));
        QVERIFY(!QFile::exists(path(QStringLiteral("untyped.ksf"))));
        QVERIFY(!usb.hasEvent(QStringLiteral("GET_FILE")));

        QVERIFY(usb.control(QStringLiteral("clear")));
        const TRun restart = run(device + QStringList{QStringLiteral("restart")}, PIN_B);
        QCOMPARE(restart.status, 0);
        QVERIFY(!usb.waitForEvent(QStringLiteral("COMMAND 1")).isEmpty());

        const TRun absent = run({QStringLiteral("--device"), path(QStringLiteral("no-such-port")), QStringLiteral("restart")}, PIN_B);
        QCOMPARE(absent.status, 2);
        QVERIFY(absent.err.contains(QStringLiteral("Ошибка подключения")));
    }
};

QTEST_GUILESS_MAIN(CliTerminalsTest)
#include "test_cli_terminals.moc"
