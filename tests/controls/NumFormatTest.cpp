// Texts of the numeric field's value types.
#include "controls/core/NumValue.h"
#include "tests/controls/NumStates.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

using numfield::State;

namespace {

struct FormatCase {
    State state;
    int value;
    bool chinese;
    std::optional<std::string> text;
    int valueAfter; // some types bring the value into the range first
};

std::string Describe(const FormatCase& c) {
    return "type " + std::to_string(c.state.type) + " value " + std::to_string(c.value) +
           (c.chinese ? " (Chinese)" : "");
}

} // namespace

TEST(NumFormat, EveryTypeAndUnit) {
    const FormatCase cases[] = {
        // Delay in milliseconds; the maximum stands for 15 ms.
        {S(0, 0, 720), 720, false, "15.000", 720},
        {S(0, 0, 720), 5, false, "0.104", 5},
        {S(0, 0, 720), 1, false, "0.021", 1},
        {S(0, 0, 720), 0, false, "0.000", 0},
        {S(0, 0, 720, 0, 0, "x"), 48, false, "1.000MS", 48},
        {S(0, 0, 720, 0, 0, "x"), 48, true, "1.000毫秒", 48},
        // The same delay as centimetres (346 m/s) and inches.
        {S(1, 0, 720, 0, 0, "x"), 720, false, "519CM", 720},
        {S(1, 0, 720, 0, 0, "x"), 720, true, "519厘米", 720},
        {S(1, 0, 720), 1, false, "1", 1},
        {S(1, 0, 720), 0, false, "0", 0},
        {S(2, 0, 720, 0, 0, "x"), 720, false, "205INCH", 720},
        {S(2, 0, 720, 0, 0, "x"), 719, false, "204INCH", 719},
        {S(2, 0, 720, 0, 0, "x"), 719, true, "204英寸", 719},
        {S(19, 0, 720), 720, false, "15.000", 720},
        // Centred on half the maximum.
        {S(3, 0, 240, 0.1), 0, false, "-12.0", 0},
        {S(3, 0, 240, 0.1), 123, false, "0.3", 123},
        {S(4, 0, 20000), 1000, false, "1000", 1000},
        // Short times: tenths below 1 ms.
        {S(5, 0, 206), 0, false, "0.3ms", 0},
        {S(5, 0, 206), 6, false, "0.9ms", 6},
        {S(5, 0, 206), 7, false, "1ms", 7},
        {S(5, 0, 206), 206, false, "200ms", 206},
        {S(6, 50, 5000, 0, 0, "ms"), 50, false, "50ms", 50},
        {S(7, 0, 295, 0.01), 0, false, "0.05", 0},
        {S(7, 0, 295, 0.01), 295, false, "3.00", 295},
        {S(8, 20, 20000), 1000, false, "1000Hz", 1000},
        {S(9, 20, 19000), 19000, false, "20000Hz", 19000},
        {S(9, 20, 19000), 18000, false, "18000Hz", 18000},
        {S(10, 80, 320, 0.1, 20), 320, false, "12.0", 320},
        {S(10, 80, 320, 0.1, 20), 80, false, "-12.0", 80},
        {S(10, 80, 320, 0.1, 20), 197, false, "-0.3", 197},
        // Q: two decimals above 10, three below.
        {S(11, 0, 295), 0, false, "28.85", 0},
        {S(11, 0, 295), 95, false, "1.414", 95},
        {S(11, 0, 295), 295, false, "0.404", 295},
        {S(12, 0, 200), 75, false, "25C(77F)", 75},
        {S(12, 0, 200), 50, false, "0C(32F)", 50},
        {S(12, 0, 200), 0, false, "-50C(-57F)", 0},
        {S(13, 0, 100, 1, 0, "x"), 80, false, "80%x", 80},
        {S(13, 0, 200, 0.29), 100, false, "29%", 100}, // 100 x 0.29 is 29, not 28.999...
        {S(14, 0, 1000, 0, 0, "V"), 123, false, "1.23V", 123},
        {S(15, 0, 10, 0, 0, "x"), 7, false, "7x", 7},
        {S(16, 0, 20000), 100, false, "1.0400", 100},
        {S(16, 0, 20000), 9616, false, "100.000", 9616},
        {S(16, 0, 20000), 9617, false, "100.021", 9617},
        {S(17, 0, 5000), 100, false, "72.744", 100},
        {S(18, 0, 5000), 100, false, "2.387", 100},
        {S(20, 0, 100, 1, 0, "s"), 5, false, "5s", 5},
        {S(21, 0, 100), 15, false, "1.5", 15},
        {S(22, 0, 10), 4, false, "8", 4},
        // Threshold: the minimum is "OFF" in either language.
        {S(23, -60, 0, 1, 0), -60, false, "OFF", -60},
        {S(23, -60, 0, 1, 0), -60, true, "关闭", -60},
        {S(23, -60, 0, 1, 0), -59, false, "-59.0dB", -59},
        {S(23, -60, 0, 1, 0, "dBu"), -59, false, "-59dBu", -59},
        {S(23, 0, 600, 0.1, 60), 3, false, "-59.7dB", 3},
        {S(23, 0, 600, 0.1, 60), 600, false, "0.0dB", 600},
        {S(23, 0, 600, 0.1, 60, "dBu"), 598, false, "0dBu", 598}, // never "-0dBu"
        {S(23, 0, 100, 1, 120), 1, false, "-119.0dB", 1},
        {S(24, 0, 420, 0.1, 30), 0, false, "-30.0dBu", 0},
        {S(24, 0, 420, 0.1, 30), 420, false, "12.0dBu", 420},
        {S(25, 0, 66, 1, 60), 0, false, "OFF", 0},
        {S(25, 0, 66, 1, 60), 0, true, "关闭", 0},
        {S(25, 0, 66, 1, 60), 1, false, "-59dB", 1},
        {S(25, 0, 66, 1, 60), 66, false, "6dB", 66},
        {S(26, 0, 10, 1, 5), 20, false, "5dBu", 10},
        {S(26, 0, 10, 1, 5, "x"), -3, false, "-5dB", 0},
        {S(27, 0, 40, 1, 0, "x"), 3, false, "3dBx", 3},
        {S(28, 20, 1000), 20, false, "20Hz", 20},
        {S(28, 20, 1000), 1000, false, "1000Hz", 1000},
        {S(28, 20, 1000), 500, false, "500Hz", 500},
        {S(29, 5000, 20000), 5000, false, "5000Hz", 5000},
        {S(29, 5000, 20000), 20000, false, "20000Hz", 20000},
        {S(30, 0, 420, 0.1, 30), 420, false, "OFF", 420},
        {S(30, 0, 420, 0.1, 30), 420, true, "关闭", 420},
        {S(30, 0, 420, 0.1, 30), 0, false, "-30.0dBu", 0},
        // Balance: "OFF" stays English.
        {S(31, 0, 200), 99, false, "R_1%", 99},
        {S(31, 0, 200), 100, false, "OFF", 100},
        {S(31, 0, 200), 100, true, "OFF", 100},
        {S(31, 0, 200), 101, false, "L_1%", 101},
        {S(31, 0, 200), 201, false, "", 201},
        {S(32, 0, 420, 0.1, 30), 300, false, "2.200Vpp", 300},
        {S(32, 0, 420, 0.1, 30), -5, false, "0.070Vpp", 0},
        {S(32, 0, 420, 0.1, 30), 420, true, "关闭", 420},
        {S(33, 0, 100), 150, false, "100", 100},
        {S(33, 0, 100), 55, false, "55", 55},
        {S(34, 20, 200), 20, false, "0°", 20},
        {S(34, 20, 200), 200, false, "360°", 200},
        {S(34, 20, 200), 10, false, "0°", 20},
        {S(38, 0, 100, 1, 100, "%"), 20, false, "80%", 20},
        {S(38, 0, 100, 1, 100), 20, false, "80dBu%", 20},
        // Ratio.
        {S(40, 1, 191), 1, false, "1:1", 1},
        {S(40, 1, 191), 0, false, "0.9:1", 0},
        {S(40, 1, 191), 2, false, "1.1:1", 2},
        {S(40, 1, 191), 10, false, "1.9:1", 10},
        {S(40, 1, 191), 11, false, "2.0:1", 11},
        {S(40, 1, 191), 16, false, "2.5:1", 16},
        {S(40, 1, 191), 191, false, "20.0:1", 191},
        // Types without a format keep whatever text the field has.
        {S(35, 0, 10), 3, false, std::nullopt, 3},
        {S(36, 0, 10), 3, false, std::nullopt, 3},
        {S(37, 0, 10), 3, false, std::nullopt, 3},
        {S(39, 0, 10), 3, false, std::nullopt, 3},
        {S(41, 0, 10), 3, false, std::nullopt, 3},
        {S(-1, 0, 10), 3, false, std::nullopt, 3},
    };
    for (const FormatCase& c : cases) {
        int v = c.value;
        EXPECT_EQ(numfield::Format(c.state, v, c.chinese), c.text) << Describe(c);
        EXPECT_EQ(v, c.valueAfter) << Describe(c);
    }
}

TEST(NumFormat, ExtremeValuesFormatWithoutOverflow) {
    // Values no page gives, but nothing may overflow or read out of bounds.
    for (int type = -1; type <= numfield::kTypeCount; ++type) {
        for (int v : {std::numeric_limits<int>::min(), -1, std::numeric_limits<int>::max()}) {
            State s = S(type, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                        1e300, -1e300, "u");
            int value = v;
            (void)numfield::Format(s, value, false);
        }
    }
}

TEST(NumFormat, RoundDigitsRoundsHalfUpAfterDroppingFurtherDigits) {
    struct Case {
        double x;
        int digits;
        double expected;
    } cases[] = {
        {1.0 / 48, 3, 0.021},   {5.0 / 48, 3, 0.104}, {0.10449, 3, 0.104}, {0.10451, 3, 0.105},
        {518.99999999, 0, 519}, {518.44, 0, 518},     {2.5, -1, 3},        {-5.0 / 48, 3, -0.104},
        {-0.1049, 3, -0.104}, // negative numbers are cut toward zero
    };
    for (const Case& c : cases)
        EXPECT_NEAR(numfield::RoundDigits(c.x, c.digits), c.expected, 1e-12)
            << c.x << " " << c.digits;
}

TEST(NumFormat, LanguageSwapTouchesOnlyTheOffText) {
    struct Case {
        const char* text;
        bool chinese;
        const char* expected;
    } cases[] = {
        {"OFF", true, "关闭"},  {"关闭", false, "OFF"},     {"OFF", false, "OFF"},
        {"关闭", true, "关闭"}, {"-3.0dB", true, "-3.0dB"}, {"OFFSET", true, "OFFSET"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numfield::SwapOffText(c.text, c.chinese), c.expected) << c.text;
}
