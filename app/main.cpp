#include <QApplication>

#include "app/Unit1.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_web_browser.h"
#include "platform/real_platform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvel Tool");
    orvel::QtSerialPort port;
    orvel::QtMessageBoxes boxes;
    orvel::SystemClock clock;
    orvel::DesktopShell shell;
    orvel::QtWebBrowser web(boxes);
    orvel::TForm1 form(orvel::Platform{port, boxes, clock, web, shell,
                                       QCoreApplication::applicationFilePath().toStdString()});
    form.show();
    return app.exec();
}
