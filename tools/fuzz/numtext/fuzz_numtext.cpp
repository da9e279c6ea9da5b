// Typed text of a numeric field: whatever the user types or pastes, the
// reading must keep the value inside the range, and the value's text must
// form without fault.
#include "controls/core/NumValue.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    numfield::State s;
    s.type = data[0] % (numfield::kTypeCount + 2) - 1;
    int16_t a, b, scale;
    std::memcpy(&a, data + 1, 2);
    std::memcpy(&b, data + 3, 2);
    std::memcpy(&scale, data + 5, 2);
    s.minimum = a < b ? a : b;
    s.maximum = a < b ? b : a;
    s.scale = scale / 100.0;
    s.offset = static_cast<int8_t>(data[7]);
    s.temperature = 25 + data[8] % 100;
    s.unit = (data[9] & 1) ? "dBu" : "";
    const bool chinese = data[9] & 2;
    const bool modified = data[9] & 4;
    const int current = s.minimum + (s.maximum - s.minimum) / 2;
    const std::string_view text(reinterpret_cast<const char*>(data + 12), size - 12);

    const numfield::CommitResult c = numfield::Commit(s, current, text, modified);
    if (c.store && (c.value < s.minimum || c.value > s.maximum)) std::abort();
    const numfield::ReadResult q = numfield::ReadText(s, text, numfield::Reading::Quiet);
    if (q.value && (*q.value < s.minimum || *q.value > s.maximum)) std::abort();
    int v = c.value;
    (void)numfield::Format(s, v, chinese);
    return 0;
}
