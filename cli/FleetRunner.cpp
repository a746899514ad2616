#include "cli/FleetRunner.h"

#include "cli/CliLog.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FleetJobs.h"
#include "cli/FleetJournal.h"
#include "cli/SettingsText.h"
#include "cli/StateReport.h"
#include "cli/TextTable.h"
#include "files/BackupStore.h"
#include "files/SettingsFile.h"
#include "model/SettingsCoverage.h"
#include "model/SettingsStorage.h"
#include "model/TerminalText.h"
#include "model/SettingsUploadCheck.h"
#include "session/FileUpload.h"
#include "transport/CConfiguratorHandlerPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimer>

namespace {

// The state parameter that holds the IMEI, in the "system" group.
constexpr uint16_t IMEI_ID = 5;

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

FleetRunner::~FleetRunner() = default;

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
        startTerminals();
    });
}

// Skips what the journal says is done, then serves the rest here or in child processes.
void FleetRunner::startTerminals()
{
    m_journaled.fill(false, m_results.size());
    int pending = 0;
    for (int i = 0; i < m_results.size(); ++i) {
        TTerminalResult done;
        if (m_journal && m_journal->done(m_results[i].id, &done)) {
            m_journaled[i] = true;
            m_results[i].outcome = ETerminalOutcome::Skipped;
            m_results[i].file = done.file;
            m_results[i].backup = done.backup;
            m_results[i].message = tr("уже выполнено: %1 (журнал %2)").arg(done.message, m_journal->path());
        } else {
            ++pending;
        }
    }
    if (m_options.jobs > 1 && pending > 1 && !m_options.child) {
        runJobs();
        return;
    }
    nextTerminal();
}

void FleetRunner::runJobs()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(CliOptions::CHILD_VARIABLE), QStringLiteral("1"));
    // Never on a command line, which other users can see.
    if (m_options.pin.isEmpty())
        environment.remove(QLatin1String(CliOptions::PIN_VARIABLE));
    else
        environment.insert(QLatin1String(CliOptions::PIN_VARIABLE), m_options.pin);
    const bool writes = m_options.command == ECliCommand::ReadSettings || m_options.command == ECliCommand::Log;
    QList<FleetJobs::TJob> jobs;
    for (int i = 0; i < m_results.size(); ++i) {
        if (!m_journaled[i])
            jobs.append({i, CliOptions::terminalArguments(m_options, m_results[i].id,
                                                          writes ? fileFor(m_options.output, i) : QString())});
    }
    m_progressOf.fill(QByteArray(), m_results.size());
    m_ran.fill(false, m_results.size());
    m_jobs = new FleetJobs(QCoreApplication::applicationFilePath(), environment, m_options.jobs, this);
    connect(m_jobs, &FleetJobs::jobFinished, this, &FleetRunner::onJobFinished);
    connect(m_jobs, &FleetJobs::allFinished, this, [this] {
        for (TTerminalResult &result : m_results) {
            if (result.outcome == ETerminalOutcome::Pending) {
                result.outcome = ETerminalOutcome::Skipped;
                result.message = tr("не выполнялось после ошибки");
            }
        }
        printInOrder(true);
        finishRun();
    });
    m_jobs->run(jobs);
}

void FleetRunner::onJobFinished(int index, const TTerminalResult &result, const QByteArray &progress)
{
    const QString id = m_results[index].id;
    m_results[index] = result;
    m_results[index].id = id;
    m_progressOf[index] = progress;
    m_ran[index] = true;
    journalResult(m_results[index]);
    if (result.outcome == ETerminalOutcome::Failed && !m_options.continueOnError)
        m_jobs->stopStarting();
    printInOrder(false);
}

// Progress of the terminals in their order, each as soon as all before it have ended.
void FleetRunner::printInOrder(bool all)
{
    for (; m_printed < m_results.size(); ++m_printed) {
        const int i = m_printed;
        if (m_journaled[i]) {
            Console::errLine(tr("[%1] Пропущено: %2").arg(m_results[i].id, m_results[i].message));
        } else if (m_ran[i]) {
            Console::errLine(header(i));
            Console::err(QString::fromUtf8(m_progressOf[i]));
            m_progressOf[i].clear();
        } else if (!all) {
            return;
        }
    }
}

void FleetRunner::journalResult(const TTerminalResult &result)
{
    QString error;
    if (m_journal && !m_journal->append(result, &error))
        Console::errLine(tr("Предупреждение: %1").arg(error));
}

QString FleetRunner::header(int index) const
{
    return QStringLiteral("== [%1/%2] %3 ==").arg(index + 1).arg(m_results.size()).arg(m_results.at(index).id);
}

// Files are checked before any terminal is touched: a bad file would fail every terminal.
bool FleetRunner::precheck()
{
    if (!loadJournal())
        return false;
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
        // A child's parent has said it once already.
        if (!error.isEmpty() && !m_options.child)
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
    case ECliCommand::Diff: {
        m_deviceIsA = m_options.diffA == QLatin1String(CliOptions::DIFF_DEVICE);
        const QString path = m_deviceIsA ? m_options.diffB : m_options.diffA;
        QStringList problems;
        if (!SettingsText::load(path, &m_diffFile, &problems)) {
            m_done = true;
            emit finished(SettingsText::refuse(path, problems));
            return false;
        }
        return true;
    }
    default:
        return true;
    }
}

bool FleetRunner::loadJournal()
{
    if (m_options.journal.isEmpty())
        return true;
    m_journal = std::make_unique<FleetJournal>(m_options.journal, CliOptions::commandName(m_options.command),
                                               m_options.input, m_options.output);
    QString error;
    if (m_journal->load(&error))
        return true;
    failRun(EXIT_STATUS_FILE, error);
    return false;
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
    startTerminals();
}

void FleetRunner::nextTerminal()
{
    ++m_current;
    for (; m_current < m_results.size() && m_journaled[m_current]; ++m_current)
        Console::errLine(tr("[%1] Пропущено: %2").arg(current().id, current().message));
    if (m_current >= m_results.size()) {
        finishRun();
        return;
    }
    // A child's parent puts the header before its lines.
    if (!m_options.child)
        Console::errLine(header(m_current));
    m_lastProgress.clear();
    m_rowsRead.clear();
    m_work = EWork::Command;
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
    // Nothing, the backup included, is done to a terminal whose settings would be cut short.
    if (m_options.command == ECliCommand::WriteSettings && !checkDeviceType())
        return;
    if (needsBackup())
        startBackup();
    else
        beginCommand();
}

bool FleetRunner::needsBackup() const
{
    switch (m_options.command) {
    case ECliCommand::WriteSettings:
    case ECliCommand::Firmware:
    case ECliCommand::FactoryReset:
        return !m_options.noBackup;
    case ECliCommand::Backup:
    case ECliCommand::Diff:
        return true;
    default:
        return false;
    }
}

// A terminal on USB has no id of its own: its backups go by its IMEI.
void FleetRunner::startBackup()
{
    if (m_options.link != ECliLink::Relay && m_options.command != ECliCommand::Diff) {
        m_work = EWork::Imei;
        m_driver.readStateGroup(GROUP_SYSTEM);
        return;
    }
    m_backupName = current().id;
    m_work = EWork::Backup;
    m_driver.readBackup();
}

void FleetRunner::onImeiRead(const TStepRecord &record)
{
    const int row = parameterRowOfId(IMEI_ID);
    m_backupName = m_rowsRead.value(row, false) ? StateReport::displayValue(row).trimmed() : QString();
    if (m_backupName.isEmpty()) {
        backupFailed(EXIT_STATUS_TRANSFER, failureText(record, tr("терминал не сообщил IMEI, по которому названа копия")));
        return;
    }
    m_work = EWork::Backup;
    m_driver.readBackup();
}

void FleetRunner::onBackupRead(const TStepRecord &record)
{
    if (!record.backupRead) {
        backupFailed(EXIT_STATUS_TRANSFER, failureText(record, lostText()));
        return;
    }
    const QByteArray image = BackupStore::imageOfBase(record.backup);
    if (m_options.command == ECliCommand::Diff) {
        m_differences = m_deviceIsA ? SettingsDiff::compare(image, m_diffFile) : SettingsDiff::compare(m_diffFile, image);
        complete(EXIT_STATUS_OK, tr("Настройки терминала прочитаны"));
        return;
    }
    const EBackupReason reason = m_options.command == ECliCommand::WriteSettings ? EBackupReason::Write
        : m_options.command == ECliCommand::Firmware                        ? EBackupReason::Firmware
        : m_options.command == ECliCommand::FactoryReset                    ? EBackupReason::FactoryReset
                                                                             : EBackupReason::Manual;
    QString error;
    const QString path = image.isEmpty()
        ? QString()
        : BackupStore(m_options.backupDir.isEmpty() ? BackupStore::defaultRoot() : m_options.backupDir)
              .save(m_backupName, image, reason, &error);
    if (path.isEmpty()) {
        backupFailed(EXIT_STATUS_FILE, image.isEmpty() ? tr("настройки терминала не помещаются в файл") : error);
        return;
    }
    if (!error.isEmpty())
        progress(tr("Предупреждение: %1").arg(error));
    current().backup = path;
    if (m_options.command == ECliCommand::Backup) {
        current().file = path;
        complete(EXIT_STATUS_OK, tr("Резервная копия сохранена в %1").arg(path));
        return;
    }
    progress(tr("Резервная копия настроек сохранена в %1").arg(path));
    beginCommand();
}

void FleetRunner::backupFailed(int status, const QString &reason)
{
    if (m_options.command == ECliCommand::Backup || m_options.command == ECliCommand::Diff) {
        complete(status, reason);
        return;
    }
    complete(status, tr("Резервная копия не сделана: %1. %2 не выполнялось; --no-backup выполнит без копии")
                         .arg(reason, CliOptions::commandName(m_options.command)));
}

void FleetRunner::beginCommand()
{
    m_work = EWork::Command;
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
        // The terminal's own settings first, for the file's records to lie over.
        if (m_options.allowPartial) {
            m_work = EWork::Overlay;
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
    default:
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
    switch (m_work) {
    case EWork::Imei:
        onImeiRead(record);
        return;
    case EWork::Backup:
        onBackupRead(record);
        return;
    case EWork::Overlay:
        m_work = EWork::Command;
        onOverlayBaseRead(record);
        return;
    case EWork::Command:
        break;
    }
    switch (m_options.command) {
    case ECliCommand::State:
        onStateGroupRead(record);
        break;
    case ECliCommand::ReadSettings:
        onSettingsDownloaded(record);
        break;
    case ECliCommand::WriteSettings:
        if (record.has(ESessionOutcome::SettingsSent)) {
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
    default:
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

    const QString path = fileFor(m_options.output, m_current);
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

    const QString path = fileFor(m_options.output, m_current);
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
    result.outcome = status == EXIT_STATUS_OK ? ETerminalOutcome::Ok : ETerminalOutcome::Failed;
    result.status = status;
    result.message = message;
    // Whatever became of the command, the way back is named.
    if (!result.backup.isEmpty() && m_options.command != ECliCommand::Backup)
        result.message = tr("%1 (резервная копия: %2)").arg(message, result.backup);
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
    journalResult(result);
    if (result.outcome == ETerminalOutcome::Ok)
        Console::errLine(tr("[%1] Готово: %2").arg(result.id, result.message));
    else
        Console::errLine(tr("[%1] Не выполнено: %2").arg(result.id, result.message));

    const bool stop = m_workerStuck || (result.outcome == ETerminalOutcome::Failed && !m_options.continueOnError);
    if (stop) {
        for (int i = m_current + 1; i < m_results.size(); ++i) {
            if (m_journaled[i])
                continue;
            m_results[i].outcome = ETerminalOutcome::Skipped;
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
    if (m_options.command == ECliCommand::Diff && !m_options.child && !m_results.isEmpty()
        && m_results.first().outcome == ETerminalOutcome::Ok) {
        const QString device = m_results.first().id;
        emit finished(SettingsText::printDifferences(m_deviceIsA ? device : m_options.diffA,
                                                     m_deviceIsA ? m_options.diffB : device, m_differences,
                                                     m_options.json));
        return;
    }
    printResults();
    int status = EXIT_STATUS_OK;
    for (const TTerminalResult &result : qAsConst(m_results)) {
        if (result.outcome == ETerminalOutcome::Failed) {
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
        summary.addRow({result.id, TTerminalResult::outcomeName(result.outcome), result.message});
        anyFailed = anyFailed || result.outcome != ETerminalOutcome::Ok;
        terminals.append(result.toJson(m_options.child));
    }

    if (m_options.json || m_options.child) {
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

void FleetRunner::progress(const QString &text)
{
    // Each state group ends with the same text; once is enough.
    if (text == m_lastProgress)
        return;
    m_lastProgress = text;
    const QString id = m_current >= 0 && m_current < m_results.size() ? m_results.at(m_current).id : QString();
    Console::errLine(id.isEmpty() ? text : QStringLiteral("[%1] %2").arg(id, text));
}

QString FleetRunner::fileFor(const QString &pattern, int index) const
{
    const QString part = fileNamePart(m_results.at(index).id);
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
