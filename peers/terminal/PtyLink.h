#pragma once

#include "peers/terminal/TerminalLink.h"

#include <QByteArray>
#include <QString>

class QSocketNotifier;

// The terminal's USB serial port, played by a pseudo-terminal. The configurator opens the
// slave; this side serves the master. A slave descriptor stays open here for the whole run,
// so the master never sees a hang-up when the configurator closes the port, and the slave
// is raw, so nothing is echoed or translated.
class PtyLink : public TerminalLink
{
    Q_OBJECT
public:
    // Output that the configurator does not read is bounded.
    static constexpr int MAX_PENDING_OUTPUT = 1024 * 1024;

    PtyLink(TerminalDevice *device, FaultSwitches *faults, QObject *parent = nullptr);
    ~PtyLink() override;

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }

protected:
    void writeBytes(const QByteArray &bytes) override;
    void dropLink(TerminalSession::LinkAction why) override;

private:
    void readMaster();
    void flushPending();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
};
