#include "peers/terminal/ControlInput.h"

#include "peers/terminal/EventLog.h"
#include "peers/terminal/FaultSwitches.h"
#include "peers/terminal/TerminalDevice.h"

#include <QSocketNotifier>
#include <QStringList>

#include <cerrno>
#include <unistd.h>

ControlInput::ControlInput(TerminalDevice *device, FaultSwitches *faults, QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_faults(faults)
    , m_notifier(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &ControlInput::readInput);
}

void ControlInput::readInput()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // No controller (or it went away): keep serving the links as they are.
        m_notifier->setEnabled(false);
        return;
    }
    m_buffer.append(buffer, int(n));
    int end;
    while ((end = int(m_buffer.indexOf('\n'))) >= 0) {
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        execute(QString::fromUtf8(line).trimmed());
    }
    if (m_buffer.size() > MAX_LINE) {
        EventLog::line(QStringLiteral("ERROR control line longer than %1 bytes").arg(MAX_LINE));
        m_buffer.clear();
    }
}

void ControlInput::execute(const QString &line)
{
    if (line.isEmpty())
        return;
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString &command = words.first();
    QString error;
    if (command == QLatin1String("set") && words.size() == 3) {
        if (m_faults->set(words[1], words[2], &error)) {
            if (words[1] == QLatin1String("pin"))
                m_device->storePin(m_faults->pin);
            EventLog::line(QStringLiteral("OK ") + line);
            return;
        }
    } else if (command == QLatin1String("clear") && words.size() == 1) {
        m_faults->clear();
        m_device->storePin(m_faults->pin);
        EventLog::line(QStringLiteral("OK clear"));
        return;
    } else if (command == QLatin1String("dump") && words.size() == 1) {
        EventLog::line(QStringLiteral("BASE ") + QString::fromLatin1(m_device->baseFile().toHex()));
        return;
    } else if (command == QLatin1String("log") && words.size() == 1) {
        EventLog::line(QStringLiteral("LOG ") + QString::fromLatin1(m_device->logFile().toHex()));
        return;
    } else if (command == QLatin1String("attach-sensor") && words.size() == 1) {
        if (m_device->attachSensor()) {
            EventLog::line(QStringLiteral("OK attach-sensor"));
            return;
        }
        error = QStringLiteral("enrolment is off");
    } else {
        error = QStringLiteral("unknown command");
    }
    EventLog::line(QStringLiteral("ERROR %1: %2").arg(line, error));
}
