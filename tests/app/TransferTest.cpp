// Whole presets between the view and the simulated device: each transfer
// queues its packets in order with their progress values and notify flags,
// the device takes exactly those frames, and the transfer ends with the
// device (or the program) holding the data.
#include "tests/app/DeviceTestSupport.h"

#include "files/PresetJson.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/BitmapSlider.h"
#include "controls/SkinButtonBase.h"
#include "controls/SpinBtn.h"
#include "model/FrameBuilder.h"
#include "model/KTV_Data.h"
#include "model/SpeakerTypes.h"

#include <gmock/gmock.h>

#include <cstring>
#include <map>
#include <string>
#include <typeinfo>

namespace {

constexpr uint8_t kRead = 0xA2;
constexpr uint8_t kWrite = 0xA1;
constexpr int kNone = -1; // no progress value: a packet outside the numbering

// One queued packet as the test reads it.
struct Queued {
    std::vector<uint8_t> raw;
    int progress = 0;
    int block = 0;
    int sent = 0;
    int done = 0;
    int longWait = 0;
};

std::vector<Queued> Snapshot(const CKTVCommand& cmd) {
    std::vector<Queued> out;
    cmd.ForEachPacket([&](const CSendData& p) {
        out.push_back({std::vector<uint8_t>(p.GetData(), p.GetData() + p.GetLength()),
                       p.GetProgressValue(), p.GetBlockFlag(), p.IsNotifySent(), p.IsNotifyDone(),
                       p.GetLongWait()});
    });
    return out;
}

// What a packet must be: frame fields, its progress value (kNone: not part of
// the numbering) and its notify flag, and the first bytes of its payload.
struct Want {
    uint8_t command;
    int slot, group, channel, item;
    int progress = kNone;
    int notify = 0; // 1 when sent, 2 when done
    std::vector<uint8_t> payloadStart = {};
};

Want Sys(int code, int slot = 0, std::vector<uint8_t> payload = {}) {
    return {kWrite, slot, 9, code, 0, kNone, 0, std::move(payload)};
}
Want SysP(int code, int slot, int progress) {
    return {kWrite, slot, 9, code, 0, progress};
}
Want Block(int slot, int group, int index, int progress, int notify = 0) {
    return {kWrite, slot, group, index, 0, progress, notify};
}
Want Read(int slot, int group, int index, int item, int progress, int notify = 0) {
    return {kRead, slot, group, index, item, progress, notify};
}
Want Item(int group, int channel, int item) {
    return {kWrite, 0, group, channel, item};
}

void ExpectQueued(const std::vector<Queued>& got, const std::vector<Want>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("packet " + std::to_string(i));
        const Queued& q = got[i];
        const Want& w = want[i];
        ASSERT_GE(q.raw.size(), 16u);
        EXPECT_EQ(q.raw[4], w.command);
        EXPECT_EQ(q.raw[6], w.slot);
        EXPECT_EQ(q.raw[7], w.group);
        EXPECT_EQ(q.raw[8], w.channel);
        EXPECT_EQ(q.raw[9], w.item);
        if (w.progress == kNone) {
            EXPECT_EQ(q.progress, 0);
            EXPECT_EQ(q.block, 0);
        } else {
            EXPECT_EQ(q.progress, w.progress);
            EXPECT_EQ(q.block, 1);
        }
        EXPECT_EQ(q.sent, w.notify == 1 ? 1 : 0);
        EXPECT_EQ(q.done, w.notify == 2 ? 1 : 0);
        for (size_t k = 0; k < w.payloadStart.size(); ++k)
            EXPECT_EQ(q.raw[14 + k], w.payloadStart[k]) << k;
    }
}

// The offset of the first byte of the input and output blocks in which two
// parameter blocks differ, -1 when they agree.
int FirstDifference(const uint8_t* a, const uint8_t* b) {
    for (int i = kMusicBlockOffset; i < kOutputBlockOffset + kOutputCount * kOutputBlockSize; ++i)
        if (a[i] != b[i]) return i;
    return -1;
}

class TransferTest : public DeviceTest {
protected:
    // Connected, with the worker parked so that a transfer's queue stands still.
    void SetUpTransfer() {
        // Stored presets that differ from each other and from the current data.
        for (int n = 1; n <= 6; ++n) {
            device.SetStoredPresetBytes(n, kMusicBlockOffset + 2,
                                        {static_cast<uint8_t>(0x10 + n), 0x02});
            device.SetStoredPresetBytes(n, kOutputBlockOffset + 11 * kOutputBlockSize + 2,
                                        {static_cast<uint8_t>(n), 0x02});
        }
        StartConnected();
        ASSERT_TRUE(PumpUntil([] { return !g_TransferDlg->IsShown(); }));
        SuspendWorker();
        ASSERT_EQ(view->Session().Command().GetCount(), 0);
        seenBefore = device.Seen().size();
        g_DeviceRecords.Bytes().master[6] = 1;
    }
    // Lets the worker send the queue and waits until the device has taken
    // every queued frame, byte for byte and in order, and the transfer ended.
    void RunTransfer(const std::vector<Queued>& queued) {
        ResumeWorker();
        ASSERT_TRUE(PumpUntil([&] { return TakenSince().size() >= queued.size(); }, 20000));
        ASSERT_TRUE(PumpUntil([] { return !g_TransferRunning.load(); }, 10000));
        const auto taken = TakenSince();
        for (size_t i = 0; i < queued.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            EXPECT_EQ(taken[i].raw, queued[i].raw);
        }
        ASSERT_TRUE(PumpUntil([] { return !g_TransferDlg->IsShown(); }));
        EXPECT_TRUE(view->isEnabled());
    }
    std::vector<sim::SeenFrame> TakenSince() const {
        auto seen = device.Seen();
        seen.erase(seen.begin(), seen.begin() + static_cast<long>(seenBefore));
        return WithoutStatus(seen);
    }
    size_t seenBefore = 0;
};

// ---------------------------------------------------------------------------
// Storing
// ---------------------------------------------------------------------------

TEST_F(TransferTest, StoringAPresetWithoutTheModelMutesTheMasterAround16Blocks) {
    SetUpTransfer();
    view->SendPresetToDevice(3, false);
    std::vector<Want> want = {Sys(5, 0, {60, 0, 0, 55, 0, 0, 0}), Sys(97, 0, {1, 3}), SysP(0, 3, 0),
                              Sys(6), Sys(7)};
    for (int i = 0; i < 4; ++i)
        want.push_back(Block(3, 3, i, 1 + i));
    for (int o = 0; o < 11; ++o)
        want.push_back(Block(3, 4, o, 5 + o));
    want.push_back(Block(3, 4, 11, 16, 1));
    want.push_back(Sys(97, 0, {0, 3}));
    want.push_back(Sys(5, 0, {60, 0, 0, 55, 0, 0, 1}));
    const auto queued = Snapshot(view->Session().Command());
    ExpectQueued(queued, want);
    EXPECT_EQ(g_TransferDlg->Progress()->GetUpperRange(), 16);
    EXPECT_EQ(view->Progress()->GetUpperRange(), 16);
    EXPECT_EQ(g_TransferRunning.load(), 1);
    EXPECT_TRUE(g_TransferDlg->IsShown());
    EXPECT_EQ(g_ParamSentFlag.load(), 0);
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 3);
    RunTransfer(queued);
    // The device holds the current data as its stored preset 3.
    EXPECT_EQ(FirstDifference(device.StoredPreset(3).data(), g_ParamImage), -1);
    EXPECT_EQ(device.Record(97)[0], 0);
    EXPECT_EQ(device.Record(97)[1], 3);
    EXPECT_EQ(device.Record(5)[6], 1);
}

TEST_F(TransferTest, StoringAPresetFromTheModelNamesItCurrentWithoutMuting) {
    SetUpTransfer();
    // A change in the model that only the model holds yet.
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceSynced = 0;
        view->Data()->GetOut(6)->GetFilter(3)->SetGainCode(250);
        g_DeviceSynced = 1;
    }
    StringToField(g_PcPresets[1], 16, "Evening");
    view->SendPresetToDevice(2, true);
    std::vector<Want> want = {Sys(97, 0, {1, 2}), SysP(0, 2, 0), Sys(6), Sys(7),
                              SysP(0, 0, 1),      SysP(52, 0, 2)};
    for (int i = 0; i < 4; ++i)
        want.push_back(Block(2, 3, i, 3 + i));
    for (int o = 0; o < 11; ++o)
        want.push_back(Block(2, 4, o, 7 + o));
    want.push_back(Block(2, 4, 11, 18, 1));
    want.push_back(Sys(97, 0, {0, 2}));
    const auto queued = Snapshot(view->Session().Command());
    ExpectQueued(queued, want);
    EXPECT_EQ(view->Progress()->GetUpperRange(), 18);
    RunTransfer(queued);
    EXPECT_EQ(FirstDifference(device.StoredPreset(2).data(), g_ParamImage), -1);
    EXPECT_EQ(FieldToString(device.StoredPreset(2).data(), 16), "Evening");
    EXPECT_EQ(device.Record(52), std::vector<uint8_t>{2});
    // The model's change went into the image that was sent.
    const size_t band = kOutputBlockOffset + 6 * kOutputBlockSize + 3 * kItemSize;
    EXPECT_EQ(0, std::memcmp(device.StoredPreset(2).data() + band, g_ParamImage + band, kItemSize));
}

TEST_F(TransferTest, StoringAllPresetsSends137PacketsAnd118ProgressSteps) {
    SetUpTransfer();
    for (int n = 1; n <= 6; ++n)
        g_PcPresets[n - 1][kOutputBlockOffset + 4] = static_cast<uint8_t>(0x40 + n);
    view->SendAllPresetsToDevice();
    std::vector<Want> want = {Sys(5, 0, {60, 0, 0, 55, 0, 0, 0}), Sys(97, 0, {1, 0}), Sys(6),
                              Sys(7)};
    int p = 0;
    for (int i = 0; i < 4; ++i)
        want.push_back(Block(0, 3, i, p++));
    for (int o = 0; o < 12; ++o)
        want.push_back(Block(0, 4, o, p++));
    want.push_back(Sys(97, 0, {0, 0}));
    for (int n = 1; n <= 6; ++n) {
        want.push_back(Sys(97, 0, {1, static_cast<uint8_t>(n)}));
        want.push_back(SysP(0, n, p++));
        for (int i = 0; i < 4; ++i)
            want.push_back(Block(n, 3, i, p++));
        for (int o = 0; o < 12; ++o)
            want.push_back(Block(n, 4, o, p++, n == 6 && o == 11 ? 1 : 0));
        want.push_back(Sys(97, 0, {0, static_cast<uint8_t>(n)}));
    }
    want.push_back(Sys(2));
    want.push_back(Sys(5, 0, {60, 0, 0, 55, 0, 0, 1}));
    const auto queued = Snapshot(view->Session().Command());
    ASSERT_EQ(queued.size(), 137u);
    ExpectQueued(queued, want);
    EXPECT_EQ(p, 118);
    EXPECT_EQ(view->Progress()->GetUpperRange(), 118);
    RunTransfer(queued);
    EXPECT_EQ(FirstDifference(device.Image().data(), g_ParamImage), -1);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(FirstDifference(device.StoredPreset(n).data(), g_PcPresets[n - 1]), -1) << n;
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

TEST_F(TransferTest, LoadingAStoredPresetMakesItCurrentAndReadsItBack) {
    SetUpTransfer();
    view->LoadDevicePreset(4);
    EXPECT_EQ(g_DeviceSynced.load(), 0);
    std::vector<Want> want = {Sys(5, 0, {60, 0, 0, 55, 0, 0, 0})};
    for (int i = 0; i < 4; ++i)
        want.push_back(Read(4, 3, i, 0, i));
    for (int o = 0; o < 11; ++o)
        want.push_back(Read(4, 4, o, 0, 4 + o));
    want.push_back(Read(4, 4, 11, 0, 15, 2));
    want.push_back(SysP(0, 0, 15));
    want.push_back(Sys(5, 0, {60, 0, 0, 55, 0, 0, 1}));
    const auto queued = Snapshot(view->Session().Command());
    ExpectQueued(queued, want);
    EXPECT_EQ(g_TransferDlg->Progress()->GetUpperRange(), 15);
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 4);
    // Meanwhile edits are not marked for sending.
    {
        DeviceLockGuard lock(g_DeviceLock);
        CFilter* f = view->Data()->GetOut(1)->GetFilter(2);
        f->SetGainCode(230);
        EXPECT_FALSE(f->IsChanged());
    }
    const int loads = view->Count(WM_DEVICE_DATA_DONE);
    RunTransfer(queued);
    ASSERT_TRUE(PumpUntil([&] { return view->Count(WM_DEVICE_DATA_DONE) > loads; }));
    EXPECT_EQ(g_StateFlags[kFlagLastDeliveredSlot].load(), 4);
    EXPECT_EQ(g_DeviceSynced.load(), 1);
    EXPECT_EQ(FirstDifference(g_ParamImage, device.StoredPreset(4).data()), -1);
    EXPECT_EQ(FirstDifference(device.Image().data(), device.StoredPreset(4).data()), -1);
    // The model took the preset: its output 11 starts with another band than output 10.
    EXPECT_NE(view->Data()->GetOut(11)->GetFilter(0)->GetGainCode(),
              view->Data()->GetOut(10)->GetFilter(0)->GetGainCode());
}

// While a transfer runs the view is disabled: every skinned control it shows
// (the scene, map, lock, link and mixer buttons, the menu buttons, the
// strips' captions, the curve bar, the faders, ...) wears a disabled look
// drawn from its pictures: neither a blank box of the plain button face nor
// its enabled look.
TEST_F(TransferTest, DuringATransferEverySkinnedControlLooksDisabled) {
    SetUpTransfer();
    auto skinned = [this] {
        std::map<QWidget*, QImage> faces;
        for (QWidget* w : view->findChildren<QWidget*>()) {
            const bool skin = dynamic_cast<ctl::SkinButtonBase*>(w) || dynamic_cast<CSpinBtn*>(w) ||
                              dynamic_cast<CBitmapSlider*>(w);
            if (skin && w->isEnabled() && w->isVisibleTo(view) && !w->size().isEmpty())
                faces[w] = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        }
        return faces;
    };
    const std::map<QWidget*, QImage> enabled = skinned();
    view->SendPresetToDevice(3, false);
    ASSERT_FALSE(view->isEnabled());
    std::vector<std::string> blank, unchanged;
    for (const auto& [w, before] : enabled) {
        const std::string name =
            typeid(*w).name() + std::string(" ") + std::to_string(ControlId(w));
        const QImage face = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int plain = 0;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                plain += face.pixelColor(x, y) == ctl::kButtonFace;
        if (plain * 2 > face.width() * face.height()) blank.push_back(name);
        if (face == before) unchanged.push_back(name);
    }
    EXPECT_GT(enabled.size(), 30u);
    EXPECT_THAT(blank, ::testing::IsEmpty());
    EXPECT_THAT(unchanged, ::testing::IsEmpty());
    RunTransfer(Snapshot(view->Session().Command()));
}

TEST_F(TransferTest, ReadingAllPresetsForAFileWritesTheFileWhenTheLastBlockArrives) {
    SetUpTransfer();
    const std::string file = dir.filePath(QStringLiteral("device.jsah")).toStdString();
    chooser.Answer(dir.filePath(QStringLiteral("device")));
    EXPECT_TRUE(view->SaveAllDevicePresetsToFile());
    EXPECT_EQ(view->AllPresetsFilePath(), file);
    std::vector<Want> want;
    int p = 0;
    for (int n = 1; n <= 6; ++n) {
        for (int i = 0; i < 4; ++i)
            want.push_back(Read(n, 3, i, 0x77, p++));
        for (int o = 0; o < 12; ++o)
            want.push_back(Read(n, 4, o, 0x77, p++, n == 6 && o == 11 ? 2 : 0));
    }
    const auto queued = Snapshot(view->Session().Command());
    ExpectQueued(queued, want);
    EXPECT_EQ(view->Progress()->GetUpperRange(), 96);
    RunTransfer(queued);
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_ALL_PRESETS_READ) > 0; }));
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(FirstDifference(g_PcPresets[n - 1], device.StoredPreset(n).data()), -1) << n;
    // The file holds them: read back, it gives the same presets.
    uint8_t kept[6][kParamBlockSize];
    std::memcpy(kept, g_PcPresets, sizeof kept);
    std::memset(g_PcPresets, 0, sizeof kept);
    CPresetJson codec;
    ASSERT_TRUE(codec.LoadAllPresetsFile(file)) << codec.ErrorText();
    // (A file carries every output block and the first 112 bytes of each input block.)
    for (int n = 0; n < 6; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(0, std::memcmp(OutputBlock(0, g_PcPresets[n]), OutputBlock(0, kept[n]),
                                 12 * kOutputBlockSize));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(0,
                      std::memcmp(MusicInBlock(i, g_PcPresets[n]), MusicInBlock(i, kept[n]), 112))
                << i;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TransferTest, AFileThatCannotBeWrittenIsSaidAndTheTransferEnds) {
    NetworkModuleAway();
    Start();
    view->m_AllPresetsFilePath = dir.filePath(QStringLiteral("missing/device.jsah")).toStdString();
    g_TransferRunning = 1;
    view->SendMessage(WM_ALL_PRESETS_READ, 6, 0);
    EXPECT_EQ(g_TransferRunning.load(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        Text(boxes[0].text),
        "Save all presets file error!\nThe file cannot be written. No such file or directory");
    EXPECT_EQ(Text(boxes[0].caption), "Prompting");
    EXPECT_EQ(boxes[0].autoCloseMs, 0);
}

// Texts the model refuses to pack (a new input name too long for its field,
// a lock password its field cannot hold) are told as they always were: one
// box each, in order, with the program's texts; but only once the operation
// has released g_DeviceLock, so that the link worker never waits for the user.
TEST_F(TransferTest, RefusedTextsAreToldOnceTheLockIsReleased) {
    SetUpTransfer();
    std::vector<bool> lockFree;
    CMessageBox::SetResponder([&](const CMessageBox::Shown& s) {
        boxes.push_back(s);
        lockFree.push_back(DeviceLockFreeForOthers());
        return CMessageBox::Action::Ok;
    });
    // The password as the device's bytes 0x80 0x31 0x32 read: GBK cannot
    // hold U+FFFD again.
    g_LockPassword = "\xEF\xBF\xBD"
                     "12";
    g_StateFlags[kFlagDataLocked] = 1;
    const SpeakerPair pair = g_SpeakerPairsLR[0];
    g_SpeakerPairsLR[0] = {1, 0, 1}; // output 1 is the left of output 0

    const char* tooLong = "Char len error!";
    const char* invalid = "Invalid characters!";
    struct Case {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"output 0 block", [this] { view->SendOutputBlock(0); }, {invalid}},
        {"output 5 block", [this] { view->SendOutputBlock(5); }, {}},
        {"input block with a new name",
         [this] {
             view->Data()->GetMusic(1)->SetName("LongName");
             view->SendInputChannelBlock(1);
         },
         {tooLong}},
        {"equaliser copied to output 0", [this] { view->CopyPairEq(0); }, {invalid}},
        {"store as preset 2 from the model",
         [this] {
             view->Data()->GetMusic(2)->SetName("话筒一二三");
             view->SendPresetToDevice(2, true);
         },
         {tooLong, invalid}},
        {"store all", [this] { view->SendAllPresetsToDevice(); }, {invalid}},
    };
    std::vector<Queued> queued;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        lockFree.clear();
        view->Session().Command().Clear();
        c.act();
        queued = Snapshot(view->Session().Command());
        EXPECT_EQ(BoxTexts(), c.texts);
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(Text(boxes[i].caption), "Quellmark");
            EXPECT_EQ(boxes[i].buttons, QStringList{QStringLiteral("OK")});
            EXPECT_EQ(boxes[i].autoCloseMs, 0);
            EXPECT_TRUE(lockFree[i]) << i;
        }
    }
    g_SpeakerPairsLR[0] = pair;
    // The last transfer goes out; output 0's block carries the lock mark and
    // zeros for the password.
    RunTransfer(queued);
    const auto outputZero = std::find_if(queued.begin(), queued.end(), [](const Queued& q) {
        return q.raw[6] == 0 && q.raw[7] == 4 && q.raw[8] == 0;
    });
    ASSERT_NE(outputZero, queued.end());
    EXPECT_EQ(outputZero->raw[14 + 288], '!');
    EXPECT_EQ(std::vector<uint8_t>(outputZero->raw.begin() + 14 + 290,
                                   outputZero->raw.begin() + 14 + 296),
              std::vector<uint8_t>(6, 0));
}

// A transfer mutes the master first and switches it back on only in its last
// packet. Cut short by a lost link, it leaves the device muted: once the link
// is back and the device's data is in, the program gives the master its on
// state back and says that the transfer did not complete.
TEST_F(TransferTest, ATransferCutShortByALostLinkIsMendedWhenTheLinkIsBack) {
    SetUpTransfer();
    view->SendAllPresetsToDevice();
    ASSERT_EQ(view->Session().Command().GetCount(), 137);
    ResumeWorker();
    ASSERT_TRUE(PumpUntil([&] { return TakenSince().size() >= 40; }, 20000));
    device.SetSilent(true);
    ASSERT_TRUE(PumpUntil([this] { return !view->IsConnected(); }, 10000));
    EXPECT_LT(TakenSince().size(), 137u);
    EXPECT_EQ(device.Record(5)[6], 0); // muted by the first packet
    EXPECT_TRUE(view->Session().HasInterruptedTransfer());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Connection failure!"});

    // The device comes back; the probe reconnects, asks about the window's
    // sources record the transfer had still queued (YES), and the data is read.
    adapters.Set({});
    ASSERT_TRUE(PumpUntil([this] { return !view->Session().Net().IsReachable(); }));
    device.SetSilent(false);
    adapters.Set({{"127.0.0.1", "255.0.0.0"}});
    ASSERT_TRUE(PumpUntil([this] { return view->IsConnected() && DataShown(view, 2); }, 15000));
    ASSERT_TRUE(PumpUntil([this] { return device.Record(5)[6] == 1; }, 10000));
    EXPECT_EQ(g_DeviceRecords.Bytes().master[6], 1);
    EXPECT_FALSE(view->LevelBar()->IsMuteChecked());
    EXPECT_FALSE(view->Session().HasInterruptedTransfer());
    EXPECT_EQ(
        BoxTexts(),
        (std::vector<std::string>{
            "Connection failure!",
            "Settings were changed while offline.\nSend them to the device?\n(NO: the device's "
            "data replaces them)",
            "The last data transfer did not complete; the master is switched back as it was."}));
    EXPECT_EQ(boxes[2].autoCloseMs, 2001);

    // A transfer that completes leaves nothing to mend at the next connection.
    view->SendPresetToDevice(0, false);
    ASSERT_TRUE(PumpUntil(
        [this] { return !g_TransferRunning.load() && view->Session().Command().GetCount() == 0; },
        20000));
    view->Session().Disconnect();
    EXPECT_FALSE(view->Session().HasInterruptedTransfer());
}

TEST_F(TransferTest, TransfersWhileNotConnected) {
    NetworkModuleAway();
    Start();
    struct Case {
        const char* what;
        std::function<void()> act;
        bool message;
    };
    const Case cases[] = {
        {"store as preset 3", [this] { view->SendPresetToDevice(3, true); }, true},
        {"store as current", [this] { view->SendPresetToDevice(0, false); }, false},
        {"store all", [this] { view->SendAllPresetsToDevice(); }, false},
        {"load preset 2", [this] { view->LoadDevicePreset(2); }, true},
        {"read all for a file", [this] { view->SaveAllDevicePresetsToFile(); }, true},
        {"output block", [this] { view->SendOutputBlock(3); }, false},
        {"input block", [this] { view->SendInputChannelBlock(1); }, false},
        {"output off", [this] { view->SendOutputOffFrame(3); }, false},
    };
    const int outputOn = view->Data()->GetOut(3)->GetOutputOn();
    const int inputOn = view->Data()->GetMusic(1)->GetOn();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        c.act();
        EXPECT_EQ(view->Session().Command().GetCount(), 0);
        EXPECT_EQ(g_TransferRunning.load(), 0);
        EXPECT_EQ(BoxTexts(), c.message ? std::vector<std::string>{"Connection failure!"}
                                        : std::vector<std::string>{});
        EXPECT_EQ(view->Data()->GetOut(3)->GetOutputOn(), outputOn);
        EXPECT_EQ(view->Data()->GetMusic(1)->GetOn(), inputOn);
    }
}

// ---------------------------------------------------------------------------
// One channel's block
// ---------------------------------------------------------------------------

TEST_F(TransferTest, AChannelBlockGoesOutWithTheChannelSwitchedOffAroundIt) {
    SetUpTransfer();
    struct Case {
        const char* what;
        std::function<void()> act;
        std::vector<Want> want;
    };
    const Case cases[] = {
        {"output",
         [this] { view->SendOutputBlock(5); },
         {Item(4, 5, 31), Block(0, 4, 5, kNone), Item(4, 5, 31)}},
        {"output, locked variant",
         [this] { view->SendOutputBlockLocked(5); },
         {Item(4, 5, 31), Block(0, 4, 5, kNone), Item(4, 5, 31)}},
        {"output off", [this] { view->SendOutputOffFrame(5); }, {Item(4, 5, 31)}},
        {"input",
         [this] { view->SendInputChannelBlock(2); },
         {Sys(5, 0, {60, 0, 0, 55, 0, 0, 0}), Item(3, 2, 31), Block(0, 3, 2, kNone), Item(3, 2, 31),
          Sys(5, 0, {60, 0, 0, 55, 0, 0, 1})}},
    };
    {
        // The input is on (the device's factory data leaves it off).
        DeviceLockGuard lock(g_DeviceLock);
        view->Data()->GetMusic(2)->SetOn(1);
        view->Data()->GetMusic(2)->SetBasicDirty(0);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        const auto queued = Snapshot(view->Session().Command());
        ExpectQueued(queued, c.want);
        // The channel is on again in the model and nothing is left marked.
        EXPECT_EQ(view->Data()->GetOut(5)->GetOutputOn(), 1);
        EXPECT_FALSE(view->Data()->GetOut(5)->IsBasicDirty());
        EXPECT_EQ(view->Data()->GetMusic(2)->GetOn(), 1);
        // The first item switches off, the last (when there is one) on again.
        if (c.want.size() > 1) {
            EXPECT_NE(queued.front().raw, queued.back().raw);
        }
        view->Session().Command().Clear();
    }
    EXPECT_FALSE(g_TransferDlg->IsShown());
    ResumeWorker();
}

} // namespace
