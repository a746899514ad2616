#include "session/usb_handler.h"

#include "model/ParameterTable.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/SessionController.h"
#include "session/SessionReporter.h"

#include <QCoreApplication>
#include <QThread>

usb_handler::usb_handler(QObject *parent)
    : QObject(parent)
{
    initConstantParameters();
    qRegisterMetaType<TSessionOutcome>("TSessionOutcome");
    qRegisterMetaType<TSessionProgress>("TSessionProgress");
    qRegisterMetaType<QVector<TParameterValue>>("QVector<TParameterValue>");
    qRegisterMetaType<QList<TDeviceToConfigInfo>>("QList<TDeviceToConfigInfo>");
    port_handler = new CConfiguratorHandlerPort(this);
    m_controller = new SessionController(port_handler, this);
    m_controller->setPin(QString::fromLatin1(DEFAULT_PIN));
    m_controller->setHandOverObject(this);
    port_handler->setCancelFlag(&m_controller->cancelFlag());
    connect(port_handler, &CConfiguratorHandlerPort::device_lost, m_controller, &SessionController::onDeviceLost);

    // Not a child: it stays in this thread when the worker moves to its own.
    m_reporter = new SessionReporter(this);
    SessionController *c = m_controller;
    SessionReporter *r = m_reporter;
    connect(c, &SessionController::progress, r, &SessionReporter::onProgress);
    connect(c, &SessionController::percent, r, &SessionReporter::onPercent);
    connect(c, &SessionController::outcome, r, &SessionReporter::onOutcome);
    connect(c, &SessionController::connected, r, &SessionReporter::onConnected);
    connect(c, &SessionController::disconnected, r, &SessionReporter::onDisconnected);
    connect(c, &SessionController::pinRefused, r, &SessionReporter::onPinRefused);
    connect(c, &SessionController::parametersRead, r, &SessionReporter::onParametersRead);
    connect(c, &SessionController::groupRead, r, &SessionReporter::onGroupRead);
    connect(c, &SessionController::deviceTypeRead, r, &SessionReporter::onDeviceTypeRead);
    connect(c, &SessionController::settingsRead, r, &SessionReporter::onSettingsRead);
    connect(c, &SessionController::backupRead, r, &SessionReporter::onBackupRead);
    connect(c, &SessionController::settingValue, r, &SessionReporter::onSettingValue);
    connect(c, &SessionController::sensorsRead, r, &SessionReporter::onSensorsRead);
    connect(c, &SessionController::logData, r, &SessionReporter::onLogData);
    connect(c, &SessionController::deviceList, r, &SessionReporter::onDeviceList);
}

usb_handler::~usb_handler()
{
    delete m_reporter;
}

void usb_handler::setTimeouts(const TSessionTimeouts &timeouts)
{
    m_controller->setTimeouts(timeouts);
}

void usb_handler::runIn(QThread *thread)
{
    moveToThread(thread);
    connect(thread, &QThread::finished, this, [this] { m_stopped.store(true, std::memory_order_release); },
            Qt::DirectConnection);
}

void usb_handler::setQuietPolling(bool quiet)
{
    m_controller->setQuietPolling(quiet);
}

bool usb_handler::isConnected() const
{
    return m_controller->isConnected();
}

void usb_handler::request_shutdown()
{
    m_controller->cancelAll();
}

void usb_handler::shutdown()
{
    m_controller->cancelAll();
    m_controller->closeQuietly();
    if (thread() != QCoreApplication::instance()->thread())
        thread()->quit();
}

void usb_handler::request(ERequest kind)
{
    m_controller->request({kind});
}

void usb_handler::inOwnerThread(std::function<void()> f)
{
    if (QThread::currentThread() == m_reporter->thread())
        f();
    else
        QMetaObject::invokeMethod(m_reporter, std::move(f), Qt::QueuedConnection);
}

void usb_handler::main_loop()
{
    m_controller->runPasses();
}

void usb_handler::start_connection(TDeviceToConnect _dev)
{
    TSessionRequest r{ERequest::Start};
    r.device = _dev;
    m_controller->request(r);
}

void usb_handler::stop_connection() { request(ERequest::Stop); }

void usb_handler::update_server_param(TServerAddress addr)
{
    TSessionRequest r{ERequest::FetchList};
    r.server = addr;
    m_controller->request(r);
}

// These have no transaction behind them; they stay so that callers of the worker need not change.
void usb_handler::on_start_add_keys() {}
void usb_handler::on_stop_add_keys() {}
void usb_handler::on_reset_odo() {}
void usb_handler::on_reset_tripcounter() {}
void usb_handler::on_set_output_command(uint8_t, uint8_t) {}
void usb_handler::on_clean_bb() {}
void usb_handler::on_take_photo() {}
void usb_handler::on_update_can() {}
void usb_handler::upload_can_fw_to_device(QByteArray) {}
void usb_handler::download_can_info() {}

void usb_handler::on_start_add_temp() { request(ERequest::SensorEnrolmentOn); }

void usb_handler::on_stop_add_temp()
{
    // How many sensor ids to read back is a count of the store.
    inOwnerThread([this] {
        TSessionRequest r{ERequest::SensorEnrolmentOff};
        r.number = boundedCapabilities().temperatureSensorCount;
        m_controller->request(r);
    });
}

void usb_handler::on_start_update_state() { m_controller->setUpdateState(true); }
void usb_handler::on_stop_update_state() { m_controller->setUpdateState(false); }
void usb_handler::on_regular_timer() { m_controller->tick(); }
void usb_handler::on_current_state_tab_changed(int index) { m_controller->setStatePage(index); }

void usb_handler::setDigitalOutput(int n)
{
    TSessionRequest r{ERequest::OutputOn};
    r.number = n;
    m_controller->request(r);
}

void usb_handler::resetDigitalOutput(int n)
{
    TSessionRequest r{ERequest::OutputOff};
    r.number = n;
    m_controller->request(r);
}

void usb_handler::on_download_settings() { request(ERequest::DownloadSettings); }
void usb_handler::read_backup(bool withImei)
{
    TSessionRequest r{ERequest::ReadBackup};
    r.number = withImei ? 1 : 0;
    m_controller->request(r);
}

void usb_handler::read_state_group(int group)
{
    TSessionRequest r{ERequest::StateRead};
    // Offset by one: 0 stands for the polled tab's group.
    r.number = group + 1;
    m_controller->request(r);
}

void usb_handler::upload_settings_image(QByteArray image)
{
    TSessionRequest r{ERequest::UploadSettings};
    r.bytes = image;
    m_controller->request(r);
}

void usb_handler::on_upload_settings()
{
    // The image is taken where the settings are edited, as they stand when asked for.
    inOwnerThread([this] {
        TSessionRequest r{ERequest::UploadSettings};
        r.bytes = build_settings_image();
        m_controller->request(r);
    });
}

void usb_handler::on_reset_traffic1() { request(trafficReset(1)); }
void usb_handler::on_reset_traffic2() { request(trafficReset(2)); }
void usb_handler::on_reset_traffic3() { request(trafficReset(3)); }
void usb_handler::on_reset_traffic4() { request(trafficReset(4)); }
void usb_handler::on_reset_traffic5() { request(trafficReset(5)); }
void usb_handler::on_reset_traffic6() { request(trafficReset(6)); }
void usb_handler::on_reset_traffic7() { request(trafficReset(7)); }
void usb_handler::on_reset_traffic8() { request(trafficReset(8)); }
void usb_handler::on_tofactory() { request(ERequest::FactoryReset); }
void usb_handler::on_reset_device() { request(ERequest::Restart); }
void usb_handler::on_irq() { m_controller->raiseIrq(); }
void usb_handler::reset_irq() { m_controller->lowerIrq(); }

void usb_handler::update_firmware(QString selected_filename)
{
    TSessionRequest r{ERequest::Firmware};
    r.path = selected_filename;
    m_controller->request(r);
}

void usb_handler::on_device_pin(QString pin) { m_controller->setPin(pin); }
void usb_handler::on_download_log() { request(ERequest::DownloadLog); }
void usb_handler::on_device_lost() { m_controller->onDeviceLost(); }
