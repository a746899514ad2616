#include "app/CommandLine.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    if (const int status = printHelpOrVersion(argc, argv); status >= 0)
        return status;
    prepareWidgetsEnvironment();
    QApplication app(argc, argv);
    // Where settings and backups are kept: ~/.local/share/Trivox/trivox on Linux.
    QCoreApplication::setOrganizationName(QStringLiteral("Trivox"));
    QCoreApplication::setApplicationName(QStringLiteral("trivox"));
    // The installed desktop entry and icon: how task bars and Wayland match the window to them.
    QGuiApplication::setDesktopFileName(QStringLiteral("trivox"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("trivox")));
    MainWindow window;
    window.show();
    return app.exec();
}
