#include "peers/terminal/EventLog.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace EventLog {

namespace {

// Lines a driver leaves unread pile up to here; past it they are dropped.
constexpr int MAX_PENDING = 16 * 1024 * 1024;

QByteArray pending;
QSocketNotifier *writable = nullptr;
bool prepared = false;

void flushPending()
{
    while (!pending.isEmpty()) {
        const ssize_t n = ::write(STDOUT_FILENO, pending.constData(), size_t(pending.size()));
        if (n > 0) {
            pending.remove(0, int(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && writable) {
            writable->setEnabled(true);
            return;
        } else {
            pending.clear();
        }
    }
    if (writable)
        writable->setEnabled(false);
}

// Only a pipe is switched to non-blocking: a terminal's file description is shared with the
// shell that started us.
void prepare()
{
    prepared = true;
    struct stat info {};
    if (::fstat(STDOUT_FILENO, &info) != 0 || !S_ISFIFO(info.st_mode) || !QCoreApplication::instance())
        return;
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (flags < 0 || ::fcntl(STDOUT_FILENO, F_SETFL, flags | O_NONBLOCK) != 0)
        return;
    writable = new QSocketNotifier(STDOUT_FILENO, QSocketNotifier::Write, QCoreApplication::instance());
    writable->setEnabled(false);
    QObject::connect(writable, &QSocketNotifier::activated, writable, [] { flushPending(); });
}

} // namespace

void line(const QString &text)
{
    if (!prepared)
        prepare();
    if (pending.size() > MAX_PENDING)
        return;
    pending.append(text.toUtf8());
    pending.append('\n');
    flushPending();
}

} // namespace EventLog
