#pragma once

#include "cli/CliOptions.h"
#include "model/SettingsDiff.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QVector>

// The commands on settings files that need no terminal: export (".ksf" to JSON), import
// (JSON to ".ksf") and diff of two files; and the diff's output, which diff against a
// terminal shares.
class SettingsText
{
    Q_DECLARE_TR_FUNCTIONS(SettingsText)
public:
    // A JSON document of a full configuration is some 60 KiB; nothing a person wrote is this long.
    static constexpr qint64 MAX_JSON_SIZE = 4 * 1024 * 1024;

    // export, import or diff of two files; the exit status.
    static int run(const TCliOptions &options);

    // A settings image from a ".ksf" file, or from a JSON document when the name ends in
    // ".json". On failure false, and problems gets one line each (JSON paths first).
    static bool load(const QString &path, QByteArray *image, QStringList *problems);

    // The differences as a table (or JSON) on standard output; EXIT_STATUS_DIFFERENT or OK.
    static int printDifferences(const QString &a, const QString &b, const QVector<TSettingDifference> &differences,
                                bool json);

    // Prints the refusal with its problems; EXIT_STATUS_FILE.
    static int refuse(const QString &text, const QStringList &problems = {});

private:
    static int convert(const TCliOptions &options);
    static bool read(const QString &path, qint64 limit, QByteArray *bytes, QString *error);
    static bool save(const QString &path, const QByteArray &bytes, QString *error);
};
