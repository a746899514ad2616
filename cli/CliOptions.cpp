#include "cli/CliOptions.h"

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
};

const char EPILOGUE[] = R"(
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

Несколько терминалов (--id A,B или --all) обслуживаются по очереди; для каждого
в стандартный поток ошибок выводится ход работы, в конце - итоговая таблица.
Если в имени файла (-o) нет {id}, для нескольких терминалов к имени добавляется
"-<id>". Без --continue-on-error работа прекращается на первой ошибке.

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
  5  ошибка файла (чтение, запись, недопустимое содержимое)
При нескольких терминалах возвращается код первой ошибки.

Примеры:
  trivox-cli --relay 127.0.0.1:25501 list
  TRIVOX_PIN=7390 trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 state --json
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 --pin 7390 read-settings -o base.ksf
  trivox-cli --relay 10.0.0.1 --all --continue-on-error write-settings -i base.ksf
  trivox-cli --device /dev/ttyACM0 log -o terminal.log
  trivox-cli --usb firmware -i update.kbf
)";

struct TParserOptions {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Эта справка.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Версия программы.")};
    QCommandLineOption usb{QStringLiteral("usb"), QStringLiteral("Терминал на USB (найти по идентификаторам USB).")};
    QCommandLineOption device{QStringLiteral("device"), QStringLiteral("Терминал на заданном последовательном порту."),
                              QStringLiteral("path")};
    QCommandLineOption relay{QStringLiteral("relay"),
                             QStringLiteral("Сервер-ретранслятор (порт по умолчанию 25501)."),
                             QStringLiteral("host:port")};
    QCommandLineOption id{QStringLiteral("id"),
                          QStringLiteral("Идентификатор терминала на сервере; можно повторять или перечислить "
                                         "через запятую."),
                          QStringLiteral("id")};
    QCommandLineOption all{QStringLiteral("all"), QStringLiteral("Все терминалы, подключенные к серверу.")};
    QCommandLineOption pin{QStringLiteral("pin"), QStringLiteral("PIN доступа, 4 цифры (или TRIVOX_PIN)."),
                           QStringLiteral("pin")};
    QCommandLineOption group{QStringLiteral("group"), QStringLiteral("Группа состояния: system, io, network, all."),
                             QStringLiteral("group")};
    QCommandLineOption input{{QStringLiteral("i"), QStringLiteral("input")}, QStringLiteral("Входной файл."),
                             QStringLiteral("file")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Выходной файл."),
                              QStringLiteral("file")};
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("Результат в JSON.")};
    QCommandLineOption continueOnError{QStringLiteral("continue-on-error"),
                                       QStringLiteral("Продолжать со следующим терминалом после ошибки.")};
    QCommandLineOption yesReally{QStringLiteral("yes-really"),
                                 QStringLiteral("Подтверждение сброса к заводским настройкам.")};
    QCommandLineOption verbose{{QStringLiteral("v"), QStringLiteral("verbose")},
                               QStringLiteral("Показывать каждый параметр и фрагмент.")};
    QCommandLineOption debug{QStringLiteral("debug"), QStringLiteral("Отладочный журнал (на английском).")};
    QCommandLineOption allowPartial{QStringLiteral("allow-partial"),
                                    QStringLiteral("write-settings: дополнить неполный файл настройками терминала.")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Trivox конфигуратор: командная строка для настройки терминалов по USB или через "
                           "сервер-ретранслятор."));
        parser.addOptions({help, version, usb, device, relay, id, all, pin, group, input, output, json,
                           continueOnError, yesReally, verbose, debug, allowPartial});
        parser.addPositionalArgument(QStringLiteral("command"),
                                     QStringLiteral("list, state, read-settings, write-settings, log, firmware, "
                                                    "restart, factory-reset"));
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

QString CliOptions::helpText() const
{
    QCommandLineParser parser;
    TParserOptions().addTo(parser);
    return parser.helpText() + QString::fromUtf8(EPILOGUE);
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
    if (parser.isSet(o.help))
        return EOutcome::Help;
    if (parser.isSet(o.version))
        return EOutcome::Version;

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        fail(QStringLiteral("не указана команда (list, state, read-settings, ...); см. --help"));
        return EOutcome::Error;
    }
    if (positional.size() > 1) {
        fail(QStringLiteral("лишние аргументы: %1").arg(positional.mid(1).join(QLatin1Char(' '))));
        return EOutcome::Error;
    }
    for (const TCommandName &c : COMMANDS) {
        if (positional.first() == QLatin1String(c.name))
            m_options.command = c.command;
    }
    if (m_options.command == ECliCommand::None) {
        fail(QStringLiteral("неизвестная команда: %1").arg(positional.first()));
        return EOutcome::Error;
    }

    const int links = int(parser.isSet(o.usb)) + int(parser.isSet(o.device)) + int(parser.isSet(o.relay));
    if (links != 1) {
        fail(links == 0 ? QStringLiteral("укажите связь с терминалом: --usb, --device или --relay")
                        : QStringLiteral("--usb, --device и --relay исключают друг друга"));
        return EOutcome::Error;
    }
    if (parser.isSet(o.usb)) {
        m_options.link = ECliLink::Usb;
    } else if (parser.isSet(o.device)) {
        m_options.link = ECliLink::Device;
        m_options.devicePath = parser.value(o.device);
        if (m_options.devicePath.isEmpty()) {
            fail(QStringLiteral("--device: пустой путь"));
            return EOutcome::Error;
        }
    } else {
        m_options.link = ECliLink::Relay;
        if (parser.values(o.relay).size() > 1) {
            fail(QStringLiteral("--relay указан несколько раз"));
            return EOutcome::Error;
        }
        if (!parseRelay(parser.value(o.relay)))
            return EOutcome::Error;
    }

    for (const QString &value : parser.values(o.id)) {
        for (const QString &part : value.split(QLatin1Char(','))) {
            const QString id = part.trimmed();
            if (id.isEmpty()) {
                fail(QStringLiteral("--id: пустой идентификатор"));
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
        fail(QStringLiteral("пустое имя файла"));
        return EOutcome::Error;
    }
    m_options.json = parser.isSet(o.json);
    m_options.continueOnError = parser.isSet(o.continueOnError);
    m_options.verbose = parser.isSet(o.verbose);
    m_options.debug = parser.isSet(o.debug);
    m_options.allowPartial = parser.isSet(o.allowPartial);
    if (m_options.allowPartial && m_options.command != ECliCommand::WriteSettings) {
        fail(QStringLiteral("--allow-partial относится только к write-settings"));
        return EOutcome::Error;
    }
    const QString fast = environment.value(QLatin1String(FAST_VARIABLE));
    m_options.fast = !fast.isEmpty() && fast != QLatin1String("0");

    // The option wins over the environment. The value itself never appears in a message.
    const bool pinGiven = parser.isSet(o.pin) || environment.contains(QLatin1String(PIN_VARIABLE));
    m_options.pin = parser.isSet(o.pin) ? parser.value(o.pin) : environment.value(QLatin1String(PIN_VARIABLE));
    // An empty PIN is a mistake in a script, not a request for the factory PIN.
    if (pinGiven && m_options.pin.isEmpty()) {
        fail(parser.isSet(o.pin) ? QStringLiteral("--pin: пустой PIN")
                                 : QStringLiteral("переменная TRIVOX_PIN задана, но пуста"));
        return EOutcome::Error;
    }
    if (!m_options.pin.isEmpty() && !isFourDigits(m_options.pin)) {
        fail(QStringLiteral("PIN должен состоять из 4 цифр"));
        return EOutcome::Error;
    }

    if (!checkCombination(parser.isSet(o.id), parser.isSet(o.group), parser.isSet(o.input), parser.isSet(o.output),
                          parser.isSet(o.yesReally)))
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
            return fail(QStringLiteral("--relay: неверный порт в '%1'").arg(text));
        host = host.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
    }
    if (host.isEmpty())
        return fail(QStringLiteral("--relay: не указан адрес сервера"));
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
        return fail(QStringLiteral("--group: ожидается system, io, network или all, а не '%1'").arg(text));
    return true;
}

bool CliOptions::checkCombination(bool idsGiven, bool groupGiven, bool inputGiven, bool outputGiven, bool yesReally)
{
    const ECliCommand command = m_options.command;
    const QString name = commandName(command);
    const bool relay = m_options.link == ECliLink::Relay;

    if (!relay && (idsGiven || m_options.allTerminals))
        return fail(QStringLiteral("--id и --all относятся только к --relay"));
    if (command == ECliCommand::List) {
        if (!relay)
            return fail(QStringLiteral("list работает только через сервер (--relay)"));
        if (idsGiven || m_options.allTerminals)
            return fail(QStringLiteral("list не принимает --id и --all"));
    } else if (relay) {
        if (idsGiven && m_options.allTerminals)
            return fail(QStringLiteral("--id и --all исключают друг друга"));
        if (!idsGiven && !m_options.allTerminals)
            return fail(QStringLiteral("укажите терминалы: --id ID[,ID...] или --all"));
    }

    if (groupGiven && command != ECliCommand::State)
        return fail(QStringLiteral("--group относится только к команде state"));

    const bool needsInput = command == ECliCommand::WriteSettings || command == ECliCommand::Firmware;
    const bool needsOutput = command == ECliCommand::ReadSettings || command == ECliCommand::Log;
    if (needsInput && !inputGiven)
        return fail(QStringLiteral("%1: укажите входной файл (-i)").arg(name));
    if (!needsInput && inputGiven)
        return fail(QStringLiteral("%1 не принимает -i").arg(name));
    if (needsOutput && !outputGiven)
        return fail(QStringLiteral("%1: укажите выходной файл (-o)").arg(name));
    if (!needsOutput && outputGiven)
        return fail(QStringLiteral("%1 не принимает -o").arg(name));

    if (command == ECliCommand::FactoryReset && !yesReally)
        return fail(QStringLiteral("сброс к заводским настройкам стирает настройки терминала; "
                                   "для подтверждения добавьте --yes-really"));
    if (command != ECliCommand::FactoryReset && yesReally)
        return fail(QStringLiteral("--yes-really относится только к factory-reset"));
    return true;
}
