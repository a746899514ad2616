// trivox-demo [--connect HOST:PORT:ID:PIN] [--screenshot FILE] [--tour DIR] [--timing]
//
// Opens the configurator's window and plays its user: connects through a relay server to
// one terminal, answering its PIN; writes a screenshot of the window, or with --tour the
// screenshots of every page and question box the operator meets; with --timing prints the
// start-up time and the resident memory after connecting. Then it exits: 0 when everything
// went as planned.

#include "DemoDriver.h"

#include "app/CommandLine.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    const qint64 mainEntered = QDateTime::currentMSecsSinceEpoch();
    CommandLine::prepareEnvironment();
    QApplication app(argc, argv);
    // The demo's backups stay out of the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption connectTo(QStringLiteral("connect"), QStringLiteral("Terminal to connect to."),
                                       QStringLiteral("host:port:id:pin"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("Window screenshot to write."),
                                        QStringLiteral("png"));
    const QCommandLineOption tour(QStringLiteral("tour"), QStringLiteral("Folder for the screenshots of a tour."),
                                  QStringLiteral("dir"));
    const QCommandLineOption timing(QStringLiteral("timing"), QStringLiteral("Print start-up time and memory."));
    parser.addOptions({connectTo, screenshot, tour, timing});
    parser.process(app);

    TDemoPlan plan;
    plan.screenshot = parser.value(screenshot);
    plan.tourDir = parser.value(tour);
    plan.timing = parser.isSet(timing);
    if (parser.isSet(connectTo) && !plan.parseTarget(parser.value(connectTo))) {
        std::fprintf(stderr, "trivox-demo: --connect wants host:port:id:pin\n");
        return 2;
    }
    MainWindow window;
    window.show();
    new DemoDriver(&window, plan, mainEntered);
    return app.exec();
}
