#pragma once
// The main window. It owns every control, the serial port `VCP`, the five timers and the
// program-wide records; its handlers are defined in the folder of their subsystem:
//   app/      start-up, log, port selection and connection, layout
//   link/     receive path, upload and read engines, firmware job
//   device/   identification and update decision
//   config/   editor, presets and rules, read-back, remote listing
//   station/  identifier log, code capture, match mark
//   update/   tool update check
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/work_area.h"
#include "device/device_info.h"
#include "link/transfer_job.h"
#include "platform/platform.h"

namespace orvel {

// The tool's own version: 2.43, release letter A.
struct ToolVersionT {
    int32_t Major = 2;
    int32_t Minor = 43;
    int32_t Release = 'A';
};
constexpr ToolVersionT ToolVersion{};

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Builds the window with the given platform adapters and runs the start-up (FormCreate).
    explicit TForm1(const Platform& platform, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---------------------------------------------------------------- header
    QGroupBox* GB_Header = nullptr;
    ClickLabel* L_Msg = nullptr;
    ClickLabel* L_Site = nullptr;
    QTextEdit* Log = nullptr;
    DropDownList* ComboBox1 = nullptr;
    SpeedButton* ButtonVCP = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // ---------------------------------------------------------------- configuration editor
    QGroupBox* GB_Config = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLabel *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr;
    DropDownList *CB_PING = nullptr, *CB_A232 = nullptr, *CB_B232 = nullptr;
    SpeedButton* B_SetConfig = nullptr;
    SpeedButton* B_SetRotaval = nullptr;
    SpeedButton* B_SetDefaults = nullptr;
    SpeedButton* B_RemConfig = nullptr;

    QGroupBox *GB_VMX = nullptr, *GB_VCH = nullptr, *GB_RPX = nullptr, *GB_OSC = nullptr;
    QGroupBox *GB_BGL = nullptr, *GB_ACP = nullptr, *GB_ACN = nullptr;
    QGroupBox *GB_VMX_BZ = nullptr, *GB_VMX_EV = nullptr, *GB_VCH_BZ = nullptr, *GB_VCH_EV = nullptr;
    QGroupBox *GB_RPX_IN = nullptr, *GB_RPX_OUT = nullptr, *GB_OSC_IN = nullptr, *GB_OSC_OUT = nullptr;
    QGroupBox *GB_BGL_IN = nullptr, *GB_BGL_OUT = nullptr;

    // Field labels of the groups.
    QLabel *L_VMX = nullptr, *L_TVMX = nullptr, *L_VCH = nullptr, *L_TVCH = nullptr;
    QLabel *L_RPX = nullptr, *L_TRPX = nullptr, *L_TOSC = nullptr, *L_TOSC2 = nullptr;
    QLabel *L_XOSC = nullptr, *L_XOSC2 = nullptr, *L_VBGL = nullptr, *L_RBGL = nullptr;
    QLabel *L_TBGL = nullptr, *L_ACP = nullptr, *L_ACN = nullptr;

    QLineEdit *ED_VMX = nullptr, *ED_TVMX = nullptr, *ED_VCH = nullptr, *ED_TVCH = nullptr;
    QLineEdit *ED_RPX = nullptr, *ED_TRPX = nullptr, *ED_TOSC = nullptr, *ED_XOSC = nullptr;
    QLineEdit *ED_VBGL = nullptr, *ED_RBGL = nullptr, *ED_TBGL = nullptr;
    QLineEdit *ED_ACP = nullptr, *ED_ACN = nullptr;
    UpDown *UD_VMX = nullptr, *UD_TVMX = nullptr, *UD_VCH = nullptr, *UD_TVCH = nullptr;
    UpDown *UD_RPX = nullptr, *UD_TRPX = nullptr, *UD_TOSC = nullptr, *UD_XOSC = nullptr;
    UpDown *UD_VBGL = nullptr, *UD_RBGL = nullptr, *UD_TBGL = nullptr;
    UpDown *UD_ACP = nullptr, *UD_ACN = nullptr;

    QCheckBox *CB_BZ_VMX_IN = nullptr, *CB_BZ_VMX_OUT = nullptr, *CB_BZ_VMX_WH = nullptr;
    QCheckBox *CB_EV_VMX_IN = nullptr, *CB_EV_VMX_OUT = nullptr;
    QCheckBox *CB_BZ_VCH_IN = nullptr, *CB_BZ_VCH_OUT = nullptr, *CB_BZ_VCH_WH = nullptr;
    QCheckBox *CB_EV_VCH_IN = nullptr, *CB_EV_VCH_OUT = nullptr;
    QCheckBox *CB_BZ_RPX_IN = nullptr, *CB_BZ_RPX_OUT = nullptr, *CB_BZ_RPX_WH = nullptr;
    QCheckBox *CB_EV_RPX_IN = nullptr, *CB_EV_RPX_OUT = nullptr;
    QCheckBox *CB_BZ_OSC_IN = nullptr, *CB_BZ_OSC_OUT = nullptr, *CB_BZ_OSC_WH = nullptr;
    QCheckBox *CB_EV_OSC_IN = nullptr, *CB_EV_OSC_OUT = nullptr;
    QCheckBox *CB_BZ_BGL_IN = nullptr, *CB_BZ_BGL_OUT = nullptr, *CB_BZ_BGL_WH = nullptr;
    QCheckBox *CB_EV_BGL_IN = nullptr, *CB_EV_BGL_OUT = nullptr;
    QCheckBox *CB_BZ_ACP = nullptr, *CB_EV_ACP = nullptr, *CB_BZ_ACN = nullptr, *CB_EV_ACN = nullptr;

    // ---------------------------------------------------------------- production panel
    QCheckBox* Cb_Rotaval = nullptr;
    QCheckBox* Cb_COMAutoClose = nullptr;
    QGroupBox* GB_ReleaseMode = nullptr;
    QTextEdit* LogIdList = nullptr;
    ClickLabel* L_IdList = nullptr;
    ClickLabel* L_Clear = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    ClickLabel* Label7 = nullptr;
    QLineEdit* Edit1 = nullptr;
    ClickLabel* Label8 = nullptr;
    QLineEdit* Edit2 = nullptr;
    ClickLabel* Label0 = nullptr;

    // ---------------------------------------------------------------- hidden controls
    QPushButton* B_FwJump = nullptr;
    QPushButton* B_FwTx = nullptr;
    QPushButton* B_GetConfig = nullptr;
    QWidget* CppWebBrowser1 = nullptr;  // stands for the web control; the work is in Platform::web
    QGroupBox* GB_EBK = nullptr;
    QLabel *L_VEBK = nullptr, *L_REBK = nullptr, *L_TEBK = nullptr;
    QLineEdit *ED_VEBK = nullptr, *ED_REBK = nullptr, *ED_TEBK = nullptr;
    UpDown *UD_VEBK = nullptr, *UD_REBK = nullptr, *UD_TEBK = nullptr;
    QGroupBox *GB_EBK_IN = nullptr, *GB_EBK_OUT = nullptr;
    QCheckBox *CB_EV_EBK_IN = nullptr, *CB_BZ_EBK_IN = nullptr;
    QCheckBox *CB_EV_EBK_OUT = nullptr, *CB_BZ_EBK_OUT = nullptr;

    // ---------------------------------------------------------------- non-visual
    SerialPort& VCP;
    QTimer* Timer1 = nullptr;  // 500 ms, upload engine
    QTimer* Timer2 = nullptr;  // 50 ms one-shot, delayed port close
    QTimer* Timer3 = nullptr;  // 100 ms, read engine
    QTimer* Timer4 = nullptr;  // 1000 ms, tool update check
    QTimer* Timer5 = nullptr;  // 10 ms one-shot, start-up tidy-up
    // 0: plug with tick (open), 1: plug with cross (closed)
    std::array<QPixmap, 2> ImageList1;

    // ---------------------------------------------------------------- program-wide records
    ::orvel::TransferJob TransferJob;
    ::orvel::ErrorCounters ErrorCounters;
    ::orvel::DeviceInfo DeviceInfo;
    bool InfoHandled = false;
    std::array<uint8_t, kConfigImageBytes> WriteImage{};
    ::orvel::WorkArea WorkArea;
    uint8_t IdShift = 5;           // shift of MakeTransferId, 5..11
    uint32_t DeviationCount = 0;   // read-back
    uint8_t CapturePos = 0;        // code capture
    uint32_t LastLoggedId[3] = {0, 0, 0};
    int32_t LoggedIdCount = 0;
    int32_t UpdateTick = 0;        // update check

    // ---------------------------------------------------------------- start-up and log (app/)
    void FormCreate();
    // Start-up step: deletes the executables of older releases from the executable's folder
    // (through WorkArea.ExePath), silently, sparing the running executable.
    void DeleteOldExecutables();
    void Timer5Timer();
    // Adds `text` (CR LF starts a further line) in the log's current insertion colour.
    void AppendLog(const std::string& text);
    // Switches the log's insertion colour to red; nothing switches it back.
    void SetLogRed();
    void LogChange();
    // Lets pending window events run.
    void ProcessMessages();

    // ---------------------------------------------------------------- connection (app/)
    void ComboBox1DropDown();
    void ButtonVCPClick();
    void ButtonVCPState(bool open);
    void Timer2Timer();

    // ---------------------------------------------------------------- receive path (link/)
    void VCPRxChar(int Count);
    // Routes one well-formed frame; returns false when the receive event must end at once.
    bool DispatchFrame(uint8_t command, std::span<const uint8_t> payload);

    // ---------------------------------------------------------------- upload engine (link/)
    void TxInit();
    void Timer1Timer();
    void SendPackage();
    uint32_t MakeTransferId(uint32_t mask);
    void HandleAck(std::span<const uint8_t> payload);
    void HandleNack();

    // ---------------------------------------------------------------- read engine (link/)
    void B_GetConfigClick();
    void Timer3Timer();
    void RequestPackage();
    // Returns false when the receive event must end at once (reply too short).
    bool HandleReadReply(std::span<const uint8_t> payload);
    // From B_GetConfigClick until the image is complete or the read is given up; replies
    // outside it are not stored (a late duplicate must not restart the read-back).
    bool ReadRunning = false;

    // ---------------------------------------------------------------- firmware job (link/)
    void B_FwTxClick();
    void B_FwJumpClick();

    // ---------------------------------------------------------------- identification (device/)
    // Returns false when the receive event must end at once (operation mode).
    bool HandleInfoRecord(std::span<const uint8_t> payload);
    void HandleOperationModeNotice();

    // ---------------------------------------------------------------- configuration (config/)
    void B_SetConfigClick();
    void B_SetDefaultsClick();
    void B_SetRotavalClick();
    void B_RemConfigClick();
    void ReadBack();  // hand-over from the read engine once the image is complete
    void CB_BZ_VMX_WHClick();
    void CB_BZ_VMX_INClick();
    void CB_BZ_VMX_OUTClick();
    void CB_BZ_VCH_WHClick();
    void CB_BZ_VCH_INClick();
    void CB_BZ_VCH_OUTClick();
    void CB_BZ_RPX_WHClick();
    void CB_BZ_RPX_INClick();
    void CB_BZ_RPX_OUTClick();
    void CB_BZ_OSC_WHClick();
    void CB_BZ_OSC_INClick();
    void CB_BZ_OSC_OUTClick();
    void CB_BZ_BGL_WHClick();
    void CB_BZ_BGL_INClick();
    void CB_BZ_BGL_OUTClick();

    // ---------------------------------------------------------------- production station (station/)
    void LogUnitId(const ::orvel::DeviceInfo& info);
    // `key` is the virtual-key code; `shift`, `alt`, `ctrl` the held modifiers.
    void FormKeyDown(uint16_t key, bool shift, bool alt, bool ctrl);
    void Edit1Change();
    void Label7Click();
    void Label8Click();
    void Label0Click();
    void L_ClearClick();
    // Forgets a partly captured code: the next accepted key starts a new one.
    void DiscardPartialCode();

    // ---------------------------------------------------------------- update check (update/)
    void Timer4Timer();
    void L_SiteClick();
    void L_SiteMouseEnter();
    void L_SiteMouseLeave();
    void L_MsgClick();
    void ReadVersionFile();        // the tick with UpdateTick 6
    static QString SiteAddress();  // the caption of L_Site: the maker's product page

protected:
    void showEvent(QShowEvent* event) override;  // app/layout.cpp: centres the window

private:
    void BuildLayout();    // app/layout.cpp
    void BindHandlers();   // app/layout.cpp

    // Connection (app/connection.cpp). A click or Timer2 tick that runs nested inside a
    // receive event must not close the port there; it waits in this queue, in order,
    // and runs from the event loop once the receive event has returned.
    enum class PortAction { Click, Timer2Close };
    bool DeferPortAction(PortAction action);  // true when queued instead of run now
    void QueueDeferredPortActions();
    void RunDeferredPortActions();
    void ToggleConnection();                  // the click's work
    void CloseByTimer2();                     // the tick's work after stopping Timer2
    std::vector<PortAction> deferredPortActions_;
    bool deferredRunQueued_ = false;
    bool runningDeferred_ = false;

    // Receive path (link/receive_path.cpp).
    void HandleReceiveEvent(int Count);
    void LeaveReceiveEvent();
    int rxDepth_ = 0;                         // receive events on the stack
    // While the open state is being shown, receive events wait: handled inside it, the
    // unit's first record would be wiped from the log and InfoHandled cleared after it.
    bool holdRx_ = false;
    bool rxHeld_ = false;

    Platform platform_;
    QColor logColor_;      // the log's insertion colour
    bool centred_ = false;
};

}  // namespace orvel
