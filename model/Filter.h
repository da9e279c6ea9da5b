// One filter of a channel's equaliser: a peaking band, a shelf, the special
// last band of an output, or a high-pass / low-pass crossover filter.
//
// Besides its settings a filter carries what the link needs (the item code
// it is sent under, a changed flag, and the "applied" frequency last handed
// to the device, which follows a new frequency by at most one octave per
// frame) and what the equaliser graph needs (a 241-point response curve,
// handle and label geometry, interaction flags).
//
// Change marks: a marking setter assigns g_DeviceSynced to the changed
// flag (ChangeMark), so a change made while the device is not synchronised
// clears a mark that was still pending and is noted as one the device has
// not had.
#pragma once

#include "model/FilterResponse.h"
#include "model/GraphTypes.h"

#include <array>
#include <cstdint>
#include <string>

class CArchive;

// The control that shows a filter (a slider): told the new frequency when
// the user moves a crossover, and the gain code while a band is dragged.
class IFilterOwner {
public:
    virtual ~IFilterOwner() = default;
    virtual void SetFrequency(int hz) = 0;
    virtual void SetValue(int code) = 0;
};

constexpr int kFilterCurvePoints = kFreqTableSize; // one per entry of g_FreqTable
constexpr int kGainCodeFlat = 200;                 // 0 dB
constexpr int kGainWordOffset = 400;               // band records carry gain code + 400
constexpr int kSpecialBandItem = 30; // the special band pins its drawing frequency here

class CFilter {
public:
    CFilter();
    CFilter(const CFilter&) = delete;
    CFilter& operator=(const CFilter&) = delete;

    // --- Settings ----------------------------------------------------------
    int GetKind() const { return kind_; }
    uint8_t GetKindByte() const { return static_cast<uint8_t>(kind_); }
    uint8_t GetSlopeByte() const { return static_cast<uint8_t>(slope_); }
    uint8_t GetFamilyByte() const { return static_cast<uint8_t>(family_); }
    uint8_t GetItemCodeByte() const { return static_cast<uint8_t>(itemCode_); }
    // 20000 for the special band, else the frequency.
    int GetFreq() const;
    // The special band's user value, else the frequency.
    int GetDisplayFreq() const;
    // What band records and crossover items carry.
    int GetAppliedFreq() const;
    // 200 while off or EQ-bypassed, else (gain + 20) x 10 rounded; 0..400
    // for -20..+20 dB (not clamped).
    int GetGainCode() const;
    double GetGain() const { return gain_; }
    double GetBandwidth() const { return bandwidth_; }
    // 0 for 0.05 octave .. 295 for 3.00 octaves; a value between two codes
    // falls to the lower one.
    int GetBandwidthCode() const;
    int GetFamily() const { return family_; }
    int GetSlope() const { return slope_; }
    int IsBypassedOrFlat() const { return (eqBypass_ || off_) ? 1 : 0; }
    int IsChanged() const { return changed_; }
    int GetItemCode() const { return itemCode_; }
    int IsGraphicEq() const { return graphicEq_; }
    int IsBandHandle() const { return bandHandle_; }
    int GetDragOption() const { return dragOption_; }
    int HasReducedSlopes() const { return reducedSlopes_; }
    IFilterOwner* GetOwner() const { return owner_; }

    // fromUser: the user's change, which marks the filter and, while the
    // device is synchronised, leaves the applied frequency to follow in
    // octave steps; otherwise both frequencies take the value.
    void SetFreq(int freq, int fromUser);
    // Gain := code x 0.1 - 20 dB; exactly 0 dB turns the band off, any other
    // gain turns it on and clears the EQ bypass. Marks.
    void SetGainCode(int code);
    void SetBandwidthCode(int code);
    // Kind 32 also moves the applied frequency to 20000. Marks.
    void SetKind(int kind);
    void SetSlope(int slope, int mark);
    void SetFamily(int family, int mark);
    // The user's bypass of one band; a band at 0 dB stays off.
    void SetBypass(int off);
    // The channel-wide bypass: on saves the band's EQ bypass and sets it,
    // off puts the saved value back. Marks nothing.
    void SetEqBypass(int on);
    // Back to a flat band at the frequency; the caller sends the block.
    void ResetBand(int freq);
    void SetAppliedFreq(int freq) { applied_ = freq; }
    // Moves the applied frequency one octave towards the frequency (or onto
    // it within an octave) and keeps the filter changed; when the two are
    // already equal the changed flag takes the argument.
    void StepAppliedFreq(int flag);
    // The item code decides whether the special band is drawn at 20 kHz.
    void SetItemCode(int code) {
        itemCode_ = code;
        UpdateCurve();
    }
    void SetBandHandle(int on) {
        bandHandle_ = on;
        Touch();
    }
    void SetReducedSlopes(int on) {
        reducedSlopes_ = on;
        UpdateCurve();
    }
    void SetDragOption(int option) { dragOption_ = option; }
    void SetGraphicEq(int on);
    void SetOwner(IFilterOwner* owner) { owner_ = owner; }

    // --- Texts -----------------------------------------------------------
    std::string FormatFreq() const;
    std::string FormatGain() const;
    std::string FormatBandwidth() const;
    std::string FormatQ() const;
    std::string FormatFamily() const;
    std::string FormatShelfSlope() const;
    std::string FormatSlope() const;
    std::string FormatEqType() const;

    // --- Archive and copy -------------------------------------------------
    void Serialize(CArchive& ar);
    // Settings of the other filter; the applied frequency takes the other's
    // frequency. Item code, handle mode, options and the changed flag stay.
    void CopyFrom(const CFilter& other);

    // --- Graph side ---------------------------------------------------------
    // The change count of the equaliser this filter belongs to: raised by
    // everything that changes what the graph draws of the filter (its curve,
    // handles, label boxes), so a picture drawn at the same count is still
    // right. A filter of no equaliser counts nothing.
    void SetChangeCounter(std::uint64_t* count) { changeCount_ = count; }
    // How many times any filter's curve was computed (a seam for the tests).
    static std::uint64_t CurveComputations();
    using Curve = std::array<double, kFilterCurvePoints>;
    // Response in dB at each frequency of g_FreqTable, up to date with the
    // settings whenever it is read.
    const Curve& GetCurve() const;
    // Graph coordinates: the plotting area's own pixels are offset by 40 to
    // the right and 10 down in the graph window, which every rectangle and
    // point below is given in. Stores the size, places the handle and the x
    // of the curve points.
    void SetGraphRect(const GraphRect& plotArea);
    int GetGraphWidth() const { return graphWidth_; }
    int GetGraphHeight() const { return graphHeight_; }
    // Every setter that changes what the curve shows calls this.
    void UpdateCurve();
    // Handle of a band or shelf (16 x 16, moved in frequency and gain), its
    // value label box, then its bandwidth edges.
    void LayoutBandHandle();
    // The two 8 x 8 bandwidth edge handles, 10 pixels outside the band's
    // edge frequencies.
    void LayoutEdgeHandles();
    // Handle of a crossover (moved in frequency only) and its label box.
    void LayoutCrossoverHandle();
    // The value label for the handle; kept in the filter and returned.
    std::string FormatHandleLabel();

    // --- Dragging with the mouse (points in graph window pixels) -------------
    // Remembers where in the handle it was grabbed.
    void BeginHandleDrag(GraphPoint point);
    // Moves a band or shelf handle: frequency from x (not for a graphic-EQ
    // band), gain from y within +-12 dB. 1 when frequency or gain code
    // changed (or the handle reached the top edge), else 0; crossovers 0.
    int DragHandleTo(GraphPoint point);
    // Remembers where the edge being dragged was grabbed.
    void DragEdgeHandle(GraphPoint point);
    // Bandwidth (0.05 .. 3.00 octaves) from the x of the dragged edge.
    int DragBandwidthEdge(GraphPoint point);
    // Moves a crossover handle; a high-pass stays at or below the other
    // crossover's frequency, a low-pass at or above it (by the drag option).
    // 1 when the frequency was set, else 0.
    int DragCrossoverHandle(GraphPoint point, int otherFreq);

    // The graph's state of the mouse over this filter's handles.
    struct Interaction {
        int overHandle = 0;
        int overLeftEdge = 0;
        int overRightEdge = 0;
        int draggingHandle = 0;
        int draggingLeftEdge = 0;
        int draggingRightEdge = 0;
        // Where the handle or an edge was grabbed, kept while it is dragged.
        GraphPoint dragOffset;
        int leftEdgeDragOffset = 0;
        int rightEdgeDragOffset = 0;
    };
    Interaction& GetInteraction() { return interaction_; }
    const GraphRect& GetHandleRect() const { return handleRect_; }
    const GraphRect& GetLeftEdgeRect() const { return leftEdgeRect_; }
    const GraphRect& GetRightEdgeRect() const { return rightEdgeRect_; }
    const GraphRect& GetLabelRect() const { return labelRect_; }
    const std::string& GetLabelText() const { return labelText_; }
    // Outline of the curve: 0 and 242 the 0 dB anchors at the two ends of the
    // plotting area, 1..241 the curve.
    const std::array<GraphPoint, kFilterCurvePoints + 2>& GetCurvePoints() const;

private:
    bool IsPinnedSpecial() const {
        return kind_ == FilterKind::Special && itemCode_ == kSpecialBandItem;
    }
    void Relayout();
    void Mark();
    void Touch() {
        if (changeCount_) ++*changeCount_;
    }
    void RefreshCurve() const;
    // Label box from the handle's left edge to `extend` past its right, or
    // `widthAtEnd` wide against the right end when the handle is within
    // `reach` of it.
    void PlaceLabelFromHandle(int reach, int widthAtEnd, int extend);

    mutable Curve curve_{};
    mutable bool curveStale_ = false;
    // The outline's y follow the curve when the outline is next read (the
    // graph outlines one filter of the hundreds whose curves it sums).
    mutable bool pointsStale_ = false;
    mutable std::array<GraphPoint, kFilterCurvePoints + 2> curvePoints_{};
    GraphRect handleRect_;
    GraphRect leftEdgeRect_;
    GraphRect rightEdgeRect_;
    Interaction interaction_;
    IFilterOwner* owner_ = nullptr;
    std::uint64_t* changeCount_ = nullptr;
    int kind_ = FilterKind::Peaking;
    int freq_ = 1000;
    int applied_ = 20;
    int third_ = 20;
    int dragOption_ = 0;
    double gain_ = 0.0;
    int off_ = 1;
    int eqBypass_ = 0;
    int savedEqBypass_ = 0;
    // The channel-wide bypass is switched on and not yet off again.
    bool eqBypassHeld_ = false;
    double bandwidth_ = 0.57;
    int family_ = 0;
    int slope_ = 2;
    int itemCode_ = 0;
    int graphWidth_ = 0;
    int graphHeight_ = 0;
    int bandHandle_ = 1;
    int changed_ = 0;
    int reducedSlopes_ = 0;
    int graphicEq_ = 0;
    GraphRect labelRect_;
    std::string labelText_;
};
