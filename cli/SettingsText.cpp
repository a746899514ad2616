#include "cli/SettingsText.h"

#include "cli/CliLog.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/TextTable.h"
#include "files/SettingsFile.h"
#include "files/SettingsJson.h"
#include "model/SettingsImage.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

int SettingsText::run(const TCliOptions &options)
{
    if (options.command != ECliCommand::Diff)
        return convert(options);
    QByteArray a;
    QByteArray b;
    QStringList problems;
    if (!load(options.diffA, &a, &problems))
        return refuse(options.diffA, problems);
    if (!load(options.diffB, &b, &problems))
        return refuse(options.diffB, problems);
    return printDifferences(options.diffA, options.diffB, SettingsDiff::compare(a, b), options.json);
}

int SettingsText::convert(const TCliOptions &options)
{
    const bool toJson = options.command == ECliCommand::Export;
    QByteArray input;
    QString error;
    if (!read(options.input, toJson ? SettingsFile::MAX_FILE_SIZE : MAX_JSON_SIZE, &input, &error))
        return refuse(options.input, {error});
    QByteArray output;
    QStringList problems;
    if (toJson) {
        output = SettingsJson::exportImage(input, &error);
        problems << error;
    } else {
        output = SettingsJson::importImage(input, &problems);
    }
    if (output.isEmpty())
        return refuse(options.input, problems);
    if (!save(options.output, output, &error))
        return refuse(options.output, {error});
    Console::errLine(tr("Настройки сохранены в %1").arg(options.output));
    return EXIT_STATUS_OK;
}

bool SettingsText::load(const QString &path, QByteArray *image, QStringList *problems)
{
    problems->clear();
    QByteArray bytes;
    QString error;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        if (!read(path, MAX_JSON_SIZE, &bytes, &error)) {
            *problems << error;
            return false;
        }
        *image = SettingsJson::importImage(bytes, problems);
        return !image->isEmpty();
    }
    if (!read(path, SettingsFile::MAX_FILE_SIZE, &bytes, &error)) {
        *problems << error;
        return false;
    }
    static const QByteArray header = QByteArrayLiteral("SETTINGS") + QByteArray(8, '\0');
    if (bytes.size() < SETTINGS_IMAGE_RECORDS_OFFSET || bytes.mid(SETTINGS_IMAGE_CODE_SIZE, header.size()) != header) {
        *problems << tr("это не файл настроек .ksf (нет заголовка SETTINGS)");
        return false;
    }
    *image = bytes;
    return true;
}

int SettingsText::printDifferences(const QString &a, const QString &b, const QVector<TSettingDifference> &differences,
                                   bool json)
{
    if (json) {
        QJsonArray list;
        for (const TSettingDifference &d : differences)
            list.append(QJsonObject{{QStringLiteral("key"), d.key},
                                    {QStringLiteral("name"), d.name},
                                    {QStringLiteral("a"), d.before},
                                    {QStringLiteral("b"), d.after}});
        const QJsonObject document{{QStringLiteral("a"), a},
                                   {QStringLiteral("b"), b},
                                   {QStringLiteral("equal"), differences.isEmpty()},
                                   {QStringLiteral("differences"), list}};
        Console::out(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented)));
    } else if (!differences.isEmpty()) {
        TextTable table({QStringLiteral("SETTING"), a, b});
        for (const TSettingDifference &d : differences)
            table.addRow({d.name, d.before, d.after});
        Console::out(table.toString());
    }
    Console::errLine(differences.isEmpty() ? tr("Настройки совпадают")
                                           : tr("Различающихся настроек: %1").arg(differences.size()));
    return differences.isEmpty() ? EXIT_STATUS_OK : EXIT_STATUS_DIFFERENT;
}

int SettingsText::refuse(const QString &text, const QStringList &problems)
{
    Console::errLine(tr("Ошибка: %1").arg(text));
    for (const QString &problem : problems) {
        if (!problem.isEmpty())
            Console::errLine(QStringLiteral("  ") + problem);
    }
    return EXIT_STATUS_FILE;
}

bool SettingsText::read(const QString &path, qint64 limit, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("не удается открыть: %1").arg(file.errorString());
        return false;
    }
    // Bounded: a device or a growing file cannot flood memory.
    *bytes = file.read(limit + 1);
    if (bytes->size() > limit) {
        *error = tr("слишком большой (больше %1 байт)").arg(limit);
        return false;
    }
    return true;
}

bool SettingsText::save(const QString &path, const QByteArray &bytes, QString *error)
{
    // Written aside and renamed over the old file only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = tr("не удается записать: %1").arg(file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = tr("не удается сохранить: %1").arg(file.errorString());
        return false;
    }
    qCDebug(lcCli) << "Saved" << bytes.size() << "bytes to" << path;
    return true;
}
