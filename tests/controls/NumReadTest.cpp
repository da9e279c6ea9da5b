// Reading typed text back into a value: the examples the field must keep,
// every shown value reading back to its own code, and hostile text.
#include "controls/core/NumValue.h"
#include "tests/controls/NumStates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <string>

using numfield::CommitResult;
using numfield::Reading;
using numfield::State;

namespace {

std::string Text(const State& s, int v, bool chinese = false) {
    return numfield::Format(s, v, chinese).value_or("<none>");
}

} // namespace

TEST(NumRead, LeadingNumberReadsLikeAtofInTheCLocale) {
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {" 12.5dB", 12.5},
        {"-0.3ms", -0.3},
        {"+4", 4},
        {".5", 0.5},
        {"5.", 5},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"1e3", 1000},
        {"1e", 1},
        {"1e+", 1},
        {"2E-2x", 0.02},
        {"nan", 0},
        {"inf", 0},
        {"0x1A", 0},
        {"1,5", 1},
        {"\t\n7", 7},
        {"1e-400", 0},
        {"000000000000000000000001.25", 1.25},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(numfield::LeadingNumber(c.text), c.expected) << c.text;
    EXPECT_EQ(numfield::LeadingNumber("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(numfield::LeadingNumber("-99999e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(numfield::LeadingNumber(std::string(400, '9')),
              std::numeric_limits<double>::infinity());
}

TEST(NumRead, LeadingIntegerReadsLikeAtoiAndSaturates) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"42Hz", 42},
        {" -7", -7},
        {"+3", 3},
        {"3.9", 3},
        {"x", 0},
        {"99999999999", std::numeric_limits<int>::max()},
        {"-99999999999", std::numeric_limits<int>::min()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numfield::LeadingInteger(c.text), c.expected) << c.text;
}

struct CommitCase {
    const char* what;
    State state;
    int current;
    const char* text;
    bool modified;
    CommitResult expected;
};

TEST(NumRead, CommitOnFocusLoss) {
    const CommitCase cases[] = {
        // The examples of the field's behaviour.
        {"ms 0.104", S(0, 0, 720), 0, "0.104", true, {true, 5, true, true}},
        {"ms above 15", S(0, 0, 720), 0, "16", true, {true, 720, true, true}},
        {"ms negative", S(0, 0, 720), 9, "-1", true, {true, 0, true, true}},
        {"cm at 15 ms", S(1, 0, 720), 0, "519", true, {true, 720, true, true}},
        {"cm beyond 15 ms", S(1, 0, 720), 0, "1000", true, {true, 720, true, true}},
        {"inch at 15 ms", S(2, 0, 720), 0, "205", true, {true, 720, true, true}},
        {"short time 0.5", S(5, 0, 206), 0, "0.5", true, {true, 2, true, true}},
        {"short time 250", S(5, 0, 206), 0, "250", true, {true, 206, true, true}},
        {"short time 0.95 keeps", S(5, 0, 206), 9, "0.95", true, {false, 9, true, true}},
        {"threshold OFF", S(23, -60, 0, 1, 0), -3, "OFF", true, {true, -60, true, true}},
        {"threshold 关闭", S(23, -60, 0, 1, 0), -3, "关闭", true, {true, -60, true, true}},
        {"gain OFF", S(25, 0, 66, 1, 60), 60, "OFF", true, {true, 0, true, true}},
        {"ratio has no reading", S(40, 1, 191), 16, "3", true, {false, 16, true, false}},
        {"phase", S(34, 20, 200), 20, "90°", true, {true, 65, true, true}},
        {"phase beyond 360", S(34, 20, 200), 20, "720", true, {true, 200, true, true}},
        // Shown values that a truncating reading stored one code low.
        {"level -59.7", S(23, 0, 600, 0.1, 60), 0, "-59.7dB", true, {true, 3, true, true}},
        {"limiter 0.6 ms", S(5, 0, 206), 0, "0.6ms", true, {true, 3, true, true}},
        {"limiter 0.9 ms", S(5, 0, 206), 0, "0.9ms", true, {true, 6, true, true}},
        {"Q shown with two decimals", S(11, 0, 295), 50, "28.85", true, {true, 0, true, true}},
        {"hundredths 0.29", S(14, 0, 100), 0, "0.29", true, {true, 29, true, true}},
        // An unedited field: frequencies store what they show, the rest wait.
        {"unedited level", S(23, 0, 600, 0.1, 60), 3, "-50.0dB", false, {false, 3, false, false}},
        {"unedited delay", S(0, 0, 720), 3, "1.000", false, {false, 3, false, false}},
        {"unedited frequency", S(8, 20, 20000), 1000, "1000Hz", false, {true, 1000, false, false}},
        {"frequency limited", S(8, 20, 20000), 1000, "25000", true, {true, 20000, true, true}},
        {"frequency OFF", S(8, 20, 20000), 1000, "OFF", true, {false, 1000, true, true}},
        // No number reads as 0, then limited.
        {"no number", S(6, 50, 5000, 0, 0, "ms"), 100, "abc", true, {true, 50, true, true}},
        {"mix level", S(33, 0, 100), 10, "250", true, {true, 100, true, true}},
        {"temperature has no reading", S(12, 0, 200), 75, "30", true, {false, 75, true, false}},
        {"voltage OFF", S(32, 0, 420, 0.1, 30), 0, "OFF", true, {true, 420, true, true}},
        // "OFF" reads back to the code that shows it in any range.
        {"noise gate OFF", S(23, 0, 100, 1, 120), 50, "OFF", true, {true, 0, true, true}},
        {"level OFF at the top", S(30, 0, 360, 0.1, 30), 5, "关闭", true, {true, 360, true, true}},
        {"voltage zero", S(32, 0, 420, 0.1, 30), 300, "0", true, {true, 0, true, true}},
        {"voltage negative", S(32, 0, 420, 0.1, 30), 300, "-2", true, {true, 0, true, true}},
    };
    for (const CommitCase& c : cases) {
        const CommitResult r = numfield::Commit(c.state, c.current, c.text, c.modified);
        EXPECT_EQ(r.store, c.expected.store) << c.what;
        EXPECT_EQ(r.value, c.expected.value) << c.what;
        EXPECT_EQ(r.format, c.expected.format) << c.what;
        EXPECT_EQ(r.notify, c.expected.notify) << c.what;
    }
}

TEST(NumRead, QuietReadingLeavesValuesOutsideItsWindowAlone) {
    struct Case {
        const char* what;
        State state;
        const char* text;
        bool readable;
        std::optional<int> value;
    } cases[] = {
        {"ms above 15", S(0, 0, 720), "16", true, std::nullopt},
        {"ms at 15", S(0, 0, 720), "15", true, 720},
        {"ms 0.104", S(0, 0, 720), "0.104", true, 5},
        {"cm beyond", S(1, 0, 720), "600", true, std::nullopt},
        {"short time beyond", S(5, 0, 206), "250", true, std::nullopt},
        {"frequency beyond", S(4, 0, 20000), "30000", true, std::nullopt},
        {"frequency", S(4, 0, 20000), "1234", true, 1234},
        {"Q beyond", S(11, 0, 295), "40", true, std::nullopt},
        {"level limited", S(10, 80, 320, 0.1, 20), "30", true, 320},
        {"phase", S(34, 20, 200), "1000", true, 200},
        {"voltage has none", S(32, 0, 420, 0.1, 30), "1", false, std::nullopt},
        {"ratio has none", S(40, 1, 191), "1", false, std::nullopt},
    };
    for (const auto& c : cases) {
        const numfield::ReadResult r = numfield::ReadText(c.state, c.text, Reading::Quiet);
        EXPECT_EQ(r.readable, c.readable) << c.what;
        EXPECT_EQ(r.value, c.value) << c.what;
    }
}

// Every code of a field, shown and read back, gives a code that shows the
// same text; where no two codes share a text that is the code itself.
struct RoundTripCase {
    State state;
    bool chinese;
    bool oneTextPerCode; // false where the shown unit is coarser than a code
};

TEST(NumRead, EveryShownValueReadsBackToItsOwnCode) {
    const RoundTripCase cases[] = {
        {S(0, 0, 720), false, true},
        {S(0, 0, 720, 0, 0, "x"), true, true},
        {S(19, 0, 720), false, true},
        {S(1, 0, 720, 0, 0, "x"), false, false},
        {S(1, 0, 720, 0, 0, "x"), true, false},
        {S(2, 0, 720, 0, 0, "x"), false, false},
        {S(3, 0, 240, 0.1), false, true},
        {S(3, 0, 240, 0.5), false, true},
        {S(3, 0, 241, 0.1), false, true},
        {S(4, 0, 20000), false, true},
        {S(5, 0, 206), false, true},
        {S(6, 50, 5000, 0, 0, "ms"), false, true},
        {S(7, 0, 295, 0.01), false, true},
        {S(8, 20, 20000), false, true},
        {S(9, 20, 19000), false, true},
        {S(10, 80, 320, 0.1, 20), false, true},
        {S(11, 0, 295), false, true},
        {S(13, 0, 100, 1), false, true},
        {S(13, 0, 50, 2), false, true},
        {S(13, 0, 200, 0.5), false, false},
        {S(14, -500, 500), false, true},
        {S(15, 0, 100), false, true},
        {S(16, 0, 12000), false, true},
        {S(17, 0, 5000), false, true},
        {S(18, 0, 5000), false, true},
        {S(20, 0, 100, 1, 0, "s"), false, true},
        {S(21, -500, 500), false, true},
        {S(22, 0, 100), false, true},
        {S(23, 0, 600, 0.1, 60), false, true},
        {S(23, 0, 600, 0.1, 60), true, true},
        {S(23, 0, 100, 1, 120), false, true},
        {S(23, -60, 0, 1, 0), false, true},
        {S(23, 0, 100, 1, 120, "dBu"), false, true},
        {S(24, 0, 420, 0.1, 30), false, true},
        {S(25, 0, 66, 1, 60), true, true},
        {S(25, 0, 60, 1, 60), false, true},
        {S(26, 0, 66, 1, 60), false, true},
        {S(27, 0, 40, 1), false, true},
        {S(28, 20, 1000), false, true},
        {S(29, 5000, 20000), false, true},
        {S(30, 0, 420, 0.1, 30), true, true},
        {S(32, 150, 420, 0.1, 30), false, true},
        {S(32, 150, 420, 0.1, 30), true, true},
        {S(33, 0, 100), false, true},
        {S(34, 20, 200), false, true},
        {S(38, 0, 100, 1, 100, "%"), false, true},
        {S(38, 0, 100, 1, 100), false, true},
    };
    for (const RoundTripCase& c : cases) {
        const std::string what = "type " + std::to_string(c.state.type) + " range " +
                                 std::to_string(c.state.minimum) + ".." +
                                 std::to_string(c.state.maximum);
        std::set<std::string> texts;
        int failures = 0;
        for (int code = c.state.minimum; code <= c.state.maximum && failures < 5; ++code) {
            const std::string shown = Text(c.state, code, c.chinese);
            texts.insert(shown);
            const CommitResult r = numfield::Commit(c.state, c.state.minimum, shown, true);
            ASSERT_TRUE(r.store) << what << " code " << code << " text " << shown;
            const std::string again = Text(c.state, r.value, c.chinese);
            if (again != shown || (c.oneTextPerCode && r.value != code)) {
                ++failures;
                ADD_FAILURE() << what << ": code " << code << " shows \"" << shown
                              << "\", reads back as " << r.value << " showing \"" << again << "\"";
            }
            // The quiet reading (a page asking for the value) agrees.
            const numfield::ReadResult q = numfield::ReadText(c.state, shown, Reading::Quiet);
            if (q.readable && q.value != r.value) {
                ++failures;
                ADD_FAILURE() << what << ": code " << code << " quietly reads as "
                              << q.value.value_or(-99999);
            }
        }
        const size_t codes = static_cast<size_t>(c.state.maximum - c.state.minimum + 1);
        EXPECT_EQ(texts.size() == codes, c.oneTextPerCode) << what;
    }
}

TEST(NumRead, HostileTextStaysInsideTheRange) {
    const char* texts[] = {"",
                           "nan",
                           "-nan",
                           "inf",
                           "-inf",
                           "1e999",
                           "-1e999",
                           "0x7fffffff",
                           "99999999999999999999",
                           "-99999999999999999999",
                           "OFF",
                           "关闭",
                           "\xff\xfe",
                           "1e-999",
                           "--5",
                           ".",
                           "360°",
                           "+-3",
                           "   ",
                           "1.7976931348623157e308"};
    for (int type = -1; type <= numfield::kTypeCount; ++type) {
        for (const State& base : {S(type, 0, 720, 0.1, 60), S(type, 20, 200, 1, 20),
                                  S(type, 5, 5, 0, 0), S(type, -100, 100, -0.5, 3)}) {
            for (const char* t : texts) {
                const CommitResult r = numfield::Commit(base, base.minimum, t, true);
                if (r.store) {
                    EXPECT_GE(r.value, base.minimum) << "type " << type << " text " << t;
                    EXPECT_LE(r.value, base.maximum) << "type " << type << " text " << t;
                }
                const numfield::ReadResult q = numfield::ReadText(base, t, Reading::Quiet);
                if (q.value) {
                    EXPECT_GE(*q.value, base.minimum) << "type " << type << " text " << t;
                    EXPECT_LE(*q.value, base.maximum) << "type " << type << " text " << t;
                }
            }
        }
    }
}
