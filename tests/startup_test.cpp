#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/application.h"
#include "form_fixture.h"

namespace orvel::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Items(const DropDownList* list) {
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i) out.push_back(list->itemText(i).toStdString());
    return out;
}

// ------------------------------------------------------------------ start-up state

class StartUp : public FormTest {
protected:
    bool SettlesStartUp() const override { return false; }
};

TEST_F(StartUp, CaptionShowsTheToolVersion) {
    EXPECT_EQ(form->windowTitle().toStdString(), "OrvelTool v2.43.A");
}

TEST_F(StartUp, ListsHoldTheTableValuesInOrderWithNothingSelected) {
    EXPECT_EQ(Items(form->CB_PING),
              (std::vector<std::string>{"5", "10", "15", "30", "45", "60", "90", "120", "180", "300"}));
    const std::vector<std::string> rates = {"9600", "19200", "57600", "115200"};
    EXPECT_EQ(Items(form->CB_A232), rates);
    EXPECT_EQ(Items(form->CB_B232), rates);
    for (const DropDownList* list : {form->CB_PING, form->CB_A232, form->CB_B232})
        EXPECT_EQ(list->ItemIndex(), -1) << list->objectName().toStdString();
}

TEST_F(StartUp, SetsTheLinkRateAndShowsTheClosedPortGlyph) {
    EXPECT_EQ(fake.port.baud, 3686400);
    EXPECT_EQ(form->ButtonVCP->icon().pixmap(51, 51).toImage(), form->ImageList1[1].toImage());
    EXPECT_FALSE(form->ButtonVCP->Down());
}

TEST_F(StartUp, StartsTheUpdateCheckAndTheTidyUpOnly) {
    EXPECT_TRUE(form->Timer4->isActive());
    EXPECT_EQ(form->Timer4->interval(), 1000);
    EXPECT_TRUE(form->Timer5->isActive());
    EXPECT_EQ(form->Timer5->interval(), 10);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_FALSE(form->Timer3->isActive());
}

TEST_F(StartUp, LeavesMessageLogAndIdentifierListEmpty) {
    EXPECT_TRUE(form->L_Msg->text().isEmpty());
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(form->LogIdList->document()->isEmpty());
    EXPECT_TRUE(form->L_IdList->text().isEmpty());
    EXPECT_FALSE(form->B_SetConfig->isEnabled());
    EXPECT_TRUE(form->B_RemConfig->isEnabled());
}

// ------------------------------------------------------------------ one-shot tidy-up

TEST_F(StartUp, TidyUpEmptiesTheSixteenBoxesAndLiftsTheirArrowsOnce) {
    const std::vector<QLineEdit*> boxes = {
        form->ED_ACP, form->ED_ACN, form->ED_VMX, form->ED_TVMX, form->ED_VCH, form->ED_TVCH,
        form->ED_RPX, form->ED_TRPX, form->ED_VBGL, form->ED_TBGL, form->ED_RBGL, form->ED_TOSC,
        form->ED_XOSC, form->ED_VEBK, form->ED_TEBK, form->ED_REBK};
    const std::vector<UpDown*> arrows = {
        form->UD_VMX, form->UD_TVMX, form->UD_VCH, form->UD_TVCH, form->UD_RPX, form->UD_TRPX,
        form->UD_ACP, form->UD_ACN, form->UD_VBGL, form->UD_TBGL, form->UD_RBGL, form->UD_TOSC,
        form->UD_XOSC, form->UD_VEBK, form->UD_REBK, form->UD_TEBK};
    std::vector<int> tops;
    for (UpDown* u : arrows) tops.push_back(u->y());
    for (QLineEdit* e : boxes) ASSERT_FALSE(e->text().isEmpty()) << e->objectName().toStdString();

    form->Timer5Timer();

    EXPECT_FALSE(form->Timer5->isActive());
    for (QLineEdit* e : boxes) EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    for (size_t i = 0; i < arrows.size(); ++i)
        EXPECT_EQ(arrows[i]->y(), tops[i] - 3) << arrows[i]->objectName().toStdString();
    // The arrows keep their start positions although their boxes are empty.
    EXPECT_EQ(form->UD_VMX->Position(), 120);
    EXPECT_EQ(form->UD_RPX->Position(), 4500);
}

// ------------------------------------------------------------------ old executables

// A window started from a scratch folder, with files laid out before the start-up runs.
class OldExecutables : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("orvel-startup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        form.reset();
        fs::remove_all(dir);
    }
    static void Touch(const fs::path& p) { std::ofstream(p) << "x"; }
    void Start(const fs::path& exe) {
        fake.exePath = exe.string();
        form = std::make_unique<TForm1>(fake.Get());
    }

    fs::path dir;
    FakePlatform fake;
    std::unique_ptr<TForm1> form;
};

TEST_F(OldExecutables, TheFourOldReleasesGoAndEverythingElseStays) {
    const std::vector<std::string> old = {"OrvelTool v2.41.A.exe", "OrvelTool v2.42.A.exe", "OrvelTool v2.42.C.exe",
                                          "OrvelTool v2.42.B.exe"};
    const std::vector<std::string> kept = {"OrvelTool v2.43.A.exe", "OrvelTool v2.40.A.exe", "OrvelTool v2.42.D.exe",
                                           "orveltool v2.42.a.exe", "OrvelTool v2.42.A.exe.bak", "notes.txt",
                                           "OrvelTool"};
    for (const auto& n : old) Touch(dir / n);
    for (const auto& n : kept) Touch(dir / n);

    Start(dir / "OrvelTool");

    for (const auto& n : old) EXPECT_FALSE(fs::exists(dir / n)) << n;
    for (const auto& n : kept) EXPECT_TRUE(fs::exists(dir / n)) << n;
}

TEST_F(OldExecutables, TheRunningExecutableIsSparedEvenUnderAnOldName) {
    Touch(dir / "OrvelTool v2.42.A.exe");
    Touch(dir / "OrvelTool v2.42.B.exe");

    // Reached through a path with a dot segment: the comparison resolves it.
    Start(dir / "." / "OrvelTool v2.42.A.exe");

    EXPECT_TRUE(fs::exists(dir / "OrvelTool v2.42.A.exe"));
    EXPECT_FALSE(fs::exists(dir / "OrvelTool v2.42.B.exe"));
    EXPECT_EQ(form->windowTitle().toStdString(), "OrvelTool v2.43.A");  // start-up went on
}

TEST_F(OldExecutables, TheRunningExecutableIsSparedWhenStartedThroughALink) {
    Touch(dir / "OrvelTool v2.42.C.exe");
    fs::create_symlink(dir / "OrvelTool v2.42.C.exe", dir / "orvel");

    Start(dir / "orvel");
    EXPECT_TRUE(fs::exists(dir / "OrvelTool v2.42.C.exe"));
}

TEST_F(OldExecutables, AFolderBearingAnOldNameIsLeftAlone) {
    fs::create_directories(dir / "OrvelTool v2.41.A.exe");
    Touch(dir / "OrvelTool v2.42.A.exe");

    Start(dir / "OrvelTool");

    EXPECT_TRUE(fs::is_directory(dir / "OrvelTool v2.41.A.exe"));
    EXPECT_FALSE(fs::exists(dir / "OrvelTool v2.42.A.exe"));
}

TEST_F(OldExecutables, APathTooLongForTheBufferDeletesNothing) {
    // Cut to 500 bytes the path would name another folder; nothing may be deleted there.
    fs::path deep = dir;
    while (deep.string().size() < 520) deep /= std::string(100, 'd');
    fs::create_directories(deep);
    Touch(deep / "OrvelTool v2.42.A.exe");

    Start(deep / "OrvelTool");

    EXPECT_TRUE(fs::exists(deep / "OrvelTool v2.42.A.exe"));
    EXPECT_EQ(form->windowTitle().toStdString(), "OrvelTool v2.43.A");
}

TEST_F(OldExecutables, ExePathHoldsTheFolderOfTheExecutable) {
    Start(dir / "OrvelTool");
    const std::string path = form->WorkArea.ExePath;
    EXPECT_EQ(path.rfind(dir.string() + "/", 0), 0u) << path;
}

TEST_F(OldExecutables, AFolderThatCannotBeReadIsNoObstacle) {
    Start(dir / "missing" / "OrvelTool");
    EXPECT_EQ(form->windowTitle().toStdString(), "OrvelTool v2.43.A");
    EXPECT_TRUE(form->Timer5->isActive());
}

// ------------------------------------------------------------------ the log

class MainLog : public FormTest {
protected:
    bool SettlesStartUp() const override { return false; }
    // Colour of each line of the log.
    std::vector<QColor> LineColors() const {
        std::vector<QColor> out;
        for (QTextBlock b = form->Log->document()->begin(); b.isValid(); b = b.next()) {
            const QTextCharFormat f = b.begin() != b.end() ? b.begin().fragment().charFormat() : b.charFormat();
            out.push_back(f.foreground().color());
        }
        return out;
    }
};

TEST_F(MainLog, LinesAreAddedInOrder) {
    form->AppendLog("Conectado.");
    form->AppendLog("Versão: 2.43");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Conectado.", "Versão: 2.43"}));
}

TEST_F(MainLog, AnEmptyTextAddsAnEmptyLine) {
    form->AppendLog("");
    form->AppendLog("depois");
    form->AppendLog("");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"", "depois", ""}));
}

TEST_F(MainLog, CarriageReturnLineFeedStartsAFurtherLine) {
    form->AppendLog("Versão: 2.43\r\nId: 00000001 00000002 00000003");
    form->AppendLog("fim");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Versão: 2.43", "Id: 00000001 00000002 00000003", "fim"}));
}

TEST_F(MainLog, RedStaysRedForEveryLaterLine) {
    form->AppendLog("antes");
    form->SetLogRed();
    form->AppendLog("Configuração inválida!");
    form->AppendLog("Iniciando atualização...");
    form->AppendLog("");
    const std::vector<QColor> colors = LineColors();
    ASSERT_EQ(colors.size(), 4u);
    EXPECT_EQ(colors[0], QColor(0, 0, 0));
    for (size_t i = 1; i < colors.size(); ++i) EXPECT_EQ(colors[i], QColor(255, 0, 0)) << "line " << i;
}

TEST_F(MainLog, AfterClearingTheNextLineIsTheFirstAndKeepsTheColour) {
    form->AppendLog("velha");
    form->SetLogRed();
    form->Log->clear();
    form->AppendLog("nova");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"nova"}));
    EXPECT_EQ(LineColors().at(0), QColor(255, 0, 0));
}

TEST_F(MainLog, AFullLogKeepsItsLastLineInView) {
    form->show();
    for (int i = 0; i < 60; ++i) form->AppendLog("linha " + std::to_string(i));
    QApplication::processEvents();
    EXPECT_GT(form->Log->verticalScrollBar()->value(), 0);
    QTextCursor end(form->Log->document());
    end.movePosition(QTextCursor::End);
    EXPECT_TRUE(form->Log->viewport()->rect().contains(form->Log->cursorRect(end)));
    EXPECT_EQ(form->Log->textCursor().position(), form->Log->document()->characterCount() - 1);
}

TEST_F(MainLog, AChangeOfTheIdentifierListAlsoBringsTheMainLogToItsEnd) {
    for (int i = 0; i < 30; ++i) form->AppendLog("linha " + std::to_string(i));
    QTextCursor start = form->Log->textCursor();
    start.movePosition(QTextCursor::Start);
    form->Log->setTextCursor(start);

    DeviceInfo unit;
    unit.HardwareType = 4;
    unit.FirmwareMajor = 2;
    unit.FirmwareMinor = 43;
    unit.UnitId[0] = 1;
    form->LogUnitId(unit);

    EXPECT_EQ(form->Log->textCursor().position(), form->Log->document()->characterCount() - 1);
}

// ------------------------------------------------------------------ application

TEST(Application, ExceptionsShowTheirMessageAndOthersAnEmptyOne) {
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(std::runtime_error("porta perdida"))), "porta perdida");
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(42)), "");
    EXPECT_EQ(ExceptionMessage(nullptr), "");
}

TEST(Application, SetUpGivesTheTitleAndFusionAndLeavesTheCaptionAlone) {
    SetUpApplication();
    EXPECT_EQ(QApplication::applicationName().toStdString(), "Orvel Tool");
    EXPECT_EQ(QApplication::style()->name().toLower().toStdString(), "fusion");
    FakePlatform fake;
    TForm1 form(fake.Get());
    EXPECT_EQ(form.windowTitle().toStdString(), "OrvelTool v2.43.A");
}

}  // namespace
}  // namespace orvel::testing
