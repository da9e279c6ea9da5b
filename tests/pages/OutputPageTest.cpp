// The output page offscreen with the program's own model: the refresh of
// every field kind in both languages, band and crossover edits with their
// marks and copies to same-key outputs, bypass-all with its frames, the
// focus rings, the curve bar, the graph's and the sliders' notices, and
// stored values outside the fields' ranges.
#include "tests/pages/OutputPageTestSupport.h"

#include "controls/BitButton.h"
#include "controls/core/NumValue.h"
#include "model/ValueScale.h"
#include "pages/output/CurveToggleStrip.h"

#include <QKeyEvent>

namespace {

using namespace pagetest;

// Counts the page's refreshes.
class CountingPage : public COutputPage {
public:
    void RefreshChannel() override {
        ++refreshes;
        COutputPage::RefreshChannel();
    }
    int refreshes = 0;
};

QString Utf8Text(const char* s) {
    return QString::fromUtf8(s);
}

// ---------------------------------------------------------------------------
// Refresh
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, ARefreshShowsEveryFieldKindOfTheOutputInBothLanguages) {
    WithDeviceLock([&] {
        CKTV_OutData& o = Out(2);
        Band(2, 5).SetFreq(1234, 0);
        Band(2, 5).SetBandwidthCode(40);
        Band(2, 5).SetGainCode(235);
        Band(2, 7).SetGainCode(200);
        Band(2, 9).SetGainCode(260);
        Band(2, 9).SetBypass(1);
        Band(2, 30).SetKind(FilterKind::Special);
        Band(2, 30).SetFreq(100, 0);
        o.GetHighPass()->SetFreq(80, 0);
        o.GetHighPass()->SetSlope(3, 0);
        o.GetHighPass()->SetFamily(2, 0);
        o.GetLowPass()->SetFreq(5000, 0);
        o.GetLowPass()->SetSlope(0, 0);
        o.GetLowPass()->SetFamily(1, 0);
        o.SetGain(450);
        o.SetDelay(96);
        o.SetPolarity(1);
        o.SetOutputOn(0);
        Out(4).SetGain(0);
    });
    struct Language {
        int flag;
        const char* family;
        const char* unit;
        const char* off;
    };
    for (const Language& l :
         {Language{0, "Butter-W", "Ms", "OFF"}, Language{1, "巴特沃斯", "毫秒", "关闭"}}) {
        SCOPED_TRACE(l.flag);
        g_LanguageFlag = l.flag;
        g_DelayUnit = 0;
        page->FillFilterLists();
        if (g_CurrentOutput != 2)
            page->SelectOutput(2);
        else
            page->RefreshChannel();
        EXPECT_EQ(Text(COutputPage::kBandFreq + 5), "1234");
        EXPECT_EQ(Text(COutputPage::kBandQ + 5), QText(40));
        EXPECT_EQ(Text(COutputPage::kBandGain + 5), "3.5");
        EXPECT_EQ(page->Slider(COutputPage::kBandSlider + 5)->GetValue(), 235);
        EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + 5)->GetCheck(), 0);
        EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + 7)->GetCheck(),
                  1); // flat counts as bypassed
        EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + 9)->GetCheck(), 1);
        EXPECT_EQ(Text(COutputPage::kBandGain + 9), "0.0");
        EXPECT_EQ(page->Slider(COutputPage::kBandSlider + 9)->GetValue(), 200);
        // The phase band shows the top frequency; the phase field its degrees.
        EXPECT_EQ(Text(COutputPage::kBandFreq + 30), "20000");
        EXPECT_EQ(Text(COutputPage::IDC_PHASE), Utf8Text("160°"));
        EXPECT_EQ(Text(COutputPage::IDC_HPF_FREQ), "80Hz");
        EXPECT_EQ(page->List(COutputPage::IDC_HPF_SLOPE)->text(), "24dB/Oct");
        EXPECT_EQ(page->List(COutputPage::IDC_HPF_FAMILY)->text(), Utf8Text(l.family));
        EXPECT_FALSE(page->List(COutputPage::IDC_HPF_FAMILY)->isHidden());
        EXPECT_EQ(Text(COutputPage::IDC_LPF_FREQ), "5000Hz");
        EXPECT_EQ(page->List(COutputPage::IDC_LPF_SLOPE)->text(), "6dB/Oct");
        EXPECT_TRUE(page->List(COutputPage::IDC_LPF_FAMILY)->isHidden()); // 6 dB/Oct has no family
        EXPECT_EQ(Text(COutputPage::IDC_LEVEL), "-15.0dB");
        EXPECT_EQ(page->Slider(COutputPage::IDC_LEVEL_SLIDER)->GetPos(), 450);
        EXPECT_EQ(Text(COutputPage::IDC_DELAY), "2.000");
        EXPECT_EQ(page->List(COutputPage::IDC_DELAY_UNIT)->text(), Utf8Text(l.unit));
        EXPECT_EQ(page->BitButton(COutputPage::IDC_POLARITY)->GetCheck(), 1);
        EXPECT_EQ(page->BitButton(COutputPage::IDC_MUTE)->GetCheck(), 1); // checked while off
        EXPECT_EQ(page->Graph()->GetOutputIndex(), 2);

        g_DelayUnit = 1;
        page->RefreshChannel();
        EXPECT_EQ(Text(COutputPage::IDC_DELAY), "69"); // 2 ms at 346 m/s
        page->SelectOutput(4);
        EXPECT_EQ(Text(COutputPage::IDC_LEVEL), Utf8Text(l.off));
        EXPECT_EQ(Text(COutputPage::kBandFreq + 30), "20000"); // an ordinary top band
        EXPECT_EQ(Text(COutputPage::IDC_PHASE), Utf8Text("0°"));
        page->SelectOutput(2);
    }
}

TEST_F(OutputPageTest, SelectingAnyOutputRefreshesThePageExactlyOnce) {
    CountingPage counting;
    counting.resize(1275, 607);
    counting.SetView(&host);
    counting.SetChannelArray(data.get());
    WithDeviceLock([&] {
        for (int n = 0; n < 12; ++n)
            Out(n).SetGain(static_cast<int16_t>(100 + 10 * n));
    });
    for (int n = 0; n < 12; ++n) {
        g_CurrentOutput = (n + 1) % 12;
        counting.refreshes = 0;
        counting.SelectOutput(n);
        EXPECT_EQ(counting.refreshes, 1) << n;
        EXPECT_EQ(g_CurrentOutput, n);
        EXPECT_EQ(counting.Field(COutputPage::IDC_LEVEL)->GetValue(), 100 + 10 * n);
        EXPECT_TRUE(counting.Panel(n).selected);
        counting.SelectOutput(n); // the current output: nothing
        EXPECT_EQ(counting.refreshes, 1) << n;
    }
}

TEST_F(OutputPageTest, AStoredSpeakerTypeAbove24ActsAsNoneAndStaysStored) {
    for (uint8_t type : {uint8_t(25), uint8_t(30), uint8_t(255)}) {
        g_OutputSpeakerType[0] = type;
        g_OutputSpeakerType[3] = 7; // front right tweeter
        EXPECT_EQ(COutputPage::PageSpeakerType(0), 0);
        ASSERT_EQ(page->RefreshAll(), 1);
        page->SelectOutput(3);
        page->SelectOutput(0);
        for (int t = 1; t <= 24; ++t)
            if (!page->PositionButton(t)->isHidden()) {
                EXPECT_NE(page->PositionButton(t)->GetUserData(), 0) << t;
            }
        EXPECT_FALSE(page->PositionButton(7)->isHidden());
        EXPECT_EQ(g_OutputSpeakerType[0], type);
    }
}

// ---------------------------------------------------------------------------
// Stored values outside the fields' ranges
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, AValueOutOfRangeAsksOnceShowsTheRestAndNeverLoops) {
    Boxes boxes(CMessageBox::Action::Cancel); // No
    WithDeviceLock([&] {
        Band(0, 3).SetGainCode(380);  // +18 dB: beyond the field's +12
        Band(0, 4).SetFreq(25000, 0); // above 20 kHz
        Band(0, 6).SetGainCode(20);   // -18 dB
        Band(0, 10).SetFreq(777, 0);
        Out(0).SetGain(300);
        Out(0).SetReleaseTime(10); // the limiter's release, 60 ms
    });
    page->RefreshChannel();
    EXPECT_EQ(boxes.Count(kDataException), 1);
    EXPECT_EQ(Text(COutputPage::kBandGain + 3), "12.0");
    EXPECT_EQ(Text(COutputPage::kBandFreq + 4), "20000");
    EXPECT_EQ(Text(COutputPage::kBandGain + 6), "-12.0");
    EXPECT_EQ(Text(COutputPage::kBandFreq + 10), "777");
    EXPECT_EQ(Text(COutputPage::IDC_LEVEL), "-30.0dB");
    EXPECT_EQ(host.resyncs, 0);
    // The same data again (another refresh, another load): no question.
    page->RefreshChannel();
    page->RefreshAll();
    EXPECT_EQ(boxes.Count(kDataException), 1);

    // A new damaged value is asked about once; Yes asks the device again,
    // once, and the page still shows every field.
    boxes.AnswerYes();
    WithDeviceLock([&] { Band(0, 8).SetGainCode(390); });
    EXPECT_FALSE(page->RefreshChannelChecked());
    EXPECT_EQ(boxes.Count(kDataException), 2);
    EXPECT_EQ(host.resyncs, 1);
    EXPECT_EQ(Text(COutputPage::kBandFreq + 10), "777");
    EXPECT_EQ(Text(COutputPage::kBandGain + 8), "12.0");
    // The device sends the same bytes back: shown, not asked, not read again.
    EXPECT_TRUE(page->RefreshChannelChecked());
    EXPECT_EQ(boxes.Count(kDataException), 2);
    EXPECT_EQ(host.resyncs, 1);
}

TEST_F(OutputPageTest, TheLimiterReleaseWordIsNeverCheckedAsAPhaseFrequency) {
    Boxes boxes(CMessageBox::Action::Ok);
    for (int16_t release : {int16_t(0), int16_t(10), int16_t(19), int16_t(30000)}) {
        WithDeviceLock([&] { Out(5).SetReleaseTime(release); });
        page->SelectOutput(5);
        page->RefreshAll();
        page->SelectOutput(0);
    }
    EXPECT_EQ(boxes.Count(kDataException), 0);
    EXPECT_EQ(host.resyncs, 0);
    EXPECT_EQ(Out(5).GetReleaseTime(), 30000);
}

// ---------------------------------------------------------------------------
// Band editing
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, BandEditsChangeTheModelAndMarkOnlyWhileSynchronised) {
    for (int synced : {0, 1}) {
        SCOPED_TRACE(synced);
        g_DeviceSynced = synced;
        WithDeviceLock([&] { data->ClearChangeFlags(0); });
        const int band = 5 + synced;
        Type(COutputPage::kBandGain + band, "4.5");
        EXPECT_EQ(Band(0, band).GetGainCode(), 245);
        EXPECT_EQ(Band(0, band).IsChanged(), synced);
        EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + band)->GetCheck(), 0);
        EXPECT_EQ(page->Slider(COutputPage::kBandSlider + band)->GetValue(), 245);

        WithDeviceLock([&] { data->ClearChangeFlags(0); });
        Type(COutputPage::kBandFreq + band, "1500");
        EXPECT_EQ(Band(0, band).GetFreq(), 1500);
        EXPECT_EQ(Band(0, band).IsChanged(), synced);

        WithDeviceLock([&] { data->ClearChangeFlags(0); });
        const int q = Band(0, band).GetBandwidthCode();
        page->Spin(COutputPage::kBandQSpin + band)
            ->ArrowStep(1, false); // the spin shares the worker
        EXPECT_EQ(Band(0, band).GetBandwidthCode(), q + 1);
        EXPECT_EQ(Band(0, band).IsChanged(), synced);

        // The lamp bypasses the band and keeps its gain.
        WithDeviceLock([&] { data->ClearChangeFlags(0); });
        Command(COutputPage::kBandBypass + band);
        EXPECT_TRUE(Band(0, band).IsBypassedOrFlat());
        EXPECT_EQ(Band(0, band).IsChanged(), synced);
        EXPECT_EQ(Text(COutputPage::kBandGain + band), "0.0");
        Command(COutputPage::kBandBypass + band);
        EXPECT_EQ(Text(COutputPage::kBandGain + band), "4.5");
        EXPECT_EQ(page->Slider(COutputPage::kBandSlider + band)->GetValue(), 245);

        // Exactly 0 dB lights the lamp.
        Type(COutputPage::kBandGain + band, "0");
        EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + band)->GetCheck(), 1);
        EXPECT_EQ(page->Graph()->GetSelectedBand(), band);
        EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(band));
        EXPECT_EQ(page->HighlightedField(), page->Field(COutputPage::kBandGain + band));
        EXPECT_EQ(host.modified[0], 1);
    }
}

TEST_F(OutputPageTest, TheTopBandLeavesItsPhaseSettingOnAFrequencyOrQEdit) {
    auto makePhase = [&](int n) {
        WithDeviceLock([&] {
            Band(n, 30).SetKind(FilterKind::Special);
            Band(n, 30).SetFreq(100, 0);
            Band(n, 30).SetBandwidthCode(COutputPage::kPhaseBandwidth);
        });
    };
    g_LinkKey[1] = 0;
    makePhase(0);
    makePhase(1);
    page->RefreshChannel();
    EXPECT_EQ(page->PhaseValue(), 100);
    // The top frequency again changes nothing.
    Type(COutputPage::kBandFreq + 30, "20000");
    EXPECT_EQ(Band(0, 30).GetKind(), FilterKind::Special);
    // Another frequency: an ordinary band there, the phase at 0 degrees.
    Type(COutputPage::kBandFreq + 30, "12000");
    EXPECT_EQ(Band(0, 30).GetKind(), FilterKind::Peaking);
    EXPECT_EQ(Band(0, 30).GetFreq(), 12000);
    EXPECT_EQ(Band(1, 30).GetKind(), FilterKind::Peaking);
    EXPECT_EQ(Text(COutputPage::IDC_PHASE), Utf8Text("0°"));
    // A Q edit of a phase band: an ordinary band at 20 kHz with that Q, here and linked.
    makePhase(0);
    makePhase(1);
    page->RefreshChannel();
    Type(COutputPage::kBandQ + 30, "1.0");
    for (int n : {0, 1}) {
        EXPECT_EQ(Band(n, 30).GetKind(), FilterKind::Peaking) << n;
        EXPECT_EQ(Band(n, 30).GetFreq(), 20000) << n;
        EXPECT_EQ(Band(n, 30).GetBandwidthCode(), Band(0, 30).GetBandwidthCode()) << n;
    }
}

TEST_F(OutputPageTest, EditsReachTheOutputsWithTheSameLinkKeyAndNoOther) {
    g_DeviceSynced = 1;
    g_LinkKey[1] = 0;
    g_LinkKey[3] = 0;
    WithDeviceLock([&] {
        Band(1, 5).SetFreq(900, 0);
        for (int n : {0, 1, 2, 3})
            Band(n, 8).SetGainCode(230);
        Out(0).GetLowPass()->SetFreq(20000, 0);
        Out(3).GetLowPass()->SetFreq(2000, 0);
    });
    const int freq2 = Band(2, 6).GetFreq();
    const int hpf2 = Out(2).GetHighPass()->GetFreq();
    const int slope2 = Out(2).GetLowPass()->GetSlope();
    page->RefreshChannel();
    Type(COutputPage::kBandGain + 5, "4.5");
    Type(COutputPage::kBandFreq + 6, "2000");
    Type(COutputPage::kBandQ + 7, "1.0");
    Command(COutputPage::kBandBypass + 8);
    Type(COutputPage::IDC_HPF_FREQ, "5000");
    page->List(COutputPage::IDC_LPF_SLOPE)->SetCurSel(4);
    platform::SendMessage(page.get(), WM_DROP_CHOICE, COutputPage::kListLpfSlope, 4);
    page->List(COutputPage::IDC_HPF_FAMILY)->SetCurSel(1);
    platform::SendMessage(page.get(), WM_DROP_CHOICE, COutputPage::kListHpfFamily, 1);
    for (int n : {1, 3}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Band(n, 5).GetGainCode(), 245);
        EXPECT_EQ(Band(n, 6).GetFreq(), 2000);
        EXPECT_EQ(Band(n, 7).GetBandwidthCode(), Band(0, 7).GetBandwidthCode());
        EXPECT_TRUE(Band(n, 8).IsBypassedOrFlat());
        // Above output 3's own low-pass: a linked output takes the value as it is.
        EXPECT_EQ(Out(n).GetHighPass()->GetFreq(), 5000);
        EXPECT_EQ(Out(n).GetLowPass()->GetSlope(), 4);
        EXPECT_EQ(Out(n).GetHighPass()->GetFamily(), 1);
        EXPECT_TRUE(Band(n, 5).IsChanged());
    }
    EXPECT_TRUE(Band(0, 8).IsBypassedOrFlat());
    EXPECT_EQ(Band(1, 5).GetFreq(), 900); // only the edited value is copied
    EXPECT_EQ(Band(2, 5).GetGainCode(), 200);
    EXPECT_EQ(Band(2, 6).GetFreq(), freq2);
    EXPECT_FALSE(Band(2, 8).IsBypassedOrFlat());
    EXPECT_EQ(Out(2).GetHighPass()->GetFreq(), hpf2);
    EXPECT_EQ(Out(2).GetLowPass()->GetSlope(), slope2);

    // Unlinked again: the edit stays on the current output.
    g_LinkKey[1] = 1;
    g_LinkKey[3] = 3;
    Type(COutputPage::kBandGain + 5, "-3.0");
    EXPECT_EQ(Band(0, 5).GetGainCode(), 170);
    EXPECT_EQ(Band(1, 5).GetGainCode(), 245);
}

TEST_F(OutputPageTest, AGraphDragSpreadsTheBandButABypassedBandKeepsTheLinkedGains) {
    g_DeviceSynced = 1;
    g_LinkKey[1] = 0;
    WithDeviceLock([&] {
        Band(1, 4).SetGainCode(260);
        Band(1, 6).SetGainCode(260);
        Band(0, 4).SetGainCode(230);
        Band(0, 4).SetBypass(1);
        // What a drag of band 4 (bypassed) and band 6 does in the model.
        Band(0, 4).SetFreq(2000, 1);
        Band(0, 4).SetBandwidthCode(80);
        Band(0, 6).SetFreq(3000, 1);
        Band(0, 6).SetGainCode(250);
    });
    platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, 4, 768);
    EXPECT_EQ(Band(1, 4).GetFreq(), 2000);
    EXPECT_EQ(Band(1, 4).GetBandwidthCode(), 80);
    EXPECT_EQ(Band(1, 4).GetGainCode(), 260); // not the 0 dB it draws with
    EXPECT_EQ(Text(COutputPage::kBandFreq + 4), "2000");
    EXPECT_EQ(Text(COutputPage::kBandGain + 4), "0.0");
    EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + 4)->GetCheck(), 1);
    platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, 6, 768);
    EXPECT_EQ(Band(1, 6).GetFreq(), 3000);
    EXPECT_EQ(Band(1, 6).GetGainCode(), 250);
    EXPECT_EQ(Text(COutputPage::kBandGain + 6), "5.0");
    EXPECT_EQ(page->Slider(COutputPage::kBandSlider + 6)->GetValue(), 250);
    EXPECT_EQ(page->HighlightedField(), page->Field(COutputPage::kBandGain + 6));
}

TEST_F(OutputPageTest, ABandSliderMovesTheGainOfTheBandAndItsLinks) {
    g_LinkKey[2] = 0;
    page->Slider(COutputPage::kBandSlider + 12)->SetValue(290);
    platform::SendMessage(page.get(), WM_SLIDER_MOVING, COutputPage::kBandSlider + 12, 30);
    EXPECT_EQ(Band(0, 12).GetGainCode(), 290);
    EXPECT_EQ(Band(2, 12).GetGainCode(), 290);
    EXPECT_EQ(Text(COutputPage::kBandGain + 12), "9.0");
    EXPECT_EQ(page->Graph()->GetSelectedBand(), 12);
    page->Slider(COutputPage::kBandSlider + 12)->SetValue(200);
    platform::SendMessage(page.get(), WM_SLIDER_MOVED, COutputPage::kBandSlider + 12, 120);
    EXPECT_EQ(Band(0, 12).GetGainCode(), 200);
    EXPECT_EQ(page->PictureButton(COutputPage::kBandBypass + 12)->GetCheck(), 1);
    EXPECT_EQ(page->HighlightedField(), page->Field(COutputPage::kBandGain + 12));
}

// ---------------------------------------------------------------------------
// Bypass all
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, BypassAllQueuesItsFramesInOnePieceUnderTheLock) {
    Connect();
    Boxes boxes(CMessageBox::Action::Ok);
    g_LinkKey[1] = 0;
    WithDeviceLock([&] {
        Band(0, 5).SetGainCode(230);
        Band(1, 5).SetGainCode(260);
    });
    page->RefreshChannel();
    ASSERT_EQ(page->PictureButton(COutputPage::IDC_ALL_BYPASS)->GetCheck(), 0);
    Command(COutputPage::IDC_ALL_BYPASS);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Whether ByPass All EQ?"));
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"off frame 0 (locked)", "block 0 (locked)",
                                        "block locked 0 (locked)", "block locked 1 (locked)"}));
    // The output off, then each block between its output's off and on frames.
    const std::vector<Frame> frames = Queued(session->Command());
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_TRUE(IsBasicFrame(frames[0], 0, 0));
    for (int k = 0; k < 3; ++k) {
        const int channel = k == 2 ? 1 : 0;
        EXPECT_TRUE(IsBasicFrame(frames[1 + 3 * k], channel, 0)) << k;
        EXPECT_EQ(frames[2 + 3 * k].payload.size(), static_cast<size_t>(kOutputBlockSize)) << k;
        EXPECT_EQ(frames[2 + 3 * k].channel, channel) << k;
        EXPECT_TRUE(IsBasicFrame(frames[3 + 3 * k], channel, 1)) << k;
    }
    // Band 5 of both outputs goes out flat, and keeps its gain.
    EXPECT_EQ(GetU16(&frames[5].payload[5 * 8 + 2]), 600);
    EXPECT_EQ(GetU16(&frames[8].payload[5 * 8 + 2]), 600);
    EXPECT_EQ(page->PictureButton(COutputPage::IDC_ALL_BYPASS)->GetCheck(), 1);
    EXPECT_EQ(Text(COutputPage::kBandGain + 5), "0.0");
    EXPECT_NEAR(Band(1, 5).GetGain(), 6.0, 1e-9);

    // Restoring: the question, then the gains come back.
    Command(COutputPage::IDC_ALL_BYPASS);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, QStringLiteral("Whether Restore All EQ?"));
    EXPECT_EQ(Band(0, 5).GetGainCode(), 230);
    EXPECT_EQ(Band(1, 5).GetGainCode(), 260);
    EXPECT_EQ(Text(COutputPage::kBandGain + 5), "3.0");
}

TEST_F(OutputPageTest, BypassAllAnsweredNoOrWithNothingToRestoreChangesNothing) {
    Connect();
    Boxes boxes(CMessageBox::Action::Cancel);
    // Every band flat: the button shows "restore", and a click has nothing to do.
    ASSERT_EQ(page->PictureButton(COutputPage::IDC_ALL_BYPASS)->GetCheck(), 1);
    Command(COutputPage::IDC_ALL_BYPASS);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(page->PictureButton(COutputPage::IDC_ALL_BYPASS)->GetCheck(), 1);
    EXPECT_TRUE(Queued(session->Command()).empty());

    WithDeviceLock([&] { Band(0, 5).SetGainCode(230); });
    page->RefreshChannel();
    Command(COutputPage::IDC_ALL_BYPASS);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(page->PictureButton(COutputPage::IDC_ALL_BYPASS)->GetCheck(), 0);
    EXPECT_EQ(Band(0, 5).GetGainCode(), 230);
    EXPECT_FALSE(Band(0, 5).IsBypassedOrFlat());
    EXPECT_TRUE(Queued(session->Command()).empty());
}

// ---------------------------------------------------------------------------
// Crossover
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, TheCrossoverFrequenciesMeetButNeverCross) {
    struct Case {
        int hpf, lpf; // before
        int field;    // typed into
        const char* text;
        int wantHpf, wantLpf;
        const char* shown;
    };
    const Case cases[] = {
        {100, 2000, COutputPage::IDC_HPF_FREQ, "5000", 2000, 2000, "2000Hz"},
        {300, 20000, COutputPage::IDC_LPF_FREQ, "100", 300, 300, "300Hz"},
        {100, 2000, COutputPage::IDC_HPF_FREQ, "2000", 2000, 2000, "2000Hz"},
        {100, 2000, COutputPage::IDC_LPF_FREQ, "1500", 100, 1500, "1500Hz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WithDeviceLock([&] {
            Out(0).GetHighPass()->SetFreq(c.hpf, 0);
            Out(0).GetLowPass()->SetFreq(c.lpf, 0);
        });
        page->RefreshChannel();
        Type(c.field, QString::fromLatin1(c.text));
        EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), c.wantHpf);
        EXPECT_EQ(Out(0).GetLowPass()->GetFreq(), c.wantLpf);
        EXPECT_EQ(Text(c.field), QString::fromLatin1(c.shown));
        EXPECT_EQ(page->Graph()->GetSelectedBand(), c.field == COutputPage::IDC_HPF_FREQ ? 31 : 32);
    }
}

TEST_F(OutputPageTest, TheSlopeShowsOrHidesTheFamilyAndActsOnTheCurrentOutput) {
    auto choose = [&](int id, int notify, int index) {
        page->List(id)->SetCurSel(index);
        platform::SendMessage(page.get(), WM_DROP_CHOICE, static_cast<WPARAM>(notify), index);
    };
    choose(COutputPage::IDC_HPF_SLOPE, COutputPage::kListHpfSlope, 0);
    EXPECT_EQ(Out(0).GetHighPass()->GetSlope(), 0);
    EXPECT_TRUE(page->List(COutputPage::IDC_HPF_FAMILY)->isHidden());
    choose(COutputPage::IDC_HPF_SLOPE, COutputPage::kListHpfSlope, kCrossoverSlopeOff);
    EXPECT_EQ(Out(0).GetHighPass()->GetSlope(), kCrossoverSlopeOff);
    EXPECT_FALSE(page->List(COutputPage::IDC_HPF_FAMILY)->isHidden());
    choose(COutputPage::IDC_LPF_SLOPE, COutputPage::kListLpfSlope, 0);
    EXPECT_TRUE(page->List(COutputPage::IDC_LPF_FAMILY)->isHidden());

    // The slope already set: nothing shown or hidden, but redrawn and marked edited.
    host.modified[0] = 0;
    page->Graph()->Redraw(-1);
    page->List(COutputPage::IDC_LPF_FAMILY)->show();
    choose(COutputPage::IDC_LPF_SLOPE, COutputPage::kListLpfSlope, 0);
    EXPECT_FALSE(page->List(COutputPage::IDC_LPF_FAMILY)->isHidden());
    EXPECT_EQ(page->Graph()->GetSelectedBand(), 32);
    EXPECT_EQ(host.modified[0], 1);

    // Another output became current without the page being refreshed: the
    // handler edits that one.
    const int before = Out(0).GetHighPass()->GetSlope();
    g_CurrentOutput = 3;
    choose(COutputPage::IDC_HPF_SLOPE, COutputPage::kListHpfSlope, 5);
    EXPECT_EQ(Out(3).GetHighPass()->GetSlope(), 5);
    EXPECT_EQ(Out(0).GetHighPass()->GetSlope(), before);
    choose(COutputPage::IDC_LPF_FAMILY, COutputPage::kListLpfFamily, 2);
    EXPECT_EQ(Out(3).GetLowPass()->GetFamily(), 2);
}

TEST_F(OutputPageTest, ATweetersHighPassNeverGoesBelow20Hz) {
    g_OutputSpeakerType[0] = 1; // front left tweeter
    WithDeviceLock([&] { Out(0).GetHighPass()->SetFreq(2000, 0); });
    page->RefreshChannel();
    Type(COutputPage::IDC_HPF_FREQ, "5");
    EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), 20);
    EXPECT_EQ(Text(COutputPage::IDC_HPF_FREQ), "20Hz");
    page->Spin(COutputPage::IDC_HPF_SPIN)->ArrowStep(-1, false);
    EXPECT_GE(Out(0).GetHighPass()->GetFreq(), 20);
}

TEST_F(OutputPageTest, StoredFamilyAndSlopeOutsideTheirListsShowTheEnds) {
    WithDeviceLock([&] {
        Out(0).GetHighPass()->SetFamily(7, 0);
        Out(0).GetHighPass()->SetSlope(12, 0);
        Out(0).GetLowPass()->SetFamily(-1, 0);
    });
    page->RefreshChannel();
    EXPECT_EQ(page->List(COutputPage::IDC_HPF_FAMILY)->GetCurSel(), 2);
    EXPECT_EQ(page->List(COutputPage::IDC_HPF_SLOPE)->GetCurSel(), kCrossoverSlopeOff);
    EXPECT_EQ(page->List(COutputPage::IDC_LPF_FAMILY)->GetCurSel(), 0);
}

TEST_F(OutputPageTest, TheCrossoverRefreshAfterASpeakerTypeChange) {
    WithDeviceLock([&] { Out(0).SetSpeakerType(1); }); // a tweeter's crossover
    page->Graph()->Redraw(12);
    page->RefreshCrossover();
    EXPECT_EQ(page->Field(COutputPage::IDC_HPF_FREQ)->GetValue(), Out(0).GetHighPass()->GetFreq());
    EXPECT_EQ(page->Field(COutputPage::IDC_LPF_FREQ)->GetValue(), Out(0).GetLowPass()->GetFreq());
    EXPECT_EQ(page->List(COutputPage::IDC_HPF_SLOPE)->GetCurSel(),
              Out(0).GetHighPass()->GetSlope());
    EXPECT_EQ(page->List(COutputPage::IDC_LPF_FAMILY)->GetCurSel(),
              Out(0).GetLowPass()->GetFamily());
    EXPECT_EQ(page->List(COutputPage::IDC_HPF_FAMILY)->isHidden(),
              Out(0).GetHighPass()->GetSlope() == 0);
    EXPECT_EQ(page->List(COutputPage::IDC_HPF_SLOPE)->GetCount(), kCrossoverSlopeOff + 1);
    EXPECT_EQ(page->Graph()->GetSelectedBand(), -1);
}

TEST_F(OutputPageTest, InGraphicModeTheBandsOutsideTheCrossoverGetTheOtherThumb) {
    WithDeviceLock([&] {
        Out(0).SetEqMode(1);
        Out(0).GetHighPass()->SetFreq(100, 0);
        Out(0).GetLowPass()->SetFreq(5000, 0);
    });
    page->RefreshChannel();
    EXPECT_FALSE(page->Field(COutputPage::kBandFreq)->isEnabled()); // graphic mode: gains only
    const QImage inside = page->Slider(COutputPage::kBandSlider + 10)->grab().toImage();
    for (int band : {0, 3, 6, 25, 30}) // 20..80 Hz and 6.3..20 kHz
        EXPECT_NE(page->Slider(COutputPage::kBandSlider + band)->grab().toImage(), inside) << band;
    for (int band : {7, 15, 24}) // 100 Hz .. 5 kHz
        EXPECT_EQ(page->Slider(COutputPage::kBandSlider + band)->grab().toImage(), inside) << band;
    WithDeviceLock([&] { Out(0).SetEqMode(0); });
    page->RefreshChannel();
    EXPECT_EQ(page->Slider(COutputPage::kBandSlider)->grab().toImage(), inside);
}

// ---------------------------------------------------------------------------
// Curve bar
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, TheCurveBarTogglesTheCurvesAndReloadsForAnotherOutput) {
    CountingPage counting;
    counting.SetView(&host);
    counting.SetChannelArray(data.get());
    CCurveToggleStrip* bar = counting.CurveBar();
    bar->OnCurveButton(0); // the current output
    EXPECT_EQ(g_ShowCurve[0], 1);
    EXPECT_EQ(bar->Button(0)->GetCheck(), 1);
    EXPECT_EQ(counting.refreshes, 0);
    platform::SendMessage(bar, WM_COMMAND, CommandWParam(2820, 0), 0); // output 3's button
    EXPECT_EQ(g_ShowCurve[3], 1);
    EXPECT_EQ(counting.refreshes, 1);
    platform::SendMessage(bar, WM_COMMAND, CommandWParam(2820, 0), 0);
    EXPECT_EQ(g_ShowCurve[3], 0);
    EXPECT_EQ(bar->Button(3)->GetCheck(), 0);
    EXPECT_EQ(counting.refreshes, 2);
}

// ---------------------------------------------------------------------------
// Focus order
// ---------------------------------------------------------------------------

class OutputFocusTest : public OutputPageTest {
protected:
    void SetUp() override {
        OutputPageTest::SetUp();
        page->show();
        page->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    }
    void SetMode(int graphic) { page->PictureButton(COutputPage::IDC_EQ_MODE)->SetCheck(graphic); }
    int Focused() const { return ControlId(QApplication::focusWidget()); }
    // The key in the focused field, as the view's key filter hands it over.
    void Key(int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        page->PreTranslateKey(QApplication::focusWidget(), &e);
        QApplication::processEvents();
    }
    // Walks with a key from the first id; the ids reached, the master field as kMasterField.
    std::vector<int> Walk(int from, int key, size_t steps) {
        page->FocusField(from);
        std::vector<int> seen{Focused()};
        for (size_t i = 0; i < steps; ++i) {
            const int before = host.masterFocus;
            Key(key);
            seen.push_back(host.masterFocus > before ? COutputPage::kMasterField : Focused());
            if (seen.back() == COutputPage::kMasterField) break;
        }
        return seen;
    }
    static std::vector<int> Row(int base) {
        std::vector<int> ids;
        for (int b = 0; b < COutputPage::kBandCount; ++b)
            ids.push_back(base + b);
        return ids;
    }
};

TEST_F(OutputFocusTest, BothRingsForwardsAndBackwards) {
    using D = COutputPage;
    for (int graphic : {1, 0}) {
        SCOPED_TRACE(graphic);
        SetMode(graphic);
        std::vector<int> ring{D::IDC_HPF_FREQ, D::IDC_LPF_FREQ, D::IDC_LEVEL};
        for (int base : graphic ? std::vector<int>{D::kBandGain}
                                : std::vector<int>{D::kBandFreq, D::kBandQ, D::kBandGain})
            for (int id : Row(base))
                ring.push_back(id);
        ring.push_back(D::IDC_DELAY);
        ring.push_back(D::kMasterField);
        EXPECT_EQ(Walk(D::IDC_HPF_FREQ, Qt::Key_Right, ring.size()), ring);
        std::vector<int> back(ring.rbegin() + 1, ring.rend());
        back.push_back(D::kMasterField);
        EXPECT_EQ(Walk(D::IDC_DELAY, Qt::Key_Left, back.size()), back);
        // Tab and Enter (graphic mode) walk like Right.
        page->FocusField(D::kBandGain + 3);
        Key(Qt::Key_Tab);
        EXPECT_EQ(Focused(), D::kBandGain + 4);
    }
}

TEST_F(OutputFocusTest, TheBandOfTheNewFieldIsSelectedOnTheWay) {
    using D = COutputPage;
    SetMode(0);
    page->FocusField(D::kBandFreq + 30);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focused(), D::kBandQ);
    EXPECT_EQ(page->Graph()->GetSelectedBand(), 0);
    EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(0));
    page->FocusField(D::kBandGain + 30);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focused(), D::IDC_DELAY);
    // Left from the high-pass field: no band stays selected.
    page->FocusField(D::IDC_HPF_FREQ);
    Key(Qt::Key_Left);
    EXPECT_EQ(page->Graph()->GetSelectedBand(), -1);
    EXPECT_EQ(page->HighlightedLabel(), nullptr);
}

TEST_F(OutputFocusTest, EnterWalksDownAColumnThenToTheNextBand) {
    using D = COutputPage;
    SetMode(0);
    const struct {
        int from, to, band;
    } steps[] = {{D::kBandFreq + 7, D::kBandQ + 7, 7},
                 {D::kBandQ + 7, D::kBandGain + 7, 7},
                 {D::kBandGain + 7, D::kBandFreq + 8, 8},
                 {D::kBandGain + 30, D::IDC_DELAY, -2},
                 {D::IDC_DELAY, D::IDC_DELAY, -2}};
    for (const auto& s : steps) {
        page->FocusField(s.from);
        Key(Qt::Key_Return);
        EXPECT_EQ(Focused(), s.to) << s.from;
        if (s.band >= 0) {
            EXPECT_EQ(page->Graph()->GetSelectedBand(), s.band) << s.from;
        }
    }
}

TEST_F(OutputFocusTest, TheViewsTabStartsAtTheFirstBandField) {
    using D = COutputPage;
    for (int graphic : {1, 0}) {
        SetMode(graphic);
        page->ClearBandSelection();
        page->setFocus();
        page->FocusFirstBand();
        QApplication::processEvents();
        EXPECT_EQ(Focused(), graphic ? D::kBandGain : D::kBandFreq);
        EXPECT_EQ(page->Graph()->GetSelectedBand(), graphic ? 0 : -1);
        // With a field focused the view's Tab does nothing more.
        page->FocusFirstBand();
        QApplication::processEvents();
        EXPECT_EQ(Focused(), graphic ? D::kBandGain : D::kBandFreq);
    }
}

TEST_F(OutputFocusTest, ThePhaseFieldsKeepTheFocusAndSelectNoBand) {
    using D = COutputPage;
    for (int graphic : {1, 0}) {
        SetMode(graphic);
        for (int id : {D::IDC_PHASE, D::IDC_PHASE_FREQ}) {
            page->ClearBandSelection();
            page->Control(id)->show();
            for (int key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Return}) {
                page->FocusField(id);
                Key(key);
                EXPECT_EQ(Focused(), id) << id << " " << key;
                EXPECT_EQ(page->Graph()->GetSelectedBand(), -1) << id << " " << key;
                EXPECT_EQ(page->HighlightedLabel(), nullptr) << id << " " << key;
            }
        }
        page->Control(D::IDC_PHASE_FREQ)->hide();
    }
}

} // namespace
