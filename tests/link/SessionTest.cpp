// The device session without a window, against the simulated device: the
// connection over USB (the HID double) and over the network (the probe on
// 127.0.0.1), the version check, the reads of a new connection in order,
// polling, a lost link, an abnormal device and the preset transfers, with
// what the session asks its host to show.
#include "tests/link/SessionFixture.h"

#include "link/LinkGlobals.h"
#include "model/DataDefine.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/SimFrames.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using ::testing::Contains;

namespace {

constexpr uint8_t kRead = 0xA2;
constexpr uint8_t kWrite = 0xA1;

// The reads of a new connection, byte for byte: the quick reads, then (the
// version accepted) the stored presets' names, the records, and the current
// preset's blocks.
std::vector<std::vector<uint8_t>> ConnectReads() {
    std::vector<std::vector<uint8_t>> f = {RequestFrame(kRead, 0, 9, 204, 0), RequestFrame(kRead, 0, 9, 4, 0)};
    for (int slot = 1; slot <= 6; ++slot) f.push_back(RequestFrame(kRead, slot, 9, 0, 0));
    for (int record : {0, 52, 2, 5, 6, 7, 8, 9}) f.push_back(RequestFrame(kRead, 0, 9, record, 0));
    for (int in = 0; in < 4; ++in) f.push_back(RequestFrame(kRead, 0, 3, in, 0x77));
    for (int out = 0; out < 12; ++out) f.push_back(RequestFrame(kRead, 0, 4, out, 0x77));
    return f;
}

void ExpectStartsWith(const std::vector<sim::SeenFrame>& taken, const std::vector<std::vector<uint8_t>>& frames) {
    ASSERT_GE(taken.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(taken[i].raw, frames[i]);
    }
}

// ---------------------------------------------------------------------------
// Connecting and the version check
// ---------------------------------------------------------------------------

TEST_F(SessionTest, OverUsbItReadsInOrderAcceptsTheVersionAndLoadsThePreset) {
    device.SetImageBytes(kOutputBlockOffset + 3 * kOutputBlockSize + 5 * kItemSize + 2, {0xBC, 0x02});
    ConnectUsb();
    ExpectStartsWith(Taken(), ConnectReads());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkUsb);
    EXPECT_TRUE(session->IsConnected());
    EXPECT_EQ(g_DeviceVariant.load(), 1);
    // Band 5 of output 3 is 10 dB above its neighbour on the device.
    EXPECT_EQ(data->GetOut(3)->GetFilter(5)->GetGainCode(), data->GetOut(3)->GetFilter(4)->GetGainCode() + 100);
    EXPECT_EQ(host.calls.front(), "link up");
    // The connect read's transfer counts the 14 record reads and the 15
    // blocks before the last, and shows the window without a wait.
    EXPECT_THAT(host.calls, Contains("progress 29"));
    EXPECT_THAT(host.calls, Contains("transfer 0"));
    EXPECT_TRUE(host.said.empty());
    EXPECT_EQ(marks.Keys(), std::vector<std::string>{"/dev/hidraw3"});
}

TEST_F(SessionTest, OverTheNetworkTheProbeConnectsWhenTheModuleAnswers) {
    OfferNetwork();
    MakeSession();
    session->FirstConnect(); // no USB device: the probe watches the module
    ASSERT_TRUE(PumpUntil([&] { return DataLoaded(); }));
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNetwork);
    ExpectStartsWith(Taken(), ConnectReads());
    // Once the link is up the probe's ticks stop.
    EXPECT_FALSE(session->Net().IsProbeTicking());
    EXPECT_TRUE(host.said.empty());
}

TEST_F(SessionTest, AForeignVersionIsLetGoWithoutAWord) {
    device.SetVersion("ACME-X2.00");
    PlugUsb();
    MakeSession();
    session->FirstConnect();
    ASSERT_TRUE(PumpUntil([&] { return !session->IsConnected(); }));
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_DeviceVersionText), 12), std::string(12, ' '));
    EXPECT_TRUE(host.said.empty());
    EXPECT_EQ(host.calls.back(), "link down");
    // Only the quick reads went out.
    EXPECT_EQ(Taken().size(), 2u);
    EXPECT_TRUE(marks.Keys().empty());
}

TEST_F(SessionTest, WithNothingToOpenTheFirstAttemptLeavesTheLinkClosed) {
    MakeSession();
    session->FirstConnect();
    Pump();
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_TRUE(session->FreeUsbDevices().empty());
}

// ---------------------------------------------------------------------------
// Polling and losing the link
// ---------------------------------------------------------------------------

TEST_F(SessionTest, AnEditReachesTheDeviceAsItsItemAndIdleLinksAskForStatus) {
    ConnectUsb();
    const size_t before = device.FrameCount();
    WithDeviceLock([&] { data->GetOut(2)->GetFilter(5)->SetGainCode(300); });
    ASSERT_TRUE(PumpUntil([&] {
        for (const auto& f : Taken(device.Seen().size() - (device.FrameCount() - before)))
            if (f.group == 4 && f.channel == 2 && f.item == 5) return true;
        return false;
    }));
    const int band = kOutputBlockOffset + 2 * kOutputBlockSize + 5 * kItemSize;
    const auto image = device.Image();
    EXPECT_EQ(0, std::memcmp(image.data() + band, g_ParamImage + band, kItemSize));
    ASSERT_TRUE(PumpUntil([&] {
        const auto seen = device.Seen();
        return !seen.empty() && IsStatusRead(seen.back());
    }));
}

TEST_F(SessionTest, ASilentDeviceIsALostLinkThatIsSaidAndClosed) {
    ConnectUsb();
    host.calls.clear();
    device.SetSilent(true);
    ASSERT_TRUE(PumpUntil([&] { return !session->IsConnected(); }));
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_EQ(g_DeviceSynced.load(), 0);
    ASSERT_EQ(host.said.size(), 1u);
    EXPECT_EQ(host.said[0], std::string(session->Usb().UsbFailureText()));
    EXPECT_THAT(host.calls, Contains("clear 1"));
    EXPECT_EQ(session->Command().GetCount(), 0);
    EXPECT_TRUE(marks.Keys().empty());
}

TEST_F(SessionTest, AnEmptyDataReplyIsAnAbnormalDevice) {
    ConnectUsb();
    device.EmptyDataNext(1); // the next status record comes back empty
    ASSERT_TRUE(PumpUntil([&] { return !host.said.empty(); }));
    EXPECT_EQ(host.said[0], "Please Update the Firmware!");
    EXPECT_FALSE(session->IsConnected());
}

TEST_F(SessionTest, ClosingTheNetworkLinkKeepsNothingOfIt) {
    OfferNetwork();
    MakeSession();
    session->FirstConnect();
    ASSERT_TRUE(PumpUntil([&] { return DataLoaded(); }));
    session->Disconnect();
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_EQ(g_NetLinkUp.load(), 0);
    EXPECT_THAT(host.calls, Contains("clear 2"));
    EXPECT_EQ(host.calls.back(), "link down");
}

// ---------------------------------------------------------------------------
// Senders and transfers
// ---------------------------------------------------------------------------

TEST_F(SessionTest, NothingIsQueuedWhileNotConnected) {
    MakeSession();
    session->SendCommand(kRecordSources, 0);
    session->SendPresetSelect(2);
    session->SendPresetToDevice(0, true);
    session->SendAllPresetsToDevice();
    session->SendOutputBlock(3);
    EXPECT_EQ(session->Command().GetCount(), 0);
    EXPECT_TRUE(host.said.empty());
    // A stored preset asked for without a link is said.
    session->LoadDevicePreset(2);
    EXPECT_EQ(host.said.size(), 1u);
    EXPECT_EQ(session->Command().GetCount(), 0);
}

TEST_F(SessionTest, StoringAPresetOnTheDeviceSendsItsBlocksBetweenMarkers) {
    ConnectUsb();
    ASSERT_TRUE(PumpUntil([&] { return session->Command().GetCount() == 0; }));
    const size_t before = device.Seen().size();
    host.calls.clear();
    g_SysBlock5[kMasterOnByte] = 1;
    session->SendPresetToDevice(3, false);
    // The master off, the marker, the name, the map, 4 + 12 blocks, the
    // marker, the master on again.
    ASSERT_TRUE(PumpUntil([&] { return Taken(before).size() >= 23 && !g_TransferRunning.load(); }));
    const auto taken = Taken(before);
    std::vector<std::vector<uint8_t>> want = {RequestFrame(kWrite, 0, 9, 5, 0, {60, 0, 0, 55, 0, 0, 0, 0}),
                                              RequestFrame(kWrite, 0, 9, 97, 0, {1, 3, 0, 0, 0, 0, 0, 0})};
    ExpectStartsWith(taken, want);
    EXPECT_EQ(taken[2].slot, 3);
    EXPECT_EQ(taken[2].channel, kRecordPresetName);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(taken[5 + i].group, kGroupMusic);
    for (int o = 0; o < 12; ++o) EXPECT_EQ(taken[9 + o].channel, o);
    EXPECT_EQ(taken[21].raw, RequestFrame(kWrite, 0, 9, 97, 0, {0, 3, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(taken[22].raw, RequestFrame(kWrite, 0, 9, 5, 0, {60, 0, 0, 55, 0, 0, 1, 0}));
    // The device holds the current blocks as stored preset 3.
    const auto stored = device.StoredPreset(3);
    EXPECT_EQ(0, std::memcmp(stored.data() + kOutputBlockOffset, g_ParamImage + kOutputBlockOffset,
                             kOutputCount * kOutputBlockSize));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"progress 16 view", "preset transfer"}));
}

TEST_F(SessionTest, LoadingAStoredPresetReadsItBackAsTheCurrentData) {
    // Band 0 of output 7 in stored preset 4: 4 dB below 0 dB.
    device.SetStoredPresetBytes(4, kOutputBlockOffset + 7 * kOutputBlockSize + 2, {0x30, 0x02});
    ConnectUsb();
    ASSERT_TRUE(PumpUntil([&] { return session->Command().GetCount() == 0; }));
    host.calls.clear();
    session->LoadDevicePreset(4);
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_DEVICE_DATA_DONE) >= 2 && !g_TransferRunning.load(); }));
    EXPECT_EQ(data->GetOut(7)->GetFilter(0)->GetGainCode(), 160);
    EXPECT_EQ(g_SysBlock52[0], 4);
    // Fifteen blocks count before the last; the user waits for the window.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"progress 15", "transfer 1"}));
}

TEST_F(SessionTest, TheLongCommandWaitsForItsLateAnswer) {
    ConnectUsb();
    session->SendCommand(kRecordLongCommand, 0);
    EXPECT_EQ(g_TransferRunning.load(), 1);
    EXPECT_EQ(host.calls.back(), "factory transfer");
    ASSERT_TRUE(PumpUntil([&] { return !host.said.empty(); }));
    EXPECT_EQ(host.said[0], std::string(g_WifiResetOkText.en));
    EXPECT_EQ(g_TransferRunning.load(), 0);
    EXPECT_TRUE(session->IsConnected());
}

} // namespace
