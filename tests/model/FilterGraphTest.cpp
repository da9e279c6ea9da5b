// The equaliser graph's side of a filter: handle, edge and label geometry,
// label texts, curve outline and the mouse drags, on a 600 x 240 plotting
// area (graph window 650 x 270).
#include "tests/model/ModelFixture.h"

#include "model/Filter.h"
#include "model/KTV_Data.h"
#include "model/ValueScale.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <vector>

bool operator==(const GraphRect& a, const GraphRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& os, const GraphRect& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

constexpr GraphRect kPlotArea{40, 10, 640, 250};

// x in the graph window of a frequency, y of a gain.
int WindowX(double freq) {
    return FreqToGraphX(freq, 600) + 40;
}
int WindowY(double gain) {
    return GainToGraphY(gain, 240) + 10;
}

class FilterGraphTest : public ModelTest {
protected:
    // A band as the builders leave it, laid out on the graph.
    static void MakeBand(CFilter& f, int freq, int item = 0) {
        f.SetFreq(freq, 0);
        f.StepAppliedFreq(0);
        f.SetItemCode(item);
        f.SetGraphRect(kPlotArea);
    }
    static void MakeCrossover(CFilter& f, int kind, int freq, int option) {
        f.SetKind(kind);
        f.SetBandHandle(0);
        f.SetFreq(freq, 0);
        f.StepAppliedFreq(0);
        f.SetDragOption(option);
        f.SetGraphRect(kPlotArea);
    }
    // The special last band of an output as a loaded block leaves it.
    static void MakeSpecial(CFilter& f, int freq) {
        f.SetItemCode(30);
        f.SetKind(FilterKind::Special);
        f.SetFreq(freq, 0);
        f.StepAppliedFreq(0);
        f.SetGraphRect(kPlotArea);
    }
    // Grabs the handle in its centre, so the handle's centre follows the mouse.
    static void Grab(CFilter& f) {
        const GraphRect& r = f.GetHandleRect();
        f.BeginHandleDrag({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
};

struct RecordingOwner : IFilterOwner {
    std::vector<int> freqs;
    std::vector<int> codes;
    void SetFrequency(int hz) override { freqs.push_back(hz); }
    void SetValue(int code) override { codes.push_back(code); }
};

} // namespace

// --- Geometry ------------------------------------------------------------------

TEST_F(FilterGraphTest, DefaultBandGeometry) {
    CFilter band;
    MakeBand(band, 1000);
    // 1000 Hz is x 339, 0 dB is y 120 of the plotting area.
    EXPECT_EQ(band.GetHandleRect(), (GraphRect{371, 122, 387, 138}));
    EXPECT_EQ(band.GetLabelRect(), (GraphRect{291, 147, 467, 163}));
    // 0.57 octave: edges at 1218 Hz (x 356) and 820.7 Hz (x 322), 10 px
    // outside, 10 px below the handle centre.
    EXPECT_EQ(band.GetRightEdgeRect(), (GraphRect{402, 136, 410, 144}));
    EXPECT_EQ(band.GetLeftEdgeRect(), (GraphRect{348, 136, 356, 144}));
    EXPECT_EQ(band.FormatHandleLabel(), "1000Hz 2.515Q 0.0dB");
    EXPECT_EQ(band.GetLabelText(), "1000Hz 2.515Q 0.0dB");
    EXPECT_EQ(band.GetGraphWidth(), 600);
    EXPECT_EQ(band.GetGraphHeight(), 240);
}

TEST_F(FilterGraphTest, BandHandlePlacement) {
    struct Case {
        const char* name;
        int freq, item, gainCode, graphic;
        GraphRect handle, label;
    } cases[] = {
        // The first bands may hang 8 px over the left edge, the others not.
        {"20 Hz, item 3", 20, 3, 200, 0, {32, 122, 48, 138}, {40, 147, 176, 163}},
        {"20 Hz, item 12", 20, 12, 200, 0, {40, 122, 56, 138}, {40, 147, 176, 163}},
        {"20 Hz, item 8", 20, 8, 200, 0, {32, 122, 48, 138}, {40, 147, 176, 163}},
        {"20 Hz, item 9", 20, 9, 200, 0, {40, 122, 56, 138}, {40, 147, 176, 163}},
        {"44 Hz: room left of the label", 44, 5, 200, 0, {100, 122, 116, 138}, {20, 147, 196, 163}},
        {"43 Hz: label against the left end",
         43,
         5,
         200,
         0,
         {98, 122, 114, 138},
         {40, 147, 176, 163}},
        {"20 kHz stays inside", 20000, 12, 200, 0, {624, 122, 640, 138}, {480, 147, 640, 163}},
        {"+12 dB at the top", 1000, 5, 320, 0, {371, 10, 387, 26}, {291, 35, 467, 51}},
        // Near the bottom the label goes above the handle.
        {"-12 dB at the bottom", 1000, 5, 80, 0, {371, 234, 387, 250}, {291, 209, 467, 225}},
        {"-8.6 dB: bottom just above height - 15",
         1000,
         5,
         114,
         0,
         {371, 208, 387, 224},
         {291, 233, 467, 249}},
        {"-8.7 dB: bottom at height - 15",
         1000,
         5,
         113,
         0,
         {371, 209, 387, 225},
         {291, 184, 467, 200}},
        {"gains past the graph stay on it",
         1000,
         5,
         400,
         0,
         {371, 10, 387, 26},
         {291, 35, 467, 51}},
        {"graphic EQ", 1000, 5, 230, 1, {371, 92, 387, 108}, {346, 117, 412, 133}},
        {"graphic EQ left", 20, 0, 230, 1, {32, 92, 48, 108}, {40, 117, 86, 133}},
        {"graphic EQ right", 20000, 30, 230, 1, {624, 92, 640, 108}, {590, 117, 640, 133}},
        {"centred label may start left of the area",
         50,
         5,
         200,
         0,
         {111, 122, 127, 138},
         {31, 147, 207, 163}},
    };
    for (const Case& c : cases) {
        CFilter band;
        MakeBand(band, c.freq, c.item);
        band.SetGraphicEq(c.graphic);
        band.SetGainCode(c.gainCode);
        EXPECT_EQ(band.GetHandleRect(), c.handle) << c.name;
        EXPECT_EQ(band.GetLabelRect(), c.label) << c.name;
    }
}

TEST_F(FilterGraphTest, BypassedBandSitsOnTheZeroLine) {
    CFilter band;
    MakeBand(band, 1000);
    band.SetGainCode(260);
    EXPECT_EQ(band.GetHandleRect().top, WindowY(6) - 8);
    band.SetEqBypass(1);
    EXPECT_EQ(band.GetHandleRect(), (GraphRect{371, 122, 387, 138}));
    for (size_t i = 0; i < band.GetCurvePoints().size(); ++i)
        EXPECT_EQ(band.GetCurvePoints()[i].y, WindowY(0)) << i;
    // A cut with the bypass on: the edges sit above the handle centre.
    band.SetEqBypass(0);
    band.SetGainCode(140);
    band.SetEqBypass(1);
    EXPECT_EQ(band.GetLeftEdgeRect().top, 130 - 10 - 4);
}

TEST_F(FilterGraphTest, ShelfGeometry) {
    CFilter shelf;
    MakeBand(shelf, 100);
    shelf.SetKind(FilterKind::LowShelf);
    shelf.SetGainCode(230);
    // 100 Hz is x 139; +3 dB is y 90.
    EXPECT_EQ(shelf.GetHandleRect(), (GraphRect{171, 92, 187, 108}));
    EXPECT_EQ(shelf.GetLabelRect(), (GraphRect{171, 117, 277, 133}));
    shelf.SetKind(FilterKind::HighShelf);
    shelf.SetFreq(16000, 0);
    EXPECT_EQ(shelf.GetHandleRect(), (GraphRect{612, 92, 628, 108}));
    EXPECT_EQ(shelf.GetLabelRect(), (GraphRect{524, 117, 640, 133}));
}

TEST_F(FilterGraphTest, CrossoverHandles) {
    struct Case {
        int kind, freq;
        GraphRect handle, label;
    } cases[] = {
        // High-pass on the -7 dB line, low-pass on the -10 dB line.
        {FilterKind::HighPass, 1000, {371, 200, 387, 216}, {371, 185, 437, 241}},
        {FilterKind::HighPass, 20, {32, 200, 48, 216}, {32, 185, 98, 241}},
        {FilterKind::LowPass, 20000, {632, 230, 648, 246}, {574, 215, 640, 266}},
        {FilterKind::LowPass, 5000, {511, 230, 527, 246}, {511, 215, 577, 266}},
        // A crossover at 0 Hz (inputs at start-up) sits at the left end.
        {FilterKind::HighPass, 0, {32, 200, 48, 216}, {32, 185, 98, 241}},
        {FilterKind::LowPass, 0, {32, 230, 48, 246}, {32, 215, 98, 266}},
    };
    for (const Case& c : cases) {
        CFilter f;
        MakeCrossover(f, c.kind, c.freq, 9);
        EXPECT_EQ(f.GetHandleRect(), c.handle) << c.kind << " " << c.freq;
        EXPECT_EQ(f.GetLabelRect(), c.label) << c.kind << " " << c.freq;
    }
}

TEST_F(FilterGraphTest, CurveOutline) {
    CFilter band;
    MakeBand(band, 1000);
    band.SetGainCode(260);
    const auto& points = band.GetCurvePoints();
    ASSERT_EQ(points.size(), 243u);
    EXPECT_EQ(points.front().x, 40);
    EXPECT_EQ(points.front().y, 130);
    EXPECT_EQ(points.back().x, 640);
    EXPECT_EQ(points.back().y, 130);
    EXPECT_EQ(points[1].x, 39) << "19.7 Hz is just left of the area";
    EXPECT_EQ(points[137].x, WindowX(1000));
    EXPECT_EQ(points[137].y, WindowY(6.0)) << "+6 dB at the centre";
    EXPECT_EQ(points[241].x, 640);
    EXPECT_EQ(points[241].y, WindowY(band.GetCurve()[240]));

    // A smaller graph moves every point.
    band.SetGraphRect({0, 0, 300, 120});
    EXPECT_EQ(band.GetCurvePoints().back().x, 340);
    EXPECT_EQ(band.GetCurvePoints()[137].y, GainToGraphY(6.0, 120) + 10);
}

// --- Label texts ------------------------------------------------------------------

TEST_F(FilterGraphTest, LabelTexts) {
    struct Case {
        int kind, freq, gainCode, bandwidthCode, slope, graphic, chinese;
        const char* text;
    } cases[] = {
        {FilterKind::Peaking, 1000, 200, 52, 0, 0, 0, "1000Hz 2.515Q 0.0dB"},
        {FilterKind::Peaking, 250, 165, 95, 0, 0, 0, "250Hz 1.414Q -3.5dB"},
        {FilterKind::Peaking, 63, 320, 0, 0, 0, 0, "63Hz 28.85Q 12.0dB"},
        {FilterKind::Peaking, 1000, 230, 52, 0, 1, 0, "3.0dB"},
        {FilterKind::Special, 8000, 190, 295, 0, 0, 0, "8000Hz 0.404Q -1.0dB"},
        {FilterKind::LowShelf, 100, 230, 52, 1, 0, 0, "Lo 100Hz 12dB/Oct 3.0dB"},
        {FilterKind::HighShelf, 5000, 140, 52, 0, 0, 0, "Hi 5000Hz 6dB/Oct -6.0dB"},
        {FilterKind::HighShelf, 5000, 140, 52, 5, 0, 0, "Hi 5000Hz  -6.0dB"},
        {FilterKind::HighPass, 80, 200, 52, 3, 0, 0, "80Hz "},
        {FilterKind::LowPass, 12000, 200, 52, 8, 0, 0, "OFF"},
        {FilterKind::LowPass, 12000, 200, 52, 8, 0, 1, "关闭"},
    };
    for (const Case& c : cases) {
        CFilter f;
        f.SetKind(c.kind);
        f.SetBandHandle(c.kind < FilterKind::HighPass);
        MakeBand(f, c.freq);
        f.SetGainCode(c.gainCode);
        f.SetBandwidthCode(c.bandwidthCode);
        f.SetSlope(c.slope, 0);
        f.SetGraphicEq(c.graphic);
        g_LanguageFlag = c.chinese;
        EXPECT_EQ(f.FormatHandleLabel(), c.text) << c.text;
    }
}

TEST_F(FilterGraphTest, LabelOfTheSpecialBandShowsItsDrawingFrequency) {
    CFilter special;
    MakeSpecial(special, 12000);
    EXPECT_EQ(special.FormatHandleLabel(), "20000Hz 2.515Q 0.0dB");
    EXPECT_EQ(special.GetHandleRect().right, 640);
    EXPECT_EQ(special.GetAppliedFreq(), 12000) << "the drawing pin leaves the sent value alone";
}

TEST_F(FilterGraphTest, UnknownKindKeepsItsLabel) {
    CFilter f;
    MakeBand(f, 1000);
    f.FormatHandleLabel();
    const GraphRect label = f.GetLabelRect();
    f.SetKind(77);
    f.SetFreq(4000, 0);
    EXPECT_EQ(f.FormatHandleLabel(), "1000Hz 2.515Q 0.0dB");
    EXPECT_EQ(f.GetLabelRect(), label);
}

// --- Dragging a band ----------------------------------------------------------------

TEST_F(FilterGraphTest, DragBandMovesFrequencyAndGain) {
    g_DeviceSynced = 1;
    CFilter band;
    RecordingOwner owner;
    band.SetOwner(&owner);
    MakeBand(band, 1000, 4);
    Grab(band);
    // To 2000 Hz (x 400), +3 dB (y 90).
    EXPECT_EQ(band.DragHandleTo({440, 100}), 1);
    EXPECT_EQ(band.GetFreq(), 2000);
    EXPECT_EQ(band.GetGainCode(), 230);
    EXPECT_FALSE(band.IsBypassedOrFlat());
    EXPECT_TRUE(band.IsChanged());
    EXPECT_EQ(band.GetHandleRect(), (GraphRect{432, 92, 448, 108}));
    EXPECT_EQ(owner.codes, std::vector<int>{230});
    EXPECT_NEAR(band.GetCurve()[160], 3.0, 0.01) << "g_FreqTable[160] is 2000 Hz";

    // Back onto the 0 dB line: the band is off again.
    EXPECT_EQ(band.DragHandleTo({440, 130}), 1);
    EXPECT_TRUE(band.IsBypassedOrFlat());
    EXPECT_EQ(band.GetCurve()[160], 0.0);
    // A move that changes nothing.
    EXPECT_EQ(band.DragHandleTo({440, 131}), 0);
    // Far outside the graph: 20 kHz and -12 dB.
    EXPECT_EQ(band.DragHandleTo({5000, 5000}), 1);
    EXPECT_EQ(band.GetFreq(), 20000);
    EXPECT_EQ(band.GetGainCode(), 80);
}

TEST_F(FilterGraphTest, DragToTheTopAlwaysReportsAChange) {
    CFilter band;
    MakeBand(band, 2000); // x 400 and back to 2000 Hz
    band.SetGainCode(320);
    Grab(band);
    const int x = band.GetHandleRect().left + 8;
    ASSERT_EQ(x, 440);
    EXPECT_EQ(band.DragHandleTo({x, 11}), 0) << "y 1 is still +12 dB";
    EXPECT_EQ(band.DragHandleTo({x, 10}), 1) << "the top edge";
    EXPECT_EQ(band.DragHandleTo({x, -50}), 1) << "above the graph";
    EXPECT_EQ(band.GetFreq(), 2000);
    EXPECT_EQ(band.GetGainCode(), 320);
}

TEST_F(FilterGraphTest, DragShelvesStayOnTheirSide) {
    struct Case {
        int kind, from, to, expect;
    } cases[] = {
        {FilterKind::LowShelf, 100, 5000, 2000},
        {FilterKind::LowShelf, 100, 500, 496}, // GraphXToFreq(279)
        {FilterKind::HighShelf, 8000, 500, 2000},
        {FilterKind::HighShelf, 8000, 5000, 4966}, // GraphXToFreq(479)
    };
    for (const Case& c : cases) {
        CFilter shelf;
        shelf.SetKind(c.kind);
        MakeBand(shelf, c.from);
        Grab(shelf);
        EXPECT_EQ(shelf.DragHandleTo({WindowX(c.to), WindowY(6)}), 1);
        EXPECT_EQ(shelf.GetFreq(), c.expect) << c.kind << " to " << c.to;
        EXPECT_EQ(shelf.GetGainCode(), 260);
    }
}

TEST_F(FilterGraphTest, GraphicEqBandMovesInGainOnly) {
    CFilter band;
    MakeBand(band, 1000, 5);
    band.SetGraphicEq(1);
    Grab(band);
    EXPECT_EQ(band.DragHandleTo({100, 70}), 1);
    EXPECT_EQ(band.GetFreq(), 1000);
    EXPECT_EQ(band.GetGainCode(), 260);
    EXPECT_EQ(band.DragHandleTo({600, 70}), 0) << "x alone changes nothing";
}

TEST_F(FilterGraphTest, DraggedSpecialBandBecomesAPeakingBand) {
    CFilter special;
    MakeSpecial(special, 12000);
    Grab(special);
    EXPECT_EQ(special.DragHandleTo({WindowX(2000), WindowY(3)}), 1);
    EXPECT_EQ(special.GetKind(), FilterKind::Peaking);
    EXPECT_EQ(special.GetFreq(), 2000);
    EXPECT_EQ(special.GetAppliedFreq(), 2000);

    // In graphic-EQ mode it keeps its kind and the frequency the user set.
    CFilter graphic;
    MakeSpecial(graphic, 12000);
    graphic.SetGraphicEq(1);
    Grab(graphic);
    EXPECT_EQ(graphic.DragHandleTo({WindowX(20000), WindowY(3)}), 1);
    EXPECT_EQ(graphic.GetKind(), FilterKind::Special);
    EXPECT_EQ(graphic.GetAppliedFreq(), 12000);
    EXPECT_EQ(graphic.GetGainCode(), 230);
}

TEST_F(FilterGraphTest, HandleDragIgnoresCrossovers) {
    CFilter highPass;
    MakeCrossover(highPass, FilterKind::HighPass, 100, 9);
    Grab(highPass);
    EXPECT_EQ(highPass.DragHandleTo({400, 50}), 0);
    EXPECT_EQ(highPass.GetFreq(), 100);
}

// --- Dragging a bandwidth edge ---------------------------------------------------------

TEST_F(FilterGraphTest, DragBandwidthEdges) {
    struct Case {
        const char* name;
        bool left;
        int x; // window x of the mouse
        int code;
    } cases[] = {
        {"left edge far outside", true, 0, 295},
        {"right edge far outside", false, 900, 295},
        {"left edge onto the centre", true, WindowX(1000), 0},
        {"right edge onto the centre", false, WindowX(1000), 0},
        {"right edge past the centre", false, WindowX(100), 0},
        {"right edge at 2 kHz: 2 octaves", false, WindowX(2000), 195},
        {"left edge at 496 Hz", true, WindowX(500), 197},
    };
    for (const Case& c : cases) {
        CFilter band;
        MakeBand(band, 1000);
        auto& in = band.GetInteraction();
        (c.left ? in.draggingLeftEdge : in.draggingRightEdge) = 1;
        band.DragEdgeHandle({c.x, 140});
        EXPECT_EQ(band.DragBandwidthEdge({c.x, 140}), 1) << c.name;
        EXPECT_EQ(band.GetBandwidthCode(), c.code) << c.name;
    }
}

TEST_F(FilterGraphTest, BandwidthDragMovesTheEdges) {
    CFilter band;
    MakeBand(band, 1000);
    band.GetInteraction().draggingRightEdge = 1;
    band.DragEdgeHandle({405, 140});
    EXPECT_EQ(band.GetInteraction().rightEdgeDragOffset, 3);
    band.DragBandwidthEdge({WindowX(2000), 140});
    // 2 octaves: edges at 2000 Hz and 500 Hz.
    EXPECT_EQ(band.GetRightEdgeRect(),
              (GraphRect{WindowX(2000) + 10 - 4, 136, WindowX(2000) + 14, 144}));
    EXPECT_EQ(band.GetLeftEdgeRect(), (GraphRect{WindowX(500) - 14, 136, WindowX(500) - 6, 144}));
}

TEST_F(FilterGraphTest, BandwidthDragNeedsADraggedEdge) {
    CFilter band;
    MakeBand(band, 1000);
    EXPECT_EQ(band.DragBandwidthEdge({0, 140}), 1);
    EXPECT_EQ(band.GetBandwidthCode(), 52);
    EXPECT_FALSE(band.IsChanged());
}

// --- Dragging a crossover --------------------------------------------------------------

TEST_F(FilterGraphTest, DragCrossovers) {
    struct Case {
        const char* name;
        int kind, option, from, other, x, result, expect;
    } cases[] = {
        {"high-pass up", FilterKind::HighPass, 9, 100, 5000, WindowX(1000), 1, 990},
        {"high-pass past the low-pass stops there", FilterKind::HighPass, 9, 100, 1000,
         WindowX(5000), 1, 1000},
        {"option 10 stops there too", FilterKind::HighPass, 10, 100, 1000, WindowX(20000), 1, 1000},
        {"option 11 goes to 20 kHz", FilterKind::HighPass, 11, 100, 1000, WindowX(20000), 1, 20000},
        {"option 11 below 20 kHz stops", FilterKind::HighPass, 11, 100, 1000, WindowX(19000), 1,
         1000},
        {"general rule: left of the area is off", FilterKind::HighPass, 0, 100, 20000, 20, 1, 20},
        {"general rule: off again reports a change", FilterKind::HighPass, 9, 20, 20000, 40, 1, 20},
        {"option 10: left of the area is 20 Hz", FilterKind::HighPass, 10, 100, 20000, 20, 1, 20},
        {"option 10: already at 20 Hz", FilterKind::HighPass, 10, 20, 20000, 20, 0, 20},
        {"no move", FilterKind::HighPass, 9, 990, 20000, WindowX(1000), 0, 990},
        {"low-pass down", FilterKind::LowPass, 12, 20000, 100, WindowX(1000), 1, 990},
        {"low-pass past the high-pass stops there", FilterKind::LowPass, 12, 20000, 500,
         WindowX(200), 1, 500},
        {"low-pass left of the area", FilterKind::LowPass, 12, 20000, 500, 0, 1, 500},
        {"low-pass right of the area is off", FilterKind::LowPass, 12, 5000, 20, 900, 1, 20000},
        // A stray other frequency (0 Hz at start-up) bounds as it is drawn,
        // at the nearest end of 20 Hz .. 20 kHz.
        {"high-pass with a 0 Hz low-pass", FilterKind::HighPass, 0, 100, 0, WindowX(1000), 1, 20},
        {"low-pass with a 0 Hz high-pass", FilterKind::LowPass, 0, 5000, 0, WindowX(1000), 1, 990},
        {"high-pass with a 30 kHz low-pass", FilterKind::HighPass, 9, 100, 30000, WindowX(1000), 1,
         990},
    };
    for (const Case& c : cases) {
        CFilter f;
        MakeCrossover(f, c.kind, c.from, c.option);
        Grab(f);
        EXPECT_EQ(f.DragCrossoverHandle({c.x, f.GetHandleRect().top}, c.other), c.result) << c.name;
        EXPECT_EQ(f.GetFreq(), c.expect) << c.name;
        EXPECT_EQ(f.GetHandleRect().left, std::max(WindowX(c.expect) - 8, 32)) << c.name;
    }
}

TEST_F(FilterGraphTest, CrossoverDragTellsTheSliderAndMarks) {
    g_DeviceSynced = 1;
    CFilter highPass;
    RecordingOwner owner;
    MakeCrossover(highPass, FilterKind::HighPass, 1000, 9);
    highPass.SetSlope(3, 0);
    highPass.SetOwner(&owner);
    Grab(highPass);
    EXPECT_EQ(highPass.DragCrossoverHandle({20, 200}, 20000), 1);
    EXPECT_EQ(owner.freqs, std::vector<int>{20});
    EXPECT_TRUE(highPass.IsChanged());
    for (double v : highPass.GetCurve())
        EXPECT_EQ(v, 0.0) << "a high-pass at 20 Hz is flat";
    EXPECT_EQ(highPass.FormatHandleLabel(), "20Hz ");
}

// --- The start-up model and stray device values ---------------------------------------------

namespace {

std::vector<CFilter*> AllFilters(CKTV_Data& model) {
    std::vector<CFilter*> filters;
    auto add = [&](CKTVEQ& eq) {
        for (int i = 0; i < eq.GetCount(); ++i)
            filters.push_back(eq.GetAt(i));
    };
    add(model.GetEffect()->GetEQ());
    add(model.GetMic(0)->GetEq());
    for (int i = 0; i < kMusicInputCount; ++i)
        add(model.GetMusic(i)->GetEq());
    for (int i = 0; i < kOutputCount; ++i)
        add(model.GetOut(i)->GetEq());
    return filters;
}

std::vector<ItemRecord> Records(CKTV_Data& model) {
    std::vector<ItemRecord> records;
    auto add = [&](CKTVEQ& eq) {
        for (int i = 0; i < eq.GetBandCount(); ++i)
            records.push_back(eq.PackBand(i));
        records.push_back(eq.PackCrossover());
    };
    add(model.GetEffect()->GetEQ());
    add(model.GetMic(0)->GetEq());
    for (int i = 0; i < kMusicInputCount; ++i)
        add(model.GetMusic(i)->GetEq());
    for (int i = 0; i < kOutputCount; ++i)
        add(model.GetOut(i)->GetEq());
    return records;
}

bool Within(const GraphRect& r, int limit) {
    for (int v : {r.left, r.top, r.right, r.bottom})
        if (v < -limit || v > limit) return false;
    return true;
}

// Lays every channel out, computes every curve and label, and checks that
// everything is finite and the settings are untouched.
void CheckWholeModel(CKTV_Data& model, const char* what) {
    const std::vector<ItemRecord> before = Records(model);
    model.GetEffect()->SetGraphRect(kPlotArea);
    model.GetMic(0)->GetEq().SetGraphRect(kPlotArea); // the graph never shows the microphone
    model.SetMusicGraphRect(kPlotArea);
    model.SetOutputGraphRect(kPlotArea);
    for (int i = 0; i < kOutputCount; ++i)
        model.GetOut(i)->UpdateCurve();
    for (int i = 0; i < kMusicInputCount; ++i)
        model.GetMusic(i)->UpdateCurve();
    model.GetMic(0)->UpdateCurve();
    model.GetEffect()->UpdateCurve();

    for (CFilter* f : AllFilters(model)) {
        for (double v : f->GetCurve())
            ASSERT_TRUE(std::isfinite(v)) << what;
        f->GetCurvePoints();
        f->FormatHandleLabel();
        for (const GraphRect& r :
             {f->GetHandleRect(), f->GetLabelRect(), f->GetLeftEdgeRect(), f->GetRightEdgeRect()})
            ASSERT_TRUE(Within(r, 1 << 21)) << what << " kind " << f->GetKind() << " " << r;
    }
    for (int i = 0; i < kOutputCount; ++i)
        for (const GraphPointF& p : model.GetOut(i)->GetCurve().GetRealPoints())
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << what;
    EXPECT_EQ(Records(model), before) << what << ": drawing changed a setting";
}

// Every drag on every filter, bounded by its channel's other crossover.
void DragEverything(CKTV_Data& model) {
    auto drag = [](CKTVEQ& eq) {
        for (int i = 0; i < eq.GetCount(); ++i) {
            CFilter* f = eq.GetAt(i);
            const int other =
                f == eq.GetHighPass() ? eq.GetLowPass()->GetFreq() : eq.GetHighPass()->GetFreq();
            for (GraphPoint p :
                 {GraphPoint{-100000, -100000}, GraphPoint{300, 130}, GraphPoint{100000, 100000}}) {
                f->BeginHandleDrag(p);
                f->DragHandleTo({p.x + 7, p.y + 7});
                f->DragCrossoverHandle({p.x + 7, p.y}, other);
                f->GetInteraction().draggingLeftEdge = 1;
                f->DragEdgeHandle(p);
                f->DragBandwidthEdge(p);
                f->GetInteraction().draggingLeftEdge = 0;
                f->GetInteraction().draggingRightEdge = 1;
                f->DragBandwidthEdge(p);
                f->GetInteraction().draggingRightEdge = 0;
                for (double v : f->GetCurve())
                    ASSERT_TRUE(std::isfinite(v));
                f->FormatHandleLabel();
            }
        }
    };
    drag(model.GetEffect()->GetEQ());
    for (int i = 0; i < kMusicInputCount; ++i)
        drag(model.GetMusic(i)->GetEq());
    for (int i = 0; i < kOutputCount; ++i)
        drag(model.GetOut(i)->GetEq());
}

} // namespace

TEST_F(FilterGraphTest, StartUpModelDrawsEverything) {
    CKTV_Data model;
    model.LoadFromImage(g_ParamImage, 0);
    CheckWholeModel(model, "start-up image");
    DragEverything(model);
}

TEST_F(FilterGraphTest, StrayDeviceValuesDrawFinite) {
    // Whole images of one repeated word: every frequency, gain word,
    // bandwidth code, slope, family and kind at an extreme.
    const uint16_t words[] = {0x0000, 0xFFFF, 0x8000, 0x7FFF, 0x8080, 0x7F7F, 0x0120, 0x2001};
    for (uint16_t w : words) {
        ResetModelState();
        for (int i = kEffectBlockOffset; i + 1 < kParamBlockSize; i += 2)
            PutU16(g_ParamImage + i, w);
        CKTV_Data model;
        model.LoadFromImage(g_ParamImage, 0);
        char what[32];
        std::snprintf(what, sizeof what, "word %04X", w);
        CheckWholeModel(model, what);
        DragEverything(model);
    }
}

TEST_F(FilterGraphTest, DegenerateGraphSizes) {
    for (const GraphRect& r :
         {GraphRect{0, 0, 0, 0}, GraphRect{10, 10, 5, 5}, GraphRect{0, 0, 2, 1}}) {
        CFilter band;
        MakeBand(band, 1000);
        band.SetGraphRect(r);
        band.SetGainCode(260);
        band.BeginHandleDrag({0, 0});
        band.DragHandleTo({50, 50});
        band.FormatHandleLabel();
        for (double v : band.GetCurve())
            EXPECT_TRUE(std::isfinite(v));
        CFilter lowPass;
        MakeCrossover(lowPass, FilterKind::LowPass, 1000, 12);
        lowPass.SetGraphRect(r);
        EXPECT_GE(lowPass.DragCrossoverHandle({100, 0}, 20), 0);
    }
}

TEST(LogBase10, Values) {
    EXPECT_DOUBLE_EQ(LogBase10(1000.0), 3.0);
    EXPECT_DOUBLE_EQ(LogBase10(1.0), 0.0);
    EXPECT_TRUE(std::isinf(LogBase10(0.0)));
}
