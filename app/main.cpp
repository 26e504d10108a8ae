#include "app/Unit1.h"
#include "app/application.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_web_browser.h"
#include "platform/real_platform.h"

int main(int argc, char* argv[]) {
    orvel::OrvelApplication app(argc, argv);
    try {
        orvel::SetUpApplication();
        orvel::QtSerialPort port;
        orvel::QtMessageBoxes boxes;
        orvel::SystemClock clock;
        orvel::DesktopShell shell;
        orvel::QtWebBrowser web(boxes);
        orvel::TForm1 form(orvel::Platform{port, boxes, clock, web, shell,
                                           QCoreApplication::applicationFilePath().toStdString()});
        form.show();
        return app.exec();
    } catch (...) {
        orvel::ShowException(std::current_exception());
        return 1;
    }
}
