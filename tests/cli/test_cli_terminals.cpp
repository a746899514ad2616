// trivox-cli run as a process against the stand-in relay and terminals.

#include "files/BackupStore.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "support/RelayProcess.h"
#include "support/TerminalProcess.h"
#include "support/TestFiles.h"
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

const QString PIN_A = "7390";
const QString PIN_B = "1234";

struct TRun {
    int status = -1;
    QString out;
    QString err;

    QJsonArray terminals() const { return QJsonDocument::fromJson(out.toUtf8()).object().value("terminals").toArray(); }
    QJsonValue value(int terminal, const char *key) const { return terminals().at(terminal).toObject().value(key); }
    // Per terminal "id result exit_status", as far as the summary gives them.
    QStringList results() const
    {
        QStringList lines;
        for (const QJsonValue t : terminals()) {
            const QString status = t["exit_status"].toVariant().toString();
            lines << QStringList{t["id"].toString(), t["result"].toString(), status}.join(' ').trimmed();
        }
        return lines;
    }
};

// Setting records by (id, subId): the BASE file, or a settings file without its code and header.
QMap<QPair<int, int>, QByteArray> recordsOf(const QByteArray &bytes, int offset = 0)
{
    QMap<QPair<int, int>, QByteArray> records;
    SettingRecordReader reader(bytes, offset);
    TSettingRecord record;
    while (reader.next(&record))
        records.insert({record.id, record.subId}, record.value);
    return records;
}

// A full configuration unlike the stand-ins' factory one, with the given access PIN.
QByteArray settingsImage(const char *accessPin)
{
    SettingsStorage = TSettingsStorage{};
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    std::memcpy(SettingsStorage.sims[1], "test.apn", 8);
    std::memcpy(SettingsStorage.accessPin, accessPin, std::strlen(accessPin));
    SettingsStorage.pinEnabled[0] = 1;
    return build_settings_image();
}

} // namespace

class CliTerminalsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<RelayProcess> m_relay;
    TerminalProcess m_a; // TRX-0001, PIN 7390
    TerminalProcess m_b; // TRX-0002, PIN 1234
    TerminalProcess m_c; // TRX-0003, PIN 7390
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The PIN goes through the environment, as scripts are told to pass it.
    TRun run(const QStringList &arguments, const QString &pin)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_LOGGING_RULES");
        env.insert("TRIVOX_CLI_FAST", "1");
        // The messages compared below are the Russian ones.
        env.insert("LANGUAGE", "ru");
        env.insert("TRIVOX_PIN", pin);
        // The default backup folder lies under it.
        env.insert("XDG_DATA_HOME", m_dir.filePath("data"));
        process.setProcessEnvironment(env);
        process.start(TRIVOX_CLI_BINARY, arguments);
        if (!process.waitForFinished(30000))
            process.kill();
        process.waitForFinished(2000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    // Through the relay to the terminals `ids` (none: no --id); `line` is split at spaces.
    TRun relay(const QString &ids, const QString &line, const QString &pin = PIN_A)
    {
        QStringList arguments{"--relay", QString("127.0.0.1:%1").arg(m_relay->configuratorPort())};
        if (!ids.isEmpty())
            arguments << "--id" << ids;
        return run(arguments + line.split(' ', Qt::SkipEmptyParts), pin);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && !m_dir.path().contains(' '));
        m_relay = std::make_unique<RelayProcess>(QStringList{"--ping-ms", "300"});
        QVERIFY(m_relay->isReady());
        const QString relay = QString("127.0.0.1:%1").arg(m_relay->terminalPort());
        auto start = [&](TerminalProcess &t, const QString &id, const QString &pin) {
            return t.start({"--relay", relay, "--id", id, "--pin", pin, "--log-size", "1000"});
        };
        QVERIFY2(start(m_a, "TRX-0001", PIN_A), qPrintable(m_a.errorString()));
        QVERIFY2(start(m_b, "TRX-0002", PIN_B), qPrintable(m_b.errorString()));
        QVERIFY2(start(m_c, "TRX-0003", PIN_A), qPrintable(m_c.errorString()));
    }

    void listShowsTheRelaysTerminals()
    {
        const TRun json = relay({}, "list --json");
        QCOMPARE(json.status, 0);
        QCOMPARE(json.results(), (QStringList{"TRX-0001", "TRX-0002", "TRX-0003"}));
        QCOMPARE(relay({}, "list").out.count("TRX-000"), 3);

        // Nothing listens there: a connection failure, not a usage error.
        const TRun nobody = run({"--relay", "127.0.0.1:1", "list"}, PIN_A);
        QCOMPARE(nobody.status, 2);
        QVERIFY2(nobody.err.contains("Невозможно соединиться с сервером"), qPrintable(nobody.err));
    }

    void stateJsonHoldsTheSimulatedValues()
    {
        const TRun state = relay("TRX-0001", "state --json");
        QCOMPARE(state.status, 0);
        QCOMPARE(state.results(), QStringList{"TRX-0001 ok 0"});
        const QJsonObject p = state.value(0, "parameters").toObject();
        QCOMPARE(p.size(), 67);
        QCOMPARE(p.value("device_type").toInt(), 240);
        const double uptime = p.value("uptime_s").toDouble(-1);
        QVERIFY2(uptime >= 0 && uptime < 600, qPrintable(QString::number(uptime)));
        QCOMPARE(p.value("imei").toString(), QString("861234050123457"));
        QCOMPARE(p.value("mcc").toInt(), 250);
        // Sensor 4 does not answer; its neighbours do.
        QVERIFY(p.value("external_temperature_4_c").isNull());
        QVERIFY(p.value("external_temperature_3_c").isDouble() && p.value("server_1_connected").toBool());
        // The worker's own texts are the progress lines.
        QVERIFY(state.err.contains("[TRX-0001] Устройство подключено"));
    }

    void settingsRoundTripIntoASecondTerminal()
    {
        // TRX-0001 first gets a configuration of its own, so that it differs from TRX-0002.
        const QByteArray crafted = settingsImage("7390");
        QVERIFY(writeFile(path("crafted.ksf"), crafted));
        QCOMPARE(relay("TRX-0001", "write-settings -i " + path("crafted.ksf")).status, 0);
        const QByteArray baseA = m_a.dumpBase();
        QCOMPARE(baseA, crafted.mid(SETTINGS_IMAGE_RECORDS_OFFSET));
        QVERIFY(m_b.dumpBase() != baseA);

        QCOMPARE(relay("TRX-0001", "read-settings -o " + path("a.ksf")).status, 0);
        QCOMPARE(readFile(path("a.ksf")), crafted);

        QCOMPARE(relay("TRX-0002", "write-settings -i " + path("a.ksf"), PIN_B).status, 0);
        QCOMPARE(m_b.dumpBase(), baseA);
        QVERIFY(m_b.hasEvent("SETTINGS_APPLIED"));
    }

    void logDownloadEqualsTheTerminalsLog()
    {
        QCOMPARE(relay("TRX-0002", "log -o " + path("b.log"), PIN_B).status, 0);
        const QString expected = QTextCodec::codecForName("Windows-1251")->toUnicode(m_b.logBytes());
        QCOMPARE(expected.size(), 1000);
        QCOMPARE(QString::fromUtf8(readFile(path("b.log"))), expected);

        // A failed transfer has its own status and leaves the file as it was.
        QVERIFY(writeFile(path("kept.log"), "old log\n"));
        QVERIFY(m_c.control("set file-busy 1"));
        const TRun busy = relay("TRX-0003", "log -o " + path("kept.log"));
        QVERIFY(m_c.control("clear"));
        QCOMPARE(busy.status, 4);
        QVERIFY(busy.err.contains("Ошибка загрузки LOG-файла"));
        QCOMPARE(readFile(path("kept.log")), QByteArray("old log\n"));
    }

    void firmwareUploadEndsTheSession()
    {
        const QByteArray image = QByteArray("\x01\x80\xfe firmware ").repeated(103).left(1234);
        QVERIFY(writeFile(path("update.kbf"), image));
        const int unbound = int(m_relay->events().count("UNBOUND TRX-0003"));

        const TRun flash = relay("TRX-0003", "firmware -i " + path("update.kbf"));
        QCOMPARE(flash.status, 0);
        const QString crc = QString::number(crc32(image), 16).rightJustified(8, '0');
        QCOMPARE(m_c.waitForEvent("FIRMWARE "), "FIRMWARE 1234 " + crc);
        QVERIFY(flash.err.contains("Прошивка успешно загружена - устройство отключено"));
        // The worker ended the session itself; no stop was asked for after it.
        QVERIFY(!flash.err.contains("Устройство отключено\n"));
        QVERIFY(m_relay->waitForEvent("UNBOUND TRX-0003", unbound + 1));
    }

    void wrongPinHasItsOwnStatusAndIsNeverShown()
    {
        const TRun wrong = relay("TRX-0002", "state --json", "4321");
        QCOMPARE(wrong.status, 3);
        QVERIFY(!m_b.waitForEvent("AUTH BAD").isEmpty());
        QVERIFY(!wrong.out.contains("4321") && !wrong.err.contains("4321"));
        QVERIFY(wrong.err.contains("Введен неверный пин-код"));
        QCOMPARE(wrong.results(), QStringList{"TRX-0002 failed 3"});
        QVERIFY(wrong.value(0, "parameters").isUndefined());
    }

    void unreachableTerminalAmongThree_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("lastResult");
        QTest::newRow("continue") << "--continue-on-error" << "ok 0";
        QTest::newRow("stop") << "" << "skipped 0";
    }

    void unreachableTerminalAmongThree()
    {
        QFETCH(QString, option);
        QFETCH(QString, lastResult);
        const QString pattern = path(QString(QTest::currentDataTag()) + "-{id}.ksf");
        auto fileOf = [&](const char *id) { return QString(pattern).replace("{id}", id); };

        const TRun fleet = relay("TRX-0001,TRX-0404,TRX-0003", "read-settings --json -o " + pattern + " " + option);
        QCOMPARE(fleet.status, 2);
        QCOMPARE(fleet.results(), (QStringList{"TRX-0001 ok 0", "TRX-0404 failed 2", "TRX-0003 " + lastResult}));
        QVERIFY(fleet.err.contains("[TRX-0404] Не выполнено: Устройство не найдено на сервере"));

        // Each file holds its own terminal's settings, nothing of the one before.
        QCOMPARE(readFile(fileOf("TRX-0001")).mid(SETTINGS_IMAGE_RECORDS_OFFSET), m_a.dumpBase());
        QVERIFY(!QFile::exists(fileOf("TRX-0404")));
        QCOMPARE(readFile(fileOf("TRX-0003")).mid(SETTINGS_IMAGE_RECORDS_OFFSET),
                 option.isEmpty() ? QByteArray() : m_c.dumpBase());
    }

    void allTerminalsOfTheRelayOneAfterAnother()
    {
        // TRX-0002 has another PIN: it fails with its own status and the others go on.
        const TRun all = relay({}, "--all --continue-on-error log -o " + path("fleet.log"));
        QCOMPARE(all.status, 3);
        QVERIFY(all.out.contains("TRX-0002  failed"));
        const QRegularExpression progress("^== \\[\\d/3\\] TRX-000\\d ==$", QRegularExpression::MultilineOption);
        QCOMPARE(all.err.count(progress), 3);
        // Several terminals: the id goes into each file name.
        QVERIFY(QFile::exists(path("fleet-TRX-0001.log")) && QFile::exists(path("fleet-TRX-0003.log")));
        QVERIFY(!QFile::exists(path("fleet-TRX-0002.log")) && !QFile::exists(path("fleet.log")));
    }

    void refusedBeforeAnyTerminalIsTouched_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("input");
        // @ stands for the temporary directory.
        QTest::newRow("factory reset unconfirmed") << "factory-reset" << 1 << QByteArray();
        QTest::newRow("empty firmware") << "firmware -i @input.bin" << 5 << QByteArray("");
        QTest::newRow("settings file too short") << "write-settings -i @input.bin" << 5 << QByteArray(20, 'x');
        QTest::newRow("access pin with a letter") << "write-settings -i @input.bin" << 5 << settingsImage("12a4");
        QTest::newRow("output directory missing") << "read-settings -o @no-such-dir/a.ksf" << 5 << QByteArray();
    }

    void refusedBeforeAnyTerminalIsTouched()
    {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QByteArray, input);
        if (!input.isNull())
            QVERIFY(writeFile(path("input.bin"), input));
        // Let the last run's closing lines arrive, so that the events taken now stay put.
        QStringList before;
        for (int round = 0; round < 20 && before != m_relay->events() + m_c.events(); ++round) {
            before = m_relay->events() + m_c.events();
            QTest::qWait(100);
        }
        const TRun refused = relay("TRX-0003", command.replace("@", m_dir.path() + "/"));
        QCOMPARE(refused.status, status);
        QVERIFY(!refused.err.isEmpty());
        QTest::qWait(100);
        QCOMPARE(m_relay->events() + m_c.events(), before);
    }

    // A cut file must never put zeros where the terminal had settings (an APN gone leaves a
    // terminal unreachable); --allow-partial lays the file over what the terminal has.
    void partialSettingsFileNeverZeroesTheTerminal()
    {
        const QByteArray cut = settingsImage("7390").left(500);
        QVERIFY(writeFile(path("cut.ksf"), cut));
        const QByteArray before = m_c.dumpBase();
        const TRun refused = relay("TRX-0003", "write-settings -i " + path("cut.ksf"));
        QCOMPARE(refused.status, 5);
        QVERIFY2(refused.err.contains("неполный: нет 27 настроек"), qPrintable(refused.err));
        QCOMPARE(m_c.dumpBase(), before);

        QCOMPARE(relay("TRX-0003", "write-settings --allow-partial -i " + path("cut.ksf")).status, 0);
        const auto file = recordsOf(cut, SETTINGS_IMAGE_RECORDS_OFFSET);
        const auto old = recordsOf(before);
        const auto now = recordsOf(m_c.dumpBase());
        QCOMPARE(file.size(), 22);
        QCOMPARE(now.size(), 49);
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            QCOMPARE(it.value(), file.contains(it.key()) ? file.value(it.key()) : old.value(it.key()));
        QVERIFY(now.value({3002, 0}).startsWith("internet") && now.value({3003, 0}).startsWith("*100#"));
    }

    void unreadStateIsNotState_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("json");
        QTest::newRow("wrong uuid") << "wrong-uuid 1" << true;
        QTest::newRow("rejected") << "wrong-result 2" << false;
    }

    void unreadStateIsNotState()
    {
        QFETCH(QString, fault);
        QFETCH(bool, json);
        QVERIFY(m_c.control("set " + fault));
        const TRun state = relay("TRX-0003", json ? "state --group network --json" : "state --group network");
        QVERIFY(m_c.control("clear"));
        QCOMPARE(state.status, 4);
        if (json) {
            QCOMPARE(state.results(), QStringList{"TRX-0003 failed 4"});
            const QJsonObject p = state.value(0, "parameters").toObject();
            QVERIFY(p.value("mcc").isNull() && p.value("device_type").isNull() && p.contains("cell_id"));
        } else {
            QVERIFY2(state.out.contains(QRegularExpression("mcc +— ")), qPrintable(state.out));
        }
    }

    void contradictingFileSizeSavesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("size");
        QTest::newRow("settings, size 0") << "read-settings -o @" << "0";
        QTest::newRow("settings, size 10") << "read-settings -o @" << "10";
        QTest::newRow("log, size 10") << "log -o @" << "10";
    }

    void contradictingFileSizeSavesNothing()
    {
        QFETCH(QString, command);
        QFETCH(QString, size);
        const QString file = path("contradicted");
        QVERIFY(m_c.control("set file-size " + size));
        const TRun run = relay("TRX-0003", command.replace("@", file));
        QVERIFY(m_c.control("clear"));
        QCOMPARE(run.status, 4);
        QVERIFY(!QFile::exists(file));
    }

    void noListIsNotAnEmptyList_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("status");
        QTest::newRow("silent") << "silent" << 2;
        QTest::newRow("garbage") << "garbage" << 2;
        QTest::newRow("bad crc") << "bad-crc" << 2;
        QTest::newRow("closed") << "close" << 2;
        QTest::newRow("an empty list") << "none" << 0;
    }

    void noListIsNotAnEmptyList()
    {
        QFETCH(QString, fault);
        QFETCH(int, status);
        RelayProcess lonely({"--list-fault", fault});
        QVERIFY(lonely.isReady());
        const TRun list = run({"--relay", QString("127.0.0.1:%1").arg(lonely.configuratorPort()), "list"}, PIN_A);
        QCOMPARE(list.status, status);
        QCOMPARE(list.err.contains("Сервер не прислал список устройств"), status != 0);
    }

    void serialDeviceGivenByPath()
    {
        TerminalProcess usb;
        QVERIFY2(usb.start({"--pty", "--pin", PIN_B}), qPrintable(usb.errorString()));
        const TRun state = run({"--device", usb.ptyPath(), "state", "--group", "network", "--json"}, PIN_B);
        QCOMPARE(state.results(), QStringList{usb.ptyPath() + " ok 0"});
        const QJsonObject p = state.value(0, "parameters").toObject();
        QVERIFY(p.value("device_type").toInt() == 240 && p.contains("server_8_bytes_received"));
        QVERIFY(!p.contains("uptime_s"));
        QCOMPARE(run({"--device", usb.ptyPath(), "restart"}, PIN_B).status, 0);
        QVERIFY(!usb.waitForEvent("COMMAND 1").isEmpty());
    }
    // The backup is the terminal as it was, whatever became of the action after it.
    void backupHoldsTheSettingsBeforeTheAction_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("status");
        QVERIFY(writeFile(path("backed.ksf"), settingsImage("1234")));
        QVERIFY(writeFile(path("big.kbf"), QByteArray(30000, 'f')));
        QTest::newRow("written") << "write-settings -i @backed.ksf" << "" << 0;
        QTest::newRow("firmware dropped") << "firmware -i @big.kbf" << "drop-after-chunks 20" << 4;
    }

    void backupHoldsTheSettingsBeforeTheAction()
    {
        QFETCH(QString, command);
        QFETCH(QString, fault);
        QFETCH(int, status);
        const QString root = path("backups");
        const QByteArray before = m_b.dumpBase();
        QVERIFY(fault.isEmpty() || m_b.control("set " + fault));
        const TRun run = relay("TRX-0002", command.replace("@", m_dir.path() + "/") + " --json --backup-dir " + root, PIN_B);
        QVERIFY(m_b.control("clear"));
        QCOMPARE(run.status, status);
        const QString backup = run.value(0, "backup").toString();
        QVERIFY2(backup.startsWith(root + "/TRX-0002/") && run.value(0, "message").toString().contains(backup),
                 qPrintable(run.out));
        QCOMPARE(readFile(backup), BackupStore::imageOfBase(before));
        if (status == 0)
            QVERIFY(m_b.dumpBase() != before);
        else // back on the relay before the next test looks for it
            QVERIFY(!m_b.waitForEvent("REGISTERED", 10000).isEmpty());
    }

    void failedBackupStopsTheWrite()
    {
        QVERIFY(writeFile(path("not-a-folder"), "x"));
        QVERIFY(writeFile(path("other.ksf"), settingsImage("4321")));
        const QByteArray before = m_b.dumpBase();
        const QString write = "write-settings -i " + path("other.ksf");
        const TRun refused = relay("TRX-0002", write + " --backup-dir " + path("not-a-folder"), PIN_B);
        QCOMPARE(refused.status, 5);
        QVERIFY2(refused.out.contains("--no-backup") && refused.out.contains("not-a-folder"), qPrintable(refused.out));
        QCOMPARE(m_b.dumpBase(), before);
        QCOMPARE(relay("TRX-0002", write + " --no-backup", PIN_B).status, 0);
        QVERIFY(m_b.dumpBase() != before);
    }

    void jobsPrintAsOneAtATime()
    {
        const QString line = "--continue-on-error read-settings -o " + path("jobs-{id}.ksf") + " --jobs ";
        const TRun one = relay("TRX-0001,TRX-0404,TRX-0003", line + "1");
        const TRun four = relay("TRX-0001,TRX-0404,TRX-0003", line + "4");
        QCOMPARE(one.status, 2);
        QCOMPARE(four.status, one.status);
        QCOMPARE(four.out, one.out);
        QCOMPARE(four.err, one.err);
    }

    void journalSkipsWhatIsDone()
    {
        // Not a journal: refused, and left as it was.
        const QString journal = path("run.jsonl");
        QVERIFY(writeFile(journal, "{\"id\": \"TRX-0001\"}\n"));
        QCOMPARE(relay("TRX-0001", "state --journal " + journal).status, 5);
        QCOMPARE(readFile(journal), QByteArray("{\"id\": \"TRX-0001\"}\n"));
        QVERIFY(QFile::remove(journal));

        const QString line = "--continue-on-error --jobs 2 --json state --group io --journal " + journal;
        QCOMPARE(relay("TRX-0001,TRX-0404", line).results(), (QStringList{"TRX-0001 ok 0", "TRX-0404 failed 2"}));
        const TRun again = relay("TRX-0001,TRX-0404,TRX-0003", line);
        QCOMPARE(again.status, 2);
        QCOMPARE(again.results(), (QStringList{"TRX-0001 skipped 0", "TRX-0404 failed 2", "TRX-0003 ok 0"}));
        QVERIFY(again.err.contains("[TRX-0001] Пропущено: уже выполнено"));
        QCOMPARE(readFile(journal).count('\n'), 4);
        // Another command is not done by this one.
        QCOMPARE(relay("TRX-0001", "--json log -o " + path("journal.log") + " --journal " + journal).results(),
                 QStringList{"TRX-0001 ok 0"});
    }

    void settingsAsTextAndCompared()
    {
        const QByteArray image = settingsImage("7390");
        QVERIFY(writeFile(path("text.ksf"), image));
        QCOMPARE(run({"export", "-i", path("text.ksf"), "-o", path("text.json")}, PIN_A).status, 0);
        QByteArray json = readFile(path("text.json"));
        QVERIFY(json.replace("\"test.apn\"", "\"new.apn\"").replace("\"7390\"", "\"1111\"").contains("true"));
        QVERIFY(writeFile(path("changed.json"), json.replace("true", "false")));
        QCOMPARE(run({"import", "-i", path("changed.json"), "-o", path("changed.ksf")}, PIN_A).status, 0);
        QCOMPARE(run({"diff", path("changed.ksf"), path("changed.json")}, PIN_A).status, 0);

        const TRun diff = run({"diff", path("text.ksf"), path("changed.ksf"), "--json"}, PIN_A);
        QCOMPARE(diff.status, 6);
        QStringList rows;
        for (const QJsonValue d : QJsonDocument::fromJson(diff.out.toUtf8())["differences"].toArray())
            rows << QStringList{d["key"].toString(), d["a"].toString(), d["b"].toString()}.join(' ');
        QCOMPARE(rows, (QStringList{"sims[1].apn test.apn new.apn", "security.pin_enabled да нет", "security.pin 7390 1111"}));

        // The terminal read for the comparison is not changed by it.
        QVERIFY(writeFile(path("a-now.ksf"), BackupStore::imageOfBase(m_a.dumpBase())));
        QCOMPARE(relay("TRX-0001", "diff device " + path("a-now.ksf")).status, 0);

        QVERIFY(writeFile(path("bad.json"), json.replace("\"new.apn\"", "7")));
        const TRun refused = run({"import", "-i", path("bad.json"), "-o", path("bad.ksf")}, PIN_A);
        QCOMPARE(refused.status, 5);
        QVERIFY2(refused.err.contains("$.sims[1].apn: "), qPrintable(refused.err));
        QVERIFY(!QFile::exists(path("bad.ksf")));
    }

    // --lang en beats the Russian locale for the help and the errors; a file written
    // under English is the very file written under Russian.
    void englishMessagesSameFiles()
    {
        static const QRegularExpression cyrillic("[\\x{0400}-\\x{04FF}]");
        const TRun help = run({"--lang", "en", "--help"}, PIN_A);
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.contains("Usage:") && help.out.contains("Relay server") && help.out.contains("Exit codes:"),
                 qPrintable(help.out));
        QVERIFY2(!help.out.contains(cyrillic), qPrintable(help.out));

        const TRun wrong = run({"--lang", "en", "--usb", "restart", "-o", path("x")}, PIN_A);
        QCOMPARE(wrong.status, 1);
        QVERIFY2(wrong.err.contains("restart does not take -o") && !wrong.err.contains(cyrillic), qPrintable(wrong.err));

        QVERIFY(writeFile(path("lang.ksf"), settingsImage("7390")));
        QCOMPARE(run({"export", "-i", path("lang.ksf"), "-o", path("ru.json")}, PIN_A).status, 0);
        QCOMPARE(run({"--lang", "en", "export", "-i", path("lang.ksf"), "-o", path("en.json")}, PIN_A).status, 0);
        const QByteArray json = readFile(path("ru.json"));
        QVERIFY(json.contains("Адрес сервера") && json.contains("Выключен"));
        QCOMPARE(readFile(path("en.json")), json);
    }
};

QTEST_GUILESS_MAIN(CliTerminalsTest)
#include "test_cli_terminals.moc"
