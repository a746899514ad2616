#pragma once

#include <QMetaType>
#include <QString>
#include <cstdint>

// A relay server: host address text and TCP port.
struct TServerAddress {
    QString ip;
    uint16_t port = 0;
};

Q_DECLARE_METATYPE(TServerAddress)
