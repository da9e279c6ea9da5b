// Shared scales: the frequency and bandwidth tables every page and graph
// steps through, graph axis mapping, and delay stepping in distance units.
#pragma once

constexpr int kFreqTableSize = 241;
constexpr int kQTableSize = 296;

// 241 frequencies a twenty-fourth of an octave apart, 19.7 Hz to 20 kHz.
extern const double g_FreqTable[kFreqTableSize];
// Q of each bandwidth code 0..295 (0.05 to 3.00 octaves).
extern const double g_QTable[kQTableSize];

constexpr double g_DelayStepMs = 1.0 / 48.0;
constexpr int kDelayMaxSteps = 720; // stands for exactly 20 ms
constexpr int kDistanceTemperature = 75;

int FreqToTableIndex(double freq);
int QToBandwidthCode(double q);
double BandwidthCodeToQ(int code); // clamps to 0..295

// Graph spans 20 Hz..20 kHz over width w and +12..-12 dB over height h.
int FreqToGraphX(double freq, int w);
double FreqToGraphXExact(double freq, int w);
int GraphXToFreq(int x, int w);
int GainToGraphY(double gain, int h);
double GainToGraphYExact(double gain, int h);
double GraphYToGain(int y, int h);

// One click of a delay spin in centimetres or inches: the nearest step whose
// shown distance differs by at least one unit. Results stay in 0..720.
int StepDelayCentimetres(int steps, int direction);
int StepDelayInches(int steps, int direction);

// Shown distance of a delay step count.
double DelayStepsToMs(int steps);
double DelayStepsToCentimetres(int steps);
double DelayStepsToInches(int steps);

// Converts a double to int, saturating at the int range; NaN gives 0.
int SaturatingToInt(double v);

// Base-10 logarithm (the bandwidth drag and the numeric fields).
double LogBase10(double v);
