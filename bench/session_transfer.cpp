// The worker's transfers beside a minimal stop-and-wait client doing the same exchanges over
// the same link in the same run, over a pty and through the relay, against the zero-delay
// terminal stand-in; then the CPU an idle connected session costs while it polls the state.
//
// Usage: bench_session_transfer [repetitions=5] [idle seconds=30]

#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"
#include "session/FileDownload.h"
#include "session/FileUpload.h"
#include "session/ParameterGroupRead.h"
#include "session/SessionController.h"
#include "session/TerminalFrames.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

constexpr int BASE_SIZE = 10 * 1024;
constexpr int FIRMWARE_SIZE = 100000;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The floor: one request, then its whole answer, then the next request; nothing else.
class StopAndWait
{
public:
    virtual ~StopAndWait() = default;
    virtual bool send(const QByteArray &frame) = 0;
    virtual QByteArray receive() = 0;

    QByteArray exchange(const QByteArray &frame)
    {
        if (!send(frame))
            return {};
        QByteArray answer;
        while (true) {
            const QByteArray piece = receive();
            if (piece.isEmpty())
                return {};
            answer += piece;
            // Relay pings are not part of the answer.
            while (answer.size() >= 3 && isRelayPacketType(uint8_t(answer.at(2)))
                   && answer.size() >= Packet::claimedSize(answer))
                answer.remove(0, Packet::claimedSize(answer));
            const int size = Packet::claimedSize(answer);
            if (size > 0 && answer.size() >= size)
                return answer.left(size);
        }
    }

    bool authorize() { return !exchange(TerminalFrames::authRequest("7390")).isEmpty(); }

    void readGroup(int first, int last)
    {
        for (int k = first; k <= last; ++k)
            if (parameterRow(k).id != PROTO_VER_ID)
                exchange(TerminalFrames::readRequest(uint32_t(k), parameterRow(k).id, 0));
    }

    int downloadFile(const QByteArray &name)
    {
        uint32_t offset = 0;
        uint32_t total = 0;
        uint32_t wanted = FileDownload::FILE_CHUNK_MAX;
        do {
            const QByteArray answer = exchange(TerminalFrames::fileRequest(name, offset, uint16_t(wanted)));
            const TerminalFrames::FileAnswer file = TerminalFrames::parseFileAnswer(answer, uint16_t(wanted));
            if (file.status != TerminalFrames::FileAnswer::Ok)
                return -1;
            if (offset == 0)
                total = file.fileSize;
            offset += wanted;
            wanted = std::min<uint32_t>(total > offset ? total - offset : 0, FileDownload::FILE_CHUNK_MAX);
        } while (offset < total);
        return int(total);
    }

    bool uploadFile(const QByteArray &name, const QByteArray &data)
    {
        const int count = (data.size() + FileUpload::CHUNK_SIZE - 1) / FileUpload::CHUNK_SIZE;
        for (int i = 0; i < count; ++i) {
            const QByteArray chunk = data.mid(i * FileUpload::CHUNK_SIZE, FileUpload::CHUNK_SIZE);
            if (exchange(TerminalFrames::chunkFrame(name, uint16_t(i + 1), uint16_t(count), chunk)).isEmpty())
                return false;
        }
        return true;
    }
};

class SerialStopAndWait : public StopAndWait
{
public:
    explicit SerialStopAndWait(const QString &path)
    {
        port.setPortName(path);
        port.open(QIODevice::ReadWrite);
        port.setBaudRate(CConfiguratorHandlerPort::USB_BAUD_RATE);
    }
    bool send(const QByteArray &frame) override { return port.write(frame) == frame.size(); }
    QByteArray receive() override { return port.waitForReadyRead(5000) ? port.readAll() : QByteArray(); }
    QSerialPort port;
};

class TcpStopAndWait : public StopAndWait
{
public:
    TcpStopAndWait(quint16 relayPort, const QByteArray &id)
    {
        socket.connectToHost(QStringLiteral("127.0.0.1"), relayPort);
        socket.waitForConnected(2000);
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QByteArray record(57, '\0');
        record.replace(0, id.size(), id);
        exchange(Packet::assemble(PACKET_CONNECT_TO_DEVICE, record));
    }
    bool send(const QByteArray &frame) override
    {
        socket.write(frame);
        return socket.waitForBytesWritten(5000);
    }
    QByteArray receive() override
    {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(5000))
            return {};
        return socket.readAll();
    }
    QTcpSocket socket;
};

struct Row {
    QString link;
    QString operation;
    double worker = 0;
    double floor = 0;
};

// The transactions tell their progress as the session does, to nobody.
class Progress : public TTransaction::Report
{
public:
    void status(const TSessionProgress &p) override { texts += progressText(p).size(); }
    void bar(int value) override { texts += value; }
    int texts = 0;
};

double timeIt(const std::function<void()> &f)
{
    QElapsedTimer clock;
    clock.start();
    f();
    return double(clock.nsecsElapsed()) / 1e6;
}

// Times the worker's three transfers and the floor's, alternating, over one link.
void measure(const QString &link, SessionHarness &session, StopAndWait &floor, int repetitions, QList<Row> *rows)
{
    uint16_t first = 0;
    uint16_t last = 0;
    groupBounds(GROUP_NETWORK, &first, &last);
    QByteArray firmware(FIRMWARE_SIZE, '\0');
    for (int i = 0; i < firmware.size(); ++i)
        firmware[i] = char(i * 13);

    QList<double> w[3];
    QList<double> f[3];
    usb_handler *worker = session.worker();
    Progress progress;
    std::atomic<uint8_t> irq{0};
    // Each transaction as the session runs it: in the worker's thread, over its link.
    auto transaction = [&] {
        TTransaction t;
        t.link = worker->port()->terminalLink();
        t.cancel = &worker->controller()->cancelFlag();
        t.report = &progress;
        return t;
    };
    for (int r = 0; r < repetitions; ++r) {
        session.inWorker([&] {
            w[0] << timeIt([&] { ParameterGroupRead::run(transaction(), GROUP_NETWORK, irq, [](int, const QByteArray &, bool) {}); });
        });
        f[0] << timeIt([&] { floor.readGroup(first, last); });
        QCoreApplication::processEvents();
        session.inWorker([&] {
            QByteArray out;
            w[1] << timeIt([&] { FileDownload::run(transaction(), "BASE", &out); });
        });
        f[1] << timeIt([&] { floor.downloadFile("BASE"); });
        QCoreApplication::processEvents();
        session.inWorker([&] { w[2] << timeIt([&] { FileUpload::run(transaction(), "FIRMWARE", firmware); }); });
        f[2] << timeIt([&] { floor.uploadFile("FIRMWARE", firmware); });
        // The stand-ins report every request on their output: keep their pipes drained.
        QCoreApplication::processEvents();
    }
    const char *names[3] = {"group 2 read (23 rows)", "BASE download (10 KiB)", "firmware upload (100000 B)"};
    for (int i = 0; i < 3; ++i)
        rows->append({link, QString::fromLatin1(names[i]), median(w[i]), median(f[i])});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int idleSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 30;
    if (qEnvironmentVariableIsEmpty("TRIVOX_PEERS_DIR"))
        qputenv("TRIVOX_PEERS_DIR", RelayProcess::peersDir().toLocal8Bit());
    // The transfers are timed, not logged.
    if (qEnvironmentVariableIsEmpty("TRIVOX_BENCH_DEBUG"))
        QLoggingCategory::setFilterRules(QStringLiteral("trivox.*.debug=false"));
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    const QStringList base{QStringLiteral("--base-size"), QString::number(BASE_SIZE)};
    QList<Row> rows;

    {
        // The worker and the floor take turns on the one pty: the port is opened by
        // whichever runs, so the floor gets its own terminal.
        TerminalProcess forWorker;
        TerminalProcess forFloor;
        if (!forWorker.start(QStringList{QStringLiteral("--pty")} + base) || !forFloor.start(QStringList{QStringLiteral("--pty")} + base)) {
            std::fprintf(stderr, "terminal stand-in did not start\n");
            return 1;
        }
        SessionHarness session;
        if (!session.connectUsb(forWorker.ptyPath())) {
            std::fprintf(stderr, "no session over the pty\n");
            return 1;
        }
        SerialStopAndWait floor(forFloor.ptyPath());
        floor.authorize();
        measure(QStringLiteral("pty"), session, floor, repetitions, &rows);
    }

    double idleCpu = 0;
    {
        RelayProcess relay({QStringLiteral("--ping-ms"), QStringLiteral("0")});
        TerminalProcess forWorker;
        TerminalProcess forFloor;
        const QString address = QStringLiteral("127.0.0.1:%1").arg(relay.terminalPort());
        forWorker.start(QStringList{QStringLiteral("--relay"), address, QStringLiteral("--id"), QStringLiteral("W")} + base);
        forFloor.start(QStringList{QStringLiteral("--relay"), address, QStringLiteral("--id"), QStringLiteral("F")} + base);
        SessionHarness session;
        if (!session.connectRelay(relay.configuratorPort(), QStringLiteral("W"))) {
            std::fprintf(stderr, "no session through the relay: %s\n", qPrintable(session.statusTexts().join(QStringLiteral(", "))));
            std::fprintf(stderr, "relay: %s\nterminal: %s\n", qPrintable(relay.events().join(QLatin1Char('|'))), qPrintable(forWorker.events().join(QLatin1Char('|'))));
            return 1;
        }
        TcpStopAndWait floor(relay.configuratorPort(), "F");
        floor.authorize();
        measure(QStringLiteral("relay"), session, floor, repetitions, &rows);

        // Idle: connected, the state page shown, one tick a second as the window gives it.
        session.worker()->on_current_state_tab_changed(GROUP_SYSTEM);
        session.worker()->on_start_update_state();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, session.worker(), &usb_handler::on_regular_timer, Qt::DirectConnection);
        tick.start(1000);
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = cpuSeconds();
        QTimer::singleShot(idleSeconds * 1000, &app, &QCoreApplication::quit);
        app.exec();
        idleCpu = 100.0 * (cpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
    }

    std::printf("| link | operation | worker ms | stop-and-wait ms | ratio |\n|---|---|---|---|---|\n");
    for (const Row &r : rows)
        std::printf("| %s | %s | %.1f | %.1f | %.2f |\n", qPrintable(r.link), qPrintable(r.operation), r.worker,
                    r.floor, r.floor > 0 ? r.worker / r.floor : 0.0);
    std::printf("| relay | idle connected session, state polled every 1 s (%d s) | %.2f %% of one core | | |\n",
                idleSeconds, idleCpu);
    return 0;
}
