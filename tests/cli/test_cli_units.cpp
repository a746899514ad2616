// The command line's parsing and the decoding of state values, in process.

#include "cli/CliOptions.h"
#include "cli/StateReport.h"
#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"

#include <QSet>
#include <QTest>

#include <cstring>

namespace {

QStringList argv(const QString &line)
{
    return QStringList{QStringLiteral("trivox-cli")} + line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
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
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        initConstantParameters();
    }

    void refusesLinesThatMakeNoSense_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("variablePin");
        QTest::newRow("no command") << "--usb" << "";
        QTest::newRow("unknown command") << "--usb reboot" << "";
        QTest::newRow("two commands") << "--usb state log" << "";
        QTest::newRow("no link") << "state" << "";
        QTest::newRow("two links") << "--usb --device /dev/ttyACM0 state" << "";
        QTest::newRow("relay without terminals") << "--relay 127.0.0.1 state" << "";
        QTest::newRow("ids and all") << "--relay h:1 --id A --all state" << "";
        QTest::newRow("id over usb") << "--usb --id A state" << "";
        QTest::newRow("list over usb") << "--usb list" << "";
        QTest::newRow("list with ids") << "--relay h:1 --id A list" << "";
        QTest::newRow("port zero") << "--relay h:0 --id A state" << "";
        QTest::newRow("port too big") << "--relay h:65536 --id A state" << "";
        QTest::newRow("no host") << "--relay :25501 --id A state" << "";
        QTest::newRow("empty id in list") << "--relay h:1 --id A,,B state" << "";
        QTest::newRow("bad group") << "--usb state --group power" << "";
        QTest::newRow("group on another command") << "--usb restart --group io" << "";
        QTest::newRow("read without output") << "--usb read-settings" << "";
        QTest::newRow("write without input") << "--usb write-settings" << "";
        QTest::newRow("output on restart") << "--usb restart -o x" << "";
        QTest::newRow("input on log") << "--usb log -o a.log -i b" << "";
        QTest::newRow("factory reset unconfirmed") << "--usb factory-reset" << "";
        QTest::newRow("confirmation elsewhere") << "--usb restart --yes-really" << "";
        QTest::newRow("short pin") << "--usb --pin 123 state" << "";
        QTest::newRow("letters in pin") << "--usb --pin 12a4 state" << "";
        QTest::newRow("bad pin in variable") << "--usb state" << "73901";
        QTest::newRow("unknown option") << "--usb --colour state" << "";
    }

    void refusesLinesThatMakeNoSense()
    {
        QFETCH(QString, line);
        QFETCH(QString, variablePin);
        QProcessEnvironment env;
        if (!variablePin.isEmpty())
            env.insert(QLatin1String(CliOptions::PIN_VARIABLE), variablePin);
        CliOptions options;
        QCOMPARE(options.parse(argv(line), env), CliOptions::EOutcome::Error);
        QVERIFY(!options.errorText().isEmpty());
        // The PIN is never repeated back, not even when it is wrong.
        if (!variablePin.isEmpty())
            QVERIFY(!options.errorText().contains(variablePin));
        QVERIFY(!options.errorText().contains(QLatin1String("12a4")));
    }

    void takesTerminalsAndPinAsGiven()
    {
        QProcessEnvironment env;
        env.insert(QLatin1String(CliOptions::PIN_VARIABLE), QStringLiteral("1111"));
        CliOptions options;
        QCOMPARE(options.parse(argv(QStringLiteral("--relay relay.example --id B,A --id B --id C state --group io")), env),
                 CliOptions::EOutcome::Run);
        const TCliOptions &o = options.options();
        QCOMPARE(o.relay.ip, QStringLiteral("relay.example"));
        QCOMPARE(o.relay.port, uint16_t(25501));
        QCOMPARE(o.ids, (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
        QCOMPARE(o.groups, QList<ParameterGroup>{GROUP_IO});
        QCOMPARE(o.pin, QStringLiteral("1111"));
        QVERIFY(!o.fast);

        // The option wins over the variable; no PIN at all keeps the session's default.
        QCOMPARE(options.parse(argv(QStringLiteral("--relay [::1]:26000 --all --pin 2222 state")), env),
                 CliOptions::EOutcome::Run);
        QCOMPARE(options.options().pin, QStringLiteral("2222"));
        QCOMPARE(options.options().relay.ip, QStringLiteral("::1"));
        QCOMPARE(options.options().relay.port, uint16_t(26000));
        QCOMPARE(options.options().groups.size(), 3);
        QCOMPARE(options.parse(argv(QStringLiteral("--usb restart")), QProcessEnvironment()), CliOptions::EOutcome::Run);
        QVERIFY(options.options().pin.isEmpty());

        QCOMPARE(options.parse(argv(QStringLiteral("--help")), env), CliOptions::EOutcome::Help);
        const QString help = options.helpText();
        QVERIFY(help.contains(QLatin1String("--yes-really")));
        QVERIFY(help.contains(QLatin1String("TRIVOX_PIN")));
    }

    void everyParameterHasItsOwnKey()
    {
        QSet<QString> keys;
        for (int row = 0; row < PARAMETER_COUNT; ++row) {
            const QString key = StateReport::keyOf(parameterRow(row).id);
            QVERIFY2(!key.isEmpty(), qPrintable(QString::number(parameterRow(row).id)));
            keys.insert(key);
        }
        QCOMPARE(keys.size(), int(PARAMETER_COUNT));
        QCOMPARE(StateReport::rowsOf({GROUP_SYSTEM, GROUP_IO, GROUP_NETWORK}).size(), int(PARAMETER_COUNT));
        // Counters are listed sent first, but server 5's pair is 2016 and 2020.
        QCOMPARE(StateReport::keyOf(2016), QStringLiteral("server_5_bytes_sent"));
        QCOMPARE(StateReport::keyOf(2020), QStringLiteral("server_5_bytes_received"));
        QCOMPARE(StateReport::keyOf(2015), QStringLiteral("server_4_bytes_received"));

        const QJsonObject io = StateReport::toJson(StateReport::rowsOf({GROUP_IO}));
        QVERIFY(io.contains(QLatin1String("device_type")));
        QVERIFY(io.contains(QLatin1String("external_temperature_10_c")));
        QVERIFY(!io.contains(QLatin1String("imei")));
        QVERIFY(!io.contains(QLatin1String("mcc")));
    }

    void valuesDecodeAsTheViewsShowThem()
    {
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

        const QJsonObject all = StateReport::toJson(StateReport::rowsOf({GROUP_SYSTEM, GROUP_IO, GROUP_NETWORK}));
        QVERIFY(all.value(QLatin1String("external_temperature_4_c")).isNull());
        QVERIFY(all.value(QLatin1String("external_temperature_5_c")).isNull());
        QCOMPARE(all.value(QLatin1String("external_temperature_6_c")).toDouble(), 21.5);
        // Only the 1-Wire sensors have the "no connection" value.
        QCOMPARE(all.value(QLatin1String("internal_temperature_c")).toDouble(), -150.0);
        QCOMPARE(all.value(QLatin1String("supply_voltage_v")).toDouble(), 12.4);
        QCOMPARE(all.value(QLatin1String("uptime_s")).toDouble(), 4294967295.0);
        QCOMPARE(all.value(QLatin1String("imei")).toString(), QString(16, QLatin1Char('7')));
        QCOMPARE(all.value(QLatin1String("firmware_version")).toString(), QStringLiteral("1.2"));
        QCOMPARE(all.value(QLatin1String("server_2_connected")), QJsonValue(true));
        QCOMPARE(all.value(QLatin1String("server_3_connected")), QJsonValue(false));
        QCOMPARE(all.value(QLatin1String("gsm_jamming")), QJsonValue(true));
        QCOMPARE(all.value(QLatin1String("protocol_version")).toInt(), 1);

        const QString table = StateReport::toTable(StateReport::rowsOf({GROUP_IO}));
        QVERIFY(table.contains(QStringLiteral("нет связи")));
        QVERIFY(table.contains(QStringLiteral("Внешний датчик температуры 4")));
    }
};

QTEST_GUILESS_MAIN(CliUnitsTest)
#include "test_cli_units.moc"
