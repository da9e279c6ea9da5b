// The transfer curve of an output's compressor and limiter, as the system
// page's small dynamics graph draws it: input level across, output level up,
// both from -30 dB to +12 dB (420 units, 10 per dB).
//
// The curve follows the 1:1 line up to the compressor level, rises with the
// ratio's slope above it, and stays flat at the limiter level once it gets
// there. Every point lies inside the plotting area, whatever the values.
#pragma once

namespace dynamics {

constexpr int kScaleUnits = 420;       // -30 dB .. +12 dB
constexpr int kLevelMax = kScaleUnits; // limiter level code 0..420: -30.0 .. +12.0 dBu
constexpr int kRatioMin = 1;           // 1:1
constexpr int kRatioMax = 191;         // 20:1

// The values of one output's limiter and compressor rows, in the page's codes.
struct Levels {
    int limiterLevel = 0;    // 0..420: -30.0 dBu + 0.1 dB a step
    int compressorLevel = 0; // the same scale (the page offers 0..360)
    int ratio = kRatioMin;   // 1..191: (ratio + 9) / 10 to 1
    bool operator==(const Levels& o) const {
        return limiterLevel == o.limiterLevel && compressorLevel == o.compressorLevel &&
               ratio == o.ratio;
    }
};

struct Point {
    double x = 0.0;
    double y = 0.0;
};

// The plotting area in pixels (right and bottom are its far edges).
struct Area {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// The curve in pixels: start -> knee -> limit -> end.
struct Curve {
    Point start;    // input and output at -30 dB
    Point knee;     // where compression (or, below it, the limiter) starts
    Point limit;    // where the limiter takes over: the handle sits here
    Point end;      // input at +12 dB
    Point refStart; // the 1:1 reference line, across the whole graph
    Point refEnd;
};

// Codes clamped to the ranges above.
Levels Clamp(const Levels& levels);
// The compression ratio (1.0 .. 20.0) of a ratio code.
double RatioOf(int ratioCode);
// Output level in units (0 = -30 dB) for an input level in units.
double OutputUnits(const Levels& levels, double inputUnits);
// The curve on an area: input unit 0 at area.left, 420 at area.right; output
// unit 0 at area.bottom, 420 at area.top. Points are kept inside the area,
// and at least two pixels (the line's width) above its bottom.
Curve ComputeCurve(const Levels& levels, const Area& area);

} // namespace dynamics
