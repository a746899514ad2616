#pragma once

#include <QString>
#include <QStringList>

#include <algorithm>
#include <mutex>

// Captures the program's debug lines from every thread while it lives; the lines still
// reach the previous handler.
class LogCapture
{
public:
    LogCapture()
    {
        std::lock_guard<std::mutex> lock(s_lock);
        s_lines.clear();
        s_previous = qInstallMessageHandler(capture);
    }
    ~LogCapture() { qInstallMessageHandler(s_previous); }

    QStringList lines() const
    {
        std::lock_guard<std::mutex> lock(s_lock);
        return s_lines;
    }
    bool contains(const QString &text) const
    {
        const QStringList all = lines();
        return std::any_of(all.begin(), all.end(), [&](const QString &line) { return line.contains(text); });
    }

private:
    static void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        {
            std::lock_guard<std::mutex> lock(s_lock);
            s_lines.append(message);
        }
        if (s_previous)
            s_previous(type, context, message);
    }

    static inline std::mutex s_lock;
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};
