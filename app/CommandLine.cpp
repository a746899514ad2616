#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

bool asksForHelpOrVersion(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *name : {"-h", "--help", "-v", "--version"}) {
            if (std::strcmp(argv[i], name) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int printHelpOrVersion(int &argc, char **argv)
{
    if (!asksForHelpOrVersion(argc, argv))
        return -1;

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Trivox конфигуратор: настройка терминалов телеметрии GSM/GPRS по USB или через "
                       "сервер-ретранслятор.\nПринимаются и параметры Qt, например -platform и -style."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Эта справка."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Версия программы."));
    parser.addOptions({help, version});
    // Qt's own options are unknown to this parser and no error: the result is not looked at.
    parser.parse(QCoreApplication::arguments());

    const QString text = parser.isSet(help) ? parser.helpText() : QStringLiteral("trivox " TRIVOX_VERSION "\n");
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}

void prepareWidgetsEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}
