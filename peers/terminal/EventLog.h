#pragma once

#include <QString>

// One line per event on standard output, handed to the system at once: the test that drives
// the stand-in waits for these lines. When standard output is a pipe it is written without
// blocking, so a driver that reads its pipe late never stalls the terminal's answers.
namespace EventLog {

void line(const QString &text);

} // namespace EventLog
