#include "app/StatusBoard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace {

// Lines sent once per parameter or chunk: the bar shows them, the history would drown in them.
bool isPerItem(const QString &text)
{
    // The worker's own texts, in its own translation context.
    static const char *const prefixes[] = {"Чтение параметра ", "Передача параметра ", "Передача фрагмента "};
    for (const char *prefix : prefixes) {
        if (text.startsWith(QCoreApplication::translate("usb_handler", prefix)))
            return true;
    }
    return false;
}

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
    if (!m_held)
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
    if (text.isEmpty() || isPerItem(text) || text == m_lastRecorded)
        return;
    m_lastRecorded = text;
    m_history->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss  ")) + text);
}
