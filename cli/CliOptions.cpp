#include "cli/CliOptions.h"

#include "files/InterfaceLanguage.h"
#include "transport/CConfiguratorHandlerPort.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

struct TCommandName {
    const char *name;
    ECliCommand command;
};

constexpr TCommandName COMMANDS[] = {
    {"list", ECliCommand::List},
    {"state", ECliCommand::State},
    {"read-settings", ECliCommand::ReadSettings},
    {"write-settings", ECliCommand::WriteSettings},
    {"log", ECliCommand::Log},
    {"firmware", ECliCommand::Firmware},
    {"restart", ECliCommand::Restart},
    {"factory-reset", ECliCommand::FactoryReset},
    {"backup", ECliCommand::Backup},
    {"diff", ECliCommand::Diff},
    {"export", ECliCommand::Export},
    {"import", ECliCommand::Import},
};

const char EPILOGUE[] = QT_TRANSLATE_NOOP("CliOptions", R"(
Команды:
  list                       терминалы, подключенные к серверу (только --relay)
  state [--group G]          состояние: system, io, network или all (по умолчанию all)
  read-settings -o FILE.ksf  загрузить настройки терминала в файл
  write-settings -i FILE.ksf передать настройки из файла в терминал; файл должен
                             содержать все настройки, иначе запись отменяется
                             (с --allow-partial недостающие берутся из терминала)
  log -o FILE.log            загрузить LOG терминала в файл (UTF-8)
  firmware -i FILE.kbf       загрузить прошивку; сеанс после нее завершается
  restart                    перезагрузить терминал
  factory-reset --yes-really сбросить терминал к заводским настройкам
  backup                     сохранить резервную копию настроек терминала
  diff A B                   сравнить настройки: A и B - файлы .ksf или .json либо
                             слово device (настройки терминала, без их применения);
                             код 0 - совпадают, 6 - различаются
  export -i FILE.ksf -o FILE.json  настройки из файла .ksf в текст JSON
  import -i FILE.json -o FILE.ksf  текст JSON в файл .ksf (с проверкой каждого
                             значения; при ошибке файл не создается)

Перед write-settings, firmware и factory-reset текущие настройки терминала
сохраняются в резервную копию (папка терминала в --backup-dir, по умолчанию
в данных программы; хранятся 20 последних). Терминал на сервере называется
своим идентификатором, на USB - своим IMEI. Если копию сделать не удалось,
действие отменяется; --no-backup выполняет его без копии.

Несколько терминалов (--id A,B или --all) обслуживаются по очереди, с --jobs N -
до N одновременно, каждый в отдельном процессе; для каждого в стандартный поток
ошибок выводится ход работы (в порядке терминалов), в конце - итоговая таблица.
Если в имени файла (-o) нет {id}, для нескольких терминалов к имени добавляется
"-<id>". Без --continue-on-error работа прекращается на первой ошибке: новые
терминалы не начинаются, начатые завершаются.
С --journal FILE каждый завершенный терминал записывается в журнал; повторный
запуск с тем же журналом пропускает терминалы, для которых та же команда уже
выполнена успешно, - так прерванная работа продолжается с места остановки.

PIN берется из --pin или из переменной окружения TRIVOX_PIN (предпочтительно:
параметры командной строки видны другим пользователям). PIN нигде не выводится.
Без PIN используется заводской PIN терминала (7390); пустая TRIVOX_PIN - ошибка.

Коды завершения:
  0  успешно
  1  ошибка в командной строке
  2  нет связи с сервером или терминалом, терминал не найден или занят
  3  неверный PIN
  4  связь с терминалом потеряна, передача не удалась или терминал прислал не все
     данные (state: хотя бы один параметр не прочитан)
  5  ошибка файла (чтение, запись, недопустимое содержимое) или резервной копии
  6  diff: настройки различаются
При нескольких терминалах возвращается код первой ошибки.

Примеры:
  trivox-cli --relay 127.0.0.1:25501 list
  TRIVOX_PIN=7390 trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 state --json
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 --pin 7390 read-settings -o base.ksf
  trivox-cli --relay 10.0.0.1 --all --continue-on-error write-settings -i base.ksf
  trivox-cli --device /dev/ttyACM0 log -o terminal.log
  trivox-cli --usb firmware -i update.kbf
  trivox-cli --relay 127.0.0.1:25501 --all --jobs 4 --journal run.jsonl backup
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 diff base.ksf device
  trivox-cli export -i base.ksf -o base.json
)");

struct TParserOptions {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QCoreApplication::translate("CliOptions", "Эта справка.")};
    QCommandLineOption version{QStringLiteral("version"), QCoreApplication::translate("CliOptions", "Версия программы.")};
    QCommandLineOption usb{QStringLiteral("usb"), QCoreApplication::translate("CliOptions", "Терминал на USB (найти по идентификаторам USB).")};
    QCommandLineOption device{QStringLiteral("device"), QCoreApplication::translate("CliOptions", "Терминал на заданном последовательном порту."),
                              QStringLiteral("path")};
    QCommandLineOption relay{QStringLiteral("relay"),
                             QCoreApplication::translate("CliOptions", "Сервер-ретранслятор (порт по умолчанию 25501)."),
                             QStringLiteral("host:port")};
    QCommandLineOption id{QStringLiteral("id"),
                          QCoreApplication::translate("CliOptions", "Идентификатор терминала на сервере; можно повторять или перечислить "
                                         "через запятую."),
                          QStringLiteral("id")};
    QCommandLineOption all{QStringLiteral("all"), QCoreApplication::translate("CliOptions", "Все терминалы, подключенные к серверу.")};
    QCommandLineOption pin{QStringLiteral("pin"), QCoreApplication::translate("CliOptions", "PIN доступа, 4 цифры (или TRIVOX_PIN)."),
                           QStringLiteral("pin")};
    QCommandLineOption group{QStringLiteral("group"), QCoreApplication::translate("CliOptions", "Группа состояния: system, io, network, all."),
                             QStringLiteral("group")};
    QCommandLineOption input{{QStringLiteral("i"), QStringLiteral("input")}, QCoreApplication::translate("CliOptions", "Входной файл."),
                             QStringLiteral("file")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")}, QCoreApplication::translate("CliOptions", "Выходной файл."),
                              QStringLiteral("file")};
    QCommandLineOption json{QStringLiteral("json"), QCoreApplication::translate("CliOptions", "Результат в JSON.")};
    QCommandLineOption continueOnError{QStringLiteral("continue-on-error"),
                                       QCoreApplication::translate("CliOptions", "Продолжать со следующим терминалом после ошибки.")};
    QCommandLineOption yesReally{QStringLiteral("yes-really"),
                                 QCoreApplication::translate("CliOptions", "Подтверждение сброса к заводским настройкам.")};
    QCommandLineOption verbose{{QStringLiteral("v"), QStringLiteral("verbose")},
                               QCoreApplication::translate("CliOptions", "Показывать каждый параметр и фрагмент.")};
    QCommandLineOption debug{QStringLiteral("debug"), QCoreApplication::translate("CliOptions", "Отладочный журнал (на английском).")};
    QCommandLineOption allowPartial{QStringLiteral("allow-partial"),
                                    QCoreApplication::translate("CliOptions", "write-settings: дополнить неполный файл настройками терминала.")};
    QCommandLineOption noBackup{QStringLiteral("no-backup"),
                                QCoreApplication::translate("CliOptions", "Не сохранять резервную копию перед write-settings, firmware, "
                                               "factory-reset.")};
    QCommandLineOption backupDir{QStringLiteral("backup-dir"), QCoreApplication::translate("CliOptions", "Папка резервных копий."),
                                 QStringLiteral("dir")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QCoreApplication::translate("CliOptions", "Обслуживать до N терминалов одновременно (1-64)."),
                            QStringLiteral("N")};
    QCommandLineOption lang{QStringLiteral("lang"), QCoreApplication::translate("CliOptions", "Язык сообщений: ru или en (по умолчанию как в системе)."),
                            QStringLiteral("ru|en")};
    QCommandLineOption journal{QStringLiteral("journal"),
                               QCoreApplication::translate("CliOptions", "Журнал выполненных терминалов; повтор пропускает сделанное."),
                               QStringLiteral("file")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            QCoreApplication::translate("CliOptions", "Trivox конфигуратор: командная строка для настройки терминалов по USB или через "
                           "сервер-ретранслятор."));
        parser.addOptions({help, version, usb, device, relay, id, all, pin, group, input, output, json,
                           continueOnError, yesReally, verbose, debug, allowPartial, noBackup, backupDir, jobs,
                           journal, lang});
        parser.addPositionalArgument(QStringLiteral("command"),
                                     QStringLiteral("list, state, read-settings, write-settings, log, firmware, "
                                                    "restart, factory-reset, backup, diff, export, import"));
    }
};

bool isFourDigits(const QString &pin)
{
    if (pin.size() != 4)
        return false;
    for (const QChar c : pin) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString CliOptions::commandName(ECliCommand command)
{
    for (const TCommandName &c : COMMANDS) {
        if (c.command == command)
            return QLatin1String(c.name);
    }
    return QString();
}

QString CliOptions::languageAsked(const QStringList &arguments)
{
    // Read ahead of the parser: the option descriptions are translated when it is built.
    QString asked;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--lang"))
            asked = arguments.value(i + 1);
        else if (arguments.at(i).startsWith(QLatin1String("--lang=")))
            asked = arguments.at(i).mid(7);
    }
    return asked;
}

QString CliOptions::helpText() const
{
    QCommandLineParser parser;
    TParserOptions().addTo(parser);
    return parser.helpText() + tr(EPILOGUE);
}

bool CliOptions::fail(const QString &text)
{
    m_error = text;
    return false;
}

CliOptions::EOutcome CliOptions::parse(const QStringList &arguments, const QProcessEnvironment &environment)
{
    m_options = TCliOptions{};
    m_error.clear();

    QCommandLineParser parser;
    const TParserOptions o;
    o.addTo(parser);
    if (!parser.parse(arguments)) {
        m_error = parser.errorText();
        return EOutcome::Error;
    }
    m_options.language = parser.value(o.lang);
    if (parser.isSet(o.lang) && !InterfaceLanguage::isKnown(m_options.language)) {
        fail(tr("--lang: ожидается ru или en, а не '%1'").arg(m_options.language));
        return EOutcome::Error;
    }
    if (parser.isSet(o.help))
        return EOutcome::Help;
    if (parser.isSet(o.version))
        return EOutcome::Version;

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        fail(tr("не указана команда (list, state, read-settings, ...); см. --help"));
        return EOutcome::Error;
    }
    for (const TCommandName &c : COMMANDS) {
        if (positional.first() == QLatin1String(c.name))
            m_options.command = c.command;
    }
    if (m_options.command == ECliCommand::None) {
        fail(tr("неизвестная команда: %1").arg(positional.first()));
        return EOutcome::Error;
    }
    const int operands = m_options.command == ECliCommand::Diff ? 2 : 0;
    if (positional.size() - 1 < operands) {
        fail(tr("diff: укажите, что сравнивать: два файла или файл и device"));
        return EOutcome::Error;
    }
    if (positional.size() - 1 > operands) {
        fail(tr("лишние аргументы: %1").arg(positional.mid(1 + operands).join(QLatin1Char(' '))));
        return EOutcome::Error;
    }
    if (operands) {
        m_options.diffA = positional.at(1);
        m_options.diffB = positional.at(2);
        if (m_options.diffA.isEmpty() || m_options.diffB.isEmpty()) {
            fail(tr("пустое имя файла"));
            return EOutcome::Error;
        }
        if (m_options.diffA == QLatin1String(DIFF_DEVICE) && m_options.diffB == QLatin1String(DIFF_DEVICE)) {
            fail(tr("diff: терминал можно сравнить с файлом, но не с самим собой"));
            return EOutcome::Error;
        }
    }

    const int links = int(parser.isSet(o.usb)) + int(parser.isSet(o.device)) + int(parser.isSet(o.relay));
    if (!needsTerminal(m_options)) {
        if (links || parser.isSet(o.id) || parser.isSet(o.all)) {
            fail(tr("%1 работает с файлами и не обращается к терминалу: --usb, --device, --relay, --id и --all "
                    "не нужны")
                     .arg(positional.first()));
            return EOutcome::Error;
        }
    } else if (links != 1) {
        fail(links == 0 ? tr("укажите связь с терминалом: --usb, --device или --relay")
                        : tr("--usb, --device и --relay исключают друг друга"));
        return EOutcome::Error;
    }
    if (parser.isSet(o.usb)) {
        m_options.link = ECliLink::Usb;
    } else if (parser.isSet(o.device)) {
        m_options.link = ECliLink::Device;
        m_options.devicePath = parser.value(o.device);
        if (m_options.devicePath.isEmpty()) {
            fail(tr("--device: пустой путь"));
            return EOutcome::Error;
        }
    } else if (parser.isSet(o.relay)) {
        m_options.link = ECliLink::Relay;
        if (parser.values(o.relay).size() > 1) {
            fail(tr("--relay указан несколько раз"));
            return EOutcome::Error;
        }
        if (!parseRelay(parser.value(o.relay)))
            return EOutcome::Error;
    }

    for (const QString &value : parser.values(o.id)) {
        for (const QString &part : value.split(QLatin1Char(','))) {
            const QString id = part.trimmed();
            if (id.isEmpty()) {
                fail(tr("--id: пустой идентификатор"));
                return EOutcome::Error;
            }
            if (!m_options.ids.contains(id))
                m_options.ids.append(id);
        }
    }
    m_options.allTerminals = parser.isSet(o.all);

    m_options.groups = {GROUP_SYSTEM, GROUP_IO, GROUP_NETWORK};
    if (parser.isSet(o.group) && !parseGroups(parser.value(o.group)))
        return EOutcome::Error;

    m_options.input = parser.value(o.input);
    m_options.output = parser.value(o.output);
    if ((parser.isSet(o.input) && m_options.input.isEmpty()) || (parser.isSet(o.output) && m_options.output.isEmpty())) {
        fail(tr("пустое имя файла"));
        return EOutcome::Error;
    }
    m_options.json = parser.isSet(o.json);
    m_options.continueOnError = parser.isSet(o.continueOnError);
    m_options.verbose = parser.isSet(o.verbose);
    m_options.debug = parser.isSet(o.debug);
    m_options.allowPartial = parser.isSet(o.allowPartial);
    if (m_options.allowPartial && m_options.command != ECliCommand::WriteSettings) {
        fail(tr("--allow-partial относится только к write-settings"));
        return EOutcome::Error;
    }
    const QString fast = environment.value(QLatin1String(FAST_VARIABLE));
    m_options.fast = !fast.isEmpty() && fast != QLatin1String("0");
    m_options.child = environment.value(QLatin1String(CHILD_VARIABLE)) == QLatin1String("1");
    m_options.noBackup = parser.isSet(o.noBackup);
    m_options.backupDir = parser.value(o.backupDir);
    m_options.journal = parser.value(o.journal);
    if ((parser.isSet(o.backupDir) && m_options.backupDir.isEmpty()) || (parser.isSet(o.journal) && m_options.journal.isEmpty())) {
        fail(tr("пустое имя файла"));
        return EOutcome::Error;
    }
    if (parser.isSet(o.jobs)) {
        bool ok = false;
        m_options.jobs = parser.value(o.jobs).toInt(&ok);
        if (!ok || m_options.jobs < 1 || m_options.jobs > MAX_JOBS) {
            fail(tr("--jobs: ожидается число от 1 до %1, а не '%2'").arg(MAX_JOBS).arg(parser.value(o.jobs)));
            return EOutcome::Error;
        }
    }

    // The option wins over the environment. The value itself never appears in a message.
    const bool pinGiven = parser.isSet(o.pin) || environment.contains(QLatin1String(PIN_VARIABLE));
    m_options.pin = parser.isSet(o.pin) ? parser.value(o.pin) : environment.value(QLatin1String(PIN_VARIABLE));
    // An empty PIN is a mistake in a script, not a request for the factory PIN.
    if (pinGiven && m_options.pin.isEmpty()) {
        fail(parser.isSet(o.pin) ? tr("--pin: пустой PIN")
                                 : tr("переменная TRIVOX_PIN задана, но пуста"));
        return EOutcome::Error;
    }
    if (!m_options.pin.isEmpty() && !isFourDigits(m_options.pin)) {
        fail(tr("PIN должен состоять из 4 цифр"));
        return EOutcome::Error;
    }

    if (!checkCombination(parser.isSet(o.id), parser.isSet(o.group), parser.isSet(o.input), parser.isSet(o.output),
                          parser.isSet(o.yesReally))
        || !checkFleetOptions(parser.isSet(o.jobs), parser.isSet(o.backupDir)))
        return EOutcome::Error;
    return EOutcome::Run;
}

bool CliOptions::parseRelay(const QString &text)
{
    QString host = text.trimmed();
    uint port = CConfiguratorHandlerPort::DEFAULT_SERVER_PORT;
    const int colon = int(host.lastIndexOf(QLatin1Char(':')));
    // One colon is host:port; more is a bare IPv6 address, "[addr]:port" an IPv6 one with a port.
    if (colon >= 0 && (host.count(QLatin1Char(':')) == 1 || host.startsWith(QLatin1Char('[')))) {
        bool ok = false;
        port = host.mid(colon + 1).toUInt(&ok);
        if (!ok || port == 0 || port > 0xFFFF)
            return fail(tr("--relay: неверный порт в '%1'").arg(text));
        host = host.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
    }
    if (host.isEmpty())
        return fail(tr("--relay: не указан адрес сервера"));
    m_options.relay.ip = host;
    m_options.relay.port = uint16_t(port);
    return true;
}

bool CliOptions::parseGroups(const QString &text)
{
    const QString name = text.trimmed().toLower();
    if (name == QLatin1String("system"))
        m_options.groups = {GROUP_SYSTEM};
    else if (name == QLatin1String("io"))
        m_options.groups = {GROUP_IO};
    else if (name == QLatin1String("network"))
        m_options.groups = {GROUP_NETWORK};
    else if (name == QLatin1String("all"))
        m_options.groups = {GROUP_SYSTEM, GROUP_IO, GROUP_NETWORK};
    else
        return fail(tr("--group: ожидается system, io, network или all, а не '%1'").arg(text));
    return true;
}

bool CliOptions::checkCombination(bool idsGiven, bool groupGiven, bool inputGiven, bool outputGiven, bool yesReally)
{
    const ECliCommand command = m_options.command;
    const QString name = commandName(command);
    const bool relay = m_options.link == ECliLink::Relay;

    if (!relay && (idsGiven || m_options.allTerminals))
        return fail(tr("--id и --all относятся только к --relay"));
    if (command == ECliCommand::List) {
        if (!relay)
            return fail(tr("list работает только через сервер (--relay)"));
        if (idsGiven || m_options.allTerminals)
            return fail(tr("list не принимает --id и --all"));
    } else if (relay) {
        if (idsGiven && m_options.allTerminals)
            return fail(tr("--id и --all исключают друг друга"));
        if (!idsGiven && !m_options.allTerminals)
            return fail(tr("укажите терминалы: --id ID[,ID...] или --all"));
        if (command == ECliCommand::Diff && (m_options.allTerminals || m_options.ids.size() != 1))
            return fail(tr("diff сравнивает настройки одного терминала: укажите один --id"));
    }

    if (groupGiven && command != ECliCommand::State)
        return fail(tr("--group относится только к команде state"));

    const bool converts = command == ECliCommand::Export || command == ECliCommand::Import;
    const bool needsInput = command == ECliCommand::WriteSettings || command == ECliCommand::Firmware || converts;
    const bool needsOutput = command == ECliCommand::ReadSettings || command == ECliCommand::Log || converts;
    if (needsInput && !inputGiven)
        return fail(tr("%1: укажите входной файл (-i)").arg(name));
    if (!needsInput && inputGiven)
        return fail(tr("%1 не принимает -i").arg(name));
    if (needsOutput && !outputGiven)
        return fail(tr("%1: укажите выходной файл (-o)").arg(name));
    if (!needsOutput && outputGiven)
        return fail(tr("%1 не принимает -o").arg(name));

    if (command == ECliCommand::FactoryReset && !yesReally)
        return fail(tr("сброс к заводским настройкам стирает настройки терминала; "
                                   "для подтверждения добавьте --yes-really"));
    if (command != ECliCommand::FactoryReset && yesReally)
        return fail(tr("--yes-really относится только к factory-reset"));
    if (converts && m_options.json)
        return fail(tr("%1 не принимает --json").arg(name));
    return true;
}

bool CliOptions::checkFleetOptions(bool jobsGiven, bool backupDirGiven)
{
    const ECliCommand command = m_options.command;
    const QString name = commandName(command);
    const bool backs = command == ECliCommand::WriteSettings || command == ECliCommand::Firmware
        || command == ECliCommand::FactoryReset;
    if (m_options.noBackup && !backs)
        return fail(tr("--no-backup относится только к write-settings, firmware и factory-reset"));
    if (m_options.noBackup && backupDirGiven)
        return fail(tr("--no-backup и --backup-dir исключают друг друга"));
    if (backupDirGiven && !backs && command != ECliCommand::Backup)
        return fail(tr("--backup-dir относится только к backup, write-settings, firmware и factory-reset"));
    // These run on one terminal or none: nothing to spread or to resume.
    const bool fleet = command != ECliCommand::List && command != ECliCommand::Diff && needsTerminal(m_options);
    if (!fleet && (jobsGiven || !m_options.journal.isEmpty()))
        return fail(tr("%1 не принимает --jobs и --journal").arg(name));
    return true;
}

bool CliOptions::needsTerminal(const TCliOptions &options)
{
    switch (options.command) {
    case ECliCommand::Export:
    case ECliCommand::Import:
        return false;
    case ECliCommand::Diff:
        return options.diffA == QLatin1String(DIFF_DEVICE) || options.diffB == QLatin1String(DIFF_DEVICE);
    default:
        return true;
    }
}

QStringList CliOptions::terminalArguments(const TCliOptions &options, const QString &id, const QString &output)
{
    QStringList arguments;
    switch (options.link) {
    case ECliLink::Usb:
        arguments << QStringLiteral("--usb");
        break;
    case ECliLink::Device:
        arguments << QStringLiteral("--device") << options.devicePath;
        break;
    case ECliLink::Relay: {
        const QString host = options.relay.ip.contains(QLatin1Char(':')) ? QLatin1Char('[') + options.relay.ip + QLatin1Char(']')
                                                                          : options.relay.ip;
        arguments << QStringLiteral("--relay") << QStringLiteral("%1:%2").arg(host).arg(options.relay.port)
                  << QStringLiteral("--id") << id;
        break;
    }
    case ECliLink::None:
        break;
    }
    arguments << commandName(options.command);
    if (options.command == ECliCommand::State && options.groups.size() == 1) {
        const ParameterGroup group = options.groups.first();
        arguments << QStringLiteral("--group")
                  << QLatin1String(group == GROUP_SYSTEM ? "system" : group == GROUP_IO ? "io" : "network");
    }
    if (!options.input.isEmpty())
        arguments << QStringLiteral("-i") << options.input;
    if (!output.isEmpty())
        arguments << QStringLiteral("-o") << output;
    if (options.command == ECliCommand::FactoryReset)
        arguments << QStringLiteral("--yes-really");
    if (options.allowPartial)
        arguments << QStringLiteral("--allow-partial");
    if (options.noBackup)
        arguments << QStringLiteral("--no-backup");
    if (!options.backupDir.isEmpty())
        arguments << QStringLiteral("--backup-dir") << options.backupDir;
    if (options.verbose)
        arguments << QStringLiteral("--verbose");
    if (options.debug)
        arguments << QStringLiteral("--debug");
    if (!options.language.isEmpty())
        arguments << QStringLiteral("--lang") << options.language;
    return arguments;
}
