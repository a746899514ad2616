#pragma once

#include <QJsonObject>
#include <QString>

enum class ETerminalOutcome { Pending, Ok, Failed, Skipped };

// What became of one terminal of a run: a row of the summary, an entry of the JSON, a line
// of the journal, and what a child process of a --jobs run hands back to its parent.
struct TTerminalResult {
    QString id;
    ETerminalOutcome outcome = ETerminalOutcome::Pending;
    int status = 0;
    QString message;
    QString file;
    QString backup;
    bool hasState = false;
    QJsonObject parameters;
    QString stateTable;

    // The entry of --json; whole adds what only the parent of a child needs (the state table).
    QJsonObject toJson(bool whole = false) const;
    // False when the object is no result (not a known outcome, no id).
    static bool fromJson(const QJsonObject &object, TTerminalResult *result);

    static QString outcomeName(ETerminalOutcome outcome);
};
