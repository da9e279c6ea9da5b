#include "controls/core/DynamicsCurve.h"

#include <algorithm>

namespace dynamics {

namespace {

// Room for the line's width above the bottom edge.
constexpr double kBottomInset = 2.0;

} // namespace

Levels Clamp(const Levels& levels) {
    Levels out;
    out.limiterLevel = std::clamp(levels.limiterLevel, 0, kLevelMax);
    out.compressorLevel = std::clamp(levels.compressorLevel, 0, kLevelMax);
    out.ratio = std::clamp(levels.ratio, kRatioMin, kRatioMax);
    return out;
}

double RatioOf(int ratioCode) {
    return (std::clamp(ratioCode, kRatioMin, kRatioMax) + 9) / 10.0;
}

double OutputUnits(const Levels& levels, double inputUnits) {
    const Levels v = Clamp(levels);
    const double in = std::clamp(inputUnits, 0.0, static_cast<double>(kScaleUnits));
    const double threshold = v.compressorLevel;
    const double out = in <= threshold ? in : threshold + (in - threshold) / RatioOf(v.ratio);
    return std::min(out, static_cast<double>(v.limiterLevel));
}

Curve ComputeCurve(const Levels& levels, const Area& area) {
    const Levels v = Clamp(levels);
    const double left = area.left;
    const double right = std::max(area.right, left);
    const double top = area.top;
    const double bottom = std::max(area.bottom, top);
    // The line's width stays above the bottom edge.
    const double lowest = std::max(bottom - kBottomInset, top);
    auto at = [&](double inUnits, double outUnits) {
        const double x = left + (right - left) * inUnits / kScaleUnits;
        const double y = top + (bottom - top) * (kScaleUnits - outUnits) / kScaleUnits;
        return Point{std::clamp(x, left, right), std::clamp(y, top, lowest)};
    };

    const double threshold = v.compressorLevel;
    const double limiter = v.limiterLevel;
    const double ratio = RatioOf(v.ratio);
    Curve c;
    c.start = at(0, 0);
    c.refStart = c.start;
    c.refEnd = at(kScaleUnits, kScaleUnits);
    if (limiter <= threshold) {
        // The limiter acts before the compressor would: 1:1, then flat.
        c.knee = c.limit = at(limiter, limiter);
        c.end = at(kScaleUnits, limiter);
        return c;
    }
    c.knee = at(threshold, threshold);
    const double inputAtLimit = threshold + (limiter - threshold) * ratio;
    if (inputAtLimit >= kScaleUnits) {
        // The compressed line ends below the limiter level.
        c.limit = c.end = at(kScaleUnits, OutputUnits(v, kScaleUnits));
        return c;
    }
    c.limit = at(inputAtLimit, limiter);
    c.end = at(kScaleUnits, limiter);
    return c;
}

} // namespace dynamics
