// The numeric field's value logic, free of any widget: the text of a device
// value for each of the 41 value types, and the reading of typed text back
// into a value. Texts are UTF-8; numbers are formatted and read in the C
// locale whatever the process locale is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace numfield {

// The value types the pages use, by name; the others are known by number.
enum Type : int {
    kDelayMs = 0,      // 1/48 ms steps shown in milliseconds
    kDelayCm = 1,      // the same delay as a distance in centimetres
    kDelayInch = 2,    // ... and in inches
    kCentred = 3,      // centred on half the maximum
    kInteger = 4,      // plain integer (equaliser band frequencies)
    kShortTime = 5,    // 0.3 .. 0.9 ms, then whole ms (limiter attack)
    kIntegerUnit = 6,  // integer followed by the unit suffix
    kFraction = 7,     // scaled fraction
    kFrequency = 8,    // "%dHz"
    kFrequencyTop = 9, // "%dHz", the maximum shown as 20000Hz
    kLevel = 10,       // value x scale - offset, one decimal
    kQ = 11,           // Q of a bandwidth code
    kTemperature = 12, // temperature code, shown in C and F
    kPercent = 13,
    kHundredths = 14,
    kIntegerTop = 15,
    kFineTime = 16,
    kDistanceCm021 = 17,   // distance in cm of 0.021 ms steps
    kDistanceFeet021 = 18, // distance in feet of 0.021 ms steps
    kDelayMsLong = 19,     // shown as type 0, reads up to 60 ms
    kScaledInteger = 20,
    kTenths = 21,
    kDoubledTop = 22,
    kThreshold = 23, // level with "OFF" at the minimum
    kLevelDbu = 24,
    kGain = 25, // whole dB with "OFF" at the minimum
    kLevelWhole = 26,
    kScaledDb = 27,
    kLowBandFreq = 28,
    kHighBandFreq = 29,
    kLevelOffTop = 30, // dBu with "OFF" at the maximum
    kBalance = 31,
    kVoltage = 32,
    kLimited = 33, // integer kept inside the range (mix levels)
    kPhase = 34,   // degrees, two per step from the minimum
    kPercentBelow = 38,
    kRatio = 40, // compressor ratio
};
constexpr int kTypeCount = 41;

// What decides a field's text besides its value.
struct State {
    int type = kDelayMs;
    int minimum = 0;
    int maximum = 0;
    double scale = 0.0;
    double offset = 0.0;
    int temperature = 75; // degrees Celsius + 50
    std::string unit;     // unit suffix given with the type
};

// "OFF" and its Chinese form.
const char* OffText(bool chinese);

// The text of `value` for the field's type. Some types first bring the value
// into the range and so may change `value`. No text (nullopt) for the types
// that keep whatever text the field has (35, 36, 37, 39 and unknown types).
std::optional<std::string> Format(const State& state, int& value, bool chinese);

// Rounds half up at the digits-th decimal after dropping the digits beyond
// the next one (negative numbers are cut toward zero): 5/48 -> 0.104.
double RoundDigits(double x, int digits);

// The reading of typed text, as on focus loss (Commit) or when a page asks
// for the value (Quiet). The quiet reading leaves the value alone where the
// commit would have had to limit it.
enum class Reading { Commit, Quiet };

struct ReadResult {
    bool readable = false;    // the type has this reading at all
    std::optional<int> value; // the new value; nullopt keeps the current one
};

// Reads `text` (UTF-8) for the field's type. A value read is always inside
// [minimum, maximum].
ReadResult ReadText(const State& state, std::string_view text, Reading reading);

// What the field does with its text when it loses the focus.
struct CommitResult {
    bool store = false; // take `value` as the field's value
    int value = 0;
    bool format = false; // show the value's text again
    bool notify = false; // tell the page that the value changed
};

// `modified`: the user typed since the page last read the value.
CommitResult Commit(const State& state, int current, std::string_view text, bool modified);

// After a language switch: "OFF" and its Chinese form follow the language;
// any other text is kept.
std::string SwapOffText(const std::string& text, bool chinese);

// Leading decimal number of a text as the C library's atof would read it,
// but decimal only (no hex, inf or nan) and locale-independent; 0 when the
// text has none.
double LeadingNumber(std::string_view text);
// Leading integer as atoi would read it, saturated to the int range.
int LeadingInteger(std::string_view text);

} // namespace numfield
