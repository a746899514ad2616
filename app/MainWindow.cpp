#include "app/MainWindow.h"

#include "app/AppLog.h"
#include "app/PlotsPage.h"
#include "app/StateViews.h"
#include "app/StatusBoard.h"
#include "app/UserPrompts.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BackupsDialog.h"
#include "dialogs/DifferencesDialog.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "editors/SettingsViews.h"
#include "files/InterfaceLanguage.h"
#include "files/SettingsFile.h"
#include "files/SettingsJson.h"
#include "files/WriteFailure.h"
#include "model/SettingsDiff.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "model/TerminalText.h"
#include "model/SettingsUploadCheck.h"
#include "session/usb_handler.h"
#include "transport/TServerAddress.h"
#include "ui_MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCommandLinkButton>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QSet>
#include <QSettings>
#include <QShortcut>
#include <QIcon>
#include <QMetaObject>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QSaveFile>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cerrno>
#include <iterator>

// Q_INIT_RESOURCE may not be used inside a namespace.
static void initIconResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(icons);
        done = true;
    }
}

namespace {

const char LOG_SAVE_ERROR[] = QT_TRANSLATE_NOOP("MainWindow", "Не удается открыть файл, возможно он открыт в другом приложении");
const char SETTINGS_FILE_ERROR[] = QT_TRANSLATE_NOOP("MainWindow", "Не удается открыть файл");
const char SETTINGS_FILTERS[] = QT_TRANSLATE_NOOP("MainWindow", "Файлы настроек (*.ksf);;Настройки в JSON (*.json)");
const char OPEN_FILTERS[] = QT_TRANSLATE_NOOP("MainWindow", "Настройки (*.ksf *.json);;Файлы настроек (*.ksf);;Настройки в JSON (*.json)");
const int IMEI_ROW = 3;
const int FIRMWARE_ROW = 1;

constexpr int REGULAR_TICK_MS = 1000;
// Long enough for a transaction cut short by request_shutdown and the close notification.
constexpr int WORKER_STOP_WAIT_MS = 8000;
constexpr int LOGO_MAX_HEIGHT = 115;

QStyle *fusionStyle()
{
    // Shared and owned by the application: a widget does not own the style it is given.
    static QStyle *style = [] {
        QStyle *s = QStyleFactory::create(QStringLiteral("Fusion"));
        if (s)
            s->setParent(qApp);
        return s;
    }();
    return style;
}

bool serverInUse(int entry)
{
    return SettingsStorage.servers[entry][SERVER_TYPE_OFFSET] != 0;
}

// A name typed without the extension gets it, or the open dialog would not list the file.
QString withSuffix(const QString &name, const char *suffix)
{
    return QFileInfo(name).suffix().isEmpty() ? name + QLatin1Char('.') + QLatin1String(suffix) : name;
}

QString noTerminalTip()
{
    return MainWindow::tr("Нет соединения с устройством");
}

bool isJsonFile(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

// Replaces the file with the settings as JSON in one step; error gets the reason.
bool saveJson(const QString &path, const QByteArray &image, QString *error)
{
    const QByteArray json = SettingsJson::exportImage(image, error);
    if (json.isEmpty())
        return false;
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        *error = writeFailureReason(file, errno);
        return false;
    }
    return true;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      about_dialog(nullptr),
      ui(new Ui::MainWindow)
{
    initIconResources();

    qRegisterMetaType<QList<TDeviceToConfigInfo>>("QList<TDeviceToConfigInfo>");
    qRegisterMetaType<TDeviceToConnect>("TDeviceToConnect");
    qRegisterMetaType<TServerAddress>("TServerAddress");

    window_title = tr("Trivox конфигуратор") + QLatin1Char(' ') + QLatin1String(TRIVOX_VERSION);
    clear_relay_state();

    ui->setupUi(this);
    setWindowTitle(window_title);
    status_board = new StatusBoard(ui->statusBar, ui->StatusHistory, this);
    if (QIcon::hasThemeIcon(QStringLiteral("trivox.ico")))
        setWindowIcon(QIcon::fromTheme(QStringLiteral("trivox.ico")));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF3, 0xF5, 0xF8));
    pal.setColor(QPalette::Highlight, QColor(0x1F, 0x6F, 0xC5));
    setPalette(pal);
    if (QStyle *style = fusionStyle())
        ui->centralWidget->setStyle(style);
    QPixmap logo(QStringLiteral(":/icons/Trivox_logo.png"));
    if (logo.height() > LOGO_MAX_HEIGHT)
        logo = logo.scaledToHeight(LOGO_MAX_HEIGHT, Qt::SmoothTransformation);
    ui->logoLabel->setPixmap(logo);
    // With all eight buttons shown the column is full; the logo must not be squeezed.
    ui->logoLabel->setMinimumHeight(logo.height());

    progress_bar = new QProgressBar(this);
    progress_bar->setProperty("alignment", int(Qt::AlignRight));
    progress_bar->setProperty("textVisible", false);
    progress_bar->setProperty("value", 0);
    progress_bar->setFixedHeight(10);
    progress_bar->setFixedWidth(200);
    ui->statusBar->addPermanentWidget(progress_bar);
    install_language_choice();

    // The terminal's log lines are columns of times and codes.
    ui->LOGOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        on_SystemDiag_clicked();
        ui->diagTabs->setCurrentIndex(0);
        ui->LogFind->setFocus();
        ui->LogFind->selectAll();
    });
    connect(ui->LogFind, &QLineEdit::returnPressed, this, [this] {
        find_in_log(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
    });

    ui->stackedWidget->setCurrentIndex(0);
    ui->UpdateFirmware->hide();
    ui->DownloadSettings->hide();
    ui->UploadSettings->hide();
    install_plots_page();


    worker_thread = new QThread;
    worker = new usb_handler;
    worker->setQuietPolling(true);
    worker->runIn(worker_thread);

    regular_timer = new QTimer(this);
    regular_timer->setInterval(REGULAR_TICK_MS);
    // Runs while connected only: a window left without a terminal wakes for nothing.
    connect(regular_timer, &QTimer::timeout, worker, &usb_handler::on_regular_timer, Qt::DirectConnection);

    connect(worker_thread, &QThread::started, worker, &usb_handler::main_loop);
    connect(this, &MainWindow::Start_device_connection, worker, &usb_handler::start_connection, Qt::DirectConnection);
    connect(this, &MainWindow::Stop_device_connection, worker, &usb_handler::stop_connection, Qt::DirectConnection);
    connect(this, &MainWindow::device_pin, worker, &usb_handler::on_device_pin);
    connect(this, &MainWindow::start_update_state, worker, &usb_handler::on_start_update_state, Qt::DirectConnection);
    connect(this, &MainWindow::stop_update_state, worker, &usb_handler::on_stop_update_state, Qt::DirectConnection);
    connect(this, &MainWindow::download_settings, worker, &usb_handler::on_download_settings, Qt::DirectConnection);
    connect(this, &MainWindow::upload_settings, worker, &usb_handler::on_upload_settings, Qt::DirectConnection);
    connect(this, &MainWindow::Start_firmware_update, worker, &usb_handler::update_firmware);
    connect(this, &MainWindow::start_add_dallas_temp, worker, &usb_handler::on_start_add_temp);
    connect(this, &MainWindow::stop_add_dallas_temp, worker, &usb_handler::on_stop_add_temp);
    connect(this, &MainWindow::download_log, worker, &usb_handler::on_download_log);
    // Made once here, not by the tree builders: a connection per rebuild would repeat the command.
    connect(this, &MainWindow::setDigitalOutput, worker, &usb_handler::setDigitalOutput, Qt::QueuedConnection);
    connect(this, &MainWindow::resetDigitalOutput, worker, &usb_handler::resetDigitalOutput, Qt::QueuedConnection);
    connect(worker, &usb_handler::device_connected, this, &MainWindow::if_Device_connected);
    connect(worker, &usb_handler::device_disconnected, this, &MainWindow::if_Device_disconnected);
    connect(worker, &usb_handler::progress, this, &MainWindow::if_progress);
    connect(worker, &usb_handler::pin_request, this, &MainWindow::if_pin_request);
    connect(worker, &usb_handler::state_updated, this, &MainWindow::if_State_updated);
    connect(worker, &usb_handler::bar_percentage, this, &MainWindow::if_bar_percentage);
    connect(worker, &usb_handler::settings_updated, this, &MainWindow::if_Settings_updated);
    connect(worker, &usb_handler::log_data, this, &MainWindow::if_log_data);
    connect(worker, &usb_handler::device_list, this, &MainWindow::if_Devlist_received);
    connect(worker, &usb_handler::device_type_received, this, &MainWindow::if_dev_type_received);
    connect(worker, &usb_handler::outcome, this, &MainWindow::if_outcome);
    connect(worker, &usb_handler::parameter_read, this, &MainWindow::if_parameter_read);
    connect(worker, &usb_handler::backup_read, this, &MainWindow::on_backup_read);

    connection_dialog = new connection_window(this);
    connection_dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                                      | Qt::WindowTitleHint);
    connect(connection_dialog, &connection_window::start_connection, worker, &usb_handler::start_connection);
    connect(connection_dialog, &connection_window::sendServerParameters, worker, &usb_handler::update_server_param);
    connect(connection_dialog, &connection_window::start_connection, this, &MainWindow::on_connection_window_start);
    connect(connection_dialog, &connection_window::sendServerParameters, this, [this](const TServerAddress &server) {
        // A new relay attempt: no terminal is chosen until its list comes.
        pending_connection = TPendingConnection{};
        last_server = server;
    });
    sent_pin = QLatin1String(usb_handler::DEFAULT_PIN);
    reconnect_timer = new QTimer(this);
    connect(reconnect_timer, &QTimer::timeout, this, &MainWindow::try_reconnect);

    connect(ui->sysStateTabs, &QTabWidget::currentChanged, worker, &usb_handler::on_current_state_tab_changed,
            Qt::QueuedConnection);
    connect(ui->sysStateTabs, &QTabWidget::currentChanged, worker, &usb_handler::on_irq, Qt::DirectConnection);
    // A tree that comes into view is sized to what it shows.
    connect(ui->sysStateTabs, &QTabWidget::currentChanged, this, [this] { state_resize_pending = true; if_State_updated(); });
    connect(ui->sysSettingsTabs, &QTabWidget::currentChanged, worker, &usb_handler::on_irq, Qt::DirectConnection);

    connected = false;
    status_board->progress(tr("Соединение не установлено"));

    rebuild_views(DEVICE_TYPE_F0);
    set_origin(SettingsOrigin());
    take_baseline();
    update_command_access();
    ui->ShowChanges->setEnabled(false);

    worker_thread->start(QThread::InheritPriority);
    emit start_update_state();
    QMetaObject::invokeMethod(worker, "on_current_state_tab_changed", Qt::QueuedConnection,
                              Q_ARG(int, ui->sysStateTabs->currentIndex()));
}

MainWindow::~MainWindow()
{
    // The page's last hide would hand polling back to a worker that is gone.
    if (plots_page)
        plots_page->disconnect(this);
    shutdown_worker();
    delete ui;
}

void MainWindow::shutdown_worker()
{
    regular_timer->stop();
    // Cuts short a transaction in progress; the queued shutdown then sends the close
    // notification and quits the thread.
    worker->request_shutdown();
    QMetaObject::invokeMethod(worker, "shutdown", Qt::QueuedConnection);
    if (worker_thread->wait(WORKER_STOP_WAIT_MS) && worker->hasStopped()) {
        delete worker;
        delete worker_thread;
    } else {
        // Deleting a running thread or an object busy in it would crash; leaking is safe at exit.
        qCWarning(lcApp) << "[MainWindow::~MainWindow] WARNING worker thread still running, left behind";
    }
    worker = nullptr;
    worker_thread = nullptr;
}

void MainWindow::clear_relay_state()
{
    relay_session = false;
    relay_device = TDeviceToConfigInfo{};
    server_guard_count = 0;
    server_guard_last_free = 0;
}

TViewsContext MainWindow::views_context()
{
    return TViewsContext{ui->StateSysView,      ui->StateIOView,     ui->StateNetView,
                         ui->SetConnectionView, ui->SetSecurityView, ui->SetSensorsView,
                         views_object_holder,   views_widget_holder, worker,
                         this,                  &connected,          state_valid};
}

void MainWindow::rebuild_views(uint8_t device_type)
{
    if (device_type == DEVICE_TYPE_F0)
        setCapabilitiesForDeviceType(device_type);

    views_widget_holder = new QWidget(this);
    // Only a parent for the cells' widgets; shown, it would cover the window's corner.
    views_widget_holder->hide();
    views_object_holder = new QObject(this);

    const TViewsContext ctx = views_context();
    StateViews::build(ctx);

    server_guard_count = 0;
    for (int entry = 0; entry < GUARDED_SERVERS; ++entry) {
        if (serverInUse(entry))
            ++server_guard_count;
        else
            server_guard_last_free = uint8_t(entry);
    }
    SettingsViews::build_connection_view(ctx);
    SettingsViews::build_security_view(ctx);
    SettingsViews::build_sensors_view(ctx);
}

void MainWindow::if_dev_type_received()
{
    // New editors read the storage as they are built; that is not an edit of the operator's.
    const bool clean = !hasUnwrittenEdits();
    views_object_holder->deleteLater();
    views_widget_holder->deleteLater();
    rebuild_views(SettingsStorage.parameters.deviceType[0]);
    if (clean)
        take_baseline();
    update_command_access();
}

void MainWindow::if_Device_connected()
{
    ui->UpdateFirmware->show();
    ui->DownloadSettings->show();
    ui->UploadSettings->show();
    ui->ConnectToDevice->setText(tr("Отключиться"));
    connected = true;
    regular_timer->start();
    ++session_serial;
    // Nothing of this terminal has been read yet, and nothing of another may show.
    std::fill(std::begin(state_valid), std::end(state_valid), false);
    state_history.clear();
    if (plots_page)
        plots_page->startSession();
    session_caption = pending_connection.caption;
    // What got the terminal, for getting it back: kept in memory only.
    working_pin = sent_pin;
    reconnect_device = pending_connection.device;
    reconnect_caption = pending_connection.caption;
    pending_connection = TPendingConnection{};
    if (reconnect_timer->isActive())
        reconnected();
    else if (connection_dialog->autoReconnect())
        // The firmware version, to tell whether it changed when the terminal comes back.
        worker->read_state_group(GROUP_SYSTEM);
    if (!session_caption.isEmpty())
        setWindowTitle(window_title + QStringLiteral(" - ") + session_caption);
    update_command_access();
}

void MainWindow::if_Device_disconnected(bool lost)
{
    ui->UpdateFirmware->hide();
    ui->DownloadSettings->hide();
    ui->UploadSettings->hide();
    clear_relay_state();
    connected = false;
    regular_timer->stop();
    std::fill(std::begin(state_valid), std::end(state_valid), false);
    // At once, not at the next tab switch: the terminal's values are not live any more.
    StateViews::refresh(views_context(), StateViews::ERefresh::Resize);
    guarded = EGuarded::None;
    end_transfer();
    update_command_access();
    if (lost)
        UserPrompts::critical(this, tr("Ошибка"), tr("Потеряно соединение с устройством, проверьте подключение"));
    ui->ConnectToDevice->setText(reconnect_timer->isActive() ? tr("Прекратить переподключение") : tr("Соединиться"));
    status_board->progress(tr("Устройство отключено"));
    emit device_pin(QLatin1String(usb_handler::DEFAULT_PIN));
    sent_pin = QLatin1String(usb_handler::DEFAULT_PIN);
    device_caption.clear();
    session_caption.clear();
    setWindowTitle(window_title);
}

void MainWindow::if_Devlist_received(QList<TDeviceToConfigInfo> list)
{
    relay_session = true;
    if (list.isEmpty()) {
        UserPrompts::information(this, tr("Устройства не найдены"),
                                 tr("В данный момент к серверу не подключено ни одно устройство"));
        pending_connection = TPendingConnection{};
        emit Stop_device_connection();
        return;
    }

    QStringList texts;
    texts.reserve(list.size());
    for (const TDeviceToConfigInfo &info : list)
        texts << deviceCaption(info);

    QString chosen;
    QSettings remembered;
    const QString lastTerminal = remembered.value(QStringLiteral("connection/lastTerminal")).toString();
    const int result = UserPrompts::runDeviceSelection(this, texts, lastTerminal, &chosen);
    if (result == select_device_dialog::Refresh) {
        worker->update_server_param(last_server);
        return;
    }
    if (result != QDialog::Accepted) {
        pending_connection = TPendingConnection{};
        emit Stop_device_connection();
        return;
    }
    user_action();
    const int index = int(texts.indexOf(chosen));
    if (index < 0) {
        qCDebug(lcApp) << "[MainWindow::if_Devlist_received] chosen device" << chosen << "is not in the list";
        emit Stop_device_connection();
        return;
    }
    device_caption = chosen;
    remembered.setValue(QStringLiteral("connection/lastTerminal"), deviceIdText(list.at(index)) + QStringLiteral(": "));
    TDeviceToConnect device{};
    device.info = list.at(index);
    device.via_server = 1;
    start_pending(device, chosen);
    relay_device = device.info;
}

void MainWindow::if_State_updated()
{
    // Values arrive one row at a time; one repaint takes all that came in a burst.
    if (state_refresh_pending)
        return;
    state_refresh_pending = true;
    QTimer::singleShot(0, this, [this] {
        state_refresh_pending = false;
        StateViews::refresh(views_context(), state_resize_pending ? StateViews::ERefresh::Resize
                                                                  : StateViews::ERefresh::Changed);
        state_resize_pending = false;
    });
}

void MainWindow::if_Settings_updated()
{
    uint8_t &csdType = SettingsStorage.servers[CSD_ENTRY][SERVER_TYPE_OFFSET];
    if (csdType != 0)
        csdType = 1;
    emit update_set_views();
    SettingsViews::build_sensors_view(views_context());
    // Sensors enrolled: the terminal holds what the editors now show.
    if (transfer != ETransfer::Download && enrolment_clean)
        take_baseline();
    enrolment_clean = false;
}

void MainWindow::if_progress(TSessionProgress progress)
{
    // The state poll names each row it reads, tens of times a second: unreadable in the
    // status bar, and each text a repaint. The poll's end says enough.
    if (progress.kind == EProgress::ReadingParameter)
        return;
    status_board->progress(progressText(progress));
}

void MainWindow::if_outcome(TSessionOutcome outcome)
{
    status_board->outcome(outcomeText(outcome));
    if (endsAttempt(outcome.code) && outcome.code != ESessionOutcome::WrongPin)
        pending_connection = TPendingConnection{};
    switch (outcome.code) {
    case ESessionOutcome::Connected:
        if (announce_reconnect)
            status_board->outcome(tr("Устройство снова на связи (попыток: %1)").arg(reconnect_attempts));
        announce_reconnect = false;
        break;
    case ESessionOutcome::FirmwareInstalled:
        end_transfer();
        [[fallthrough]];
    case ESessionOutcome::Restarted:
    case ESessionOutcome::Lost:
        if (connection_dialog->autoReconnect())
            start_reconnect();
        break;
    case ESessionOutcome::SettingsLoaded: {
        bool identified = false;
        const QString terminal = session_terminal(&identified);
        set_origin(SettingsOrigin::fromTerminal(terminal, identified, session_serial, outcome.detail));
        take_baseline();
        if (outcome.detail > 0)
            UserPrompts::warning(this, tr("Настройки считаны не полностью"),
                                 tr("Устройство прислало не все настройки: не хватает %1. Эти поля "
                                    "показывают прежние значения, а не значения устройства.")
                                     .arg(outcome.detail));
        end_transfer();
        break;
    }
    case ESessionOutcome::SettingsSent:
        // What went to the terminal is what the editors held when it was asked for.
        settings_baseline = upload_image;
        note_edit();
        end_transfer();
        break;
    case ESessionOutcome::BackupReadFailed:
        guarded = EGuarded::None;
        end_transfer();
        break;
    case ESessionOutcome::SettingsLoadFailed:
    case ESessionOutcome::SettingsSendFailed:
    case ESessionOutcome::LogLoaded:
    case ESessionOutcome::LogFailed:
    case ESessionOutcome::FirmwareFileMissing:
    case ESessionOutcome::FirmwareFileUnreadable:
    case ESessionOutcome::FirmwareFailed:
        end_transfer();
        break;
    default:
        break;
    }
}

void MainWindow::if_parameter_read(int row, bool ok)
{
    if (row < 0 || row >= PARAMETER_COUNT)
        return;
    state_valid[row] = ok && connected;
    if (state_valid[row]) {
        state_history.record(row, QDateTime::currentMSecsSinceEpoch());
        if (plots_page)
            plots_page->takeRead(row);
    }
    if (row == FIRMWARE_ROW && state_valid[row])
        note_firmware_version();
}

void MainWindow::if_pin_request()
{
    // The PIN that worked no longer does: the operator answers from here on.
    if (reconnect_timer->isActive())
        stop_reconnect(QString());
    // The attempt the PIN was refused for, whatever the worker reports while the prompt is open.
    const TPendingConnection attempt = pending_connection;
    bool ok = false;
    const QString pin = UserPrompts::getPin(this, tr("Введите pin-код"), QStringLiteral("PIN:"), &ok);
    user_action();
    if (!ok || pin.size() != 4 || !attempt.active) {
        pending_connection = TPendingConnection{};
        return;
    }
    // Queued, but the worker takes queued calls in before it starts the search below.
    emit device_pin(pin);
    sent_pin = pin;
    start_pending(attempt.device, attempt.caption);
}

void MainWindow::if_bar_percentage(int percent)
{
    progress_bar->setValue(percent);
}

void MainWindow::if_log_data(QByteArray data)
{
    QString text = TerminalText::decode(data);
    // The log arrives in chunks cut anywhere, also between the CR and LF of one line end;
    // inserted apart, each would end a line of its own.
    const bool completesLineEnd = log_ends_in_cr && text.startsWith(QLatin1Char('\n'));
    if (!text.isEmpty())
        log_ends_in_cr = text.endsWith(QLatin1Char('\r'));
    if (completesLineEnd)
        text.remove(0, 1);
    QTextCursor cursor = ui->LOGOutput->textCursor();
    cursor.movePosition(QTextCursor::End);
    ui->LOGOutput->setTextCursor(cursor);
    ui->LOGOutput->insertPlainText(text);
    cursor.movePosition(QTextCursor::End);
    ui->LOGOutput->setTextCursor(cursor);
}

void MainWindow::check_server_count(int server)
{
    server_guard_count = 0;
    for (int entry = 0; entry < GUARDED_SERVERS; ++entry) {
        if (serverInUse(entry))
            ++server_guard_count;
        else
            server_guard_last_free = uint8_t(entry);
    }
    if (server_guard_count < GUARDED_SERVERS)
        return;

    UserPrompts::critical(this, tr("Ошибка"), tr("Попытка настроек количества серверов больше 6"));
    // The entry whose combo reported the change is the one just switched on; the
    // remembered free entry is stale after a disconnection, which zeroes it.
    const int entry = (server >= 0 && server < GUARDED_SERVERS) ? server : server_guard_last_free;
    SettingsStorage.servers[entry][SERVER_TYPE_OFFSET] = 0;
    emit update_set_views();
}

void MainWindow::add_temp_sensor()
{
    user_action();
    if (!connected) {
        UserPrompts::critical(this, tr("Добавление невозможно"),
                              tr("Для добавления датчиков необходимо подключить устройство"));
        return;
    }
    enrolment_clean = !hasUnwrittenEdits();
    emit start_add_dallas_temp();
    // The adding mode lasts exactly as long as this box is open.
    UserPrompts::information(this, tr("Режим добавления датчиков"),
                             tr("Включен режм добавления. Подключите новые датчики к устройству, затем "
                                "нажмите ок. Датчики будут добавлены автоматически."));
    emit stop_add_dallas_temp();
    emit update_set_views();
}

void MainWindow::confirm_restart()
{
    user_action();
    if (!connected)
        return;
    if (!UserPrompts::question(this, tr("Рестарт устройства"),
                               tr("Устройство будет перезагружено, сеанс связи с ним завершится."),
                               tr("Перезагрузить")))
        return;
    worker->on_reset_device();
    worker->on_irq();
}

void MainWindow::confirm_factory_reset()
{
    user_action();
    if (!connected)
        return;
    if (!UserPrompts::question(this, tr("Сброс к заводским настройкам"),
                               tr("Все настройки устройства будут заменены заводскими, сеанс связи с ним "
                                  "завершится. Отменить сброс нельзя."),
                               tr("Сбросить настройки")))
        return;
    start_guarded(EGuarded::FactoryReset);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!confirm_dropping_edits(tr("При закрытии программы они будут потеряны."), tr("Закрыть"))) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::on_SystemState_clicked()
{
    user_action();
    ui->stackedWidget->setCurrentIndex(0);
    state_resize_pending = true;
    if_State_updated();
    emit start_update_state();
    worker->reset_irq();
}

void MainWindow::on_SystemSettings_clicked()
{
    user_action();
    ui->stackedWidget->setCurrentIndex(1);
    worker->on_irq();
    emit stop_update_state();
}

void MainWindow::on_SystemDiag_clicked()
{
    user_action();
    ui->stackedWidget->setCurrentIndex(2);
    emit stop_update_state();
    worker->on_irq();
}

void MainWindow::install_language_choice()
{
    auto *choice = new QComboBox(this);
    choice->setObjectName(QStringLiteral("LanguageChoice"));
    choice->setToolTip(tr("Язык / Language"));
    // Each language by its own name, whatever the interface's.
    choice->addItem(QString::fromUtf8("\u0420\u0443\u0441\u0441\u043a\u0438\u0439"), QLatin1String(InterfaceLanguage::RUSSIAN));
    choice->addItem(QStringLiteral("English"), QLatin1String(InterfaceLanguage::ENGLISH));
    choice->setCurrentIndex(choice->findData(InterfaceLanguage::current()));
    ui->statusBar->addPermanentWidget(choice);
    connect(choice, qOverload<int>(&QComboBox::activated), this, [this, choice](int index) {
        const QString code = choice->itemData(index).toString();
        QSettings().setValue(QLatin1String(InterfaceLanguage::SETTINGS_KEY), code);
        if (code != InterfaceLanguage::current())
            UserPrompts::information(this, tr("Язык / Language"),
                                     tr("Язык интерфейса сменится при следующем запуске программы."));
    });
}

void MainWindow::install_plots_page()
{
    auto *button = new QCommandLinkButton(tr("Графики"), ui->buttonColumn);
    button->setObjectName(QStringLiteral("ShowPlots"));
    button->setIcon(QIcon(QStringLiteral(":/icons/plots.png")));
    button->setIconSize(ui->SystemDiag->iconSize());
    button->setSizePolicy(ui->SystemDiag->sizePolicy());
    button->setMinimumSize(ui->SystemDiag->minimumSize());
    button->setMaximumSize(ui->SystemDiag->maximumSize());
    button->setCheckable(true);
    ui->buttonGroup->addButton(button);
    ui->buttonColumnLayout->insertWidget(ui->buttonColumnLayout->indexOf(ui->SystemDiag) + 1, button);
    // The state is polled here as on the state page.
    connect(button, &QCommandLinkButton::clicked, this, [this] {
        user_action();
        // Made when first asked for: the charts cost start-up time and memory nobody may need.
        if (!plots_page) {
            plots_page = new PlotsPage(&state_history, ui->stackedWidget);
            ui->stackedWidget->addWidget(plots_page);
            connect(plots_page, &PlotsPage::pollGroupWanted, this, [this](int group) {
                worker->on_current_state_tab_changed(group < 0 ? ui->sysStateTabs->currentIndex() : group);
            });
        }
        ui->stackedWidget->setCurrentWidget(plots_page);
        emit start_update_state();
        worker->reset_irq();
    });
}

void MainWindow::on_UpdateFirmware_clicked()
{
    user_action();
    if (!connected) {
        UserPrompts::warning(this, tr("Загрузка невозможна"), tr("Для загрузки ПО необходимо подключить устройство"));
        return;
    }
    const QString path = UserPrompts::getOpenFileName(this, tr("Выберите файл прошивки"),
                                                      tr("Файлы прошивок Kora (*.kbf)"));
    if (path.isEmpty())
        return;
    // Any file can be chosen; the operator takes a last look at what goes into the terminal.
    const QFileInfo file(path);
    if (!UserPrompts::question(this, tr("Обновление прошивки"),
                               tr("В устройство будет записана прошивка из файла\n%1\n(%2 байт).\nПосле "
                                  "загрузки устройство отключится.")
                                   .arg(QDir::toNativeSeparators(file.absoluteFilePath()))
                                   .arg(file.size()),
                               tr("Загрузить прошивку")))
        return;
    firmware_path = path;
    start_guarded(EGuarded::Firmware);
}

void MainWindow::on_ConnectToDevice_clicked()
{
    user_action();
    if (reconnect_timer->isActive()) {
        stop_reconnect(tr("Переподключение остановлено"));
        return;
    }
    if (connected) {
        if (!confirm_dropping_edits(tr("После отключения записать их в это устройство будет нельзя."),
                                    tr("Отключиться")))
            return;
        emit Stop_device_connection();
        return;
    }
    if (!confirm_dropping_edits(tr("Они останутся в редакторе, но принадлежат не новому устройству."),
                                tr("Соединиться")))
        return;
    connection_dialog->show();
    connection_dialog->raise();
    connection_dialog->activateWindow();
}

void MainWindow::on_UploadSettings_clicked()
{
    user_action();
    const QString refusal = settingsUploadRefusal();
    if (!refusal.isEmpty()) {
        UserPrompts::critical(this, tr("Ошибка"), refusal);
        return;
    }
    bool identified = false;
    const QString terminal = session_terminal(&identified);
    if (settings_origin.needsConsentFor(terminal, identified, session_serial)
        && !UserPrompts::question(this, tr("Запись в другое устройство"),
                                  tr("Настройки в редакторе считаны из %1 (%2), а подключено %3.\nЗаписать их в "
                                     "%3?")
                                      .arg(settings_origin.terminal(),
                                           settings_origin.when().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                                           terminal),
                                  tr("Записать в %1").arg(terminal)))
        return;
    start_guarded(EGuarded::Upload);
}

void MainWindow::on_DownloadSettings_clicked()
{
    user_action();
    if (!confirm_dropping_edits(tr("Загрузка заменит их настройками устройства."), tr("Загрузить")))
        return;
    begin_transfer(ETransfer::Download);
    emit download_settings();
    worker->on_irq();
}

void MainWindow::on_GetLOG_clicked()
{
    user_action();
    if (!connected)
        return;
    // The whole log is read again: shown after what is there, it would repeat it.
    on_ClearLOG_clicked();
    begin_transfer(ETransfer::Log);
    emit download_log();
}

void MainWindow::on_ClearLOG_clicked()
{
    ui->LOGOutput->clear();
    log_ends_in_cr = false;
}

void MainWindow::find_in_log(bool backward)
{
    const QString text = ui->LogFind->text();
    if (text.isEmpty())
        return;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = ui->LOGOutput->find(text, flags);
    if (!found) {
        // From the other end once more, before saying there is none.
        QTextCursor cursor = ui->LOGOutput->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        ui->LOGOutput->setTextCursor(cursor);
        found = ui->LOGOutput->find(text, flags);
    }
    // Not found shows in the field itself: the status bar keeps the last outcome.
    ui->LogFind->setStyleSheet(found ? QString() : QStringLiteral("QLineEdit { background: #ffd6d6; }"));
}

void MainWindow::on_SaveLOG_clicked()
{
    user_action();
    const QString chosen = UserPrompts::getSaveFileName(this, tr("Укажите место сохранения"), tr("Файлы LOG (*.log)"));
    if (chosen.isEmpty())
        return;
    const QString name = withSuffix(chosen, "log");
    // Written aside and renamed over the old file only when complete, so a failure
    // leaves the old file whole.
    QSaveFile file(name);
    const QByteArray bytes = ui->LOGOutput->toPlainText().toUtf8();
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = writeFailureReason(file, errno);
        qCDebug(lcApp) << "Error file opening" << name << reason;
        show_file_error(tr(LOG_SAVE_ERROR), name, reason);
    }
}

void MainWindow::on_SettingsToFile_clicked()
{
    user_action();
    const QString chosen = UserPrompts::getSaveFileName(this, tr("Укажите место сохранения"), tr(SETTINGS_FILTERS));
    if (chosen.isEmpty())
        return;
    const QString name = withSuffix(chosen, "ksf");
    QString error;
    if (isJsonFile(name) ? !saveJson(name, build_settings_image(), &error) : !SettingsFile::save(name, &error)) {
        qCDebug(lcApp) << "Error file opening" << name << error;
        show_file_error(tr(SETTINGS_FILE_ERROR), name, error);
        return;
    }
    // Saved, the edits are no longer at risk.
    take_baseline();
}

void MainWindow::on_SettingsFromFile_clicked()
{
    user_action();
    const QString name = UserPrompts::getOpenFileName(this, tr("Выберите файл настроек"), tr(OPEN_FILTERS));
    if (name.isEmpty())
        return;
    if (!confirm_dropping_edits(tr("Файл заменит их."), tr("Загрузить файл")))
        return;
    QVector<TSettingKey> missing;
    const QByteArray image = read_settings_source(name, &missing);
    if (image.isEmpty())
        return;
    SettingsFile::loadImage(image);
    emit update_set_views();
    set_origin(SettingsOrigin::fromFile(name, missing.size()));
    take_baseline();
    if (!missing.isEmpty())
        UserPrompts::warning(this, tr("Файл загружен не полностью"),
                             tr("В файле %1 нет %2 настроек (%3). Эти поля сохранили прежние значения.")
                                 .arg(QFileInfo(name).fileName())
                                 .arg(missing.size())
                                 .arg(settingKeysText(missing)));
}

void MainWindow::on_aboutButton_clicked()
{
    user_action();
    if (about_dialog) {
        about_dialog->refresh();
    } else {
        about_dialog = new AboutDialog(window_title, this);
    }
    about_dialog->show();
    about_dialog->raise();
}

bool MainWindow::hasUnwrittenEdits() const
{
    return build_settings_image() != settings_baseline;
}

void MainWindow::start_pending(const TDeviceToConnect &device, const QString &caption)
{
    pending_connection.active = true;
    pending_connection.device = device;
    pending_connection.caption = caption;
    emit Start_device_connection(device);
}

void MainWindow::on_connection_window_start(TDeviceToConnect device)
{
    // The connection window asks the worker itself; this only records the attempt.
    relay_session = false;
    device_caption.clear();
    pending_connection.active = true;
    pending_connection.device = device;
    pending_connection.caption.clear();
}

QString MainWindow::session_terminal(bool *identified) const
{
    const QString relayId = session_caption.section(QStringLiteral(": "), 0, 0);
    if (!relayId.isEmpty()) {
        *identified = true;
        return relayId;
    }
    const ParameterDescriptor &imei = parameterRow(IMEI_ROW);
    const QString number = QString::fromLatin1(reinterpret_cast<const char *>(imei.value),
                                               int(qstrnlen(reinterpret_cast<const char *>(imei.value), imei.size)));
    *identified = state_valid[IMEI_ROW] && !number.isEmpty();
    return *identified ? QStringLiteral("IMEI %1").arg(number) : tr("устройства на USB");
}

void MainWindow::set_origin(const SettingsOrigin &origin)
{
    settings_origin = origin;
    ui->SettingsOrigin->setText(origin.describe());
}

void MainWindow::take_baseline()
{
    settings_baseline = build_settings_image();
    note_edit();
}

bool MainWindow::confirm_dropping_edits(const QString &consequence, const QString &action)
{
    if (!hasUnwrittenEdits())
        return true;
    return UserPrompts::question(this, tr("Изменения не записаны"),
                                 tr("Настройки в редакторе изменены, но не записаны в устройство и не сохранены в "
                                    "файл. %1")
                                     .arg(consequence),
                                 action);
}

void MainWindow::begin_transfer(ETransfer kind)
{
    transfer = kind;
    update_command_access();
}

void MainWindow::end_transfer()
{
    transfer = ETransfer::None;
    update_command_access();
}

void MainWindow::update_command_access()
{
    const bool idle = transfer == ETransfer::None;
    // One transfer at a time: a second would work on settings the first is still changing.
    for (QWidget *button : {static_cast<QWidget *>(ui->DownloadSettings), static_cast<QWidget *>(ui->UploadSettings),
                            static_cast<QWidget *>(ui->UpdateFirmware), static_cast<QWidget *>(ui->SettingsFromFile)})
        button->setEnabled(idle);
    ui->GetLOG->setEnabled(connected && idle);
    ui->GetLOG->setToolTip(connected ? QString() : noTerminalTip());
    for (QTreeView *view : {ui->StateSysView, ui->StateIOView, ui->StateNetView}) {
        const auto buttons = view->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            if (!button->property(StateViews::NEEDS_TERMINAL).toBool())
                continue;
            button->setEnabled(connected);
            button->setToolTip(connected ? QString() : noTerminalTip());
        }
    }
}

void MainWindow::show_file_error(const QString &text, const QString &path, const QString &reason)
{
    UserPrompts::critical(this, tr("Ошибка"),
                          QStringLiteral("%1\n%2: %3").arg(text, QDir::toNativeSeparators(path), reason));
}

void MainWindow::user_action()
{
    status_board->userAction();
}

void MainWindow::note_edit()
{
    if (edit_marks_pending)
        return;
    edit_marks_pending = true;
    QTimer::singleShot(0, this, [this] {
        edit_marks_pending = false;
        refresh_edit_marks();
    });
}

void MainWindow::refresh_edit_marks()
{
    const QVector<TSettingDifference> changes = SettingsDiff::compare(settings_baseline, build_settings_image());
    QSet<QString> changed;
    for (const TSettingDifference &d : changes)
        changed.insert(d.key);
    for (QTreeView *view : {ui->SetConnectionView, ui->SetSecurityView, ui->SetSensorsView}) {
        const auto editors = view->findChildren<QWidget *>();
        for (QWidget *editor : editors) {
            const QVariant key = editor->property(SettingsViews::FIELD_KEY);
            if (!key.isValid())
                continue;
            if (auto *label = editor->findChild<QLabel *>()) {
                QFont font = label->font();
                font.setBold(changed.contains(key.toString()));
                label->setFont(font);
            }
        }
    }
    ui->ChangesCount->setText(changes.isEmpty() ? tr("Изменений нет") : tr("Изменений: %1").arg(changes.size()));
    ui->ShowChanges->setEnabled(!changes.isEmpty());
}

void MainWindow::on_ShowChanges_clicked()
{
    user_action();
    show_differences(tr("Изменения, не записанные в устройство"), tr("Было"), tr("Стало"), settings_baseline,
                     build_settings_image());
}

void MainWindow::on_CompareWithFile_clicked()
{
    user_action();
    const QString name = UserPrompts::getOpenFileName(this, tr("Выберите файл для сравнения"), tr(OPEN_FILTERS));
    if (name.isEmpty())
        return;
    const QByteArray image = read_settings_source(name, nullptr);
    if (!image.isEmpty())
        show_differences(tr("Сравнение с файлом %1").arg(QFileInfo(name).fileName()), tr("В файле"), tr("В редакторе"),
                         image, build_settings_image());
}

void MainWindow::on_ShowBackups_clicked()
{
    user_action();
    BackupsDialog dialog(backups, backup_key(), this);
    if (UserPrompts::runDialog(dialog) != QDialog::Accepted || dialog.chosenPath().isEmpty())
        return;
    const QString path = dialog.chosenPath();
    if (dialog.choice() == BackupsDialog::EChoice::Compare) {
        const QByteArray image = read_settings_source(path, nullptr);
        if (!image.isEmpty())
            show_differences(tr("Резервная копия и редактор"), tr("В копии"), tr("В редакторе"), image,
                             build_settings_image());
        return;
    }
    if (!confirm_dropping_edits(tr("Резервная копия заменит их."), tr("Загрузить копию")))
        return;
    QVector<TSettingKey> missing;
    const QByteArray image = read_settings_source(path, &missing);
    if (image.isEmpty())
        return;
    SettingsFile::loadImage(image);
    emit update_set_views();
    set_origin(SettingsOrigin::fromFile(path, missing.size()));
    take_baseline();
}

void MainWindow::show_differences(const QString &title, const QString &before, const QString &after,
                                  const QByteArray &beforeImage, const QByteArray &afterImage)
{
    DifferencesDialog dialog(title, before, after, SettingsDiff::compare(beforeImage, afterImage), this);
    UserPrompts::runDialog(dialog);
}

QByteArray MainWindow::read_settings_source(const QString &path, QVector<TSettingKey> *missing)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        show_file_error(tr(SETTINGS_FILE_ERROR), path, file.errorString());
        return {};
    }
    const QByteArray bytes = file.read(SettingsFile::MAX_FILE_SIZE * 4 + 1);
    if (isJsonFile(path)) {
        QStringList problems;
        const QByteArray image = SettingsJson::importImage(bytes, &problems);
        if (image.isEmpty())
            show_file_error(tr(SETTINGS_FILE_ERROR), path, problems.mid(0, 8).join(QLatin1Char('\n')));
        if (missing)
            missing->clear();
        return image;
    }
    if (bytes.size() < SETTINGS_IMAGE_RECORDS_OFFSET || bytes.size() > SettingsFile::MAX_FILE_SIZE) {
        show_file_error(tr(SETTINGS_FILE_ERROR), path, tr("это не файл настроек (%1 байт)").arg(bytes.size()));
        return {};
    }
    if (missing) {
        QSet<TSettingKey> present;
        SettingRecordReader reader(bytes, SETTINGS_IMAGE_RECORDS_OFFSET);
        TSettingRecord record;
        while (reader.next(&record)) {
            uint8_t *field = nullptr;
            if (findSetting(record.id, record.subId, &field) == record.size && record.size != 0)
                present.insert({record.id, record.subId});
        }
        *missing = missingSettings(present);
    }
    return bytes;
}

QString MainWindow::backup_key() const
{
    const QString relayId = session_caption.section(QStringLiteral(": "), 0, 0);
    if (!relayId.isEmpty())
        return relayId;
    const ParameterDescriptor &imei = parameterRow(IMEI_ROW);
    const QString number = QString::fromLatin1(reinterpret_cast<const char *>(imei.value),
                                               int(qstrnlen(reinterpret_cast<const char *>(imei.value), imei.size)));
    return connected && state_valid[IMEI_ROW] ? number : QString();
}

void MainWindow::start_guarded(EGuarded action)
{
    guarded = action;
    begin_transfer(ETransfer::Backup);
    // A terminal on USB is named by its IMEI: read it with the settings when not yet known.
    worker->read_backup(backup_key().isEmpty());
    worker->on_irq();
}

void MainWindow::on_backup_read(QByteArray base)
{
    if (guarded == EGuarded::None)
        return;
    static const EBackupReason reasons[] = {EBackupReason::Manual, EBackupReason::Write, EBackupReason::Firmware,
                                            EBackupReason::FactoryReset};
    const QString key = backup_key();
    QString error;
    const QString path = key.isEmpty() ? QString()
                                       : backups.save(key, BackupStore::imageOfBase(base), reasons[int(guarded)], &error);
    if (key.isEmpty())
        error = tr("устройство не назвало свой IMEI");
    if (!path.isEmpty()) {
        status_board->progress(tr("Резервная копия сохранена: %1").arg(QDir::toNativeSeparators(path)));
    } else if (!UserPrompts::question(this, tr("Резервная копия не сохранена"),
                                      tr("Не удалось сохранить резервную копию настроек устройства:\n%1\n\nБез неё "
                                         "прежние настройки устройства нельзя будет вернуть.")
                                          .arg(error),
                                      tr("Продолжить без копии"))) {
        guarded = EGuarded::None;
        end_transfer();
        return;
    }
    proceed_guarded();
}

void MainWindow::proceed_guarded()
{
    const EGuarded action = guarded;
    guarded = EGuarded::None;
    switch (action) {
    case EGuarded::Upload:
        begin_transfer(ETransfer::Upload);
        // Taken now, in the same moment as the worker takes it: what goes to the terminal.
        upload_image = build_settings_image();
        emit upload_settings();
        worker->on_irq();
        break;
    case EGuarded::Firmware:
        begin_transfer(ETransfer::Firmware);
        emit Start_firmware_update(firmware_path);
        break;
    case EGuarded::FactoryReset:
        end_transfer();
        worker->on_tofactory();
        worker->on_irq();
        break;
    case EGuarded::None:
        break;
    }
}

void MainWindow::setReconnectTiming(int periodMs, int limitMs)
{
    reconnect_period_ms = periodMs;
    reconnect_limit_ms = limitMs;
}

bool MainWindow::isReconnecting() const
{
    return reconnect_timer->isActive();
}

void MainWindow::start_reconnect()
{
    // Only a terminal this window reached before, with the PIN that worked.
    if (working_pin.isEmpty() || reconnect_timer->isActive())
        return;
    reconnect_attempts = 0;
    reconnect_clock.start();
    reconnect_timer->start(reconnect_period_ms);
    ui->ConnectToDevice->setText(tr("Прекратить переподключение"));
}

void MainWindow::try_reconnect()
{
    if (connected || pending_connection.active)
        return;
    if (reconnect_clock.elapsed() >= reconnect_limit_ms) {
        stop_reconnect(tr("Устройство не вернулось за %1 с, переподключение прекращено").arg(reconnect_limit_ms / 1000));
        return;
    }
    ++reconnect_attempts;
    status_board->progress(tr("Переподключение: попытка %1").arg(reconnect_attempts));
    emit device_pin(working_pin);
    sent_pin = working_pin;
    const TDeviceToConnect device = reconnect_device;
    if (device.via_server)
        relay_device = device.info;
    relay_session = device.via_server != 0;
    start_pending(device, reconnect_caption);
}

void MainWindow::stop_reconnect(const QString &why)
{
    reconnect_timer->stop();
    if (!connected)
        ui->ConnectToDevice->setText(tr("Соединиться"));
    if (!why.isEmpty())
        status_board->outcome(why);
}

void MainWindow::reconnected()
{
    reconnect_timer->stop();
    // Told once the terminal's type is read, after the plain "connected".
    announce_reconnect = true;
    // Did it come back with other firmware? The version read now tells.
    checking_firmware = true;
    worker->read_state_group(GROUP_SYSTEM);
}

void MainWindow::note_firmware_version()
{
    const ParameterDescriptor &row = parameterRow(FIRMWARE_ROW);
    const QString version = QString::fromUtf8(reinterpret_cast<const char *>(row.value),
                                              int(qstrnlen(reinterpret_cast<const char *>(row.value), row.size)));
    if (checking_firmware && !firmware_version.isEmpty() && version != firmware_version)
        status_board->outcome(tr("Устройство вернулось с другой прошивкой: %1 (была %2)").arg(version, firmware_version));
    checking_firmware = false;
    firmware_version = version;
}
