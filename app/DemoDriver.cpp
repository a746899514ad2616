#include "app/DemoDriver.h"

#include "app/AppLog.h"
#include "app/MainWindow.h"
#include "app/UserPrompts.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <unistd.h>

namespace {

constexpr int POLL_MS = 100;
constexpr int GIVE_UP_MS = 30000;
// Two state ticks after connecting, so the shown tree holds values.
constexpr int SETTLE_MS = 2500;
constexpr int IDLE_SCREENSHOT_MS = 800;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Milliseconds since the process was started by the kernel, or -1.
qint64 processAgeMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const int close = int(line.lastIndexOf(')'));
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // starttime is field 22 of the whole line, the 20th after the name.
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields.at(19).toDouble();
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (ticksPerSecond <= 0)
        return -1;
    return qint64(upSeconds * 1000.0 - startTicks * 1000.0 / double(ticksPerSecond));
}

QString residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return QString::fromLatin1(line.mid(6).simplified());
    }
    return QStringLiteral("unknown");
}

} // namespace

DemoDriver *DemoDriver::fromEnvironment(MainWindow *window, qint64 mainEnteredMs)
{
    if (qEnvironmentVariableIsEmpty("TRIVOX_DEMO_AUTOCONNECT") && qEnvironmentVariableIsEmpty("TRIVOX_DEMO_SCREENSHOT")
        && qEnvironmentVariableIsEmpty("TRIVOX_DEMO_TIMING"))
        return nullptr;
    return new DemoDriver(window, mainEnteredMs);
}

DemoDriver::DemoDriver(MainWindow *window, qint64 mainEnteredMs)
    : QObject(window),
      m_window(window),
      m_mainEnteredMs(mainEnteredMs),
      m_screenshot(qEnvironmentVariable("TRIVOX_DEMO_SCREENSHOT")),
      m_timing(!qEnvironmentVariableIsEmpty("TRIVOX_DEMO_TIMING"))
{
    const QString target = qEnvironmentVariable("TRIVOX_DEMO_AUTOCONNECT");
    if (!target.isEmpty()) {
        const QStringList parts = target.split(QLatin1Char(':'));
        bool portOk = false;
        const uint port = parts.value(1).toUInt(&portOk);
        if (parts.size() != 4 || !portOk || port == 0 || port > 0xFFFF || parts.at(2).isEmpty()) {
            qCWarning(lcApp).noquote() << "[DemoDriver] ERROR TRIVOX_DEMO_AUTOCONNECT wants host:port:id:pin, not"
                                       << target;
        } else {
            m_autoconnect = true;
            m_host = parts.at(0);
            m_port = quint16(port);
            m_deviceId = parts.at(2);
            m_pin = parts.at(3);
        }
    }
    QTimer::singleShot(0, this, &DemoDriver::windowShown);
}

void DemoDriver::windowShown()
{
    if (m_timing)
        qCInfo(lcApp).noquote() << QStringLiteral("[DemoDriver] window shown %1 ms after main, %2 ms after process start")
                                       .arg(nowMs() - m_mainEnteredMs)
                                       .arg(processAgeMs());
    if (m_autoconnect) {
        startConnection();
        return;
    }
    if (!m_screenshot.isEmpty())
        QTimer::singleShot(IDLE_SCREENSHOT_MS, this, &DemoDriver::finish);
}

void DemoDriver::startConnection()
{
    UserPrompts::setMessageHandler([this](UserPrompts::Kind, const QString &title, const QString &text) {
        fail(QStringLiteral("message box \"%1\": %2").arg(title, text));
    });
    UserPrompts::setPinHandler([this](bool *ok) {
        // One answer only: a wrong PIN would otherwise be asked for forever.
        *ok = m_pinAnswers++ == 0;
        if (!*ok)
            fail(QStringLiteral("PIN %1 was refused").arg(m_pin));
        return m_pin;
    });
    UserPrompts::setSelectionHandler([this](select_device_dialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("device_list"));
        for (int row = 0; list && row < list->count(); ++row) {
            if (list->item(row)->text().startsWith(m_deviceId + QStringLiteral(": "))) {
                list->setCurrentRow(row);
                dialog.accepted();
                return dialog.result();
            }
        }
        fail(QStringLiteral("terminal %1 is not in the relay's list").arg(m_deviceId));
        return int(QDialog::Rejected);
    });

    auto *connectButton = m_window->findChild<QAbstractButton *>(QStringLiteral("ConnectToDevice"));
    auto *dialog = m_window->findChild<connection_window *>();
    if (!connectButton || !dialog) {
        fail(QStringLiteral("the window has no connect button or connection window"));
        return;
    }
    connectButton->click();
    auto *tcp = dialog->findChild<QRadioButton *>(QStringLiteral("radioButton_tcp_connect"));
    auto *address = dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_address"));
    auto *port = dialog->findChild<QSpinBox *>(QStringLiteral("spinBox_port"));
    auto *go = dialog->findChild<QAbstractButton *>(QStringLiteral("commandLinkButton_connect"));
    if (!tcp || !address || !port || !go) {
        fail(QStringLiteral("the connection window lacks its TCP fields"));
        return;
    }
    tcp->click();
    address->setText(m_host);
    port->setValue(m_port);
    go->click();

    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, &DemoDriver::poll);
    m_poll->start(POLL_MS);
    QTimer::singleShot(GIVE_UP_MS, this, [this] {
        if (m_connectedAtMs < 0)
            fail(QStringLiteral("not connected within %1 ms").arg(GIVE_UP_MS));
    });
}

void DemoDriver::poll()
{
    if (m_connectedAtMs < 0) {
        if (m_window->isDeviceConnected())
            m_connectedAtMs = nowMs();
        return;
    }
    if (nowMs() - m_connectedAtMs < SETTLE_MS)
        return;
    m_poll->stop();
    if (m_timing)
        qCInfo(lcApp).noquote() << QStringLiteral("[DemoDriver] resident memory after connecting: %1")
                                       .arg(residentMemory());
    finish();
}

void DemoDriver::finish()
{
    if (!m_screenshot.isEmpty()) {
        if (!m_window->grab().save(m_screenshot)) {
            fail(QStringLiteral("cannot write the screenshot %1").arg(m_screenshot));
            return;
        }
        qCInfo(lcApp).noquote() << "[DemoDriver] screenshot written to" << m_screenshot;
    }
    if (m_autoconnect || !m_screenshot.isEmpty())
        QCoreApplication::exit(0);
}

void DemoDriver::fail(const QString &why)
{
    qCWarning(lcApp).noquote() << "[DemoDriver] ERROR" << why;
    QCoreApplication::exit(1);
}
