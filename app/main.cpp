#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "files/InterfaceLanguage.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    TWindowOptions options;
    if (const int status = CommandLine::parse(argc, argv, &options); status >= 0)
        return status;
    CommandLine::prepareEnvironment();
    QApplication app(argc, argv);
    CommandLine::nameApplication();
    InterfaceLanguage::install(CommandLine::language(options));
    CommandLine::applyLogging(options);
    // The installed desktop entry and icon: how task bars and Wayland match the window to them.
    QGuiApplication::setDesktopFileName(QStringLiteral("trivox"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("trivox")));
    MainWindow window;
    window.show();
    return app.exec();
}
