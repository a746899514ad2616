#include "support/SessionRecorder.h"

#include "session/usb_handler.h"
#include "support/TestTime.h"

#include <QTest>

SessionRecorder::SessionRecorder(usb_handler *worker, QObject *parent)
    : QObject(parent)
{
    const auto q = Qt::DirectConnection;
    connect(worker, &usb_handler::device_connected, this, [this] { add(QStringLiteral("device_connected")); }, q);
    connect(worker, &usb_handler::device_disconnected, this, [this](bool lost) { add(QStringLiteral("device_disconnected"), lost); }, q);
    connect(worker, &usb_handler::status_message, this, [this](const QString &text) { add(QStringLiteral("status_message"), text); }, q);
    connect(worker, &usb_handler::bar_percentage, this, [this](int pct) { add(QStringLiteral("bar_percentage"), pct); }, q);
    connect(worker, &usb_handler::pin_request, this, [this] { add(QStringLiteral("pin_request")); }, q);
    connect(worker, &usb_handler::state_updated, this, [this] { add(QStringLiteral("state_updated")); }, q);
    connect(worker, &usb_handler::settings_updated, this, [this] { add(QStringLiteral("settings_updated")); }, q);
    connect(worker, &usb_handler::log_data, this, [this](const QByteArray &data) { add(QStringLiteral("log_data"), data); }, q);
    connect(worker, &usb_handler::device_type_received, this, [this] { add(QStringLiteral("device_type_received")); }, q);
    connect(worker, &usb_handler::device_list, this, [this](const QList<TDeviceToConfigInfo> &list) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_lastList = list;
        }
        add(QStringLiteral("device_list"), list.size());
    }, q);
}

void SessionRecorder::add(const QString &name, const QVariant &value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_events.append({name, value});
}

QList<SessionRecorder::Event> SessionRecorder::events() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_events;
}

QList<TDeviceToConfigInfo> SessionRecorder::lastDeviceList() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lastList;
}

QVariantList SessionRecorder::valuesOf(const QString &name) const
{
    QVariantList out;
    for (const Event &e : events())
        if (e.name == name)
            out << e.value;
    return out;
}

QStringList SessionRecorder::names() const
{
    QStringList out;
    for (const Event &e : events())
        out << e.name;
    return out;
}

QStringList SessionRecorder::statusTexts() const
{
    QStringList out;
    for (const QVariant &v : valuesOf(QStringLiteral("status_message")))
        out << v.toString();
    return out;
}

QList<int> SessionRecorder::percentages() const
{
    QList<int> out;
    for (const QVariant &v : valuesOf(QStringLiteral("bar_percentage")))
        out << v.toInt();
    return out;
}

QByteArray SessionRecorder::logData() const
{
    QByteArray out;
    for (const QVariant &v : valuesOf(QStringLiteral("log_data")))
        out += v.toByteArray();
    return out;
}

int SessionRecorder::count(const QString &name) const
{
    return valuesOf(name).size();
}

int SessionRecorder::indexOf(const QString &name, int from) const
{
    const QList<Event> all = events();
    for (int i = from; i < all.size(); ++i)
        if (all.at(i).name == name)
            return i;
    return -1;
}

void SessionRecorder::clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_events.clear();
}

bool SessionRecorder::waitFor(const QString &name, int timeoutMs, int times)
{
    return QTest::qWaitFor([&] { return count(name) >= times; }, timeoutMs * testTimeScale());
}

bool SessionRecorder::waitForStatus(const QString &text, int timeoutMs)
{
    return QTest::qWaitFor([&] { return statusTexts().contains(text); }, timeoutMs * testTimeScale());
}
