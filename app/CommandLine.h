#pragma once

#include <QString>

// The window program's own options. They are read before the QApplication exists, so that
// --help and --version work without a display; every other argument, Qt's own -platform and
// -style among them, is left to QApplication.
struct TWindowOptions {
    bool debug = false;   // the program's debug lines on stderr
    QString language;     // "ru" or "en"; empty: as remembered, else as the system's
};

class CommandLine
{
public:
    // Reads the options into *options. Returns the exit status when the program is to stop
    // here (help, version, a bad value), or -1 to go on to the window.
    static int parse(int argc, char **argv, TWindowOptions *options);

    static void nameApplication();
    // The language asked for, else the one chosen in the window, else the system's.
    static QString language(const TWindowOptions &options);

    // Before the application object: a window of widgets only needs no OpenGL, and loading it
    // costs start-up time and about 50 MiB. The user's own QT_XCB_GL_INTEGRATION stands.
    static void prepareEnvironment();
    // After it: the debug lines stay off unless asked for (--debug, or QT_LOGGING_RULES).
    static void applyLogging(const TWindowOptions &options);
};
