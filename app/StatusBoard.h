#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;
class QStatusBar;

// What the status bar shows, and the timestamped history of it. An outcome (a transfer done,
// a PIN refused) stays in the bar until the user acts again, so that the progress texts that
// follow at once cannot wipe it out; every text but the per-item progress goes to the history.
class StatusBoard : public QObject
{
    Q_OBJECT
public:
    StatusBoard(QStatusBar *bar, QPlainTextEdit *history, QObject *parent = nullptr);

    // A passing text: shown unless an outcome holds the bar.
    void progress(const QString &text);
    // An outcome: shown, and held until the next user action.
    void outcome(const QString &text);
    // The user did something: the next text may take the bar.
    void userAction() { m_held = false; }
    bool isHeld() const { return m_held; }

private:
    void record(const QString &text);

    QStatusBar *m_bar;
    QPlainTextEdit *m_history;
    QString m_lastRecorded;
    bool m_held = false;
};
