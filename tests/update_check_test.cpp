#include <QFont>
#include <QPalette>
#include <chrono>

#include "form_fixture.h"

namespace orvel::testing {
namespace {

constexpr const char* kVersionFile = "www.corvane.com.br/files/orveltool.ver";
constexpr const char* kOfferText =
    "Há uma nova versão do aplicativo OrvelTool disponível\r\ngostaria de fazer o download agora?";
constexpr const char* kOfferCaption = "Atualização OrvelTool";

std::string Token(const char* fields) { return std::string("#*$(") + fields + ")$*#\r\n"; }

class UpdateCheck : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        StartTimer();
    }

    // Running as after start-up, but it never ticks on its own: the test drives the ticks.
    void StartTimer() { form->Timer4->start(std::chrono::hours(1)); }

    // A fresh window on fresh fakes, for tables of whole runs.
    void Restart() {
        form.reset();
        fake.web = FakeWebBrowser{};
        fake.boxes.shown.clear();
        fake.boxes.answer = IDOK;
        form = std::make_unique<TForm1>(fake.Get());
        StartTimer();
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) form->Timer4Timer();
    }

    // The server's answer, as the web control shows it once loaded.
    void Serve(const std::string& body) {
        fake.web.readyState = WebBrowser::kComplete;
        fake.web.body = body;
    }

    // Runs the first read (tick 7) against a served version file.
    void ReadAfterServing(const std::string& body) {
        Serve(body);
        Tick(7);
    }

    std::string Msg() const { return form->L_Msg->text().toStdString(); }
    size_t Requests() const { return fake.web.navigations.size(); }
};

TEST_F(UpdateCheck, StateTableMovesTheCounterAsEachTickRequires) {
    // Nothing loaded: tick 6 finds no document.
    const int after[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0};
    for (int before = 0; before < 16; ++before) {
        form->UpdateTick = before;
        Tick();
        EXPECT_EQ(form->UpdateTick, after[before]) << "from " << before;
    }
    EXPECT_EQ(Requests(), 1u);  // only the tick at 2
}

TEST_F(UpdateCheck, RequestsTheVersionFileFreshFromTheNetworkOnTheThirdTick) {
    Tick(2);
    EXPECT_EQ(Requests(), 0u);
    Tick();
    ASSERT_EQ(Requests(), 1u);
    EXPECT_EQ(fake.web.stops, 1);
    EXPECT_EQ(fake.web.navigations[0].first, kVersionFile);
    EXPECT_EQ(fake.web.navigations[0].second, std::optional<int>(14));
}

TEST_F(UpdateCheck, ReadsTheFileOnTheSeventhTickNotBefore) {
    Serve(Token("002.043.065@@002.043.065"));
    Tick(6);
    EXPECT_EQ(Msg(), "");
    EXPECT_TRUE(form->Timer4->isActive());
    Tick();
    EXPECT_EQ(Msg(), "O OrvelTool está atualizado");
}

TEST_F(UpdateCheck, SameVersionSaysUpToDateInPlainStyleAndStops) {
    ReadAfterServing("OrvelTool " + Token("002.043.065@@002.043.065"));
    EXPECT_EQ(Msg(), "O OrvelTool está atualizado");
    EXPECT_FALSE(form->L_Msg->font().underline());
    EXPECT_FALSE(form->Timer4->isActive());
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(Requests(), 1u);
    EXPECT_FALSE(form->L_Msg->OnClick);
}

TEST_F(UpdateCheck, NewerReleaseIsOfferedWithItsDownloadAddress) {
    fake.boxes.answer = IDNO;
    ReadAfterServing(Token("002.044.065@@002.044.065"));
    EXPECT_FALSE(form->Timer4->isActive());
    EXPECT_STREQ(form->WorkArea.DownloadAddress, "www.corvane.com.br/files/OrvelTool v2.44.A.exe");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, kOfferText);
    EXPECT_EQ(fake.boxes.shown[0].caption, kOfferCaption);
    EXPECT_EQ(fake.boxes.shown[0].flags, MB_YESNO | MB_ICONASTERISK);
}

TEST_F(UpdateCheck, OlderOrOtherReleasesAreOfferedToo) {
    struct Case {
        const char* fields;
        const char* address;
    } cases[] = {
        {"002.042.065@@002.042.065", "www.corvane.com.br/files/OrvelTool v2.42.A.exe"},
        {"002.043.066@@002.043.066", "www.corvane.com.br/files/OrvelTool v2.43.B.exe"},
        {"999.999.090@@999.999.090", "www.corvane.com.br/files/OrvelTool v999.999.Z.exe"},
    };
    for (const Case& c : cases) {
        Restart();
        fake.boxes.answer = IDYES;
        ReadAfterServing(Token(c.fields));
        EXPECT_EQ(fake.boxes.shown.size(), 1u) << c.fields;
        EXPECT_STREQ(form->WorkArea.DownloadAddress, c.address);
    }
}

TEST_F(UpdateCheck, YesDownloadsOnceAndLeavesTheMessageLabelAlone) {
    fake.boxes.answer = IDYES;
    ReadAfterServing(Token("002.044.065@@002.044.065"));
    ASSERT_EQ(Requests(), 2u);
    EXPECT_EQ(fake.web.navigations[1].first, "www.corvane.com.br/files/OrvelTool v2.44.A.exe");
    EXPECT_EQ(fake.web.navigations[1].second, std::nullopt);
    EXPECT_EQ(Msg(), "");
    EXPECT_FALSE(form->L_Msg->OnClick);
    EXPECT_FALSE(form->L_Msg->OnMouseEnter);
    EXPECT_FALSE(form->Timer4->isActive());
}

TEST_F(UpdateCheck, NoTurnsTheMessageLabelIntoABlueUnderlinedLink) {
    fake.boxes.answer = IDNO;
    ReadAfterServing(Token("002.044.065@@002.044.065"));
    EXPECT_EQ(Requests(), 1u);
    EXPECT_EQ(Msg(), "Clique aqui para atualizar o OrvelTool");
    EXPECT_TRUE(form->L_Msg->font().underline());
    EXPECT_EQ(form->L_Msg->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(form->L_Msg->OnClick);
    ASSERT_TRUE(form->L_Msg->OnMouseEnter);
    ASSERT_TRUE(form->L_Msg->OnMouseLeave);
    form->L_Msg->OnMouseEnter();
    EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
    form->L_Msg->OnMouseLeave();
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(UpdateCheck, ClickingTheLinkDownloadsExactlyOnceAndEmptiesTheLabel) {
    fake.boxes.answer = IDNO;
    ReadAfterServing(Token("002.044.065@@002.044.065"));
    ASSERT_TRUE(form->L_Msg->OnClick);
    form->L_Msg->OnClick();
    ASSERT_EQ(Requests(), 2u);
    EXPECT_EQ(fake.web.navigations[1].first, "www.corvane.com.br/files/OrvelTool v2.44.A.exe");
    EXPECT_EQ(fake.web.navigations[1].second, std::nullopt);
    EXPECT_EQ(Msg(), "");
    EXPECT_FALSE(form->L_Msg->OnClick);  // a second click does nothing
    // Look and hover stay as the link left them.
    EXPECT_TRUE(form->L_Msg->font().underline());
    EXPECT_EQ(form->L_Msg->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(form->L_Msg->OnMouseEnter);
    EXPECT_TRUE(form->L_Msg->OnMouseLeave);
}

TEST_F(UpdateCheck, UnusableFileIsRequestedAgainThreeTicksLater) {
    const std::string bodies[] = {
        Token("002.044.065@@002.044.066"),                       // second copy differs
        Token("002.0x4.065@@002.0x4.065"),                       // non-digit
        "<p style=\"color:#808080\">" + Token("002.044.065@@002.044.065"),  // '#' before the marker
        "#*$(002.044.065@@002.044.065)$*#",                      // 32 characters
        Token("002.044.065@@002.044.065") + std::string(480, 'x'),  // 500 or more
        "",
    };
    for (const std::string& body : bodies) {
        Restart();
        ReadAfterServing(body);
        EXPECT_EQ(form->UpdateTick, 0) << body;
        Tick(2);
        EXPECT_EQ(Requests(), 1u) << body;
        Tick();  // 3 ticks after the read
        EXPECT_EQ(Requests(), 2u) << body;
        Tick(4);  // and read again 7 ticks after the first read
        EXPECT_EQ(form->UpdateTick, 0) << body;
        EXPECT_TRUE(form->Timer4->isActive());
        EXPECT_TRUE(fake.boxes.shown.empty());
        EXPECT_EQ(Msg(), "");
    }
}

TEST_F(UpdateCheck, FileNotLoadedYetIsReadAgainSixteenTicksLater) {
    for (bool loadedWithoutDocument : {false, true}) {
        Restart();
        fake.web.readyState = loadedWithoutDocument ? WebBrowser::kComplete : 1;
        fake.web.body = std::nullopt;
        Tick(7);
        EXPECT_EQ(form->UpdateTick, 7);
        Tick(11);
        EXPECT_EQ(Requests(), 1u);
        Tick();  // tick 19: the request again
        EXPECT_EQ(Requests(), 2u);
        Serve(Token("002.043.065@@002.043.065"));
        Tick(3);
        EXPECT_EQ(Msg(), "");
        Tick();  // tick 23, 16 after the first read
        EXPECT_EQ(Msg(), "O OrvelTool está atualizado");
        EXPECT_FALSE(form->Timer4->isActive());
    }
}

TEST_F(UpdateCheck, ReleaseThatCannotNameAFileIsNotOffered) {
    // 000 would end the address early and 047 ('/') change its path.
    for (const char* fields : {"002.044.000@@002.044.000", "002.044.047@@002.044.047", "002.044.321@@002.044.321"}) {
        Restart();
        ReadAfterServing(Token(fields));
        EXPECT_TRUE(fake.boxes.shown.empty()) << fields;
        EXPECT_EQ(Requests(), 1u) << fields;
        EXPECT_STREQ(form->WorkArea.DownloadAddress, "");
        EXPECT_FALSE(form->Timer4->isActive());
        EXPECT_EQ(Msg(), "");
        EXPECT_FALSE(form->L_Msg->OnClick);
    }
}

TEST_F(UpdateCheck, SiteLabelOpensTheProductPageWithAHandCursor) {
    EXPECT_EQ(form->L_Site->text().toStdString(), "www.corvane.com.br/orvel");
    ASSERT_TRUE(form->L_Site->OnClick);
    form->L_Site->OnClick();
    EXPECT_EQ(fake.shell.opened, std::vector<std::string>{"www.corvane.com.br/orvel"});
    ASSERT_TRUE(form->L_Site->OnMouseEnter);
    form->L_Site->OnMouseEnter();
    EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
    form->L_Site->OnMouseLeave();
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace orvel::testing
