#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Misbehaviours the stand-in terminal can be told to show, from its command line
// ("--<name> <value>") or at run time ("set <name> <value>" on standard input).
class FaultSwitches
{
public:
    explicit FaultSwitches(const QByteArray &pin = QByteArrayLiteral("7390"));

    static QStringList names();

    // false, with a reason in *error, when the name or the value is not understood.
    bool set(const QString &name, const QString &value, QString *error);
    // Every fault off, the PIN back to the start-up one.
    void clear();

    // Content faults (wrong type, uuid, result; corrupt CRC) applied to an answer frame.
    QByteArray distort(const QByteArray &frame) const;

    // drop-after-chunks: counts one chunk answer; true when the link is to drop after it
    // (the switch then turns itself off).
    bool countChunkAnswer();
    // stale: the hold-back of the next answer, once; 0 when off.
    int takeStale();

    int delayMs = 0;
    bool silent = false;
    int splitBytes = 0;
    bool corruptCrc = false;
    bool wrongType = false;
    bool wrongUuid = false;
    int wrongResult = 0;
    int staleMs = 0;
    bool fileBusy = false;
    // The file size every file answer declares, whatever the file holds; -1: the true size.
    int fileSize = -1;
    int dropAfterChunks = 0;
    QByteArray pin;
    // A sensor attaches by itself when enrolment starts.
    bool autoAttach = true;

private:
    QByteArray m_startPin;
    int m_chunkAnswers = 0;
};
