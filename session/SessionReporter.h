#pragma once

#include "session/SessionOutcome.h"
#include "session/SessionProgress.h"
#include "session/TParameterValue.h"
#include "transport/TDeviceToConfigInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>

class usb_handler;

// The worker's half that stays in the thread that created it, the one that owns the settings
// store (the window's, the command-line tool's main thread). Every report of the session
// passes through here in order: values read are written into the store, then the worker's
// signals tell of them. So the store has one writer, and a signal never runs ahead of the
// value it announces.
class SessionReporter : public QObject
{
    Q_OBJECT
public:
    explicit SessionReporter(usb_handler *face);

public slots:
    void onProgress(TSessionProgress progress);
    void onPercent(int value);
    void onOutcome(TSessionOutcome outcome);
    void onConnected();
    void onDisconnected(bool lost);
    void onPinRefused();
    void onParametersRead(QVector<TParameterValue> values);
    void onGroupRead();
    void onDeviceTypeRead();
    void onSettingsRead(QByteArray base);
    void onBackupRead(QByteArray base);
    void onSettingValue(int id, int subId, QByteArray value);
    void onSensorsRead();
    void onLogData(QByteArray data);
    void onDeviceList(QList<TDeviceToConfigInfo> list);

private:
    usb_handler *m_face;
};
