// The CPU the window costs, three trivox-demo processes at once so that all meet the same load
// of the machine: one left disconnected; one on the state page and one on the plots page (four
// values plotted), each connected through the relay stand-in to a terminal stand-in of its
// own and polling the I/O group once a second. Needs a display (scripts/perf.sh gives it Xvfb).
// Usage: bench_window_cpu [seconds=60] [runs=1]

#include "support/RelayProcess.h"
#include "support/TerminalProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The disconnected window shows the state page too.
const char *const WINDOWS[] = {"disconnected", "state", "plots"};
constexpr int WINDOW_COUNT = 3;

struct TPageRun {
    double cpuSeconds = -1;
    double wallSeconds = 0;
};

// The windows run side by side; each one's own report of its CPU.
bool runAll(quint16 relayPort, int seconds, TPageRun out[WINDOW_COUNT])
{
    QProcess demos[WINDOW_COUNT];
    QEventLoop loop;
    int finished = 0;
    for (int i = 0; i < WINDOW_COUNT; ++i) {
        QObject::connect(&demos[i], qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, [&] {
            if (++finished == WINDOW_COUNT)
                loop.quit();
        });
        QStringList arguments{QStringLiteral("--idle"), QString::number(seconds), QStringLiteral("--page"),
                              QLatin1String(i == 2 ? "plots" : "state")};
        if (i > 0)
            arguments << QStringLiteral("--connect")
                      << QStringLiteral("127.0.0.1:%1:BENCH-%2:7390").arg(relayPort).arg(QLatin1String(WINDOWS[i]));
        demos[i].start(QStringLiteral(TRIVOX_DEMO_BINARY), arguments);
    }
    loop.exec();
    const QRegularExpression line(QStringLiteral(R"(page \w+: ([0-9.]+) s of CPU in ([0-9.]+) s)"));
    for (int i = 0; i < WINDOW_COUNT; ++i) {
        const QString output = QString::fromUtf8(demos[i].readAllStandardError());
        const QRegularExpressionMatch m = line.match(output);
        if (demos[i].exitCode() != 0 || !m.hasMatch()) {
            std::fprintf(stderr, "the %s window failed:\n%s\n", WINDOWS[i], qPrintable(output));
            return false;
        }
        out[i] = {m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
    return true;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "no display: run it under xvfb-run\n");
        return 1;
    }

    RelayProcess relay;
    if (!relay.isReady()) {
        std::fprintf(stderr, "the relay stand-in did not start (looked in %s)\n", qPrintable(RelayProcess::peersDir()));
        return 1;
    }
    const QString relayForTerminals = QStringLiteral("127.0.0.1:%1").arg(relay.terminalPort());
    std::unique_ptr<TerminalProcess> terminals[WINDOW_COUNT];
    for (int i = 1; i < WINDOW_COUNT; ++i) {
        terminals[i] = std::make_unique<TerminalProcess>();
        if (!terminals[i]->start({QStringLiteral("--relay"), relayForTerminals, QStringLiteral("--id"),
                                  QStringLiteral("BENCH-%1").arg(QLatin1String(WINDOWS[i]))})) {
            std::fprintf(stderr, "a terminal stand-in did not start\n");
            return 1;
        }
    }

    QVector<double> percent[WINDOW_COUNT];
    QVector<double> difference;
    for (int r = 0; r < runs; ++r) {
        TPageRun all[WINDOW_COUNT];
        if (!runAll(relay.configuratorPort(), seconds, all))
            return 1;
        for (int i = 0; i < WINDOW_COUNT; ++i)
            percent[i].append(100.0 * all[i].cpuSeconds / all[i].wallSeconds);
        difference.append(percent[2].last() - percent[1].last());
        std::fprintf(stderr, "run %d: disconnected %.3f %%, state %.2f %%, plots %.2f %%\n", r + 1, percent[0].last(),
                     percent[1].last(), percent[2].last());
    }

    std::printf("| Window, %d s, median of %d | CPU, %% of one core |\n", seconds, runs);
    std::printf("|---|---|\n");
    std::printf("| disconnected (state page) | %.3f |\n", median(percent[0]));
    std::printf("| state (tab \"Inputs/outputs\", changed values repainted every second) | %.2f |\n", median(percent[1]));
    std::printf("| plots (four values of that group, redrawn every second) | %.2f |\n", median(percent[2]));
    std::printf("\nPlots page minus state page: %+.2f %% of one core (target: under 1 %%).\n", median(difference));
    return 0;
}
