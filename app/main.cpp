#include "app/DemoDriver.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QDateTime>

int main(int argc, char *argv[])
{
    const qint64 mainEntered = QDateTime::currentMSecsSinceEpoch();
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    DemoDriver::fromEnvironment(&window, mainEntered);
    return app.exec();
}
