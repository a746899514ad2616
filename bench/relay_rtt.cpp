// Round trip of a small request and its answer through the relay stand-in on loopback,
// beside the same exchange over a plain socket straight to the terminal (the floor).
// Usage: bench_relay_rtt [exchanges]   (default 1000)

#include "support/FakeTerminal.h"
#include "support/RelayProcess.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int WARM_UP = 50;
constexpr int ANSWER_WAIT_MS = 10000;

bool frameComplete(const QByteArray &bytes)
{
    const int size = Packet::claimedSize(bytes);
    return size >= 0 && bytes.size() >= size;
}

// Runs the exchange, returns the round trips in microseconds (empty on the first failure).
std::vector<qint64> measure(int rounds, const std::function<bool()> &exchange)
{
    for (int i = 0; i < WARM_UP; ++i) {
        if (!exchange())
            return {};
    }
    std::vector<qint64> micros;
    micros.reserve(size_t(rounds));
    QElapsedTimer timer;
    for (int i = 0; i < rounds; ++i) {
        timer.start();
        if (!exchange())
            return {};
        micros.push_back(timer.nsecsElapsed() / 1000);
    }
    std::sort(micros.begin(), micros.end());
    return micros;
}

void report(const char *label, const std::vector<qint64> &micros)
{
    if (micros.empty()) {
        std::printf("%-28s failed\n", label);
        return;
    }
    const auto at = [&](double q) { return micros[std::min(micros.size() - 1, size_t(q * double(micros.size())))]; };
    std::printf("%-28s median %6lld us   p90 %6lld us   max %6lld us   (%zu exchanges)\n", label,
                static_cast<long long>(at(0.5)), static_cast<long long>(at(0.9)),
                static_cast<long long>(micros.back()), micros.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("trivox.*.debug=false"));
    qputenv("QT_LOGGING_RULES", "trivox.*.debug=false"); // for the relay process too
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const QByteArray request = Packet::assemble(PACKET_REQUEST, QByteArray(16, 'q'));

    RelayProcess relay({QStringLiteral("--ping-ms"), QStringLiteral("0")});
    if (!relay.isReady()) {
        std::fprintf(stderr, "the relay stand-in did not start (looked in %s)\n", qPrintable(RelayProcess::peersDir()));
        return 1;
    }
    FakeTerminal terminal(relay.terminalPort(), "BENCH-1", "bench");
    if (!relay.waitForEvent(QStringLiteral("REGISTERED BENCH-1"))) {
        std::fprintf(stderr, "the terminal did not register\n");
        return 1;
    }
    CConfiguratorHandlerPort port;
    if (!port.updateServerParameters({QStringLiteral("127.0.0.1"), relay.configuratorPort()})
        || port.findDevice({RelayCodec::makeRecord("BENCH-1", "bench"), 1}) != CONNECT_OK) {
        std::fprintf(stderr, "cannot reach the terminal through the relay: %s\n", qPrintable(port.errorString()));
        return 1;
    }
    const auto viaRelay = measure(rounds, [&] {
        QByteArray bytes = request;
        if (port.write(bytes, uint64_t(bytes.size())) != uint64_t(bytes.size()))
            return false;
        QByteArray answer;
        while (!frameComplete(answer)) {
            if (!port.waitForReadyRead(ANSWER_WAIT_MS))
                return false;
            answer += port.readAll();
        }
        return true;
    });

    // The floor: the terminal registers with a plain listener, which then talks to it.
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    FakeTerminal direct(listener.serverPort(), "FLOOR", "floor");
    QTcpSocket *socket = listener.waitForNewConnection(5000) ? listener.nextPendingConnection() : nullptr;
    QByteArray registration;
    while (socket && !frameComplete(registration) && socket->waitForReadyRead(5000))
        registration += socket->readAll();
    if (!socket || !frameComplete(registration)) {
        std::fprintf(stderr, "the floor terminal did not connect\n");
        return 1;
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const auto floor = measure(rounds, [&] {
        socket->write(request);
        QByteArray answer;
        while (!frameComplete(answer)) {
            if (!socket->waitForReadyRead(ANSWER_WAIT_MS))
                return false;
            answer += socket->readAll();
        }
        return true;
    });

    report("through the relay stand-in", viaRelay);
    report("straight to the terminal", floor);
    return viaRelay.empty() || floor.empty() ? 1 : 0;
}
