// The real serial port adapter against a pseudo-terminal pair: the test speaks as the
// unit on the master side.
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "form_fixture.h"
#include "platform/port_names.h"
#include "platform/qt_serial_port.h"
#include "pty_pair.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int32_t kLinkRate = 3686400;
const Bytes kNack = {0xBC, 0x12, 0x03, 0x00, 0x00, 0x00, 0x00, 0xD1};

std::vector<std::string> LogLinesOf(const TForm1& form) {
    std::vector<std::string> out;
    for (const QString& line : form.Log->toPlainText().split('\n')) out.push_back(line.toStdString());
    return out;
}

// A fresh folder for the links of one test, removed with it.
class TempDir {
public:
    TempDir() {
        path_ = fs::temp_directory_path() / ("orvel-pty-" + std::to_string(::getpid()) + "-" + std::to_string(++serial_));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    static inline int serial_ = 0;
    fs::path path_;
};

class SerialPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.Ok()) << pty.Error(); }
    // Opens the slave through `port` by a tty-style link, at the link rate.
    void OpenByLink(QtSerialPort& port) {
        const std::string link = pty.LinkIn(dir.path(), "ttyORVEL0");
        ASSERT_FALSE(link.empty());
        port.SetPortName(link);
        port.SetCustomBaudRate(kLinkRate);
        ASSERT_TRUE(port.Open());
    }
    TempDir dir;
    PtyPair pty;
};

TEST_F(SerialPty, WindowOpensAPtyAtTheLinkRateAndExchangesFramesBothWays) {
    QtSerialPort port;
    FakePlatform fake;
    TForm1 form(Platform{port, fake.boxes, fake.clock, fake.web, fake.shell, fake.exePath});
    port.SetCustomBaudRate(kLinkRate);
    const std::string link = pty.LinkIn(dir.path(), "ttyORVEL1");
    ASSERT_FALSE(link.empty());
    form.ComboBox1->clear();
    form.ComboBox1->addItem(QString::fromStdString(link));
    form.ComboBox1->SetItemIndex(0);

    form.ButtonVCP->click();

    ASSERT_TRUE(port.Connected());
    EXPECT_EQ(LogLinesOf(form), (std::vector<std::string>{"Conexão aberta..."}));
    EXPECT_EQ(pty.SlaveOutputSpeed(), std::optional<uint32_t>(kLinkRate));

    // The unit speaks: the receive event counts the NACK.
    ASSERT_TRUE(pty.Write(kNack));
    EXPECT_TRUE(WaitUntil([&] { return form.ErrorCounters.Nacks == 1; }, 3000ms));

    // The tool speaks: the unit reads the jump frame byte for byte.
    const Bytes jump = BuildFrame(kCmdJump, {});
    EXPECT_EQ(form.VCP.Write(jump), 8);
    EXPECT_EQ(pty.Read(jump.size() + 1, 300ms), jump);

    form.ButtonVCP->click();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(LogLinesOf(form).back(), "Conexão fechada...");
}

TEST_F(SerialPty, BytesArrivingDuringAReceiveEventAreReportedRightAfterIt) {
    QtSerialPort port;
    OpenByLink(port);
    std::vector<int> counts;
    port.SetRxHandler([&](int count) {
        counts.push_back(count);
        if (counts.size() == 1) {
            // More bytes come while the handler lets events run; Qt takes them in but
            // raises no event for them.
            EXPECT_TRUE(pty.Write(kNack));
            EXPECT_TRUE(WaitUntil([&] { return port.BytesWaiting() >= count + 8; }, 3000ms));
        }
        Bytes buffer(static_cast<size_t>(count));
        EXPECT_EQ(port.Read(buffer.data(), count), count);
    });
    ASSERT_TRUE(pty.Write(kNack));
    EXPECT_TRUE(WaitUntil([&] { return counts.size() >= 2; }, 3000ms));
    EXPECT_EQ(counts, (std::vector<int>{8, 8}));
}

TEST_F(SerialPty, PeerGoingAwayLeavesThePortOpenButNotConnected) {
    QtSerialPort port;
    OpenByLink(port);
    pty.CloseSlave();
    pty.CloseMaster();
    EXPECT_TRUE(WaitUntil([&] { return !port.Connected(); }, 3000ms));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Write(kNack), -1);
    RunEventsFor(50);  // the hung-up device is let go of without spinning
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPty, WritesToAPeerThatNeverReadsAreRefusedInsteadOfBlocking) {
    QtSerialPort port;
    OpenByLink(port);
    const Bytes block = BuildFrame(kCmdConfigBlock, Bytes(54, 0x5A));
    int accepted = 0;
    while (accepted < 100000 && port.Write(block) == static_cast<int>(block.size())) ++accepted;
    EXPECT_LT(accepted, 100000);
    EXPECT_TRUE(port.Connected());  // a full queue is no lost device
    // Once the peer reads again, writing works again.
    pty.Read(static_cast<size_t>(accepted) * block.size(), 3000ms);
    EXPECT_TRUE(WaitUntil([&] { return port.Write(block) == static_cast<int>(block.size()); }, 3000ms));
}

TEST_F(SerialPty, OpeningAPortThatIsGoneFailsQuietly) {
    QtSerialPort port;
    port.SetPortName((dir.path() / "ttyNOTHERE").string());
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Connected());
}

TEST_F(SerialPty, PtyLinkNamesFindsOnlyTtyLinksToLivePseudoTerminals) {
    const fs::path d = dir.path();
    fs::create_symlink(pty.SlavePath(), d / "ttyGOOD");
    fs::create_symlink(d / "ttyGOOD", d / "ttyCHAIN");
    fs::create_symlink("/dev/null", d / "ttyNULL");
    fs::create_symlink("/dev/pts/999999", d / "ttyDANGLING");
    fs::create_symlink("/dev/pts/ptmx", d / "ttyPTMX");
    fs::create_symlink(pty.SlavePath(), d / "unitlink");
    std::ofstream(d / "ttyPLAIN").put('x');
    std::vector<std::string> names = PtyLinkNames(d);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ttyCHAIN", "ttyGOOD"}));
    EXPECT_TRUE(PtyLinkNames(d / "absent").empty());
}

TEST_F(SerialPty, EnumerationListsADevTtyLinkToAPtyAndOpensItByName) {
    const std::string name = "ttyORVELTEST" + std::to_string(::getpid());
    if (::access("/dev", W_OK) != 0) GTEST_SKIP() << "needs write access to /dev";
    ASSERT_FALSE(pty.LinkIn("/dev", name).empty());

    QtSerialPort port;
    FakePlatform fake;
    TForm1 form(Platform{port, fake.boxes, fake.clock, fake.web, fake.shell, fake.exePath});
    form.ComboBox1DropDown();
    const int index = form.ComboBox1->findText(QString::fromStdString(name));
    ASSERT_GE(index, 0) << "not listed";
    std::vector<std::string> listed;
    for (int i = 0; i < form.ComboBox1->count(); ++i) listed.push_back(form.ComboBox1->itemText(i).toStdString());
    EXPECT_EQ(listed, SortPortNames(listed));

    form.ComboBox1->SetItemIndex(index);
    form.ButtonVCP->click();
    ASSERT_TRUE(port.Connected());
    ASSERT_TRUE(pty.Write(kNack));
    EXPECT_TRUE(WaitUntil([&] { return form.ErrorCounters.Nacks == 1; }, 3000ms));
}

}  // namespace
}  // namespace orvel::testing
