#include "model/Filter.h"

#include "model/Archive.h"
#include "model/Globals.h"
#include "model/ValueScale.h"
#include "model/ValueTexts.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// Applied frequencies at or below 0 are lost values: steps start again from
// the bottom of the audio band instead of dividing by them.
constexpr int kLowestFreq = 20;
constexpr int kHighestFreq = 20000;

// The added 0.05 only absorbs the error of the division: a bandwidth between
// two codes falls to the lower one. Rounded down rather than towards zero, so
// that a code below 0 from the device reads back as itself.
double BandwidthCodeOf(double octaves) {
    return std::floor((octaves - 0.05) / 0.01 + 0.05);
}
int BandwidthToCode(double octaves) {
    return SaturatingToInt(BandwidthCodeOf(octaves));
}

// Rounded half up also below -20 dB, so that every code the device may hold
// reads back as itself.
double GainCodeOf(double gain) {
    return std::floor((gain + 20) * 100 / 10 + 0.5);
}

} // namespace

CFilter::CFilter() = default;

int CFilter::GetFreq() const {
    return IsPinnedSpecial() ? kHighestFreq : freq_;
}

int CFilter::GetDisplayFreq() const {
    return IsPinnedSpecial() ? third_ : freq_;
}

int CFilter::GetAppliedFreq() const {
    return IsPinnedSpecial() ? third_ : applied_;
}

int CFilter::GetGainCode() const {
    if (IsBypassedOrFlat()) return kGainCodeFlat;
    return SaturatingToInt(GainCodeOf(gain_));
}

int CFilter::GetBandwidthCode() const {
    return BandwidthToCode(bandwidth_);
}

void CFilter::Mark() {
    changed_ = ChangeMark();
}

void CFilter::Relayout() {
    if (bandHandle_)
        LayoutBandHandle();
    else
        LayoutCrossoverHandle();
}

void CFilter::SetFreq(int freq, int fromUser) {
    if (IsPinnedSpecial()) third_ = freq;
    if (!fromUser) {
        freq_ = applied_ = freq;
    } else if (bandHandle_) {
        freq_ = freq;
        if (!g_DeviceSynced.load()) applied_ = freq;
        if (applied_ <= 0) applied_ = kLowestFreq;
        // Within an octave either way the device may take the value at once.
        if (freq_ >= applied_) {
            if (freq_ / applied_ < 2) applied_ = freq_;
        } else if (static_cast<double>(freq_) / applied_ >= 0.5) {
            applied_ = freq_;
        }
    } else {
        freq_ = freq;
        if (owner_) owner_->SetFrequency(freq);
        if (applied_ <= 0) applied_ = kLowestFreq;
        if (freq_ >= applied_ && freq_ / applied_ < 2) applied_ = freq_;
        if (!g_DeviceSynced.load()) applied_ = freq_;
    }
    Relayout();
    UpdateCurve();
    if (fromUser) Mark();
}

void CFilter::StepAppliedFreq(int flag) {
    // The special band sends its user value, not the pinned drawing
    // frequency: there is nothing to step, and stepping towards 20000 would
    // only repeat the same frame (and mark a freshly loaded preset modified).
    if (IsPinnedSpecial()) applied_ = freq_;
    if (freq_ == applied_) {
        changed_ = flag;
        return;
    }
    changed_ = 1;
    if (applied_ <= 0) applied_ = kLowestFreq;
    if (freq_ / applied_ >= 2)
        applied_ *= 2; // cannot overflow: 2 x applied <= freq
    else if (freq_ > 0 && static_cast<double>(freq_) / applied_ <= 0.5)
        applied_ /= 2;
    else
        applied_ = freq_; // within an octave, or a target no halving reaches
}

void CFilter::SetGainCode(int code) {
    gain_ = code * 0.1 - 20;
    if (gain_ == 0.0) {
        off_ = 1;
    } else {
        off_ = 0;
        eqBypass_ = 0;
    }
    if (bandHandle_) LayoutBandHandle();
    UpdateCurve();
    Mark();
}

void CFilter::SetBandwidthCode(int code) {
    bandwidth_ = code * 0.01 + 0.05;
    if (bandHandle_) LayoutEdgeHandles();
    UpdateCurve();
    Mark();
}

void CFilter::SetKind(int kind) {
    kind_ = kind;
    if (kind == FilterKind::LowPass) applied_ = kHighestFreq;
    UpdateCurve();
    Mark();
}

void CFilter::SetSlope(int slope, int mark) {
    slope_ = slope;
    UpdateCurve();
    if (mark) Mark();
}

void CFilter::SetFamily(int family, int mark) {
    family_ = family;
    UpdateCurve();
    if (mark) Mark();
}

void CFilter::SetBypass(int off) {
    if (eqBypass_) {
        eqBypass_ = 0;
        if (gain_ == 0.0) return;
    } else if (off_ == off || gain_ == 0.0) {
        return;
    }
    off_ = off;
    if (off == 0) eqBypass_ = 0;
    Relayout();
    UpdateCurve();
    Mark();
}

void CFilter::SetEqBypass(int on) {
    if (on) {
        // Only the first switch-on saves: a repeated one would save its own
        // value, and switching off would then leave the band bypassed.
        if (!eqBypassHeld_) savedEqBypass_ = eqBypass_;
        eqBypassHeld_ = true;
        eqBypass_ = on;
    } else {
        eqBypass_ = savedEqBypass_;
        eqBypassHeld_ = false;
    }
    if (!off_) {
        Relayout();
        UpdateCurve();
    }
}

void CFilter::ResetBand(int freq) {
    freq_ = applied_ = freq;
    bandwidth_ = 0.1905; // bandwidth code 14
    LayoutEdgeHandles();
    LayoutBandHandle();
    gain_ = 0.0;
    off_ = 1;
    LayoutBandHandle();
    UpdateCurve();
}

void CFilter::SetGraphicEq(int on) {
    graphicEq_ = on;
    LayoutBandHandle(); // the label box and text change with it
}

// --- Texts ---------------------------------------------------------------

std::string CFilter::FormatFreq() const {
    return StrPrintf("%dHz", freq_);
}

std::string CFilter::FormatGain() const {
    if (IsBypassedOrFlat()) return "0.0dB";
    return StrPrintf("%0.1fdB", gain_);
}

std::string CFilter::FormatBandwidth() const {
    return StrPrintf("%0.2fOct", bandwidth_);
}

std::string CFilter::FormatQ() const {
    const double q = BandwidthCodeToQ(GetBandwidthCode());
    return StrPrintf(q > 10 ? "%0.2f" : "%0.3f", q);
}

std::string CFilter::FormatFamily() const {
    static const BiText names[] = {
        {"宁克-锐", "Link-Ril"}, {"贝塞尔", "Bessel"}, {"巴特沃斯", "Butter-W"}};
    if (family_ < 0 || family_ > 2) return std::string();
    return names[family_].Pick();
}

std::string CFilter::FormatShelfSlope() const {
    if (slope_ == 0) return "6dB/Oct";
    if (slope_ == 1) return "12dB/Oct";
    return std::string();
}

std::string CFilter::FormatSlope() const {
    if (reducedSlopes_) {
        if (slope_ == 1) return "12dB/Oct";
        if (slope_ == 2) return "24dB/Oct";
        return std::string();
    }
    if (slope_ >= 0 && slope_ < kCrossoverSlopeOff) return StrPrintf("%ddB/Oct", 6 * (slope_ + 1));
    if (slope_ == kCrossoverSlopeOff) return "OFF";
    return std::string();
}

std::string CFilter::FormatEqType() const {
    static const BiText names[] = {{"参量均衡", "PEQ"}, {"低架", "Lo_Shf"}, {"高架", "Hi_Shf"}};
    if (kind_ < 0 || kind_ > 2) return std::string();
    return names[kind_].Pick();
}

// --- Archive and copy ------------------------------------------------------

namespace {

// What a document may hold: only settings a band or crossover record can
// carry (what the device or a preset file can bring), so that every loaded
// filter packs, steps and draws as one loaded from a block does. The item
// code is the program's own, not a setting: a damaged one is kept, and the
// poller skips the band.
constexpr int kWordMin = -32768; // a band's words are read signed,
constexpr int kWordMax = 65535;  // a crossover's frequency unsigned
constexpr int kSignedWordMax = 32767;
constexpr int kByteMax = 255;

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// The code of a gain or bandwidth fits the band record's signed word (never
// a NaN or an infinity).
bool FitsSignedWord(double code) {
    return code >= kWordMin && code <= kSignedWordMax;
}

} // namespace

void CFilter::Serialize(CArchive& ar) {
    struct Stored {
        int kind, freq, applied, third;
        double gain;
        int eqBypass, off;
        double bandwidth;
        int family, slope, itemCode;
    } s{kind_, freq_,      applied_, third_, gain_,    eqBypass_,
        off_,  bandwidth_, family_,  slope_, itemCode_};
    ar.Dword(s.kind);
    ar.Dword(s.freq);
    ar.Dword(s.applied);
    ar.Dword(s.third);
    ar.Double(s.gain);
    ar.Dword(s.eqBypass);
    ar.Dword(s.off);
    ar.Double(s.bandwidth);
    ar.Dword(s.family);
    ar.Dword(s.slope);
    ar.Dword(s.itemCode);
    if (ar.IsLoading() && !ar.Failed()) {
        const bool valid = InRange(s.kind, 0, kByteMax) && InRange(s.family, 0, kByteMax) &&
                           InRange(s.slope, 0, kByteMax) && InRange(s.freq, kWordMin, kWordMax) &&
                           InRange(s.applied, kWordMin, kWordMax) &&
                           InRange(s.third, kWordMin, kWordMax) &&
                           FitsSignedWord(GainCodeOf(s.gain) + kGainWordOffset) &&
                           FitsSignedWord(BandwidthCodeOf(s.bandwidth));
        if (!valid) ar.Refuse();
    }
    // Storing reads the settings only: the handles and the curve are already
    // those of the settings, and a document save need not redraw the graph.
    // A refused or cut-short filter keeps its settings, and so its handles
    // and curve too.
    if (!ar.IsLoading() || ar.Failed()) return;
    kind_ = s.kind;
    freq_ = s.freq;
    applied_ = s.applied;
    third_ = s.third;
    gain_ = s.gain;
    eqBypass_ = s.eqBypass;
    off_ = s.off;
    bandwidth_ = s.bandwidth;
    family_ = s.family;
    slope_ = s.slope;
    itemCode_ = s.itemCode;
    Relayout();
    UpdateCurve();
}

void CFilter::CopyFrom(const CFilter& other) {
    kind_ = other.kind_;
    freq_ = other.freq_;
    third_ = other.third_;
    gain_ = other.gain_;
    off_ = other.off_;
    eqBypass_ = other.eqBypass_;
    bandwidth_ = other.bandwidth_;
    family_ = other.family_;
    slope_ = other.slope_;
    applied_ = other.freq_;
    Relayout();
    UpdateCurve();
}

// --- Graph side ------------------------------------------------------------

namespace {

// Where the plotting area sits in the graph window.
constexpr int kGraphLeft = 40;
constexpr int kGraphTop = 10;
constexpr int kHandleSize = 16;
constexpr int kHandleHalf = 8;
constexpr int kEdgeHalf = 4;
constexpr double kDragGainLimit = 12.0;
constexpr double kMinBandwidthOctaves = 0.05;
constexpr double kMaxBandwidthOctaves = 3.0;
constexpr int kShelfSplitFreq = 2000;
constexpr double kHighPassHandleGain = -7.0;
constexpr double kLowPassHandleGain = -10.0;

// Drag options with their own crossover rules. Option 9 also caps a
// high-pass at 20 kHz, which GraphXToFreq never exceeds: it drags as the
// general rule.
constexpr int kDragNoLeftStop = 10;
constexpr int kDragHighPassTo20k = 11;

// Pixel positions are kept far inside the int range: frequencies, gains and
// bandwidths straight from the device (0 Hz, words of any value) map to
// positions far off the graph, and the layout adds its offsets to them.
constexpr int kPixelLimit = 1 << 20;

int ClampPixel(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -kPixelLimit, kPixelLimit));
}

int PixelX(double freq, int w) {
    return ClampPixel(FreqToGraphX(freq, w));
}
int PixelY(double gain, int h) {
    return ClampPixel(GainToGraphY(gain, h));
}

GraphPoint Centre(const GraphRect& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

GraphRect Square(int cx, int cy, int half) {
    return {cx - half, cy - half, cx + half, cy + half};
}

} // namespace

void CFilter::SetGraphRect(const GraphRect& plotArea) {
    graphWidth_ = ClampPixel(std::max(plotArea.Width(), 0));
    graphHeight_ = ClampPixel(std::max(plotArea.Height(), 0));
    Relayout();
    const int zeroY = PixelY(0.0, graphHeight_) + kGraphTop;
    curvePoints_.front() = {kGraphLeft, zeroY};
    curvePoints_.back() = {graphWidth_ + kGraphLeft, zeroY};
    for (int j = 0; j < kFilterCurvePoints; ++j)
        curvePoints_[static_cast<size_t>(j) + 1].x =
            PixelX(g_FreqTable[j], graphWidth_) + kGraphLeft;
    UpdateCurve();
}

namespace {
std::atomic<std::uint64_t> g_CurveComputations{0};
} // namespace

std::uint64_t CFilter::CurveComputations() {
    return g_CurveComputations.load(std::memory_order_relaxed);
}

// The curve is recomputed when it is next read: loading a preset runs
// several setters per filter, and only the last state is ever drawn.
void CFilter::UpdateCurve() {
    curveStale_ = true;
    Touch();
}

const CFilter::Curve& CFilter::GetCurve() const {
    if (curveStale_) RefreshCurve();
    return curve_;
}

void CFilter::RefreshCurve() const {
    curveStale_ = false;
    g_CurveComputations.fetch_add(1, std::memory_order_relaxed);
    ClearWideVectorState();
    FilterCurveSettings settings;
    settings.kind = kind_;
    settings.freq = GetFreq();
    settings.gainDb = gain_;
    settings.bandwidthOctaves = bandwidth_;
    settings.slope = slope_;
    settings.family = family_;
    settings.reducedSlopes = reducedSlopes_ != 0;
    settings.eqBypass = eqBypass_ != 0;
    settings.off = off_ != 0;
    ComputeFilterCurve(settings, curve_.data()); // a kind without a curve keeps the one it had
    pointsStale_ = true;
}

const std::array<GraphPoint, kFilterCurvePoints + 2>& CFilter::GetCurvePoints() const {
    GetCurve();
    if (pointsStale_) {
        for (size_t j = 0; j < curve_.size(); ++j)
            curvePoints_[j + 1].y = PixelY(curve_[j], graphHeight_) + kGraphTop;
        pointsStale_ = false;
    }
    return curvePoints_;
}

void CFilter::PlaceLabelFromHandle(int reach, int widthAtEnd, int extend) {
    const int areaRight = graphWidth_ + kGraphLeft;
    if (handleRect_.right + reach > areaRight) {
        labelRect_.right = areaRight;
        labelRect_.left = areaRight - widthAtEnd;
    } else {
        labelRect_.left = handleRect_.left;
        labelRect_.right = handleRect_.right + extend;
    }
}

void CFilter::LayoutBandHandle() {
    Touch();
    if (IsPinnedSpecial()) freq_ = kHighestFreq;
    const int w = graphWidth_;
    const int h = graphHeight_;
    int x = PixelX(freq_, w) - kHandleHalf;
    int y = PixelY(IsBypassedOrFlat() ? 0.0 : gain_, h) - kHandleHalf;
    x = std::max(x, -kHandleHalf);
    y = std::max(y, 0);
    // The first bands may hang over the left edge of the plotting area.
    if (itemCode_ >= 9) x = std::max(x, 0);
    if (x + kHandleSize > w) x = w - kHandleSize;
    if (y + kHandleSize > h) y = h - kHandleSize;
    handleRect_ = {x + kGraphLeft, y + kGraphTop, x + kGraphLeft + kHandleSize,
                   y + kGraphTop + kHandleSize};

    const GraphRect& hr = handleRect_;
    const int areaRight = w + kGraphLeft;
    bool placed = true;
    if (kind_ == FilterKind::Peaking || kind_ == FilterKind::Special) {
        // Centred on the handle where it fits, else against the nearer end.
        struct LabelBox {
            int width, margin, leftReach, rightReach, leftEndRight;
        };
        const LabelBox box = graphicEq_ ? LabelBox{50, 25, 20, 20, kHandleSize + 70}
                                        : LabelBox{160, 80, 60, 80, kHandleSize + 160};
        if (hr.right + box.rightReach > areaRight) {
            labelRect_.right = areaRight;
            labelRect_.left = areaRight - box.width;
        } else if (hr.left - box.leftReach < kGraphLeft) {
            labelRect_.left = kGraphLeft;
            labelRect_.right = box.leftEndRight;
        } else {
            labelRect_.left = hr.left - box.margin;
            labelRect_.right = hr.right + box.margin;
        }
    } else if (kind_ == FilterKind::LowShelf || kind_ == FilterKind::HighShelf) {
        PlaceLabelFromHandle(110, 116, 90);
    } else {
        placed = false;
    }
    if (placed) {
        // Below the handle, or above it near the bottom of the graph.
        const int shift = hr.bottom >= h - 15 ? -25 : 25;
        labelRect_.top = hr.top + shift;
        labelRect_.bottom = hr.bottom + shift;
    }
    LayoutEdgeHandles();
}

void CFilter::LayoutEdgeHandles() {
    Touch();
    if (IsPinnedSpecial()) freq_ = kHighestFreq;
    const int cy = Centre(handleRect_).y + (gain_ >= 0 ? 10 : -10);
    const double half = std::pow(2.0, bandwidth_ / 2);
    const int upper = SaturatingToInt(half * freq_);
    // Both edges sit 10 pixels outside the band's edge frequencies.
    rightEdgeRect_ = Square(PixelX(upper, graphWidth_) + kGraphLeft + 10, cy, kEdgeHalf);
    leftEdgeRect_ = Square(PixelX(freq_ / half, graphWidth_) + kGraphLeft - 10, cy, kEdgeHalf);
}

void CFilter::LayoutCrossoverHandle() {
    Touch();
    if (IsPinnedSpecial()) freq_ = kHighestFreq;
    const int w = graphWidth_;
    int x = std::max(PixelX(freq_, w) - kHandleHalf, -kHandleHalf);
    const int y = PixelY(kind_ == FilterKind::HighPass ? kHighPassHandleGain : kLowPassHandleGain,
                         graphHeight_);
    if (x + kHandleSize > w + kHandleHalf) x = w + kHandleHalf - kHandleSize;
    handleRect_ = {x + kGraphLeft, y + kGraphTop, x + kGraphLeft + kHandleSize,
                   y + kGraphTop + kHandleSize};
    if (kind_ != FilterKind::HighPass && kind_ != FilterKind::LowPass) return;
    const GraphRect& hr = handleRect_;
    labelRect_.top = hr.top - 15;
    PlaceLabelFromHandle(50, 66, 50);
    labelRect_.bottom = hr.bottom + (kind_ == FilterKind::HighPass ? 25 : 20);
}

std::string CFilter::FormatHandleLabel() {
    switch (kind_) {
    case FilterKind::Peaking:
    case FilterKind::Special:
        labelText_ = graphicEq_
                         ? FormatGain()
                         : StrPrintf("%dHz %sQ %s", freq_, FormatQ().c_str(), FormatGain().c_str());
        break;
    case FilterKind::LowShelf:
    case FilterKind::HighShelf:
        labelText_ = StrPrintf("%s %dHz %s %s", kind_ == FilterKind::LowShelf ? "Lo" : "Hi", freq_,
                               FormatShelfSlope().c_str(), FormatGain().c_str());
        break;
    case FilterKind::HighPass:
    case FilterKind::LowPass:
        labelText_ = slope_ == kCrossoverSlopeOff ? (g_LanguageFlag.load() ? "关闭" : "OFF")
                                                  : StrPrintf("%dHz ", freq_);
        break;
    default:
        break; // no label of its own
    }
    return labelText_;
}

// --- Dragging ----------------------------------------------------------------

void CFilter::BeginHandleDrag(GraphPoint point) {
    const GraphPoint c = Centre(handleRect_);
    interaction_.dragOffset = {ClampPixel(static_cast<long long>(point.x) - c.x),
                               ClampPixel(static_cast<long long>(point.y) - c.y)};
}

int CFilter::DragHandleTo(GraphPoint point) {
    if (kind_ == FilterKind::HighPass || kind_ == FilterKind::LowPass) return 0;
    const GraphPoint& off = interaction_.dragOffset;
    const int x = static_cast<int>(std::clamp<long long>(
        static_cast<long long>(point.x) - off.x - kGraphLeft, 0, graphWidth_));
    const int y = static_cast<int>(std::clamp<long long>(
        static_cast<long long>(point.y) - off.y - kGraphTop, 0, graphHeight_));
    const int oldFreq = GetFreq();
    const int oldGainCode = GetGainCode();
    if (!graphicEq_) {
        freq_ = GraphXToFreq(x, graphWidth_);
        if (kind_ == FilterKind::Special) SetKind(FilterKind::Peaking);
    }
    gain_ = std::clamp(GraphYToGain(y, graphHeight_), -kDragGainLimit, kDragGainLimit);
    if (gain_ == 0.0) {
        off_ = 1;
    } else {
        off_ = 0;
        eqBypass_ = 0;
    }
    const int result = (GetFreq() != oldFreq || GetGainCode() != oldGainCode || y == 0) ? 1 : 0;
    // A graphic-EQ band keeps its frequency; the special band's is the one
    // the user set, not the 20 kHz it is drawn at.
    if (result) SetFreq(GetDisplayFreq(), 1);
    if ((kind_ == FilterKind::LowShelf && freq_ > kShelfSplitFreq) ||
        (kind_ == FilterKind::HighShelf && freq_ < kShelfSplitFreq))
        SetFreq(kShelfSplitFreq, 1);
    const int gainCode = GetGainCode();
    gain_ = gainCode * 0.1 - 20;
    if (owner_) owner_->SetValue(gainCode);
    LayoutBandHandle();
    UpdateCurve();
    return result;
}

void CFilter::DragEdgeHandle(GraphPoint point) {
    if (interaction_.draggingLeftEdge)
        interaction_.leftEdgeDragOffset =
            ClampPixel(static_cast<long long>(point.x) - leftEdgeRect_.right);
    else if (interaction_.draggingRightEdge)
        interaction_.rightEdgeDragOffset =
            ClampPixel(static_cast<long long>(point.x) - rightEdgeRect_.left);
}

int CFilter::DragBandwidthEdge(GraphPoint point) {
    const bool left = interaction_.draggingLeftEdge != 0;
    if (!left && !interaction_.draggingRightEdge) return 1;
    const double fx =
        GraphXToFreq(ClampPixel(static_cast<long long>(point.x) - kGraphLeft), graphWidth_);
    const double f = GetFreq();
    double octaves = 2 * LogBase10(left ? f / fx : fx / f) / LogBase10(2.0);
    // Also catches the NaN of a band at a frequency of 0 or below.
    if (!(octaves >= kMinBandwidthOctaves)) octaves = kMinBandwidthOctaves;
    octaves = std::min(octaves, kMaxBandwidthOctaves);
    SetBandwidthCode(BandwidthToCode(octaves));
    return 1;
}

int CFilter::DragCrossoverHandle(GraphPoint point, int otherFreq) {
    const int option = dragOption_;
    long long x = static_cast<long long>(point.x) - interaction_.dragOffset.x - kGraphLeft;
    if (option != kDragNoLeftStop && option != kDragHighPassTo20k && x <= 0) {
        x = 0;
        if (kind_ == FilterKind::HighPass) {
            SetFreq(kLowestFreq, 1); // off: flat curve
            return 1;
        }
    }
    x = std::min<long long>(x, graphWidth_);
    const int freq = GraphXToFreq(ClampPixel(x), graphWidth_);
    if (freq == GetFreq()) return 0;
    // The other crossover's frequency may be a stray device value (0 Hz at
    // start-up); a bound outside the graph's range means no bound there.
    const int bound = std::clamp(otherFreq, kLowestFreq, kHighestFreq);
    if (kind_ == FilterKind::HighPass) {
        const bool to20k = option == kDragHighPassTo20k && freq == kHighestFreq;
        SetFreq(to20k ? freq : std::min(freq, bound), 1);
        return 1;
    }
    if (kind_ == FilterKind::LowPass) {
        SetFreq(std::max(freq, bound), 1); // 20 kHz: off, flat curve
        return 1;
    }
    return 0;
}
