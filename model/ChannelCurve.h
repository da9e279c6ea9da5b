// The response curve a channel hands to the equaliser graph: one point per
// entry of g_FreqTable, in integer and in real coordinates, taken from the
// channel's equaliser (the channel gain is not part of it). It is formed
// again only when the equaliser's change count moved since it was formed.
#pragma once

#include "model/GraphTypes.h"
#include "model/KTVEQ.h"
#include "model/ValueScale.h"

#include <array>
#include <cstdint>

class CChannelCurve {
public:
    CChannelCurve() = default;
    CChannelCurve(const CChannelCurve&) = delete;
    CChannelCurve& operator=(const CChannelCurve&) = delete;

    // Graph size and x positions; hands the rectangle to the equaliser. The
    // channel then updates its curve.
    void SetGraphRect(const GraphRect& plotArea, CKTVEQ& eq);
    // y of 0 dB on the graph plus the top margin.
    void UpdateOffset();
    // Brings the curve up to date with the equaliser: the real points only,
    // or both sets. Does nothing when the equaliser has not changed since.
    void Update(CKTVEQ& eq, bool integerToo);
    // The equaliser's change count the real points were formed at.
    std::uint64_t GetChangeCount() const { return realCount_; }
    // How many times any channel curve was formed (a seam for the tests).
    static std::uint64_t Computations();

    int GetOffset() const { return offset_; }
    int GetHeight() const { return height_; }
    int GetWidth() const { return width_; }
    const std::array<GraphPoint, kFreqTableSize>& GetPoints() const { return points_; }
    const std::array<GraphPointF, kFreqTableSize>& GetRealPoints() const { return real_; }

private:
    std::array<GraphPoint, kFreqTableSize> points_{};
    std::array<GraphPointF, kFreqTableSize> real_{};
    int offset_ = 0;
    int height_ = 0;
    int width_ = 0;
    // Change counts the two sets were formed at; never formed at first.
    static constexpr std::uint64_t kNever = ~std::uint64_t{0};
    std::uint64_t realCount_ = kNever;
    std::uint64_t integerCount_ = kNever;
};
