#pragma once

#include <QString>
#include <cstdint>

// A serial port as the USB search sees it.
struct TSerialPortCandidate {
    QString portName; // a name the serial port accepts (a device path is fine)
    bool hasIdentifiers = false;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};
