#include "app/StatusBoard.h"

#include "session/SessionProgress.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace {

constexpr int HISTORY_LINES = 2000;

} // namespace

StatusBoard::StatusBoard(QStatusBar *bar, QPlainTextEdit *history, QObject *parent)
    : QObject(parent), m_bar(bar), m_history(history)
{
    m_history->setReadOnly(true);
    m_history->setMaximumBlockCount(HISTORY_LINES);
}

void StatusBoard::progress(const QString &text)
{
    record(text);
    // The poll repeats its text each second; the same text needs no repaint.
    if (!m_held && m_bar->currentMessage() != text)
        m_bar->showMessage(text);
}

void StatusBoard::outcome(const QString &text)
{
    record(text);
    m_bar->showMessage(text);
    m_held = true;
}

void StatusBoard::record(const QString &text)
{
    // The state poll repeats its text every second; once in a row is enough.
    if (text.isEmpty() || isPerItemText(text) || text == m_lastRecorded)
        return;
    m_lastRecorded = text;
    m_history->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss  ")) + text);
}
