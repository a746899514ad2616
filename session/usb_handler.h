#pragma once

#include "model/ParameterTable.h"
#include "session/SessionOutcome.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <mutex>
#include <cstdint>

class QTimer;

// Time limits of the session. Production uses the defaults; tests shorten them.
struct TSessionTimeouts {
    int replyMs = 10000;     // a terminal's answer to a request, a command or a chunk
    int fileReplyMs = 15000; // a terminal's answer to a file read
};

// The worker that owns the session with one terminal. It lives in a thread of its own; the
// window asks for work through its slots, most of which only raise a request flag that the
// next pass of main_loop carries out, and learns the outcome from its signals.
//
// Slots that the window calls directly run in the window's thread: everything they touch
// is an atomic flag or sits behind handover_lock.
class usb_handler : public QObject
{
    Q_OBJECT
public:
    static constexpr int LOOP_PERIOD_MS = 5;
    static constexpr int FILE_CHUNK_MAX = 232;
    static constexpr int CHUNK_SIZE = 485;
    static constexpr int MAX_CHUNK_COUNT = 0xFFFF;
    static constexpr const char *DEFAULT_PIN = "7390";

    explicit usb_handler(QObject *parent = nullptr);
    ~usb_handler() override;

    void setTimeouts(const TSessionTimeouts &timeouts) { m_timeouts = timeouts; }
    CConfiguratorHandlerPort *port() const { return port_handler; }
    bool isConnected() const { return connected.load(); }

    // Transactions carried out by main_loop; public so that tests and the command-line
    // tool can drive them. Results: 1 success, 0 rejected answer, -1 no answer.
    void readParameters(ParameterGroup group);
    int readSetting(uint16_t id, uint16_t subId, uint uuid);
    int writeSetting(uint16_t id, uint16_t subId, uint uuid);
    int sendCommand(uint8_t code, const uint8_t *data, uint8_t length);
    int getFile(QByteArray name, QByteArray &out);
    void downloadSettings();
    int downloadLog();
    int sendFile(QByteArray name, QByteArray data);
    void uploadSettings();
    bool uploadFirmware();
    int authorize();
    bool check_pin();
    void declare_lost();

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
    // How a request ended; the status texts above are made from it.
    void outcome(TSessionOutcome outcome);
    // A state parameter's read ended: ok when its value was stored. row: in the parameter table.
    void parameter_read(int row, bool ok);

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
    using Flag = std::atomic<uint8_t>;

    // One request and its whole answer frame; see the .cpp for the result codes.
    int exchange(const QByteArray &frame, int timeoutMs, QByteArray *answer);
    void run_pass();
    void start_session();
    void end_session(const TSessionOutcome &ending);
    void report(const TSessionOutcome &result);
    void write_command_setting(uint16_t id);
    void clear_requests();
    void run_traffic_reset(int server);
    TDeviceToConnect pending_device();

    std::atomic<uint8_t> set_output_index{0};
    std::atomic<uint8_t> reset_output_index{0};
    std::atomic<bool> connected{false};
    Flag set_output_request{0};
    Flag reset_output_request{0};
    std::atomic<bool> update_state{false};
    Flag start_request{0};
    Flag stop_request{0};
    Flag add_keys_start{0};
    Flag add_keys_stop{0};
    Flag add_temp_start{0};
    Flag add_temp_stop{0};
    Flag firmware_request{0};
    Flag regular_tick{0};
    Flag download_settings_request{0};
    Flag upload_settings_request{0};
    Flag download_log_request{0};
    Flag reset_odo_request{0};
    Flag reset_trip_request{0};
    Flag reset_traffic_request[8]{};
    Flag update_can_request{0};
    Flag upload_can_request{0};
    Flag can_info_request{0};
    Flag reset_device_request{0};
    Flag tofactory_request{0};
    Flag clean_bb_request{0};
    Flag take_photo_request{0};
    std::atomic<bool> output_command_num{false};
    std::atomic<bool> output_command_state{false};
    Flag irq{0};
    std::atomic<int> state_page{0};
    // Values handed over from the window's thread; guarded by handover_lock.
    QString firmware_file;
    QString pin;
    QByteArray can_firmware;
    CConfiguratorHandlerPort *port_handler = nullptr;
    QTimer *loop_timer = nullptr;
    TDeviceToConnect device{};
    // The settings image taken when the upload was asked for, in the thread that edits
    // the settings, so the worker never reads settings that are being edited.
    QByteArray upload_image;

    // A standard mutex, so that thread checkers see what it orders.
    std::mutex handover_lock;
    bool in_pass = false;
    std::atomic<bool> shutting_down{false};
    TSessionTimeouts m_timeouts;
};
