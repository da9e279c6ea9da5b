// The equaliser of one channel: its bands in band order, then a high-pass
// (kind 31) and a low-pass (kind 32) crossover filter. Built once by one of
// the builders; the element count never changes afterwards.
//
// Every band travels as an 8-byte record (little-endian):
//   0..1 applied frequency (Hz)   2..3 gain word = gain code + 400 (600 = 0 dB,
//   also for a bypassed or flat band)   4..5 bandwidth code   6 slope   7 kind
// and the two crossover filters as one 8-byte record:
//   0..1 high-pass applied frequency, 2 family, 3 slope, 4..7 the low-pass.
#pragma once

#include "model/Filter.h"
#include "model/GraphTypes.h"
#include "model/ValueScale.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CArchive;

using ItemRecord = std::array<uint8_t, 8>;

class CKTVEQ {
public:
    CKTVEQ() = default;
    CKTVEQ(const CKTVEQ&) = delete;
    CKTVEQ& operator=(const CKTVEQ&) = delete;

    // Builders: bands 0..last, then the two crossover filters, all sent
    // under item `item` for the crossovers and their band index otherwise.
    // Called once, while the device is not synchronised (nothing is marked).
    void BuildThirdOctave(int last, int item, int highPassOption, int highPassFreq,
                          int lowPassFreq);
    void BuildMixedBands(int last, int item, int lowPassFreq);
    void BuildFifteenBand(int last, int item, int lowPassFreq);
    void BuildThreeBand(int last, int item, int lowPassFreq);

    int GetCount() const { return static_cast<int>(filters_.size()); }
    int GetBandCount() const { return GetCount() >= 2 ? GetCount() - 2 : 0; }
    // Element i, or null outside the equaliser.
    CFilter* GetAt(int i) const;
    CFilter* GetHighPass() const { return GetAt(GetCount() - 2); }
    CFilter* GetLowPass() const { return GetAt(GetCount() - 1); }

    // The band record of element i (all zero outside the equaliser).
    ItemRecord PackBand(int i) const;
    void UnpackBand(const uint8_t* record, int i);

    // Band i into item i of a channel block.
    void WriteBand(uint8_t* block, int i) const;
    // Bands 0..count-1 into / from items 0..count-1 of a channel block.
    void WriteBands(uint8_t* block, int count) const;
    void LoadBands(const uint8_t* block, int count);

    // The crossover record of the two crossover filters.
    ItemRecord PackCrossover() const;
    // Both crossover filters from a record, as loaded values: no mark.
    void LoadCrossover(const uint8_t* record);
    // True when either crossover filter was marked; each marked one takes
    // one more step (and is cleared once it has arrived).
    bool TakeCrossoverChanged();

    // StepAppliedFreq(flag) on every element.
    void StepAll(int flag);
    // SetEqBypass(on) on elements [first, end).
    void SetEqBypass(int on, int first, int end);
    // Whether every element of [first, end) is bypassed or flat.
    int AllBypassedOrFlat(int first, int end) const;
    // The graphic-EQ flag for the bands (not the crossover filters).
    void SetGraphicEq(int on);

    void CopyFrom(const CKTVEQ& other);
    // Every element in order; no count is written, so the loading equaliser
    // must have the same elements.
    void Serialize(CArchive& ar);

    // --- Combined curve of all elements for the graph ---------------------
    // Raised by every change of an element that the graph draws (see
    // CFilter::SetChangeCounter); equal counts mean an unchanged picture.
    std::uint64_t GetChangeCount() const { return changeCount_; }
    void SetGraphRect(const GraphRect& plotArea);
    // Integer and real curve.
    void UpdateCurve();
    // Real curve only.
    void UpdateCurveReal();
    const std::array<GraphPoint, kFreqTableSize>& GetCurvePoints() const { return points_; }
    const std::array<GraphPointF, kFreqTableSize>& GetRealCurvePoints() const {
        return realPoints_;
    }
    // The sum of every element's response in dB at each table point.
    std::array<double, kFreqTableSize> SumCurve() const;

private:
    CFilter& Append();
    void BuildCrossovers(int item, int lowPassFreq);

    std::vector<std::unique_ptr<CFilter>> filters_;
    std::array<GraphPoint, kFreqTableSize> points_{};
    std::array<GraphPointF, kFreqTableSize> realPoints_{};
    int graphHeight_ = 0;
    int graphWidth_ = 0;
    std::uint64_t changeCount_ = 0;
};
