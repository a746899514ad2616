#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>

class FaultSwitches;

// What the stand-in terminal holds: its settings and state values, kept in this process's
// own SettingsStorage, values that live (uptime, inputs, voltages, traffic), the files it
// serves and the images it is sent. The links and their sessions share one device.
class TerminalDevice : public QObject
{
    Q_OBJECT
public:
    static constexpr int DEFAULT_LOG_SIZE = 6000;
    // BASE padding records carry an id the configurator does not know.
    static constexpr uint16_t PADDING_ID = 9999;
    // The 1-Wire slot that reports "no sensor".
    static constexpr int MISSING_SENSOR_SLOT = 3;
    static constexpr float NO_SENSOR_TEMPERATURE = -150.0f;

    struct Config {
        int logSize = DEFAULT_LOG_SIZE;
        int baseSize = 0; // pad BASE up to this many bytes; 0: no padding
    };

    TerminalDevice(const Config &config, FaultSwitches *faults, QObject *parent = nullptr);

    // A read request's view: parameters by id, then settings by id and sub-id.
    bool readItem(uint16_t id, uint16_t subId, QByteArray *value) const;
    // A write request: stored only when the setting exists with exactly this size.
    bool writeItem(uint16_t id, uint16_t subId, const QByteArray &value);

    void reboot();
    void restoreFactorySettings();
    // The PIN in setting 3251 follows the PIN the terminal checks.
    void storePin(const QByteArray &pin);

    QByteArray baseFile() const;
    const QByteArray &logFile() const { return m_log; }

    // A whole "SETTINGS" image: false when its code or its records are bad (nothing applied).
    bool applySettingsImage(const QByteArray &image, int *applied);
    void keepFirmware(const QByteArray &image);
    const QByteArray &firmware() const { return m_firmware; }

    // A sensor on the 1-Wire bus while enrolment is on; false when it is off.
    bool attachSensor();

private:
    void setFixedParameters();
    void tick();
    void enrolAttachedSensor();
    static QByteArray buildLog(int size);

    FaultSwitches *m_faults;
    Config m_config;
    QTimer m_tickTimer;
    QElapsedTimer m_clock;
    uint32_t m_uptime = 0;
    bool m_enrolling = false;
    bool m_sensorAttached = false;
    int m_sensorsMade = 0;
    QByteArray m_log;
    QByteArray m_firmware;
};
