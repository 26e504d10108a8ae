// The production station: identifier log, code capture, match mark, width toggle.
#include <cstring>

#include "app/Unit1.h"
#include "device/update_decision.h"

namespace orvel {

namespace {

// Outer widths of the narrow window and of the wide one that shows the production panel.
constexpr int kNarrowOuterWidth = 563;
constexpr int kWideOuterWidth = 859;
// The fixed single border on each side. Qt sizes the client area, so the outer width is
// the client width plus both borders (557 <-> 853 client pixels).
constexpr int kBorderPx = 3;

constexpr uint16_t kVkF12 = 0x7B;
constexpr size_t kCodeLength = 24;

const QColor kMatchGreen(0, 128, 0);
const QColor kMismatchRed(255, 0, 0);


bool IsCodeKey(uint16_t key) { return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F'); }

}  // namespace

void TForm1::LogUnitId(const ::orvel::DeviceInfo& info) {
    if (!IsCurrentUnitAtCurrentFirmware(info.HardwareType, info.FirmwareMajor, info.FirmwareMinor)) return;
    const uint32_t* id = info.UnitId;
    if (id[0] == LastLoggedId[0] && id[1] == LastLoggedId[1] && id[2] == LastLoggedId[2]) return;
    ++LoggedIdCount;
    std::copy(id, id + 3, LastLoggedId);
    AppendLine(LogIdList, QString::asprintf("%.8X %.8X %.8X", id[0], id[1], id[2]), Qt::black);
    // Keep the newest unit in sight.
    QTextCursor end = LogIdList->textCursor();
    end.movePosition(QTextCursor::End);
    LogIdList->setTextCursor(end);
    LogIdList->ensureCursorVisible();
    L_IdList->setText(QString::number(LoggedIdCount));
    L_IdList->adjustSize();
    Edit1->setText(QString::asprintf("%.8X%.8X%.8X", id[0], id[1], id[2]));
}

void TForm1::FormKeyDown(uint16_t key, bool shift, bool alt, bool ctrl) {
    if (ctrl && alt && shift && key == kVkF12) {
        const int outer = width() + 2 * kBorderPx;
        const int target = outer == kWideOuterWidth ? kNarrowOuterWidth : kWideOuterWidth;
        setFixedSize(target - 2 * kBorderPx, height());
    }

    // A code reader types like a keyboard; the key code, not the typed character, is
    // stored, so lower-case a..f arrive as A..F.
    if (ctrl || !IsCodeKey(key)) return;
    if (CapturePos >= kCodeLength) CapturePos = 0;
    WorkArea.ScannedCode[CapturePos] = static_cast<char>(key);
    ++CapturePos;
    if (CapturePos == kCodeLength) {
        WorkArea.ScannedCode[kCodeLength] = '\0';
        CapturePos = 0;
        Edit2->setText(QString::fromLatin1(WorkArea.ScannedCode, kCodeLength));
    }
}

void TForm1::Edit1Change() {
    const bool match = Edit1->text() == Edit2->text();  // case-sensitive; two empty boxes match
    QPalette p = Label0->palette();
    p.setColor(QPalette::WindowText, match ? kMatchGreen : kMismatchRed);
    Label0->setPalette(p);
    Label0->setText(match ? "OK" : "X");
    Label0->adjustSize();
}

void TForm1::Label7Click() { Edit1->clear(); }

// Emptying the scanned code also drops a partly typed one, so that the next scan starts a
// fresh code instead of completing a broken one.
void TForm1::Label8Click() {
    DiscardPartialCode();
    Edit2->clear();
}

void TForm1::Label0Click() {
    DiscardPartialCode();
    Edit1->clear();
    Edit2->clear();
}

void TForm1::DiscardPartialCode() {
    CapturePos = 0;
    std::memset(WorkArea.ScannedCode, 0, sizeof WorkArea.ScannedCode);
}

void TForm1::L_ClearClick() {
    L_IdList->setText(QString());
    L_IdList->adjustSize();
    LogIdList->clear();
    std::fill(std::begin(LastLoggedId), std::end(LastLoggedId), 0u);
    LoggedIdCount = 0;
}

}  // namespace orvel
