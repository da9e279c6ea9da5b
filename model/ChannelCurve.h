// The response curve a channel hands to the equaliser graph: one point per
// entry of g_FreqTable, in integer and in real coordinates, taken from the
// channel's equaliser (the channel gain is not part of it).
#pragma once

#include "model/GraphTypes.h"
#include "model/KTVEQ.h"
#include "model/ValueScale.h"

#include <array>

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
    // Recomputes the equaliser's curve and takes its y values: the real
    // points only, or both sets.
    void Update(CKTVEQ& eq, bool integerToo);

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
};
