#include "cli/Console.h"

#include <cstdio>

namespace {

void put(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void Console::out(const QString &text)
{
    put(stdout, text);
}

void Console::err(const QString &text)
{
    put(stderr, text);
}

void Console::errLine(const QString &line)
{
    put(stderr, line + QLatin1Char('\n'));
}
