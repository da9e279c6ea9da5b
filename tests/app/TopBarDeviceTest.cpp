// The top bar and the strips against the simulated device, from the control
// to the frame the device takes in: the source lists, the L/R link, the
// master strip, a speaker type chosen on a strip, and an equaliser reset of a
// link group.
#include "tests/app/DeviceTestSupport.h"

#include "tools/screenshot/snapshots/TopBarSnapshots.h"
#include "controls/ButtonRadio.h"
#include "model/KTV_Data.h"
#include "model/SpeakerTypes.h"
#include "features/outputs/LeftRightLinkDialog.h"
#include "features/outputs/MasterStrip.h"
#include "features/outputs/OutputStrip.h"

#include <QDir>
#include <QMenu>

namespace {

constexpr uint8_t kWrite = 0xA1;

class TopBarDeviceTest : public DeviceTest {
protected:
    void TearDown() override {
        CLeftRightLinkDialog::SetResponder(nullptr);
        COutputStrip::SetPopupChooser(nullptr);
        DeviceTest::TearDown();
        InitParamModel();
    }
    // The frames the device took in since `first`, without status requests.
    std::vector<sim::SeenFrame> Since(size_t first) const {
        auto seen = device.Seen();
        const size_t since = device.FrameCount() - first;
        seen.erase(seen.begin(), seen.end() - static_cast<long>(std::min(since, seen.size())));
        return WithoutStatus(seen);
    }
    // The writes of one system record among them.
    std::vector<sim::SeenFrame> RecordWrites(size_t first, int record) const {
        std::vector<sim::SeenFrame> out;
        for (const auto& f : Since(first))
            if (f.command == kWrite && f.group == 9 && f.channel == record) out.push_back(f);
        return out;
    }
    // Lets the link run a few idle exchanges, so that anything queued has gone.
    void LetTheLinkRun(int exchanges = 3) {
        const size_t target = device.FrameCount() + static_cast<size_t>(exchanges);
        ASSERT_TRUE(PumpUntil([&] { return device.FrameCount() >= target; }));
    }
    static std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) {
        return std::vector<uint8_t>(p, p + n);
    }
    // Connected, and the window takes clicks again once the read's transfer window has gone.
    void StartForClicks() {
        StartConnected();
        ASSERT_TRUE(PumpUntil([this] { return !g_TransferDlg->IsShown() && view->isEnabled(); }));
    }
    CMasterStrip* Master() { return dynamic_cast<CMasterStrip*>(view->LevelBar()); }
};

// ---------------------------------------------------------------------------
// Sources
// ---------------------------------------------------------------------------

TEST_F(TopBarDeviceTest, AnInputSourceChosenInTheListArrivesAsCommand2) {
    StartConnected();
    size_t first = device.FrameCount();
    // "AUX", as the user picks it from the open list.
    view->InputSourceList()->DropWindow()->OnSelectionChange(3, true);
    ASSERT_TRUE(PumpUntil([&] { return !RecordWrites(first, 2).empty(); }));
    EXPECT_EQ(g_ActiveSource, 3);
    EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 1);
    const auto writes = RecordWrites(first, 2);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].raw,
              RequestFrame(kWrite, 0, 9, 2, 0, Bytes(g_DeviceRecords.Bytes().sources, 8)));
    EXPECT_EQ(writes[0].payload[0], 3);
    EXPECT_EQ(device.Record(2)[0], 3);

    // The source already in use: nothing goes out.
    first = device.FrameCount();
    view->InputSourceList()->DropWindow()->OnSelectionChange(3, true);
    LetTheLinkRun();
    EXPECT_TRUE(RecordWrites(first, 2).empty());
}

TEST_F(TopBarDeviceTest, ChoosingOffAsMixSourceSendsCommand8AndTheWarningGoes) {
    StartForClicks(); // input source: Hi.Level
    QWidget* warning = view->BitButton(CLumaraView::IDC_MIX_WARNING);
    size_t first = device.FrameCount();
    // AUX does not go with Hi.Level: the warning shows.
    view->MixSourceList()->DropWindow()->OnSelectionChange(3, true);
    ASSERT_TRUE(PumpUntil([&] { return !RecordWrites(first, 8).empty(); }));
    EXPECT_EQ(RecordWrites(first, 8)[0].payload[4], 3);
    EXPECT_TRUE(warning->isVisibleTo(view));
    view->MixSourceList()->SetHoverLook(false); // the pointer has left the list
    EXPECT_EQ(view->MixSourceList()->Current().font, CDropListButton::FontKind::StruckOut);

    first = device.FrameCount();
    view->MixSourceList()->DropWindow()->OnSelectionChange(5, true); // "OFF"
    ASSERT_TRUE(PumpUntil([&] { return !RecordWrites(first, 8).empty(); }));
    const auto writes = RecordWrites(first, 8);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].raw,
              RequestFrame(kWrite, 0, 9, 8, 0, Bytes(g_DeviceRecords.Bytes().sourceSetup, 8)));
    EXPECT_EQ(writes[0].payload[4], 6);
    EXPECT_EQ(device.Record(8)[4], 6);
    EXPECT_FALSE(warning->isVisibleTo(view));
    // Still red (the pair is not available) but no longer struck out.
    view->MixSourceList()->SetHoverLook(false);
    EXPECT_EQ(view->MixSourceList()->Current().font, CDropListButton::FontKind::Normal);

    // "OFF" again is the mix source already: nothing goes out.
    first = device.FrameCount();
    view->MixSourceList()->DropWindow()->OnSelectionChange(5, true);
    LetTheLinkRun();
    EXPECT_TRUE(RecordWrites(first, 8).empty());
}

// ---------------------------------------------------------------------------
// The left/right link
// ---------------------------------------------------------------------------

TEST_F(TopBarDeviceTest, TheLeftRightLinkArrivesAsOutputZerosNameItem) {
    DeviceRunsPreset1();
    StartConnected(); // pairs: outputs 0 and 2 (tweeters), 1 and 3, 5 and 6
    CLeftRightLinkDialog::SetResponder([](CLeftRightLinkDialog& d) {
        d.RightToLeft()->click();
        return CLeftRightLinkDialog::IDOK;
    });
    // Output 0's name items carrying the link state; a name write still under
    // way from the connection may arrive first and carries the old state.
    auto nameItems = [this](size_t first, uint8_t on) {
        std::vector<sim::SeenFrame> out;
        for (const auto& f : Since(first))
            if (f.command == kWrite && f.group == 4 && f.channel == 0 && f.item == 36 &&
                f.payload.size() > 1 && f.payload[1] == on)
                out.push_back(f);
        return out;
    };
    const size_t item36 = kOutputBlockOffset + kOutNameOffset;
    for (uint8_t on : {1, 0}) {
        SCOPED_TRACE(int(on));
        const size_t first = device.FrameCount();
        view->SendMessage(WM_COMMAND, CLumaraView::IDC_LR_LINK, 0);
        ASSERT_TRUE(PumpUntil([&] { return !nameItems(first, on).empty(); }));
        const auto frames = nameItems(first, on);
        EXPECT_EQ(frames.back().raw,
                  RequestFrame(kWrite, 0, 4, 0, 36, Bytes(g_ParamImage + item36, 8)));
        EXPECT_EQ(device.Image()[item36 + 1], on);
        EXPECT_EQ(g_LinkActive, on);
        if (on) {
            // Right to left: the left tweeter took the right one's key and block.
            EXPECT_EQ(g_LinkKey[0], 2);
            bool blockOfOutput0 = false;
            for (const auto& f : Since(first))
                blockOfOutput0 = blockOfOutput0 || (f.group == 4 && f.channel == 0 &&
                                                    f.payload.size() == kOutputBlockSize);
            EXPECT_TRUE(blockOfOutput0);
        }
    }
}

// ---------------------------------------------------------------------------
// The master strip
// ---------------------------------------------------------------------------

TEST_F(TopBarDeviceTest, AMasterChangeArrivesAsTheMasterRecord) {
    StartForClicks();
    ASSERT_EQ(GetS16(g_DeviceRecords.Bytes().master), 60);
    size_t first = device.FrameCount();
    Master()->MinusButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return !RecordWrites(first, 5).empty(); }));
    EXPECT_EQ(RecordWrites(first, 5)[0].payload[0], 59);
    first = device.FrameCount();
    Master()->PlusButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return !RecordWrites(first, 5).empty(); }));
    // Back at 0 dB: the default master frame, checksum 0xAE.
    const auto writes = RecordWrites(first, 5);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].raw,
              RequestFrame(kWrite, 0, 9, 5, 0, Bytes(g_DeviceRecords.Bytes().master, 8)));
    EXPECT_EQ(writes[0].payload,
              std::vector<uint8_t>({0x3C, 0x00, 0x00, 0x37, 0x00, 0x00, 0x01, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(writes[0].raw.end() - 2, writes[0].raw.end()),
              std::vector<uint8_t>({0xAE, 0xAA}));
    EXPECT_EQ(device.Record(5), Bytes(g_DeviceRecords.Bytes().master, 8));
}

TEST_F(TopBarDeviceTest, TheMuteButtonTogglesTheMasterOnByteAndThePendingRecord) {
    StartForClicks();
    for (uint8_t on : {0, 1}) {
        SCOPED_TRACE(int(on));
        SuspendWorker();
        const size_t first = device.FrameCount();
        Master()->MuteButton()->click();
        EXPECT_EQ(g_DeviceRecords.Bytes().master[kMasterOnByte], on);
        EXPECT_EQ(g_SendCmd5Pending.load(), 1);
        EXPECT_EQ(Master()->IsMuteChecked(), on == 0);
        ResumeWorker();
        ASSERT_TRUE(PumpUntil([&] { return !RecordWrites(first, 5).empty(); }));
        EXPECT_EQ(RecordWrites(first, 5)[0].payload[kMasterOnByte], on);
        EXPECT_EQ(g_SendCmd5Pending.load(), 0);
    }
}

// ---------------------------------------------------------------------------
// A speaker type chosen on a strip
// ---------------------------------------------------------------------------

TEST_F(TopBarDeviceTest, ASpeakerTypeChoiceArrivesAsTheMapCommandsAndTheCrossover) {
    StartForClicks(); // output 4 is the centre full range (21)
    view->mixPresets.clear();
    auto* strip = dynamic_cast<COutputStrip*>(view->Strip(4));
    ASSERT_NE(strip, nullptr);
    COutputStrip::SetPopupChooser([](QMenu&, const QPoint&) { return 4100 + 19; }); // C-Tweeter
    SuspendWorker();
    view->Session().Command().Clear();
    const size_t first = device.FrameCount();
    strip->SpeakerTypeButton()->click();
    ASSERT_TRUE(PumpUntil([this] { return !view->mixPresets.empty(); }));
    // The map bytes first, then commands 6 and 7 and the crossover queued,
    // then the type's mix preset.
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapA[4], 19);
    EXPECT_EQ(g_OutputSpeakerType[4], 19);
    EXPECT_EQ(view->mixPresets, (std::vector<DeviceView::MixPreset>{{4, 19, 3}}));
    EXPECT_EQ(strip->SpeakerTypeText(), QStringLiteral("C-Tweeter"));
    ResumeWorker();
    ASSERT_TRUE(PumpUntil([&] { return Since(first).size() >= 3; }));
    const auto frames = Since(first);
    EXPECT_EQ(frames[0].raw,
              RequestFrame(kWrite, 0, 9, 6, 0, Bytes(g_DeviceRecords.Bytes().outputMapA, 8)));
    EXPECT_EQ(frames[1].raw,
              RequestFrame(kWrite, 0, 9, 7, 0, Bytes(g_DeviceRecords.Bytes().outputMapB, 8)));
    // Item 32 of output 4: high-pass 3400 Hz, low-pass 20000 Hz, family 1, slope 1.
    EXPECT_EQ(frames[2].raw,
              RequestFrame(kWrite, 0, 4, 4, 32, {0x48, 0x0D, 1, 1, 0x20, 0x4E, 1, 1}));
    EXPECT_EQ(device.Record(6)[4], 19);
}

// ---------------------------------------------------------------------------
// An equaliser reset of a link group
// ---------------------------------------------------------------------------

TEST_F(TopBarDeviceTest, AResetOfAGroupOfThreeSendsThreeBlocksBetweenMasterOffAndOn) {
    StartConnected();
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_LinkKey[3] = g_LinkKey[7] = 0; // outputs 0, 3 and 7 edited together
        for (int o : {0, 3, 7})
            view->Data()->GetOut(o)->GetFilter(4)->SetGainCode(280);
    }
    SuspendWorker();
    view->Session().Command().Clear();
    g_SendCmd5Pending = 0;
    const size_t first = device.FrameCount();
    view->ResetOutputEq();
    std::vector<std::pair<int, int>> queued; // group, channel
    view->Session().Command().ForEachPacket([&](const CSendData& p) {
        queued.push_back({p.GetData()[7], p.GetData()[8]});
    });
    EXPECT_EQ(queued, (std::vector<std::pair<int, int>>{{9, 5}, {4, 0}, {4, 3}, {4, 7}, {9, 5}}));
    ResumeWorker();
    ASSERT_TRUE(PumpUntil([&] { return Since(first).size() >= 5; }));
    const auto frames = Since(first);
    EXPECT_EQ(frames[0].channel, 5);
    EXPECT_EQ(frames[0].payload[kMasterOnByte], 0);
    const int kGroup[3] = {0, 3, 7};
    for (int k = 0; k < 3; ++k) {
        const int o = kGroup[k];
        SCOPED_TRACE(o);
        EXPECT_EQ(frames[1 + k].group, 4);
        EXPECT_EQ(frames[1 + k].channel, o);
        ASSERT_EQ(frames[1 + k].payload.size(), static_cast<size_t>(kOutputBlockSize));
        EXPECT_EQ(Bytes(frames[1 + k].payload.data(), kOutputBlockSize),
                  Bytes(OutputBlock(o), kOutputBlockSize));
        EXPECT_EQ(view->Data()->GetOut(o)->GetFilter(4)->GetGainCode(), 200);
    }
    EXPECT_EQ(frames[4].channel, 5);
    EXPECT_EQ(frames[4].payload[kMasterOnByte], 1);
}

} // namespace

namespace {

// ---------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------

TEST_F(TopBarDeviceTest, TheTopBarsWindowsDrawInBothLanguagesWithTheDevicesData) {
    StartForClicks();
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    ASSERT_TRUE(SaveTopBarSnapshots(*view, out.path()));
    for (const char* name :
         {"strips", "speaker-popup", "master", "input-list", "mix-list", "lr-link"}) {
        for (const char* lang : {"en", "zh"}) {
            const QImage image(
                QDir(out.path()).filePath(QStringLiteral("%1-%2.png").arg(name, lang)));
            EXPECT_FALSE(image.isNull()) << name << "-" << lang;
        }
    }
    EXPECT_EQ(QImage(QDir(out.path()).filePath("master-en.png")).size(), QSize(438, 31));
    // The language is back as it was.
    EXPECT_EQ(g_LanguageFlag.load(), 0);
    EXPECT_EQ(view->InputSourceList()->text(), QStringLiteral("Hi.Level"));
}

} // namespace
