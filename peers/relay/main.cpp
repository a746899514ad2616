#include "RelayServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

bool parsePort(const QString &text, quint16 *port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trivox-relay-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in relay server between configurators and terminals."));
    parser.addHelpOption();
    const QCommandLineOption hostOpt(QStringLiteral("host"), QStringLiteral("Address to listen on."),
                                     QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOpt(QStringLiteral("port"), QStringLiteral("Configurator port (0: any free)."),
                                     QStringLiteral("port"), QStringLiteral("25501"));
    const QCommandLineOption terminalPortOpt(QStringLiteral("terminal-port"),
                                             QStringLiteral("Terminal port (0: any free)."), QStringLiteral("port"),
                                             QStringLiteral("25502"));
    const QCommandLineOption pingOpt(QStringLiteral("ping-ms"),
                                     QStringLiteral("Keep-alive probe interval in ms (0: none)."),
                                     QStringLiteral("ms"), QStringLiteral("5000"));
    const QCommandLineOption pingBeforeOpt(QStringLiteral("ping-before-answer"),
                                           QStringLiteral("Probe just before every answer and forwarded packet."));
    const QCommandLineOption splitOpt(QStringLiteral("split"),
                                      QStringLiteral("Forward terminal packets in pieces of N bytes."),
                                      QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption listFaultOpt(QStringLiteral("list-fault"),
                                          QStringLiteral("Answer device list requests wrongly: silent, garbage, "
                                                         "bad-crc or close."),
                                          QStringLiteral("fault"), QStringLiteral("none"));
    parser.addOptions({hostOpt, portOpt, terminalPortOpt, pingOpt, pingBeforeOpt, splitOpt, listFaultOpt});
    parser.process(app);

    TRelayOptions options;
    bool ok = options.host.setAddress(parser.value(hostOpt));
    ok = ok && parsePort(parser.value(portOpt), &options.configuratorPort);
    ok = ok && parsePort(parser.value(terminalPortOpt), &options.terminalPort);
    bool numberOk = false;
    options.pingMs = parser.value(pingOpt).toInt(&numberOk);
    ok = ok && numberOk && options.pingMs >= 0;
    options.split = parser.value(splitOpt).toInt(&numberOk);
    ok = ok && numberOk && options.split >= 0;
    options.pingBeforeAnswer = parser.isSet(pingBeforeOpt);
    ok = ok && TRelayOptions::parseListFault(parser.value(listFaultOpt), &options.listFault);
    if (!ok) {
        std::fprintf(stderr, "invalid option value; see --help\n");
        return 2;
    }

    RelayServer server(options);
    if (!server.start())
        return 1;
    return app.exec();
}
