// A long connected session through the relay stand-in, driven as the window drives it: the
// state polled once a second with the state tab rotating, the relay pinging every 100 ms,
// and settings download / edit / upload cycles with a log download now and then. Reports
// resident memory and the transfer counts, and fails on memory growth after the warm-up, on
// any failed or corrupted transfer and on losing the session.
//
// Usage: bench_soak [seconds=600] [--warm-up S] [--tolerance-kib N] [--pause-ms N]
//                   [--log-every N] [--ping-ms N]

#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QMutex>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

constexpr int STATE_TICK_MS = 1000;
constexpr int STATE_TABS = 3;                 // system, inputs/outputs, network
constexpr int TRANSFER_LIMIT_MS = 60000;      // far beyond any chunk's own time limit
constexpr int SAMPLE_MS = 5000;
constexpr int PROGRESS_MS = 60000;
constexpr int PINGS_IN_FLIGHT = 3;            // sent by the worker, not yet counted by the relay
// A transfer here takes well under 0.1 s; one that takes seconds ran a wait into its limit.
constexpr int STALL_MS = 2500;

// Resident set size in KiB, of this process or of a child; -1 when unknown.
qint64 residentKib(qint64 pid = 0)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).simplified().split(' ').value(0).toLongLong();
    }
    return -1;
}

QString mib(qint64 kib)
{
    return kib < 0 ? QStringLiteral("?") : QString::number(double(kib) / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

// Debug lines of the worker and its port, counted and dropped: printed, ten minutes of them
// would bury the report, and kept, they would be the growth we look for.
std::atomic<qint64> pingsSeen{0};
std::atomic<qint64> anomalies{0};
// Connecting has lines of its own (the device list's socket closes); counted from then on.
std::atomic<bool> watching{false};
QtMessageHandler previousHandler = nullptr;
QMutex firstAnomalyLock;
QString firstAnomaly;

bool isAnomaly(const QString &text)
{
    static const char *const marks[] = {"WARNING", "ERROR", "Recv ", "Incomplete answer", "Cancelled",
                                        "GET_FILE_", "Wrong size", "Error ", "runs past", "not found",
                                        "Socket disconnected", "lost", "cannot be sent"};
    for (const char *mark : marks) {
        if (text.contains(QLatin1String(mark)))
            return true;
    }
    // The port's own failure texts ("could not send", "socket closed") are Russian.
    return text.contains(QStringLiteral("Не удалось")) || text.contains(QStringLiteral("Сокет закрыт"));
}

void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool ours = context.category && std::strncmp(context.category, "trivox.", 7) == 0;
    if (!ours || type != QtDebugMsg) {
        previousHandler(type, context, text);
        return;
    }
    if (text == QLatin1String("PING")) {
        ++pingsSeen;
        return;
    }
    if (watching.load() && isAnomaly(text)) {
        ++anomalies;
        QMutexLocker lock(&firstAnomalyLock);
        if (firstAnomaly.isEmpty())
            firstAnomaly = text;
    }
}

// A stand-in as a child process whose event lines are counted by their first word and not
// kept, so that its chatter does not grow this process.
class CountedChild
{
public:
    CountedChild(const QString &program, const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { collect(); });
        m_process.start(program, arguments);
    }
    ~CountedChild()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    CountedChild(const CountedChild &) = delete;
    CountedChild &operator=(const CountedChild &) = delete;

    qint64 count(const QString &word) const { return m_counts.value(word); }
    qint64 pid() const { return m_process.processId(); }
    // The last word of the last line that began with these words.
    QString last(const QString &words) const { return m_last.value(words); }

    bool waitFor(const QString &word, qint64 times = 1, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return count(word) >= times; }, timeoutMs);
    }

private:
    void collect()
    {
        m_partial.append(m_process.readAllStandardOutput());
        int newline;
        while ((newline = m_partial.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(m_partial.constData(), newline).trimmed();
            m_partial.remove(0, newline + 1);
            const int blank = line.indexOf(QLatin1Char(' '));
            const QString word = blank < 0 ? line : line.left(blank);
            ++m_counts[word];
            // Only the listeners' ports are read back; "LISTEN terminal 4711" is kept under
            // "LISTEN terminal".
            if (word == QLatin1String("LISTEN")) {
                const int second = line.lastIndexOf(QLatin1Char(' '));
                m_last[line.left(second)] = line.mid(second + 1);
            }
        }
    }

    QProcess m_process;
    QByteArray m_partial;
    QHash<QString, qint64> m_counts;
    QHash<QString, QString> m_last;
};

// What the worker reported, as the window would take it, in counters only.
struct Outcomes : QObject {
    qint64 stateReads = 0;     // state ticks carried out: "connected" status after each
    qint64 downloads = 0;
    qint64 uploads = 0;
    qint64 logs = 0;
    qint64 failures = 0;
    qint64 disconnects = 0;
    QString firstFailure;
    QByteArray log;            // the log download in progress

    explicit Outcomes(usb_handler *worker)
    {
        const auto q = Qt::QueuedConnection;
        connect(worker, &usb_handler::status_message, this, [this](const QString &text) { status(text); }, q);
        connect(worker, &usb_handler::device_disconnected, this, [this](bool lost) {
            ++disconnects;
            fail(lost ? QStringLiteral("session lost") : QStringLiteral("session ended"));
        }, q);
        connect(worker, &usb_handler::log_data, this, [this](const QByteArray &piece) { log += piece; }, q);
    }

    void status(const QString &text)
    {
        if (text == QStringLiteral("Устройство подключено"))
            ++stateReads;
        else if (text == QStringLiteral("Настройки загружены"))
            ++downloads;
        else if (text == QStringLiteral("Настройки переданы"))
            ++uploads;
        else if (text == QStringLiteral("LOG файл успешно загружен"))
            ++logs;
        else if (text.startsWith(QStringLiteral("Ошибка")) || text.contains(QStringLiteral("не отвечает")))
            fail(text);
    }

    void fail(const QString &why)
    {
        if (failures++ == 0)
            firstFailure = why;
    }
};

struct Options {
    int seconds = 600;
    int warmUpSeconds = -1;   // default: a minute, or a fifth of a shorter run
    // Ten minutes make some 4000 cycles after the warm-up (two settings transfers each), 540
    // state reads and 5400 pings: 2 MiB catches a leak of half a KiB a cycle, less than one
    // settings image, yet stays far above the allocator's drift over such a run (0.1 MiB).
    int toleranceKib = 2048;
    int pauseMs = 100;
    int logEvery = 10;
    int pingMs = 100;
};

bool parseOptions(const QStringList &args, Options *o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        bool ok = true;
        auto next = [&](int min) {
            const int v = args.value(++i).toInt(&ok);
            ok = ok && v >= min;
            return v;
        };
        if (a == QLatin1String("--warm-up"))
            o->warmUpSeconds = next(1);
        else if (a == QLatin1String("--tolerance-kib"))
            o->toleranceKib = next(0);
        else if (a == QLatin1String("--pause-ms"))
            o->pauseMs = next(0);
        else if (a == QLatin1String("--log-every"))
            o->logEvery = next(1);
        else if (a == QLatin1String("--ping-ms"))
            o->pingMs = next(1);
        else if (i == 1 && !a.startsWith(QLatin1Char('-'))) {
            o->seconds = a.toInt(&ok);
            ok = ok && o->seconds >= 10;
        } else
            ok = false;
        if (!ok) {
            std::fprintf(stderr,
                         "usage: bench_soak [seconds >= 10, default 600] [--warm-up S] [--tolerance-kib N] "
                         "[--pause-ms N] [--log-every N] [--ping-ms N]\n");
            return false;
        }
    }
    if (o->warmUpSeconds < 0)
        o->warmUpSeconds = std::min(60, o->seconds / 5);
    if (o->warmUpSeconds >= o->seconds) {
        std::fprintf(stderr, "the warm-up must end before the run does\n");
        return false;
    }
    return true;
}

// The two fields each cycle edits and expects back from the next download: a number and a
// text, so a lost, stale or shifted upload shows.
void editSettings(qint64 cycle)
{
    const uint16_t hold = uint16_t(cycle % 60000 + 1);
    SettingsStorage.sessionHold[MAX_SERVERS - 1][0] = uint8_t(hold & 0xFF);
    SettingsStorage.sessionHold[MAX_SERVERS - 1][1] = uint8_t(hold >> 8);
    const QByteArray phone = "+7900" + QByteArray::number(cycle % 10000000).rightJustified(7, '0');
    std::memset(SettingsStorage.phones[MAX_PHONES - 1], 0, PHONE_SIZE);
    std::memcpy(SettingsStorage.phones[MAX_PHONES - 1], phone.constData(), size_t(phone.size()));
}

QByteArray editedFields()
{
    return QByteArray(reinterpret_cast<const char *>(SettingsStorage.sessionHold[MAX_SERVERS - 1]), 2)
         + QByteArray(reinterpret_cast<const char *>(SettingsStorage.phones[MAX_PHONES - 1]), PHONE_SIZE);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    if (!parseOptions(app.arguments(), &options))
        return 2;

    const qint64 rssStart = residentKib();
    // The worker's lines are counted, so they must be produced; the stand-ins stay quiet.
    QLoggingCategory::setFilterRules(QStringLiteral("trivox.session.debug=true\ntrivox.transport.debug=true"));
    qputenv("QT_LOGGING_RULES", "trivox.*.debug=false");
    previousHandler = qInstallMessageHandler(countingHandler);
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);

    const QString peers = RelayProcess::peersDir();
    CountedChild relay(peers + QStringLiteral("/trivox-relay-sim"),
                       {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--terminal-port"),
                        QStringLiteral("0"), QStringLiteral("--ping-ms"), QString::number(options.pingMs)});
    if (!relay.waitFor(QStringLiteral("LISTEN"), 2)) {
        std::fprintf(stderr, "the relay stand-in did not start (looked in %s)\n", qPrintable(peers));
        return 1;
    }
    const quint16 configuratorPort = quint16(relay.last(QStringLiteral("LISTEN configurator")).toUInt());
    const quint16 terminalPort = quint16(relay.last(QStringLiteral("LISTEN terminal")).toUInt());
    CountedChild terminal(peers + QStringLiteral("/trivox-terminal-sim"),
                          {QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(terminalPort),
                           QStringLiteral("--id"), QStringLiteral("SOAK-1"), QStringLiteral("--name"),
                           QStringLiteral("soak")});
    if (!terminal.waitFor(QStringLiteral("REGISTERED")) || !relay.waitFor(QStringLiteral("REGISTERED"))) {
        std::fprintf(stderr, "the terminal stand-in did not register with the relay\n");
        return 1;
    }

    // The window's own time limits, not the tests' short ones: a slow moment on a busy
    // machine is not a lost terminal.
    SessionHarness session{TSessionTimeouts{}, TTransportTimeouts{}};
    usb_handler *worker = session.worker();
    Outcomes outcomes(worker);
    if (!session.connectRelay(configuratorPort, QStringLiteral("SOAK-1"), 20000)) {
        std::fprintf(stderr, "no session through the relay: %s\n",
                     qPrintable(session.statusTexts().join(QStringLiteral(", "))));
        return 1;
    }
    QTest::qWait(200);
    // The harness's recorder keeps every signal; it is emptied after every cycle.
    session.clear();
    const qint64 rssConnected = residentKib();
    const qint64 readsBefore = outcomes.stateReads;
    const qint64 disconnectsBefore = outcomes.disconnects;
    watching.store(true);

    QElapsedTimer clock;
    clock.start();
    const qint64 endMs = qint64(options.seconds) * 1000;
    const qint64 warmUpMs = qint64(options.warmUpSeconds) * 1000;

    // The window: a one-second tick while the state page is shown; the user flips tabs.
    qint64 ticks = 0;
    int tab = 0;
    worker->on_start_update_state();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        QMetaObject::invokeMethod(worker, "on_current_state_tab_changed", Qt::QueuedConnection, Q_ARG(int, tab));
        tab = (tab + 1) % STATE_TABS;
        worker->on_regular_timer();
        ++ticks;
    });
    tick.start(STATE_TICK_MS);

    qint64 cycles = 0;
    qint64 rssWarm = -1;
    qint64 rssPeakAfterWarmUp = -1;
    qint64 relayRssWarm = -1;
    qint64 terminalRssWarm = -1;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const qint64 rss = residentKib();
        if (rssWarm < 0 && now >= warmUpMs) {
            rssWarm = rss;
            relayRssWarm = residentKib(relay.pid());
            terminalRssWarm = residentKib(terminal.pid());
        }
        if (rssWarm >= 0)
            rssPeakAfterWarmUp = std::max(rssPeakAfterWarmUp, rss);
        if (now / PROGRESS_MS != (now - SAMPLE_MS) / PROGRESS_MS)
            std::fprintf(stderr, "[%4lld s] resident %s, cycles %lld, state reads %lld, pings answered %lld\n",
                         static_cast<long long>(now / 1000), qPrintable(mib(rss)), static_cast<long long>(cycles),
                         static_cast<long long>(outcomes.stateReads - readsBefore),
                         static_cast<long long>(relay.count(QStringLiteral("PING_ANSWER"))));
    });
    sampler.start(SAMPLE_MS);

    QStringList problems;
    qint64 longestWaitMs = 0;
    QStringList stalls;
    // Waits for a counter to reach target; false on a failure reported meanwhile or on silence.
    auto await = [&](const qint64 &counter, qint64 target, const char *what) {
        QElapsedTimer waited;
        waited.start();
        const bool done = QTest::qWaitFor([&] { return counter >= target || outcomes.failures > 0; }, TRANSFER_LIMIT_MS);
        longestWaitMs = std::max(longestWaitMs, waited.elapsed());
        if (waited.elapsed() > STALL_MS)
            stalls << QStringLiteral("cycle %1, %2 at %3 s took %4 ms")
                          .arg(cycles)
                          .arg(QLatin1String(what))
                          .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1)
                          .arg(waited.elapsed());
        if (outcomes.failures > 0 || !done) {
            problems << QStringLiteral("cycle %1, %2: %3")
                            .arg(cycles)
                            .arg(QLatin1String(what))
                            .arg(outcomes.failures > 0 ? outcomes.firstFailure : QStringLiteral("no outcome within a minute"));
            return false;
        }
        return true;
    };

    QByteArray expected;
    QByteArray logReference;
    qint64 cycleMsTotal = 0;
    while (clock.elapsed() < endMs && problems.isEmpty()) {
        ++cycles;
        const qint64 cycleStart = clock.elapsed();
        worker->on_download_settings();
        if (!await(outcomes.downloads, outcomes.downloads + 1, "BASE download"))
            break;
        if (!expected.isEmpty() && editedFields() != expected) {
            problems << QStringLiteral("cycle %1: the download did not bring back the uploaded settings (%2, expected %3)")
                            .arg(cycles)
                            .arg(QString::fromLatin1(editedFields().toHex()), QString::fromLatin1(expected.toHex()));
            break;
        }
        editSettings(cycles);
        expected = editedFields();
        worker->on_upload_settings();
        if (!await(outcomes.uploads, outcomes.uploads + 1, "settings upload"))
            break;
        if (cycles % options.logEvery == 0) {
            outcomes.log.clear();
            QMetaObject::invokeMethod(worker, "on_download_log", Qt::QueuedConnection);
            if (!await(outcomes.logs, outcomes.logs + 1, "log download"))
                break;
            // The stand-in's log does not change, so every download must bring the same bytes.
            if (logReference.isEmpty()) {
                logReference = outcomes.log;
            } else if (outcomes.log != logReference) {
                problems << QStringLiteral("cycle %1: log of %2 bytes differs from the first one of %3 bytes")
                                .arg(cycles).arg(outcomes.log.size()).arg(logReference.size());
                break;
            }
            outcomes.log.clear();
        }
        cycleMsTotal += clock.elapsed() - cycleStart;
        session.clear();
        if (options.pauseMs > 0)
            QTest::qWait(options.pauseMs);
    }
    tick.stop();
    sampler.stop();
    const double elapsedS = double(clock.elapsed()) / 1000.0;
    // The tick that may be running still is counted once its status arrives.
    QTest::qWait(1500);
    const qint64 rssEnd = residentKib();
    const qint64 relayRssEnd = residentKib(relay.pid());
    const qint64 terminalRssEnd = residentKib(terminal.pid());

    // Every ping the worker took must reach the relay as an answer; a few may be on the way.
    const qint64 pingsTaken = pingsSeen.load();
    relay.waitFor(QStringLiteral("PING_ANSWER"), pingsTaken, 2000);
    const qint64 pingsAnswered = relay.count(QStringLiteral("PING_ANSWER"));
    const qint64 stateReads = outcomes.stateReads - readsBefore;

    if (outcomes.disconnects > disconnectsBefore && problems.isEmpty())
        problems << QStringLiteral("the session ended: %1").arg(outcomes.firstFailure);
    if (pingsAnswered + PINGS_IN_FLIGHT < pingsTaken)
        problems << QStringLiteral("%1 pings reached the worker but only %2 answers the relay").arg(pingsTaken).arg(pingsAnswered);
    const qint64 pingsDue = qint64(elapsedS * 1000.0) / options.pingMs;
    if (pingsAnswered < pingsDue / 2)
        problems << QStringLiteral("only %1 pings answered of about %2 sent").arg(pingsAnswered).arg(pingsDue);
    // A pass that takes longer than a second merges ticks; polling must still keep up.
    if (stateReads * 10 < ticks * 8)
        problems << QStringLiteral("state read %1 times for %2 ticks").arg(stateReads).arg(ticks);
    if (terminal.count(QStringLiteral("SETTINGS_APPLIED")) != outcomes.uploads)
        problems << QStringLiteral("the terminal applied %1 settings images, the worker sent %2")
                        .arg(terminal.count(QStringLiteral("SETTINGS_APPLIED"))).arg(outcomes.uploads);
    for (const char *word : {"SETTINGS_REJECTED", "DENIED", "MALFORMED", "BAD_CRC", "DISCARDED", "IGNORED",
                             "LINK_DOWN", "LINK_DROPPED", "UNBOUND", "RELAY_DOWN", "RELAY_ERROR", "REBOOT"}) {
        if (const qint64 n = terminal.count(QLatin1String(word)))
            problems << QStringLiteral("the terminal reported %1 %2 times").arg(QLatin1String(word)).arg(n);
    }
    for (const char *word : {"UNBOUND", "GONE"}) {
        if (const qint64 n = relay.count(QLatin1String(word)))
            problems << QStringLiteral("the relay reported %1 %2 times").arg(QLatin1String(word)).arg(n);
    }
    if (!stalls.isEmpty())
        problems << QStringLiteral("%1 transfers stalled beyond %2 ms: %3")
                        .arg(stalls.size())
                        .arg(STALL_MS)
                        .arg(stalls.mid(0, 5).join(QStringLiteral("; ")));
    if (anomalies.load() > 0) {
        QMutexLocker lock(&firstAnomalyLock);
        problems << QStringLiteral("%1 warning lines from the worker, the first: %2").arg(anomalies.load()).arg(firstAnomaly);
    }
    if (cycles >= options.logEvery && outcomes.logs == 0)
        problems << QStringLiteral("no log downloaded");
    const qint64 growth = rssWarm < 0 ? 0 : rssEnd - rssWarm;
    if (rssWarm < 0)
        problems << QStringLiteral("the run ended before its warm-up did");
    else if (growth > options.toleranceKib)
        problems << QStringLiteral("resident memory grew by %1 KiB after the warm-up (limit %2 KiB)")
                        .arg(growth).arg(options.toleranceKib);

    session.stop();
    session.clear();

    std::printf("soak: %.0f s through the relay stand-in (pings every %d ms), state polled every %d ms, "
                "cycles paused %d ms, log every %d cycles; warm-up %d s\n",
                elapsedS, options.pingMs, STATE_TICK_MS, options.pauseMs, options.logEvery, options.warmUpSeconds);
    std::printf("resident memory: start %s, connected %s, after warm-up %s, end %s, peak after warm-up %s; "
                "growth after warm-up %+lld KiB (limit %d KiB)\n",
                qPrintable(mib(rssStart)), qPrintable(mib(rssConnected)), qPrintable(mib(rssWarm)),
                qPrintable(mib(rssEnd)), qPrintable(mib(rssPeakAfterWarmUp)), static_cast<long long>(growth),
                options.toleranceKib);
    std::printf("stand-ins' resident memory, after warm-up / end: relay %s / %s, terminal %s / %s\n",
                qPrintable(mib(relayRssWarm)), qPrintable(mib(relayRssEnd)), qPrintable(mib(terminalRssWarm)),
                qPrintable(mib(terminalRssEnd)));
    std::printf("transfers: %lld cycles (%.0f ms each on average, pause excluded; longest single transfer %lld ms); state group reads %lld for %lld "
                "ticks (%lld parameter requests at the terminal); BASE downloads %lld; settings uploads %lld "
                "(applied by the terminal %lld); log downloads %lld (%d bytes each); pings answered %lld "
                "(taken by the worker %lld)\n",
                static_cast<long long>(cycles), cycles ? double(cycleMsTotal) / double(cycles) : 0.0,
                static_cast<long long>(longestWaitMs),
                static_cast<long long>(stateReads), static_cast<long long>(ticks),
                static_cast<long long>(terminal.count(QStringLiteral("READ"))),
                static_cast<long long>(outcomes.downloads), static_cast<long long>(outcomes.uploads),
                static_cast<long long>(terminal.count(QStringLiteral("SETTINGS_APPLIED"))),
                static_cast<long long>(outcomes.logs), int(logReference.size()), static_cast<long long>(pingsAnswered),
                static_cast<long long>(pingsTaken));
    for (const QString &p : problems)
        std::printf("FAIL: %s\n", qPrintable(p));
    std::printf("%s\n", problems.isEmpty() ? "PASS" : "FAIL");
    return problems.isEmpty() ? 0 : 1;
}
