#pragma once

#include "cli/TerminalResult.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>

// --journal: one JSON line per finished terminal, appended and flushed as each one ends, so
// that a run cut short can be started again and skip what it already did. An entry counts
// only for the same command on the same files.
class FleetJournal
{
    Q_DECLARE_TR_FUNCTIONS(FleetJournal)
public:
    // input and output as given on the command line; the input is compared as an absolute path.
    FleetJournal(const QString &path, const QString &command, const QString &input, const QString &output);

    // Reads the entries so far; a missing file is an empty journal. False, with error, when
    // the file is not such a journal: it is then left alone.
    bool load(QString *error);
    // The terminal's last entry for this command, if it ended well.
    bool done(const QString &id, TTerminalResult *result) const;
    bool append(const TTerminalResult &result, QString *error);

    const QString &path() const { return m_path; }

private:
    QString m_path;
    QString m_command;
    QString m_input;
    QString m_output;
    QMap<QString, TTerminalResult> m_last;
    // Where a line cut short by an interrupted write begins: it goes before the next entry.
    qint64 m_tornAt = -1;
};
