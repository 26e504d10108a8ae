// The tool update check and the download offer.
//
// Timer4 ticks once a second; UpdateTick drives a 16-tick cycle:
//   2      stop the web control and request the version file (fresh from the network)
//   6      read it: not loaded yet -> 7 (next read 16 ticks later); unusable -> 0 (7 ticks
//          later); concluded (same version, or the offer made) -> Timer4 stopped for good
//   15     back to 0
//   other  count on
// No failure is reported: without a usable version file the cycle simply runs again.
#include <QFont>
#include <QPalette>
#include <string>

#include "app/Unit1.h"
#include "update/version_marker.h"

namespace orvel {

namespace {

constexpr int kRequestTick = 2;
constexpr int kReadTick = 6;
constexpr int kLastTick = 15;
constexpr int kNotLoadedTick = 7;
constexpr int kUnusableTick = 0;
// No history (2), no read from cache (4), no write to cache (8).
constexpr int kFreshFromNetwork = 14;

const QColor kLinkBlue(0, 0, 255);

std::string VersionFileAddress() {
    return std::string(kMakerHost) + std::string(kVersionFilePath);
}

void SetUnderline(QLabel* label, bool underline) {
    QFont f = label->font();
    f.setUnderline(underline);
    label->setFont(f);
}

void SetCaption(QLabel* label, const char* utf8) {
    label->setText(QString::fromUtf8(utf8));
    label->adjustSize();
}

}  // namespace

QString TForm1::SiteAddress() {
    return QString::fromUtf8(kMakerHost.data(), static_cast<qsizetype>(kMakerHost.size())) +
           QString::fromUtf8(kProductPagePath.data(), static_cast<qsizetype>(kProductPagePath.size()));
}

void TForm1::Timer4Timer() {
    ProcessMessages();
    switch (UpdateTick) {
        case kRequestTick:
            platform_.web.Stop();
            platform_.web.Navigate(VersionFileAddress(), kFreshFromNetwork);
            UpdateTick = kRequestTick + 1;
            break;
        case kReadTick:
            ReadVersionFile();
            break;
        case kLastTick:
            UpdateTick = 0;
            break;
        default:
            ++UpdateTick;
            break;
    }
}

void TForm1::ReadVersionFile() {
    WebBrowser& web = platform_.web;
    if (web.ReadyState() != WebBrowser::kComplete) {
        UpdateTick = kNotLoadedTick;
        return;
    }
    const std::optional<std::string> body = web.BodyText();
    if (!body) {
        UpdateTick = kNotLoadedTick;
        return;
    }
    const std::optional<ReleaseVersion> server = ParseVersionToken(*body);
    if (!server) {
        UpdateTick = kUnusableTick;
        return;
    }

    const ReleaseVersion own{ToolVersion.Major, ToolVersion.Minor, ToolVersion.Release};
    if (*server == own) {
        SetUnderline(L_Msg, false);
        SetCaption(L_Msg, "O OrvelTool está atualizado");
        Timer4->stop();
        return;
    }

    // Any other release is offered, an older one too. The timer stops first: the question
    // box runs its own event loop.
    Timer4->stop();
    if (!FormatDownloadAddress(WorkArea.DownloadAddress, kMakerHost, *server)) {
        // The release cannot name a file we could fetch; offering it would navigate to a
        // wrong or cut-short address. The check ends without an offer.
        return;
    }
    const int answer = platform_.boxes.Show(
        "Há uma nova versão do aplicativo OrvelTool disponível\r\ngostaria de fazer o download agora?",
        "Atualização OrvelTool", MB_YESNO | MB_ICONASTERISK);
    if (answer == IDYES) {
        web.Navigate(WorkArea.DownloadAddress, std::nullopt);
        return;
    }
    SetUnderline(L_Msg, true);
    SetCaption(L_Msg, "Clique aqui para atualizar o OrvelTool");
    QPalette p = L_Msg->palette();
    p.setColor(QPalette::WindowText, kLinkBlue);
    L_Msg->setPalette(p);
    L_Msg->OnMouseEnter = [this] { L_SiteMouseEnter(); };
    L_Msg->OnMouseLeave = [this] { L_SiteMouseLeave(); };
    L_Msg->OnClick = [this] { L_MsgClick(); };
}

void TForm1::L_MsgClick() {
    // Unbound before anything else, so the download can never start twice.
    L_Msg->OnClick = nullptr;
    SetCaption(L_Msg, "");
    if (WorkArea.DownloadAddress[0] != '\0') platform_.web.Navigate(WorkArea.DownloadAddress, std::nullopt);
}

void TForm1::L_SiteClick() { platform_.shell.Open(L_Site->text().toStdString()); }

// The hand is the window's own cursor rather than an application-wide override: a leave
// that never comes (label emptied or hidden under the mouse) then cannot leave the hand
// over every other window, and repeated enters cannot stack overrides.
void TForm1::L_SiteMouseEnter() { setCursor(Qt::PointingHandCursor); }

void TForm1::L_SiteMouseLeave() { unsetCursor(); }

}  // namespace orvel
