// Magnitude response of the equaliser's filters as the device realises them:
// biquad sections designed and evaluated at a sampling rate of 96 kHz, read
// at the 241 frequencies of g_FreqTable. A channel's response is the sum of
// its filters' curves in dB.
//
// Settings reach these functions straight from the device or from start-up
// images (0 Hz crossovers, stray codes, words of any value), so every input
// gives a finite curve: NaN settings, crossovers at 0 Hz or below (a record
// never set) and codes outside the known kinds, slopes, shelf slopes and
// families draw flat, other values are drawn at the
// nearest value the device's codes can express (frequencies 20 Hz..20 kHz,
// gains -20..+20 dB, bandwidths 0.05..3.00 octaves). Nothing here changes
// the stored settings.
#pragma once

#include "model/ValueScale.h"

#include <cstddef>

// Filter kinds as the band record carries them.
namespace FilterKind {
enum : int { Peaking = 0, LowShelf = 1, HighShelf = 2, Special = 3, HighPass = 31, LowPass = 32 };
}

// Crossover families.
namespace CrossoverFamily {
enum : int { LinkwitzRiley = 0, Bessel = 1, Butterworth = 2 };
}

// Crossover slope 0..7 is 6..48 dB/Oct; this one switches the crossover off.
constexpr int kCrossoverSlopeOff = 8;

// One second-order section, normalised so that a0 is 1.
struct Biquad {
    double b0, b1, b2, a1, a2;
};

// Up to four sections in cascade; no sections is a flat (0 dB) response.
struct SectionCascade {
    int count = 0;
    Biquad section[4] = {};
};

// The settings of one filter that shape its curve.
struct FilterCurveSettings {
    int kind = FilterKind::Peaking;
    // The drawing frequency: the frequency field, or 20000 for the special
    // band of the last item, as the filter reports it.
    double freq = 1000.0;
    double gainDb = 0.0;
    double bandwidthOctaves = 0.57;
    // Crossover slope 0..8, or shelf slope 0 (6 dB/Oct) / 1 (12 dB/Oct).
    int slope = 2;
    int family = CrossoverFamily::LinkwitzRiley;
    // The crossover offers only "12dB/Oct" (slope 1) and "24dB/Oct" (slope 2).
    bool reducedSlopes = false;
    bool eqBypass = false;
    bool off = true;
};

// Designs. Each returns the sections the device runs for these settings.
// Peaking band: the centre moves to the nearest g_FreqTable entry.
SectionCascade DesignPeaking(double freq, double gainDb, double bandwidthOctaves);
// Low (kind 1) or high (kind 2) shelf; a gain of exactly 0 dB is flat.
SectionCascade DesignShelf(int kind, int shelfSlope, double freq, double gainDb);
// High-pass (kind 31) or low-pass (kind 32). Flat at slope 8, for a high-pass
// at 20 Hz and a low-pass at 20 kHz, and at 0 Hz or below (never set).
SectionCascade DesignCrossover(int kind, int family, int slope, bool reducedSlopes, double freq);

// Which design (0..7, order design + 1) a crossover slope draws, or -1 for
// none: Bessel filters use other designs for slopes 4..7, and with reduced
// slopes "12dB/Oct" and "24dB/Oct" draw the second and fourth order.
int CrossoverDesignIndex(int kind, int family, int slope, bool reducedSlopes);

// Response of a cascade in dB at any frequency in hertz.
double CascadeGainDb(const SectionCascade& cascade, double freqHz);
// Response of a cascade at the 241 frequencies of g_FreqTable.
void CascadeCurve(const SectionCascade& cascade, double out[kFreqTableSize]);

// Curves of the single designs (the designs above, then CascadeCurve).
void ComputePeakingCurve(double freq, double gainDb, double bandwidthOctaves,
                         double out[kFreqTableSize]);
void ComputeShelfCurve(int kind, int shelfSlope, double freq, double gainDb,
                       double out[kFreqTableSize]);
void ComputeCrossoverCurve(int kind, int family, int slope, bool reducedSlopes, double freq,
                           double out[kFreqTableSize]);

// The sections of one filter: bands (kinds 0 and 3) and shelves are flat
// while off or EQ-bypassed; crossovers follow DesignCrossover. Returns false
// and leaves out untouched for a kind that has no curve.
bool DesignFilter(const FilterCurveSettings& settings, SectionCascade& out);

// The curve of one filter (DesignFilter, then CascadeCurve). Returns false and
// leaves out untouched for a kind that has no curve: such a filter keeps the
// curve it had.
bool ComputeFilterCurve(const FilterCurveSettings& settings, double out[kFreqTableSize]);

// Ends the "dirty upper half" state of the wide vector registers that code
// using 256-bit instructions (the drawing library's fills, for one) may leave
// behind: until it ends, every scalar floating-point instruction of the
// curve arithmetic waits on the registers' upper halves, which made the
// curves an order of magnitude slower. Nothing on a processor without them.
void ClearWideVectorState();

// out := 0 dB everywhere.
void FlatCurve(double out[kFreqTableSize]);

// out := the sum in dB of count curves of kFreqTableSize values each.
void SumCurves(const double* const curves[], std::size_t count, double out[kFreqTableSize]);
