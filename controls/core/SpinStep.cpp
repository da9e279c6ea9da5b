#include "controls/core/SpinStep.h"

#include "controls/core/NumValue.h"
#include "model/ValueScale.h"

namespace numspin {

namespace {

int Clamp(long long v, int lo, int hi) {
    if (v > hi) v = hi; // the maximum first, as the range check has always done
    if (v < lo) v = lo;
    return static_cast<int>(v);
}

bool IsFrequencyType(int t) {
    return t == numfield::kInteger || t == numfield::kFrequency || t == numfield::kFrequencyTop;
}

// A key or strip step of a delay shown as a distance: on from the start
// until the field's own text changes, or the range ends.
int StepShownDistance(const StepRequest& r) {
    numfield::State field;
    field.type = r.fieldType;
    field.minimum = r.minimum;
    field.maximum = r.maximum;
    field.temperature = r.temperature;
    int start = r.start;
    const auto before = numfield::Format(field, start, false);
    int v = r.start;
    for (int guard = 0; guard <= kDelayMaxSteps + 1; ++guard) {
        const int next = Clamp(r.fieldType == numfield::kDelayCm ? StepDelayCentimetres(v, r.delta)
                                                                 : StepDelayInches(v, r.delta),
                               r.minimum, r.maximum);
        if (next == v) break;
        v = next;
        int shown = v;
        if (numfield::Format(field, shown, false) != before) break;
    }
    return v;
}

} // namespace

int RatioStep(int start, int delta) {
    if (delta >= 1) return start <= 10 ? start + 1 : start + 5;
    if (delta <= -1) return start >= 1 && start <= 10 ? start - 1 : start - 5;
    return start;
}

int SnapToFreqTable(int stepped, int start, int minimum, int maximum) {
    if (stepped == start) return stepped;
    const int i = FreqToTableIndex(stepped);
    long long f;
    if (stepped > start)
        f = static_cast<long long>(
            g_FreqTable[i < kFreqTableSize - 1 ? i + 1 : kFreqTableSize - 1]);
    else
        f = static_cast<long long>(g_FreqTable[i > 1 ? i - 1 : 1]);
    return Clamp(f, minimum, maximum);
}

StepResult Step(const StepRequest& r) {
    long long next;
    if (!r.strip && r.valueType == numfield::kRatio)
        next = RatioStep(r.start, r.delta);
    else
        next = static_cast<long long>(r.start) + r.delta;
    int v = Clamp(next, r.minimum, r.maximum);
    if (!r.strip && IsFrequencyType(r.valueType))
        v = SnapToFreqTable(v, r.start, r.minimum, r.maximum);

    StepResult out;
    if (!r.held) {
        out.notify = true;
        if (r.valueType == kDelayValueType) {
            // Keys and the strip move a delay shown as a distance by whole units.
            if (r.fieldType == numfield::kDelayCm || r.fieldType == numfield::kDelayInch)
                v = StepShownDistance(r);
            out.postDelayStep = true;
        }
    }
    out.value = v;
    out.changed = v != r.start;
    return out;
}

} // namespace numspin
