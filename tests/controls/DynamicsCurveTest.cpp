// The dynamics transfer curve: 1:1 up to the compressor level, the ratio's
// slope above it, flat at the limiter level, and inside its area whatever
// the values.
#include "controls/core/DynamicsCurve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

using dynamics::Area;
using dynamics::Curve;
using dynamics::Levels;
using dynamics::Point;

// A 420 x 420 area: one pixel per unit.
constexpr Area kArea{20, 5, 440, 425};

double In(double units) {
    return 20 + units;
}
// Two pixels above the bottom at the lowest, for the line's width.
double Out(double units) {
    return std::min(425 - units, 423.0);
}

void ExpectPoint(const Point& p, double x, double y, const char* what) {
    EXPECT_NEAR(p.x, x, 1e-9) << what;
    EXPECT_NEAR(p.y, y, 1e-9) << what;
}

TEST(DynamicsCurveTest, RatioCodesAndTheTransferFunction) {
    EXPECT_DOUBLE_EQ(dynamics::RatioOf(1), 1.0);
    EXPECT_DOUBLE_EQ(dynamics::RatioOf(11), 2.0);
    EXPECT_DOUBLE_EQ(dynamics::RatioOf(191), 20.0);
    EXPECT_DOUBLE_EQ(dynamics::RatioOf(0), 1.0);
    EXPECT_DOUBLE_EQ(dynamics::RatioOf(INT_MAX), 20.0);
    // Compressor at -10 dBu (200), 4:1 (31), limiter at +6 dBu (360).
    const Levels v{360, 200, 31};
    EXPECT_DOUBLE_EQ(dynamics::OutputUnits(v, 150), 150);
    EXPECT_DOUBLE_EQ(dynamics::OutputUnits(v, 200), 200);
    EXPECT_DOUBLE_EQ(dynamics::OutputUnits(v, 280), 220);
    EXPECT_DOUBLE_EQ(dynamics::OutputUnits(v, 420), 255);
    // The limiter caps it.
    EXPECT_DOUBLE_EQ(dynamics::OutputUnits({240, 200, 11}, 420), 240);
}

TEST(DynamicsCurveTest, CurveGeometry) {
    struct Case {
        const char* name;
        Levels levels;
        Point knee, limit, end;
    } cases[] = {
        {"4:1 from -10 dBu, limiter out of reach",
         {360, 200, 31},
         {In(200), Out(200)},
         {In(420), Out(255)},
         {In(420), Out(255)}},
        {"2:1 from -10 dBu, limiter at -2 dBu",
         {280, 200, 11},
         {In(200), Out(200)},
         {In(360), Out(280)},
         {In(420), Out(280)}},
        {"limiter below the compressor",
         {100, 300, 191},
         {In(100), Out(100)},
         {In(100), Out(100)},
         {In(420), Out(100)}},
        {"1:1 without limit",
         {420, 0, 1},
         {In(0), Out(0)},
         {In(420), Out(420)},
         {In(420), Out(420)}},
        {"everything at -30 dBu", {0, 0, 1}, {In(0), Out(0)}, {In(0), Out(0)}, {In(420), Out(0)}},
    };
    for (const Case& c : cases) {
        const Curve curve = dynamics::ComputeCurve(c.levels, kArea);
        ExpectPoint(curve.start, In(0), Out(0), c.name);
        ExpectPoint(curve.knee, c.knee.x, c.knee.y, c.name);
        ExpectPoint(curve.limit, c.limit.x, c.limit.y, c.name);
        ExpectPoint(curve.end, c.end.x, c.end.y, c.name);
        ExpectPoint(curve.refStart, In(0), Out(0), c.name);
        ExpectPoint(curve.refEnd, In(420), Out(420), c.name);
    }
}

TEST(DynamicsCurveTest, ExtremeValuesStayInsideTheArea) {
    const int values[] = {INT_MIN, -1, 0, 1, 11, 190, 191, 192, 359, 360, 420, 421, 65535, INT_MAX};
    const Area areas[] = {kArea, {20, 5, 91, 143}, {20, 5, 20, 5}, {20, 5, 10, 2}, {0, 0, 1, 1}};
    for (const Area& a : areas)
        for (int limiter : values)
            for (int compressor : values)
                for (int ratio : values) {
                    const Curve c = dynamics::ComputeCurve({limiter, compressor, ratio}, a);
                    for (const Point& p : {c.start, c.knee, c.limit, c.end, c.refStart, c.refEnd}) {
                        ASSERT_GE(p.x, a.left);
                        ASSERT_LE(p.x, std::max(a.right, a.left));
                        ASSERT_GE(p.y, a.top);
                        ASSERT_LE(p.y, std::max(a.bottom, a.top));
                    }
                    // Never falling: each point at or right of, and at or above, the one before.
                    ASSERT_LE(c.start.x, c.knee.x);
                    ASSERT_LE(c.knee.x, c.limit.x);
                    ASSERT_LE(c.limit.x, c.end.x);
                    ASSERT_GE(c.start.y, c.knee.y);
                    ASSERT_GE(c.knee.y, c.limit.y);
                    ASSERT_GE(c.limit.y, c.end.y);
                }
}

} // namespace
