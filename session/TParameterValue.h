#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QVector>

// One row of the parameter table as the terminal answered it.
struct TParameterValue {
    int row = -1;
    QByteArray value; // the field's bytes; empty when !ok
    bool ok = false;  // the answer passed every check
};

Q_DECLARE_METATYPE(TParameterValue)
Q_DECLARE_METATYPE(QVector<TParameterValue>)
