#include "app/CommandLine.h"

#include "files/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSettings>

#include <cstdio>
#include <cstring>

namespace {

const char *const HELP = QT_TRANSLATE_NOOP("CommandLine",
    "Использование: trivox [параметры]\n"
    "Trivox конфигуратор: настройка терминалов телеметрии GSM/GPRS по USB или через "
    "сервер-ретранслятор.\n\n"
    "  -h, --help       эта справка\n"
    "  -v, --version    версия программы\n"
    "  --lang ru|en     язык интерфейса (по умолчанию - как выбран в окне, иначе как в системе)\n"
    "  --debug          отладочный журнал (на английском) в стандартный поток ошибок\n\n"
    "Принимаются и параметры Qt, например -platform и -style.\n");

bool isLanguage(const char *value)
{
    return value && InterfaceLanguage::isKnown(QString::fromLatin1(value));
}

} // namespace

int CommandLine::parse(int argc, char **argv, TWindowOptions *options)
{
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            help = true;
        } else if (std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "--version") == 0) {
            std::fputs("trivox " TRIVOX_VERSION "\n", stdout);
            return 0;
        } else if (std::strcmp(arg, "--debug") == 0) {
            options->debug = true;
        } else if (std::strcmp(arg, "--lang") == 0 || std::strncmp(arg, "--lang=", 7) == 0) {
            const char *value = arg[6] == '=' ? arg + 7 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!isLanguage(value)) {
                std::fputs("trivox: --lang takes ru or en\n", stderr);
                return 1;
            }
            options->language = QString::fromLatin1(value);
        }
    }
    if (help) {
        // In the language the window would have, which needs an application but no display.
        int count = 1;
        QCoreApplication app(count, argv);
        nameApplication();
        InterfaceLanguage::install(language(*options));
        std::fputs(QCoreApplication::translate("CommandLine", HELP).toUtf8().constData(), stdout);
        return 0;
    }
    return -1;
}

void CommandLine::nameApplication()
{
    // Where the window's choices and the backups are kept: ~/.local/share/Trivox/trivox on
    // Linux; trivox-cli uses the same names.
    QCoreApplication::setOrganizationName(QStringLiteral("Trivox"));
    QCoreApplication::setApplicationName(QStringLiteral("trivox"));
}

QString CommandLine::language(const TWindowOptions &options)
{
    return InterfaceLanguage::choose(options.language,
                                     QSettings().value(QLatin1String(InterfaceLanguage::SETTINGS_KEY)).toString(),
                                     InterfaceLanguage::systemUiLanguages());
}

void CommandLine::prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

void CommandLine::applyLogging(const TWindowOptions &options)
{
    // A session writes a line per exchange: tens of thousands an hour nobody asked for.
    QLoggingCategory::setFilterRules(options.debug ? QStringLiteral("trivox.*.debug=true")
                                                   : QStringLiteral("trivox.*.debug=false"));
}
