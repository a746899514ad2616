#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The relay stand-in as a child process on free loopback ports; killed on destruction.
class RelayProcess
{
public:
    explicit RelayProcess(const QStringList &options = {});
    ~RelayProcess();

    // True once both listeners have reported their ports.
    bool isReady() const { return m_configuratorPort != 0 && m_terminalPort != 0; }
    quint16 configuratorPort() const { return m_configuratorPort; }
    quint16 terminalPort() const { return m_terminalPort; }

    // Event lines printed so far.
    QStringList events();
    // Waits until `line` has been printed `times` times in all.
    bool waitForEvent(const QString &line, int times = 1, int timeoutMs = 5000);
    // Sends a control line ("ping", "drop <id>", ...).
    void control(const QString &line);

    // Where the stand-in peers are: $TRIVOX_PEERS_DIR, else next to the build's binaries.
    static QString peersDir();

private:
    void collect();

    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
    quint16 m_configuratorPort = 0;
    quint16 m_terminalPort = 0;
};
