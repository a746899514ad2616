#include "support/SessionHarness.h"

#include "support/TestTime.h"

#include <QMetaObject>
#include <QTest>

#include <algorithm>
#include <condition_variable>

TSessionTimeouts SessionHarness::fastSessionTimeouts()
{
    TSessionTimeouts t;
    t.replyMs = t.fileReplyMs = 1500 * testTimeScale();
    return t;
}

TTransportTimeouts SessionHarness::fastTransportTimeouts()
{
    TTransportTimeouts t;
    t.serverConnectMs = 1000 * testTimeScale();
    t.socketWaitMs = t.relayAnswerMs = 2000 * testTimeScale();
    return t;
}

SessionHarness::SessionHarness(const TSessionTimeouts &session, const TTransportTimeouts &transport)
{
    qRegisterMetaType<TDeviceToConnect>("TDeviceToConnect");
    qRegisterMetaType<TServerAddress>("TServerAddress");
    qRegisterMetaType<QList<TDeviceToConfigInfo>>("QList<TDeviceToConfigInfo>");
    m_worker = new usb_handler;
    m_worker->setTimeouts(session);
    m_worker->port()->setTimeouts(transport);
    usb_handler *w = m_worker;
    const auto q = Qt::DirectConnection;
    QObject::connect(w, &usb_handler::device_connected, w, [this] { add("device_connected"); }, q);
    QObject::connect(w, &usb_handler::device_disconnected, w, [this](bool lost) { add("device_disconnected", lost); }, q);
    QObject::connect(w, &usb_handler::status_message, w, [this](const QString &text) { add("status_message", text); }, q);
    QObject::connect(w, &usb_handler::bar_percentage, w, [this](int pct) { add("bar_percentage", pct); }, q);
    QObject::connect(w, &usb_handler::pin_request, w, [this] { add("pin_request"); }, q);
    QObject::connect(w, &usb_handler::settings_updated, w, [this] { add("settings_updated"); }, q);
    QObject::connect(w, &usb_handler::log_data, w, [this](const QByteArray &data) { add("log_data", data); }, q);
    QObject::connect(w, &usb_handler::device_type_received, w, [this] { add("device_type_received"); }, q);
    QObject::connect(w, &usb_handler::device_list, w, [this](const QList<TDeviceToConfigInfo> &list) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_lastList = list;
        }
        add("device_list", list.size());
    }, q);
    m_jobs = new WorkerJobs(m_worker);
    m_worker->runIn(&m_thread);
    QObject::connect(&m_thread, &QThread::started, m_worker, &usb_handler::main_loop);
    m_thread.start();
}

SessionHarness::~SessionHarness()
{
    m_worker->request_shutdown();
    usb_handler *worker = m_worker;
    inWorker([worker] { worker->shutdown(); });
    if (m_thread.wait(10000) && m_worker->hasStopped())
        delete m_worker;
    CConfiguratorHandlerPort::setPortLister({});
}

void SessionHarness::add(const QString &name, const QVariant &value)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_events.append({name, value});
}

QVariantList SessionHarness::values(const QString &signal) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    QVariantList out;
    for (const auto &e : m_events)
        if (e.first == signal)
            out << e.second;
    return out;
}

QStringList SessionHarness::names() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    QStringList out;
    for (const auto &e : m_events)
        out << e.first;
    return out;
}

QStringList SessionHarness::statusTexts() const
{
    QStringList out;
    for (const QVariant &v : values("status_message"))
        out << v.toString();
    return out;
}

QList<int> SessionHarness::percentages() const
{
    QList<int> out;
    for (const QVariant &v : values("bar_percentage"))
        out << v.toInt();
    return out;
}

QByteArray SessionHarness::logData() const
{
    QByteArray out;
    for (const QVariant &v : values("log_data"))
        out += v.toByteArray();
    return out;
}

void SessionHarness::clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_events.clear();
}

bool SessionHarness::waitFor(const QString &signal, int timeoutMs, int times)
{
    return QTest::qWaitFor([&] { return count(signal) >= times; }, timeoutMs * testTimeScale());
}

bool SessionHarness::waitForStatus(const QString &text, int timeoutMs)
{
    return QTest::qWaitFor([&] { return statusTexts().contains(text); }, timeoutMs * testTimeScale());
}

void SessionHarness::offerSerialPort(const QString &path)
{
    CConfiguratorHandlerPort::setPortLister([path] {
        return QList<TSerialPortCandidate>{{path, true, CConfiguratorHandlerPort::USB_VENDOR_ID, CConfiguratorHandlerPort::USB_PRODUCT_ID}};
    });
}

bool SessionHarness::waitConnectedOrFailed(int timeoutMs)
{
    const QStringList failures{"Ошибка авторизации", "Ошибка подключения", "Устройство не найдено",
                               "Устройство занято другим конфигуратором"};
    (void)QTest::qWaitFor([&] {
        const QStringList texts = statusTexts();
        return count("device_type_received") > 0 || count("device_disconnected") > 0
            || std::any_of(failures.begin(), failures.end(), [&](const QString &t) { return texts.contains(t); });
    }, timeoutMs * testTimeScale());
    return m_worker->isConnected() && count("device_type_received") > 0;
}

bool SessionHarness::connectUsb(const QString &ptyPath, int timeoutMs)
{
    offerSerialPort(ptyPath);
    m_worker->start_connection(TDeviceToConnect{});
    return waitConnectedOrFailed(timeoutMs);
}

bool SessionHarness::connectRelay(quint16 port, const QString &deviceId, int timeoutMs)
{
    const TServerAddress address{QStringLiteral("127.0.0.1"), port};
    const int lists = count("device_list");
    usb_handler *worker = m_worker;
    post([worker, address] { worker->update_server_param(address); });
    if (!waitFor("device_list", timeoutMs, lists + 1))
        return false;
    std::unique_lock<std::mutex> lock(m_lock);
    const QList<TDeviceToConfigInfo> list = m_lastList;
    lock.unlock();
    for (const TDeviceToConfigInfo &info : list) {
        if (deviceIdText(info) == deviceId) {
            m_worker->start_connection(TDeviceToConnect{info, 1});
            return waitConnectedOrFailed(timeoutMs);
        }
    }
    return false;
}

void SessionHarness::post(std::function<void()> f)
{
    m_jobs->post(std::move(f));
}

void SessionHarness::inWorker(const std::function<void()> &f)
{
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    post([&] {
        f();
        std::lock_guard<std::mutex> guard(lock);
        done = true;
        finished.notify_one();
    });
    std::unique_lock<std::mutex> guard(lock);
    finished.wait(guard, [&] { return done; });
}

void SessionHarness::stop(int timeoutMs)
{
    m_worker->stop_connection();
    waitForStatus(QStringLiteral("Устройство отключено"), timeoutMs);
}
