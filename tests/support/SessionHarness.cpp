#include "support/SessionHarness.h"

#include "support/TestTime.h"

#include <QMetaObject>
#include <QTest>

#include <algorithm>
#include <condition_variable>
#include <mutex>

int SessionHarness::timeScale()
{
    return testTimeScale();
}

TSessionTimeouts SessionHarness::fastSessionTimeouts()
{
    TSessionTimeouts t;
    t.replyMs = 1500 * timeScale();
    t.fileReplyMs = 1500 * timeScale();
    return t;
}

TTransportTimeouts SessionHarness::fastTransportTimeouts()
{
    TTransportTimeouts t;
    t.serverConnectMs = 1000 * timeScale();
    t.socketWaitMs = 2000 * timeScale();
    t.relayAnswerMs = 2000 * timeScale();
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
    m_recorder = new SessionRecorder(m_worker);
    m_jobs = new WorkerJobs(m_worker);
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::started, m_worker, &usb_handler::main_loop);
    m_thread.start();
}

SessionHarness::~SessionHarness()
{
    m_worker->request_shutdown();
    usb_handler *worker = m_worker;
    inWorker([worker] { worker->shutdown(); });
    if (m_thread.wait(10000))
        delete m_worker;
    delete m_recorder;
    CConfiguratorHandlerPort::setPortLister({});
}

void SessionHarness::offerSerialPort(const QString &path, uint16_t vendor, uint16_t product)
{
    CConfiguratorHandlerPort::setPortLister([path, vendor, product] {
        return QList<TSerialPortCandidate>{{path, true, vendor, product}};
    });
}

bool SessionHarness::waitConnectedOrFailed(int timeoutMs)
{
    const QStringList failures{QStringLiteral("Ошибка авторизации"), QStringLiteral("Ошибка подключения"),
                               QStringLiteral("Устройство не найдено"), QStringLiteral("Устройство занято другим конфигуратором")};
    (void)QTest::qWaitFor([&] {
        const QStringList texts = m_recorder->statusTexts();
        return m_recorder->count(QStringLiteral("device_type_received")) > 0 || m_recorder->count(QStringLiteral("device_disconnected")) > 0
            || std::any_of(failures.begin(), failures.end(), [&](const QString &t) { return texts.contains(t); });
    }, timeoutMs * testTimeScale());
    return m_worker->isConnected() && m_recorder->count(QStringLiteral("device_type_received")) > 0;
}

bool SessionHarness::connectUsb(const QString &ptyPath, int timeoutMs)
{
    offerSerialPort(ptyPath);
    TDeviceToConnect dev{};
    dev.via_server = 0;
    m_worker->start_connection(dev);
    return waitConnectedOrFailed(timeoutMs);
}

bool SessionHarness::connectRelay(quint16 port, const QString &deviceId, int timeoutMs)
{
    const TServerAddress addr{QStringLiteral("127.0.0.1"), port};
    const int lists = m_recorder->count(QStringLiteral("device_list"));
    usb_handler *worker = m_worker;
    post([worker, addr] { worker->update_server_param(addr); });
    if (!m_recorder->waitFor(QStringLiteral("device_list"), timeoutMs, lists + 1))
        return false;
    for (const TDeviceToConfigInfo &info : m_recorder->lastDeviceList()) {
        if (deviceIdText(info) != deviceId)
            continue;
        TDeviceToConnect dev{};
        dev.info = info;
        dev.via_server = 1;
        m_worker->start_connection(dev);
        return waitConnectedOrFailed(timeoutMs);
    }
    return false;
}

void SessionHarness::inWorker(const std::function<void()> &f)
{
    // Waited for with standard primitives rather than a blocking queued call, so that
    // thread checkers see the worker's writes ordered before the caller's reads.
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

void SessionHarness::post(std::function<void()> f)
{
    m_jobs->post(std::move(f));
}

void SessionHarness::queued(const char *slot)
{
    QMetaObject::invokeMethod(m_worker, slot, Qt::QueuedConnection);
}

void SessionHarness::stop(int timeoutMs)
{
    m_worker->stop_connection();
    m_recorder->waitForStatus(QStringLiteral("Устройство отключено"), timeoutMs);
}
