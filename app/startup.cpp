// Start-up, the one-shot tidy-up and the main log.
#include <QScrollBar>
#include <QTextCursor>

#include "app/Unit1.h"

namespace orvel {

void TForm1::FormCreate() {
    // TODO(foundation): the full start-up sequence.
    setWindowTitle(QString::asprintf("OrvelTool v%d.%d.%c", ToolVersion.Major, ToolVersion.Minor,
                                     static_cast<char>(ToolVersion.Release)));
}

void TForm1::Timer5Timer() { Timer5->stop(); }

void TForm1::AppendLog(const std::string& text) {
    QTextCursor c(Log->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat f;
    f.setForeground(logColor_);
    if (!Log->document()->isEmpty()) c.insertBlock();
    c.insertText(QString::fromStdString(text).replace("\r\n", "\n"), f);
}

void TForm1::SetLogRed() { logColor_ = QColor(255, 0, 0); }

void TForm1::LogChange() {
    QTextCursor c = Log->textCursor();
    c.movePosition(QTextCursor::End);
    Log->setTextCursor(c);
    Log->ensureCursorVisible();
}

}  // namespace orvel
