#include "controls/core/Timing.h"

#include <chrono>

namespace ctltime {

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace ctltime
