// trivox-demo [--connect HOST:PORT:ID:PIN] [--screenshot FILE] [--tour DIR] [--timing]
//             [--idle SECONDS --page plots|state] [--lang ru|en]
//
// Opens the configurator's window and plays its user: connects through a relay server to
// one terminal, answering its PIN; writes a screenshot of the window, or with --tour the
// screenshots of every page and question box the operator meets; with --timing prints the
// start-up time and the resident memory after connecting; with --idle S leaves the "plots"
// or "state" page (--page) open for S seconds and prints the CPU it used meanwhile. Then it
// exits: 0 when everything went as planned. The window is in Russian unless --lang en.

#include "DemoDriver.h"

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "files/InterfaceLanguage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

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
    const QCommandLineOption idle(QStringLiteral("idle"), QStringLiteral("Seconds to leave the page open, measuring CPU."),
                                  QStringLiteral("seconds"));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Page to leave open: plots or state."),
                                  QStringLiteral("page"), QStringLiteral("state"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("Language of the window: ru or en."),
                                  QStringLiteral("ru|en"), QStringLiteral("ru"));
    parser.addOptions({connectTo, screenshot, tour, timing, idle, page, lang});
    parser.process(app);
    if (!InterfaceLanguage::isKnown(parser.value(lang))) {
        std::fprintf(stderr, "trivox-demo: --lang wants ru or en\n");
        return 2;
    }
    InterfaceLanguage::install(parser.value(lang));
    // The page's choices are remembered; the demo's stay out of the user's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));

    TDemoPlan plan;
    plan.screenshot = parser.value(screenshot);
    plan.tourDir = parser.value(tour);
    plan.timing = parser.isSet(timing);
    plan.page = parser.value(page);
    if (parser.isSet(idle)) {
        bool ok = false;
        plan.idleSeconds = parser.value(idle).toInt(&ok);
        if (!ok || plan.idleSeconds <= 0 || (plan.page != QLatin1String("plots") && plan.page != QLatin1String("state"))) {
            std::fprintf(stderr, "trivox-demo: --idle wants a number of seconds, --page plots or state\n");
            return 2;
        }
    }
    if (parser.isSet(connectTo) && !plan.parseTarget(parser.value(connectTo))) {
        std::fprintf(stderr, "trivox-demo: --connect wants host:port:id:pin\n");
        return 2;
    }
    MainWindow window;
    window.show();
    new DemoDriver(&window, plan, mainEntered);
    return app.exec();
}
