#include "app/MainWindow.h"

#include "app/AppLog.h"
#include "app/StateViews.h"
#include "app/UserPrompts.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/connection_window.h"
#include "editors/SettingsViews.h"
#include "files/SettingsFile.h"
#include "model/SettingsStorage.h"
#include "model/SettingsUploadCheck.h"
#include "session/usb_handler.h"
#include "transport/TServerAddress.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QMetaObject>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QSaveFile>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTextCodec>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

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

const char PROGRAM_VERSION[] = TRIVOX_VERSION;
const char DEFAULT_PIN[] = "7390";
const char LOG_SAVE_ERROR[] = "Не удается открыть файл, возможно он открыт в другом приложении";
const char SETTINGS_FILE_ERROR[] = "Не удается открыть файл";
const char SETTINGS_FILTER[] = "Файлы настроек (*.ksf)";

constexpr int REGULAR_TICK_MS = 1000;
// Long enough for a transaction cut short by request_shutdown and the close notification.
constexpr int WORKER_STOP_WAIT_MS = 8000;
constexpr int LOGO_MAX_HEIGHT = 115;
// Servers 1-7 (the CSD entry, 8th, is not counted): at most six of them may be in use.
constexpr int GUARDED_SERVERS = 7;
constexpr int CSD_ENTRY = 7;

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

    window_title = QStringLiteral("Trivox конфигуратор ") + QLatin1String(PROGRAM_VERSION);
    clear_relay_state();

    ui->setupUi(this);
    setWindowTitle(window_title);
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

    // The terminal's log lines are columns of times and codes.
    ui->LOGOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    ui->stackedWidget->setCurrentIndex(0);
    ui->UpdateFirmware->hide();
    ui->DownloadSettings->hide();
    ui->UploadSettings->hide();

    log_codec = QTextCodec::codecForName("Windows-1251");
    if (!log_codec)
        qCWarning(lcApp) << "[MainWindow::MainWindow] WARNING no Windows-1251 codec, the log is shown as Latin-1";

    worker_thread = new QThread;
    worker = new usb_handler;
    worker->moveToThread(worker_thread);

    regular_timer = new QTimer(this);
    connect(regular_timer, &QTimer::timeout, worker, &usb_handler::on_regular_timer, Qt::DirectConnection);
    regular_timer->start(REGULAR_TICK_MS);

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
    connect(worker, &usb_handler::status_message, this, &MainWindow::if_status_bar_message);
    connect(worker, &usb_handler::pin_request, this, &MainWindow::if_pin_request);
    connect(worker, &usb_handler::state_updated, this, &MainWindow::if_State_updated);
    connect(worker, &usb_handler::bar_percentage, this, &MainWindow::if_bar_percentage);
    connect(worker, &usb_handler::settings_updated, this, &MainWindow::if_Settings_updated);
    connect(worker, &usb_handler::log_data, this, &MainWindow::if_log_data);
    connect(worker, &usb_handler::device_list, this, &MainWindow::if_Devlist_received);
    connect(worker, &usb_handler::device_type_received, this, &MainWindow::if_dev_type_received);

    connection_dialog = new connection_window(this);
    connection_dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                                      | Qt::WindowTitleHint);
    connect(connection_dialog, &connection_window::start_connection, worker, &usb_handler::start_connection);
    connect(connection_dialog, &connection_window::sendServerParameters, worker, &usb_handler::update_server_param);

    connect(ui->sysStateTabs, &QTabWidget::currentChanged, worker, &usb_handler::on_current_state_tab_changed,
            Qt::QueuedConnection);
    connect(ui->sysStateTabs, &QTabWidget::currentChanged, worker, &usb_handler::on_irq, Qt::DirectConnection);
    connect(ui->sysSettingsTabs, &QTabWidget::currentChanged, worker, &usb_handler::on_irq, Qt::DirectConnection);

    connected = false;
    ui->statusBar->showMessage(QStringLiteral("Соединение не установлено"));

    rebuild_views(DEVICE_TYPE_F0);

    worker_thread->start(QThread::InheritPriority);
    emit start_update_state();
    QMetaObject::invokeMethod(worker, "on_current_state_tab_changed", Qt::QueuedConnection,
                              Q_ARG(int, ui->sysStateTabs->currentIndex()));
}

MainWindow::~MainWindow()
{
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
    if (worker_thread->wait(WORKER_STOP_WAIT_MS)) {
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
                         this,                  &connected};
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
    views_object_holder->deleteLater();
    views_widget_holder->deleteLater();
    rebuild_views(SettingsStorage.parameters.deviceType[0]);
}

void MainWindow::if_Device_connected()
{
    ui->UpdateFirmware->show();
    ui->DownloadSettings->show();
    ui->UploadSettings->show();
    ui->ConnectToDevice->setText(QStringLiteral("Отключиться"));
    connected = true;
    if (!device_caption.isEmpty())
        setWindowTitle(window_title + QStringLiteral(" - ") + device_caption);
}

void MainWindow::if_Device_disconnected(bool lost)
{
    ui->UpdateFirmware->hide();
    ui->DownloadSettings->hide();
    ui->UploadSettings->hide();
    clear_relay_state();
    if (lost)
        UserPrompts::critical(this, tr("Ошибка"),
                              QStringLiteral("Потеряно соединение с устройством, проверьте подключение"));
    ui->ConnectToDevice->setText(QStringLiteral("Соединиться"));
    ui->statusBar->showMessage(QStringLiteral("Устройство отключено"));
    connected = false;
    emit device_pin(QLatin1String(DEFAULT_PIN));
    device_caption.clear();
    setWindowTitle(window_title);
}

void MainWindow::if_Devlist_received(QList<TDeviceToConfigInfo> list)
{
    relay_session = true;
    if (list.isEmpty()) {
        UserPrompts::information(this, tr("Устройства не найдены"),
                                 QStringLiteral("В данный момент к серверу не подключено ни одно устройство"));
        emit Stop_device_connection();
        return;
    }

    QStringList texts;
    texts.reserve(list.size());
    for (const TDeviceToConfigInfo &info : list)
        texts << deviceCaption(info);

    QString chosen;
    if (!UserPrompts::runDeviceSelection(this, texts, &chosen)) {
        emit Stop_device_connection();
        return;
    }
    const int index = int(texts.indexOf(chosen));
    if (index < 0) {
        qCDebug(lcApp) << "[MainWindow::if_Devlist_received] chosen device" << chosen << "is not in the list";
        emit Stop_device_connection();
        return;
    }
    device_caption = chosen;
    TDeviceToConnect device{};
    device.info = list.at(index);
    device.via_server = 1;
    emit Start_device_connection(device);
    relay_device = device.info;
}

void MainWindow::if_State_updated()
{
    StateViews::refresh(views_context());
}

void MainWindow::if_Settings_updated()
{
    uint8_t &csdType = SettingsStorage.servers[CSD_ENTRY][SERVER_TYPE_OFFSET];
    if (csdType != 0)
        csdType = 1;
    emit update_set_views();
    SettingsViews::build_sensors_view(views_context());
}

void MainWindow::if_status_bar_message(QString message)
{
    ui->statusBar->showMessage(message);
}

void MainWindow::if_pin_request()
{
    bool ok = false;
    const QString pin = UserPrompts::getPin(this, tr("Введите pin-код"), QStringLiteral("PIN:"), &ok);
    if (!ok || pin.size() != 4)
        return;
    // Queued, but the worker takes queued calls in before it starts the search below.
    emit device_pin(pin);
    TDeviceToConnect device{};
    if (relay_session) {
        device.info = relay_device;
        device.via_server = 1;
    } else {
        device.via_server = 0;
    }
    emit Start_device_connection(device);
}

void MainWindow::if_bar_percentage(int percent)
{
    progress_bar->setValue(percent);
}

void MainWindow::if_log_data(QByteArray data)
{
    QString text = log_codec ? log_codec->toUnicode(data) : QString::fromLatin1(data);
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

    UserPrompts::critical(this, tr("Ошибка"), QStringLiteral("Попытка настроек количества серверов больше 6"));
    // The entry whose combo reported the change is the one just switched on; the
    // remembered free entry is stale after a disconnection, which zeroes it.
    const int entry = (server >= 0 && server < GUARDED_SERVERS) ? server : server_guard_last_free;
    SettingsStorage.servers[entry][SERVER_TYPE_OFFSET] = 0;
    emit update_set_views();
}

void MainWindow::add_temp_sensor()
{
    if (!connected) {
        UserPrompts::critical(this, tr("Добавление невозможно"),
                              QStringLiteral("Для добавления датчиков необходимо подключить устройство"));
        return;
    }
    emit start_add_dallas_temp();
    // The adding mode lasts exactly as long as this box is open.
    UserPrompts::information(this, tr("Режим добавления датчиков"),
                             QStringLiteral("Включен режм добавления. Подключите новые датчики к устройству, затем "
                                            "нажмите ок. Датчики будут добавлены автоматически."));
    emit stop_add_dallas_temp();
    emit update_set_views();
}

void MainWindow::on_SystemState_clicked()
{
    ui->stackedWidget->setCurrentIndex(0);
    emit start_update_state();
    worker->reset_irq();
}

void MainWindow::on_SystemSettings_clicked()
{
    ui->stackedWidget->setCurrentIndex(1);
    worker->on_irq();
    emit stop_update_state();
}

void MainWindow::on_SystemDiag_clicked()
{
    ui->stackedWidget->setCurrentIndex(2);
    emit stop_update_state();
    worker->on_irq();
}

void MainWindow::on_UpdateFirmware_clicked()
{
    if (!connected) {
        UserPrompts::warning(this, tr("Загрузка невозможна"),
                             QStringLiteral("Для загрузки ПО необходимо подключить устройство"));
        return;
    }
    firmware_path = UserPrompts::getOpenFileName(this, QStringLiteral("Выберите файл прошивки"),
                                                 QStringLiteral("Файлы прошивок Kora (*.kbf)"));
    if (!firmware_path.isEmpty())
        emit Start_firmware_update(firmware_path);
}

void MainWindow::on_ConnectToDevice_clicked()
{
    if (connected) {
        emit Stop_device_connection();
        return;
    }
    connection_dialog->show();
    connection_dialog->raise();
    connection_dialog->activateWindow();
}

void MainWindow::on_UploadSettings_clicked()
{
    const QString refusal = settingsUploadRefusal();
    if (!refusal.isEmpty()) {
        UserPrompts::critical(this, tr("Ошибка"), refusal);
        return;
    }
    emit upload_settings();
    worker->on_irq();
}

void MainWindow::on_DownloadSettings_clicked()
{
    emit download_settings();
    worker->on_irq();
}

void MainWindow::on_GetLOG_clicked()
{
    emit download_log();
}

void MainWindow::on_SaveLOG_clicked()
{
    const QString name = UserPrompts::getSaveFileName(this, QStringLiteral("Укажите место сохранения"),
                                                      QStringLiteral("Файлы LOG (*.log)"));
    // Written aside and renamed over the old file only when complete, so a failure
    // leaves the old file whole.
    QSaveFile file(name);
    if (name.isEmpty() || !file.open(QIODevice::WriteOnly)) {
        qCDebug(lcApp) << "Error file opening" << name;
        UserPrompts::critical(this, tr("Ошибка"), QString::fromUtf8(LOG_SAVE_ERROR));
        return;
    }
    const QByteArray bytes = ui->LOGOutput->toPlainText().toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        qCDebug(lcApp) << "Error file writing" << name << file.errorString();
        UserPrompts::critical(this, tr("Ошибка"), QString::fromUtf8(LOG_SAVE_ERROR));
    }
}

void MainWindow::on_SettingsToFile_clicked()
{
    const QString name = UserPrompts::getSaveFileName(this, QStringLiteral("Укажите место сохранения"),
                                                      QString::fromUtf8(SETTINGS_FILTER));
    QString error;
    // A cancelled dialog gives an empty name, which cannot be opened.
    if (name.isEmpty() || !SettingsFile::save(name, &error)) {
        qCDebug(lcApp) << "Error file opening" << name << error;
        UserPrompts::critical(this, tr("Ошибка"), QString::fromUtf8(SETTINGS_FILE_ERROR));
    }
}

void MainWindow::on_SettingsFromFile_clicked()
{
    const QString name = UserPrompts::getOpenFileName(this, QStringLiteral("Выберите файл настроек"),
                                                      QString::fromUtf8(SETTINGS_FILTER));
    if (name.isEmpty())
        return;
    QString error;
    if (!SettingsFile::load(name, &error)) {
        qCDebug(lcApp) << "Error file opening" << name << error;
        UserPrompts::critical(this, tr("Ошибка"), QString::fromUtf8(SETTINGS_FILE_ERROR));
        return;
    }
    emit update_set_views();
}

void MainWindow::on_aboutButton_clicked()
{
    if (about_dialog) {
        about_dialog->refresh();
    } else {
        about_dialog = new AboutDialog(window_title, this);
    }
    about_dialog->show();
    about_dialog->raise();
}
