// The numeric spin's step rules, free of any widget: plain unit steps, the
// compressor-ratio steps, frequency steps through g_FreqTable, and delay steps
// in whole centimetres or inches.
#pragma once

namespace numspin {

// The spin's value type that makes it a delay spin.
constexpr int kDelayValueType = 2;

struct StepRequest {
    int valueType = 0; // the spin's own copy of the field's type: picks the rule
    int fieldType = 0; // the field's current type: the delay's shown unit
    int start = 0;     // the value the field shows
    int delta = 0;     // the arrow's delta, +1 up and -1 down
    int minimum = 0;
    int maximum = 0;
    int temperature = 75; // the field's temperature code, for distances
    bool held = false;    // the mouse holds the spin's arrow
    bool strip = false;   // a step of the field's embedded spin strip
};

struct StepResult {
    int value = 0;
    bool changed = false;       // differs from the start value
    bool notify = false;        // tell the page now (WM_COMMAND)
    bool postDelayStep = false; // then post WM_USER+1100 (id, delta)
};

StepResult Step(const StepRequest& r);

// Compressor ratio (type 40): tenths up to 2.0:1, half steps above.
int RatioStep(int start, int delta);

// After a plain step from `start` to `stepped`: the next table frequency in
// the step's direction, kept inside [minimum, maximum].
int SnapToFreqTable(int stepped, int start, int minimum, int maximum);

} // namespace numspin
