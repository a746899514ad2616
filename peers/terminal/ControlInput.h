#pragma once

#include <QByteArray>
#include <QObject>

class FaultSwitches;
class QSocketNotifier;
class TerminalDevice;

// Control lines on standard input. Each line is answered by one line on standard output:
//   set <switch> <value>   -> "OK set <switch> <value>" or "ERROR <line>: <reason>"
//   clear                  -> "OK clear" (every fault off, the start-up PIN back)
//   dump                   -> "BASE <hex>" (the BASE file as it is now)
//   log                    -> "LOG <hex>"
//   attach-sensor          -> "OK attach-sensor", or an ERROR while enrolment is off
class ControlInput : public QObject
{
    Q_OBJECT
public:
    // Longer lines are thrown away rather than buffered without end.
    static constexpr int MAX_LINE = 4096;

    ControlInput(TerminalDevice *device, FaultSwitches *faults, QObject *parent = nullptr);

    void execute(const QString &line);

private:
    void readInput();

    TerminalDevice *m_device;
    FaultSwitches *m_faults;
    QSocketNotifier *m_notifier;
    QByteArray m_buffer;
};
