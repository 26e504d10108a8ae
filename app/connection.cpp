// Port selection and connection: the port list, the connect button, the open and closed
// states, the delayed close of Timer2 and the pictures of the connect button.
#include <QIcon>
#include <QTimer>
#include <utility>

#include "app/Unit1.h"

namespace orvel {

void TForm1::ComboBox1DropDown() {
    std::optional<std::vector<std::string>> names = VCP.EnumPorts();
    if (!names) return;  // the list cannot be read: keep what is shown, say nothing
    ComboBox1->clear();
    for (const std::string& name : *names) ComboBox1->addItem(QString::fromStdString(name));
    ComboBox1->SetItemIndex(0);  // stays -1 on an empty list
}

void TForm1::ButtonVCPClick() {
    if (DeferPortAction(PortAction::Click)) return;
    ToggleConnection();
}

void TForm1::ToggleConnection() {
    if (ComboBox1->ItemIndex() < 0) {
        ButtonVCP->SetLocked(false);
        ButtonVCP->SetDown(false);
        return;
    }
    VCP.SetPortName(ComboBox1->currentText().toStdString());
    ProcessMessages();
    // IsOpen, not Connected: a port whose unit was unplugged still has to be closed.
    if (VCP.IsOpen()) {
        VCP.Close();
        ButtonVCPState(false);
        ComboBox1->setEnabled(true);
        return;
    }
    if (!VCP.Open()) {
        ButtonVCP->SetLocked(false);
        ButtonVCP->SetDown(false);
        return;
    }
    VCP.ClearBuffers();
    ButtonVCPState(true);
    ComboBox1->setEnabled(false);
}

void TForm1::ButtonVCPState(bool open) {
    if (open) holdRx_ = true;
    ButtonVCP->setIcon(QIcon());
    ProcessMessages();
    if (open) {
        ButtonVCP->SetDown(true);
        ButtonVCP->SetLocked(true);
        InfoHandled = false;
        Log->clear();
        CB_PING->SetItemIndex(-1);
        CB_A232->SetItemIndex(-1);
        CB_B232->SetItemIndex(-1);
        B_RemConfig->setEnabled(false);
        // In this order: the buzzer rules run on each box as it is unticked. The
        // engine-brake group is left alone.
        QWidget* const cleared[] = {
            ED_ACP,        CB_EV_ACP,     CB_BZ_ACP,     ED_ACN,        CB_EV_ACN,     CB_BZ_ACN,
            ED_VMX,        ED_TVMX,       CB_EV_VMX_IN,  CB_EV_VMX_OUT, CB_BZ_VMX_IN,  CB_BZ_VMX_OUT,
            CB_BZ_VMX_WH,  ED_VCH,        ED_TVCH,       CB_EV_VCH_IN,  CB_EV_VCH_OUT, CB_BZ_VCH_IN,
            CB_BZ_VCH_OUT, CB_BZ_VCH_WH,  ED_RPX,        ED_TRPX,       CB_EV_RPX_IN,  CB_EV_RPX_OUT,
            CB_BZ_RPX_IN,  CB_BZ_RPX_OUT, CB_BZ_RPX_WH,  ED_VBGL,       ED_TBGL,       ED_RBGL,
            CB_EV_BGL_IN,  CB_EV_BGL_OUT, CB_BZ_BGL_IN,  CB_BZ_BGL_OUT, CB_BZ_BGL_WH,  ED_TOSC,
            ED_XOSC,       CB_EV_OSC_IN,  CB_EV_OSC_OUT, CB_BZ_OSC_IN,  CB_BZ_OSC_OUT, CB_BZ_OSC_WH,
        };
        for (QWidget* w : cleared) {
            if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->clear();
            if (auto* box = qobject_cast<QCheckBox*>(w)) box->setChecked(false);
        }
        AppendLog("Conexão aberta...");
        ButtonVCP->setIcon(QIcon(ImageList1[0]));
        holdRx_ = false;
        if (std::exchange(rxHeld_, false)) VCP.RedeliverPending();
    } else {
        ButtonVCP->SetLocked(false);
        ButtonVCP->SetDown(false);
        AppendLog("Conexão fechada...");
        ButtonVCP->setIcon(QIcon(ImageList1[1]));
        B_SetConfig->setEnabled(false);
        B_RemConfig->setEnabled(true);
    }
    ProcessMessages();
}

void TForm1::Timer2Timer() {
    Timer2->stop();
    if (DeferPortAction(PortAction::Timer2Close)) return;
    CloseByTimer2();
}

void TForm1::CloseByTimer2() {
    // ComboBox1 stays as the starter of Timer2 left it.
    VCP.Close();
    ButtonVCPState(false);
}

bool TForm1::DeferPortAction(PortAction action) {
    // Once one action waits, later ones queue behind it so they keep their order.
    if (rxDepth_ == 0 && deferredPortActions_.empty()) return false;
    deferredPortActions_.push_back(action);
    if (rxDepth_ == 0) QueueDeferredPortActions();
    return true;
}

void TForm1::QueueDeferredPortActions() {
    if (deferredRunQueued_) return;
    deferredRunQueued_ = true;
    QTimer::singleShot(0, this, [this] { RunDeferredPortActions(); });
}

void TForm1::RunDeferredPortActions() {
    deferredRunQueued_ = false;
    // Inside a receive event: its end queues this again. Inside a run: that run goes on.
    if (rxDepth_ > 0 || runningDeferred_) return;
    runningDeferred_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{runningDeferred_};
    while (!deferredPortActions_.empty()) {
        const PortAction action = deferredPortActions_.front();
        deferredPortActions_.erase(deferredPortActions_.begin());
        if (action == PortAction::Click)
            ToggleConnection();
        else
            CloseByTimer2();
    }
}

}  // namespace orvel
