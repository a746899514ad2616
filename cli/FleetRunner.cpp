#include "cli/FleetRunner.h"

#include "cli/CliLog.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/StateReport.h"
#include "cli/TextTable.h"
#include "files/SettingsFile.h"
#include "model/SettingsCoverage.h"
#include "model/SettingsStorage.h"
#include "model/TerminalText.h"
#include "model/SettingsUploadCheck.h"
#include "session/FileUpload.h"
#include "transport/CConfiguratorHandlerPort.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTextCodec>
#include <QTimer>

namespace {

QString lostText()
{
    return FleetRunner::tr("Потеряно соединение с устройством, проверьте подключение");
}

QString stuckText()
{
    return FleetRunner::tr("Устройство не отвечает, работа прекращена");
}

// The outcomes that say something went wrong, which a failure message names.
bool isFailure(ESessionOutcome code)
{
    switch (code) {
    case ESessionOutcome::Connected:
    case ESessionOutcome::Disconnected:
    case ESessionOutcome::SettingsLoaded:
    case ESessionOutcome::SettingsSent:
    case ESessionOutcome::LogLoaded:
    case ESessionOutcome::FirmwareInstalled:
    case ESessionOutcome::Restarted:
    case ESessionOutcome::FactoryReset:
        return false;
    default:
        return true;
    }
}

// A terminal id as part of a file name: anything but letters, digits, '.', '_' and '-'
// could leave the directory or confuse a shell.
QString fileNamePart(const QString &id)
{
    QString part;
    for (const QChar c : id) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') || c == QLatin1Char('_')
            || c == QLatin1Char('-');
        part += plain ? c : QLatin1Char('_');
    }
    if (part.isEmpty() || part.startsWith(QLatin1Char('.')))
        part.prepend(QLatin1Char('_'));
    return part;
}

bool directoryWritable(const QString &path)
{
    const QFileInfo dir(QFileInfo(path).absolutePath());
    return dir.isDir() && dir.isWritable();
}

} // namespace

FleetRunner::FleetRunner(const TCliOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_driver(options.fast)
{
    connect(&m_driver, &WorkerDriver::stepFinished, this, &FleetRunner::onStep);
    connect(&m_driver, &WorkerDriver::statusText, this, [this](const QString &text, bool perItem) {
        if (m_options.verbose || !perItem)
            progress(text);
    });
}

void FleetRunner::start()
{
    QTimer::singleShot(0, this, [this] {
        if (!precheck())
            return;
        if (m_options.link == ECliLink::Device) {
            const QString path = m_options.devicePath;
            // The search takes this port for the terminal's, whatever the system reports.
            CConfiguratorHandlerPort::setPortLister([path] {
                TSerialPortCandidate port;
                port.portName = path;
                port.hasIdentifiers = true;
                port.vendorId = CConfiguratorHandlerPort::USB_VENDOR_ID;
                port.productId = CConfiguratorHandlerPort::USB_PRODUCT_ID;
                return QList<TSerialPortCandidate>{port};
            });
        }
        m_driver.start();

        if (m_options.command == ECliCommand::List || m_options.allTerminals) {
            m_phase = EPhase::Listing;
            m_driver.fetchList(m_options.relay);
            return;
        }
        const QStringList ids = m_options.link == ECliLink::Relay
            ? m_options.ids
            : QStringList{m_options.link == ECliLink::Device ? m_options.devicePath : QStringLiteral("usb")};
        for (const QString &id : ids) {
            TTerminalResult result;
            result.id = id;
            m_results.append(result);
        }
        m_fileNamesCarryId = m_results.size() > 1;
        nextTerminal();
    });
}

// Files are checked before any terminal is touched: a bad file would fail every terminal.
bool FleetRunner::precheck()
{
    switch (m_options.command) {
    case ECliCommand::WriteSettings: {
        resetStorage();
        // With the room of every repeated setting, so that no record of the file is judged
        // by the counts of a terminal not yet met.
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        QString error;
        QVector<TSettingKey> missing;
        const bool loaded = SettingsFile::load(m_options.input, &error, &missing);
        const QString refusal = loaded ? settingsUploadRefusal() : QString();
        resetStorage();
        if (!loaded) {
            failRun(EXIT_STATUS_FILE, tr("Не удается открыть файл настроек %1: %2").arg(m_options.input, error));
            return false;
        }
        if (!error.isEmpty())
            Console::errLine(tr("Предупреждение: %1: %2").arg(m_options.input, error));
        // Written alone, the settings the file lacks would go to the terminal as zeros.
        if (!missing.isEmpty() && !m_options.allowPartial) {
            failRun(EXIT_STATUS_FILE, incompleteFileText(missing));
            return false;
        }
        if (!refusal.isEmpty() && missing.isEmpty()) {
            failRun(EXIT_STATUS_FILE, QStringLiteral("%1: %2").arg(m_options.input, refusal));
            return false;
        }
        return true;
    }
    case ECliCommand::Firmware: {
        const QFileInfo file(m_options.input);
        const qint64 largest = qint64(FileUpload::MAX_CHUNK_COUNT) * FileUpload::CHUNK_SIZE;
        if (!file.isFile() || !file.isReadable()) {
            failRun(EXIT_STATUS_FILE, tr("Файл не найден: %1").arg(m_options.input));
            return false;
        }
        if (file.size() == 0 || file.size() > largest) {
            failRun(EXIT_STATUS_FILE, tr("Файл прошивки %1: недопустимый размер %2 байт")
                                          .arg(m_options.input)
                                          .arg(file.size()));
            return false;
        }
        m_firmwarePath = file.absoluteFilePath();
        return true;
    }
    case ECliCommand::ReadSettings:
    case ECliCommand::Log:
        if (!directoryWritable(QString(m_options.output).replace(QLatin1String("{id}"), QLatin1String("_")))) {
            failRun(EXIT_STATUS_FILE,
                    tr("Нельзя записать файл %1: нет такого каталога или нет прав").arg(m_options.output));
            return false;
        }
        return true;
    default:
        return true;
    }
}

void FleetRunner::onStep(const TStepRecord &record)
{
    if (record.stalled)
        m_workerStuck = true;
    for (auto it = record.parameters.cbegin(); it != record.parameters.cend(); ++it)
        m_rowsRead.insert(it.key(), it.value());
    switch (m_phase) {
    case EPhase::Listing:
        onListed(record);
        break;
    case EPhase::Resolving:
        onResolved(record);
        break;
    case EPhase::Connecting:
        onConnected(record);
        break;
    case EPhase::Working:
        onWorked(record);
        break;
    case EPhase::Disconnecting:
        finishTerminal();
        break;
    case EPhase::Idle:
        break;
    }
}

void FleetRunner::onListed(const TStepRecord &record)
{
    if (!record.listReceived) {
        failRun(EXIT_STATUS_CONNECTION, failureText(record, outcomeText({ESessionOutcome::NoDeviceList})));
        return;
    }
    if (m_options.command == ECliCommand::List) {
        if (m_options.json) {
            QJsonArray terminals;
            for (const TDeviceToConfigInfo &info : record.list)
                terminals.append(QJsonObject{{QStringLiteral("id"), deviceIdText(info)},
                                             {QStringLiteral("name"), deviceNameText(info)}});
            Console::out(QString::fromUtf8(
                QJsonDocument(QJsonObject{{QStringLiteral("terminals"), terminals}}).toJson(QJsonDocument::Indented)));
        } else {
            TextTable table({QStringLiteral("ID"), QStringLiteral("NAME")});
            for (const TDeviceToConfigInfo &info : record.list)
                table.addRow({deviceIdText(info), deviceNameText(info)});
            Console::out(table.toString());
        }
        m_done = true;
        m_driver.stop();
        emit finished(EXIT_STATUS_OK);
        return;
    }

    // --all
    QStringList ids;
    for (const TDeviceToConfigInfo &info : record.list) {
        const QString id = deviceIdText(info);
        if (!id.isEmpty() && !ids.contains(id))
            ids.append(id);
    }
    if (ids.isEmpty()) {
        failRun(EXIT_STATUS_CONNECTION, tr("В данный момент к серверу не подключено ни одно устройство"));
        return;
    }
    for (const QString &id : ids) {
        TTerminalResult result;
        result.id = id;
        m_results.append(result);
    }
    m_fileNamesCarryId = true;
    nextTerminal();
}

void FleetRunner::nextTerminal()
{
    ++m_current;
    if (m_current >= m_results.size()) {
        finishRun();
        return;
    }
    Console::errLine(QStringLiteral("== [%1/%2] %3 ==").arg(m_current + 1).arg(m_results.size()).arg(current().id));
    m_lastProgress.clear();
    m_rowsRead.clear();
    m_overlayPending = false;
    // Nothing of the previous terminal may stay behind to be saved or written to this one.
    resetStorage();
    if (m_options.link == ECliLink::Relay) {
        m_phase = EPhase::Resolving;
        m_driver.fetchList(m_options.relay);
        return;
    }
    m_phase = EPhase::Connecting;
    TDeviceToConnect device{};
    device.via_server = 0;
    m_driver.connectTo(device, m_options.pin);
}

void FleetRunner::onResolved(const TStepRecord &record)
{
    if (!record.listReceived) {
        complete(EXIT_STATUS_CONNECTION, failureText(record, outcomeText({ESessionOutcome::NoDeviceList})));
        return;
    }
    for (const TDeviceToConfigInfo &info : record.list) {
        if (deviceIdText(info) != current().id)
            continue;
        m_phase = EPhase::Connecting;
        TDeviceToConnect device{};
        // The record goes back to the server exactly as it listed it.
        device.info = info;
        device.via_server = 1;
        m_driver.connectTo(device, m_options.pin);
        return;
    }
    complete(EXIT_STATUS_CONNECTION, tr("Устройство не найдено на сервере"));
}

void FleetRunner::onConnected(const TStepRecord &record)
{
    if (record.typeReceived && !record.lost && m_driver.isConnected()) {
        // The counts that size every repeated setting, as the window sets them.
        setCapabilitiesForDeviceType(SettingsStorage.parameters.deviceType[0]);
        beginWork();
        return;
    }
    if (record.stalled)
        complete(EXIT_STATUS_TRANSFER, stuckText());
    else if (record.has(ESessionOutcome::WrongPin))
        complete(EXIT_STATUS_WRONG_PIN, outcomeText({ESessionOutcome::WrongPin}));
    else if (record.lost || record.deviceConnected)
        complete(EXIT_STATUS_TRANSFER, lostText());
    else
        complete(EXIT_STATUS_CONNECTION, failureText(record, outcomeText({ESessionOutcome::ConnectFailed})));
}

// Settings are sized by the device type's counts; with an unknown type they would be cut
// short, so they are neither saved nor written.
bool FleetRunner::checkDeviceType()
{
    if (SettingsStorage.capabilitiesSet)
        return true;
    complete(EXIT_STATUS_TRANSFER, tr("Неизвестный тип устройства %1: настройки не передаются")
                                       .arg(SettingsStorage.parameters.deviceType[0]));
    return false;
}

void FleetRunner::beginWork()
{
    m_phase = EPhase::Working;
    switch (m_options.command) {
    case ECliCommand::State:
        m_groupIndex = 0;
        m_driver.readStateGroup(m_options.groups.first());
        break;
    case ECliCommand::ReadSettings:
        if (checkDeviceType())
            m_driver.downloadSettings();
        break;
    case ECliCommand::WriteSettings:
        if (!checkDeviceType())
            break;
        // The terminal's own settings first, for the file's records to lie over.
        if (m_options.allowPartial) {
            m_overlayPending = true;
            m_driver.downloadSettings();
            break;
        }
        writeFileSettings();
        break;
    case ECliCommand::Log:
        m_driver.downloadLog();
        break;
    case ECliCommand::Firmware:
        m_driver.uploadFirmware(m_firmwarePath);
        break;
    case ECliCommand::Restart:
        m_driver.restart();
        break;
    case ECliCommand::FactoryReset:
        m_driver.factoryReset();
        break;
    case ECliCommand::List:
    case ECliCommand::None:
        complete(EXIT_STATUS_USAGE, QString());
        break;
    }
}

void FleetRunner::onWorked(const TStepRecord &record)
{
    if (record.stalled) {
        complete(EXIT_STATUS_TRANSFER, stuckText());
        return;
    }
    switch (m_options.command) {
    case ECliCommand::State:
        onStateGroupRead(record);
        break;
    case ECliCommand::ReadSettings:
        onSettingsDownloaded(record);
        break;
    case ECliCommand::WriteSettings:
        if (m_overlayPending) {
            m_overlayPending = false;
            onOverlayBaseRead(record);
        } else if (record.has(ESessionOutcome::SettingsSent)) {
            complete(EXIT_STATUS_OK, outcomeText({ESessionOutcome::SettingsSent}));
        } else {
            complete(EXIT_STATUS_TRANSFER, failureText(record, lostText()));
        }
        break;
    case ECliCommand::Log:
        onLogDownloaded(record);
        break;
    case ECliCommand::Firmware:
        if (record.has(ESessionOutcome::FirmwareInstalled))
            complete(EXIT_STATUS_OK, outcomeText({ESessionOutcome::FirmwareInstalled}));
        else if (record.has(ESessionOutcome::FirmwareFileMissing) || record.has(ESessionOutcome::FirmwareFileUnreadable))
            complete(EXIT_STATUS_FILE, failureText(record, outcomeText({ESessionOutcome::FirmwareFileUnreadable})));
        else
            complete(EXIT_STATUS_TRANSFER, failureText(record, lostText()));
        break;
    case ECliCommand::Restart:
    case ECliCommand::FactoryReset: {
        const ESessionOutcome done = m_options.command == ECliCommand::Restart ? ESessionOutcome::Restarted
                                                                                : ESessionOutcome::FactoryReset;
        if (record.has(done))
            complete(EXIT_STATUS_OK, outcomeText({done}));
        else if (record.lost || m_driver.lostSinceConnect())
            complete(EXIT_STATUS_TRANSFER, lostText());
        else
            // A command without an answer or with a refusal leaves the session as it was.
            complete(EXIT_STATUS_TRANSFER, outcomeText({ESessionOutcome::CommandFailed}));
        break;
    }
    case ECliCommand::List:
    case ECliCommand::None:
        break;
    }
}

void FleetRunner::onStateGroupRead(const TStepRecord &record)
{
    if (record.lost || m_driver.lostSinceConnect() || !m_driver.isConnected()) {
        complete(EXIT_STATUS_TRANSFER, lostText());
        return;
    }
    if (++m_groupIndex < m_options.groups.size()) {
        m_driver.readStateGroup(m_options.groups.at(m_groupIndex));
        return;
    }
    const QList<int> rows = StateReport::rowsOf(m_options.groups);
    QSet<int> unread;
    for (const int row : rows) {
        if (!m_rowsRead.value(row, false) && !isConstantParameter(row))
            unread.insert(row);
    }
    current().hasState = true;
    current().parameters = StateReport::toJson(rows, unread);
    current().stateTable = StateReport::toTable(rows, unread);
    // A value never read is not the terminal's state: the caller must not take it for one.
    if (!unread.isEmpty()) {
        complete(EXIT_STATUS_TRANSFER, tr("Не прочитано параметров: %1 из %2").arg(unread.size()).arg(rows.size()));
        return;
    }
    complete(EXIT_STATUS_OK, tr("Состояние прочитано"));
}

void FleetRunner::onSettingsDownloaded(const TStepRecord &record)
{
    const TSessionOutcome *loaded = record.find(ESessionOutcome::SettingsLoaded);
    if (!record.settingsUpdated || !loaded) {
        complete(EXIT_STATUS_TRANSFER, failureText(record, lostText()));
        return;
    }
    // Settings the terminal did not send would be saved as zeros.
    if (loaded->detail > 0) {
        complete(EXIT_STATUS_TRANSFER, incompleteBaseText(loaded->detail));
        return;
    }
    // The window keeps a CSD connection type other than 0 as 1 after a download; the file
    // is kept the same, so that files saved here and there are alike.
    uint8_t &csdType = SettingsStorage.servers[CSD_ENTRY][SERVER_TYPE_OFFSET];
    if (csdType != 0)
        csdType = 1;

    const QString path = fileFor(m_options.output);
    QString error;
    if (!SettingsFile::save(path, &error)) {
        complete(EXIT_STATUS_FILE, tr("Не удается сохранить файл настроек %1: %2").arg(path, error));
        return;
    }
    current().file = path;
    complete(EXIT_STATUS_OK, tr("Настройки сохранены в %1").arg(path));
}

void FleetRunner::writeFileSettings()
{
    // Loaded again for each terminal, into storage that holds only this terminal's counts (and,
    // with --allow-partial, its own settings beneath).
    QString error;
    QVector<TSettingKey> missing;
    if (!SettingsFile::load(m_options.input, &error, &missing)) {
        complete(EXIT_STATUS_FILE, tr("Не удается открыть файл настроек %1: %2").arg(m_options.input, error));
        return;
    }
    if (!missing.isEmpty() && !m_options.allowPartial) {
        complete(EXIT_STATUS_FILE, incompleteFileText(missing));
        return;
    }
    const QString refusal = settingsUploadRefusal();
    if (!refusal.isEmpty()) {
        complete(EXIT_STATUS_FILE, refusal);
        return;
    }
    m_driver.uploadSettings();
}

void FleetRunner::onOverlayBaseRead(const TStepRecord &record)
{
    const TSessionOutcome *loaded = record.find(ESessionOutcome::SettingsLoaded);
    if (!loaded) {
        complete(EXIT_STATUS_TRANSFER, failureText(record, lostText()));
        return;
    }
    // With holes beneath, the file's holes would still be written as zeros.
    if (loaded->detail > 0) {
        complete(EXIT_STATUS_TRANSFER, incompleteBaseText(loaded->detail));
        return;
    }
    writeFileSettings();
}

QString FleetRunner::incompleteFileText(const QVector<TSettingKey> &missing) const
{
    return tr("Файл настроек %1 неполный: нет %2 настроек (%3); запись прервана, --allow-partial дополнит его "
              "настройками терминала")
        .arg(m_options.input)
        .arg(missing.size())
        .arg(settingKeysText(missing));
}

QString FleetRunner::incompleteBaseText(int missing) const
{
    return tr("Терминал прислал неполные настройки: нет %1 настроек").arg(missing);
}

void FleetRunner::onLogDownloaded(const TStepRecord &record)
{
    if (!record.has(ESessionOutcome::LogLoaded)) {
        complete(EXIT_STATUS_TRANSFER, failureText(record, lostText()));
        return;
    }
    const QString text = TerminalText::decode(record.log);
    const QByteArray bytes = text.toUtf8();

    const QString path = fileFor(m_options.output);
    // Written aside and renamed over the old file only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCDebug(lcCli) << "Error file writing" << path << file.errorString();
        complete(EXIT_STATUS_FILE, tr("Не удается сохранить файл %1: %2").arg(path, file.errorString()));
        return;
    }
    current().file = path;
    complete(EXIT_STATUS_OK, tr("LOG сохранен в %1").arg(path));
}

// Records the terminal's result, then ends its session if one is still open.
void FleetRunner::complete(int status, const QString &message)
{
    TTerminalResult &result = current();
    result.outcome = status == EXIT_STATUS_OK ? EOutcome::Ok : EOutcome::Failed;
    result.status = status;
    result.message = message;
    if (!m_workerStuck && m_driver.isConnected()) {
        m_phase = EPhase::Disconnecting;
        m_driver.endSession();
        return;
    }
    finishTerminal();
}

void FleetRunner::finishTerminal()
{
    const TTerminalResult &result = current();
    if (result.outcome == EOutcome::Ok)
        Console::errLine(tr("[%1] Готово: %2").arg(result.id, result.message));
    else
        Console::errLine(tr("[%1] Не выполнено: %2").arg(result.id, result.message));

    const bool stop = m_workerStuck || (result.outcome == EOutcome::Failed && !m_options.continueOnError);
    if (stop) {
        for (int i = m_current + 1; i < m_results.size(); ++i) {
            m_results[i].outcome = EOutcome::Skipped;
            m_results[i].message = tr("не выполнялось после ошибки");
        }
        m_current = int(m_results.size());
        finishRun();
        return;
    }
    nextTerminal();
}

void FleetRunner::finishRun()
{
    if (m_done)
        return;
    m_done = true;
    m_phase = EPhase::Idle;
    m_driver.stop();
    printResults();
    int status = EXIT_STATUS_OK;
    for (const TTerminalResult &result : qAsConst(m_results)) {
        if (result.outcome == EOutcome::Failed) {
            status = result.status;
            break;
        }
    }
    emit finished(status);
}

void FleetRunner::failRun(int status, const QString &message)
{
    if (m_done)
        return;
    m_done = true;
    m_phase = EPhase::Idle;
    Console::errLine(tr("Ошибка: %1").arg(message));
    m_driver.stop();
    emit finished(status);
}

void FleetRunner::printResults() const
{
    TextTable summary({QStringLiteral("ID"), QStringLiteral("RESULT"), QStringLiteral("MESSAGE")});
    QJsonArray terminals;
    bool anyFailed = false;
    for (const TTerminalResult &result : m_results) {
        const QString outcome = outcomeName(result.outcome);
        summary.addRow({result.id, outcome, result.message});
        anyFailed = anyFailed || result.outcome != EOutcome::Ok;
        QJsonObject entry{{QStringLiteral("id"), result.id},
                          {QStringLiteral("result"), outcome},
                          {QStringLiteral("exit_status"), result.status},
                          {QStringLiteral("message"), result.message}};
        if (!result.file.isEmpty())
            entry.insert(QStringLiteral("file"), result.file);
        if (result.hasState)
            entry.insert(QStringLiteral("parameters"), result.parameters);
        terminals.append(entry);
    }

    if (m_options.json) {
        Console::out(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("terminals"), terminals}}).toJson(QJsonDocument::Indented)));
    } else if (m_options.command == ECliCommand::State) {
        for (const TTerminalResult &result : m_results) {
            if (!result.hasState)
                continue;
            if (m_results.size() > 1)
                Console::out(QStringLiteral("== %1 ==\n").arg(result.id));
            Console::out(result.stateTable);
        }
    } else {
        Console::out(summary.toString());
    }
    // The state itself is the output of state; its summary only matters when there is more
    // than the one terminal's table to see.
    if (m_options.command == ECliCommand::State && !m_options.json && (m_results.size() > 1 || anyFailed))
        Console::err(summary.toString());
}

QString FleetRunner::outcomeName(EOutcome outcome)
{
    switch (outcome) {
    case EOutcome::Ok:
        return QStringLiteral("ok");
    case EOutcome::Failed:
        return QStringLiteral("failed");
    case EOutcome::Skipped:
        return QStringLiteral("skipped");
    case EOutcome::Pending:
        break;
    }
    return QStringLiteral("pending");
}

void FleetRunner::progress(const QString &text)
{
    // Each state group ends with the same text; once is enough.
    if (text == m_lastProgress)
        return;
    m_lastProgress = text;
    const QString id = m_current >= 0 && m_current < m_results.size() ? m_results.at(m_current).id : QString();
    Console::errLine(id.isEmpty() ? text : QStringLiteral("[%1] %2").arg(id, text));
}

QString FleetRunner::fileFor(const QString &pattern) const
{
    const QString part = fileNamePart(m_results.at(m_current).id);
    if (pattern.contains(QLatin1String("{id}"))) {
        QString path = pattern;
        return path.replace(QLatin1String("{id}"), part);
    }
    if (!m_fileNamesCarryId)
        return pattern;
    const QFileInfo info(pattern);
    const QString suffix = info.suffix();
    const QString name = (suffix.isEmpty() ? info.fileName() : info.completeBaseName()) + QLatin1Char('-') + part
        + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    return info.path() == QLatin1String(".") && !pattern.startsWith(QLatin1String("./"))
        ? name
        : QDir(info.path()).filePath(name);
}

// The worker's last failure text, else the given one.
QString FleetRunner::failureText(const TStepRecord &record, const QString &fallback) const
{
    for (int i = int(record.outcomes.size()) - 1; i >= 0; --i) {
        const TSessionOutcome &outcome = record.outcomes.at(i);
        if (isFailure(outcome.code) && outcome.code != ESessionOutcome::Lost)
            return outcomeText(outcome);
    }
    if (record.lost)
        return lostText();
    return fallback;
}

void FleetRunner::resetStorage()
{
    SettingsStorage = TSettingsStorage{};
    initConstantParameters();
}
