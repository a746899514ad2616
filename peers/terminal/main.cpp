// trivox-terminal-sim: a stand-in for a telemetry terminal, for tests, benchmarks and demos.
//
//   trivox-terminal-sim [--pty] [--relay HOST:PORT] [--id TEXT] [--name TEXT] [--reboot-ms N]
//                       [--log-size N] [--base-size N] [--<switch> VALUE ...]
//
// --pty serves a pseudo-terminal and prints "PTY <slave path>"; --relay registers with the
// relay's terminal port and prints "REGISTERED <id>" (again after every reconnect). Both may
// be given. Switches (also "set <switch> <value>" on standard input, see ControlInput):
// delay, silent, split, corrupt-crc, wrong-type, wrong-uuid, wrong-result, stale, file-busy, file-size,
// drop-after-chunks, pin, auto-attach.
//
// Standard output carries one event line per happening, flushed at once: AUTH OK, AUTH BAD,
// READ <id> <sub>, WRITE <id> <sub> <hex>, WRITE_REJECTED <id> <sub>, COMMAND <code>,
// GET_FILE <name> <offset> <len>, CHUNK <name> <i>/<n> <len>, SETTINGS_APPLIED <bytes>,
// SETTINGS_REJECTED, FIRMWARE <size> <crc32 hex>, OUTPUT 1 <0|1>, ENROLMENT ON|OFF,
// SENSOR_ENROLLED <slot> <hex>, DENIED <type>, MALFORMED <type> <payload size>, BAD_CRC,
// DISCARDED <n>, IGNORED <type>, LINK_DOWN <type>, REBOOT pty|relay, LINK_DROPPED pty|relay,
// UNBOUND, RELAY_DOWN, RELAY_ERROR <text>, and the answers to control lines.

#include "peers/terminal/ControlInput.h"
#include "peers/terminal/EventLog.h"
#include "peers/terminal/FaultSwitches.h"
#include "peers/terminal/PtyLink.h"
#include "peers/terminal/RelayLink.h"
#include "peers/terminal/TerminalDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "trivox-terminal-sim: %s\n", qPrintable(message));
    return 2;
}

bool parseSize(const QString &text, int *out)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0 || n > 16 * 1024 * 1024)
        return false;
    *out = n;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trivox-terminal-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in terminal for the configurator"));
    parser.addHelpOption();
    const QCommandLineOption pty(QStringLiteral("pty"), QStringLiteral("Serve a pseudo-terminal."));
    const QCommandLineOption relay(QStringLiteral("relay"), QStringLiteral("Register with the relay."),
                                   QStringLiteral("host:port"));
    const QCommandLineOption id(QStringLiteral("id"), QStringLiteral("Identifier at the relay."),
                                QStringLiteral("text"), QStringLiteral("TRX-0001"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Name at the relay."),
                                  QStringLiteral("text"), QStringLiteral("Терминал"));
    const QCommandLineOption rebootMs(QStringLiteral("reboot-ms"), QStringLiteral("Time to come back."),
                                      QStringLiteral("ms"), QStringLiteral("1000"));
    const QCommandLineOption logSize(QStringLiteral("log-size"), QStringLiteral("Size of the LOG file."),
                                     QStringLiteral("bytes"), QString::number(TerminalDevice::DEFAULT_LOG_SIZE));
    const QCommandLineOption baseSize(QStringLiteral("base-size"), QStringLiteral("Pad BASE to this size."),
                                      QStringLiteral("bytes"), QStringLiteral("0"));
    parser.addOptions({pty, relay, id, name, rebootMs, logSize, baseSize});
    const QStringList switchNames = FaultSwitches::names();
    for (const QString &s : switchNames)
        parser.addOption(QCommandLineOption(s, QStringLiteral("Fault switch %1.").arg(s), QStringLiteral("value")));
    parser.process(app);

    if (!parser.isSet(pty) && !parser.isSet(relay))
        return fail(QStringLiteral("give --pty, --relay HOST:PORT or both"));

    FaultSwitches faults;
    if (parser.isSet(QStringLiteral("pin"))) {
        QString error;
        if (!faults.set(QStringLiteral("pin"), parser.value(QStringLiteral("pin")), &error))
            return fail(error);
        faults = FaultSwitches(faults.pin);
    }
    for (const QString &s : switchNames) {
        QString error;
        if (parser.isSet(s) && !faults.set(s, parser.value(s), &error))
            return fail(error);
    }

    TerminalDevice::Config config;
    int reboot = 0;
    if (!parseSize(parser.value(logSize), &config.logSize) || !parseSize(parser.value(baseSize), &config.baseSize)
        || !parseSize(parser.value(rebootMs), &reboot))
        return fail(QStringLiteral("--log-size, --base-size and --reboot-ms take a number"));

    TerminalDevice device(config, &faults);
    ControlInput control(&device, &faults);

    std::unique_ptr<PtyLink> ptyLink;
    std::unique_ptr<RelayLink> relayLink;
    if (parser.isSet(pty)) {
        ptyLink = std::make_unique<PtyLink>(&device, &faults);
        QString error;
        if (!ptyLink->open(&error))
            return fail(error);
        EventLog::line(QStringLiteral("PTY ") + ptyLink->slavePath());
    }
    if (parser.isSet(relay)) {
        const QString address = parser.value(relay);
        const int colon = int(address.lastIndexOf(QLatin1Char(':')));
        bool ok = false;
        const uint port = colon > 0 ? address.mid(colon + 1).toUInt(&ok) : 0;
        if (!ok || port == 0 || port > 0xFFFF)
            return fail(QStringLiteral("--relay wants HOST:PORT, not '%1'").arg(address));
        relayLink = std::make_unique<RelayLink>(address.left(colon), quint16(port), parser.value(id),
                                                parser.value(name), reboot, &device, &faults);
        relayLink->start();
    }
    return app.exec();
}
