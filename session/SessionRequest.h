#pragma once

#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// What the session can be asked to do. The order of the values is the order in which a
// pass serves the requests pending at once: a stop before anything else, a state read before
// transfers, transfers before commands, a restart before a factory reset.
enum class ERequest : uint8_t {
    FetchList,
    Stop,
    Start,
    StateRead,
    ReadBackup,
    DownloadSettings,
    UploadSettings,
    SensorEnrolmentOn,
    SensorEnrolmentOff,
    Firmware,
    DownloadLog,
    ResetTraffic1,
    ResetTraffic8 = ResetTraffic1 + 7,
    Restart,
    FactoryReset,
    OutputOn,
    OutputOff,
    Count
};

// One request and what it carries. A second request of a kind still pending replaces it.
struct TSessionRequest {
    ERequest kind = ERequest::Stop;
    int number = 0;           // output index; sensors to read back after enrolment
    QByteArray bytes{};       // the settings image to upload
    QString path{};           // firmware file
    TDeviceToConnect device{};
    TServerAddress server{};
};

inline ERequest trafficReset(int server)
{
    return ERequest(int(ERequest::ResetTraffic1) + server - 1);
}
