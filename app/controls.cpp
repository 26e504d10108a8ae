#include "app/controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

namespace orvel {

int TypingLimitOf(const QLineEdit* edit) {
    const auto* limit = qobject_cast<const TypingLimit*>(edit->validator());
    return limit ? limit->Max() : -1;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick) OnClick();
}

void ClickLabel::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    if (OnMouseEnter) OnMouseEnter();
}

void ClickLabel::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    if (OnMouseLeave) OnMouseLeave();
}

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) { setEditable(false); }

void DropDownList::showPopup() {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
}

SpeedButton::SpeedButton(QWidget* parent, bool latching) : QToolButton(parent) {
    setCheckable(latching);
    setFocusPolicy(Qt::NoFocus);  // speed buttons take no focus
}

void SpeedButton::nextCheckState() {
    if (!locked_) QToolButton::nextCheckState();
}

namespace {
// Marks the blocks that hold an appended line; a fresh or cleared box has one unmarked,
// empty block, which the first line fills instead of adding a block after it.
constexpr int kLineBlock = 1;
}  // namespace

void AppendLine(QTextEdit* box, const QString& text, const QColor& color) {
    QTextDocument* doc = box->document();
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    c.beginEditBlock();
    if (doc->lastBlock().userState() == kLineBlock) c.insertBlock();
    QTextCharFormat format;
    format.setForeground(color);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    // Set the colour on the empty block too, so that an empty line keeps the log's colour.
    c.setCharFormat(format);
    c.setBlockCharFormat(format);
    const QStringList parts = lines.split(QChar('\n'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) c.insertBlock(QTextBlockFormat(), format);
        c.insertText(parts[i], format);
        c.block().setUserState(kLineBlock);
    }
    c.endEditBlock();
}

UpDown::UpDown(QWidget* parent, QLineEdit* associate, int min, int max, int position, bool arrowKeys)
    : QWidget(parent), edit_(associate), min_(min), max_(max), position_(position), arrowKeys_(arrowKeys) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    if (edit_) edit_->installEventFilter(this);
}

void UpDown::Step(int delta) {
    // Like the native control, start from the number in the edit when it holds one.
    if (edit_) {
        bool ok = false;
        const int typed = edit_->text().toInt(&ok);
        if (ok) position_ = std::clamp(typed, min_, max_);
    }
    position_ = std::clamp(position_ + delta, min_, max_);
    if (edit_) edit_->setText(QString::number(position_));
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && arrowKeys_ && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Up) {
            Step(+1);
            return true;
        }
        if (k->key() == Qt::Key_Down) {
            Step(-1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orvel
