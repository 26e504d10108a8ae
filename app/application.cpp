#include "app/application.h"

#include <QMessageBox>

namespace orvel {

std::string ExceptionMessage(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return {};
}

void ShowException(std::exception_ptr error) {
    QMessageBox::critical(nullptr, QString::fromUtf8(kApplicationTitle),
                          QString::fromStdString(ExceptionMessage(error)));
}

void SetUpApplication() {
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setStyle("Fusion");
}

OrvelApplication::OrvelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OrvelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

}  // namespace orvel
