#include "model/ValueScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {
// Rounds half up at the given step, as the tables were made.
double RoundHalfUp(double v, double step) {
    return std::floor(v / step + 0.5) * step;
}
} // namespace

TEST(FreqTable, FollowsItsFormulaExceptAtTheDevicesOwnEntries) {
    const std::map<int, double> exceptions = {{72, 158},    {76, 179},   {99, 344},   {105, 409},
                                              {137, 1030},  {138, 1060}, {139, 1090}, {140, 1123},
                                              {142, 1190},  {182, 3776}, {192, 5000}, {217, 10374},
                                              {222, 11987}, {240, 20000}};
    for (int i = 0; i < kFreqTableSize; ++i) {
        const double exact = 1000.0 * std::pow(2.0, (i - 136) / 24.0);
        const double expected = exceptions.count(i) ? exceptions.at(i)
                                : exact < 100       ? RoundHalfUp(exact, 0.1)
                                                    : RoundHalfUp(exact, 1.0);
        EXPECT_NEAR(g_FreqTable[i], expected, 1e-9) << "entry " << i;
        if (i > 0) {
            EXPECT_GT(g_FreqTable[i], g_FreqTable[i - 1]);
        }
    }
    const std::map<int, double> telling = {{0, 19.7},    {1, 20.3},    {16, 31.3},  {24, 39.4},
                                           {96, 315},    {120, 630},   {136, 1000}, {144, 1260},
                                           {216, 10079}, {239, 19585}, {240, 20000}};
    for (const auto& [i, v] : telling)
        EXPECT_DOUBLE_EQ(g_FreqTable[i], v) << "entry " << i;
}

TEST(QTable, FollowsItsFormulaAndFalls) {
    for (int c = 0; c < kQTableSize; ++c) {
        const double n = 0.05 + 0.01 * c;
        const double q = std::sqrt(std::pow(2.0, n)) / (std::pow(2.0, n) - 1.0);
        EXPECT_NEAR(g_QTable[c], RoundHalfUp(q, 0.001), 1e-9) << "code " << c;
        if (c > 0) {
            EXPECT_LT(g_QTable[c], g_QTable[c - 1]);
        }
    }
    EXPECT_DOUBLE_EQ(g_QTable[0], 28.852);
    EXPECT_DOUBLE_EQ(g_QTable[1], 24.043);
    EXPECT_DOUBLE_EQ(g_QTable[95], 1.414);
    EXPECT_DOUBLE_EQ(g_QTable[195], 0.667);
    EXPECT_DOUBLE_EQ(g_QTable[295], 0.404);
}

TEST(ValueScale, FrequencyToIndex) {
    struct Case {
        double f;
        int index;
    } cases[] = {{1015, 137},  {1014, 136}, {10, 0}, {25000, 240}, {19.7, 0},
                 {20000, 240}, {1000, 136}, {0, 0},  {-5, 0},      {20.0, 1} /* a tie goes up */,
                 {19.9, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(FreqToTableIndex(c.f), c.index) << c.f;
    EXPECT_EQ(FreqToTableIndex(std::nan("")), 240);
}

TEST(ValueScale, QToBandwidthCode) {
    struct Case {
        double q;
        int code;
    } cases[] = {{1.414, 95}, {100, 0},     {0.1, 295},   {28.852, 0},
                 {28.0, 1},   {0.404, 295}, {0.406, 294}, {1.4, 96}};
    for (const Case& c : cases)
        EXPECT_EQ(QToBandwidthCode(c.q), c.code) << c.q;
    EXPECT_DOUBLE_EQ(BandwidthCodeToQ(95), 1.414);
    EXPECT_DOUBLE_EQ(BandwidthCodeToQ(-3), g_QTable[0]);
    EXPECT_DOUBLE_EQ(BandwidthCodeToQ(999), g_QTable[295]);
}

TEST(ValueScale, GraphAxes) {
    for (int w : {3, 100, 600, 601, 1000})
        EXPECT_EQ(FreqToGraphX(20, w), 0) << w;
    EXPECT_EQ(FreqToGraphX(200, 600), 200);
    EXPECT_EQ(FreqToGraphX(20000, 600), 600);
    EXPECT_EQ(GraphXToFreq(0, 600), 20);
    EXPECT_EQ(GraphXToFreq(700, 600), 20000);
    EXPECT_EQ(GraphXToFreq(-50, 600), 20);
    EXPECT_EQ(GraphXToFreq(200, 600), 200);
    EXPECT_EQ(GraphXToFreq(10, 2), 20); // a graph too narrow for an axis

    EXPECT_EQ(GainToGraphY(12, 240), 0);
    EXPECT_EQ(GainToGraphY(0, 240), 120);
    EXPECT_EQ(GainToGraphY(-12, 240), 240);
    EXPECT_DOUBLE_EQ(GainToGraphYExact(6, 240), 60.0);
    struct Case {
        int y;
        double gain;
    } cases[] = {{120, 0}, {90, 3}, {95, 3}, {145, -3}, {0, 12}, {240, -12}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(GraphYToGain(c.y, 240), c.gain) << c.y;
    EXPECT_DOUBLE_EQ(GraphYToGain(10, 0), 0.0);
}

TEST(ValueScale, DelayStepsInCentimetres) {
    // 87 cm (121) down is 86 cm (119), not 85: 120 is 86.5 cm, which the field
    // shows as 87; 718 up reaches 720, the first code shown one unit higher.
    struct Case {
        int steps, dir, result;
    } cases[] = {{1, +1, 3},     {719, +1, 720}, {718, +1, 720}, {720, +1, 720},
                 {0, -1, 0},     {3, -1, 2},     {720, -1, 719}, {0, +1, 1},
                 {121, -1, 119}, {120, -1, 119}, {119, +1, 120}};
    for (const Case& c : cases)
        EXPECT_EQ(StepDelayCentimetres(c.steps, c.dir), c.result) << c.steps << " " << c.dir;
}

TEST(ValueScale, DelayStepsInInches) {
    struct Case {
        int steps, dir, result;
    } cases[] = {{3, -1, 0}, {718, +1, 720}, {720, +1, 720}, {0, -1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(StepDelayInches(c.steps, c.dir), c.result) << c.steps << " " << c.dir;
}

TEST(ValueScale, DelayStepsStayInRangeAndMoveTheShownValue) {
    for (int s = 0; s <= 720; ++s) {
        for (int d : {-1, +1}) {
            const int cm = StepDelayCentimetres(s, d);
            const int in = StepDelayInches(s, d);
            ASSERT_GE(cm, 0);
            ASSERT_LE(cm, 720);
            ASSERT_GE(in, 0);
            ASSERT_LE(in, 720);
            if (d > 0) {
                EXPECT_GE(cm, s);
                EXPECT_GE(in, s);
            } else {
                EXPECT_LE(cm, s);
                EXPECT_LE(in, s);
            }
        }
    }
    // Out-of-range inputs are clamped, never walked outside the table.
    EXPECT_EQ(StepDelayCentimetres(5000, +1), 720);
    EXPECT_EQ(StepDelayInches(-7, -1), 0);
}

TEST(ValueScale, SaturatingConversion) {
    EXPECT_EQ(SaturatingToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(SaturatingToInt(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(SaturatingToInt(std::nan("")), 0);
    EXPECT_EQ(SaturatingToInt(-2.7), -2);
    EXPECT_EQ(FreqToGraphX(0, 600), std::numeric_limits<int>::min());
}
