#include "support/PeerProcess.h"
#include "support/TestTime.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

void PeerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}

QString PeerProcess::peersDir()
{
    const QString fromEnv = qEnvironmentVariable("TRIVOX_PEERS_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QDir here(QCoreApplication::applicationDirPath());
    for (const char *relative : {"../peers", "../../peers"}) {
        const QString candidate = here.absoluteFilePath(QLatin1String(relative));
        if (QFileInfo::exists(candidate + QStringLiteral("/trivox-relay-sim")))
            return QDir::cleanPath(candidate);
    }
    return here.absolutePath();
}

bool PeerProcess::start(const QString &program, const QStringList &arguments, int timeoutMs)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(peersDir() + QLatin1Char('/') + program, arguments);
    if (m_process.waitForStarted(timeoutMs))
        return true;
    m_error = m_process.errorString();
    return false;
}

void PeerProcess::write(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(1000);
}

void PeerProcess::readLines()
{
    m_partial.append(m_process.readAllStandardOutput());
    for (int end; (end = m_partial.indexOf('\n')) >= 0;) {
        m_lines.append(QString::fromUtf8(m_partial.left(end)).trimmed());
        m_taken.append(false);
        m_partial.remove(0, end + 1);
    }
}

QStringList PeerProcess::events()
{
    readLines();
    return m_lines;
}

int PeerProcess::findUntaken(const QString &prefix) const
{
    for (int i = 0; i < m_lines.size(); ++i)
        if (!m_taken[i] && m_lines[i].startsWith(prefix))
            return i;
    return -1;
}

bool PeerProcess::hasEvent(const QString &prefix)
{
    readLines();
    return findUntaken(prefix) >= 0;
}

bool PeerProcess::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs * testTimeScale());
    for (;;) {
        readLines();
        if (done())
            return true;
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 20)));
        QCoreApplication::processEvents();
    }
}

QString PeerProcess::takeLine(const QStringList &prefixes, int timeoutMs)
{
    int found = -1;
    waitUntil([&] {
        for (const QString &prefix : prefixes)
            if ((found = findUntaken(prefix)) >= 0)
                return true;
        return false;
    }, timeoutMs);
    if (found < 0)
        return QString();
    m_taken[found] = true;
    return m_lines[found];
}
