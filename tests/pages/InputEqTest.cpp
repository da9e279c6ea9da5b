// The input page's equaliser with the real model: band edits and their
// selection, flat bands and Bypass EQ, Reset EQ and P.EQ / G.EQ with the
// reload after each, the keyboard rings, the sources without a music input,
// and the page's edits arriving at the simulated device byte for byte.
#include "tests/pages/InputPageTestSupport.h"

#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/ValueScale.h"

#include <cstdlib>

namespace {

using namespace inputtest;

constexpr int kGain = CInputPage::kBandGain;
constexpr int kFreq = CInputPage::kBandFreq;
constexpr int kQ = CInputPage::kBandQ;

// ---------------------------------------------------------------------------
// Band edits
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, AnUnchangedValueChangesNothingButSelectsTheBand) {
    const int freq = Band(1, 4).GetFreq();
    Type(kFreq + 4, QString::number(freq));
    EXPECT_EQ(Band(1, 4).IsChanged(), 0);
    EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(4));
    EXPECT_EQ(page->HighlightedField(), page->Field(kFreq + 4));
    EXPECT_EQ(page->Graph()->GetSelectedBand(), 4);

    g_DeviceSynced = 1; // the setters mark what changes
    Type(kFreq + 6, QStringLiteral("1234"));
    EXPECT_EQ(Band(1, 6).GetFreq(), 1234);
    EXPECT_NE(Band(1, 6).IsChanged(), 0);
    EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(6));
    Type(kQ + 6, page->Field(kQ + 6)->text());
    EXPECT_EQ(page->HighlightedField(), page->Field(kQ + 6));
    // The other inputs are untouched.
    for (int n : {0, 2, 3})
        EXPECT_EQ(Band(n, 6).IsChanged(), 0) << n;
}

// The start-up image leaves the inputs' crossover records unset (0 Hz, as
// the program also sends them): a flat equaliser from it draws on the 0 dB
// line from one end of the graph to the other.
TEST_F(InputPageTest, AFlatEqualiserFromTheStartUpImageDrawsFlat) {
    InitParamModel();
    WithDeviceLock([&] { data->LoadFromImage(g_ParamImage, -1); });
    page->ApplyModeAndSource(0);
    CEqGraph* graph = page->Graph();
    ASSERT_EQ(graph->GetMode(), CEqGraph::kModeMusic);
    const QImage img = graph->grab().toImage();
    const QRect plot = graph->PlotRect();
    const double zero = GainToGraphYExact(0.0, plot.height()) + 10;
    const QColor orange(234, 120, 0);
    auto isCurve = [&](QColor c) {
        return std::abs(c.red() - orange.red()) + std::abs(c.green() - orange.green()) +
                   std::abs(c.blue() - orange.blue()) <
               90;
    };
    int columns = 0, offLine = 0;
    QPoint firstOff;
    for (int x = plot.left() + 1; x < plot.right(); ++x) {
        bool seen = false;
        for (int y = plot.top() + 1; y < plot.bottom(); ++y) {
            if (!isCurve(img.pixelColor(x, y))) continue;
            seen = true;
            if (std::abs(y - zero) > 2.0 && offLine++ == 0) firstOff = QPoint(x, y);
        }
        if (seen) ++columns;
    }
    EXPECT_EQ(offLine, 0) << "first at " << firstOff.x() << "," << firstOff.y();
    EXPECT_GT(columns, plot.width() * 9 / 10);
}

TEST_F(InputPageTest, AFlatGainChecksTheBandAndBypassEqWhenAllAreFlat) {
    WithDeviceLock([&] {
        for (int b = 0; b < 31; ++b)
            Band(1, b).SetGainCode(b == 3 ? 260 : 200);
    });
    page->Refresh();
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 0);
    EXPECT_EQ(page->BypassButton(3)->GetCheck(), 0);
    EXPECT_EQ(page->Fader(3)->GetValue(), 260);
    Type(kGain + 3, QStringLiteral("0.0"));
    EXPECT_EQ(Band(1, 3).GetGainCode(), 200);
    EXPECT_EQ(page->BypassButton(3)->GetCheck(), 1);
    EXPECT_EQ(Text(kGain + 3), QStringLiteral("0.0"));
    EXPECT_EQ(page->Fader(3)->GetValue(), 200);
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 1);
    // A fader moved off flat: the field follows, the checks go.
    page->Fader(3)->SetValue(230);
    platform::SendMessage(page.get(), WM_SLIDER_MOVED, CInputPage::kBandFader + 3, 0);
    EXPECT_EQ(Band(1, 3).GetGainCode(), 230);
    EXPECT_EQ(Text(kGain + 3), QStringLiteral("3.0"));
    EXPECT_EQ(page->BypassButton(3)->GetCheck(), 0);
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 0);
    // The band's bypass: on, then off with its gain back.
    Command(CInputPage::kBandBypass + 3);
    EXPECT_EQ(page->BypassButton(3)->GetCheck(), 1);
    EXPECT_EQ(Text(kGain + 3), QStringLiteral("0.0"));
    EXPECT_NE(Band(1, 3).IsBypassedOrFlat(), 0);
    Command(CInputPage::kBandBypass + 3);
    EXPECT_EQ(page->BypassButton(3)->GetCheck(), 0);
    EXPECT_EQ(Text(kGain + 3), QStringLiteral("3.0"));
}

TEST_F(InputPageTest, AfterADragTheDraggedGainFieldTakesTheFocusOnce) {
    ControlTimer::ManualTime manual;
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    WithDeviceLock([&] { Band(1, 7).SetGainCode(250); });
    CEqGraph* graph = page->Graph();
    graph->Redraw(7);
    QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_TRUE(graph->IsReleased());
    platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, 7, 1);
    EXPECT_FALSE(graph->IsReleased());
    EXPECT_EQ(QApplication::focusWidget(), page->Field(kGain + 7));
    EXPECT_EQ(Text(kGain + 7), QStringLiteral("5.0"));
    EXPECT_EQ(page->Fader(7)->GetValue(), 250);
    // Another input's channel code is not this page's.
    WithDeviceLock([&] { Band(1, 8).SetGainCode(250); });
    platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, 8, 2);
    EXPECT_NE(Text(kGain + 8), QStringLiteral("5.0"));
}

// ---------------------------------------------------------------------------
// Bypass EQ, Reset EQ, P.EQ / G.EQ
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, BypassEqBypassesEveryBandAndRestoresThem) {
    Connect();
    WithDeviceLock([&] {
        for (int b = 0; b < 31; ++b)
            Band(1, b).SetGainCode(200 + (b % 5) * 10);
    });
    page->Refresh();
    ASSERT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 0);
    Boxes boxes(CMessageBox::Action::Cancel);
    Command(CInputPage::IDC_BYPASS_EQ);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Whether ByPass All EQ?"));
    // No: nothing stays bypassed, nothing is sent.
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 0);
    EXPECT_EQ(Band(1, 1).IsBypassedOrFlat(), 0);
    EXPECT_EQ(host.Count("input block"), 0);

    boxes.AnswerYes();
    Command(CInputPage::IDC_BYPASS_EQ);
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 1);
    for (int b = 0; b < 31; ++b)
        EXPECT_NE(Band(1, b).IsBypassedOrFlat(), 0) << b;
    EXPECT_EQ(page->BypassButton(1)->GetCheck(), 1);
    EXPECT_EQ(Text(kGain + 1), QStringLiteral("0.0"));
    EXPECT_EQ(host.Count("input block 1"), 1);
    // The gains are kept for the way back.
    EXPECT_EQ(Band(1, 1).GetGainCode(), 200);

    Command(CInputPage::IDC_BYPASS_EQ);
    EXPECT_EQ(boxes.shown.back().text, QStringLiteral("Whether Restore All EQ?"));
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 0);
    EXPECT_EQ(Band(1, 1).GetGainCode(), 210);
    EXPECT_EQ(Text(kGain + 1), QStringLiteral("1.0"));
    EXPECT_EQ(page->BypassButton(1)->GetCheck(), 0);
    EXPECT_EQ(host.Count("input block 1"), 2);
    // The other music inputs keep their bands.
    EXPECT_EQ(Music(0).UpdateAllEqBypassed(), Music(0).UpdateAllEqBypassed());
}

TEST_F(InputPageTest, AnAllFlatEqualiserCanBeSwitched) {
    ASSERT_NE(WithDeviceLock([&] { return Music(1).UpdateAllEqBypassed(); }), 0);
    page->Refresh();
    ASSERT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 1);
    Boxes boxes(CMessageBox::Action::Ok);
    Command(CInputPage::IDC_BYPASS_EQ);
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 0);
    EXPECT_TRUE(boxes.shown.empty());
    // And back on, with the question.
    Command(CInputPage::IDC_BYPASS_EQ);
    EXPECT_EQ(Button(CInputPage::IDC_BYPASS_EQ)->GetCheck(), 1);
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(InputPageTest, ResetEqAndEqModeReloadThePageFromTheModel) {
    Boxes boxes(CMessageBox::Action::Cancel);
    WithDeviceLock([&] {
        Music(1).SetEqMode(0);
        Band(1, 2).SetGainCode(280);
    });
    page->Refresh();
    Command(CInputPage::IDC_RESET_EQ);
    EXPECT_EQ(boxes.shown.back().text, QStringLiteral("Whether the reset All EQ?"));
    EXPECT_EQ(host.Count("reset input"), 0);
    EXPECT_EQ(Text(kGain + 2), QStringLiteral("8.0"));

    boxes.AnswerYes();
    Command(CInputPage::IDC_RESET_EQ);
    EXPECT_EQ(host.Count("reset input 1"), 1);
    // The host put band 2 at 120 Hz, flat: the page shows it.
    EXPECT_EQ(Text(kFreq + 2), QStringLiteral("120"));
    EXPECT_EQ(Text(kGain + 2), QStringLiteral("0.0"));
    EXPECT_EQ(page->Fader(2)->GetValue(), 200);

    // P.EQ / G.EQ answered No: button, layout and model unchanged.
    boxes.AnswerNo();
    const QPoint gainAt = page->Field(kGain + 5)->pos();
    Command(CInputPage::IDC_EQ_MODE);
    EXPECT_EQ(boxes.shown.back().text,
              QStringLiteral("Whether the P.EQ Mode convert to G.EQ Mode?"));
    EXPECT_EQ(Button(CInputPage::IDC_EQ_MODE)->GetCheck(), 0);
    EXPECT_EQ(Music(1).GetEqMode(), 0);
    EXPECT_EQ(page->Field(kGain + 5)->pos(), gainAt);
    EXPECT_TRUE(page->Field(kFreq + 5)->isVisibleTo(page.get()));

    // Yes: G.EQ, the fields rearranged, the input reset and shown again.
    WithDeviceLock([&] { Band(1, 5).SetFreq(777, 0); });
    boxes.AnswerYes();
    Command(CInputPage::IDC_EQ_MODE);
    EXPECT_EQ(Button(CInputPage::IDC_EQ_MODE)->GetCheck(), 1);
    EXPECT_EQ(Music(1).GetEqMode(), 1);
    EXPECT_EQ(host.Count("reset input 1"), 2);
    EXPECT_FALSE(page->Field(kFreq + 5)->isVisibleTo(page.get()));
    EXPECT_NE(page->Field(kGain + 5)->pos(), gainAt);
    EXPECT_TRUE(page->Control(CInputPage::IDC_DB_SCALE)->isVisibleTo(page.get()));
    EXPECT_EQ(Text(kFreq + 5), QStringLiteral("150"));

    // In Chinese, the way back.
    g_LanguageFlag = 1;
    Command(CInputPage::IDC_EQ_MODE);
    EXPECT_EQ(boxes.shown.back().text, Utf8Text("是否把图示均衡模式转换为参量均衡模式?"));
    EXPECT_EQ(boxes.shown.back().caption, Utf8Text("提示"));
    EXPECT_EQ(Music(1).GetEqMode(), 0);
}

// ---------------------------------------------------------------------------
// Keys
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, TabAndEnterWalkTheRingsOfBothModes) {
    WithDeviceLock([&] { Music(1).SetEqMode(0); });
    page->Refresh();
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    const auto key = [&](int field, Qt::Key k) {
        page->Field(field)->setFocus();
        QTest::keyClick(page->Field(field), k);
        QApplication::processEvents();
        return ControlId(QApplication::focusWidget());
    };
    struct Step {
        int from;
        Qt::Key k;
        int to, band;
    };
    // P.EQ.
    const Step peq[] = {
        {kFreq + 14, Qt::Key_Tab, kQ, 0},          {kQ + 14, Qt::Key_Tab, kGain, 0},
        {kGain + 14, Qt::Key_Tab, kFreq, 0},       {kFreq + 3, Qt::Key_Tab, kFreq + 4, 4},
        {kFreq + 3, Qt::Key_Return, kQ + 3, 3},    {kQ + 3, Qt::Key_Return, kGain + 3, 3},
        {kGain + 3, Qt::Key_Return, kFreq + 4, 4}, {kGain + 14, Qt::Key_Return, kFreq, 0},
        {kFreq, Qt::Key_Backtab, kGain + 14, 14},
    };
    for (const Step& s : peq) {
        SCOPED_TRACE(testing::Message() << s.from << " key " << s.k);
        EXPECT_EQ(key(s.from, s.k), s.to);
        EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(s.band));
    }
    // G.EQ: the gain fields alone; Enter acts as Tab.
    Boxes boxes(CMessageBox::Action::Ok);
    Command(CInputPage::IDC_EQ_MODE);
    const Step geq[] = {
        {kGain + 14, Qt::Key_Tab, kGain, 0},
        {kGain + 14, Qt::Key_Return, kGain, 0},
        {kGain + 6, Qt::Key_Return, kGain + 7, 7},
        {kGain, Qt::Key_Backtab, kGain + 14, 14},
    };
    for (const Step& s : geq) {
        SCOPED_TRACE(testing::Message() << s.from << " key " << s.k);
        EXPECT_EQ(key(s.from, s.k), s.to);
        EXPECT_EQ(page->HighlightedLabel(), page->BandLabel(s.band));
    }
    // Esc: the page takes the focus, the typed value is committed.
    page->Field(kGain + 2)->setFocus();
    page->Field(kGain + 2)->setText(QStringLiteral("4.0"));
    page->Field(kGain + 2)->SetModified(true);
    QTest::keyClick(page->Field(kGain + 2), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), page.get());
    EXPECT_EQ(Band(1, 2).GetGainCode(), 240);
}

// ---------------------------------------------------------------------------
// Sources without a music input
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, SourcesWithoutAMusicInputNeverReachOne) {
    Connect();
    Boxes boxes(CMessageBox::Action::Ok);
    int modes[4];
    for (int n = 0; n < 4; ++n)
        modes[n] = Music(n).GetEqMode();
    for (int s : {4, 5, 6}) {
        SCOPED_TRACE(s);
        g_InputMode = 0;
        source::SetActive(s);
        page->ApplyModeAndSource(0);
        host.calls.clear();
        EXPECT_EQ(page->Input(), nullptr);
        EXPECT_FALSE(page->EqEditable());
        EXPECT_FALSE(page->Field(kGain + 1)->isEnabled());
        EXPECT_FALSE(page->Control(CInputPage::IDC_RESET_EQ)->isEnabled());
        // Everything the equaliser half takes, straight to the handlers.
        for (int b : {0, 7, 14, 30}) {
            page->Field(kGain + b)->setText(QStringLiteral("5.0"));
            Command(kFreq + b);
            Command(kQ + b);
            Command(kGain + b);
            Command(CInputPage::kBandBypass + b);
            platform::SendMessage(page.get(), WM_SLIDER_MOVED, CInputPage::kBandFader + b, 0);
            platform::SendMessage(page.get(), WM_GRAPH_BAND_CHANGED, static_cast<WPARAM>(b), s);
            platform::SendMessage(page.get(), CInputPage::kBandSelectedMessage,
                                  static_cast<WPARAM>(b), s);
        }
        Command(CInputPage::IDC_BYPASS_EQ);
        Command(CInputPage::IDC_RESET_EQ);
        Command(CInputPage::IDC_EQ_MODE);
        EXPECT_TRUE(host.calls.empty());
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(session->Command().GetCount(), 0);
        for (int n = 0; n < 4; ++n) {
            EXPECT_EQ(Music(n).GetEqMode(), modes[n]) << n;
            for (int b = 0; b < 31; ++b)
                ASSERT_EQ(Band(n, b).IsChanged(), 0) << n << " " << b;
        }
    }
}

// ---------------------------------------------------------------------------
// To the simulated device
// ---------------------------------------------------------------------------

TEST_F(InputPageTest, TheSecondSourceArrivesAtTheDeviceAsItsSetupRecord) {
    Connect();
    sim::SimDevice device;
    page->OnSourceButton(3);
    DeliverToDevice(device);
    EXPECT_EQ(device.Record(kRecordSources)[0], 3);
    const size_t before = device.Seen().size();
    page->choice = 0; // S/PDIF beside AUX1
    Command(CInputPage::IDC_SECOND_SOURCE);
    g_DeviceRecords.Bytes().sourceSetup[kBridgeModeByte] = 0;
    DeliverToDevice(device);
    const std::vector<sim::SeenFrame> seen = device.Seen();
    std::vector<const sim::SeenFrame*> setup;
    for (size_t i = before; i < seen.size(); ++i)
        if (seen[i].group == kGroupSystem && seen[i].channel == kRecordSourceSetup)
            setup.push_back(&seen[i]);
    ASSERT_EQ(setup.size(), 1u);
    const sim::SeenFrame& f = *setup[0];
    const std::vector<uint8_t> record(g_DeviceRecords.Bytes().sourceSetup,
                                      g_DeviceRecords.Bytes().sourceSetup + 8);
    EXPECT_EQ(f.payload, record);
    EXPECT_EQ(record[kSecondSourceByte], 0);
    EXPECT_EQ(device.Record(kRecordSourceSetup), record);
}

TEST_F(InputPageTest, ABandEditArrivesAsTheMusicInputsItemFrame) {
    Connect();
    sim::SimDevice device;
    page->OnSourceButton(3);
    DeliverToDevice(device);
    const size_t before = device.Seen().size();
    Type(kGain + 9, QStringLiteral("-4.5"));
    Type(kFreq + 9, QStringLiteral("2500"));
    DeliverToDevice(device);
    CFilter& band = Band(3, 9);
    ASSERT_EQ(band.GetGainCode(), 155);
    ASSERT_EQ(band.GetFreq(), 2500);
    // The frequency the device is given may still be on its way there (it
    // moves an octave at a time); the gain is the one typed.
    const int applied = band.GetAppliedFreq();
    const int bw = band.GetBandwidthCode();
    const std::vector<uint8_t> payload = {static_cast<uint8_t>(applied & 0xFF),
                                          static_cast<uint8_t>(applied >> 8),
                                          static_cast<uint8_t>((155 + 400) & 0xFF),
                                          static_cast<uint8_t>((155 + 400) >> 8),
                                          static_cast<uint8_t>(bw & 0xFF),
                                          static_cast<uint8_t>(bw >> 8),
                                          band.GetSlopeByte(),
                                          band.GetKindByte()};
    std::vector<uint8_t> frame = {0x6B,        0x6B, 0x6B, 0xEE, 0xA1, 1, 0,
                                  kGroupMusic, 3,    9,    0,    0,    8, 0};
    frame.insert(frame.end(), payload.begin(), payload.end());
    uint8_t x = 0;
    for (size_t i = 4; i < frame.size(); ++i)
        x ^= frame[i];
    frame.push_back(x);
    frame.push_back(0xAA);
    const std::vector<sim::SeenFrame> seen = device.Seen();
    ASSERT_GT(seen.size(), before);
    // The last frame for the band carries both edits.
    const sim::SeenFrame* last = nullptr;
    for (size_t i = before; i < seen.size(); ++i)
        if (seen[i].group == kGroupMusic && seen[i].channel == 3 && seen[i].item == 9)
            last = &seen[i];
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->raw, frame);
    // No other input got a frame.
    for (size_t i = before; i < seen.size(); ++i) {
        if (seen[i].group == kGroupMusic) {
            EXPECT_EQ(seen[i].channel, 3);
        }
    }
    EXPECT_EQ(band.IsChanged(), 0);
}

} // namespace
