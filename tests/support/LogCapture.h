#pragma once

#include <QString>
#include <QStringList>

// Captures the debug lines of the program while it lives, from every thread, so a test
// can check that a fault was reported. Lines still reach the previous handler.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    QStringList lines() const;
    bool contains(const QString &text) const;
    int count(const QString &text) const;
    void clear();
};
