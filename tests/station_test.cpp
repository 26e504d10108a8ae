#include <QApplication>
#include <QKeyEvent>
#include <cctype>

#include "app/key_preview.h"
#include "form_fixture.h"

namespace orvel::testing {
namespace {

constexpr uint16_t kVkF12 = 0x7B;
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

DeviceInfo Unit(uint32_t w0, uint32_t w1, uint32_t w2, uint8_t hardware = 4, uint8_t major = 2, uint8_t minor = 43) {
    DeviceInfo d;
    d.UnitId[0] = w0;
    d.UnitId[1] = w1;
    d.UnitId[2] = w2;
    d.HardwareType = hardware;
    d.FirmwareMajor = major;
    d.FirmwareMinor = minor;
    return d;
}

class Station : public FormTest {
protected:
    bool SettlesStartUp() const override { return false; }
    std::vector<std::string> IdLines() const { return Lines(form->LogIdList); }
    QColor MarkColor() const { return form->Label0->palette().color(QPalette::WindowText); }
    std::string Mark() const { return form->Label0->text().toStdString(); }
    std::string Scanned() const { return form->Edit2->text().toStdString(); }

    // Key strokes as the handler receives them: one call per character, Shift for capitals.
    void Type(const std::string& text, bool ctrl = false) {
        for (char ch : text) {
            const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            form->FormKeyDown(static_cast<uint16_t>(up), std::isupper(static_cast<unsigned char>(ch)) != 0, false, ctrl);
        }
    }
    void Chord() { form->FormKeyDown(kVkF12, true, true, true); }
};

// ------------------------------------------------------------------ identifier log

TEST_F(Station, AListedUnitAddsItsLineCountAndUsbBox) {
    form->LogUnitId(Unit(0x0012ABCD, 0xFFFFFFFF, 0x1));
    EXPECT_EQ(IdLines(), (std::vector<std::string>{"0012ABCD FFFFFFFF 00000001"}));
    EXPECT_EQ(form->L_IdList->text().toStdString(), "1");
    EXPECT_EQ(form->Edit1->text().toStdString(), "0012ABCDFFFFFFFF00000001");
    EXPECT_EQ(Mark(), "X");
    EXPECT_EQ(MarkColor(), kRed);

    form->LogUnitId(Unit(2, 3, 4, 41));
    EXPECT_EQ(IdLines(), (std::vector<std::string>{"0012ABCD FFFFFFFF 00000001", "00000002 00000003 00000004"}));
    EXPECT_EQ(form->L_IdList->text().toStdString(), "2");
}

TEST_F(Station, OnlyCurrentHardwareAtFirmware243IsListed) {
    struct Case {
        uint8_t hardware, major, minor;
        bool listed;
    } cases[] = {
        {4, 2, 43, true}, {41, 2, 43, true}, {4, 2, 42, false}, {41, 2, 44, false}, {3, 2, 43, false},
        {1, 2, 43, false}, {2, 2, 43, false}, {4, 3, 43, false}, {40, 2, 43, false},
    };
    uint32_t word = 1;
    for (const Case& c : cases) {
        form->L_ClearClick();
        form->LogUnitId(Unit(word++, 0, 0, c.hardware, c.major, c.minor));
        EXPECT_EQ(IdLines().size(), c.listed ? 1u : 0u)
            << "hardware " << int(c.hardware) << " firmware " << int(c.major) << "." << int(c.minor);
        EXPECT_EQ(form->LoggedIdCount, c.listed ? 1 : 0);
    }
}

TEST_F(Station, VersionByteTwoIsNotLookedAt) {
    DeviceInfo d = Unit(7, 8, 9);
    d.VersionByte2 = 0xEE;
    form->LogUnitId(d);
    EXPECT_EQ(IdLines().size(), 1u);
}

TEST_F(Station, TheSameUnitTwiceInARowIsListedOnceAndItsBoxIsNotRewritten) {
    form->LogUnitId(Unit(1, 2, 3));
    form->Label7Click();  // the operator empties "USB"
    form->LogUnitId(Unit(1, 2, 3));
    EXPECT_EQ(IdLines().size(), 1u);
    EXPECT_EQ(form->L_IdList->text().toStdString(), "1");
    EXPECT_TRUE(form->Edit1->text().isEmpty());
}

TEST_F(Station, AUnitMatchingOnlyInPartIsANewUnit) {
    form->LogUnitId(Unit(1, 2, 3));
    form->LogUnitId(Unit(1, 2, 4));
    form->LogUnitId(Unit(9, 2, 4));
    EXPECT_EQ(IdLines().size(), 3u);
}

TEST_F(Station, AfterClearingTheLastUnitIsListedAgainAsTheFirstLine) {
    form->LogUnitId(Unit(1, 2, 3));
    form->LogUnitId(Unit(4, 5, 6));
    form->Edit2->setText("4");
    form->L_ClearClick();
    EXPECT_TRUE(IdLines().empty());
    EXPECT_TRUE(form->L_IdList->text().isEmpty());
    // The boxes and the mark stay as they were.
    EXPECT_EQ(form->Edit1->text().toStdString(), "000000040000000500000006");
    EXPECT_EQ(Scanned(), "4");
    EXPECT_EQ(Mark(), "X");

    form->LogUnitId(Unit(4, 5, 6));
    EXPECT_EQ(IdLines(), (std::vector<std::string>{"00000004 00000005 00000006"}));
    EXPECT_EQ(form->L_IdList->text().toStdString(), "1");
}

TEST_F(Station, TheIdentifierListFollowsItsNewestLine) {
    form->show();
    for (uint32_t i = 1; i <= 80; ++i) form->LogUnitId(Unit(i, 0, 0));
    QApplication::processEvents();
    QTextCursor end(form->LogIdList->document());
    end.movePosition(QTextCursor::End);
    EXPECT_TRUE(form->LogIdList->viewport()->rect().contains(form->LogIdList->cursorRect(end)));
}

// ------------------------------------------------------------------ code capture and match

TEST_F(Station, TwentyFourKeysMakeACodeAndTheTwentyFifthStartsTheNext) {
    Type("0123456789ABCDEF0123456");
    EXPECT_TRUE(form->Edit2->text().isEmpty());
    EXPECT_EQ(form->CapturePos, 23);
    Type("7");
    EXPECT_EQ(Scanned(), "0123456789ABCDEF01234567");
    EXPECT_EQ(form->CapturePos, 0);
    Type("F");
    EXPECT_EQ(form->CapturePos, 1);
    EXPECT_EQ(form->WorkArea.ScannedCode[0], 'F');
    EXPECT_EQ(Scanned(), "0123456789ABCDEF01234567");
}

TEST_F(Station, LowerCaseLettersArriveAsUpperCase) {
    Type("0a1b");
    Type("00000000000000000000");
    EXPECT_EQ(Scanned(), "0A1B00000000000000000000");
}

TEST_F(Station, CtrlKeepsADigitOutWhileShiftAndAltDoNot) {
    form->FormKeyDown('1', false, false, true);
    EXPECT_EQ(form->CapturePos, 0);
    form->FormKeyDown('1', true, false, false);
    form->FormKeyDown('2', false, true, false);
    form->FormKeyDown('3', true, true, false);
    EXPECT_EQ(form->CapturePos, 3);
    EXPECT_EQ(std::string(form->WorkArea.ScannedCode, 3), "123");
}

TEST_F(Station, OtherKeysLeaveTheCaptureAlone) {
    struct Case {
        const char* what;
        uint16_t key;
    } cases[] = {
        {"keypad 0", 0x60}, {"keypad 9", 0x69}, {"Enter", 0x0D}, {"Tab", 0x09}, {"G", 'G'},  {"Z", 'Z'},
        {"comma", 0xBC},    {"minus", 0xBD},    {"space", 0x20}, {"F12", kVkF12}, {"none", 0}, {"slash", 0x2F},
        {"colon", 0x3A},    {"at", 0x40},
    };
    Type("AB");
    for (const Case& c : cases) {
        form->FormKeyDown(c.key, false, false, false);
        EXPECT_EQ(form->CapturePos, 2) << c.what;
    }
}

TEST_F(Station, AReaderEndingEachCodeWithEnterKeepsTheCount) {
    const std::string code = "00112233445566778899AABB";
    for (int scan = 0; scan < 2; ++scan) {
        Type(code);
        form->FormKeyDown(0x0D, false, false, false);
        EXPECT_EQ(Scanned(), code);
        EXPECT_EQ(form->CapturePos, 0);
    }
}

TEST_F(Station, TheMarkShowsWhetherBothBoxesHoldTheSameText) {
    form->LogUnitId(Unit(0x00112233, 0x44556677, 0x8899AABB));
    EXPECT_EQ(Mark(), "X");
    EXPECT_EQ(MarkColor(), kRed);

    Type("00112233445566778899aabb");
    EXPECT_EQ(Mark(), "OK");
    EXPECT_EQ(MarkColor(), kGreen);

    form->Edit2->setText("00112233445566778899aabb");  // case counts
    EXPECT_EQ(Mark(), "X");
    EXPECT_EQ(MarkColor(), kRed);
}

TEST_F(Station, ClickingTheMarkEmptiesBothBoxesAndShowsOkInGreen) {
    form->Edit1->setText("0011");
    form->Edit2->setText("2233");
    form->Label0Click();
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    EXPECT_TRUE(form->Edit2->text().isEmpty());
    EXPECT_EQ(Mark(), "OK");
    EXPECT_EQ(MarkColor(), kGreen);
}

TEST_F(Station, ClickingTheCaptionsEmptiesOneBoxEach) {
    form->Edit1->setText("0011");
    form->Edit2->setText("0011");
    form->Label7Click();
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    EXPECT_EQ(form->Edit2->text().toStdString(), "0011");
    EXPECT_EQ(Mark(), "X");
    form->Label8Click();
    EXPECT_TRUE(form->Edit2->text().isEmpty());
    EXPECT_EQ(Mark(), "OK");
}

TEST_F(Station, EmptyingTheScannedCodeDropsAPartlyTypedOne) {
    // Label7Click leaves the capture; Label8Click and Label0Click start it afresh.
    struct Case {
        const char* what;
        void (TForm1::*click)();
        int posAfter;
    } cases[] = {
        {"USB", &TForm1::Label7Click, 5},
        {"QR code", &TForm1::Label8Click, 0},
        {"mark", &TForm1::Label0Click, 0},
    };
    for (const Case& c : cases) {
        form->DiscardPartialCode();
        Type("12345");
        (form.get()->*c.click)();
        EXPECT_EQ(form->CapturePos, c.posAfter) << c.what;
    }
    form->Label8Click();
    Type("ABCDEF012345678901234567");
    EXPECT_EQ(Scanned(), "ABCDEF012345678901234567");
}

// ------------------------------------------------------------------ width toggle

TEST_F(Station, TheChordSwitchesBetweenNarrowAndWide) {
    EXPECT_EQ(form->width(), 557);
    Chord();
    EXPECT_EQ(form->width(), 853);  // outer 859
    EXPECT_EQ(form->height(), 742);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    Chord();
    EXPECT_EQ(form->width(), 557);  // outer 563
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
}

TEST_F(Station, FromAnyOtherWidthTheChordWidens) {
    form->setFixedSize(700, 742);
    Chord();
    EXPECT_EQ(form->width(), 853);
}

TEST_F(Station, F12WithoutAllThreeModifiersDoesNotToggle) {
    form->FormKeyDown(kVkF12, true, true, false);
    form->FormKeyDown(kVkF12, false, true, true);
    form->FormKeyDown(kVkF12, true, false, true);
    form->FormKeyDown('B', true, true, true);
    EXPECT_EQ(form->width(), 557);
}

// ------------------------------------------------------------------ real key events

// The window shown with a box focused; keys arrive as the desktop delivers them.
class KeyEvents : public Station {
protected:
    void SetUp() override {
        Station::SetUp();
        form->Timer5Timer();
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    void Focus(QWidget* w) {
        w->setFocus();
        ASSERT_EQ(form->focusWidget(), w);
    }
    static void Press(QWidget* target, int key, Qt::KeyboardModifiers mods, const QString& text,
                      uint32_t scanCode = 0) {
        QKeyEvent press(QEvent::KeyPress, key, mods, scanCode, 0, 0, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, scanCode, 0, 0, text);
        QApplication::sendEvent(target, &release);
    }
};

TEST_F(KeyEvents, ADigitTypedIntoAFieldIsCapturedAndStillReachesTheField) {
    Focus(form->ED_TVMX);
    Press(form->ED_TVMX, Qt::Key_7, Qt::NoModifier, "7");
    EXPECT_EQ(form->ED_TVMX->text().toStdString(), "7");
    EXPECT_EQ(form->CapturePos, 1);
    EXPECT_EQ(form->WorkArea.ScannedCode[0], '7');
}

TEST_F(KeyEvents, AKeyTheFocusedBoxIgnoresIsCountedOnce) {
    // A read-only box passes the key on to its parents; the preview sees it once.
    Focus(form->Edit1);
    Press(form->Edit1, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_EQ(form->CapturePos, 1);
    EXPECT_EQ(form->WorkArea.ScannedCode[0], 'A');
}

TEST_F(KeyEvents, KeypadDigitsReachTheFieldButAreNotCaptured) {
    Focus(form->ED_TVMX);
    Press(form->ED_TVMX, Qt::Key_4, Qt::KeypadModifier, "4");
    EXPECT_EQ(form->ED_TVMX->text().toStdString(), "4");
    EXPECT_EQ(form->CapturePos, 0);
}

TEST_F(KeyEvents, AShiftedDigitCountsAsItsDigitKey) {
    Focus(form->Edit2);
    Press(form->Edit2, Qt::Key_Exclam, Qt::ShiftModifier, "!", /*X key code of "1"*/ 10);
    EXPECT_EQ(form->CapturePos, 1);
    EXPECT_EQ(form->WorkArea.ScannedCode[0], '1');
}

TEST_F(KeyEvents, TheChordWorksFromAnyFocusedControl) {
    Focus(form->ED_VMX);
    Press(form->ED_VMX, Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, QString());
    EXPECT_EQ(form->width(), 853);
    Focus(form->CB_B232);
    Press(form->CB_B232, Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, QString());
    EXPECT_EQ(form->width(), 557);
}

TEST_F(KeyEvents, AScannerTypingIntoTheWindowFillsTheQrCodeBox) {
    Focus(form->Edit2);
    const QString code = "0123456789abcdef01234567";
    for (QChar ch : code) {
        const int key = ch.isDigit() ? Qt::Key_0 + ch.digitValue() : Qt::Key_A + (ch.toLatin1() - 'a');
        Press(form->Edit2, key, Qt::NoModifier, QString(ch));
    }
    EXPECT_EQ(Scanned(), "0123456789ABCDEF01234567");
}

TEST_F(KeyEvents, KeysOfOtherWindowsAreNotPreviewed) {
    QLineEdit other;
    other.show();
    Press(&other, Qt::Key_5, Qt::NoModifier, "5");
    EXPECT_EQ(other.text().toStdString(), "5");
    EXPECT_EQ(form->CapturePos, 0);
}

// ------------------------------------------------------------------ key codes

TEST(VirtualKeys, QtKeysMapToTheWindowsCodes) {
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers mods;
        uint32_t scan;
        uint16_t vk;
    } cases[] = {
        {"digit 0", Qt::Key_0, Qt::NoModifier, 0, 0x30},
        {"digit 9", Qt::Key_9, Qt::NoModifier, 0, 0x39},
        {"shift digit", Qt::Key_5, Qt::ShiftModifier, 0, 0x35},
        {"keypad 0", Qt::Key_0, Qt::KeypadModifier, 0, 0x60},
        {"keypad 9", Qt::Key_9, Qt::KeypadModifier, 0, 0x69},
        {"keypad 5 with its scan code", Qt::Key_5, Qt::KeypadModifier, 84, 0x65},
        {"letter a", Qt::Key_A, Qt::NoModifier, 0, 0x41},
        {"letter z", Qt::Key_Z, Qt::ShiftModifier, 0, 0x5A},
        {"F12", Qt::Key_F12, Qt::NoModifier, 0, 0x7B},
        {"F1", Qt::Key_F1, Qt::NoModifier, 0, 0x70},
        {"Enter", Qt::Key_Return, Qt::NoModifier, 0, 0x0D},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, 0, 0x0D},
        {"Tab", Qt::Key_Tab, Qt::NoModifier, 0, 0x09},
        {"comma", Qt::Key_Comma, Qt::NoModifier, 0, 0xBC},
        {"shifted 1 by its key", Qt::Key_Exclam, Qt::ShiftModifier, 10, 0x31},
        {"shifted 0 by its key", Qt::Key_ParenRight, Qt::ShiftModifier, 19, 0x30},
        {"console switch on F12", Qt::Key_unknown, Qt::ControlModifier | Qt::AltModifier, 96, 0x7B},
        {"unknown", Qt::Key_unknown, Qt::NoModifier, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VirtualKeyCode(c.key, c.mods, c.scan), c.vk) << c.what;
}

}  // namespace
}  // namespace orvel::testing
