#pragma once

#include "transport/TDeviceToConfigInfo.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <mutex>

class usb_handler;

// Records every signal of a worker, in order. The signals are taken as they are emitted, in
// the worker's thread, under a standard mutex, so that what the worker wrote before a signal
// is ordered before the test's reads also for thread checkers blind to Qt's event queue.
class SessionRecorder : public QObject
{
    Q_OBJECT
public:
    struct Event {
        QString name;
        QVariant value;
    };

    explicit SessionRecorder(usb_handler *worker, QObject *parent = nullptr);

    QList<Event> events() const;
    QStringList names() const;
    QStringList statusTexts() const;
    QList<int> percentages() const;
    QByteArray logData() const;
    QList<TDeviceToConfigInfo> lastDeviceList() const;
    int count(const QString &name) const;
    int indexOf(const QString &name, int from = 0) const;
    void clear();

    // Processes events until the signal has been seen `times` times in all, or the limit.
    bool waitFor(const QString &name, int timeoutMs = 5000, int times = 1);
    bool waitForStatus(const QString &text, int timeoutMs = 5000);

private:
    void add(const QString &name, const QVariant &value = QVariant());
    QVariantList valuesOf(const QString &name) const;

    mutable std::mutex m_lock;
    QList<Event> m_events;
    QList<TDeviceToConfigInfo> m_lastList;
};
