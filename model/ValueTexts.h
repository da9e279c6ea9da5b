// Texts of channel values for the parameter report, shared by the channel
// classes so that every channel words a value the same way.
#pragma once

#include <string>

// printf into a std::string.
std::string StrPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "Pol+" / "Pol-" (Chinese with g_LanguageFlag).
std::string PolarityText(int polarity);
// "On" / "OFF".
std::string OnOffText(int on);
// Delay code in milliseconds: tenths up to 99, whole steps above.
std::string DelayText(int code);
// Threshold code as code x 0.1 - 30.
std::string ThresholdText(int code);
// Noise gate code as code - 120 dBu, "OFF" for 0.
std::string NoiseGateText(int code);
// Input gain code as code - 80 dB.
std::string InputGainText(int code);
