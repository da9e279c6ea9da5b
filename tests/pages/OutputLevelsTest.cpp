// The output page's level, mute, polarity, phase and delay controls: the
// phase kept in the top band with its 500 ms redisplay, the delay unit, the
// delay step of a linked speaker-type group in each unit, and the hidden
// phase-frequency field that never writes the limiter's release word.
// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "tests/pages/OutputPageTestSupport.h"

#include "controls/BitButton.h"
#include "controls/ControlTimer.h"
#include "model/ValueScale.h"
#include "pages/output/DelayUnitStrip.h"

namespace {

using namespace pagetest;

class OutputLevelsTest : public OutputPageTest {
protected:
    void SetUp() override {
        manual_ = std::make_unique<ControlTimer::ManualTime>();
        OutputPageTest::SetUp();
    }
    void TearDown() override {
        OutputPageTest::TearDown();
        manual_.reset();
    }
    std::unique_ptr<ControlTimer::ManualTime> manual_;
};

TEST_F(OutputLevelsTest, APhaseOf100And20IsKeptInTheTopBandAndShownAgainAfter500ms) {
    g_DeviceSynced = 1;
    g_LinkKey[3] = 0;
    WithDeviceLock([&] { Band(0, 30).SetBandwidthCode(60); });
    page->RefreshChannel();
    Type(COutputPage::IDC_PHASE, Utf8Text("160")); // (100 - 20) x 2 degrees
    for (int n : {0, 3}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Band(n, 30).GetKind(), FilterKind::Special);
        EXPECT_EQ(Band(n, 30).GetDisplayFreq(), 100);
        EXPECT_EQ(Band(n, 30).GetBandwidthCode(), COutputPage::kPhaseBandwidth);
        EXPECT_TRUE(Band(n, 30).IsChanged());
    }
    EXPECT_EQ(page->PhaseValue(), 100);
    ASSERT_TRUE(page->PhaseTimer().IsActive());
    EXPECT_EQ(page->PhaseTimer().Period(), COutputPage::kPhaseRedisplayMs);
    EXPECT_EQ(Text(COutputPage::kBandQ + 30), QText(60)); // not yet
    page->PhaseTimer().Fire();
    EXPECT_FALSE(page->PhaseTimer().IsActive());
    EXPECT_EQ(Text(COutputPage::kBandFreq + 30), "20000");
    EXPECT_EQ(Text(COutputPage::kBandQ + 30), QText(COutputPage::kPhaseBandwidth));

    // The same value again does nothing.
    Type(COutputPage::IDC_PHASE, Utf8Text("160"));
    EXPECT_FALSE(page->PhaseTimer().IsActive());

    // 20 (0 degrees): an ordinary band at 20 kHz again, here and linked.
    page->Spin(COutputPage::IDC_PHASE_SPIN)->SetValueChecked(21);
    page->Spin(COutputPage::IDC_PHASE_SPIN)->ArrowStep(-1, false);
    for (int n : {0, 3}) {
        EXPECT_EQ(Band(n, 30).GetKind(), FilterKind::Peaking) << n;
        EXPECT_EQ(Band(n, 30).GetFreq(), 20000) << n;
    }
    ASSERT_TRUE(page->PhaseTimer().IsActive());
    page->PhaseTimer().Fire();
    EXPECT_EQ(Text(COutputPage::kBandFreq + 30), "20000");
    EXPECT_EQ(Text(COutputPage::kBandQ + 30), QText(Band(0, 30).GetBandwidthCode()));
    EXPECT_EQ(Text(COutputPage::IDC_PHASE), Utf8Text("0°"));
}

TEST_F(OutputLevelsTest, TheDelayUnitRetypesTheFieldAndLeavesTheModel) {
    g_DeviceSynced = 1;
    WithDeviceLock([&] {
        Out(0).SetDelay(96); // 2 ms
        data->ClearChangeFlags(0);
    });
    page->RefreshChannel();
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "2.000");
    page->List(COutputPage::IDC_DELAY_UNIT)->SetCurSel(1);
    platform::SendMessage(page.get(), WM_DROP_CHOICE, COutputPage::kListDelayUnit, 1);
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "69");
    EXPECT_EQ(g_DelayUnit, 1);
    page->List(COutputPage::IDC_DELAY_UNIT)->SetCurSel(2);
    platform::SendMessage(page.get(), WM_DROP_CHOICE, COutputPage::kListDelayUnit, 2);
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "27"); // 69.2 cm is 27.2 inches
    EXPECT_EQ(Out(0).GetDelay(), 96);
    EXPECT_FALSE(Out(0).IsBasicDirty());
    // The selector's message retypes the field but keeps the page's unit.
    platform::SendMessage(page.get(), WM_DELAY_UNIT, 0, 1);
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "2.000");
    EXPECT_EQ(g_DelayUnit, 2);
    platform::SendMessage(page.get(), WM_DELAY_UNIT, 0, 9);
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "2.000");

    // Typed in centimetres: the code of the distance; the spin steps one shown unit.
    g_DelayUnit = 1;
    page->RefreshChannel();
    Type(COutputPage::IDC_DELAY, "87");
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "87");
    EXPECT_TRUE(Out(0).IsBasicDirty());
    page->Spin(COutputPage::IDC_DELAY_SPIN)->ArrowStep(-1, false);
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "86");
    EXPECT_EQ(Out(0).GetDelay(), page->Field(COutputPage::IDC_DELAY)->GetValue());
}

TEST_F(OutputLevelsTest, AGroupDelayStepReachesEveryMemberInEachUnit) {
    // Front left: midrange (current), tweeter and woofer, linked.
    g_OutputSpeakerType[0] = 2;
    g_OutputSpeakerType[1] = 1;
    g_OutputSpeakerType[3] = 3;
    g_SpeakerGroups->Analyse();
    g_SpeakerGroups->frontLeft.state = kGroupLinked;
    WithDeviceLock([&] {
        Out(1).SetDelay(100);
        Out(3).SetDelay(719);
        Out(2).SetDelay(50); // another group
    });
    struct Step {
        int spin, delta;
    };
    for (const Step& s :
         {Step{COutputPage::IDC_DELAY_MS_SPIN, +1}, Step{COutputPage::IDC_DELAY_CM_SPIN, +1},
          Step{COutputPage::IDC_DELAY_INCH_SPIN, +1}, Step{COutputPage::IDC_DELAY_CM_SPIN, -1}}) {
        SCOPED_TRACE(s.spin);
        const int one = Out(1).GetDelay(), three = Out(3).GetDelay();
        platform::SendMessage(page.get(), WM_DELAY_SPIN_STEP, static_cast<WPARAM>(s.spin), s.delta);
        const auto expect = [&](int from) {
            if (s.spin == COutputPage::IDC_DELAY_MS_SPIN) return std::clamp(from + s.delta, 0, 720);
            if (s.spin == COutputPage::IDC_DELAY_CM_SPIN)
                return StepDelayCentimetres(from, s.delta);
            return StepDelayInches(from, s.delta);
        };
        EXPECT_EQ(Out(1).GetDelay(), expect(one));
        EXPECT_EQ(Out(3).GetDelay(), expect(three));
        EXPECT_NE(Out(1).GetDelay(), one);
        EXPECT_EQ(Out(2).GetDelay(), 50);
        EXPECT_EQ(Out(0).GetDelay(), 0); // the current output is its field's matter
    }
    EXPECT_EQ(Out(3).GetDelay(),
              StepDelayCentimetres(720, -1)); // it stayed at 720, then came down one unit

    // Through the spin itself: its step posts the message.
    const int before = Out(1).GetDelay();
    page->Spin(COutputPage::IDC_DELAY_MS_SPIN)->ArrowStep(1, false);
    QApplication::processEvents();
    EXPECT_EQ(Out(1).GetDelay(), before + 1);

    // A type outside the groups (front left full range), or a group not linked: nothing.
    for (int type : {6, 2}) {
        g_OutputSpeakerType[0] = static_cast<uint8_t>(type);
        g_SpeakerGroups->Analyse();
        const int now = Out(1).GetDelay();
        platform::SendMessage(page.get(), WM_DELAY_SPIN_STEP, COutputPage::IDC_DELAY_MS_SPIN, 1);
        EXPECT_EQ(Out(1).GetDelay(), now) << type;
    }
}

TEST_F(OutputLevelsTest, MuteAndPolarityAndTheViewsAnswers) {
    g_DeviceSynced = 1;
    WithDeviceLock([&] { Out(0).SetOutputOn(0); });
    page->RefreshChannel();
    ASSERT_EQ(page->BitButton(COutputPage::IDC_MUTE)->GetCheck(), 1);
    // A click on the checked button: unchecked, and the view switches the output on.
    Command(COutputPage::IDC_MUTE);
    EXPECT_EQ(page->BitButton(COutputPage::IDC_MUTE)->GetCheck(), 0);
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0], std::make_tuple(unsigned(WM_PAGE_OUTPUT_ON), WPARAM(0), LPARAM(1)));
    page->SetChannelOn(0, 1);
    EXPECT_EQ(Out(0).GetOutputOn(), 1);
    Command(COutputPage::IDC_MUTE);
    EXPECT_EQ(host.posted[1], std::make_tuple(unsigned(WM_PAGE_OUTPUT_ON), WPARAM(0), LPARAM(0)));

    WithDeviceLock([&] { data->ClearChangeFlags(0); });
    Command(COutputPage::IDC_POLARITY);
    EXPECT_EQ(Out(0).GetPolarity(), 1);
    EXPECT_EQ(page->BitButton(COutputPage::IDC_POLARITY)->GetCheck(), 1);
    EXPECT_TRUE(Out(0).IsBasicDirty());
    Command(COutputPage::IDC_POLARITY);
    EXPECT_EQ(Out(0).GetPolarity(), 0);
    page->SetChannelPolarity(5, 1);
    EXPECT_EQ(Out(5).GetPolarity(), 1);
}

TEST_F(OutputLevelsTest, ThePhaseFrequencyFieldNeverWritesTheLimiterReleaseWord) {
    g_DeviceSynced = 1;
    WithDeviceLock([&] {
        Out(0).SetReleaseTime(15); // 65 ms on the system page
        data->ClearChangeFlags(0);
    });
    page->RefreshChannel();
    Type(COutputPage::IDC_PHASE_FREQ, "5000");
    page->Spin(COutputPage::IDC_PHASE_FREQ_SPIN)->ArrowStep(1, false);
    EXPECT_EQ(Out(0).GetReleaseTime(), 15);
    EXPECT_FALSE(Out(0).IsDynamicsDirty());
    EXPECT_EQ(host.resyncs, 0);
}

TEST_F(OutputLevelsTest, TheHiddenDelayFieldsAgreeAndSetTheDelay) {
    g_DeviceSynced = 1;
    page->Spin(COutputPage::IDC_DELAY_CM_SPIN)->SetValueChecked(121);
    platform::SendMessage(page.get(), WM_COMMAND, CommandWParam(COutputPage::IDC_DELAY_CM, 0), 0);
    EXPECT_EQ(Out(0).GetDelay(), 121);
    EXPECT_EQ(page->Field(COutputPage::IDC_DELAY_MS)->GetValue(), 121);
    EXPECT_EQ(page->Field(COutputPage::IDC_DELAY_INCH)->GetValue(), 121);
    EXPECT_EQ(Text(COutputPage::IDC_DELAY_CM), "87CM");
}

} // namespace
