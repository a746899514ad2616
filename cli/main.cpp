// trivox-cli: the configurator's session engine driven from the command line, for scripted
// work on many terminals. See --help.

#include "cli/CliOptions.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FleetRunner.h"
#include "cli/SettingsText.h"
#include "files/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QProcessEnvironment>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Names the data folder, where the backups are: the window's and this program's are one.
    QCoreApplication::setOrganizationName(QStringLiteral("Trivox"));
    QCoreApplication::setApplicationName(QStringLiteral("trivox"));

    InterfaceLanguage::install(InterfaceLanguage::choose(CliOptions::languageAsked(QCoreApplication::arguments()),
                                                         QString(), InterfaceLanguage::systemUiLanguages()));
    CliOptions parser;
    switch (parser.parse(QCoreApplication::arguments(), QProcessEnvironment::systemEnvironment())) {
    case CliOptions::EOutcome::Help:
        Console::out(parser.helpText());
        return EXIT_STATUS_OK;
    case CliOptions::EOutcome::Version:
        Console::out(QStringLiteral("trivox-cli " TRIVOX_VERSION "\n"));
        return EXIT_STATUS_OK;
    case CliOptions::EOutcome::Error:
        Console::errLine(QStringLiteral("trivox-cli: %1").arg(parser.errorText()));
        Console::errLine(CliOptions::tr("Справка: trivox-cli --help"));
        return EXIT_STATUS_USAGE;
    case CliOptions::EOutcome::Run:
        break;
    }

    // The engine's debug lines would drown the progress lines; QT_LOGGING_RULES still wins.
    QLoggingCategory::setFilterRules(parser.options().debug ? QStringLiteral("trivox.*.debug=true")
                                                            : QStringLiteral("trivox.*.debug=false"));

    if (!CliOptions::needsTerminal(parser.options()))
        return SettingsText::run(parser.options());

    FleetRunner runner(parser.options());
    QObject::connect(&runner, &FleetRunner::finished, &app, [](int status) { QCoreApplication::exit(status); },
                     Qt::QueuedConnection);
    runner.start();
    return app.exec();
}
