// A numeric field's state in one line, for tables of cases.
#pragma once

#include "controls/core/NumValue.h"

#include <string>
#include <utility>

inline numfield::State S(int type, int lo, int hi, double scale = 0, double offset = 0,
                         std::string unit = {}) {
    numfield::State s;
    s.type = type;
    s.minimum = lo;
    s.maximum = hi;
    s.scale = scale;
    s.offset = offset;
    s.unit = std::move(unit);
    return s;
}
