// The firmware update against the simulated device: the steps in their
// order and byte for byte, whole updates over USB and the network with
// their progress, every fault at every step ending the update with its
// message and leaving a link on which a second update succeeds, cancels
// that end every wait at once, and the connection retries.
#include "link/FirmwareUpdate.h"

#include "tests/link/FirmwareTestSupport.h"
#include "tests/link/SessionFixture.h"
#include "tests/link/UpdateFiles.h"

#include <gmock/gmock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using sim::FirmwareFault;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// The update dialog as the port sees it: what it was asked to show.
class DisplayDouble : public IUpdateDisplay {
public:
    void ShowTip(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        tips_.push_back(text);
    }
    void ShowProgress(int pos, int upper) override {
        std::lock_guard<std::mutex> lock(mutex_);
        positions_.push_back(pos);
        upper_ = upper;
    }
    std::vector<std::string> Tips() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return tips_;
    }
    std::vector<int> Positions() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return positions_;
    }
    int Upper() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return upper_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> tips_;
    std::vector<int> positions_;
    int upper_ = 0;
};

enum class Transport { Usb, Net };

class FirmwareTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        env.timings.firmware = FastFirmwareTimings();
        g_LanguageFlag = 0;
    }
    void TearDown() override {
        if (session) session->Firmware().Display().Attach(nullptr);
        SessionTest::TearDown();
        for (const std::string& f : files)
            ::unlink(f.c_str());
        g_HexFilePath->clear();
        g_StateFlags[kFlagFirmwareMode] = 0;
        g_UsbDevicePathsCopy->clear();
    }

    void MakeDevice(Transport t) {
        transport = t;
        if (t == Transport::Usb) {
            PlugUsb();
        } else {
            OfferNetwork();
        }
        MakeSession();
        if (t == Transport::Net) session->Net().SetReachable(true);
        session->Firmware().Display().Attach(&display);
    }
    std::string UpdateFile(const std::vector<uint8_t>& bytes) {
        const std::string path = ::testing::TempDir() + "/fw-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(files.size()) + ".bin";
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        files.push_back(path);
        return path;
    }
    // As the dialog starts an update: the file, the old link closed, the kind, the first
    // connection.
    bool StartUpdate(const std::string& path) {
        g_HexFilePath = path;
        if (!session->LoadUpdateFile()) return false;
        session->DisconnectDevice();
        g_ConnectionKind = transport == Transport::Usb ? kLinkUsb : kLinkNetwork;
        g_StateFlags[kFlagKindChosenAgain] = 0;
        return transport == Transport::Usb ? session->ConnectFirmwareUsb("/dev/hidraw3")
                                           : session->ConnectFirmwareNetwork();
    }
    bool Ended() const {
        return !g_StateFlags[kFlagFirmwareMode].load() && !session->IsConnected() &&
               !session->Worker().HasWorker();
    }
    // Runs an update to its end; the messages said meanwhile.
    std::vector<std::string> RunUpdate(const std::vector<uint8_t>& file, int ms = 60000) {
        host.said.clear();
        EXPECT_TRUE(StartUpdate(UpdateFile(file)));
        EXPECT_TRUE(PumpUntil([&] { return Ended(); }, ms)) << "the update did not end";
        return host.said;
    }
    // The device's record once it has taken an end: over the network the
    // program does not wait for the device to answer it.
    sim::FirmwareRecord AfterRestart(int restarts) {
        EXPECT_TRUE(Eventually([&] { return device.Firmware().restarts >= restarts; }, 5000));
        return device.Firmware();
    }
    const std::vector<uint8_t> smallFile = ControllerUpdateFile(ControllerPart(100));

    Transport transport = Transport::Usb;
    DisplayDouble display;
    std::vector<std::string> files;
};

// Every step queued for an image, each step's frame as the device sees it,
// and how many steps each call queued; the steps are taken as if acknowledged.
struct Walk {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<int> codes;
    std::vector<int> perCall;
};

Walk WalkSteps(CFirmwareUpdate& fw, CKTVCommand& cmd) {
    Walk w;
    for (;;) {
        fw.QueueNextFirmwareStep();
        const int n = cmd.GetCount();
        if (n == 0) return w;
        w.perCall.push_back(n);
        while (CSendData* head = cmd.GetHead()) {
            w.codes.push_back(head->GetCommand());
            w.frames.emplace_back(head->GetData(), head->GetData() + head->GetLength());
            EXPECT_NE(head->GetProgressValue(), 0);
            EXPECT_EQ(head->GetRetry(), 0);
            cmd.RemoveHead();
        }
    }
}

std::vector<uint8_t> StepFrame(int code, std::vector<uint8_t> payload) {
    return RequestFrame(0xA1, 0, 9, code, 0, payload);
}

// ---------------------------------------------------------------------------
// Steps and frames
// ---------------------------------------------------------------------------

TEST_F(FirmwareTest, AFullFileGoesOutAsBurstEnterEraseDspStartDataEnd) {
    MakeSession();
    const auto dsp = FirmwareBytes(kDspImageSize, 5);
    const auto part = ControllerPart(49);
    UpdateImage image;
    const auto file = FullUpdateFile(dsp, &part);
    ASSERT_EQ(ParseUpdateFile(file.data(), file.size(), image), UpdateFileResult::Ok);
    // A linked output's frame leaves a link byte behind; no firmware step carries it.
    WithDeviceLock([] {
        g_LinkKey[0] = g_LinkKey[1] = 7;
        ASSERT_EQ(BuildItemPacket(kGroupOutput, 0, 5)->GetData()[10], 1);
    });
    session->Firmware().Load(image);
    const Walk w = WalkSteps(session->Firmware(), session->Command());
    WithDeviceLock([] { g_LinkKey[1] = 8; });

    ASSERT_EQ(w.codes.size(), 1u + 2 + 5958 + 1 + 2 + 1);
    EXPECT_EQ(w.codes[0], kStepBurst);
    EXPECT_EQ(w.frames[1], StepFrame(kStepEnter, std::vector<uint8_t>(16, 0)));
    EXPECT_EQ(w.frames[2], StepFrame(kStepErase, std::vector<uint8_t>(16, 0)));
    for (size_t i = 0; i < 5958; ++i) {
        const uint32_t address = static_cast<uint32_t>(44 * i);
        std::vector<uint8_t> payload = {static_cast<uint8_t>(address),
                                        static_cast<uint8_t>(address >> 8),
                                        static_cast<uint8_t>(address >> 16), 0};
        const size_t n = std::min<size_t>(44, dsp.size() - 44 * i);
        payload.insert(payload.end(), dsp.begin() + static_cast<long>(44 * i),
                       dsp.begin() + static_cast<long>(44 * i + n));
        payload.resize(48, 0); // the last step: 35 bytes, then zeros
        ASSERT_EQ(w.frames[3 + i], StepFrame(kStepDspData, payload)) << i;
    }
    const size_t c = 3 + 5958;
    EXPECT_EQ(w.frames[c], StepFrame(kStepStart, {part[0], part[1], part[2], part[3]}));
    EXPECT_EQ(w.frames[c + 1],
              StepFrame(kStepData, std::vector<uint8_t>(part.begin() + 4, part.begin() + 52)));
    std::vector<uint8_t> last(48, 0xFF);
    last[0] = part[52];
    EXPECT_EQ(w.frames[c + 2], StepFrame(kStepData, last));
    EXPECT_EQ(w.frames[c + 3], StepFrame(kStepEnd, {image.checkByte}));
    // The first call after the burst queues enter, erase and the first DSP
    // step; the controller's first call start and its first data step.
    EXPECT_EQ(w.perCall[0], 1);
    EXPECT_EQ(w.perCall[1], 3);
    EXPECT_EQ(w.perCall[5958], 1);
    EXPECT_EQ(w.perCall[5959], 2);
}

TEST_F(FirmwareTest, DspOnlyAndShortControllerFilesEndInTheCallOfTheirLastStep) {
    MakeSession();
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<int> lastCall;
    } cases[] = {
        // Its end carries the check byte of no controller image: the seed.
        {"DSP only",
         FullUpdateFile(FirmwareBytes(kDspImageSize), nullptr),
         {kStepDspData, kStepEnd}},
        // 48 bytes: one data step, no fill, and the end with it.
        {"controller image of 48 bytes",
         ControllerUpdateFile(ControllerPart(48)),
         {kStepEnter, kStepStart, kStepData, kStepEnd}},
        {"controller image of 49 bytes",
         ControllerUpdateFile(ControllerPart(49)),
         {kStepData, kStepEnd}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateImage image;
        ASSERT_EQ(ParseUpdateFile(c.file.data(), c.file.size(), image), UpdateFileResult::Ok);
        session->Firmware().Load(image);
        const Walk w = WalkSteps(session->Firmware(), session->Command());
        const std::vector<int> lastCall(w.codes.end() - w.perCall.back(), w.codes.end());
        EXPECT_EQ(lastCall, c.lastCall);
        EXPECT_EQ(w.frames.back(), StepFrame(kStepEnd, {image.checkByte}));
        if (image.hasController && image.controller.size() == 52) {
            EXPECT_EQ(w.frames[3],
                      StepFrame(kStepData, std::vector<uint8_t>(image.controller.begin() + 4,
                                                                image.controller.end())));
        }
    }
}

TEST_F(FirmwareTest, AFileThatIsNoUpdateIsSaidBeforeAnythingIsSent) {
    PlugUsb();
    MakeSession();
    transport = Transport::Usb;
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool missing;
    } cases[] = {
        {"controller part of 3 bytes", ControllerUpdateFile({1, 2, 3}), false},
        {"full size without WDSP", std::vector<uint8_t>(kFullLayoutSize + 8, 'W'), false},
        {"no such file", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.said.clear();
        const std::string path =
            c.missing ? ::testing::TempDir() + "/no-such-update.bin" : UpdateFile(c.file);
        EXPECT_FALSE(StartUpdate(path));
        EXPECT_THAT(host.said, ElementsAre("Update file error!"));
        EXPECT_EQ(host.calls.back(), "say -3") << "the prompt caption, no closing by itself";
        // A missing file's path is forgotten; a refused one's is kept.
        EXPECT_EQ(g_HexFilePath, c.missing ? "" : path);
        EXPECT_EQ(session->Firmware().DspLeft() + session->Firmware().ControllerLeft(), 0u);
    }
    EXPECT_EQ(device.FrameCount(), 0u);
    EXPECT_FALSE(session->IsConnected());
}

// ---------------------------------------------------------------------------
// Whole updates
// ---------------------------------------------------------------------------

class WholeUpdateTest : public FirmwareTest, public ::testing::WithParamInterface<Transport> {};

TEST_P(WholeUpdateTest, TheImagesArriveWholeAndTheBarEndsFull) {
    MakeDevice(GetParam());
    const auto dsp = FirmwareBytes(kDspImageSize, 11);
    const auto part = ControllerPart(1000);
    const auto said = RunUpdate(FullUpdateFile(dsp, &part));
    EXPECT_THAT(said, ElementsAre("Update successfully"));
    const sim::FirmwareRecord r = AfterRestart(1);
    EXPECT_THAT(r.errors, IsEmpty());
    EXPECT_GE(r.burstPairs, 32u);
    ASSERT_EQ(r.dsp.size(), 5958u * 44);
    EXPECT_TRUE(std::equal(dsp.begin(), dsp.end(), r.dsp.begin()));
    EXPECT_TRUE(
        std::all_of(r.dsp.begin() + kDspImageSize, r.dsp.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_THAT(r.start, ElementsAre(part[0], part[1], part[2], part[3]));
    ASSERT_EQ(r.controller.size(), 21u * 48);
    EXPECT_TRUE(std::equal(part.begin() + 4, part.end(), r.controller.begin()));
    EXPECT_EQ(r.checkByte, ControllerCheckByte(part));
    EXPECT_EQ(r.restarts, 1);
    // No second enter for the controller after a DSP part.
    EXPECT_EQ(std::count(r.steps.begin(), r.steps.end(), kStepEnter), 1);

    // The bar: one step per acknowledged step, full at the end; the range is the file's.
    const int total = session->Firmware().StepTotal();
    EXPECT_EQ(total,
              static_cast<int>((kDspImageSize + 9 + 1004 - 5 - kDspImageSize) / 48 + 5957 + 6));
    const auto positions = display.Positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), total);
    EXPECT_EQ(display.Upper(), total);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_THAT(display.Tips(),
                Contains(GetParam() == Transport::Usb ? "Connected Usb" : "Connected NetWork"));
    EXPECT_EQ(display.Tips().back(), "Update successfully");
    // Over USB every step is acknowledged; over the network the end is not waited for.
    EXPECT_EQ(session->Firmware().ReplyCount(),
              1 + 1 + 5958 + 1 + 21 + (GetParam() == Transport::Usb ? 1 : 0));
    // The link is closed as after any update; the device's mark is gone.
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_TRUE(marks.Keys().empty());
    EXPECT_EQ(g_LastFirmwareCode.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, WholeUpdateTest,
                         ::testing::Values(Transport::Usb, Transport::Net), [](const auto& info) {
                             return info.param == Transport::Usb ? "Usb" : "Net";
                         });

// The update-file writer that comes with the simulated device: the program
// takes each file it writes, and the simulated device takes the update whole.
TEST_F(FirmwareTest, TheSimulatedDeviceTakesWhatItsUpdateFileWriterWrites) {
    MakeDevice(Transport::Net);
    struct Case {
        const char* args;
        bool dsp;
        size_t controller; // the controller image's bytes
    } cases[] = {
        {"", false, 1024},
        {"--controller 48", false, 48},
        {"--dsp", true, 1024},
        {"--dsp --controller 0", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string path = ::testing::TempDir() + "/written-" + std::to_string(::getpid()) +
                                 "-" + std::to_string(files.size()) + ".bin";
        files.push_back(path);
        const std::string command =
            std::string(LUMARA_SIM_UPDATE_PROGRAM) + " " + c.args + " " + path + " > /dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        const size_t dspAt = 4, controllerAt = c.dsp ? kFullLayoutSize + 4 : 4;
        ASSERT_EQ(file.size(), c.controller ? controllerAt + 4 + c.controller : kFullLayoutSize);

        const sim::FirmwareRecord before = device.Firmware();
        host.said.clear();
        ASSERT_TRUE(StartUpdate(path));
        ASSERT_TRUE(PumpUntil([&] { return Ended(); }, 60000));
        EXPECT_THAT(host.said, ElementsAre("Update successfully"));
        const sim::FirmwareRecord r = AfterRestart(before.restarts + 1);
        EXPECT_EQ(r.errors.size(), before.errors.size());
        if (c.dsp) {
            ASSERT_EQ(r.dsp.size(), 5958u * 44);
            EXPECT_TRUE(std::equal(file.begin() + dspAt, file.begin() + dspAt + kDspImageSize,
                                   r.dsp.begin()));
        }
        if (c.controller) {
            EXPECT_TRUE(std::equal(r.start.begin(), r.start.end(), file.begin() + controllerAt));
            ASSERT_EQ(r.controller.size(), (c.controller + 47) / 48 * 48);
            EXPECT_TRUE(
                std::equal(file.begin() + controllerAt + 4, file.end(), r.controller.begin()));
            const std::vector<uint8_t> part(file.begin() + controllerAt, file.end());
            EXPECT_EQ(r.checkByte, ControllerCheckByte(part));
        }
    }
    // A file without an image is not written.
    const int status = std::system(
        (std::string(LUMARA_SIM_UPDATE_PROGRAM) + " --controller 0 /dev/null 2> /dev/null")
            .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

// ---------------------------------------------------------------------------
// A fault at every step
// ---------------------------------------------------------------------------

struct FaultCase {
    int step;
    FirmwareFault fault;
    bool usbFails; // the update ends with the failure over USB
    bool netFails; // and over the network
};

const char* FaultName(FirmwareFault f) {
    switch (f) {
    case FirmwareFault::Silence:
        return "Silence";
    case FirmwareFault::Repeat:
        return "Repeat";
    case FirmwareFault::Drop:
        return "Drop";
    case FirmwareFault::WrongReply:
        return "WrongReply";
    case FirmwareFault::Close:
        return "Close";
    case FirmwareFault::Reset:
        return "Reset";
    default:
        return "None";
    }
}

const char* StepName(int step) {
    switch (step) {
    case kStepBurst:
        return "Burst";
    case kStepEnter:
        return "Enter";
    case kStepErase:
        return "Erase";
    case kStepDspData:
        return "DspData";
    case kStepStart:
        return "Start";
    case kStepData:
        return "Data";
    case kStepEnd:
        return "End";
    default:
        return "Step";
    }
}

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << StepName(c.step) << ' ' << FaultName(c.fault);
}
void PrintTo(Transport t, std::ostream* os) {
    *os << (t == Transport::Usb ? "USB" : "network");
}

std::vector<FaultCase> FaultCases() {
    std::vector<FaultCase> out;
    for (int step :
         {kStepBurst, kStepEnter, kStepErase, kStepDspData, kStepStart, kStepData, kStepEnd}) {
        // A connection closed at every try (FIN): the step goes out again on
        // a new one, and the update ends once it has gone out twice.
        for (FirmwareFault f : {FirmwareFault::Silence, FirmwareFault::Repeat, FirmwareFault::Drop,
                                FirmwareFault::WrongReply, FirmwareFault::Close}) {
            // A stray answer to the burst is no answer to a step: the update goes on.
            const bool strayOnly = step == kStepBurst &&
                                   (f == FirmwareFault::Repeat || f == FirmwareFault::WrongReply);
            // Over the network the end is not waited for (the device restarts at once).
            out.push_back({step, f, !strayOnly, !strayOnly && step != kStepEnd});
        }
    }
    return out;
}

class FaultTest : public FirmwareTest,
                  public ::testing::WithParamInterface<std::tuple<Transport, FaultCase>> {};

TEST_P(FaultTest, EndsTheUpdateWithItsMessageAndASecondUpdateSucceeds) {
    const Transport t = std::get<0>(GetParam());
    const FaultCase c = std::get<1>(GetParam());
    MakeDevice(t);
    // DSP steps need a DSP part; the others a small controller-only file.
    const bool dspStep = c.step == kStepErase || c.step == kStepDspData;
    const auto part = ControllerPart(130); // three data steps
    const std::vector<uint8_t> file =
        dspStep ? FullUpdateFile(FirmwareBytes(kDspImageSize), &part) : ControllerUpdateFile(part);
    // Data steps fail at their third frame, every other step at its first.
    const int from = c.step == kStepDspData || c.step == kStepData ? 3 : 1;
    device.SetFirmwareFault(c.step, c.fault, from);
    const bool fails = t == Transport::Usb ? c.usbFails : c.netFails;

    const auto start = Clock::now();
    const auto said = RunUpdate(file, 20000);
    EXPECT_LT(MsSince(start), 10000);
    if (fails) {
        ASSERT_FALSE(said.empty());
        EXPECT_EQ(said[0], "The firmware update failed");
        EXPECT_EQ(display.Tips().back(), "The firmware update failed");
        EXPECT_THAT(said, ::testing::Not(Contains("Update successfully")));
        EXPECT_LT(display.Positions().empty() ? 0 : display.Positions().back(),
                  session->Firmware().StepTotal());
    } else {
        EXPECT_THAT(said, ElementsAre("Update successfully"));
    }
    // Nothing of the update is left on the link or in the worker.
    EXPECT_FALSE(session->Worker().HasWorker());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_EQ(session->Command().GetCount(), 0);
    EXPECT_EQ(g_LastFirmwareCode.load(), 0);

    device.ClearFirmwareFaults();
    // An update that went through has restarted the device (a faulty end never does).
    const sim::FirmwareRecord first = AfterRestart(!fails && c.step != kStepEnd ? 1 : 0);
    const auto second = RunUpdate(smallFile);
    EXPECT_THAT(second, ElementsAre("Update successfully"));
    const sim::FirmwareRecord r = AfterRestart(first.restarts + 1);
    const size_t errorsBefore = first.errors.size();
    EXPECT_EQ(r.errors.size(), errorsBefore);
    const auto want = ControllerPart(100);
    ASSERT_GE(r.controller.size(), want.size() - 4);
    EXPECT_TRUE(std::equal(want.begin() + 4, want.end(), r.controller.begin()));
    EXPECT_EQ(r.checkByte, ControllerCheckByte(want));
}

INSTANTIATE_TEST_SUITE_P(Steps, FaultTest,
                         ::testing::Combine(::testing::Values(Transport::Usb, Transport::Net),
                                            ::testing::ValuesIn(FaultCases())),
                         [](const auto& info) {
                             const FaultCase& c = std::get<1>(info.param);
                             return std::string(std::get<0>(info.param) == Transport::Usb ? "Usb"
                                                                                          : "Net") +
                                    StepName(c.step) + FaultName(c.fault);
                         });

// An erase asked for again goes out again, four times in all over USB; an
// answer that asks again never moves the bar.
TEST_F(FirmwareTest, ARepeatedEraseGoesOutFourTimesAndNeverCountsAsDone) {
    MakeDevice(Transport::Usb);
    const auto part = ControllerPart(10);
    device.SetFirmwareFault(kStepErase, FirmwareFault::Repeat);
    RunUpdate(FullUpdateFile(FirmwareBytes(kDspImageSize), &part));
    const auto steps = device.Firmware().steps;
    EXPECT_EQ(std::count(steps.begin(), steps.end(), kStepErase), 4);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), kStepDspData), 0);
    // Only the enter moved the bar.
    EXPECT_THAT(display.Positions(), ElementsAre(0, 1));
    EXPECT_THAT(display.Tips(), ::testing::Not(Contains("Programming Do not interrupt")));
}

// ---------------------------------------------------------------------------
// Cancelling
// ---------------------------------------------------------------------------

struct WaitCase {
    const char* name;
    Transport transport;
    int step;            // the step whose wait the cancel meets (255: the burst)
    FirmwareFault fault; // how the device keeps it waiting
};

void PrintTo(const WaitCase& c, std::ostream* os) {
    *os << c.name;
}

class CancelTest : public FirmwareTest, public ::testing::WithParamInterface<WaitCase> {
protected:
    void SetUp() override {
        FirmwareTest::SetUp();
        // The program's own waits: tens of seconds each.
        env.timings.firmware = FirmwareTimings();
    }
};

TEST_P(CancelTest, ACancelEndsTheWaitAtOnceAndASecondUpdateSucceeds) {
    const WaitCase c = GetParam();
    MakeDevice(c.transport);
    const auto part = ControllerPart(10);
    if (c.fault != FirmwareFault::None) device.SetFirmwareFault(c.step, c.fault);
    ASSERT_TRUE(StartUpdate(UpdateFile(FullUpdateFile(FirmwareBytes(kDspImageSize), &part))));
    // Until the device has taken the step (or, for the burst, the pairs).
    ASSERT_TRUE(PumpUntil(
        [&] {
            const auto r = device.Firmware();
            if (c.step == kStepBurst) return r.burstPairs >= 64;
            return std::count(r.steps.begin(), r.steps.end(), c.step) > 0;
        },
        15000));
    // The wait has begun.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Pump();
    host.said.clear();
    const auto start = Clock::now();
    g_UpdateTipOff = 1;
    session->CancelFirmwareUpdate();
    g_UpdateTipOff = 0;
    EXPECT_LT(MsSince(start), 1500);
    EXPECT_THAT(host.said, ElementsAre("The firmware update failed!"));
    EXPECT_TRUE(Ended());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);

    device.ClearFirmwareFaults();
    env.timings.firmware = FastFirmwareTimings();
    Pump();
    session.reset();
    MakeSession();
    if (c.transport == Transport::Net) session->Net().SetReachable(true);
    session->Firmware().Display().Attach(&display);
    EXPECT_THAT(RunUpdate(smallFile), ElementsAre("Update successfully"));
}

INSTANTIATE_TEST_SUITE_P(
    Waits, CancelTest,
    ::testing::Values(WaitCase{"UsbBurst", Transport::Usb, kStepBurst, FirmwareFault::None},
                      WaitCase{"UsbRestartAfterEnter", Transport::Usb, kStepEnter,
                               FirmwareFault::None},
                      WaitCase{"UsbErase", Transport::Usb, kStepErase, FirmwareFault::Silence},
                      WaitCase{"NetBurst", Transport::Net, kStepBurst, FirmwareFault::None},
                      WaitCase{"NetErase", Transport::Net, kStepErase, FirmwareFault::Silence}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Connection retries
// ---------------------------------------------------------------------------

TEST_F(FirmwareTest, AQuietRetryOnlyShowsItsTextAndTheLastOneSaysTheFailure) {
    struct Case {
        Transport transport;
        std::string quietTip;
        std::vector<std::string> said;
    } cases[] = {
        {Transport::Usb, "Connected Usb", {"Connection failure!", "The firmware update failed!"}},
        {Transport::Net,
         "Connected NetWork",
         {"Connection failure!", "The firmware update failed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quietTip);
        transport = c.transport;
        MakeSession();
        session->Firmware().Display().Attach(&display);
        session->Net().SetReachable(false); // no module, no device
        g_ConnectionKind = c.transport == Transport::Usb ? kLinkUsb : kLinkNetwork;
        host.said.clear();
        EXPECT_FALSE(session->RetryFirmwareConnect(true));
        EXPECT_EQ(display.Tips().back(), c.quietTip);
        EXPECT_THAT(host.said, IsEmpty());
        g_StateFlags[kFlagFirmwareMode] = 1;
        EXPECT_FALSE(session->RetryFirmwareConnect(false));
        Pump(); // the network's start failure comes as a message
        EXPECT_EQ(host.said, c.said);
        EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
        session->Firmware().Display().Attach(nullptr);
        session.reset();
    }
}

TEST_F(FirmwareTest, ARetryThatFindsTheDeviceRunsTheUpdate) {
    MakeDevice(Transport::Usb);
    g_HexFilePath = UpdateFile(smallFile);
    ASSERT_TRUE(session->LoadUpdateFile());
    g_ConnectionKind = kLinkUsb;
    ASSERT_TRUE(session->RetryFirmwareConnect(true));
    EXPECT_EQ(display.Upper(), session->Firmware().StepTotal());
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }, 20000));
    EXPECT_THAT(host.said, ElementsAre("Update successfully"));
    // A network retry whose ping found no module does not try.
    MakeDevice(Transport::Net);
    g_ConnectionKind = kLinkNetwork;
    EXPECT_FALSE(session->RetryFirmwareConnect(true, false));
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_TRUE(session->FirmwareModuleAnswers({}));
}

// ---------------------------------------------------------------------------
// Reads that end
// ---------------------------------------------------------------------------

// The engine's parts without a session, and one step at the head.
class FirmwareReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        ResetLinkGlobals();
        timings = FastTimings();
        timings.firmware = FastFirmwareTimings();
        g_MainView = &view;
    }
    void TearDown() override {
        fw.reset();
        worker.reset();
        net.reset();
        ResetLinkGlobals();
    }
    void Build() {
        net = std::make_unique<CNet_Socket>(adapters, pinger, timings);
        worker = std::make_unique<CLinkWorker>(cmd, usb, *net, poller, timings);
        fw = std::make_unique<CFirmwareUpdate>(cmd, usb, *net, *worker, timings);
        UpdateImage image;
        const auto file = ControllerUpdateFile(ControllerPart(10));
        ASSERT_EQ(ParseUpdateFile(file.data(), file.size(), image), UpdateFileResult::Ok);
        fw->Load(image);
        // Past the burst and the enter: the start step is the head.
        fw->QueueNextFirmwareStep();
        cmd.RemoveHead();
        fw->QueueNextFirmwareStep();
        cmd.RemoveHead();
        ASSERT_EQ(cmd.GetHead()->GetCommand(), kStepStart);
    }

    LinkTimings timings;
    RecordingView view;
    CKTVCommand cmd;
    sim::SimDevice device;
    sim::SimHidBackend hid;
    CMemorySettingsGroup marks;
    CUsbLink usb{hid, marks};
    AdaptersDouble adapters;
    PingerDouble pinger;
    PollerDouble poller;
    std::unique_ptr<CNet_Socket> net;
    std::unique_ptr<CLinkWorker> worker;
    std::unique_ptr<CFirmwareUpdate> fw;
};

TEST_F(FirmwareReadTest, AUsbReadWhoseLinkDropsBetweenWaitsIsNotDone) {
    hid.Plug("/dev/hidraw1", &device); // never saw a burst: it answers no step
    g_UsbDevicePath = "/dev/hidraw1";
    ASSERT_TRUE(usb.OpenHidDevice());
    Build();
    ASSERT_TRUE(fw->UsbFirmwareWrite());
    std::thread drop([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        g_UsbLinkUp = 0; // as the removal handling does
    });
    const auto start = Clock::now();
    EXPECT_FALSE(fw->UsbFirmwareRead());
    drop.join();
    EXPECT_LT(MsSince(start), 400);
    EXPECT_EQ(fw->ReplyCount(), 0);
    EXPECT_EQ(cmd.GetHead()->GetCommand(), kStepStart);
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0) << "the removal handling ends the link, not the read";
}

// A module that answers every step with bytes that never make a frame.
class BabblingServer {
public:
    BabblingServer() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_, 4);
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~BabblingServer() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    int port = 0;

private:
    void Run() {
        std::vector<int> clients;
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 5) > 0) clients.push_back(accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC));
            const uint8_t noise[8] = {0x6B, 0x6B, 0x01, 0x02, 0x6B, 0x00, 0x33, 0x44};
            for (int c : clients)
                send(c, noise, sizeof noise, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        for (int c : clients)
            close(c);
    }
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(FirmwareReadTest, ANetworkReadEndsAtItsStepsTimeOutWhateverArrives) {
    BabblingServer babbler;
    setenv("LUMARA_DEVICE_ADDRESS", ("127.0.0.1:" + std::to_string(babbler.port)).c_str(), 1);
    timings.firmware.netStartTimeout = 300;
    Build();
    net->SetReachable(true);
    ASSERT_TRUE(net->Connect());
    ASSERT_TRUE(fw->NetFirmwareWrite());
    const auto start = Clock::now();
    // Timed out: connected again, the step stays at the head to go out again.
    EXPECT_TRUE(fw->NetFirmwareRead());
    EXPECT_GE(MsSince(start), 250);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(fw->ReplyCount(), 0);
    EXPECT_EQ(cmd.GetHead()->GetCommand(), kStepStart);
    unsetenv("LUMARA_DEVICE_ADDRESS");
}

} // namespace
