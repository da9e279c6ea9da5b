#include "model/ChannelCurve.h"

#include "model/FilterResponse.h"

#include <atomic>

namespace {
std::atomic<std::uint64_t> g_ChannelCurveComputations{0};
} // namespace

std::uint64_t CChannelCurve::Computations() {
    return g_ChannelCurveComputations.load(std::memory_order_relaxed);
}

void CChannelCurve::SetGraphRect(const GraphRect& plotArea, CKTVEQ& eq) {
    height_ = plotArea.Height();
    width_ = plotArea.Width();
    for (int i = 0; i < kFreqTableSize; ++i) {
        const size_t k = static_cast<size_t>(i);
        points_[k] = {FreqToGraphX(g_FreqTable[i], width_) + 40, height_ / 2};
        real_[k].x = static_cast<float>(FreqToGraphXExact(g_FreqTable[i], width_) + 40.0);
    }
    eq.SetGraphRect(plotArea);
    realCount_ = integerCount_ = kNever;
}

void CChannelCurve::UpdateOffset() {
    offset_ = GainToGraphY(0.0, height_) + 10;
}

void CChannelCurve::Update(CKTVEQ& eq, bool integerToo) {
    UpdateOffset();
    const std::uint64_t count = eq.GetChangeCount();
    if (realCount_ == count && (!integerToo || integerCount_ == count)) return;
    g_ChannelCurveComputations.fetch_add(1, std::memory_order_relaxed);
    ClearWideVectorState();
    if (integerToo)
        eq.UpdateCurve();
    else
        eq.UpdateCurveReal();
    // The equaliser's points already sit on the same 0 dB line as ours.
    for (size_t k = 0; k < static_cast<size_t>(kFreqTableSize); ++k) {
        real_[k].y = eq.GetRealCurvePoints()[k].y;
        if (integerToo) points_[k].y = eq.GetCurvePoints()[k].y;
    }
    realCount_ = count;
    if (integerToo) integerCount_ = count;
}
