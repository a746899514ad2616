#pragma once

#include "transport/TDeviceToConfigInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class usb_handler;

// Records every signal of a worker, in order, in the test's thread. The connections are
// queued, so nothing the worker's thread touches is read here without an event in between.
class SessionRecorder : public QObject
{
    Q_OBJECT
public:
    struct Event {
        QString name;
        QVariant value;
    };

    explicit SessionRecorder(usb_handler *worker, QObject *parent = nullptr);

    const QList<Event> &events() const { return m_events; }
    QStringList names() const;
    QStringList statusTexts() const;
    QList<int> percentages() const;
    QByteArray logData() const;
    QList<TDeviceToConfigInfo> lastDeviceList() const { return m_lastList; }
    int count(const QString &name) const;
    int indexOf(const QString &name, int from = 0) const;
    void clear();

    // Processes events until the signal has been seen `times` times in all, or the limit.
    bool waitFor(const QString &name, int timeoutMs = 5000, int times = 1);
    bool waitForStatus(const QString &text, int timeoutMs = 5000);

private:
    void add(const QString &name, const QVariant &value = QVariant());

    QList<Event> m_events;
    QList<TDeviceToConfigInfo> m_lastList;
};
