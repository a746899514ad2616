#include "support/RelayProcess.h"

#include "support/TestTime.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

RelayProcess::RelayProcess(const QStringList &options)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(peersDir() + QStringLiteral("/trivox-relay-sim"),
                    QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--terminal-port"),
                                QStringLiteral("0")} + options);
    if (!m_process.waitForStarted(5000)) {
        qWarning("cannot start the relay stand-in: %s", qPrintable(m_process.errorString()));
        return;
    }
    QDeadlineTimer deadline(5000 * testTimeScale());
    while (!isReady() && !deadline.hasExpired() && m_process.waitForReadyRead(int(deadline.remainingTime())))
        collect();
}

RelayProcess::~RelayProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QStringList RelayProcess::events()
{
    collect();
    return m_lines;
}

bool RelayProcess::waitForEvent(const QString &line, int times, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs * testTimeScale());
    collect();
    while (m_lines.count(line) < times) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 50)));
        collect();
    }
    return true;
}

void RelayProcess::control(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(1000);
}

QString RelayProcess::peersDir()
{
    const QByteArray fromEnv = qgetenv("TRIVOX_PEERS_DIR");
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
    const QDir here(QCoreApplication::applicationDirPath());
    for (const char *relative : {"../peers", "../../peers"}) {
        const QString candidate = here.absoluteFilePath(QLatin1String(relative));
        if (QFileInfo::exists(candidate + QStringLiteral("/trivox-relay-sim")))
            return QDir::cleanPath(candidate);
    }
    return here.absolutePath();
}

void RelayProcess::collect()
{
    m_partial.append(m_process.readAllStandardOutput());
    int newline;
    while ((newline = m_partial.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_partial.left(newline)).trimmed();
        m_partial.remove(0, newline + 1);
        m_lines.append(line);
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() == 3 && words.at(0) == QLatin1String("LISTEN")) {
            const quint16 port = quint16(words.at(2).toUInt());
            (words.at(1) == QLatin1String("terminal") ? m_terminalPort : m_configuratorPort) = port;
        }
    }
}
