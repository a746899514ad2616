#pragma once

#include "app/SettingsOrigin.h"
#include "app/ViewsContext.h"
#include "files/BackupStore.h"
#include "model/SettingsCoverage.h"
#include "model/ParameterTable.h"
#include "model/StateHistory.h"
#include "session/SessionOutcome.h"
#include "session/SessionProgress.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <cstdint>

class AboutDialog;
class PlotsPage;
class StatusBoard;
class QProgressBar;
class QThread;
class QTimer;
class connection_window;
class usb_handler;

namespace Ui {
class MainWindow;
}

// The program's one window: page buttons on the left, the state, settings and diagnostics
// pages on the right. It owns the worker and its thread and talks to the worker only
// through signals and the worker's flag-setting slots.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // For tests and the demo driver: the worker, to shorten its time limits.
    usb_handler *deviceWorker() const { return worker; }
    bool isDeviceConnected() const { return connected; }
    // Settings edited in the window and neither written to a terminal nor saved to a file.
    bool hasUnwrittenEdits() const;
    const SettingsOrigin &settingsOrigin() const { return settings_origin; }
    // Getting the terminal back: how often and for how long (tests shorten them).
    void setReconnectTiming(int periodMs, int limitMs);
    bool isReconnecting() const;

    void rebuild_views(uint8_t device_type);

signals:
    void Start_firmware_update(QString path);
    void Start_device_connection(TDeviceToConnect device);
    void Stop_device_connection();
    void update_set_views();
    void setDigitalOutput(int output);
    void resetDigitalOutput(int output);
    void start_add_dallas_temp();
    void stop_add_dallas_temp();
    void device_pin(QString pin);
    void start_update_state();
    void stop_update_state();
    void upload_settings();
    void download_settings();
    void download_log();

public slots:
    void if_dev_type_received();
    void if_Device_connected();
    void if_Device_disconnected(bool lost);
    void if_Devlist_received(QList<TDeviceToConfigInfo> list);
    void if_State_updated();
    void if_Settings_updated();
    void if_progress(TSessionProgress progress);
    void if_pin_request();
    void if_bar_percentage(int percent);
    void if_log_data(QByteArray data);
    void if_outcome(TSessionOutcome outcome);
    void if_parameter_read(int row, bool ok);

    void check_server_count(int server);
    void add_temp_sensor();
    // The state trees' restart and factory-reset buttons: the worker is asked only after the
    // operator has agreed.
    void confirm_restart();
    void confirm_factory_reset();
    // An editor changed the store: the marks of unwritten edits are brought up to date.
    void note_edit();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_SystemState_clicked();
    void on_SystemSettings_clicked();
    void on_SystemDiag_clicked();
    void on_UpdateFirmware_clicked();
    void on_ConnectToDevice_clicked();
    void on_UploadSettings_clicked();
    void on_DownloadSettings_clicked();
    void on_GetLOG_clicked();
    void on_SaveLOG_clicked();
    void on_SettingsToFile_clicked();
    void on_SettingsFromFile_clicked();
    void on_aboutButton_clicked();
    void on_CompareWithFile_clicked();
    void on_ClearLOG_clicked();
    // Finds the search text in the log from the cursor on, wrapping at the end.
    void find_in_log(bool backward = false);
    void on_ShowBackups_clicked();
    void on_ShowChanges_clicked();

private:
    // A connection being made: set when one starts, dropped when it fails, taken over by the
    // session when it succeeds. The PIN prompt reconnects to exactly this terminal.
    struct TPendingConnection {
        bool active = false;
        TDeviceToConnect device{};
        QString caption;
    };
    enum class ETransfer { None, Download, Upload, Log, Firmware, Backup };
    // What a backup of the terminal's settings is taken before.
    enum class EGuarded { None, Upload, Firmware, FactoryReset };

    TViewsContext views_context();
    void clear_relay_state();
    void shutdown_worker();
    void start_pending(const TDeviceToConnect &device, const QString &caption);
    void on_connection_window_start(TDeviceToConnect device);
    // The terminal of this session as settings are named by: relay id, else IMEI, else USB.
    QString session_terminal(bool *identified) const;
    void set_origin(const SettingsOrigin &origin);
    void take_baseline();
    bool confirm_dropping_edits(const QString &consequence, const QString &action);
    void begin_transfer(ETransfer kind);
    void end_transfer();
    void update_command_access();
    void show_file_error(const QString &text, const QString &path, const QString &reason);
    void user_action();
    // Reads the terminal's settings and keeps them as a backup, then does the action.
    void start_guarded(EGuarded action);
    void on_backup_read(QByteArray base);
    void proceed_guarded();
    // The name backups are kept under: relay id, else IMEI; empty when neither is known.
    QString backup_key() const;
    void refresh_edit_marks();
    // A settings file or JSON document chosen in a dialog, as an image; empty on failure (told).
    QByteArray read_settings_source(const QString &path, QVector<TSettingKey> *missing);
    void show_differences(const QString &title, const QString &before, const QString &after,
                          const QByteArray &beforeImage, const QByteArray &afterImage);
    void start_reconnect();
    void try_reconnect();
    void stop_reconnect(const QString &why);
    void reconnected();
    void note_firmware_version();
    // "Язык / Language" in the status bar; the choice takes effect at the next start.
    void install_language_choice();
    // The plots page and its button in the left column, after "Диагностика".
    void install_plots_page();

    QString window_title;
    AboutDialog *about_dialog = nullptr;
    Ui::MainWindow *ui = nullptr;
    QString firmware_path;
    bool connected = false;
    QProgressBar *progress_bar = nullptr;
    usb_handler *worker = nullptr;
    // The log shown so far ends in CR: a LF opening the next chunk completes that line end.
    bool log_ends_in_cr = false;
    connection_window *connection_dialog = nullptr;
    QString device_caption;
    bool relay_session = false;
    TDeviceToConfigInfo relay_device{};
    uint8_t server_guard_count = 0;
    uint8_t server_guard_last_free = 0;
    QObject *views_object_holder = nullptr;
    QWidget *views_widget_holder = nullptr;

    TPendingConnection pending_connection;
    // Counts connected sessions, so settings can tell the session they were read in.
    quint64 session_serial = 0;
    QString session_caption;
    SettingsOrigin settings_origin;
    // The settings image as last read, loaded, saved or written: the editors differ from it
    // exactly when they hold unwritten edits.
    QByteArray settings_baseline;
    QByteArray upload_image;
    bool enrolment_clean = false;
    ETransfer transfer = ETransfer::None;
    // Per state parameter: read in this session, and its last read stored a value.
    bool state_valid[PARAMETER_COUNT] = {};
    StatusBoard *status_board = nullptr;
    bool state_refresh_pending = false;
    bool state_resize_pending = false;
    bool edit_marks_pending = false;
    EGuarded guarded = EGuarded::None;
    BackupStore backups;
    TServerAddress last_server;
    // The PIN last sent, and the one that got the current or last terminal: memory only.
    QString sent_pin;
    QString working_pin;
    TDeviceToConnect reconnect_device{};
    QString reconnect_caption;
    QTimer *reconnect_timer = nullptr;
    QElapsedTimer reconnect_clock;
    int reconnect_attempts = 0;
    bool announce_reconnect = false;
    int reconnect_period_ms = 2000;
    int reconnect_limit_ms = 120000;
    QString firmware_version;
    bool checking_firmware = false;
    // Every numeric state value read in this session, for the plots page.
    StateHistory state_history;
    PlotsPage *plots_page = nullptr;

    QThread *worker_thread = nullptr;
    QTimer *regular_timer = nullptr;
};
