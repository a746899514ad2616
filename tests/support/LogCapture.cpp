#include "support/LogCapture.h"

#include <mutex>

namespace {

std::mutex g_lock;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_lines.append(message);
    }
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

LogCapture::LogCapture()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_lines.clear();
    g_previous = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList LogCapture::lines() const
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_lines;
}

bool LogCapture::contains(const QString &text) const
{
    return count(text) > 0;
}

int LogCapture::count(const QString &text) const
{
    std::lock_guard<std::mutex> lock(g_lock);
    int n = 0;
    for (const QString &line : g_lines)
        n += line.contains(text);
    return n;
}

void LogCapture::clear()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_lines.clear();
}
