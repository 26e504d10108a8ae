#include <QCoreApplication>
#include <QSignalBlocker>
#include <QTimer>

#include "form_fixture.h"
#include "platform/port_names.h"

namespace orvel::testing {
namespace {

using Names = std::vector<std::string>;

class Connection : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // The start-up's 10 ms tidy-up, done now: on a slow run (sanitizers) it would land
        // inside a test's event processing and empty the boxes that test has just filled.
        form->Timer5Timer();
    }
    // Lists the given ports and selects the first, as dropping the list down does.
    void ListPorts(const Names& names) {
        fake.port.ports = names;
        form->ComboBox1DropDown();
    }
    Names ListedPorts() const {
        Names out;
        for (int i = 0; i < form->ComboBox1->count(); ++i) out.push_back(form->ComboBox1->itemText(i).toStdString());
        return out;
    }
    // The user presses the connect button.
    void Click() { form->ButtonVCP->click(); }
    void Connect(const std::string& port = "ttyACM0") {
        ListPorts({port});
        Click();
        ASSERT_TRUE(fake.port.IsOpen());
    }
    bool ShowsImage(int index) const {
        return form->ButtonVCP->icon().pixmap(51, 51).toImage() == form->ImageList1[index].toImage();
    }
    void ExpectOpenState() {
        EXPECT_TRUE(form->ButtonVCP->Down());
        EXPECT_TRUE(form->ButtonVCP->Locked());
        EXPECT_FALSE(form->ComboBox1->isEnabled());
        EXPECT_TRUE(ShowsImage(0));
    }
    void ExpectClosedState() {
        EXPECT_FALSE(form->ButtonVCP->Down());
        EXPECT_FALSE(form->ButtonVCP->Locked());
        EXPECT_TRUE(ShowsImage(1));
        EXPECT_FALSE(form->B_SetConfig->isEnabled());
        EXPECT_TRUE(form->B_RemConfig->isEnabled());
    }
};

const Bytes kNack = {0xBC, 0x12, 0x03, 0x00, 0x00, 0x00, 0x00, 0xD1};

// ------------------------------------------------------------------ port list

TEST(SortPortNames, OrdersCaseInsensitivelyAndDropsDuplicates) {
    struct Case {
        Names in, out;
    } cases[] = {
        {{"COM3", "COM10"}, {"COM10", "COM3"}},
        {{"ttyUSB0", "ttyACM1", "ttyacm0", "ttyS0"}, {"ttyacm0", "ttyACM1", "ttyS0", "ttyUSB0"}},
        {{"ttyS0", "ttyS0", "ttyORVEL"}, {"ttyORVEL", "ttyS0"}},
        {{"ttyb", "ttyB", "ttyA"}, {"ttyA", "ttyB", "ttyb"}},
        {{}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SortPortNames(c.in), c.out);
}

TEST_F(Connection, DropDownListsThePortsSortedAndPreselectsTheFirst) {
    ListPorts({"COM3", "COM10"});
    EXPECT_EQ(ListedPorts(), (Names{"COM10", "COM3"}));
    EXPECT_EQ(form->ComboBox1->ItemIndex(), 0);
}

TEST_F(Connection, DropDownRereadsTheListAndSelectsItemZeroAgain) {
    ListPorts({"ttyACM1", "ttyS0"});
    form->ComboBox1->SetItemIndex(1);
    ListPorts({"ttyACM1", "ttyS0", "ttyACM0"});  // a second unit plugged in
    EXPECT_EQ(ListedPorts(), (Names{"ttyACM0", "ttyACM1", "ttyS0"}));
    EXPECT_EQ(form->ComboBox1->ItemIndex(), 0);
}

TEST_F(Connection, FailedEnumerationLeavesListAndSelectionAsTheyWere) {
    ListPorts({"ttyACM0", "ttyS0"});
    form->ComboBox1->SetItemIndex(1);
    fake.port.ports = std::nullopt;
    form->ComboBox1DropDown();
    EXPECT_EQ(ListedPorts(), (Names{"ttyACM0", "ttyS0"}));
    EXPECT_EQ(form->ComboBox1->ItemIndex(), 1);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(Connection, EmptyPortListSelectsNothing) {
    ListPorts({"ttyS0"});
    ListPorts({});
    EXPECT_EQ(form->ComboBox1->count(), 0);
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1);
}

// ------------------------------------------------------------------ opening and closing

TEST_F(Connection, ClickOpensTheSelectedPortAndShowsTheOpenState) {
    ListPorts({"ttyACM0", "ttyACM1"});
    form->ComboBox1->SetItemIndex(1);
    form->AppendLog("linha antiga");
    form->InfoHandled = true;
    form->B_RemConfig->setEnabled(true);
    for (DropDownList* list : {form->CB_PING, form->CB_A232, form->CB_B232}) {
        list->addItem("1");
        list->SetItemIndex(0);
    }

    Click();

    EXPECT_EQ(fake.port.name, "ttyACM1");
    EXPECT_EQ(fake.port.openCount, 1);
    EXPECT_EQ(fake.port.clearCount, 1);  // queues discarded right after opening
    ExpectOpenState();
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta..."}));
    EXPECT_FALSE(form->InfoHandled);
    EXPECT_FALSE(form->B_RemConfig->isEnabled());
    for (DropDownList* list : {form->CB_PING, form->CB_A232, form->CB_B232}) EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(Connection, ClickOnTheLockedButtonClosesThePort) {
    Connect();
    form->B_SetConfig->setEnabled(true);
    form->B_RemConfig->setEnabled(false);
    Click();
    EXPECT_FALSE(fake.port.IsOpen());
    ExpectClosedState();
    EXPECT_TRUE(form->ComboBox1->isEnabled());
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta...", "Conexão fechada..."}));
}

TEST_F(Connection, OpeningTwiceClearsTheLinesOfTheFirstConnection) {
    Connect();
    Click();
    Click();
    Click();
    EXPECT_EQ(fake.port.openCount, 2);
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta...", "Conexão fechada..."}));
}

TEST_F(Connection, PortThatCannotBeOpenedSpringsTheButtonBackAndChangesNothing) {
    ListPorts({"ttyACM0"});
    form->AppendLog("linha antiga");
    form->InfoHandled = true;
    fake.port.failOpen = true;
    Click();
    EXPECT_FALSE(form->ButtonVCP->Down());
    EXPECT_FALSE(form->ButtonVCP->Locked());
    EXPECT_TRUE(form->ComboBox1->isEnabled());
    EXPECT_EQ(LogLines(), (Names{"linha antiga"}));
    EXPECT_TRUE(form->InfoHandled);
    EXPECT_EQ(fake.port.clearCount, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(Connection, ClickWithNoPortSelectedSpringsBackWithoutTryingToOpen) {
    ListPorts({});
    Click();
    EXPECT_FALSE(form->ButtonVCP->Down());
    EXPECT_FALSE(form->ButtonVCP->Locked());
    EXPECT_EQ(fake.port.openCount, 0);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(Connection, ClickClosesAPortWhoseUnitWasUnplugged) {
    Connect();
    fake.port.Vanish();
    Click();
    EXPECT_FALSE(fake.port.IsOpen());
    EXPECT_EQ(fake.port.closeCount, 1);
    EXPECT_EQ(LogLines().back(), "Conexão fechada...");
    EXPECT_TRUE(form->ComboBox1->isEnabled());
}

TEST_F(Connection, OpeningEmptiesTheConfigurationInOrderAndLeavesTheEngineBrakeGroup) {
    const Names expected = {
        "ED_ACP",        "CB_EV_ACP",     "CB_BZ_ACP",     "ED_ACN",        "CB_EV_ACN",     "CB_BZ_ACN",
        "ED_VMX",        "ED_TVMX",       "CB_EV_VMX_IN",  "CB_EV_VMX_OUT", "CB_BZ_VMX_IN",  "CB_BZ_VMX_OUT",
        "CB_BZ_VMX_WH",  "ED_VCH",        "ED_TVCH",       "CB_EV_VCH_IN",  "CB_EV_VCH_OUT", "CB_BZ_VCH_IN",
        "CB_BZ_VCH_OUT", "CB_BZ_VCH_WH",  "ED_RPX",        "ED_TRPX",       "CB_EV_RPX_IN",  "CB_EV_RPX_OUT",
        "CB_BZ_RPX_IN",  "CB_BZ_RPX_OUT", "CB_BZ_RPX_WH",  "ED_VBGL",       "ED_TBGL",       "ED_RBGL",
        "CB_EV_BGL_IN",  "CB_EV_BGL_OUT", "CB_BZ_BGL_IN",  "CB_BZ_BGL_OUT", "CB_BZ_BGL_WH",  "ED_TOSC",
        "ED_XOSC",       "CB_EV_OSC_IN",  "CB_EV_OSC_OUT", "CB_BZ_OSC_IN",  "CB_BZ_OSC_OUT", "CB_BZ_OSC_WH",
    };
    // Fill every box, the engine-brake ones included, without running any rule.
    Names changed;
    for (QLineEdit* e : form->findChildren<QLineEdit*>()) {
        if (e == form->Edit1 || e == form->Edit2) continue;
        QSignalBlocker quiet(e);
        e->setText("7");
        QObject::connect(e, &QLineEdit::textChanged, [&changed, e] { changed.push_back(e->objectName().toStdString()); });
    }
    for (QCheckBox* c : form->findChildren<QCheckBox*>()) {
        if (c == form->Cb_Rotaval || c == form->Cb_COMAutoClose) continue;
        QSignalBlocker quiet(c);
        c->setChecked(true);
        QObject::connect(c, &QCheckBox::toggled, [&changed, c] { changed.push_back(c->objectName().toStdString()); });
    }

    Connect();

    EXPECT_EQ(changed, expected);
    for (QLineEdit* e : {form->ED_VEBK, form->ED_TEBK, form->ED_REBK}) EXPECT_EQ(e->text(), "7");
    for (QCheckBox* c : {form->CB_EV_EBK_IN, form->CB_BZ_EBK_IN, form->CB_EV_EBK_OUT, form->CB_BZ_EBK_OUT})
        EXPECT_TRUE(c->isChecked());
}

// ------------------------------------------------------------------ Timer2

TEST_F(Connection, Timer2ClosesThePortButLeavesTheListDisabled) {
    Connect("ttyACM3");
    form->Timer2->start();  // as the operation-mode notice does
    form->Timer2Timer();
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_FALSE(fake.port.IsOpen());
    ExpectClosedState();
    EXPECT_FALSE(form->ComboBox1->isEnabled());
    EXPECT_EQ(LogLines().back(), "Conexão fechada...");

    Click();  // only the same port can be reopened
    EXPECT_TRUE(fake.port.IsOpen());
    EXPECT_EQ(fake.port.name, "ttyACM3");
    EXPECT_EQ(fake.port.openCount, 2);
    ExpectOpenState();
}

TEST_F(Connection, Timer2AfterTheUserClosedByHandShowsTheClosedStateTwice) {
    Connect();
    form->Timer2->start();
    Click();
    form->Timer2Timer();
    EXPECT_EQ(fake.port.closeCount, 1);
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta...", "Conexão fechada...", "Conexão fechada..."}));
    ExpectClosedState();
}

// ------------------------------------------------------------------ closes asked for inside a receive event

struct NestedClose {
    const char* name;
    std::function<void(TForm1&)> act;
    bool listEnabledAfter;
};

class CloseInsideReceiveEvent : public Connection, public ::testing::WithParamInterface<NestedClose> {};

TEST_P(CloseInsideReceiveEvent, WaitsUntilTheEventHasReturned) {
    Connect();
    // Runs at the receive event's first "let pending events run".
    bool ranInsideEvent = false;
    QTimer::singleShot(0, form.get(), [&] {
        ranInsideEvent = fake.port.InRxEvent();
        GetParam().act(*form);
        EXPECT_TRUE(fake.port.IsOpen()) << "closed while the receive event runs";
    });
    fake.port.Feed(kNack);
    ASSERT_TRUE(ranInsideEvent);
    EXPECT_EQ(form->ErrorCounters.Nacks, 1);  // the event was handled in full
    EXPECT_TRUE(fake.port.IsOpen());
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta..."}));

    QCoreApplication::processEvents();

    EXPECT_FALSE(fake.port.IsOpen());
    EXPECT_EQ(fake.port.closesInRxEvent, 0);
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta...", "Conexão fechada..."}));
    ExpectClosedState();
    EXPECT_EQ(form->ComboBox1->isEnabled(), GetParam().listEnabledAfter);
}

INSTANTIATE_TEST_SUITE_P(
    ClickOrTick, CloseInsideReceiveEvent,
    ::testing::Values(NestedClose{"Click", [](TForm1& f) { f.ButtonVCP->click(); }, true},
                      NestedClose{"Timer2Tick",
                                  [](TForm1& f) {
                                      f.Timer2->start();
                                      f.Timer2Timer();
                                      EXPECT_FALSE(f.Timer2->isActive());
                                  },
                                  false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Connection, ClickAfterADeferredCloseWaitsItsTurnAndReopens) {
    Connect();
    QTimer::singleShot(0, form.get(), [&] { form->Timer2Timer(); });
    fake.port.Feed(kNack);
    Click();  // arrives before the deferred close has run: queued behind it
    EXPECT_TRUE(fake.port.IsOpen());
    QCoreApplication::processEvents();
    EXPECT_TRUE(fake.port.IsOpen());
    EXPECT_EQ(fake.port.openCount, 2);
    EXPECT_EQ(fake.port.closesInRxEvent, 0);
    EXPECT_EQ(LogLines(), (Names{"Conexão aberta..."}));
    ExpectOpenState();
}

}  // namespace
}  // namespace orvel::testing

namespace orvel::testing {
namespace {

class ConnectionFirstRecord : public FormTest {};

TEST_F(ConnectionFirstRecord, ARecordArrivingWhileTheOpenStateIsShownIsHandledAfterIt) {
    fake.port.ports = std::vector<std::string>{"ttyACM0"};
    form->ComboBox1DropDown();
    Bytes record(45, 0x00);  // mode flag 0: operation mode
    record[37] = 4;
    // Posted twice: the click lets events run once before the port opens and again while
    // it shows the open state; the record lands in the second pass.
    QTimer::singleShot(0, [this, record] { fake.port.FeedLater(UnitFrame(kCmdInfo, record)); });
    form->ButtonVCP->click();
    RunEventsUntilIdle();

    const std::vector<std::string> log = LogLines();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "Conexão aberta...");
    EXPECT_EQ(log[1], "O Orvel foi detectado em modo de operação!");
    EXPECT_TRUE(form->Timer2->isActive());
}

}  // namespace
}  // namespace orvel::testing
