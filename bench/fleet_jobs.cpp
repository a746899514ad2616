// trivox-cli serving a fleet one terminal at a time and with --jobs 4 and 16, side by side:
// terminal stand-ins behind one relay stand-in, each answering after a delay, all settings
// read into files. Also the cost of starting one trivox-cli process, which --jobs pays per
// terminal. Usage: bench_fleet_jobs [terminals] [delay ms] [start-ups]   (default 40 20 20)

#include "support/RelayProcess.h"
#include "support/TerminalProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int JOBS[] = {1, 4, 16};

struct TRun {
    bool ok = false;
    double wallMs = 0;
    double cpuMs = 0; // user + system of the program and its children
    double busyCores = 0; // of the whole machine meanwhile: the stand-ins and anyone else too
    QByteArray errors;
};

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Busy and total jiffies of all cores so far.
std::pair<double, double> machineJiffies()
{
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return {0, 0};
    const QList<QByteArray> fields = stat.readLine().simplified().split(' ');
    double total = 0;
    double idle = 0;
    for (int i = 1; i < fields.size(); ++i) {
        total += fields[i].toDouble();
        if (i == 4 || i == 5) // idle, iowait
            idle += fields[i].toDouble();
    }
    return {total - idle, total};
}

// Serves the event loop meanwhile, so that the stand-ins' event lines keep flowing.
TRun runCli(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TRIVOX_PIN"), QStringLiteral("7390"));
    process.setProcessEnvironment(env);
    QEventLoop loop;
    QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    const double cpuBefore = childrenCpuMs();
    const auto jiffiesBefore = machineJiffies();
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TRIVOX_CLI_BINARY), arguments);
    loop.exec();
    TRun run;
    run.wallMs = double(timer.nsecsElapsed()) / 1e6;
    process.waitForFinished(1000);
    run.cpuMs = childrenCpuMs() - cpuBefore;
    const auto jiffies = machineJiffies();
    if (jiffies.second > jiffiesBefore.second)
        run.busyCores = QThread::idealThreadCount() * (jiffies.first - jiffiesBefore.first) / (jiffies.second - jiffiesBefore.second);
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    run.errors = process.readAllStandardError();
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int terminals = argc > 1 ? std::max(2, std::atoi(argv[1])) : 40;
    const int delayMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 20;
    const int startups = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20;
    qputenv("QT_LOGGING_RULES", "trivox.*.debug=false");

    RelayProcess relay({QStringLiteral("--ping-ms"), QStringLiteral("0")});
    if (!relay.isReady()) {
        std::fprintf(stderr, "the relay stand-in did not start (looked in %s)\n", qPrintable(RelayProcess::peersDir()));
        return 1;
    }
    const QString relayForTerminals = QStringLiteral("127.0.0.1:%1").arg(relay.terminalPort());
    std::vector<std::unique_ptr<TerminalProcess>> fleet;
    for (int i = 1; i <= terminals; ++i) {
        fleet.push_back(std::make_unique<TerminalProcess>());
        if (!fleet.back()->start({QStringLiteral("--relay"), relayForTerminals, QStringLiteral("--id"),
                                  QStringLiteral("BENCH-%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("--pin"),
                                  QStringLiteral("7390"), QStringLiteral("--delay"), QString::number(delayMs)})) {
            std::fprintf(stderr, "terminal stand-in %d did not start: %s\n", i, qPrintable(fleet.back()->errorString()));
            return 1;
        }
    }

    // What a child of --jobs costs before it touches a terminal.
    double startWall = 0;
    double startCpu = 0;
    for (int i = 0; i < startups; ++i) {
        const TRun version = runCli({QStringLiteral("--version")});
        startWall += version.wallMs;
        startCpu += version.cpuMs;
    }
    startWall /= startups;
    startCpu /= startups;

    QTemporaryDir dir;
    std::printf("| Jobs | Wall time | Speed-up vs 1 job | Target (0.8 x jobs) | CPU of trivox-cli and its children | "
                "Busy cores of the machine |\n");
    std::printf("|---|---|---|---|---|---|\n");
    double single = 0;
    for (const int jobs : JOBS) {
        const QString out = dir.filePath(QStringLiteral("jobs-%1").arg(jobs));
        QDir().mkpath(out);
        const TRun run = runCli({QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(relay.configuratorPort()),
                                 QStringLiteral("--all"), QStringLiteral("--jobs"), QString::number(jobs),
                                 QStringLiteral("read-settings"), QStringLiteral("-o"), out + QStringLiteral("/{id}.ksf")});
        const int files = int(QDir(out).entryList(QDir::Files).size());
        if (!run.ok || files != terminals) {
            std::fprintf(stderr, "--jobs %d failed (%d of %d files):\n%s\n", jobs, files, terminals, run.errors.constData());
            return 1;
        }
        if (jobs == 1)
            single = run.wallMs;
        std::printf("| %d | %.2f s | %.2f | %.1f | %.2f s | %.2f of %d |\n", jobs, run.wallMs / 1000, single / run.wallMs,
                    0.8 * jobs, run.cpuMs / 1000, run.busyCores, QThread::idealThreadCount());
    }
    std::printf("\n%d terminals, each answering after %d ms; read-settings --all -o DIR/{id}.ksf.\n", terminals, delayMs);
    std::printf("Start-up of one trivox-cli process (--version), mean of %d: %.1f ms wall, %.1f ms CPU.\n", startups,
                startWall, startCpu);
    return 0;
}
