#pragma once

#include <QCoreApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: silence, an application object, and a hard stop when a
// property of the code under test does not hold.
namespace FuzzSupport {

// Messages are still formatted (that code runs too) but printing them would cost more
// than the code under test.
inline void quietMessages()
{
    static const bool installed = [] {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            // A failed assertion arrives as a fatal message; Qt aborts after it.
            if (type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        });
        return true;
    }();
    Q_UNUSED(installed);
}

// Sockets need an application object for their event dispatcher; one per process.
inline QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "trivox-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A broken property is a finding like a crash: libFuzzer saves the input on abort.
[[noreturn]] inline void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "FUZZ PROPERTY FAILED: %s (%s:%d)\n", what, file, line);
    std::abort();
}

} // namespace FuzzSupport

#define FUZZ_REQUIRE(cond)                                                                         \
    do {                                                                                           \
        if (!(cond))                                                                               \
            FuzzSupport::fail(#cond, __FILE__, __LINE__);                                          \
    } while (false)
