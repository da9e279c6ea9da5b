// The output page's messages: the graph's notices with and without its
// released flag, the sliders, the EQ-mode and EQ-reset questions, the
// joint-debug result with its frames, paste, the band focus request, the
// page button and the hidden high-pass frequency list.
#include "tests/pages/OutputPageTestSupport.h"

#include "controls/ControlTimer.h"

#include <QMouseEvent>

namespace {

using namespace pagetest;

// Counts the graph's notices the page receives.
class NoticeCountingPage : public COutputPage {
public:
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        if (msg == WM_GRAPH_BAND_CHANGED) ++notices;
        return COutputPage::WindowProc(msg, w, l);
    }
    int notices = 0;
};

// ---------------------------------------------------------------------------
// The graph
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, EveryGraphCodeWithAndWithoutTheReleasedFlag) {
    ControlTimer::ManualTime manual; // the graph's 200 ms timer ticks by hand
    NoticeCountingPage counting;
    counting.resize(1275, 607);
    counting.SetView(&host);
    counting.SetChannelArray(data.get());
    counting.RefreshAll();
    counting.show();
    counting.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&counting));
    CEqGraph* graph = counting.Graph();
    const auto focused = [] { return ControlId(QApplication::focusWidget()); };

    for (int code = 0; code <= 32; ++code) {
        SCOPED_TRACE(code);
        const int field = code == 31   ? COutputPage::IDC_HPF_FREQ
                          : code == 32 ? COutputPage::IDC_LPF_FREQ
                                       : COutputPage::kBandGain + code;
        // Without the flag: the page takes the values, the focus stays.
        counting.FocusField(COutputPage::IDC_LEVEL);
        if (code < 31) WithDeviceLock([&] { Band(0, code).SetGainCode(210 + code); });
        platform::SendMessage(&counting, WM_GRAPH_BAND_CHANGED, static_cast<WPARAM>(code), 768);
        EXPECT_EQ(focused(), COutputPage::IDC_LEVEL);
        EXPECT_EQ(counting.HighlightedField(), counting.Field(field));
        if (code < 31) {
            EXPECT_EQ(counting.Field(field)->GetValue(), 210 + code);
        }
        // A release: exactly one more notice, which moves the focus to the field.
        graph->Redraw(code);
        QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        ASSERT_TRUE(graph->IsReleased());
        counting.notices = 0;
        for (int tick = 0; tick < 4; ++tick) {
            graph->NotifyTimer().Fire();
            QApplication::processEvents();
        }
        EXPECT_EQ(counting.notices, 1);
        EXPECT_FALSE(graph->IsReleased());
        EXPECT_EQ(focused(), field);
    }
    // Codes outside 0..32 do nothing.
    counting.FocusField(COutputPage::IDC_LEVEL);
    platform::SendMessage(&counting, WM_GRAPH_BAND_CHANGED, 33, 768);
    EXPECT_EQ(focused(), COutputPage::IDC_LEVEL);
}

TEST_F(OutputPageTest, TheCrossoverOnTheGraphSpreadsToTheLinkedOutputs) {
    g_LinkKey[4] = 0;
    WithDeviceLock([&] {
        Out(0).GetHighPass()->SetFreq(250, 1);
        Out(0).GetLowPass()->SetFreq(3000, 1);
    });
    platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, 31, 768);
    platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, 32, 768);
    EXPECT_EQ(Out(4).GetHighPass()->GetFreq(), 250);
    EXPECT_EQ(Out(4).GetLowPass()->GetFreq(), 3000);
    EXPECT_EQ(Text(COutputPage::IDC_HPF_FREQ), "250Hz");
    EXPECT_EQ(Text(COutputPage::IDC_LPF_FREQ), "3000Hz");
    EXPECT_EQ(page->Graph()->GetSelectedBand(), 32);
    EXPECT_EQ(Out(5).GetHighPass()->GetFreq(), data->GetOut(6)->GetHighPass()->GetFreq());
}

// ---------------------------------------------------------------------------
// Sliders
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, TheLevelSliderMovingAndMovedPostsTheLevelToTheView) {
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    page->Slider(COutputPage::IDC_LEVEL_SLIDER)->SetPos(450);
    platform::SendMessage(page.get(), WM_SLIDER_MOVING, COutputPage::IDC_LEVEL_SLIDER, 450);
    page->Slider(COutputPage::IDC_LEVEL_SLIDER)->SetPos(600);
    platform::SendMessage(page.get(), WM_SLIDER_MOVED, COutputPage::IDC_LEVEL_SLIDER, 600);
    ASSERT_EQ(host.posted.size(), 2u);
    EXPECT_EQ(host.posted[0],
              std::make_tuple(unsigned(WM_PAGE_OUTPUT_LEVEL), WPARAM(0), LPARAM(450)));
    EXPECT_EQ(host.posted[1],
              std::make_tuple(unsigned(WM_PAGE_OUTPUT_LEVEL), WPARAM(0), LPARAM(600)));
    EXPECT_EQ(Text(COutputPage::IDC_LEVEL), "0.0dB");
    EXPECT_EQ(ControlId(QApplication::focusWidget()), COutputPage::IDC_LEVEL);
    EXPECT_EQ(host.modified[0], 1);
    // The field: the slider follows and the view hears of it.
    Type(COutputPage::IDC_LEVEL, "-20.0");
    EXPECT_EQ(page->Slider(COutputPage::IDC_LEVEL_SLIDER)->GetPos(), 400);
    EXPECT_EQ(host.posted.back(),
              std::make_tuple(unsigned(WM_PAGE_OUTPUT_LEVEL), WPARAM(0), LPARAM(400)));
}

// ---------------------------------------------------------------------------
// EQ mode and EQ reset
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, TheEqModeQuestionAnsweredBothWays) {
    Boxes boxes(CMessageBox::Action::Cancel);
    Command(COutputPage::IDC_EQ_MODE);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Whether the P.EQ Mode convert to G.EQ Mode?"));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Prompting"));
    EXPECT_EQ(page->PictureButton(COutputPage::IDC_EQ_MODE)->GetCheck(), 0);
    EXPECT_EQ(Out(0).GetEqMode(), 0);
    EXPECT_EQ(host.Count("reset eq"), 0);

    boxes.AnswerYes();
    Command(COutputPage::IDC_EQ_MODE);
    EXPECT_EQ(page->PictureButton(COutputPage::IDC_EQ_MODE)->GetCheck(), 1);
    EXPECT_EQ(Out(0).GetEqMode(), 1);
    EXPECT_FALSE(page->Field(COutputPage::kBandFreq + 3)->isEnabled());
    EXPECT_EQ(host.Count("reset eq"), 1);

    g_LanguageFlag = 1;
    boxes.AnswerNo();
    Command(COutputPage::IDC_EQ_MODE);
    EXPECT_EQ(boxes.shown.back().text, Utf8Text("是否把图示均衡模式转换为参量均衡模式?"));
    EXPECT_EQ(boxes.shown.back().caption, Utf8Text("提示"));
    EXPECT_EQ(Out(0).GetEqMode(), 1);
    boxes.AnswerYes();
    Command(COutputPage::IDC_EQ_MODE);
    EXPECT_EQ(Out(0).GetEqMode(), 0);
    EXPECT_TRUE(page->Field(COutputPage::kBandFreq + 3)->isEnabled());
    EXPECT_EQ(host.Count("reset eq"), 2);
}

TEST_F(OutputPageTest, TheEqResetQuestionAnsweredBothWays) {
    Boxes boxes(CMessageBox::Action::Cancel);
    Command(COutputPage::IDC_EQ_RESET);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Whether the reset All EQ?"));
    EXPECT_EQ(host.Count("reset eq"), 0);
    boxes.AnswerYes();
    Command(COutputPage::IDC_EQ_RESET);
    EXPECT_EQ(host.Count("reset eq"), 1);
}

// ---------------------------------------------------------------------------
// Joint-debug result
// ---------------------------------------------------------------------------

// Records, at each step of the joint-debug result, whether the lock was held.
class BracketPage : public COutputPage {
public:
    void MuteMaskOutputs(int output, bool begin) override {
        steps.push_back(std::string(begin ? "mute" : "unmute") + (LockFree() ? "" : " (locked)"));
        COutputPage::MuteMaskOutputs(output, begin);
    }
    void CopyToLinkedOutputs(int output) override {
        steps.push_back(std::string("copy") + (LockFree() ? "" : " (locked)"));
        COutputPage::CopyToLinkedOutputs(output);
    }
    void RefreshMaskPanels(int output, int mask) override {
        steps.push_back(std::string("panels") + (LockFree() ? "" : " (locked)"));
        COutputPage::RefreshMaskPanels(output, mask);
    }
    std::vector<std::string> steps;
};

TEST_F(OutputPageTest, TheJointDebugResultQueuesItsFramesInOrderUnderTheLock) {
    Connect();
    BracketPage bracket;
    bracket.SetView(&host);
    bracket.SetChannelArray(data.get());
    WithDeviceLock([&] {
        Out(2).SetOutputOn(0);
        Band(0, 7).SetGainCode(280);
    });
    bracket.Panel(0).mask = 0b101;
    bracket.Panel(2).mask = 0b101;
    platform::SendMessage(&bracket, WM_JOINT_DEBUG_RESULT, 0, 0);
    // One lock from the first off frame to the last restoring frame.
    EXPECT_EQ(bracket.steps, (std::vector<std::string>{"mute (locked)", "copy (locked)",
                                                       "unmute (locked)", "panels (locked)"}));
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"queue (locked)", "queue (locked)", "copy 0 2 (locked)",
                                        "queue (locked)", "queue (locked)"}));

    const std::vector<Frame> frames = Queued(session->Command());
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_TRUE(IsBasicFrame(frames[0], 0, 0));
    EXPECT_TRUE(IsBasicFrame(frames[1], 2, 0));
    EXPECT_EQ(frames[2].channel, 2);
    EXPECT_EQ(frames[2].payload.size(), static_cast<size_t>(kOutputBlockSize));
    EXPECT_EQ(GetU16(&frames[2].payload[7 * 8 + 2]), 280 + 400); // output 0's band 7, copied
    EXPECT_TRUE(IsBasicFrame(frames[3], 0, 1));
    EXPECT_TRUE(IsBasicFrame(frames[4], 2, 0)); // its own on flag back: it was off

    EXPECT_EQ(g_LinkKey[0], MaskLinkKey(0b101));
    EXPECT_EQ(g_LinkKey[2], MaskLinkKey(0b101));
    EXPECT_EQ(g_LinkKey[1], MaskLinkKey(0b10));
    EXPECT_EQ(g_LinkActive, 1);
    EXPECT_EQ(Band(2, 7).GetGainCode(), 280);
    EXPECT_EQ(bracket.Panel(2).gain, Out(0).GetGain());
    EXPECT_FALSE(Out(0).IsBasicDirty());
    EXPECT_FALSE(Out(2).IsBasicDirty());
}

TEST_F(OutputPageTest, TheJointDebugResultWhileNotSynchronisedSendsNoOnOffFrames) {
    Connect();
    g_DeviceSynced = 0;
    page->Panel(1).mask = 0b110;
    page->Panel(2).mask = 0b110;
    platform::SendMessage(page.get(), WM_JOINT_DEBUG_RESULT, 1, 0);
    const std::vector<Frame> frames = Queued(session->Command());
    ASSERT_EQ(frames.size(), 1u); // the copy's block alone
    EXPECT_EQ(frames[0].channel, 2);
    EXPECT_EQ(g_LinkKey[1], MaskLinkKey(0b110));
}

// ---------------------------------------------------------------------------
// Paste, band focus, page button, high-pass list
// ---------------------------------------------------------------------------

TEST_F(OutputPageTest, PasteBandFocusPageButtonAndTheHighPassList) {
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    platform::SendMessage(page.get(), WM_PASTE_EQ, 3, 0);
    EXPECT_EQ(host.Count("paste 3 0"), 1);

    platform::SendMessage(page.get(), WM_BAND_FOCUS, 12, 0);
    EXPECT_EQ(ControlId(QApplication::focusWidget()), COutputPage::kBandGain + 12);
    EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(12));
    platform::SendMessage(page.get(), WM_BAND_FOCUS, 32, 0);
    EXPECT_EQ(ControlId(QApplication::focusWidget()), COutputPage::IDC_LPF_FREQ);
    EXPECT_EQ(page->HighlightedLabel(), nullptr);
    platform::SendMessage(page.get(), WM_BAND_FOCUS, 40, 0);
    EXPECT_EQ(ControlId(QApplication::focusWidget()), COutputPage::IDC_LPF_FREQ);

    Command(COutputPage::IDC_PAGE_BUTTON);
    ASSERT_FALSE(host.posted.empty());
    EXPECT_EQ(host.posted.back(), std::make_tuple(unsigned(WM_PAGE_REQUEST), WPARAM(0), LPARAM(0)));

    // The third-octave list: 1 kHz, but never above the low-pass.
    g_LinkKey[6] = 0;
    WithDeviceLock([&] { Out(0).GetLowPass()->SetFreq(800, 0); });
    page->List(COutputPage::IDC_HPF_LIST)->SetCurSel(17);
    platform::SendMessage(page.get(), WM_DROP_CHOICE, COutputPage::kListHpfFreq, 17);
    EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), 800);
    EXPECT_EQ(Out(6).GetHighPass()->GetFreq(), 800);
    page->List(COutputPage::IDC_HPF_LIST)->SetCurSel(7);
    platform::SendMessage(page.get(), WM_DROP_CHOICE, COutputPage::kListHpfFreq, 7);
    EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), 100);
    EXPECT_EQ(page->Graph()->GetSelectedBand(), 31);
}

} // namespace
