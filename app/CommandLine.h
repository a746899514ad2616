#pragma once

// --help and --version of the window program. They are answered before the window's
// QApplication exists, so that they work without a display; every other argument, Qt's own
// -platform and -style among them, is left to QApplication as before.
// Returns the exit status when the program is to stop here, or -1 to go on to the window.
int printHelpOrVersion(int &argc, char **argv);

// Before the application object: a window of widgets only needs no OpenGL, and loading it
// costs start-up time and about 50 MiB. The user's own choice of QT_XCB_GL_INTEGRATION stands.
void prepareWidgetsEnvironment();
