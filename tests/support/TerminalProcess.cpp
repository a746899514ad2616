#include "support/TerminalProcess.h"

bool TerminalProcess::start(const QStringList &arguments, int timeoutMs)
{
    if (!PeerProcess::start(QStringLiteral("trivox-terminal-sim"), arguments, timeoutMs))
        return false;
    const QString line = takeLine({QStringLiteral("PTY "), QStringLiteral("REGISTERED ")}, timeoutMs);
    if (line.isEmpty())
        m_error = QStringLiteral("no PTY or REGISTERED line from the simulator");
    else if (line.startsWith(QLatin1String("PTY ")))
        m_ptyPath = line.mid(4);
    return !line.isEmpty();
}

bool TerminalProcess::control(const QString &line, int timeoutMs)
{
    write(line);
    return takeLine({QStringLiteral("OK ") + line, QStringLiteral("ERROR ") + line}, timeoutMs).startsWith(QLatin1String("OK "));
}

QByteArray TerminalProcess::fileOf(const QString &command, const QString &prefix)
{
    write(command);
    return QByteArray::fromHex(takeLine({prefix}, 5000).mid(prefix.size()).toLatin1());
}
