#include "platform/real_platform.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QLocale>
#include <QMessageBox>
#include <QUrl>

namespace orvel {

int QtMessageBoxes::Show(const std::string& text, const std::string& caption, uint32_t flags) {
    QMessageBox box;  // no parent: the box has no owner window
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (flags & 0xF0) {
        case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
    }
    if ((flags & 0x0F) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

std::string SystemClock::DateTimeText() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return (locale.toString(now.date(), QLocale::ShortFormat) + locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

void DesktopShell::Open(const std::string& address) {
    QString a = QString::fromStdString(address);
    if (!a.contains("://")) a.prepend("https://");
    QDesktopServices::openUrl(QUrl(a));
}

}  // namespace orvel
