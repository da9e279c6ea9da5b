// The equaliser response graph at the output page's size: what it draws
// where (read back from the pixels), the mouse editing through the filters'
// drags, the notifications to its page, and damaged values and sizes.
#include "tests/controls/GraphTestSupport.h"
#include "tests/controls/SkinTestSupport.h"

#include "controls/EqGraph.h"
#include "tools/screenshot/snapshots/GraphSnapshots.h"
#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/ValueScale.h"
#include "platform/Fonts.h"

#include <QPainter>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

using graphtest::Count;
using graphtest::Exactly;
using graphtest::InkBox;
using graphtest::Near;
using graphtest::Notice;

namespace {

const QColor kCurve(234, 120, 0);
const QColor kGrey(100, 100, 100);
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
constexpr int kBand1k = 17; // band 18 sits at 1000 Hz

class EqGraphTest : public graphtest::OutputGraphTest {
protected:
    void SetUp() override {
        BuildGraph(0);
        // Crossovers off (their speaker types' defaults would shape the curves).
        for (int n = 0; n < 12; ++n) {
            Out(n).GetHighPass()->SetFreq(20, 0);
            Out(n).GetLowPass()->SetFreq(20000, 0);
        }
    }

    int Gw() const { return graph->PlotRect().width(); }
    int Gh() const { return graph->PlotRect().height(); }
    // Window pixels of a frequency and a gain, from the axis scales.
    int X(double freq) const { return FreqToGraphX(freq, Gw()) + 40; }
    int Y(double gain) const { return GainToGraphY(gain, Gh()) + 10; }
    double YExact(double gain) const { return GainToGraphYExact(gain, Gh()) + 10; }

    CKTV_OutData& Out(int n) const { return *model->GetOut(n); }
    CFilter& Band(int i, int out = 0) const { return *Out(out).GetFilter(i); }
    static QPoint Centre(const GraphRect& r) {
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    QImage Render() { return graph->grab().toImage(); }

    // A wide band: its curve is flat for a while around its centre.
    static void WideBand(CFilter& f, int gainCode) {
        f.SetBandwidthCode(295);
        f.SetGainCode(gainCode);
    }
};

// --- Layout and drawing ----------------------------------------------------------

TEST_F(EqGraphTest, LaysItsAxesOutFromTheControlSize) {
    EXPECT_EQ(graph->size(), QSize(990, 305)); // 792 x 203 units of Arial 7
    EXPECT_EQ(graph->PlotRect(), QRect(40, 10, 940, 275));
    EXPECT_EQ(graph->GridX(0), X(20));
    EXPECT_EQ(graph->GridX(17), X(1000));
    EXPECT_EQ(graph->GridX(26), X(10000));
    // The outputs' filters place their handles in this control's pixels.
    EXPECT_EQ(Band(kBand1k).GetGraphWidth(), 940);
    EXPECT_EQ(Band(kBand1k).GetGraphHeight(), 275);
    EXPECT_EQ(graph->GetChannelCode(), 768);
    EXPECT_TRUE(graph->NotifyTimer().IsActive());
    EXPECT_EQ(graph->NotifyTimer().Period(), 200);
}

TEST_F(EqGraphTest, ZeroDbLineAndThePlusSixDbBandSitWhereTheScalesPutThem) {
    WideBand(Band(kBand1k), 260); // +6 dB at 1 kHz
    const QImage img = Render();
    const int cx = X(1000), cy = Y(6);
    EXPECT_EQ(Centre(Band(kBand1k).GetHandleRect()), QPoint(cx, cy));

    // The label "18" is centred on the handle.
    const QRect label = InkBox(img, QRect(cx - 12, cy - 10, 25, 21), Near(kWhite, 60));
    ASSERT_FALSE(label.isEmpty());
    EXPECT_NEAR(label.center().x(), cx, 2);
    EXPECT_NEAR(label.center().y(), cy, 2);
    // The curve's top runs through +6 dB beside the label, and nowhere above it.
    const int top = static_cast<int>(YExact(6));
    EXPECT_GT(Count(img, QRect(cx + 12, top - 1, 3, 3), Near(kCurve, 60)), 0);
    EXPECT_EQ(Count(img, QRect(cx - 60, 10, 121, top - 12), Near(kCurve, 60)), 0);
    // ... and through 0 dB far from the band, on the fourth of eight grid lines.
    const int zeroRow = 10 + static_cast<int>(Gh() / 8.0 * 4);
    EXPECT_NEAR(YExact(0), zeroRow, 1);
    EXPECT_TRUE(Near(kCurve, 20)(img.pixelColor(X(35), static_cast<int>(YExact(0)))));
    // Where the curve is elsewhere, the 0 dB grid line shows, one pixel high.
    EXPECT_EQ(img.pixelColor(cx + 20, zeroRow), kGrey);
    EXPECT_NE(img.pixelColor(cx + 20, zeroRow - 1), kGrey);
    EXPECT_NE(img.pixelColor(cx + 20, zeroRow + 1), kGrey);
}

TEST_F(EqGraphTest, CrossoverHandleAtOneKilohertz) {
    CFilter& hp = *Out(0).GetHighPass();
    hp.SetFreq(1000, 0);
    graph->Redraw(-1);
    const QImage img = Render();
    const QPoint c(X(1000), Y(-7) + 8); // a high-pass handle hangs from -7 dB
    EXPECT_EQ(Centre(hp.GetHandleRect()), c);
    const QRect h = InkBox(img, QRect(c.x() - 10, c.y() - 10, 21, 21), Near(kWhite, 60));
    ASSERT_FALSE(h.isEmpty());
    EXPECT_NEAR(h.center().x(), c.x(), 2);
    EXPECT_NEAR(h.center().y(), c.y(), 2);
    // Selected, it turns red and its value shows above it.
    graph->Redraw(Out(0).GetHighPassIndex());
    const QImage selected = Render();
    EXPECT_TRUE(
        InkBox(selected, QRect(c.x() - 10, c.y() - 10, 21, 21), Near(kWhite, 60)).isEmpty());
    EXPECT_FALSE(InkBox(selected, QRect(c.x() - 10, c.y() - 10, 21, 21), Near(kRed, 60)).isEmpty());
    const QRect value = InkBox(selected, QRect(c.x() - 10, c.y() - 30, 80, 20), Near(kRed, 60));
    EXPECT_GT(value.width(), 30); // "1000Hz"
    EXPECT_LT(value.bottom(), hp.GetHandleRect().top + 2);
}

TEST_F(EqGraphTest, OtherOutputsAreDrawnOnlyWhenTheirToggleIsOn) {
    // Each other output's curve tops out at its own gain at 1 kHz; the
    // current one stays flat.
    const double gains[12] = {0, -9.5, -7.5, -5.5, -3.5, -1.5, 0.5, 2.5, 4.5, 6.5, 8.5, 10.5};
    for (int n = 1; n < 12; ++n)
        WideBand(Band(kBand1k, n), static_cast<int>(std::lround(200 + gains[n] * 10)));
    // Just right of the curve point nearest 1 kHz (and of the grid line there).
    const int column = static_cast<int>(std::ceil(FreqToGraphXExact(1000, Gw()))) + 40 + 1;
    const QImage none = Render();
    g_ShowCurve[2] = g_ShowCurve[5] = 1;
    graph->Redraw(-1);
    const QImage shown = Render();

    std::vector<int> changedRows;
    for (int y = 0; y < shown.height(); ++y)
        if (shown.pixel(column, y) != none.pixel(column, y)) changedRows.push_back(y);
    ASSERT_FALSE(changedRows.empty());
    for (int y : changedRows) {
        const bool nearTwo = std::abs(y - YExact(gains[2])) < 2.5,
                   nearFive = std::abs(y - YExact(gains[5])) < 2.5;
        EXPECT_TRUE(nearTwo || nearFive) << "row " << y;
    }
    for (int n : {2, 5})
        EXPECT_EQ(shown.pixelColor(column, static_cast<int>(YExact(gains[n]))), kGrey) << n;
    // The current output's own toggle changes nothing: it is drawn once, in orange.
    EXPECT_TRUE(Near(kCurve, 20)(shown.pixelColor(X(35), static_cast<int>(YExact(0)))));
    g_ShowCurve[0] = 1;
    graph->Redraw(-1);
    EXPECT_EQ(Render(), shown);
}

TEST_F(EqGraphTest, TextsReadTheSameInBothLanguagesAndChineseDrawsRealGlyphs) {
    CFilter& hp = *Out(0).GetHighPass();
    hp.SetFreq(1000, 0);
    hp.SetSlope(kCrossoverSlopeOff, 0);
    graph->Redraw(Out(0).GetHighPassIndex());
    const QImage english = Render();
    g_LanguageFlag = 1;
    graph->Redraw(Out(0).GetHighPassIndex());
    const QImage chinese = Render();

    // The axis texts (outside the plotting area) are the same.
    const QRect plot = graph->PlotRect();
    for (int y = 0; y < english.height(); ++y)
        for (int x = 0; x < english.width(); ++x)
            if (!plot.contains(x, y)) {
                ASSERT_EQ(english.pixel(x, y), chinese.pixel(x, y)) << x << "," << y;
            }
    // The switched-off crossover reads "OFF" / "关闭" above its handle.
    const GraphRect& label = hp.GetLabelRect();
    // Above the handle, whose own label turns red as well.
    const int handleTop = hp.GetHandleRect().top;
    const QRect area(label.left - 20, label.top - 4, label.right - label.left + 40,
                     handleTop - label.top + 4);
    const QRect en = InkBox(english, area, Near(kRed, 80));
    const QRect zh = InkBox(chinese, area, Near(kRed, 80));
    ASSERT_FALSE(en.isEmpty());
    ASSERT_FALSE(zh.isEmpty());
    EXPECT_NE(english.copy(area), chinese.copy(area));
    // Two different characters: missing glyphs would draw two equal boxes.
    const int half = zh.width() / 2;
    const QImage first = chinese.copy(zh.left(), zh.top(), half, zh.height());
    const QImage second = chinese.copy(zh.left() + half, zh.top(), half, zh.height());
    EXPECT_GT(Count(first, first.rect(), Near(kRed, 80)), 5);
    EXPECT_GT(Count(second, second.rect(), Near(kRed, 80)), 5);
    EXPECT_NE(first, second);
}

TEST_F(EqGraphTest, BandLabelsAlignAtTheEndsAndTheSpecialBandShowsItsNumber) {
    // The last output band is the special band (kind 3): it shows "31", not
    // the text of the band drawn before it.
    CFilter& last = Band(30);
    last.SetKind(FilterKind::Special);
    last.SetGainCode(300);
    graph->Redraw(-1);
    const QImage img = Render();
    const QPoint c = Centre(last.GetHandleRect());
    const QRect ink = InkBox(img, QRect(c.x() - 10, c.y() - 9, 20, 19), Near(kWhite, 60));
    // Two digits, left-aligned against the right end of the graph.
    EXPECT_GE(ink.width(), 9);
    EXPECT_GE(ink.left(), last.GetHandleRect().left);
    EXPECT_LT(ink.left(), last.GetHandleRect().left + 3);
    // Band 1 at 20 Hz: right-aligned in its handle, so it stays on the graph.
    const GraphRect first = Band(0).GetHandleRect();
    const QRect one = InkBox(img, QRect(first.left - 4, first.top, 24, 16), Near(kWhite, 60));
    ASSERT_FALSE(one.isEmpty());
    EXPECT_GE(one.left(), graph->PlotRect().left());
    EXPECT_GE(one.right(), first.right - 3);
}

TEST_F(EqGraphTest, AValueLongerThanItsBoxIsShownWhole) {
    // A shelf's value ("Lo 100Hz 6dB/Oct 3.0dB") is wider than the box the
    // filter gives it; the box widens about its centre instead of cutting it.
    CFilter& shelf = Band(7);
    shelf.SetKind(FilterKind::LowShelf);
    shelf.SetSlope(0, 0);
    shelf.SetGainCode(230);
    graph->Redraw(7);
    const QImage img = Render();
    const GraphRect& box = shelf.GetLabelRect();
    const QRect ink =
        InkBox(img, QRect(box.left - 60, box.top, box.right - box.left + 120, 18), Near(kRed, 80));
    EXPECT_GT(ink.width(), box.right - box.left);
    EXPECT_EQ(QString::fromStdString(shelf.GetLabelText()),
              QStringLiteral("Lo 100Hz 6dB/Oct 3.0dB"));
    const QFontMetrics metrics(platform::ArialFont(14));
    EXPECT_GE(ink.width(), metrics.horizontalAdvance(QStringLiteral("Lo 100Hz 6dB/Oct 3.0dB")) - 4);
}

TEST_F(EqGraphTest, TheEmptyModeShowsFrameAndGridOnly) {
    CEqGraph empty(page.get());
    empty.resize(OutputGraphSize());
    empty.Attach(model.get(), CEqGraph::kAttachOutput);
    const QImage img = empty.grab().toImage();
    const QRect plot = empty.PlotRect();
    EXPECT_EQ(img.pixelColor(plot.left(), plot.top()), kWhite); // the frame
    EXPECT_EQ(img.pixelColor(plot.left() + 3, plot.top() + 3), QColor(Qt::black));
    // Twelve divisions: +10 dB is the first horizontal line.
    EXPECT_EQ(img.pixelColor(X(25), 10 + static_cast<int>(plot.height() / 12.0)), kGrey);
    EXPECT_EQ(Count(img, plot, Near(kCurve, 40)), 0);
}

TEST_F(EqGraphTest, DrawingChangesNoSetting) {
    FillModel(3);
    model->LoadFromImage(g_ParamImage, 0);
    g_DeviceSynced = 1;
    for (int& shown : g_ShowCurve)
        shown = 1;
    const auto before = graphtest::ModelSettings(*model);
    const std::vector<uint8_t> image = Bytes(g_ParamImage, sizeof g_ParamImage);
    for (int band : {-1, 3, 30, 31, 32}) {
        graph->Redraw(band);
        Render();
    }
    EXPECT_EQ(graphtest::ModelSettings(*model), before);
    EXPECT_EQ(Bytes(g_ParamImage, sizeof g_ParamImage), image);
}

// --- What the graph keeps ---------------------------------------------------------------

// What the graph has computed and drawn so far.
struct Work {
    std::uint64_t filterCurves, channelCurves;
    int pictures, layers;
    bool operator==(const Work& o) const {
        return filterCurves == o.filterCurves && channelCurves == o.channelCurves &&
               pictures == o.pictures && layers == o.layers;
    }
};
Work WorkOf(const CEqGraph& g) {
    return {CFilter::CurveComputations(), CChannelCurve::Computations(), g.PictureDraws(),
            g.LayerDraws()};
}

TEST_F(EqGraphTest, PaintingAgainComputesAndDrawsNothing) {
    FillModel(3);
    model->LoadFromImage(g_ParamImage, 0);
    for (int& shown : g_ShowCurve)
        shown = 1;
    graph->Redraw(4);
    const QImage first = Render();
    const Work drawn = WorkOf(*graph);
    EXPECT_EQ(Render(), first);
    graph->update();
    graph->repaint();
    EXPECT_EQ(WorkOf(*graph), drawn);
    // Another selection draws the picture again from the curves it has.
    graph->Redraw(9);
    const QImage other = Render();
    EXPECT_NE(other, first);
    const Work now = WorkOf(*graph);
    EXPECT_EQ(now.pictures, drawn.pictures + 1);
    EXPECT_EQ(now.filterCurves, drawn.filterCurves);
    EXPECT_EQ(now.channelCurves, drawn.channelCurves);
    EXPECT_EQ(now.layers, drawn.layers);
    // A band of the current output: its curve again, the other outputs' layer kept.
    Band(9).SetGainCode(290);
    Render();
    EXPECT_EQ(CChannelCurve::Computations(), now.channelCurves + 1);
    EXPECT_EQ(CFilter::CurveComputations(), now.filterCurves + 1);
    EXPECT_EQ(graph->LayerDraws(), now.layers);
}

// After every kind of change the kept picture is the picture a new graph
// draws of the same model.
TEST_F(EqGraphTest, EveryChangeShowsAsANewGraphWouldDrawIt) {
    FillModel(3);
    model->LoadFromImage(g_ParamImage, 0);
    for (int& shown : g_ShowCurve)
        shown = 1;
    auto image = [] {
        std::vector<uint8_t> v(g_ParamImage, g_ParamImage + kParamBlockSize);
        uint8_t* out2 = v.data() + kOutputBlockOffset + 2 * kOutputBlockSize;
        out2[7 * 8 + 2] = 0xBC; // band 8 of output 3 at +20 dB
        out2[7 * 8 + 3] = 0x02;
        uint8_t* out0 = v.data() + kOutputBlockOffset;
        out0[12 * 8 + 2] = 0x20; // band 13 of output 1 at -12 dB
        out0[12 * 8 + 3] = 0x02;
        return v;
    };
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"a band of the current output", [&] { Band(3).SetGainCode(300); }},
        {"a band of a shown output", [&] { Band(20, 2).SetGainCode(100); }},
        {"a crossover of a shown output", [&] { Out(5).GetHighPass()->SetFreq(500, 1); }},
        {"the device's blocks", [&] { model->LoadFromImage(image().data(), 0); }},
        {"a pasted equaliser", [&] { Out(0).CopyEqFrom(Out(7)); }},
        {"a reset band of a shown output", [&] { Band(7, 2).ResetBand(100); }},
        {"graphic EQ labels", [&] { Out(0).SetEqMode(1); }},
        {"an archive",
         [&] {
             CKTV_Data donor;
             donor.GetOut(4)->GetFilter(1)->SetGainCode(80);
             CArchive out;
             donor.Serialize(out);
             CArchive in(out.Bytes());
             ASSERT_TRUE(LoadOrRestore(*model, in));
         }},
        {"a toggle off", [&] { g_ShowCurve[6] = 0; }},
        {"the crossover switched off", [&] { Out(0).GetLowPass()->SetSlope(8, 1); }},
        {"the language of its label", [&] { g_LanguageFlag = 1; }},
    };
    graph->Redraw(32);
    Render();
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        c.change();
        const QImage kept = Render();
        auto fresh = std::make_unique<CEqGraph>(page.get());
        fresh->resize(graph->size());
        fresh->Attach(model.get(), CEqGraph::kAttachOutput);
        fresh->ShowOutput(0);
        fresh->SetMode(CEqGraph::kModeOutput);
        fresh->Redraw(32);
        EXPECT_EQ(kept, fresh->grab().toImage());
    }
    g_LanguageFlag = 0;
}

TEST_F(EqGraphTest, TheOverlayPassIsOneLayerKeptWhileItsOutputsStay) {
    FillModel(3);
    model->LoadFromImage(g_ParamImage, 0);
    for (int& shown : g_ShowCurve)
        shown = 1;
    graph->Attach(model.get(), CEqGraph::kAttachMusic);
    graph->ShowMusic(0);
    graph->SetMode(CEqGraph::kModeMusic);
    const QImage none = Render();
    for (int n = 0; n < 12; ++n)
        g_StateFlags[n] = 1;
    graph->update();
    const QImage marked = Render();
    EXPECT_NE(marked, none);
    const int layers = graph->LayerDraws();
    // An edit of the input shown keeps the layer of the outputs.
    model->GetMusic(0)->GetFilter(4)->SetGainCode(280);
    Render();
    EXPECT_EQ(graph->LayerDraws(), layers);
    // An output's change draws it again.
    Band(4, 6).SetGainCode(120);
    const QImage changed = Render();
    EXPECT_GT(graph->LayerDraws(), layers);
    EXPECT_NE(changed, marked);
    for (int n = 0; n < 12; ++n)
        g_StateFlags[n] = 0;
}

// --- Mouse editing -----------------------------------------------------------------

class EqGraphMouseTest : public EqGraphTest {
protected:
    void SetUp() override {
        EqGraphTest::SetUp();
        ShowActive(page.get());
        page->TakeNotices();
    }
    void Hover(QPoint p) { skintest::Move(graph, p); }
    void Drag(QPoint p) { skintest::Move(graph, p, Qt::LeftButton); }
    Qt::CursorShape Cursor() const { return graph->cursor().shape(); }
    std::vector<Notice> Tick() {
        graph->NotifyTimer().Fire();
        return page->TakeNotices();
    }
};

TEST_F(EqGraphMouseTest, DraggingABandHandleMovesFrequencyAndGainAndNotifiesInOrder) {
    CFilter& band = Band(kBand1k);
    const QPoint c = Centre(band.GetHandleRect());
    Hover(c);
    EXPECT_EQ(graph->GetHovered(), &band);
    EXPECT_EQ(graph->GetBandCode(), kBand1k);
    EXPECT_TRUE(graph->IsOverHandle());
    EXPECT_EQ(Cursor(), Qt::SizeAllCursor);
    skintest::Press(graph, c);
    EXPECT_TRUE(graph->hasFocus());
    EXPECT_EQ(band.GetInteraction().draggingHandle, 1);

    const QPoint to = c + QPoint(60, -40);
    Drag(to);
    const int freq = GraphXToFreq(to.x() - 40, Gw());
    const double gain = std::clamp(GraphYToGain(to.y() - 10, Gh()), -12.0, 12.0);
    EXPECT_EQ(band.GetFreq(), freq);
    EXPECT_EQ(band.GetGainCode(), static_cast<int>(std::lround((gain + 20) * 10)));
    EXPECT_TRUE(graph->IsChanged());

    // One notification per tick while the band changes, none while it does not.
    auto n = Tick();
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].msg, WM_GRAPH_BAND_CHANGED);
    EXPECT_EQ(n[0].wParam, static_cast<WPARAM>(kBand1k));
    EXPECT_EQ(n[0].lParam, 768);
    EXPECT_FALSE(n[0].released);
    EXPECT_TRUE(Tick().empty());
    // Many moves between two ticks: one notification.
    for (int dx = 1; dx <= 10; ++dx)
        Drag(to + QPoint(dx * 3, dx));
    EXPECT_EQ(Tick().size(), 1u);

    // The release: exactly one more notification, which the page takes as
    // the last (it clears the released flag); then the focus leaves.
    skintest::Release(graph, to + QPoint(30, 10));
    EXPECT_TRUE(graph->IsReleased());
    EXPECT_EQ(band.GetInteraction().draggingHandle, 0);
    n = Tick();
    ASSERT_EQ(n.size(), 1u);
    EXPECT_TRUE(n[0].released);
    EXPECT_FALSE(graph->IsReleased());
    EXPECT_TRUE(Tick().empty());
    EXPECT_TRUE(Tick().empty());
    graph->clearFocus();
    n = page->TakeNotices();
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].msg, WM_GRAPH_FOCUS_LOST);
    EXPECT_EQ(n[0].wParam, 0u);
    EXPECT_EQ(n[0].lParam, 0);
}

TEST_F(EqGraphMouseTest, AReleaseWithNothingPendingStillGivesOneNotification) {
    // A click on empty graph area: the owner hears the last band code every
    // tick until it clears the flag, which this page does at once.
    graph->Redraw(5);
    skintest::Click(graph, QPoint(X(50), Y(-11)));
    const auto n = Tick();
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].wParam, 5u);
    EXPECT_TRUE(n[0].released);
    EXPECT_TRUE(Tick().empty());
    // A page that does not clear it hears it on every tick.
    page->graph = nullptr;
    skintest::Click(graph, QPoint(X(50), Y(-11)));
    EXPECT_EQ(Tick().size(), 1u);
    EXPECT_EQ(Tick().size(), 1u);
    skintest::Press(graph, QPoint(X(50), Y(-11)));
    EXPECT_TRUE(Tick().empty());
}

TEST_F(EqGraphMouseTest, AStepThatChangesNothingSendsNothing) {
    CFilter& band = Band(kBand1k);
    const QPoint c = Centre(band.GetHandleRect());
    Hover(c);
    skintest::Press(graph, c);
    Drag(c + QPoint(0, -23)); // +2 dB
    EXPECT_EQ(Tick().size(), 1u);
    const int freq = band.GetFreq(), code = band.GetGainCode();
    Drag(c + QPoint(0, -24)); // the same whole dB
    EXPECT_EQ(band.GetFreq(), freq);
    EXPECT_EQ(band.GetGainCode(), code);
    EXPECT_FALSE(graph->IsChanged());
    EXPECT_TRUE(Tick().empty());
}

TEST_F(EqGraphMouseTest, DraggingABandwidthEdge) {
    CFilter& band = Band(kBand1k);
    const GraphRect right = band.GetRightEdgeRect();
    const QPoint at = Centre(right);
    Hover(Centre(band.GetHandleRect()));
    Hover(at);
    EXPECT_EQ(band.GetInteraction().overRightEdge, 1);
    EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
    skintest::Press(graph, at);
    EXPECT_EQ(band.GetInteraction().draggingRightEdge, 1);
    const QPoint to = at + QPoint(50, 0);
    Drag(to);
    // The edge's frequency sets the half bandwidth above the centre.
    const double fx = GraphXToFreq(to.x() - 40, Gw());
    const double octaves =
        std::clamp(2 * std::log10(fx / band.GetFreq()) / std::log10(2.0), 0.05, 3.0);
    EXPECT_EQ(band.GetBandwidthCode(),
              static_cast<int>(std::floor((octaves - 0.05) / 0.01 + 0.05)));
    EXPECT_EQ(band.GetFreq(), 1000);
    EXPECT_EQ(Tick().size(), 1u);
    // The filter reports every edge step as a change; one that leaves the
    // bandwidth as it was notifies nothing.
    Drag(to);
    EXPECT_FALSE(graph->IsChanged());
    EXPECT_TRUE(Tick().empty());
    skintest::Release(graph, to);
    EXPECT_EQ(band.GetInteraction().draggingRightEdge, 0);
    EXPECT_EQ(band.GetInteraction().overRightEdge, 0);
}

TEST_F(EqGraphMouseTest, CrossoversStopAtEachOther) {
    CKTV_OutData& out = Out(0);
    struct Case {
        CFilter* filter;
        int index;
        double target;
        int expected;
    } cases[] = {
        {out.GetHighPass(), out.GetHighPassIndex(), 8000, 2000}, // stops at the low-pass
        {out.GetLowPass(), out.GetLowPassIndex(), 30, 100},      // stops at the high-pass
    };
    for (const Case& c : cases) {
        out.GetHighPass()->SetFreq(100, 0);
        out.GetLowPass()->SetFreq(2000, 0);
        graph->Redraw(-1);
        const QPoint at = Centre(c.filter->GetHandleRect());
        Hover(at);
        ASSERT_EQ(graph->GetHovered(), c.filter);
        EXPECT_EQ(graph->GetBandCode(), c.index);
        EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
        skintest::Press(graph, at);
        Drag(QPoint(X(c.target), at.y()));
        EXPECT_EQ(c.filter->GetFreq(), c.expected);
        auto n = Tick();
        ASSERT_EQ(n.size(), 1u);
        EXPECT_EQ(n[0].wParam, static_cast<WPARAM>(c.index));
        skintest::Release(graph, QPoint(X(c.target), at.y()));
        Tick();
        // Moving off a crossover without the button lets it go.
        Hover(QPoint(X(25), Y(11)));
        EXPECT_EQ(graph->GetHovered(), nullptr);
        EXPECT_EQ(Cursor(), Qt::ArrowCursor);
    }
}

TEST_F(EqGraphMouseTest, LeavingABandKeepsItHovered) {
    CFilter& band = Band(10);
    Hover(Centre(band.GetHandleRect()));
    Hover(QPoint(X(25), Y(11)));
    EXPECT_EQ(graph->GetHovered(), &band);
    EXPECT_FALSE(graph->IsOverHandle());
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
}

TEST_F(EqGraphMouseTest, GraphicEqBandsMoveInGainOnly) {
    Out(0).SetEqMode(1);
    CFilter& band = Band(kBand1k);
    const QPoint c = Centre(band.GetHandleRect());
    Hover(c);
    EXPECT_EQ(Cursor(), Qt::SizeVerCursor);
    skintest::Press(graph, c);
    Drag(c + QPoint(80, -57)); // +5 dB
    EXPECT_EQ(band.GetFreq(), 1000);
    EXPECT_EQ(band.GetGainCode(), 250);
    // No bandwidth edges to grab.
    skintest::Release(graph, c + QPoint(80, -57));
    Hover(Centre(band.GetRightEdgeRect()));
    EXPECT_EQ(band.GetInteraction().overRightEdge, 0);
}

TEST_F(EqGraphMouseTest, ThePageSelectionBecomesTheHoveredBand) {
    graph->Redraw(12);
    EXPECT_EQ(graph->GetHovered(), &Band(12));
    EXPECT_EQ(graph->GetBandCode(), 12);
    graph->Redraw(-1);
    EXPECT_EQ(graph->GetSelectedBand(), -1);
    EXPECT_EQ(graph->GetHovered(), &Band(12));
    // A band the equaliser does not have selects nothing.
    graph->Redraw(33);
    EXPECT_EQ(graph->GetSelectedBand(), -1);
    EXPECT_EQ(graph->GetBandCode(), 12);
}

TEST_F(EqGraphMouseTest, OnTheInputPageOnlyTheFirstFifteenBandsAreFound) {
    CEqGraph input(page.get());
    input.resize(OutputGraphSize());
    input.SetOwner(page.get());
    input.Attach(model.get(), CEqGraph::kAttachMusic);
    input.ShowMusic(2);
    input.SetMode(CEqGraph::kModeMusic);
    EXPECT_EQ(input.GetChannelCode(), 2);
    CMusic_InData& music = *model->GetMusic(2);
    const QPoint high = Centre(music.GetFilter(20)->GetHandleRect());
    skintest::Move(&input, high);
    EXPECT_EQ(input.GetHovered(), nullptr);
    const QPoint low = Centre(music.GetFilter(14)->GetHandleRect());
    skintest::Move(&input, low);
    EXPECT_EQ(input.GetHovered(), music.GetFilter(14));
    // Selected by the page, band 21 can be dragged.
    input.Redraw(20);
    skintest::Move(&input, high);
    skintest::Press(&input, high);
    skintest::Move(&input, high + QPoint(0, -46), Qt::LeftButton); // +4 dB
    EXPECT_EQ(music.GetFilter(20)->GetGainCode(), 240);
    input.NotifyTimer().Fire();
    const auto n = page->TakeNotices();
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].wParam, 20u);
    EXPECT_EQ(n[0].lParam, 2);
}

TEST_F(EqGraphMouseTest, ADisabledGraphTakesNoMouseAndWithoutAStartChoiceNoMoves) {
    graph->EnableGraph(false);
    EXPECT_FALSE(graph->isEnabled());
    Hover(Centre(Band(3).GetHandleRect()));
    EXPECT_EQ(graph->GetHovered(), nullptr);
    graph->EnableGraph(true);
    g_StartChoice = 0;
    Hover(Centre(Band(3).GetHandleRect()));
    EXPECT_EQ(graph->GetHovered(), nullptr);
    g_StartChoice = 2;
    Hover(Centre(Band(3).GetHandleRect()));
    EXPECT_EQ(graph->GetHovered(), &Band(3));
}

// --- Damaged values and sizes ---------------------------------------------------------

// Paints into an image of the control's size (at least one pixel), as a
// paint event would, and runs the mouse over every handle and the corners.
void Exercise(CEqGraph& g) {
    QImage img(g.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    for (int band : {-1, 0, 17, 30, 31, 32, 99}) {
        g.Redraw(band);
        QPainter p(&img);
        g.PaintTo(p);
    }
    std::vector<QPoint> points = {{0, 0}, {-5, -5}, {g.width(), g.height()}, {1 << 20, -(1 << 20)}};
    if (CKTVEQ* eq = g.GetEq())
        for (int i = 0; i < eq->GetCount(); ++i) {
            const GraphRect& r = eq->GetAt(i)->GetHandleRect();
            points.push_back(QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        }
    for (size_t i = 0; i < points.size(); ++i) {
        const QPoint at = points[i];
        skintest::Move(&g, at);
        skintest::Press(&g, at);
        for (const QPoint& to : {QPoint(-100000, 100000), QPoint(100000, -100000), QPoint(3, 3)})
            skintest::Move(&g, to, Qt::LeftButton);
        skintest::Release(&g, at);
        // A picture now and then of what the drags left.
        if (i % 4 == 3 || i + 1 == points.size()) {
            QPainter p(&img);
            g.PaintTo(p);
        }
    }
    g.NotifyTimer().Fire();
}

TEST_F(EqGraphTest, TinySizesPaintAndFollowTheMouse) {
    for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(50, 30), QSize(51, 31), QSize(2000, 12)}) {
        for (int mode : {CEqGraph::kModeMusic, CEqGraph::kModeOutput}) {
            CEqGraph g(page.get());
            g.resize(size);
            g.SetOwner(page.get());
            const bool music = mode == CEqGraph::kModeMusic;
            g.Attach(model.get(), music ? CEqGraph::kAttachMusic : CEqGraph::kAttachOutput);
            if (music)
                g.ShowMusic(0);
            else
                g.ShowOutput(0);
            g.SetMode(mode);
            Exercise(g);
            g.grab();
        }
    }
    page->TakeNotices();
}

TEST_F(EqGraphTest, DeviceWordsOfAllZerosOrAllOnesPaint) {
    for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
        std::memset(g_ParamImage, fill, sizeof g_ParamImage);
        model->LoadFromImage(g_ParamImage, 0);
        for (int& shown : g_ShowCurve)
            shown = 1;
        for (int n = 0; n < 12; ++n)
            g_StateFlags[n] = 1; // the overlay pass of the other modes too
        for (QSize size : {OutputGraphSize(), QSize(60, 40)}) {
            for (int mode : {0, 1, 2, 3, 4, 7}) {
                CEqGraph g(page.get());
                g.resize(size);
                g.SetOwner(page.get());
                g.Attach(model.get(), mode == 3 ? CEqGraph::kAttachMusic : CEqGraph::kAttachOutput);
                if (mode == 1) g.ShowEffect();
                if (mode == 2) g.ShowMic(0);
                if (mode == 3) g.ShowMusic(3);
                if (mode == 4) g.ShowOutput(11);
                g.SetMode(mode);
                Exercise(g);
            }
        }
        for (int n = 0; n < 12; ++n)
            g_StateFlags[n] = 0;
    }
    page->TakeNotices();
}

} // namespace
