// Edits on the output page carried to the simulated device: the field, the
// model, the frame the device takes and its memory afterwards, byte for byte;
// and the joint-editing groups the strips' link buttons make.
#include "tests/app/DeviceTestSupport.h"

#include "controls/BitButton.h"
#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "model/KTV_Data.h"
#include "model/LinkGroups.h"
#include "model/ModelLock.h"
#include "pages/output/DelayUnitStrip.h"
#include "features/outputs/OutputStrip.h"
#include "pages/output/OutputPage.h"
#include "pages/output/PhaseSettingsDialog.h"

#include <QFocusEvent>

namespace {

class OutputPageDeviceTest : public DeviceTest {
protected:
    COutputPage* Page() const { return dynamic_cast<COutputPage*>(view->OutputPage()); }
    CKTV_OutData& Out(int n) const { return *view->Data()->GetOut(n); }

    // Types text into a field of the page and leaves it.
    void Type(int id, const QString& text) {
        CNumEdit* f = Page()->Field(id);
        ASSERT_NE(f, nullptr);
        f->setText(text);
        f->SetModified(true);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(f, &out);
    }
    // Writes of one output item the device took since frame `first`.
    std::vector<sim::SeenFrame> Writes(size_t first, int channel, int item) const {
        std::vector<sim::SeenFrame> out;
        const auto seen = device.Seen();
        const size_t since = device.FrameCount() - first;
        for (size_t i = seen.size() - std::min(since, seen.size()); i < seen.size(); ++i) {
            const sim::SeenFrame& f = seen[i];
            if (f.command == 0xA1 && f.slot == 0 && f.group == kGroupOutput &&
                f.channel == channel && f.item == item)
                out.push_back(f);
        }
        return out;
    }
    // A click of an output's link button as the button reports it.
    void ClickLink(int output, unsigned kind) {
        platform::PostMessage(view->Strip(output), WM_SPEAKER_CLICK, kind, 0);
        QApplication::processEvents();
    }
    std::vector<uint8_t> DeviceItem(int channel, int item) const {
        const std::vector<uint8_t> image = device.Image();
        const size_t at = kOutputBlockOffset + kOutputBlockSize * channel + kItemSize * item;
        return {image.begin() + static_cast<long>(at),
                image.begin() + static_cast<long>(at + kItemSize)};
    }
};

TEST_F(OutputPageDeviceTest, AGainTypedIntoBand5OfOutput2ArrivesAsThatBandsItem) {
    StartConnected();
    ASSERT_NE(Page(), nullptr);
    view->SelectOutput(2);
    ASSERT_EQ(g_CurrentOutput, 2);
    const size_t first = device.FrameCount();
    Type(COutputPage::kBandGain + 5, QStringLiteral("4.5"));
    EXPECT_EQ(Out(2).GetFilter(5)->GetGainCode(), 245);
    // The page's graph draws the program's model: output 2 with band 5 selected.
    EXPECT_EQ(Page()->Graph()->GetMode(), CEqGraph::kModeOutput);
    EXPECT_EQ(Page()->Graph()->GetEq(), &Out(2).GetEq());
    EXPECT_EQ(Page()->Graph()->GetSelectedBand(), 5);
    ASSERT_TRUE(PumpUntil([&] { return !Writes(first, 2, 5).empty(); }, 10000));
    const std::vector<sim::SeenFrame> writes = Writes(first, 2, 5);
    ASSERT_EQ(writes.size(), 1u);
    const ItemRecord record = WithDeviceLock([&] { return Out(2).GetEq().PackBand(5); });
    EXPECT_EQ(writes[0].payload, std::vector<uint8_t>(record.begin(), record.end()));
    EXPECT_EQ(GetU16(&writes[0].payload[2]), 645); // +4.5 dB: 600 + 45
    EXPECT_EQ(DeviceItem(2, 5), std::vector<uint8_t>(record.begin(), record.end()));
    // No other output's band 5 went out.
    for (int n = 0; n < 12; ++n) {
        if (n == 2) continue;
        EXPECT_TRUE(Writes(first, n, 5).empty()) << n;
    }
}

TEST_F(OutputPageDeviceTest, ACrossoverChangeArrivesAsTheCrossoverItem) {
    StartConnected();
    view->SelectOutput(2);
    const size_t first = device.FrameCount();
    Type(COutputPage::IDC_HPF_FREQ, QStringLiteral("150"));
    EXPECT_EQ(Out(2).GetHighPass()->GetFreq(), 150);
    // The device's frequency follows by at most an octave per frame.
    ASSERT_TRUE(PumpUntil([&] { return GetU16(DeviceItem(2, 32).data()) == 150; }, 10000));
    const std::vector<sim::SeenFrame> writes = Writes(first, 2, 32);
    ASSERT_FALSE(writes.empty());
    const ItemRecord record = WithDeviceLock([&] { return Out(2).GetCrossoverRecord(); });
    EXPECT_EQ(writes.back().payload, std::vector<uint8_t>(record.begin(), record.end()));
    EXPECT_EQ(DeviceItem(2, 32), std::vector<uint8_t>(record.begin(), record.end()));
}

TEST_F(OutputPageDeviceTest, ALevelChangeReachesEveryOutputOfTheLinkGroupClamped) {
    StartConnected();
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_LinkKey[1] = g_LinkKey[3] = 2;
        Out(1).SetGain(20);
        Out(2).SetGain(300);
        Out(3).SetGain(580);
    }
    const auto deviceGain = [&](int n) { return GetU16(&DeviceItem(n, 31)[2]); };
    ASSERT_TRUE(PumpUntil(
        [&] { return deviceGain(1) == 20 && deviceGain(2) == 300 && deviceGain(3) == 580; },
        10000));
    // The strip of output 2 still shows an older level: the spread is measured
    // from the level the model holds.
    view->Strip(2)->ShowGain(100);
    view->SelectOutput(2);
    const int unlinked = deviceGain(0);
    struct Step {
        const char* typed;
        int want[3]; // outputs 1, 2, 3
    };
    for (const Step& s : {Step{"-25.0", {70, 350, 600}}, Step{"-58.0", {0, 20, 270}}}) {
        SCOPED_TRACE(s.typed);
        const size_t first = device.FrameCount();
        Type(COutputPage::IDC_LEVEL, QString::fromLatin1(s.typed));
        // Each output's basic item goes out with its new level.
        const auto arrived = [&](int n, int gain) {
            const std::vector<sim::SeenFrame> writes = Writes(first, n, 31);
            return !writes.empty() && GetU16(&writes.back().payload[2]) == gain;
        };
        ASSERT_TRUE(PumpUntil(
            [&] { return arrived(1, s.want[0]) && arrived(2, s.want[1]) && arrived(3, s.want[2]); },
            10000));
        for (int i = 0; i < 3; ++i) {
            const int n = i + 1;
            EXPECT_EQ(Out(n).GetGain(), s.want[i]) << n;
            EXPECT_EQ(deviceGain(n), s.want[i]) << n;
            EXPECT_EQ(view->Strip(n)->m_LevelValue, s.want[i]) << n;
            // Byte for byte as the model holds the item.
            const ItemRecord basic = WithDeviceLock([&] {
                Out(n).WriteBasicItem(0);
                ItemRecord r{};
                std::copy_n(OutputBlock(n) + kOutBasicOffset, kItemSize, r.begin());
                return r;
            });
            EXPECT_EQ(Writes(first, n, 31).back().payload,
                      std::vector<uint8_t>(basic.begin(), basic.end()))
                << n;
        }
        EXPECT_EQ(deviceGain(0), unlinked);
    }
    EXPECT_EQ(Out(2).GetOutputOn(), 1);
}

TEST_F(OutputPageDeviceTest, NothingInTheMainViewOpensTheDelaySelectorOrThePhasePopUp) {
    StartConnected();
    COutputPage* page = Page();
    ASSERT_NE(page->DelaySelector(), nullptr);
    const auto phasePopUps = [] {
        int n = 0;
        for (QWidget* w : QApplication::allWidgets())
            n += dynamic_cast<CPhaseSettingsDialog*>(w) != nullptr;
        return n;
    };
    view->SwitchLanguage(true);
    view->SelectPage(1, true);
    view->SelectOutput(4);
    view->RefreshAllPages();
    view->SwitchLanguage(true);
    QApplication::processEvents();
    EXPECT_TRUE(page->DelaySelector()->isHidden());
    EXPECT_EQ(phasePopUps(), 0);
}

// Joint-editing groups: the link button's clicks as the button reports them,
// the dynamics item carrying the group number in byte 287, and an edit of one
// member arriving at every member with the frames' link byte.
TEST_F(OutputPageDeviceTest, JoiningSendsTheGroupNumberAndAnEditReachesEveryMember) {
    StartConnected();
    ASSERT_NE(Page(), nullptr);
    size_t first = device.FrameCount();
    // Output 2 opens group 1 with a double click and becomes current.
    ClickLink(2, WM_LBUTTONDBLCLK);
    EXPECT_EQ(g_CurrentOutput, 2);
    // Output 5 joins the current output's group with a single click.
    ClickLink(5, WM_LBUTTONDOWN);
    EXPECT_TRUE(static_cast<COutputStrip*>(view->Strip(5))->LinkButton()->GetCheck());
    ASSERT_TRUE(
        PumpUntil([&] { return DeviceItem(2, 35)[7] == 1 && DeviceItem(5, 35)[7] == 1; }, 10000));
    for (int o : {2, 5}) {
        const std::vector<sim::SeenFrame> dyn = Writes(first, o, 35);
        ASSERT_FALSE(dyn.empty()) << o;
        ASSERT_EQ(dyn.back().payload.size(), 8u);
        EXPECT_EQ(dyn.back().payload[7], 1) << o; // byte 287: group 1
        const std::vector<uint8_t> model = WithDeviceLock(
            [&] { return std::vector<uint8_t>(OutputBlock(o) + 280, OutputBlock(o) + 288); });
        EXPECT_EQ(dyn.back().payload, model) << o;
    }

    // An edit of output 2's band 4 arrives at outputs 2 and 5, not at output 1
    // (whose own index equals the group number).
    first = device.FrameCount();
    Type(COutputPage::kBandGain + 4, QStringLiteral("-3.5"));
    EXPECT_EQ(Out(5).GetFilter(4)->GetGainCode(), Out(2).GetFilter(4)->GetGainCode());
    ASSERT_TRUE(PumpUntil(
        [&] { return !Writes(first, 2, 4).empty() && !Writes(first, 5, 4).empty(); }, 10000));
    const ItemRecord band = WithDeviceLock([&] { return Out(2).GetEq().PackBand(4); });
    for (int o : {2, 5}) {
        const sim::SeenFrame f = Writes(first, o, 4).back();
        EXPECT_EQ(f.payload, std::vector<uint8_t>(band.begin(), band.end())) << o;
        EXPECT_EQ(f.raw[10], 1) << o; // linked
    }
    EXPECT_TRUE(Writes(first, 1, 4).empty());
    EXPECT_TRUE(Writes(first, 0, 4).empty());

    // Output 5 leaves: byte 287 back to 0; output 2's next edit stays its own.
    first = device.FrameCount();
    ClickLink(5, WM_LBUTTONDOWN);
    ASSERT_TRUE(PumpUntil([&] { return DeviceItem(5, 35)[7] == 0; }, 10000));
    EXPECT_EQ(Writes(first, 5, 35).back().payload[7], 0);
    first = device.FrameCount();
    Type(COutputPage::kBandGain + 4, QStringLiteral("2.0"));
    ASSERT_TRUE(PumpUntil([&] { return !Writes(first, 2, 4).empty(); }, 10000));
    EXPECT_EQ(Writes(first, 2, 4).back().raw[10], 0);
    for (int o = 0; o < 12; ++o)
        if (o != 2) {
            EXPECT_TRUE(Writes(first, o, 4).empty()) << o;
        }
}

} // namespace
