#include "model/ValueTexts.h"

#include "model/Globals.h"

#include <cstdarg>
#include <cstdio>

std::string StrPrintf(const char* format, ...) {
    char buf[128];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&out[0], out.size(), format, args);
    va_end(args);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string PolarityText(int polarity) {
    static const BiText normal{"正相", "Pol+"};
    static const BiText inverted{"反相", "Pol-"};
    return polarity ? inverted.Pick() : normal.Pick();
}

std::string OnOffText(int on) {
    return on ? "On" : "OFF";
}

std::string DelayText(int code) {
    return StrPrintf("%0.1fms", code <= 99 ? code * 0.1 : static_cast<double>(code) - 100 + 10);
}

std::string ThresholdText(int code) {
    return StrPrintf("%0.1f", code * 0.1 - 30);
}

std::string NoiseGateText(int code) {
    if (code == 0) return "OFF";
    return StrPrintf("%0.1fdBu", static_cast<double>(code) - 120);
}

std::string InputGainText(int code) {
    return StrPrintf("%llddB", static_cast<long long>(code) - 80);
}
