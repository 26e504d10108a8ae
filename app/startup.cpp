// Start-up, the one-shot tidy-up and the main log.
#include <QTextCursor>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/Unit1.h"
#include "config/config_image.h"

namespace orvel {

namespace {

constexpr int32_t kLinkBitsPerSecond = 3686400;
constexpr int kUpDownLiftPx = 3;

// Executables of older releases that an update leaves behind, deleted in this order.
constexpr const char* kOldExecutables[] = {
    "OrvelTool v2.41.A.exe",
    "OrvelTool v2.42.A.exe",
    "OrvelTool v2.42.C.exe",
    "OrvelTool v2.42.B.exe",
};

// True when both paths name the same file once links and dots are resolved.
bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ea, eb;
    const auto ca = std::filesystem::weakly_canonical(a, ea);
    const auto cb = std::filesystem::weakly_canonical(b, eb);
    if (ea || eb) return a.lexically_normal() == b.lexically_normal();
    return ca == cb;
}

}  // namespace

void TForm1::FormCreate() {
    // 1. Closed-port glyph.
    ButtonVCP->setIcon(ImageList1[1]);

    // 2. Port list (enumerate, select item 0; silent on failure).
    ComboBox1DropDown();

    // 3. The link's custom rate.
    VCP.SetCustomBaudRate(kLinkBitsPerSecond);

    // 4. Versioned caption.
    setWindowTitle(QString::asprintf("OrvelTool v%d.%d.%c", ToolVersion.Major, ToolVersion.Minor,
                                     static_cast<char>(ToolVersion.Release)));

    // 5.-6. Ping and rate choices; an item's position is its table index. No selection.
    for (int32_t seconds : kPingTable) CB_PING->addItem(QString::number(seconds));
    for (int32_t hundreds : kRateTable) {
        CB_A232->addItem(QString::number(hundreds * 100));
        CB_B232->addItem(QString::number(hundreds * 100));
    }
    for (DropDownList* list : {CB_PING, CB_A232, CB_B232}) list->SetItemIndex(-1);

    // 7. Tool update check.
    Timer4->start();

    // 8.
    L_Msg->setText(QString());

    // 9. Executables of older releases in our folder.
    DeleteOldExecutables();

    // 10. Tidy-up once the window is up.
    Timer5->start();

    // 11. Empty identifier list.
    L_ClearClick();
}

void TForm1::DeleteOldExecutables() {
    namespace fs = std::filesystem;
    const std::string& exe = platform_.exePath;
    std::memset(WorkArea.ExePath, 0, sizeof WorkArea.ExePath);
    // A path that does not fit would be cut and name another folder: leave everything alone.
    if (exe.empty() || exe.size() >= sizeof WorkArea.ExePath) return;
    std::memcpy(WorkArea.ExePath, exe.data(), exe.size());
    char* lastSeparator = std::strrchr(WorkArea.ExePath, '/');
    if (!lastSeparator) return;
    for (const char* name : kOldExecutables) {
        const size_t folderLength = static_cast<size_t>(lastSeparator - WorkArea.ExePath) + 1;
        if (folderLength + std::strlen(name) >= sizeof WorkArea.ExePath) continue;
        std::strcpy(WorkArea.ExePath + folderLength, name);
        const fs::path old(WorkArea.ExePath);
        // On Linux a running executable can be unlinked: never delete the one running now.
        if (SamePath(old, exe)) continue;
        std::error_code ec;
        if (fs::is_directory(fs::symlink_status(old, ec))) continue;
        fs::remove(old, ec);  // absent, in use or no rights: ignored
    }
}

void TForm1::Timer5Timer() {
    Timer5->stop();
    for (QLineEdit* e : {ED_ACP, ED_ACN, ED_VMX, ED_TVMX, ED_VCH, ED_TVCH, ED_RPX, ED_TRPX, ED_VBGL, ED_TBGL, ED_RBGL,
                         ED_TOSC, ED_XOSC, ED_VEBK, ED_TEBK, ED_REBK})
        e->clear();
    for (UpDown* u : {UD_VMX, UD_TVMX, UD_VCH, UD_TVCH, UD_RPX, UD_TRPX, UD_ACP, UD_ACN, UD_VBGL, UD_TBGL, UD_RBGL,
                      UD_TOSC, UD_XOSC, UD_VEBK, UD_REBK, UD_TEBK})
        u->move(u->x(), u->y() - kUpDownLiftPx);
}

void TForm1::AppendLog(const std::string& text) { AppendLine(Log, QString::fromStdString(text), logColor_); }

void TForm1::SetLogRed() { logColor_ = QColor(255, 0, 0); }

void TForm1::LogChange() {
    QTextCursor c = Log->textCursor();
    c.movePosition(QTextCursor::End);
    Log->setTextCursor(c);
    Log->ensureCursorVisible();
}

}  // namespace orvel
