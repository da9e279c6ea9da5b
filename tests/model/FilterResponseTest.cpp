#include "model/FilterResponse.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using Curve = std::array<double, kFreqTableSize>;

constexpr int k500Hz = 112;
constexpr int k1000Hz = 136;
constexpr int k2000Hz = 160;
constexpr int k4000Hz = 184;
constexpr double kPi = 3.14159265358979323846;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

FilterCurveSettings Band(double freq, double gainDb, double bandwidth = 1.0) {
    FilterCurveSettings s;
    s.kind = FilterKind::Peaking;
    s.freq = freq;
    s.gainDb = gainDb;
    s.bandwidthOctaves = bandwidth;
    s.off = gainDb == 0.0;
    return s;
}

FilterCurveSettings Shelf(int kind, int slope, double freq, double gainDb) {
    FilterCurveSettings s = Band(freq, gainDb);
    s.kind = kind;
    s.slope = slope;
    return s;
}

FilterCurveSettings Crossover(int kind, int family, int slope, double freq, bool reduced = false) {
    FilterCurveSettings s;
    s.kind = kind;
    s.family = family;
    s.slope = slope;
    s.freq = freq;
    s.reducedSlopes = reduced;
    return s;
}

Curve CurveOf(const FilterCurveSettings& s) {
    Curve c;
    c.fill(kNaN);
    EXPECT_TRUE(ComputeFilterCurve(s, c.data()));
    return c;
}

SectionCascade CascadeOf(const FilterCurveSettings& s) {
    SectionCascade k;
    EXPECT_TRUE(DesignFilter(s, k));
    return k;
}

std::string Describe(const FilterCurveSettings& s) {
    return "kind " + std::to_string(s.kind) + " family " + std::to_string(s.family) + " slope " +
           std::to_string(s.slope) + " reduced " + std::to_string(s.reducedSlopes) + " freq " +
           std::to_string(s.freq) + " gain " + std::to_string(s.gainDb) + " bw " +
           std::to_string(s.bandwidthOctaves) + " bypass " + std::to_string(s.eqBypass) + " off " +
           std::to_string(s.off);
}

// The frequency where a low-pass designed at f0 mirrors a high-pass designed
// at f0 evaluated at f: the bilinear transform maps f to tan(pi f / fs).
double MirrorFreq(double f0, double f) {
    const double t0 = std::tan(kPi * f0 / 96000.0);
    return 96000.0 / kPi * std::atan(t0 * t0 / std::tan(kPi * f / 96000.0));
}

} // namespace

TEST(FilterResponse, ReferencePointsOnTheCurve) {
    struct Case {
        const char* what;
        FilterCurveSettings settings;
        int index;
        double db;
        double tolerance;
    } cases[] = {
        {"Linkwitz-Riley 24 dB high-pass at its corner",
         Crossover(FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 3, 1000), k1000Hz, -5.95,
         0.01},
        {"Linkwitz-Riley 24 dB high-pass an octave below",
         Crossover(FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 3, 1000), k500Hz, -24.584,
         0.01},
        {"Linkwitz-Riley 24 dB low-pass at its corner",
         Crossover(FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 3, 1000), k1000Hz, -5.95,
         0.01},
        {"+6 dB band at its centre", Band(1000, 6), k1000Hz, 6.0, 0.001},
        {"-6 dB band at its centre", Band(1000, -6), k1000Hz, -6.0, 0.001},
        {"+12 dB narrow band at its centre", Band(1000, 12, 0.05), k1000Hz, 12.0, 0.001},
        {"a band at 1005 Hz is centred on the 1000 Hz entry", Band(1005, 6), k1000Hz, 6.0, 0.001},
        {"+6 dB band far away", Band(1000, 6), 0, 0.0, 0.01},
        {"low shelf reaches its gain", Shelf(FilterKind::LowShelf, 0, 500, 6), 0, 6.0, 0.01},
        {"low shelf leaves the top alone", Shelf(FilterKind::LowShelf, 0, 500, 6), 240, 0.0, 0.02},
        {"12 dB low shelf reaches its gain", Shelf(FilterKind::LowShelf, 1, 500, -6), 0, -6.0,
         0.01},
        {"high shelf reaches its gain", Shelf(FilterKind::HighShelf, 0, 1100, 6), 240, 6.0, 0.01},
        {"high shelf leaves the bottom alone", Shelf(FilterKind::HighShelf, 0, 1100, 6), 0, 0.0,
         0.02},
        {"12 dB high shelf reaches its gain", Shelf(FilterKind::HighShelf, 1, 2000, -6), 240, -6.0,
         0.01},
        // Shelves pass half their gain at the design corner, f0 times the shelf factor.
        {"low shelf 6 dB/Oct halfway at 2 f0", Shelf(FilterKind::LowShelf, 0, 500, 6), k1000Hz, 3.0,
         0.001},
        {"high shelf 6 dB/Oct halfway at 5/11 f0", Shelf(FilterKind::HighShelf, 0, 1100, 6), k500Hz,
         3.0, 0.001},
        {"high shelf 12 dB/Oct halfway at 10/13 f0", Shelf(FilterKind::HighShelf, 1, 1300, -8),
         k1000Hz, -4.0, 0.001},
    };
    for (const Case& c : cases) {
        const Curve curve = CurveOf(c.settings);
        EXPECT_NEAR(curve[c.index], c.db, c.tolerance) << c.what;
        // Any frequency can be read from the sections; the table ones agree.
        EXPECT_NEAR(CascadeGainDb(CascadeOf(c.settings), g_FreqTable[c.index]), curve[c.index],
                    1e-9)
            << c.what;
    }
}

// The curve is the sections read at each table frequency to the last bit,
// for every design: the graph's pictures rest on these exact values.
TEST(FilterResponse, TheCurveIsTheCascadeReadAtEveryTableFrequency) {
    std::vector<FilterCurveSettings> all;
    for (int kind : {FilterKind::HighPass, FilterKind::LowPass})
        for (int family : {0, 1, 2})
            for (int slope = 0; slope < kCrossoverSlopeOff; ++slope)
                for (bool reduced : {false, true})
                    all.push_back(Crossover(kind, family, slope, 40 + 997 * slope, reduced));
    for (double gain : {-12.0, 3.5, 20.0}) {
        all.push_back(Band(63 + 70 * gain, gain, 0.05 + 0.1 * (gain + 12)));
        for (int kind : {FilterKind::LowShelf, FilterKind::HighShelf})
            for (int slope : {0, 1})
                all.push_back(Shelf(kind, slope, 1000, gain));
    }
    for (const FilterCurveSettings& s : all) {
        const Curve curve = CurveOf(s);
        const SectionCascade cascade = CascadeOf(s);
        for (int j = 0; j < kFreqTableSize; ++j)
            ASSERT_EQ(curve[j], CascadeGainDb(cascade, g_FreqTable[j]))
                << Describe(s) << " at " << j;
    }
}

TEST(FilterResponse, ReferencePointsBetweenTableFrequencies) {
    struct Case {
        const char* what;
        FilterCurveSettings settings;
        double hz;
        double db;
        double tolerance;
    } cases[] = {
        // A second-order section of d = 0.704225 has Q = 0.71 (-2.975 dB at the corner).
        {"Butterworth 12 dB high-pass at its corner",
         Crossover(FilterKind::HighPass, CrossoverFamily::Butterworth, 1, 100), 100, -2.975, 0.01},
        {"Butterworth 12 dB low-pass at its corner",
         Crossover(FilterKind::LowPass, CrossoverFamily::Butterworth, 1, 100), 100, -2.975, 0.01},
        // A peaking band passes half its gain at its bandwidth edges.
        {"+6 dB octave band at its lower edge", Band(1000, 6, 1.0), 1000 / std::sqrt(2.0), 3.0,
         0.01},
        {"+6 dB octave band at its upper edge", Band(1000, 6, 1.0), 1000 * std::sqrt(2.0), 3.0,
         0.01},
        {"-10 dB two-octave band at its upper edge", Band(1000, -10, 2.0), 2000, -5.0, 0.02},
        {"low shelf 12 dB/Oct halfway at 14/11 f0", Shelf(FilterKind::LowShelf, 1, 1100, 6), 1400,
         3.0, 0.001},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CascadeGainDb(CascadeOf(c.settings), c.hz), c.db, c.tolerance) << c.what;
}

// Expected values from the analogue prototypes of each design, mapped with the
// bilinear transform: at a 1000 Hz corner and one octave into the stop band.
TEST(FilterResponse, CrossoverDesignsMatchTheirPrototypes) {
    struct Case {
        int kind, family, slope;
        double atCorner, octaveOut;
    } cases[] = {
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 0, -3.010, -6.992},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 1, -6.021, -13.983},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 2, -5.985, -19.284},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 3, -5.950, -24.584},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 4, -6.747, -30.609},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 5, -6.021, -36.272},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 6, -6.653, -42.357},
        {FilterKind::HighPass, CrossoverFamily::LinkwitzRiley, 7, -5.620, -48.152},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 0, -1.167, -3.490},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 1, -1.387, -8.541},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 2, -2.833, -12.288},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 3, -2.840, -13.756},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 4, -2.542, -18.612},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 5, -3.026, -19.449},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 6, -2.935, -17.382},
        {FilterKind::HighPass, CrossoverFamily::Bessel, 7, -3.191, -18.235},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 0, -1.749, -4.749},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 1, -2.975, -12.292},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 2, -3.010, -18.136},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 3, -3.007, -24.115},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 4, -2.972, -30.103},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 5, -2.944, -36.098},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 6, -3.098, -42.215},
        {FilterKind::HighPass, CrossoverFamily::Butterworth, 7, -3.036, -48.193},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 0, -3.010, -6.997},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 1, -6.021, -13.994},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 2, -5.985, -19.303},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 3, -5.950, -24.611},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 4, -6.747, -30.643},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 5, -6.021, -36.313},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 6, -6.653, -42.405},
        {FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 7, -5.620, -48.207},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 0, -3.010, -6.997},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 1, -3.011, -9.832},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 2, -3.012, -12.026},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 3, -2.962, -13.450},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 4, -3.012, -13.721},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 5, -3.010, -14.013},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 6, -3.011, -14.094},
        {FilterKind::LowPass, CrossoverFamily::Bessel, 7, -3.011, -14.207},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 0, -3.010, -6.997},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 1, -2.975, -12.305},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 2, -3.010, -18.157},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 3, -3.007, -24.143},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 4, -2.972, -30.138},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 5, -2.944, -36.140},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 6, -3.098, -42.263},
        {FilterKind::LowPass, CrossoverFamily::Butterworth, 7, -3.036, -48.248},
    };
    for (const Case& c : cases) {
        const FilterCurveSettings s = Crossover(c.kind, c.family, c.slope, 1000);
        const Curve curve = CurveOf(s);
        EXPECT_NEAR(curve[k1000Hz], c.atCorner, 0.01) << Describe(s);
        const int out = c.kind == FilterKind::HighPass ? k500Hz : k2000Hz;
        EXPECT_NEAR(curve[out], c.octaveOut, 0.01) << Describe(s);
    }
}

// Far from the corner every order adds 6.02 dB per octave. Bessel filters of
// slopes 4..7 run other designs, and the reduced set draws its labels.
TEST(FilterResponse, SlopeFarFromTheCornerFollowsTheOrder) {
    struct Case {
        int family;
        bool reduced;
        int slope;
        int highPassOrder, lowPassOrder;
    } cases[] = {
        {CrossoverFamily::LinkwitzRiley, false, 0, 1, 1},
        {CrossoverFamily::LinkwitzRiley, false, 1, 2, 2},
        {CrossoverFamily::LinkwitzRiley, false, 2, 3, 3},
        {CrossoverFamily::LinkwitzRiley, false, 3, 4, 4},
        {CrossoverFamily::LinkwitzRiley, false, 4, 5, 5},
        {CrossoverFamily::LinkwitzRiley, false, 5, 6, 6},
        {CrossoverFamily::LinkwitzRiley, false, 6, 7, 7},
        {CrossoverFamily::LinkwitzRiley, false, 7, 8, 8},
        {CrossoverFamily::Butterworth, false, 0, 1, 1},
        {CrossoverFamily::Butterworth, false, 1, 2, 2},
        {CrossoverFamily::Butterworth, false, 2, 3, 3},
        {CrossoverFamily::Butterworth, false, 3, 4, 4},
        {CrossoverFamily::Butterworth, false, 4, 5, 5},
        {CrossoverFamily::Butterworth, false, 5, 6, 6},
        {CrossoverFamily::Butterworth, false, 6, 7, 7},
        {CrossoverFamily::Butterworth, false, 7, 8, 8},
        {CrossoverFamily::Bessel, false, 0, 1, 1},
        {CrossoverFamily::Bessel, false, 1, 2, 2},
        {CrossoverFamily::Bessel, false, 2, 3, 3},
        {CrossoverFamily::Bessel, false, 3, 4, 4},
        {CrossoverFamily::Bessel, false, 4, 7, 8},
        {CrossoverFamily::Bessel, false, 5, 8, 7},
        {CrossoverFamily::Bessel, false, 6, 5, 5},
        {CrossoverFamily::Bessel, false, 7, 6, 6},
        // "12dB/Oct" and "24dB/Oct" of the reduced set.
        {CrossoverFamily::Butterworth, true, 1, 2, 2},
        {CrossoverFamily::Butterworth, true, 2, 4, 4},
        {CrossoverFamily::LinkwitzRiley, true, 2, 4, 4},
        {CrossoverFamily::Bessel, true, 2, 4, 4},
        // Slopes without a reduced-set label draw as usual.
        {CrossoverFamily::Butterworth, true, 0, 1, 1},
        {CrossoverFamily::Butterworth, true, 3, 4, 4},
        {CrossoverFamily::Bessel, true, 4, 7, 8},
    };
    for (const Case& c : cases) {
        const FilterCurveSettings hp =
            Crossover(FilterKind::HighPass, c.family, c.slope, 16000, c.reduced);
        const Curve high = CurveOf(hp);
        // 62.5 Hz to 125 Hz, seven octaves and more below the corner.
        EXPECT_NEAR(high[64] - high[40], 6.0206 * c.highPassOrder, 0.05 * c.highPassOrder)
            << Describe(hp);

        const FilterCurveSettings lp =
            Crossover(FilterKind::LowPass, c.family, c.slope, 50, c.reduced);
        const Curve low = CurveOf(lp);
        // 2 kHz to 4 kHz, five octaves and more above the corner.
        EXPECT_NEAR(low[k2000Hz] - low[k4000Hz], 6.0206 * c.lowPassOrder, 0.05 * c.lowPassOrder)
            << Describe(lp);
    }
}

// Where high-pass and low-pass share their sections, the low-pass is the
// high-pass mirrored about the corner on the transform's frequency scale.
TEST(FilterResponse, LowPassMirrorsHighPass) {
    for (int family : {CrossoverFamily::LinkwitzRiley, CrossoverFamily::Butterworth}) {
        for (int slope = 0; slope < kCrossoverSlopeOff; ++slope) {
            // The 6 dB/Oct Butterworth pair has different sections.
            if (family == CrossoverFamily::Butterworth && slope == 0) continue;
            const FilterCurveSettings hp = Crossover(FilterKind::HighPass, family, slope, 1200);
            const FilterCurveSettings lp = Crossover(FilterKind::LowPass, family, slope, 1200);
            const SectionCascade high = CascadeOf(hp);
            const SectionCascade low = CascadeOf(lp);
            for (double f : {150.0, 400.0, 800.0, 1200.0, 1700.0, 5000.0}) {
                EXPECT_NEAR(CascadeGainDb(high, f), CascadeGainDb(low, MirrorFreq(1200, f)), 1e-3)
                    << Describe(hp) << " at " << f;
            }
        }
    }
}

TEST(FilterResponse, FlatFiltersAreExactlyZero) {
    FilterCurveSettings bypassedBand = Band(1000, 6);
    bypassedBand.eqBypass = true;
    FilterCurveSettings offBand = Band(1000, 6);
    offBand.off = true;
    FilterCurveSettings offSpecial = offBand;
    offSpecial.kind = FilterKind::Special;
    FilterCurveSettings zeroGainBandOn = Band(1000, 0);
    zeroGainBandOn.off = false;
    FilterCurveSettings offShelf = Shelf(FilterKind::LowShelf, 0, 100, 6);
    offShelf.off = true;
    FilterCurveSettings bypassedShelf = Shelf(FilterKind::HighShelf, 1, 5000, -6);
    bypassedShelf.eqBypass = true;
    FilterCurveSettings zeroGainShelfOn = Shelf(FilterKind::HighShelf, 1, 5000, 0);
    zeroGainShelfOn.off = false;

    struct Case {
        const char* what;
        FilterCurveSettings settings;
    } cases[] = {
        {"band with the EQ bypass", bypassedBand},
        {"band switched off", offBand},
        {"special band switched off", offSpecial},
        {"band of 0 dB", zeroGainBandOn},
        {"shelf switched off", offShelf},
        {"shelf with the EQ bypass", bypassedShelf},
        {"shelf of 0 dB", zeroGainShelfOn},
        {"shelf slope 2", Shelf(FilterKind::LowShelf, 2, 100, 6)},
        {"shelf slope -1", Shelf(FilterKind::HighShelf, -1, 5000, 6)},
        {"default filter", FilterCurveSettings{}},
        {"high-pass at 20 Hz", Crossover(FilterKind::HighPass, CrossoverFamily::Bessel, 7, 20)},
        {"low-pass at 20 kHz",
         Crossover(FilterKind::LowPass, CrossoverFamily::LinkwitzRiley, 7, 20000)},
        {"high-pass off", Crossover(FilterKind::HighPass, 0, kCrossoverSlopeOff, 1000)},
        {"low-pass off", Crossover(FilterKind::LowPass, 2, kCrossoverSlopeOff, 1000)},
        {"high-pass at 0 Hz", Crossover(FilterKind::HighPass, 0, 3, 0)},
        // A crossover record never set (the inputs' in the start-up image).
        {"low-pass at 0 Hz", Crossover(FilterKind::LowPass, 0, 0, 0, true)},
        {"Linkwitz-Riley low-pass at 0 Hz", Crossover(FilterKind::LowPass, 0, 7, 0)},
        {"Bessel low-pass at -1 Hz", Crossover(FilterKind::LowPass, 1, 4, -1)},
        {"high-pass below 0 Hz", Crossover(FilterKind::HighPass, 2, 3, -500)},
        {"low-pass above 20 kHz", Crossover(FilterKind::LowPass, 1, 3, 65535)},
        {"family 3", Crossover(FilterKind::HighPass, 3, 3, 1000)},
        {"family 7", Crossover(FilterKind::LowPass, 7, 3, 1000)},
        {"family -1", Crossover(FilterKind::LowPass, -1, 3, 1000)},
        {"slope 9", Crossover(FilterKind::HighPass, 0, 9, 1000)},
        {"slope 99", Crossover(FilterKind::LowPass, 2, 99, 1000)},
        {"slope -1", Crossover(FilterKind::LowPass, 2, -1, 1000)},
        {"reduced slope off", Crossover(FilterKind::LowPass, 2, kCrossoverSlopeOff, 1000, true)},
        {"crossover at NaN Hz", Crossover(FilterKind::LowPass, 0, 3, kNaN)},
        {"band at NaN Hz", Band(kNaN, 6)},
        {"band of NaN dB", Band(1000, kNaN)},
        {"band of NaN octaves", Band(1000, 6, kNaN)},
        {"shelf of NaN dB", Shelf(FilterKind::LowShelf, 1, 100, kNaN)},
    };
    for (const Case& c : cases) {
        const Curve curve = CurveOf(c.settings);
        for (int j = 0; j < kFreqTableSize; ++j)
            ASSERT_EQ(curve[j], 0.0) << c.what << " at point " << j;
    }
}

TEST(FilterResponse, KindsWithoutACurveKeepTheirCurve) {
    for (int kind : {-1, 4, 5, 30, 33, 255}) {
        FilterCurveSettings s = Band(1000, 6);
        s.kind = kind;
        Curve curve;
        curve.fill(1.5);
        EXPECT_FALSE(ComputeFilterCurve(s, curve.data())) << kind;
        for (double v : curve)
            ASSERT_EQ(v, 1.5) << kind;
        SectionCascade cascade;
        cascade.count = 3;
        EXPECT_FALSE(DesignFilter(s, cascade)) << kind;
        EXPECT_EQ(cascade.count, 3) << kind;
    }
}

// Codes beyond what the device expresses draw at the nearest value it does.
TEST(FilterResponse, SettingsOutOfRangeDrawAtTheNearestEnd) {
    struct Case {
        const char* what;
        FilterCurveSettings settings, drawnAs;
    } cases[] = {
        {"band above +20 dB", Band(1000, 3300), Band(1000, 20)},
        {"band below -20 dB", Band(1000, -kInf), Band(1000, -20)},
        {"band of 0 octaves", Band(1000, 6, 0), Band(1000, 6, 0.05)},
        {"band of negative octaves", Band(1000, 6, -327), Band(1000, 6, 0.05)},
        {"band of 300 octaves", Band(1000, 6, 327), Band(1000, 6, 3.0)},
        {"band at 0 Hz", Band(0, 6), Band(19.7, 6)},
        {"band at 65535 Hz", Band(65535, 6), Band(20000, 6)},
        {"shelf above +20 dB", Shelf(FilterKind::LowShelf, 1, 100, 45),
         Shelf(FilterKind::LowShelf, 1, 100, 20)},
        {"shelf below -20 dB", Shelf(FilterKind::HighShelf, 1, 5000, -1e6),
         Shelf(FilterKind::HighShelf, 1, 5000, -20)},
        {"shelf at 0 Hz", Shelf(FilterKind::LowShelf, 0, 0, 6),
         Shelf(FilterKind::LowShelf, 0, 20, 6)},
        {"shelf at 65535 Hz", Shelf(FilterKind::HighShelf, 0, 65535, 6),
         Shelf(FilterKind::HighShelf, 0, 20000, 6)},
        {"low-pass at 1 Hz", Crossover(FilterKind::LowPass, 0, 7, 1),
         Crossover(FilterKind::LowPass, 0, 7, 20)},
        {"high-pass at 65535 Hz", Crossover(FilterKind::HighPass, 1, 5, 65535),
         Crossover(FilterKind::HighPass, 1, 5, 20000)},
    };
    for (const Case& c : cases) {
        const Curve curve = CurveOf(c.settings);
        const Curve expected = CurveOf(c.drawnAs);
        for (int j = 0; j < kFreqTableSize; ++j)
            ASSERT_EQ(curve[j], expected[j]) << c.what << " at point " << j;
    }
}

// Every combination of kind, family and slope, and the values a device or a
// start-up image can hand over, give finite curves.
TEST(FilterResponse, EveryDesignAndHostileInputGivesFiniteValues) {
    const double freqs[] = {kNaN,  -kInf, -1000, 0,     1,     19.7,  20,  20.3, 1000,
                            19999, 20000, 20001, 32767, 48000, 65535, 1e9, kInf};
    const double gains[] = {kNaN, -kInf, -3316.8, -60, -20, -0.1, 0, 1e-300, 6, 20, 3256.7, kInf};
    const double bandwidths[] = {kNaN, -kInf, -327.63, 0, 0.05, 0.57, 3.0, 327.72, kInf};
    const int slopes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 99, 255};
    const int families[] = {-1, 0, 1, 2, 3, 7, 255};

    int curves = 0;
    auto check = [&](const FilterCurveSettings& s) {
        Curve curve;
        curve.fill(0.0);
        ComputeFilterCurve(s, curve.data());
        ++curves;
        for (int j = 0; j < kFreqTableSize; ++j)
            ASSERT_TRUE(std::isfinite(curve[j])) << Describe(s) << " at point " << j;
    };

    for (int kind : {FilterKind::HighPass, FilterKind::LowPass})
        for (int family : families)
            for (int slope : slopes)
                for (bool reduced : {false, true})
                    for (double f : freqs)
                        check(Crossover(kind, family, slope, f, reduced));

    for (int kind :
         {FilterKind::Peaking, FilterKind::LowShelf, FilterKind::HighShelf, FilterKind::Special})
        for (double f : freqs)
            for (double g : gains)
                for (double bw : bandwidths)
                    for (int slope : {-1, 0, 1, 2}) {
                        FilterCurveSettings s = Band(f, g, bw);
                        s.kind = kind;
                        s.slope = slope;
                        s.off = false;
                        check(s);
                        if (kind != FilterKind::Peaking) continue;
                        s.eqBypass = true; // the other flags only flatten
                        check(s);
                    }
    EXPECT_GT(curves, 9000);
}

TEST(FilterResponse, ChannelSumAddsCurvesInDb) {
    const Curve boost = CurveOf(Band(1000, 6, 0.5));
    const Curve cut = CurveOf(Band(1000, -6, 0.5));
    const Curve lowBoost = CurveOf(Shelf(FilterKind::LowShelf, 1, 200, 4.5));
    const Curve lowCut = CurveOf(Shelf(FilterKind::LowShelf, 1, 200, -4.5));
    const Curve highPass = CurveOf(Crossover(FilterKind::HighPass, 0, 3, 80));
    const Curve lowPass = CurveOf(Crossover(FilterKind::LowPass, 1, 2, 8000));

    Curve sum;
    {
        // A cut undoes the boost of the same band exactly; so do shelves.
        const double* curves[] = {boost.data(), cut.data(), lowBoost.data(), lowCut.data()};
        SumCurves(curves, 4, sum.data());
        for (int j = 0; j < kFreqTableSize; ++j)
            EXPECT_NEAR(sum[j], 0.0, 1e-9) << j;
    }
    {
        const double* curves[] = {boost.data(), highPass.data(), lowPass.data()};
        SumCurves(curves, 3, sum.data());
        for (int j = 0; j < kFreqTableSize; ++j)
            EXPECT_DOUBLE_EQ(sum[j], boost[j] + highPass[j] + lowPass[j]) << j;
    }
    {
        // The sum may be written over one of its inputs.
        Curve inPlace = boost;
        const double* curves[] = {inPlace.data(), highPass.data()};
        SumCurves(curves, 2, inPlace.data());
        for (int j = 0; j < kFreqTableSize; ++j)
            EXPECT_DOUBLE_EQ(inPlace[j], boost[j] + highPass[j]) << j;
    }
    {
        // A channel of 31 bands at 0 dB with both crossovers at their limits is flat.
        std::vector<Curve> filters;
        for (int i = 0; i < 31; ++i)
            filters.push_back(CurveOf(Band(g_FreqTable[i * 8], 0, 0.19)));
        filters.push_back(CurveOf(Crossover(FilterKind::HighPass, 0, 2, 20)));
        filters.push_back(CurveOf(Crossover(FilterKind::LowPass, 0, 2, 20000)));
        std::vector<const double*> curves;
        for (const Curve& c : filters)
            curves.push_back(c.data());
        sum.fill(kNaN);
        SumCurves(curves.data(), curves.size(), sum.data());
        for (double v : sum)
            ASSERT_EQ(v, 0.0);
        SumCurves(curves.data(), 0, sum.data());
        for (double v : sum)
            ASSERT_EQ(v, 0.0);
    }
}
