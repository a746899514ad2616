#include "cli/TerminalResult.h"

namespace {

const QString ID = QStringLiteral("id");
const QString RESULT = QStringLiteral("result");
const QString STATUS = QStringLiteral("exit_status");
const QString MESSAGE = QStringLiteral("message");
const QString FILE_KEY = QStringLiteral("file");
const QString BACKUP = QStringLiteral("backup");
const QString PARAMETERS = QStringLiteral("parameters");
const QString STATE_TABLE = QStringLiteral("state_table");

} // namespace

QJsonObject TTerminalResult::toJson(bool whole) const
{
    QJsonObject entry{{ID, id}, {RESULT, outcomeName(outcome)}, {STATUS, status}, {MESSAGE, message}};
    if (!file.isEmpty())
        entry.insert(FILE_KEY, file);
    if (!backup.isEmpty())
        entry.insert(BACKUP, backup);
    if (hasState)
        entry.insert(PARAMETERS, parameters);
    if (whole && hasState)
        entry.insert(STATE_TABLE, stateTable);
    return entry;
}

bool TTerminalResult::fromJson(const QJsonObject &object, TTerminalResult *result)
{
    const QString name = object.value(RESULT).toString();
    TTerminalResult r;
    r.id = object.value(ID).toString();
    for (const ETerminalOutcome o : {ETerminalOutcome::Ok, ETerminalOutcome::Failed, ETerminalOutcome::Skipped}) {
        if (name == outcomeName(o))
            r.outcome = o;
    }
    if (r.id.isEmpty() || r.outcome == ETerminalOutcome::Pending || !object.value(STATUS).isDouble())
        return false;
    r.status = object.value(STATUS).toInt();
    r.message = object.value(MESSAGE).toString();
    r.file = object.value(FILE_KEY).toString();
    r.backup = object.value(BACKUP).toString();
    r.hasState = object.value(PARAMETERS).isObject();
    r.parameters = object.value(PARAMETERS).toObject();
    r.stateTable = object.value(STATE_TABLE).toString();
    *result = r;
    return true;
}

QString TTerminalResult::outcomeName(ETerminalOutcome outcome)
{
    switch (outcome) {
    case ETerminalOutcome::Ok:
        return QStringLiteral("ok");
    case ETerminalOutcome::Failed:
        return QStringLiteral("failed");
    case ETerminalOutcome::Skipped:
        return QStringLiteral("skipped");
    case ETerminalOutcome::Pending:
        break;
    }
    return QStringLiteral("pending");
}
