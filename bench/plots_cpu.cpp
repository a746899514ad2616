// The CPU the window costs with the plots page open, four values plotted and redrawn every
// second, beside the same window on the state page: two trivox-demo processes at once, each
// connected through the relay stand-in to a terminal stand-in of its own, so that both meet
// the same load of the machine. Needs a display (scripts/perf.sh gives it Xvfb).
// Usage: bench_plots_cpu [seconds=60] [runs=1]

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

const char *const PAGES[] = {"state", "plots"};

struct TPageRun {
    double cpuSeconds = -1;
    double wallSeconds = 0;
};

// Both windows run side by side; each one's own report of its CPU.
bool runPair(quint16 relayPort, int seconds, TPageRun out[2])
{
    QProcess demos[2];
    QEventLoop loop;
    int finished = 0;
    for (int i = 0; i < 2; ++i) {
        QObject::connect(&demos[i], qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, [&] {
            if (++finished == 2)
                loop.quit();
        });
        demos[i].start(QStringLiteral(TRIVOX_DEMO_BINARY),
                       {QStringLiteral("--connect"),
                        QStringLiteral("127.0.0.1:%1:BENCH-%2:7390").arg(relayPort).arg(QLatin1String(PAGES[i])),
                        QStringLiteral("--idle"), QString::number(seconds), QStringLiteral("--page"),
                        QLatin1String(PAGES[i])});
    }
    loop.exec();
    const QRegularExpression line(QStringLiteral(R"(page \w+: ([0-9.]+) s of CPU in ([0-9.]+) s)"));
    for (int i = 0; i < 2; ++i) {
        const QString output = QString::fromUtf8(demos[i].readAllStandardError());
        const QRegularExpressionMatch m = line.match(output);
        if (demos[i].exitCode() != 0 || !m.hasMatch()) {
            std::fprintf(stderr, "the window on the %s page failed:\n%s\n", PAGES[i], qPrintable(output));
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
    std::unique_ptr<TerminalProcess> terminals[2];
    for (int i = 0; i < 2; ++i) {
        terminals[i] = std::make_unique<TerminalProcess>();
        if (!terminals[i]->start({QStringLiteral("--relay"), relayForTerminals, QStringLiteral("--id"),
                                  QStringLiteral("BENCH-%1").arg(QLatin1String(PAGES[i]))})) {
            std::fprintf(stderr, "a terminal stand-in did not start\n");
            return 1;
        }
    }

    QVector<double> percent[2];
    QVector<double> difference;
    for (int r = 0; r < runs; ++r) {
        TPageRun pair[2];
        if (!runPair(relay.configuratorPort(), seconds, pair))
            return 1;
        for (int i = 0; i < 2; ++i)
            percent[i].append(100.0 * pair[i].cpuSeconds / pair[i].wallSeconds);
        difference.append(percent[1].last() - percent[0].last());
        std::fprintf(stderr, "run %d: state %.2f %%, plots %.2f %%\n", r + 1, percent[0].last(), percent[1].last());
    }

    std::printf("| Page of the window, %d s, median of %d | CPU, %% of one core |\n", seconds, runs);
    std::printf("|---|---|\n");
    std::printf("| state (tab \"Входы/выходы\", its tree repainted every second) | %.2f |\n", median(percent[0]));
    std::printf("| plots (four values of that group, redrawn every second) | %.2f |\n", median(percent[1]));
    std::printf("\nPlots page minus state page: %+.2f %% of one core (target: under 1 %%).\n", median(difference));
    return 0;
}
