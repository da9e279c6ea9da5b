// Not a fuzzer of the program: its first input overflows a signed integer,
// so that a fuzz run over it must stop with a report (see ../expect-failure).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < sizeof(int)) return 0;
    int v;
    std::memcpy(&v, data, sizeof v);
    volatile int sum = v + INT_MAX; // overflows for every v > 0
    (void)sum;
    return 0;
}
