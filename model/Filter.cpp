#include "Filter.h"

#include "Archive.h"
#include "Globals.h"
#include "ValueScale.h"
#include "ValueTexts.h"

namespace {

// Applied frequencies at or below 0 are lost values: steps start again from
// the bottom of the audio band instead of dividing by them.
constexpr int kLowestFreq = 20;
constexpr int kHighestFreq = 20000;

} // namespace

CFilter::CFilter() = default;

int CFilter::GetFreq() const { return IsPinnedSpecial() ? kHighestFreq : freq_; }

int CFilter::GetDisplayFreq() const { return IsPinnedSpecial() ? third_ : freq_; }

int CFilter::GetAppliedFreq() const { return IsPinnedSpecial() ? third_ : applied_; }

int CFilter::GetGainCode() const {
    if (IsBypassedOrFlat()) return kGainCodeFlat;
    return SaturatingToInt((gain_ + 20) * 100 / 10 + 0.5);
}

int CFilter::GetBandwidthCode() const { return SaturatingToInt((bandwidth_ - 0.05) / 0.01 + 0.05); }

void CFilter::Mark() { changed_ = g_DeviceSynced.load(); }

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
    LayoutBandHandle();
}

// --- Texts ---------------------------------------------------------------

std::string CFilter::FormatFreq() const { return StrPrintf("%dHz", freq_); }

std::string CFilter::FormatGain() const {
    if (IsBypassedOrFlat()) return "0.0dB";
    return StrPrintf("%0.1fdB", gain_);
}

std::string CFilter::FormatBandwidth() const { return StrPrintf("%0.2fOct", bandwidth_); }

std::string CFilter::FormatQ() const {
    const double q = BandwidthCodeToQ(GetBandwidthCode());
    return StrPrintf(q > 10 ? "%0.2f" : "%0.3f", q);
}

std::string CFilter::FormatFamily() const {
    static const BiText names[] = {{"宁克-锐", "Link-Ril"}, {"贝塞尔", "Bessel"}, {"巴特沃斯", "Butter-W"}};
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

void CFilter::Serialize(CArchive& ar) {
    ar.Dword(kind_);
    ar.Dword(freq_);
    ar.Dword(applied_);
    ar.Dword(third_);
    ar.Double(gain_);
    ar.Dword(eqBypass_);
    ar.Dword(off_);
    ar.Double(bandwidth_);
    ar.Dword(family_);
    ar.Dword(slope_);
    ar.Dword(itemCode_);
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

void CFilter::SetGraphRect(const GraphRect& plotArea) {
    graphWidth_ = plotArea.Width();
    graphHeight_ = plotArea.Height();
    Relayout();
    UpdateCurve();
}

// The curve is recomputed when it is next read: loading a preset runs
// several setters per filter, and only the last state is ever drawn.
void CFilter::UpdateCurve() { curveStale_ = true; }

const CFilter::Curve& CFilter::GetCurve() const {
    if (curveStale_) RefreshCurve();
    return curve_;
}

void CFilter::RefreshCurve() const {
    curveStale_ = false;
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
}

void CFilter::LayoutBandHandle() {
    if (IsPinnedSpecial()) freq_ = kHighestFreq;
    LayoutEdgeHandles();
}

void CFilter::LayoutEdgeHandles() {}

void CFilter::LayoutCrossoverHandle() {
    if (IsPinnedSpecial()) freq_ = kHighestFreq;
}
