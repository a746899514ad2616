#include "support/ScriptedPeer.h"

#include "support/TestTime.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QTest>

#include <algorithm>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

ScriptedPeer::ScriptedPeer(Kind kind, const Script &script, quint16 port)
    : m_script(script)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (kind == Pty) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 && ::fcntl(master, F_SETFL, O_NONBLOCK) == 0) {
            m_slavePath = QString::fromLocal8Bit(ptsname(master));
            m_slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        }
        termios tio;
        if (m_slave >= 0 && tcgetattr(m_slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_slave, TCSANOW, &tio);
            m_fd = master;
        } else if (master >= 0) {
            ::close(master);
        }
    } else if (kind == Connect) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), length) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        const int on = 1;
        if (m_fd >= 0 && (::fcntl(m_fd, F_SETFL, O_NONBLOCK) != 0 || ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0))
            qWarning("cannot set up the peer's socket");
    } else {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(listener, 1) == 0
            && ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
            m_listener = listener;
            m_port = ntohs(address.sin_port);
        } else if (listener >= 0) {
            ::close(listener);
        }
    }
    m_valid = m_fd >= 0 || m_listener >= 0;
    m_thread = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer()
{
    m_stop = true;
    m_thread.join();
    for (int fd : {m_fd, m_slave, m_listener})
        if (fd >= 0)
            ::close(fd);
}

void ScriptedPeer::setScript(const Script &script)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_script = script;
}

void ScriptedPeer::send(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_out += bytes;
}

void ScriptedPeer::hangUp()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_hangUp = true;
}

bool ScriptedPeer::allSent() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_out.isEmpty() && !m_writing;
}

QByteArray ScriptedPeer::received() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_received;
}

QList<QByteArray> ScriptedPeer::requests() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

int ScriptedPeer::count(uint8_t type) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return int(std::count_if(m_requests.begin(), m_requests.end(), [type](const QByteArray &f) { return uint8_t(f.at(2)) == type; }));
}

void ScriptedPeer::clearRequests()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_requests.clear();
}

bool ScriptedPeer::waitForReceived(int size, int timeoutMs)
{
    return QTest::qWaitFor([&] { return received().size() >= size; }, timeoutMs * testTimeScale());
}

bool ScriptedPeer::waitForClose(int timeoutMs)
{
    return QTest::qWaitFor([&] {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_closed;
    }, timeoutMs * testTimeScale());
}

ScriptedPeer::Script ScriptedPeer::withAuth(const Script &rest, bool accept)
{
    return [rest, accept](const QByteArray &frame) -> QList<QByteArray> {
        if (uint8_t(frame.at(2)) == PACKET_AUTH)
            return {Packet::assemble(PACKET_AUTH, QByteArray(1, accept ? '\x01' : '\x00'))};
        return rest ? rest(frame) : QList<QByteArray>{};
    };
}

ScriptedPeer::Script ScriptedPeer::binding()
{
    return [](const QByteArray &frame) {
        return uint8_t(frame.at(2)) == PACKET_CONNECT_TO_DEVICE ? QList<QByteArray>{RelayCodec::connectResultPacket(0)}
                                                                 : QList<QByteArray>{};
    };
}

void ScriptedPeer::writeAll(const QByteArray &bytes)
{
    for (int done = 0; done < bytes.size() && m_fd >= 0 && !m_stop;) {
        pollfd p{m_fd, POLLOUT, 0};
        const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done)) : 0;
        if (n < 0 && errno != EAGAIN)
            return;
        done += int(qMax<ssize_t>(n, 0));
    }
}

void ScriptedPeer::run()
{
    QByteArray pending;
    char buf[4096];
    while (!m_stop) {
        if (m_fd < 0 && m_listener >= 0) {
            pollfd p{m_listener, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0 && (m_fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0) {
                const int on = 1;
                ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            }
            continue;
        }
        QByteArray out;
        bool hangUp = false;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            out.swap(m_out);
            m_writing = !out.isEmpty();
            hangUp = m_hangUp;
        }
        writeAll(out);
        std::unique_lock<std::mutex> lock(m_lock);
        m_writing = false;
        lock.unlock();
        if (m_fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        pollfd p{m_fd, POLLIN, 0};
        const ssize_t n = hangUp || ::poll(&p, 1, 20) > 0 ? ::read(m_fd, buf, sizeof buf) : -1;
        if (n < 0 && !hangUp && (errno == EAGAIN || errno == EINTR || p.revents == 0))
            continue;
        if (n <= 0 || hangUp) {
            // Unread bytes would turn a socket's close into a reset.
            while (n > 0 && ::read(m_fd, buf, sizeof buf) > 0)
                continue;
            ::close(m_fd);
            m_fd = -1;
            lock.lock();
            m_closed = true;
            continue;
        }
        pending.append(buf, int(n));
        QList<QByteArray> frames;
        lock.lock();
        m_received.append(buf, int(n));
        for (int size; (size = Packet::claimedSize(pending)) >= 0 && pending.size() >= size;) {
            frames << pending.left(size);
            pending.remove(0, size);
        }
        m_requests += frames;
        const Script script = m_script;
        lock.unlock();
        for (const QByteArray &frame : qAsConst(frames))
            for (const QByteArray &piece : script ? script(frame) : QList<QByteArray>{})
                writeAll(piece);
    }
}
