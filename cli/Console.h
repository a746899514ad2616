#pragma once

#include <QString>

// Text to the standard streams as UTF-8, flushed at once so that progress lines and the
// result interleave in the order they happened.
class Console
{
public:
    static void out(const QString &text);
    static void err(const QString &text);
    // Adds the line end.
    static void errLine(const QString &line);
};
