// The numeric spin's step rules.
#include "controls/core/NumValue.h"
#include "controls/core/SpinStep.h"
#include "model/ValueScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using numspin::StepRequest;
using numspin::StepResult;

namespace {

StepRequest Req(int valueType, int start, int delta, int lo, int hi, int fieldType = 0) {
    StepRequest r;
    r.valueType = valueType;
    r.fieldType = fieldType;
    r.start = start;
    r.delta = delta;
    r.minimum = lo;
    r.maximum = hi;
    return r;
}

std::string Shown(int type, int v) {
    numfield::State s;
    s.type = type;
    s.minimum = 0;
    s.maximum = 720;
    return numfield::Format(s, v, false).value();
}

} // namespace

TEST(SpinStep, PlainRatioAndTableSteps) {
    struct Case {
        const char* what;
        StepRequest request;
        int expected;
    } cases[] = {
        {"plain up", Req(0, 500, 1, 0, 1000), 501},
        {"plain down", Req(0, 500, -1, 0, 1000), 499},
        {"plain at the top", Req(0, 1000, 1, 0, 1000), 1000},
        {"plain at the bottom", Req(0, 0, -1, 0, 1000), 0},
        {"band frequency steps by units", Req(0, 1000, 1, 20, 20000), 1001},
        {"ratio 10 up", Req(40, 10, 1, 1, 191), 11},
        {"ratio 11 up", Req(40, 11, 1, 1, 191), 16},
        {"ratio 16 down", Req(40, 16, -1, 1, 191), 11},
        {"ratio 11 down", Req(40, 11, -1, 1, 191), 6},
        {"ratio 1 down", Req(40, 1, -1, 1, 191), 1},
        {"ratio 190 up", Req(40, 190, 1, 1, 191), 191},
        {"ratio no delta", Req(40, 16, 0, 1, 191), 16},
        {"crossover 1000 up", Req(8, 1000, 1, 20, 20000), 1030},
        {"crossover 1000 down", Req(8, 1000, -1, 20, 20000), 972},
        {"crossover 20 down", Req(8, 20, -1, 20, 20000), 20},
        {"crossover 20000 up", Req(8, 20000, 1, 20, 20000), 20000},
        {"crossover 20000 down", Req(8, 20000, -1, 20, 20000), 19585},
        {"crossover 20 up", Req(8, 20, 1, 20, 20000), 21},
        {"type 4 through the table", Req(4, 1000, 1, 20, 20000), 1030},
        {"type 9 through the table", Req(9, 1000, -1, 20, 20000), 972},
        {"table step kept inside a narrow range", Req(8, 1000, 1, 20, 1010), 1010},
    };
    for (const auto& c : cases) {
        const StepResult r = numspin::Step(c.request);
        EXPECT_EQ(r.value, c.expected) << c.what;
        EXPECT_EQ(r.changed, r.value != c.request.start) << c.what;
        EXPECT_TRUE(r.notify) << c.what;
        EXPECT_FALSE(r.postDelayStep) << c.what;
    }
}

TEST(SpinStep, FrequencyStepsWalkTheWholeTableBothWays) {
    // Up from 20 Hz to 20 kHz and back: every step moves and lands on a table
    // entry (as whole hertz).
    for (int direction : {1, -1}) {
        int v = direction > 0 ? 20 : 20000;
        int steps = 0;
        for (;;) {
            const StepResult r = numspin::Step(Req(8, v, direction, 20, 20000));
            if (r.value == v) break;
            ASSERT_TRUE(direction > 0 ? r.value > v : r.value < v);
            const int i = FreqToTableIndex(r.value);
            EXPECT_TRUE(
                static_cast<int>(g_FreqTable[i]) == r.value ||
                (i + 1 < kFreqTableSize && static_cast<int>(g_FreqTable[i + 1]) == r.value) ||
                (i > 0 && static_cast<int>(g_FreqTable[i - 1]) == r.value))
                << r.value;
            v = r.value;
            ASSERT_LT(++steps, 300);
        }
        EXPECT_EQ(v, direction > 0 ? 20000 : 20);
        EXPECT_GT(steps, 200);
    }
}

TEST(SpinStep, DelayKeyStepsMoveTheShownDistanceByWholeUnits) {
    for (int fieldType : {numfield::kDelayCm, numfield::kDelayInch}) {
        for (int direction : {1, -1}) {
            for (int start = 0; start <= 720; ++start) {
                StepRequest q = Req(numspin::kDelayValueType, start, direction, 0, 720, fieldType);
                const StepResult r = numspin::Step(q);
                ASSERT_TRUE(r.notify);
                ASSERT_TRUE(r.postDelayStep);
                const bool atEnd = direction > 0 ? start == 720 : start == 0;
                if (atEnd) {
                    EXPECT_EQ(r.value, start);
                    continue;
                }
                EXPECT_TRUE(direction > 0 ? r.value > start : r.value < start)
                    << "type " << fieldType << " from " << start;
                const double before = std::stod(Shown(fieldType, start));
                const double after = std::stod(Shown(fieldType, r.value));
                if (r.value == 0 || r.value == 720) continue; // the range ended the walk
                EXPECT_GE(std::fabs(after - before), 1.0)
                    << "type " << fieldType << " from " << start << " to " << r.value;
            }
        }
    }
}

TEST(SpinStep, DelayStepsLandOnTheNextShownValueFromEveryCodeInEveryUnit) {
    // The values the field shows, code by code; a step from any code goes to
    // the next of them in its direction: none skipped, none repeated.
    for (int fieldType : {numfield::kDelayMs, numfield::kDelayCm, numfield::kDelayInch}) {
        std::vector<std::string> shown;
        for (int v = 0; v <= 720; ++v)
            shown.push_back(Shown(fieldType, v));
        for (int direction : {1, -1}) {
            for (int start = 0; start <= 720; ++start) {
                std::string next = shown[start];
                for (int k = start + direction; k >= 0 && k <= 720; k += direction) {
                    if (shown[k] != shown[start]) {
                        next = shown[k];
                        break;
                    }
                }
                StepRequest q = Req(numspin::kDelayValueType, start, direction, 0, 720, fieldType);
                const StepResult r = numspin::Step(q);
                ASSERT_EQ(shown[r.value], next) << "type " << fieldType << " from " << start << " ("
                                                << shown[start] << ") by " << direction;
                // One shown unit at a time: the distances count whole units, the time 1/48 ms.
                if (fieldType == numfield::kDelayMs || next == shown[start]) continue;
                ASSERT_EQ(std::fabs(std::stod(next) - std::stod(shown[start])), 1.0) << start;
            }
        }
    }
    // 87 cm down is 86 cm (the stepper once rounded 86.5 to even and skipped it).
    const StepResult r =
        numspin::Step(Req(numspin::kDelayValueType, 121, -1, 0, 720, numfield::kDelayCm));
    EXPECT_EQ(Shown(numfield::kDelayCm, 121), "87");
    EXPECT_EQ(Shown(numfield::kDelayCm, r.value), "86");
}

TEST(SpinStep, DelayStepsInMillisecondsAndHeldStepsMoveOneCode) {
    struct Case {
        const char* what;
        int fieldType;
        bool held;
        int start, delta, expected;
        bool post;
    } cases[] = {
        {"ms key", numfield::kDelayMs, false, 100, 1, 101, true},
        {"ms key down", numfield::kDelayMs, false, 100, -1, 99, true},
        {"cm held click", numfield::kDelayCm, true, 100, 1, 101, false},
        {"inch held click", numfield::kDelayInch, true, 100, -1, 99, false},
        {"cm key at the top", numfield::kDelayCm, false, 720, 1, 720, true},
        {"inch key at the bottom", numfield::kDelayInch, false, 0, -1, 0, true},
    };
    for (const auto& c : cases) {
        StepRequest q = Req(numspin::kDelayValueType, c.start, c.delta, 0, 720, c.fieldType);
        q.held = c.held;
        const StepResult r = numspin::Step(q);
        EXPECT_EQ(r.value, c.expected) << c.what;
        EXPECT_EQ(r.postDelayStep, c.post) << c.what;
        EXPECT_EQ(r.notify, !c.held) << c.what;
    }
}

TEST(SpinStep, StripStepsArePlainAndHeldStepsWaitForTheTimer) {
    StepRequest ratio = Req(40, 11, 1, 1, 191);
    ratio.strip = true;
    EXPECT_EQ(numspin::Step(ratio).value, 12);
    StepRequest freq = Req(8, 1000, 1, 20, 20000);
    freq.strip = true;
    EXPECT_EQ(numspin::Step(freq).value, 1001);
    StepRequest held = Req(8, 1000, 1, 20, 20000);
    held.held = true;
    const StepResult r = numspin::Step(held);
    EXPECT_EQ(r.value, 1030); // the table move happens while held too
    EXPECT_FALSE(r.notify);
}
