#include "support/TerminalProcess.h"

#include "support/RelayProcess.h"
#include "support/TestTime.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

TerminalProcess::~TerminalProcess()
{
    stop();
}

bool TerminalProcess::start(const QStringList &arguments, int timeoutMs)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(RelayProcess::peersDir() + QStringLiteral("/trivox-terminal-sim"), arguments);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    const QString line = waitForLine({QStringLiteral("PTY "), QStringLiteral("REGISTERED ")}, timeoutMs);
    if (line.isEmpty()) {
        m_error = QStringLiteral("no PTY or REGISTERED line from the simulator");
        return false;
    }
    if (line.startsWith(QLatin1String("PTY ")))
        m_ptyPath = line.mid(4);
    return true;
}

void TerminalProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}

void TerminalProcess::readLines()
{
    m_partial.append(m_process.readAllStandardOutput());
    for (int end; (end = m_partial.indexOf('\n')) >= 0;) {
        m_lines.append(QString::fromUtf8(m_partial.left(end)));
        m_matched.append(false);
        m_partial.remove(0, end + 1);
    }
}

QStringList TerminalProcess::events()
{
    readLines();
    return m_lines;
}

int TerminalProcess::findUnmatched(const QString &prefix) const
{
    for (int i = 0; i < m_lines.size(); ++i)
        if (!m_matched[i] && m_lines[i].startsWith(prefix))
            return i;
    return -1;
}

QString TerminalProcess::waitForLine(const QStringList &prefixes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs * testTimeScale());
    for (;;) {
        readLines();
        for (const QString &prefix : prefixes) {
            const int i = findUnmatched(prefix);
            if (i >= 0) {
                m_matched[i] = true;
                return m_lines[i];
            }
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return QString();
        // Short waits, with the caller's own objects served in between.
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 20)));
        QCoreApplication::processEvents();
    }
}

QString TerminalProcess::waitForEvent(const QString &prefix, int timeoutMs)
{
    return waitForLine({prefix}, timeoutMs);
}

bool TerminalProcess::hasEvent(const QString &prefix)
{
    readLines();
    return findUnmatched(prefix) >= 0;
}

bool TerminalProcess::control(const QString &line, int timeoutMs)
{
    m_process.write(line.toUtf8() + '\n');
    return waitForLine({QStringLiteral("OK ") + line, QStringLiteral("ERROR ") + line}, timeoutMs)
        .startsWith(QLatin1String("OK "));
}

QByteArray TerminalProcess::dumpBase(int timeoutMs)
{
    m_process.write("dump\n");
    return QByteArray::fromHex(waitForLine({QStringLiteral("BASE ")}, timeoutMs).mid(5).toLatin1());
}

QByteArray TerminalProcess::logBytes(int timeoutMs)
{
    m_process.write("log\n");
    return QByteArray::fromHex(waitForLine({QStringLiteral("LOG ")}, timeoutMs).mid(4).toLatin1());
}
