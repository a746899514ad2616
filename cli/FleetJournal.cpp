#include "cli/FleetJournal.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString MARK = QStringLiteral("trivox_cli_journal");
const QString COMMAND = QStringLiteral("command");
const QString INPUT = QStringLiteral("input");
const QString OUTPUT = QStringLiteral("output");
constexpr qint64 MAX_JOURNAL_SIZE = 64 * 1024 * 1024;

} // namespace

FleetJournal::FleetJournal(const QString &path, const QString &command, const QString &input, const QString &output)
    : m_path(path)
    , m_command(command)
    , m_input(input.isEmpty() ? QString() : QFileInfo(input).absoluteFilePath())
    , m_output(output)
{
}

bool FleetJournal::load(QString *error)
{
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly) || file.size() > MAX_JOURNAL_SIZE) {
        *error = tr("журнал %1 не прочитан: %2").arg(m_path, file.isOpen() ? tr("слишком большой") : file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    qint64 start = 0;
    for (int number = 1; start < bytes.size(); ++number) {
        const qint64 end = bytes.indexOf('\n', int(start));
        const QByteArray line = bytes.mid(int(start), int((end < 0 ? bytes.size() : end) - start));
        const QJsonObject entry = QJsonDocument::fromJson(line).object();
        TTerminalResult result;
        const bool valid = entry.value(MARK).toInt() == 1 && TTerminalResult::fromJson(entry, &result);
        if (end < 0 && !valid && line.startsWith('{')) {
            // The last entry of a run that was killed while writing it.
            m_tornAt = start;
            break;
        }
        if (!valid && !line.trimmed().isEmpty()) {
            *error = tr("%1, строка %2: это не запись журнала trivox-cli; файл не изменен").arg(m_path).arg(number);
            return false;
        }
        if (valid && entry.value(COMMAND).toString() == m_command && entry.value(INPUT).toString() == m_input
            && entry.value(OUTPUT).toString() == m_output)
            m_last.insert(result.id, result);
        if (end < 0)
            break;
        start = end + 1;
    }
    return true;
}

bool FleetJournal::done(const QString &id, TTerminalResult *result) const
{
    const auto it = m_last.constFind(id);
    if (it == m_last.cend() || it->outcome != ETerminalOutcome::Ok)
        return false;
    *result = *it;
    return true;
}

bool FleetJournal::append(const TTerminalResult &result, QString *error)
{
    QJsonObject entry = result.toJson();
    entry.remove(QStringLiteral("parameters"));
    entry.insert(MARK, 1);
    entry.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    entry.insert(COMMAND, m_command);
    entry.insert(INPUT, m_input);
    entry.insert(OUTPUT, m_output);
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';

    QFile file(m_path);
    // Unbuffered: the line reaches the file in one write, at once.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)
        || (m_tornAt >= 0 && !file.resize(m_tornAt)) || !file.seek(file.size())
        || file.write(line) != line.size()) {
        *error = tr("журнал %1 не записан: %2").arg(m_path, file.errorString());
        return false;
    }
    m_tornAt = -1;
    m_last.insert(result.id, result);
    return true;
}
