#pragma once
// Small widgets that behave like the controls the window was designed with: labels with
// assignable click/hover handlers, a drop-down list that announces its drop-down, a
// latching speed button, and an up-down arrow pair bound to an edit box.
#include <QComboBox>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>
#include <QValidator>
#include <QWidget>
#include <functional>

namespace orvel {

// A label whose click and hover handlers can be bound and unbound at run time.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
};

// A drop-down list (no typing). OnDropDown runs each time the list is about to open.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownList(QWidget* parent = nullptr);
    std::function<void()> OnDropDown;
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int i) { setCurrentIndex(i); }
    void showPopup() override;
};

// A speed button. When `latching`, a click presses it down and a second click raises it;
// while Locked it stays down, though a click still runs its handler.
class SpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit SpeedButton(QWidget* parent = nullptr, bool latching = false);
    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }
    bool Locked() const { return locked_; }
    void SetLocked(bool locked) { locked_ = locked; }

protected:
    void nextCheckState() override;

private:
    bool locked_ = false;
};

// Adds `text` as a new last line of a rich-text box, shown in `color`. CR LF (or a lone CR
// or LF) starts a further line; an empty text adds an empty line.
void AppendLine(QTextEdit* box, const QString& text, const QColor& color);

// Limits what the user can type into an edit to `maxChars` characters. Unlike
// QLineEdit::setMaxLength it never cuts a text the program sets, so a value read from
// the unit is shown whole even when it is longer than a technician may type.
class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(int maxChars, QObject* parent) : QValidator(parent), max_(maxChars) {}
    int Max() const { return max_; }
    State validate(QString& input, int&) const override { return input.size() <= max_ ? Acceptable : Invalid; }

private:
    int max_;
};
// The edit's typing limit, or -1 when it has none.
int TypingLimitOf(const QLineEdit* edit);

// An up-down arrow pair bound to an edit box. The arrows step Position by 1 within
// Min..Max (no wrap) and write it into the edit without a thousands separator. The
// edit may be empty while the arrows keep their position.
// A step starts from the edit's number when the edit holds one (clamped to Min..Max, so
// typed text and values the program wrote are honoured); from an empty or non-numeric
// edit it starts from Position, the last value the arrows wrote or their start value.
// With `arrowKeys` the keyboard's Up and Down keys in the edit step it as well.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QWidget* parent, QLineEdit* associate, int min, int max, int position, bool arrowKeys);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    bool ArrowKeys() const { return arrowKeys_; }
    QLineEdit* Associate() const { return edit_; }
    void StepUp() { Step(+1); }
    void StepDown() { Step(-1); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(int delta);
    QLineEdit* edit_;
    int min_, max_, position_;
    bool arrowKeys_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace orvel
