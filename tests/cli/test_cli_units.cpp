// The command line's parsing and the decoding of state values, in process.

#include "cli/CliOptions.h"
#include "cli/StateReport.h"
#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"

#include <QSet>
#include <QTest>

#include <cstring>

namespace {

const QList<ParameterGroup> ALL_GROUPS{GROUP_SYSTEM, GROUP_IO, GROUP_NETWORK};

CliOptions::EOutcome parse(CliOptions &options, const QString &line, const QString &variablePin = {})
{
    QProcessEnvironment env;
    if (!variablePin.isNull())
        env.insert(CliOptions::PIN_VARIABLE, variablePin);
    return options.parse(QStringList{"trivox-cli"} + line.split(' ', Qt::SkipEmptyParts), env);
}

void putFloat(uint8_t *field, float value)
{
    std::memcpy(field, &value, sizeof value); // little-endian host, as the wire
}

} // namespace

class CliUnitsTest : public QObject
{
    Q_OBJECT

private slots:
    void refusesLinesThatMakeNoSense_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("variablePin");
        const QString unset;
        QTest::newRow("no command") << "--usb" << unset;
        QTest::newRow("no link") << "state" << unset;
        QTest::newRow("relay without terminals") << "--relay 127.0.0.1 state" << unset;
        QTest::newRow("ids and all") << "--relay h:1 --id A --all state" << unset;
        QTest::newRow("port zero") << "--relay h:0 --id A state" << unset;
        QTest::newRow("port too big") << "--relay h:65536 --id A state" << unset;
        QTest::newRow("factory reset unconfirmed") << "--usb factory-reset" << unset;
        QTest::newRow("letters in pin") << "--usb --pin 12a4 state" << unset;
        QTest::newRow("bad pin in variable") << "--usb state" << "73901";
        // Not the factory PIN by accident: a script that lost its PIN must stop.
        QTest::newRow("empty pin variable") << "--usb state" << QString("");
        QTest::newRow("partial without write") << "--usb --allow-partial read-settings -o x.ksf" << unset;
        QTest::newRow("diff of one") << "diff a.ksf" << unset;
        QTest::newRow("diff of files over a link") << "--usb diff a.ksf b.json" << unset;
        QTest::newRow("diff of the terminal with itself") << "--usb diff device device" << unset;
        QTest::newRow("diff of two terminals") << "--relay h --id A,B diff device a.ksf" << unset;
        QTest::newRow("export without output") << "export -i a.ksf" << unset;
        QTest::newRow("import as json") << "import -i a.json -o a.ksf --json" << unset;
        QTest::newRow("no jobs") << "--relay h --all --jobs 0 state" << unset;
        QTest::newRow("jobs for one file") << "--jobs 2 export -i a.ksf -o a.json" << unset;
        QTest::newRow("no backup of a read") << "--usb --no-backup read-settings -o x.ksf" << unset;
        QTest::newRow("unknown language") << "--usb --lang de state" << unset;
        QTest::newRow("no backup into a folder") << "--usb --no-backup --backup-dir d restart" << unset;
    }

    void refusesLinesThatMakeNoSense()
    {
        QFETCH(QString, line);
        QFETCH(QString, variablePin);
        CliOptions options;
        QCOMPARE(parse(options, line, variablePin), CliOptions::EOutcome::Error);
        QVERIFY(!options.errorText().isEmpty());
        // The PIN is never repeated back, not even when it is wrong.
        QVERIFY(!options.errorText().contains("12a4") && !options.errorText().contains("73901"));
    }

    void takesTerminalsAndPinAsGiven()
    {
        CliOptions options;
        QCOMPARE(parse(options, "--relay relay.example --id B,A --id B --id C state --group io", "1111"),
                 CliOptions::EOutcome::Run);
        const TCliOptions &o = options.options();
        QVERIFY(o.relay.ip == "relay.example" && o.relay.port == 25501);
        QCOMPARE(o.ids, (QStringList{"B", "A", "C"}));
        QCOMPARE(o.groups, QList<ParameterGroup>{GROUP_IO});
        QCOMPARE(o.pin, QString("1111"));

        // The option wins over the variable; no PIN at all keeps the session's default.
        QCOMPARE(parse(options, "--relay [::1]:26000 --all --pin 2222 state", "1111"), CliOptions::EOutcome::Run);
        QVERIFY(o.pin == "2222" && o.relay.ip == "::1" && o.relay.port == 26000 && o.groups == ALL_GROUPS);
        QCOMPARE(parse(options, "--usb restart"), CliOptions::EOutcome::Run);
        QVERIFY(o.pin.isEmpty());

        QCOMPARE(parse(options, "--help"), CliOptions::EOutcome::Help);
        // Asked for alone, the version needs no command or link.
        QCOMPARE(parse(options, "--version"), CliOptions::EOutcome::Version);
        QVERIFY(options.helpText().contains("--yes-really") && options.helpText().contains("TRIVOX_PIN"));
        QVERIFY(options.helpText().contains("Без PIN"));
    }

    // A child of --jobs must do exactly what its parent was asked to, to its one terminal.
    void oneTerminalsLineMeansTheSame_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("state") << "--relay [::1]:26000 --all --jobs 3 --continue-on-error state --group io -v";
        QTest::newRow("write") << "--relay h --id A,B write-settings -i x.ksf --allow-partial --backup-dir b --debug";
        QTest::newRow("reset") << "--relay h --id A,B --journal j factory-reset --yes-really --no-backup --lang en";
        QTest::newRow("read") << "--relay h --id A,B read-settings -o x.ksf";
    }

    void oneTerminalsLineMeansTheSame()
    {
        QFETCH(QString, line);
        CliOptions parent;
        QCOMPARE(parse(parent, line, "1111"), CliOptions::EOutcome::Run);
        const TCliOptions p = parent.options();
        const QStringList arguments = CliOptions::terminalArguments(p, "B", p.output.isEmpty() ? "" : "out-B");
        QVERIFY(!arguments.join(' ').contains("1111"));
        CliOptions child;
        QCOMPARE(parse(child, arguments.join(' '), "1111"), CliOptions::EOutcome::Run);
        const TCliOptions &c = child.options();
        QCOMPARE(c.ids, QStringList{"B"});
        QVERIFY(c.command == p.command && c.relay.ip == p.relay.ip && c.relay.port == p.relay.port && c.pin == p.pin);
        QVERIFY(c.groups == p.groups && c.input == p.input && c.allowPartial == p.allowPartial);
        QVERIFY(c.noBackup == p.noBackup && c.backupDir == p.backupDir && c.verbose == p.verbose && c.debug == p.debug
                && c.language == p.language);
        QVERIFY(c.jobs == 1 && c.journal.isEmpty() && c.output == (p.output.isEmpty() ? "" : "out-B"));
    }

    void everyParameterHasItsOwnKey()
    {
        QSet<QString> keys;
        for (int row = 0; row < PARAMETER_COUNT; ++row)
            keys.insert(StateReport::keyOf(parameterRow(row).id));
        QVERIFY(!keys.contains(QString()));
        QCOMPARE(keys.size(), int(PARAMETER_COUNT));
        QCOMPARE(StateReport::rowsOf(ALL_GROUPS).size(), int(PARAMETER_COUNT));
        // Counters are listed sent first, but server 5's pair is 2016 and 2020.
        QCOMPARE(StateReport::keyOf(2016), QString("server_5_bytes_sent"));
        QCOMPARE(StateReport::keyOf(2020), QString("server_5_bytes_received"));
        QCOMPARE(StateReport::keyOf(2015), QString("server_4_bytes_received"));
    }

    void valuesDecodeAsTheViewsShowThem()
    {
        SettingsStorage = TSettingsStorage{};
        initConstantParameters();
        TParameterValues &p = SettingsStorage.parameters;
        putFloat(p.externalTemperatures[3], -150.0f);
        putFloat(p.externalTemperatures[4], -149.95f);
        putFloat(p.externalTemperatures[5], 21.5f);
        putFloat(p.internalTemperature, -150.0f);
        putFloat(p.supplyVoltage, 12.4f);
        std::memset(p.uptime, 0xFF, sizeof p.uptime);
        std::memset(p.imei, '7', sizeof p.imei); // no terminating zero inside the field
        std::memcpy(p.firmwareVersion, "1.2\0garbage", 11);
        p.serverState[1][0] = 3;
        p.gsmJamming[0] = 1;

        const QJsonObject all = StateReport::toJson(StateReport::rowsOf(ALL_GROUPS));
        // Only the 1-Wire sensors have the "no connection" value, and near it counts as it.
        const QJsonObject expected{
            {"external_temperature_4_c", QJsonValue::Null}, {"external_temperature_5_c", QJsonValue::Null},
            {"external_temperature_6_c", 21.5}, {"internal_temperature_c", -150.0}, {"uptime_s", 4294967295.0},
            {"imei", QString(16, '7')}, {"firmware_version", "1.2"}, {"server_2_connected", true},
            {"server_3_connected", false}, {"gsm_jamming", true}, {"protocol_version", 1}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(all.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(all.value("supply_voltage_v").toDouble(), 12.4);

        const QString table = StateReport::toTable(StateReport::rowsOf({GROUP_IO}));
        QVERIFY(table.contains("нет связи") && table.contains("Внешний датчик температуры 4"));
    }
};

QTEST_GUILESS_MAIN(CliUnitsTest)
#include "test_cli_units.moc"
