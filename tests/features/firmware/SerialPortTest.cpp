// The serial transport over a pseudo-terminal: the port opens with its line
// settings, the engine's head goes out whole, a reply takes it, silence is
// written again and then a lost link; and the listing's names.
#include "features/firmware/SerialPort.h"

#include "link/KTVCommand.h"
#include "link/LinkGlobals.h"
#include "model/FrameBuilder.h"
#include "controls/MessageBox.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/SimFrames.h"

#include <gmock/gmock.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A pseudo-terminal: the test holds the master, the port opens the slave.
class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const char* name = ptsname(master_);
        if (name) slave_ = name;
        // Raw on the master's side too: no echo, no line discipline.
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~Pty() {
        if (master_ >= 0) close(master_);
    }
    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& Slave() const { return slave_; }
    // Reads until n bytes are in or ms have passed.
    std::vector<uint8_t> Read(size_t n, int ms = 2000) {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0) continue;
            uint8_t buf[256];
            const ssize_t k = read(master_, buf, sizeof buf);
            if (k > 0) out.insert(out.end(), buf, buf + k);
        }
        return out;
    }
    void Write(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

private:
    int master_ = -1;
    std::string slave_;
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLinkGlobals();
        ASSERT_TRUE(pty.Ok());
        g_MainView = &view;
        cmd.SetNotifyWnd(&view);
        timings.replyWait = 100;
        timings.afterWrite = 1;
        previous = CMessageBox::SetResponder([this](const CMessageBox::Shown& shown) {
            boxes.push_back(shown.text.toStdString());
            return CMessageBox::Action::Ok;
        });
    }
    void TearDown() override {
        port.reset();
        CMessageBox::SetResponder(previous);
        ResetLinkGlobals();
    }
    void OpenPort() {
        port = std::make_unique<CSerialPort>(timings);
        port->SetCommand(&cmd);
        ASSERT_TRUE(port->Open(nullptr, pty.Slave(), 57600, 'N', 8, 1, 9, 512));
        ASSERT_TRUE(port->StartMonitor());
        ASSERT_TRUE(Eventually([&] { return port->IsMonitorRunning(); }, 2000));
    }

    Pty pty;
    RecordingView view;
    CKTVCommand cmd;
    SerialTimings timings;
    std::unique_ptr<CSerialPort> port;
    std::vector<std::string> boxes;
    CMessageBox::Responder previous;
};

TEST_F(SerialPortTest, ItOpensWithItsLineSettingsAndClosesAgain) {
    OpenPort();
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetEventMask(), 9u);
    EXPECT_EQ(port->GetBufferSize(), 512);
    const int fd = open(pty.Slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    close(fd);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_TRUE(port->Close());
    EXPECT_FALSE(port->IsOpen());
    EXPECT_FALSE(port->IsMonitorRunning());
    // Opened again, as the view would.
    ASSERT_TRUE(port->Open(nullptr, pty.Slave(), 57600, 'N', 8, 1, 9, 512));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SerialPortTest, APortThatIsNotThereOrALineThatCannotBeIsRefused) {
    CSerialPort p(timings);
    EXPECT_FALSE(p.Open(nullptr, "/dev/no-such-serial-port", 57600, 'N', 8, 1, 9, 512));
    EXPECT_FALSE(p.IsOpen());
    EXPECT_TRUE(boxes.empty()) << "a port that does not open is only refused";
    EXPECT_FALSE(p.Open(nullptr, pty.Slave(), 57600, 'Q', 8, 1, 9, 512));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_THAT(boxes[0], ::testing::HasSubstr("BuildCommDCB()"));
    EXPECT_THAT(boxes[0], ::testing::HasSubstr(pty.Slave()));
}

TEST_F(SerialPortTest, TheHeadGoesOutWholeAndItsReplyTakesIt) {
    OpenPort();
    PacketPtr frame = BuildSystemReadPacket(kRecordSources, 0);
    const std::vector<uint8_t> bytes(frame->GetData(), frame->GetData() + frame->GetLength());
    cmd.AddPacket(std::move(frame));
    port->RequestWrite();
    EXPECT_EQ(pty.Read(bytes.size()), bytes);
    // The device's data reply: the same layout, 'S' and the record.
    pty.Write(RequestFrame('S', 0, kGroupSystem, kRecordSources, 0, {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(Eventually([&] { return cmd.GetCount() == 0; }, 2000));
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[7], 8);
    EXPECT_FALSE(port->HasFailed());
}

TEST_F(SerialPortTest, ASilentDeviceIsWrittenAgainThenTheLinkIsLost) {
    OpenPort();
    PacketPtr frame = BuildSystemReadPacket(kRecordSources, 0);
    const size_t n = static_cast<size_t>(frame->GetLength());
    cmd.AddPacket(std::move(frame));
    port->RequestWrite();
    // Four writes in all, then the link is lost with the serial link's mark.
    EXPECT_EQ(pty.Read(4 * n, 3000).size(), 4 * n);
    ASSERT_TRUE(view.WaitFor(WM_LINK_LOST, 1, 3000));
    EXPECT_THAT(view.All(), ::testing::Contains(Posted(WM_LINK_LOST, 0, 3)));
    EXPECT_TRUE(port->HasFailed());
    EXPECT_TRUE(pty.Read(1, 300).empty()) << "nothing more goes out";
}

TEST(SerialPortListTest, ARecordShowsItsPortNameAndADescriptionWithoutItsPort) {
    SerialPortInfo r;
    r.portName = "COM7";
    NormaliseSerialPortRecord(r);
    EXPECT_EQ(r.displayName, "COM7");
    EXPECT_EQ(r.description, "COM7");
    SerialPortInfo named;
    named.portName = "COM3";
    named.displayName = "USB Serial Port (COM3)";
    NormaliseSerialPortRecord(named);
    EXPECT_EQ(named.description, "USB Serial Port");
    // The listing itself gives every port a display name.
    std::vector<SerialPortInfo> ports;
    ListSerialPorts(ports, false);
    for (const SerialPortInfo& p : ports) {
        EXPECT_FALSE(p.displayName.empty());
        EXPECT_FALSE(p.devicePath.empty());
    }
}

} // namespace
