#pragma once

#include "session/SessionOutcome.h"
#include "session/SessionProgress.h"
#include "session/SessionRequest.h"
#include "session/SessionTimeouts.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class QThread;

class SessionController;
class SessionReporter;

// The worker the window and trivox-cli talk to: its slots are requests, its signals reports.
// Moved into a thread of its own, it owns the link to the terminal (the port handler) and the
// session controller that runs the transactions there; its reporter stays in the thread that
// created it and writes what the session read into the settings store before telling.
//
// Slots may be called from any thread: each only records a request.
class usb_handler : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *DEFAULT_PIN = "7390";

    explicit usb_handler(QObject *parent = nullptr);
    ~usb_handler() override;

    // Call in the worker's thread.
    void setTimeouts(const TSessionTimeouts &timeouts);
    CConfiguratorHandlerPort *port() const { return port_handler; }
    SessionController *controller() const { return m_controller; }
    // Moves the worker to its thread. When the thread ends, the worker says so from there:
    // whoever waited for the thread and then sees hasStopped() sees all the worker did
    // (a thread checker included, which cannot see into QThread::wait).
    void runIn(QThread *thread);
    bool hasStopped() const { return m_stopped.load(std::memory_order_acquire); }
    // See SessionController::setQuietPolling; safe from any thread.
    void setQuietPolling(bool quiet);
    bool isConnected() const;

    // Callable from any thread: every wait of a running transaction ends within a moment,
    // so that the worker's thread can be stopped in bounded time.
    void request_shutdown();

signals:
    void device_connected();
    void device_disconnected(bool lost);
    void status_message(QString message);
    void bar_percentage(int percent);
    void pin_request();
    void state_updated();
    void settings_updated();
    void log_data(QByteArray data);
    void device_list(QList<TDeviceToConfigInfo> list);
    void device_type_received();
    // How a request ended; the status texts are made from it.
    void outcome(TSessionOutcome outcome);
    // What the session is doing; status_message carries the same as text.
    void progress(TSessionProgress progress);
    // A state parameter's read ended: ok when its value is now in the store.
    void parameter_read(int row, bool ok);
    // The terminal's "BASE" as it is, read for a backup; the store is left as it was.
    void backup_read(QByteArray base);

public slots:
    void main_loop();
    void start_connection(TDeviceToConnect _dev);
    void stop_connection();
    void update_server_param(TServerAddress addr);
    void on_start_add_keys();
    void on_stop_add_keys();
    void on_start_add_temp();
    void on_stop_add_temp();
    void on_start_update_state();
    void on_stop_update_state();
    void on_regular_timer();
    void on_current_state_tab_changed(int index);
    void setDigitalOutput(int n);
    void resetDigitalOutput(int n);
    void on_download_settings();
    // Reads the terminal's settings for a backup: backup_read, or an outcome if it fails.
    // withImei: the IMEI is read first, into the store, to name a terminal on USB.
    void read_backup(bool withImei = false);
    // Reads one state group now, whichever the state tab polls (e.g. the firmware version
    // after reconnecting).
    void read_state_group(int group);
    // Writes this settings image, taken by the caller where the settings are edited.
    void upload_settings_image(QByteArray image);
    void on_upload_settings();
    void on_reset_odo();
    void on_reset_tripcounter();
    void on_reset_traffic1();
    void on_reset_traffic2();
    void on_reset_traffic3();
    void on_reset_traffic4();
    void on_reset_traffic5();
    void on_reset_traffic6();
    void on_reset_traffic7();
    void on_reset_traffic8();
    void on_set_output_command(uint8_t output_num, uint8_t output_state);
    void on_clean_bb();
    void on_tofactory();
    void on_reset_device();
    void on_take_photo();
    void on_irq();
    void reset_irq();
    void update_firmware(QString selected_filename);
    void on_device_pin(QString pin);
    void on_download_log();
    void on_update_can();
    void on_device_lost();
    void upload_can_fw_to_device(QByteArray filedata);
    void download_can_info();
    // Ends the session politely (close notification over the relay) and stops the
    // worker's thread; queue it into the worker's thread at exit.
    void shutdown();

private:
    void request(ERequest kind);
    // Runs f where the settings store is owned: what it reads there is not being edited.
    void inOwnerThread(std::function<void()> f);

    CConfiguratorHandlerPort *port_handler = nullptr;
    SessionController *m_controller = nullptr;
    std::atomic<bool> m_stopped{false};
    SessionReporter *m_reporter = nullptr;
};
