#include "model/FilterResponse.h"

#include <algorithm>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// The device's constants at 96 kHz: 2 pi, and 2 pi / 96000 radians per hertz.
constexpr double kTwoPi = 6.2831852;
constexpr double kSampleRate = 96000.0;
constexpr double kRadPerHz = 6.544985e-05;

// The range the device's codes express; settings outside it are drawn at the
// nearest end, so no design meets a pole on the unit circle or a negative root.
constexpr double kMinFreq = 20.0;
constexpr double kMaxFreq = 20000.0;
constexpr double kMaxGainDb = 20.0;
constexpr double kMinBandwidth = 0.05;
constexpr double kMaxBandwidth = 3.0;

// Normalises a section by a0; an a0 of exactly 0 counts as 1e-10.
Biquad Section(double b0, double b1, double b2, double a0, double a1, double a2) {
    if (a0 == 0.0) a0 = 1e-10;
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

void Append(SectionCascade& cascade, const Biquad& section) {
    cascade.section[cascade.count++] = section;
}

// |H|^2 of the cascade at the angle whose cosine and sine are given.
double PowerRatio(const SectionCascade& cascade, double c, double s) {
    double ratio = 1.0;
    for (int i = 0; i < cascade.count; ++i) {
        const Biquad& q = cascade.section[i];
        const double nr = q.b0 * c + q.b1 + q.b2 * c;
        const double ni = q.b0 * s - q.b2 * s;
        const double dr = c + q.a1 + q.a2 * c;
        const double di = s - q.a2 * s;
        ratio *= (nr * nr + ni * ni) / (dr * dr + di * di);
    }
    return ratio;
}

// 10 log10(ratio), through the faster base-2 logarithm.
double RatioToDb(double ratio) {
    return 3.0102999566398120 * std::log2(ratio);
}

struct EvaluationAngles {
    double c[kFreqTableSize];
    double s[kFreqTableSize];
};

const EvaluationAngles& TableAngles() {
    static const EvaluationAngles angles = [] {
        EvaluationAngles a{};
        for (int j = 0; j < kFreqTableSize; ++j) {
            const double w = kTwoPi * g_FreqTable[j] / kSampleRate;
            a.c[j] = std::cos(w);
            a.s[j] = std::sin(w);
        }
        return a;
    }();
    return angles;
}

// Shelf corner factor and shelf slope S, by kind (low, high) and shelf slope.
struct ShelfShape {
    double m, s;
};
constexpr ShelfShape kShelfShapes[2][2] = {
    {{2.0, 0.5}, {1.2727272727, 1.3}},           // low shelf 6, 12 dB/Oct
    {{0.4545454546, 0.5}, {0.76923076923, 1.3}}, // high shelf 6, 12 dB/Oct
};

// Section parameters d = 1 / (2Q) by design; 0 is a unity section. In the odd
// designs 0, 2, 4 and 6 the first section is first-order.
constexpr double kLinkwitzRiley[8][4] = {
    {1},
    {1},
    {1, 0.704225},
    {0.704225, 0.704225},
    {1, 0.62, 0.62},
    {1, 0.5, 0.5},
    {1, 0.453134, 0.925926, 0.453134},
    {0.925926, 0.373134, 0.925926, 0.373134},
};
constexpr double kButterworth[8][4] = {
    {0.704225}, // high-pass; the 6 dB/Oct low-pass uses 1
    {0.704225},
    {1, 0.5},
    {0.925926, 0.381679},
    {1, 0.806462, 0.308642},
    {0.961538, 0.704225, 0.259067},
    {1, 0.909091, 0.625, 0.222222},
    {0.980392, 0.833333, 0.555556, 0.1953125},
};
constexpr double kButterworthLowPass0 = 1.0;

// Bessel high-pass: section parameters, and the divisor of the corner.
struct BesselHighPass {
    double d[4];
    double divisor;
};
constexpr BesselHighPass kBesselHighPass[8] = {
    {{0.704225}, 1.2683112435},
    {{0.704225}, 1.2683112435},
    {{0.756, 0.724638}, 1.2854981442},
    {{0.961538, 0.617284}, 1.5006420029},
    {{0.6656, 0.892857, 0.543478}, 1.3854981442},
    {{0.980392, 0.819672, 0.490196}, 1.5554981442},
    {{0.5937, 0.943396, 0.757576, 0.442478}, 1.5554981442},
    {{0.980392, 0.892857, 0.704225, 0.406504}, 1.679120141},
};

// Bessel low-pass designs 1..7: analogue sections 1 / (q s^2 + p s + 1) and
// the divisor of the corner (1 where the design has none). Design 0 is the
// first-order low-pass with d0 = 1.
struct AnalogSection {
    double p, q;
};
struct BesselLowPass {
    AnalogSection sections[4];
    double divisor;
};
constexpr BesselLowPass kBesselLowPass[8] = {
    {{}, 1.0},
    {{{1, 0.333333}}, 1.3616541287},
    {{{0.569371, 0.154812}, {0.430629, 0}}, 1.75567236868},
    {{{0.369, 0.0878588}, {0.627829, 0.109408}}, 2.1139176749},
    {{{0.6656, 0}, {1.1402, 0.4128}, {0.6216, 0.3245}}, 1.0},
    {{{1.2217, 0.3887}, {0.9686, 0.3505}, {0.5131, 0.2756}}, 1.0},
    {{{0.5937, 0}, {1.0944, 0.3395}, {0.8304, 0.3011}, {0.4332, 0.2381}}, 1.0},
    {{{0.117236, 0.0206475}, {0.226517, 0.0259274}, {0.306756, 0.0294683}, {0.349492, 0.0312723}},
     3.17961723751},
};

SectionCascade DesignBesselLowPass(int design, double f0) {
    SectionCascade cascade;
    const BesselLowPass& b = kBesselLowPass[design];
    const double k = std::tan(kRadPerHz * (f0 / b.divisor) / 2.0);
    const double k2 = k * k;
    for (const AnalogSection& a : b.sections) {
        if (a.p == 0.0) continue;
        Append(cascade, Section(k2, 2.0 * k2, k2, a.p * k + k2 + a.q, 2.0 * k2 - 2.0 * a.q,
                                k2 - a.p * k + a.q));
    }
    return cascade;
}

} // namespace

SectionCascade DesignPeaking(double freq, double gainDb, double bandwidthOctaves) {
    SectionCascade cascade;
    if (std::isnan(freq) || std::isnan(gainDb) || std::isnan(bandwidthOctaves)) return cascade;
    const double f0 = g_FreqTable[FreqToTableIndex(freq)];
    const double gain = std::clamp(gainDb, -kMaxGainDb, kMaxGainDb);
    const double bw = std::clamp(bandwidthOctaves, kMinBandwidth, kMaxBandwidth);

    const double w0 = kRadPerHz * f0;
    const double a = std::pow(10.0, gain / 40.0);
    const double sn = std::sin(w0);
    const double alpha = sn * std::sinh(0.34657359 * bw * w0 / sn);
    const double cs = std::cos(w0);
    Append(cascade, Section(1.0 + alpha * a, -2.0 * cs, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * cs,
                            1.0 - alpha / a));
    return cascade;
}

SectionCascade DesignShelf(int kind, int shelfSlope, double freq, double gainDb) {
    SectionCascade cascade;
    if (kind != FilterKind::LowShelf && kind != FilterKind::HighShelf) return cascade;
    if (shelfSlope != 0 && shelfSlope != 1) return cascade;
    if (std::isnan(freq) || std::isnan(gainDb) || gainDb == 0.0) return cascade;
    const bool low = kind == FilterKind::LowShelf;
    const ShelfShape& shape = kShelfShapes[low ? 0 : 1][shelfSlope];
    const double gain = std::clamp(gainDb, -kMaxGainDb, kMaxGainDb);

    const double w0 = kRadPerHz * std::clamp(freq, kMinFreq, kMaxFreq) * shape.m;
    const double a = std::pow(10.0, gain / 40.0);
    const double alpha =
        std::sin(w0) / 2.0 * std::sqrt((a + 1.0 / a) * (1.0 / shape.s - 1.0) + 2.0);
    const double beta = 2.0 * std::sqrt(a) * alpha;
    const double c = std::cos(w0);
    if (low) {
        Append(cascade, Section(a * ((a + 1) - (a - 1) * c + beta), 2 * a * ((a - 1) - (a + 1) * c),
                                a * ((a + 1) - (a - 1) * c - beta), (a + 1) + (a - 1) * c + beta,
                                -2 * ((a - 1) + (a + 1) * c), (a + 1) + (a - 1) * c - beta));
    } else {
        Append(cascade,
               Section(a * ((a + 1) + (a - 1) * c + beta), -2 * a * ((a - 1) + (a + 1) * c),
                       a * ((a + 1) + (a - 1) * c - beta), (a + 1) - (a - 1) * c + beta,
                       2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - beta));
    }
    return cascade;
}

int CrossoverDesignIndex(int kind, int family, int slope, bool reducedSlopes) {
    if (kind != FilterKind::HighPass && kind != FilterKind::LowPass) return -1;
    if (family < CrossoverFamily::LinkwitzRiley || family > CrossoverFamily::Butterworth) return -1;
    if (slope < 0 || slope >= kCrossoverSlopeOff) return -1;
    int design = slope;
    // The reduced set labels slope 2 "24dB/Oct": draw the fourth order.
    if (reducedSlopes && slope == 2) design = 3;
    if (family == CrossoverFamily::Bessel && design >= 4) {
        static constexpr int kHighPass[4] = {6, 7, 4, 5};
        static constexpr int kLowPass[4] = {7, 6, 4, 5};
        design = (kind == FilterKind::HighPass ? kHighPass : kLowPass)[design - 4];
    }
    return design;
}

SectionCascade DesignCrossover(int kind, int family, int slope, bool reducedSlopes, double freq) {
    SectionCascade cascade;
    const int design = CrossoverDesignIndex(kind, family, slope, reducedSlopes);
    if (design < 0 || std::isnan(freq)) return cascade;
    // 0 Hz is what a crossover record that was never set carries (the music
    // inputs' records in the start-up image, and so on a device the program
    // wrote them to): no filter there, not one at 20 Hz.
    if (freq <= 0.0) return cascade;
    const bool highPass = kind == FilterKind::HighPass;
    double f0 = std::clamp(freq, kMinFreq, kMaxFreq);
    // A high-pass at 20 Hz and a low-pass at 20 kHz are off.
    if (f0 == (highPass ? kMinFreq : kMaxFreq)) return cascade;

    double d[4] = {};
    switch (family) {
    case CrossoverFamily::LinkwitzRiley:
        std::copy(kLinkwitzRiley[design], kLinkwitzRiley[design] + 4, d);
        break;
    case CrossoverFamily::Butterworth:
        std::copy(kButterworth[design], kButterworth[design] + 4, d);
        if (design == 0 && !highPass) d[0] = kButterworthLowPass0;
        break;
    default: // Bessel
        if (!highPass) {
            if (design > 0) return DesignBesselLowPass(design, f0);
            d[0] = 1.0;
            break;
        }
        std::copy(kBesselHighPass[design].d, kBesselHighPass[design].d + 4, d);
        f0 /= kBesselHighPass[design].divisor;
        break;
    }

    const double w0 = kRadPerHz * f0;
    const double sn = std::sin(w0);
    const double cs = std::cos(w0);
    const double t = std::tan(w0 / 2.0);
    const bool oddOrder = design % 2 == 0;
    for (int i = 0; i < 4; ++i) {
        if (d[i] == 0.0) continue;
        if (i == 0 && oddOrder) {
            if (highPass)
                Append(cascade, Section(1.0, -1.0, 0.0, d[0] * t + 1.0, d[0] * t - 1.0, 0.0));
            else
                Append(cascade, Section(t, t, 0.0, t + d[0], t - d[0], 0.0));
            continue;
        }
        const double alpha = d[i] * sn;
        if (highPass) {
            const double b0 = (1.0 + cs) / 2.0;
            Append(cascade, Section(b0, -(1.0 + cs), b0, 1.0 + alpha, -2.0 * cs, 1.0 - alpha));
        } else {
            const double b0 = (1.0 - cs) / 2.0;
            Append(cascade, Section(b0, 1.0 - cs, b0, 1.0 + alpha, -2.0 * cs, 1.0 - alpha));
        }
    }
    return cascade;
}

double CascadeGainDb(const SectionCascade& cascade, double freqHz) {
    const double w = kTwoPi * freqHz / kSampleRate;
    return RatioToDb(PowerRatio(cascade, std::cos(w), std::sin(w)));
}

void CascadeCurve(const SectionCascade& cascade, double out[kFreqTableSize]) {
    if (cascade.count == 0) {
        FlatCurve(out);
        return;
    }
    // PowerRatio's arithmetic for every point, section by section: the same
    // operations in the same order, but in loops the compiler can widen.
    const EvaluationAngles& angles = TableAngles();
    double ratio[kFreqTableSize];
    std::fill(ratio, ratio + kFreqTableSize, 1.0);
    for (int i = 0; i < cascade.count; ++i) {
        const Biquad q = cascade.section[i];
        for (int j = 0; j < kFreqTableSize; ++j) {
            const double c = angles.c[j];
            const double s = angles.s[j];
            const double nr = q.b0 * c + q.b1 + q.b2 * c;
            const double ni = q.b0 * s - q.b2 * s;
            const double dr = c + q.a1 + q.a2 * c;
            const double di = s - q.a2 * s;
            ratio[j] *= (nr * nr + ni * ni) / (dr * dr + di * di);
        }
    }
    for (int j = 0; j < kFreqTableSize; ++j)
        out[j] = RatioToDb(ratio[j]);
}

void ComputePeakingCurve(double freq, double gainDb, double bandwidthOctaves,
                         double out[kFreqTableSize]) {
    CascadeCurve(DesignPeaking(freq, gainDb, bandwidthOctaves), out);
}

void ComputeShelfCurve(int kind, int shelfSlope, double freq, double gainDb,
                       double out[kFreqTableSize]) {
    CascadeCurve(DesignShelf(kind, shelfSlope, freq, gainDb), out);
}

void ComputeCrossoverCurve(int kind, int family, int slope, bool reducedSlopes, double freq,
                           double out[kFreqTableSize]) {
    CascadeCurve(DesignCrossover(kind, family, slope, reducedSlopes, freq), out);
}

bool DesignFilter(const FilterCurveSettings& s, SectionCascade& out) {
    switch (s.kind) {
    case FilterKind::Peaking:
    case FilterKind::Special:
        out = s.eqBypass || s.off ? SectionCascade{}
                                  : DesignPeaking(s.freq, s.gainDb, s.bandwidthOctaves);
        return true;
    case FilterKind::LowShelf:
    case FilterKind::HighShelf:
        out =
            s.eqBypass || s.off ? SectionCascade{} : DesignShelf(s.kind, s.slope, s.freq, s.gainDb);
        return true;
    case FilterKind::HighPass:
    case FilterKind::LowPass:
        out = DesignCrossover(s.kind, s.family, s.slope, s.reducedSlopes, s.freq);
        return true;
    default:
        return false;
    }
}

bool ComputeFilterCurve(const FilterCurveSettings& settings, double out[kFreqTableSize]) {
    SectionCascade cascade;
    if (!DesignFilter(settings, cascade)) return false;
    CascadeCurve(cascade, out);
    return true;
}

#if defined(__x86_64__) || defined(__i386__)
namespace {
__attribute__((target("avx"))) void ZeroUpperHalves() {
    _mm256_zeroupper();
}
} // namespace

void ClearWideVectorState() {
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) ZeroUpperHalves();
}
#else
void ClearWideVectorState() {}
#endif

void FlatCurve(double out[kFreqTableSize]) {
    std::fill(out, out + kFreqTableSize, 0.0);
}

void SumCurves(const double* const curves[], std::size_t count, double out[kFreqTableSize]) {
    // Summed apart from out, which may be one of the curves.
    double sum[kFreqTableSize] = {};
    for (std::size_t i = 0; i < count; ++i)
        for (int j = 0; j < kFreqTableSize; ++j)
            sum[j] += curves[i][j];
    std::copy(sum, sum + kFreqTableSize, out);
}
