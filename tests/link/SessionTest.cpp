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

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

using ::testing::Contains;

namespace {

constexpr uint8_t kRead = 0xA2;
constexpr uint8_t kWrite = 0xA1;

// The reads of a new connection, byte for byte: the quick reads, then (the
// version accepted) the stored presets' names, the records, and the current
// preset's blocks.
std::vector<std::vector<uint8_t>> ConnectReads() {
    std::vector<std::vector<uint8_t>> f = {RequestFrame(kRead, 0, 9, 204, 0),
                                           RequestFrame(kRead, 0, 9, 4, 0)};
    for (int slot = 1; slot <= 6; ++slot)
        f.push_back(RequestFrame(kRead, slot, 9, 0, 0));
    for (int record : {0, 52, 2, 5, 6, 7, 8, 9})
        f.push_back(RequestFrame(kRead, 0, 9, record, 0));
    for (int in = 0; in < 4; ++in)
        f.push_back(RequestFrame(kRead, 0, 3, in, 0x77));
    for (int out = 0; out < 12; ++out)
        f.push_back(RequestFrame(kRead, 0, 4, out, 0x77));
    return f;
}

void ExpectStartsWith(const std::vector<sim::SeenFrame>& taken,
                      const std::vector<std::vector<uint8_t>>& frames) {
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
    device.SetImageBytes(kOutputBlockOffset + 3 * kOutputBlockSize + 5 * kItemSize + 2,
                         {0xBC, 0x02});
    ConnectUsb();
    ExpectStartsWith(Taken(), ConnectReads());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkUsb);
    EXPECT_TRUE(session->IsConnected());
    EXPECT_EQ(g_DeviceVariant.load(), 1);
    // Band 5 of output 3 is 10 dB above its neighbour on the device.
    EXPECT_EQ(data->GetOut(3)->GetFilter(5)->GetGainCode(),
              data->GetOut(3)->GetFilter(4)->GetGainCode() + 100);
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
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_DeviceRecords.Bytes().versionText), 12),
              std::string(12, ' '));
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
    g_DeviceRecords.Bytes().master[kMasterOnByte] = 1;
    session->SendPresetToDevice(3, false);
    // The master off, the marker, the name, the map, 4 + 12 blocks, the
    // marker, the master on again.
    ASSERT_TRUE(PumpUntil([&] { return Taken(before).size() >= 23 && !g_TransferRunning.load(); }));
    const auto taken = Taken(before);
    std::vector<std::vector<uint8_t>> want = {
        RequestFrame(kWrite, 0, 9, 5, 0, {60, 0, 0, 55, 0, 0, 0, 0}),
        RequestFrame(kWrite, 0, 9, 97, 0, {1, 3, 0, 0, 0, 0, 0, 0})};
    ExpectStartsWith(taken, want);
    EXPECT_EQ(taken[2].slot, 3);
    EXPECT_EQ(taken[2].channel, kRecordPresetName);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(taken[5 + i].group, kGroupMusic);
    for (int o = 0; o < 12; ++o)
        EXPECT_EQ(taken[9 + o].channel, o);
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
    ASSERT_TRUE(
        PumpUntil([&] { return Count(WM_DEVICE_DATA_DONE) >= 2 && !g_TransferRunning.load(); }));
    EXPECT_EQ(data->GetOut(7)->GetFilter(0)->GetGainCode(), 160);
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 4);
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

// ---------------------------------------------------------------------------
// Disconnecting
// ---------------------------------------------------------------------------

TEST_F(SessionTest, DisconnectingClosesTheLinkAtOnceAndTheDevicesHandleAfterThePause) {
    env.timings.closePause = 3000;
    ConnectUsb();
    std::vector<std::pair<int, std::function<void()>>> later;
    session->SetDeferrer(
        [&](int ms, std::function<void()> task) { later.emplace_back(ms, std::move(task)); });
    const std::string path = "/dev/hidraw3";
    std::shared_ptr<sim::SimHidDevice> first = hid.LastOpened(path);
    session->Disconnect();
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(g_ConnectionKind.load(), kLinkNone);
    EXPECT_EQ(host.calls.back(), "link down");
    EXPECT_TRUE(marks.Keys().empty());
    // The device's handle stays open for the pause; nothing here sat through it.
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].first, 3000);
    const long held = first.use_count(); // the backend's, the session's and this one
    later[0].second();
    EXPECT_EQ(first.use_count(), held - 1);

    // A connection within a pause closes the held handle first; that pause
    // then ends without touching the new link.
    ASSERT_TRUE(session->ConnectUsbPath(path));
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_DEVICE_DATA_DONE) >= 2; }));
    std::shared_ptr<sim::SimHidDevice> second = hid.LastOpened(path);
    session->Disconnect();
    ASSERT_EQ(later.size(), 2u);
    ASSERT_TRUE(session->ConnectUsbPath(path));
    EXPECT_EQ(second.use_count(), 1); // only this test holds the old handle
    EXPECT_NE(hid.LastOpened(path), second);
    later[1].second();
    EXPECT_TRUE(session->IsConnected());
    EXPECT_TRUE(session->Usb().IsOpen());
    ASSERT_TRUE(PumpUntil([&] { return Count(WM_DEVICE_DATA_DONE) >= 3; }));
}

// ---------------------------------------------------------------------------
// Settings the device has not had
// ---------------------------------------------------------------------------

class UnsentChangesTest : public SessionTest {
protected:
    static constexpr size_t kBand = kOutputBlockOffset + 2 * kOutputBlockSize + 5 * kItemSize;

    // Made while no link is open: a band of output 2, the master volume (the
    // view notes its record), and a byte of record 8, which no preset
    // transfer carries (sent by its command, as the pages do).
    void ChangeWithoutALink() {
        WithDeviceLock([&] {
            data->GetOut(2)->GetFilter(5)->SetGainCode(345);
            PutU16(g_DeviceRecords.Bytes().master, 42);
            g_DeviceRecords.Bytes().sourceSetup[5] = 0x33;
        });
        session->NoteUnsentRecord(kRecordMaster);
        session->SendCommand(kRecordSourceSetup, 0);
        EXPECT_EQ(session->Command().GetCount(), 0);
        EXPECT_TRUE(session->HasUnsentChanges());
    }
    int Questions() const {
        return static_cast<int>(std::count(host.calls.begin(), host.calls.end(), "ask"));
    }
    int BandOnDevice() const { return GetU16(device.Image().data() + kBand + 2) - 400; }
    using Head = std::tuple<int, int, int, int>; // command, slot, group, channel
    static std::vector<Head> Heads(const std::vector<sim::SeenFrame>& frames) {
        std::vector<Head> out;
        for (const auto& f : frames)
            out.emplace_back(f.command, f.slot, f.group, f.channel);
        return out;
    }
    static std::vector<Head> Heads(const std::vector<std::vector<uint8_t>>& frames) {
        std::vector<Head> out;
        for (const auto& f : frames)
            out.emplace_back(f[4], f[6], f[7], f[8]);
        return out;
    }
};

TEST_F(UnsentChangesTest, SentTheyGoAsAPresetLoadSendsThemAndComeBackWithTheDevicesData) {
    PlugUsb();
    MakeSession();
    EXPECT_FALSE(session->HasUnsentChanges()); // the model's own start is nothing to ask about
    ChangeWithoutALink();
    host.ask = [&] {
        // Asked before the device's data could replace anything.
        EXPECT_EQ(Taken().size(), 2u);
        EXPECT_EQ(data->GetOut(2)->GetFilter(5)->GetGainCode(), 345);
        return true;
    };
    session->FirstConnect();
    ASSERT_TRUE(PumpUntil([&] { return DataLoaded() && session->Command().GetCount() == 0; }));
    EXPECT_EQ(Questions(), 1);

    // The quick reads; the current preset with the master muted meanwhile;
    // record 8; then the reads of every connection.
    const std::vector<std::vector<uint8_t>> reads = ConnectReads();
    std::vector<Head> want = Heads(std::vector<std::vector<uint8_t>>{reads[0], reads[1]});
    for (int record : {5, 97, 0, 6, 7})
        want.emplace_back(kWrite, 0, 9, record);
    for (int in = 0; in < 4; ++in)
        want.emplace_back(kWrite, 0, 3, in);
    for (int out = 0; out < 12; ++out)
        want.emplace_back(kWrite, 0, 4, out);
    for (int record : {97, 5, 8})
        want.emplace_back(kWrite, 0, 9, record);
    const std::vector<Head> rest =
        Heads(std::vector<std::vector<uint8_t>>(reads.begin() + 2, reads.end()));
    want.insert(want.end(), rest.begin(), rest.end());
    const auto taken = Taken();
    EXPECT_EQ(Heads(taken), want);
    ASSERT_GE(taken.size(), 25u);
    EXPECT_EQ(taken[2].payload[6], 0);
    EXPECT_EQ(taken[24].raw,
              RequestFrame(kWrite, 0, 9, 5, 0,
                           std::vector<uint8_t>(g_DeviceRecords.Bytes().master,
                                                g_DeviceRecords.Bytes().master + 8)));

    // The device holds all of them; the window, loaded from the device, too.
    EXPECT_EQ(BandOnDevice(), 345);
    EXPECT_EQ(GetS16(device.Record(5).data()), 42);
    EXPECT_EQ(device.Record(8)[5], 0x33);
    EXPECT_EQ(data->GetOut(2)->GetFilter(5)->GetGainCode(), 345);
    EXPECT_EQ(GetS16(g_DeviceRecords.Bytes().master), 42);
    EXPECT_FALSE(session->HasUnsentChanges());
}

TEST_F(UnsentChangesTest, TakingTheDevicesDataConnectsFrameForFrameAsWithoutThem) {
    PlugUsb();
    MakeSession();
    const int onDevice = BandOnDevice();
    ChangeWithoutALink();
    session->FirstConnect(); // the host answers: the device's data
    ASSERT_TRUE(PumpUntil([&] { return DataLoaded() && session->Command().GetCount() == 0; }));
    EXPECT_EQ(Questions(), 1);
    const std::vector<std::vector<uint8_t>> reads = ConnectReads();
    const auto taken = Taken();
    ASSERT_EQ(taken.size(), reads.size());
    for (size_t i = 0; i < reads.size(); ++i)
        EXPECT_EQ(taken[i].raw, reads[i]) << i;
    EXPECT_EQ(data->GetOut(2)->GetFilter(5)->GetGainCode(), onDevice);
    EXPECT_NE(GetS16(g_DeviceRecords.Bytes().master), 42);
    EXPECT_FALSE(session->HasUnsentChanges());
}

TEST_F(UnsentChangesTest, TheyWaitThroughARefusedVersionAndALinkLostWhileTheUserDecides) {
    PlugUsb();
    MakeSession();
    ChangeWithoutALink();
    // A device of another family is let go without a question.
    device.SetVersion("ACME-X2.00");
    session->FirstConnect();
    ASSERT_TRUE(PumpUntil([&] { return !session->IsConnected(); }));
    EXPECT_EQ(Questions(), 0);
    EXPECT_TRUE(session->HasUnsentChanges());

    // The link drops while the question is open; the answer comes after.
    device.SetVersion("VELK-FV1.00");
    host.ask = [&] {
        device.SetSilent(true);
        EXPECT_TRUE(PumpUntil([&] { return !session->IsConnected(); }));
        return true;
    };
    session->FirstConnect();
    ASSERT_TRUE(PumpUntil([&] { return Questions() == 1 && !session->IsConnected(); }));
    EXPECT_EQ(session->Command().GetCount(), 0);
    for (const auto& f : Taken())
        EXPECT_EQ(f.command, kRead);
    EXPECT_TRUE(session->HasUnsentChanges());
    EXPECT_EQ(data->GetOut(2)->GetFilter(5)->GetGainCode(), 345);

    // The next connection asks again, and they reach the device.
    device.SetSilent(false);
    host.ask = [] { return true; };
    session->FirstConnect();
    ASSERT_TRUE(PumpUntil([&] { return DataLoaded() && session->Command().GetCount() == 0; }));
    EXPECT_EQ(Questions(), 2);
    EXPECT_EQ(BandOnDevice(), 345);
    EXPECT_FALSE(session->HasUnsentChanges());
}

// ---------------------------------------------------------------------------
// Edits a closing link had not delivered
// ---------------------------------------------------------------------------

enum class LinkEnd { Lost, Abnormal, Removed, Disconnected };

std::string LinkEndName(const ::testing::TestParamInfo<LinkEnd>& info) {
    static const char* const kNames[] = {"Lost", "Abnormal", "Removed", "Disconnected"};
    return kNames[static_cast<int>(info.param)];
}

class ClosingLinkTest : public UnsentChangesTest {
protected:
    static constexpr const char* kPath = "/dev/hidraw3";

    // The device stops answering and storing what it sees; the status
    // request in flight, if any, stays the queue's head.
    void SilenceDevice() {
        device.SetSilent(true);
        silencedAt = device.Seen().size();
    }
    // Edits while the queue holds a head the device will never answer: a
    // band of output 2 the poller cannot take yet (a mark in the model) and
    // record 8, queued by its command.
    void EditBehindAnUnansweredHead() {
        WithDeviceLock([&] {
            data->GetOut(2)->GetFilter(5)->SetGainCode(345);
            g_DeviceRecords.Bytes().sourceSetup[5] = 0x33;
            session->SendCommand(kRecordSourceSetup, 0);
        });
        ASSERT_EQ(g_UnsentEdits.load(), 0); // made while the device's data was in step
    }
    void EndLink(LinkEnd how) {
        switch (how) {
        case LinkEnd::Lost:
            ASSERT_TRUE(PumpUntil([&] { return !session->IsConnected(); }));
            break;
        case LinkEnd::Abnormal:
            session->OnDeviceAbnormal();
            break;
        case LinkEnd::Removed:
            hid.Unplug(kPath);
            session->Usb().OnDeviceChange({HotplugEvent::Removal, kPath});
            break;
        case LinkEnd::Disconnected:
            session->Disconnect();
            break;
        }
        ASSERT_FALSE(session->IsConnected());
    }
    // The device is back and answers; until its data is loaded.
    void ConnectAgain(LinkEnd how) {
        device.SetSilent(false);
        if (how == LinkEnd::Removed) PlugUsb();
        reconnectedAt = device.Seen().size();
        const int loads = Count(WM_DEVICE_DATA_DONE);
        session->FirstConnect();
        ASSERT_TRUE(PumpUntil([&] {
            return Count(WM_DEVICE_DATA_DONE) > loads && g_DeviceSynced.load() &&
                   !g_TransferRunning.load();
        }));
    }

    size_t silencedAt = 0;
    size_t reconnectedAt = 0;
};

class EditsLeftByAClosingLinkTest : public ClosingLinkTest,
                                    public ::testing::WithParamInterface<LinkEnd> {};

TEST_P(EditsLeftByAClosingLinkTest, AreAskedAboutAtTheNextConnectionAndYesDeliversThem) {
    ConnectUsb();
    SilenceDevice();
    EditBehindAnUnansweredHead();
    const ItemRecord band = data->GetOut(2)->GetEq().PackBand(5);
    EndLink(GetParam());
    EXPECT_TRUE(session->HasUnsentChanges());
    EXPECT_EQ(data->GetOut(2)->GetFilter(5)->GetGainCode(), 345);

    host.ask = [] { return true; };
    ConnectAgain(GetParam());
    EXPECT_EQ(Questions(), 1);
    const auto image = device.Image();
    EXPECT_TRUE(std::equal(band.begin(), band.end(), image.begin() + static_cast<long>(kBand)));
    EXPECT_EQ(device.Record(8)[5], 0x33);
    EXPECT_FALSE(session->HasUnsentChanges());
}

// Reads, the status request and a stored preset's read (with the master
// muted for it) are no edits; nor is an edit the device has answered.
TEST_P(EditsLeftByAClosingLinkTest, WithNothingButReadsPendingTheNextConnectionAsksNothing) {
    ConnectUsb();
    WithDeviceLock([&] { data->GetOut(2)->GetFilter(5)->SetGainCode(345); });
    // Answered, and so is the name the edit makes "Custom".
    ASSERT_TRUE(PumpUntil([&] {
        return BandOnDevice() == 345 && Count(WM_PRESET_NAME_CUSTOM) > 0 &&
               !g_SendCmd0Pending.load();
    }));
    const size_t named = device.Seen().size();
    ASSERT_TRUE(PumpUntil([&] { return device.Seen().size() > named + 1; }));
    SilenceDevice();
    ASSERT_TRUE(PumpUntil([&] { return device.Seen().size() > silencedAt; })); // a status request
    session->LoadDevicePreset(2);
    EndLink(GetParam());
    EXPECT_FALSE(session->HasUnsentChanges());

    ConnectAgain(GetParam());
    EXPECT_EQ(Questions(), 0);
    const auto taken = Taken(reconnectedAt);
    const auto reads = ConnectReads();
    ASSERT_EQ(taken.size(), reads.size());
    for (size_t i = 0; i < reads.size(); ++i)
        EXPECT_EQ(taken[i].raw, reads[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(EveryEnd, EditsLeftByAClosingLinkTest,
                         ::testing::Values(LinkEnd::Lost, LinkEnd::Abnormal, LinkEnd::Removed,
                                           LinkEnd::Disconnected),
                         LinkEndName);

// A block of the current data still queued counts by itself, without a
// mark in the model.
TEST_F(ClosingLinkTest, AQueuedBlockCountsAsAnEdit) {
    ConnectUsb();
    SilenceDevice();
    session->SendOutputBlock(4);
    EXPECT_FALSE(data->HasPendingChanges());
    EndLink(LinkEnd::Disconnected);
    EXPECT_TRUE(session->HasUnsentChanges());
}

} // namespace
