#include "peers/terminal/PtyLink.h"

#include "peers/terminal/EventLog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyLink::PtyLink(TerminalDevice *device, FaultSwitches *faults, QObject *parent)
    : TerminalLink(device, faults, parent)
{
}

PtyLink::~PtyLink()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyLink::open(QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        *error = QStringLiteral("no slave name for the pseudo-terminal");
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios mode{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &mode) != 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_slavePath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    ::cfmakeraw(&mode);
    ::tcsetattr(m_slave, TCSANOW, &mode);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyLink::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyLink::flushPending);
    return true;
}

void PtyLink::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytesArrived(QByteArray(buffer, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            EventLog::line(QStringLiteral("PTY_ERROR %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            m_readNotifier->setEnabled(false);
        }
        return;
    }
}

void PtyLink::writeBytes(const QByteArray &bytes)
{
    if (m_pending.size() + bytes.size() > MAX_PENDING_OUTPUT) {
        EventLog::line(QStringLiteral("OUTPUT_DROPPED %1").arg(bytes.size()));
        return;
    }
    m_pending.append(bytes);
    flushPending();
}

void PtyLink::flushPending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            EventLog::line(QStringLiteral("PTY_ERROR %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            m_pending.clear();
        }
        break;
    }
    m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void PtyLink::dropLink(TerminalSession::LinkAction why)
{
    // A pty cannot be unplugged: a restart forgets the authorization, a dropped transfer
    // leaves the terminal deaf until the next AUTH.
    linkLost();
    if (why == TerminalSession::LinkAction::Reboot) {
        m_session.reset();
        EventLog::line(QStringLiteral("REBOOT pty"));
    } else {
        m_session.goSilentUntilAuth();
        EventLog::line(QStringLiteral("LINK_DROPPED pty"));
    }
}
