#include "controls/core/NumValue.h"

#include "model/ValueScale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace numfield {

namespace {

constexpr const char* kOffEn = "OFF";
constexpr const char* kOffCn = "关闭";

// Speeds of sound of the distance types at temperature code t.
double Speed331(int t) {
    return 331.0 + 0.6 * (t - 50);
}
double Speed3314(int t) {
    return 331.4 + 0.6 * (t - 50);
}

constexpr double kFeetPerMetre = 3.2808;
constexpr double kInchesPerMetre = 39.3696;
constexpr double kStep021 = 0.021;
constexpr double kStep0104 = 0.0104;
constexpr int kFineTimeKnee = 9616; // the fine-time code shown as 100 ms

std::string Fixed(double x, int decimals) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "0";
    std::string out(buf, r.ptr);
    // A negative number that rounds to zero shows as zero, not "-0".
    if (out.size() > 1 && out[0] == '-' && out.find_first_not_of("0.", 1) == std::string::npos)
        out.erase(0, 1);
    return out;
}

std::string Int(long long v) {
    return std::to_string(v);
}

// "%d" of a real: toward zero, but a product that lands a rounding error
// below a whole number (30 x 0.1 = 2.9999...) counts as that number.
long long TruncTolerant(double x) {
    if (std::isnan(x)) return 0;
    const double nearest = std::nearbyint(x);
    if (std::fabs(x - nearest) <= 1e-9 * std::max(1.0, std::fabs(x))) x = nearest;
    x = std::trunc(x);
    if (x >= 9.2e18) return static_cast<long long>(9.2e18);
    if (x <= -9.2e18) return static_cast<long long>(-9.2e18);
    return static_cast<long long>(x);
}

int ToInt(long long v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// Nearest whole number, halves upward.
int RoundNearest(double x) {
    return SaturatingToInt(std::floor(x + 0.5));
}

// Raised to a when below, then lowered to b when above.
template <class T> T Limit(T x, T a, T b) {
    if (x < a) x = a;
    if (x > b) x = b;
    return x;
}

int LimitToRange(const State& s, int v) {
    return Limit(v, s.minimum, s.maximum);
}

// Milliseconds of a delay code: the maximum stands for 15 ms.
double DelayMs(const State& s, int v) {
    return v == s.maximum ? 15.0 : v * g_DelayStepMs;
}

std::string Trim(std::string_view t) {
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!t.empty() && isSpace(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && isSpace(t.back()))
        t.remove_suffix(1);
    return std::string(t);
}

bool IsOffText(std::string_view text) {
    const std::string t = Trim(text);
    if (t == kOffCn) return true;
    if (t.size() != 3) return false;
    return (t[0] == 'O' || t[0] == 'o') && (t[1] == 'F' || t[1] == 'f') &&
           (t[2] == 'F' || t[2] == 'f');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The bandwidth code whose Q is nearest; a Q shown with two decimals reads
// back to its own code.
int NearestBandwidthCode(double q) {
    int best = 0;
    for (int c = 1; c < kQTableSize; ++c)
        if (std::fabs(g_QTable[c] - q) < std::fabs(g_QTable[best] - q)) best = c;
    return best;
}

} // namespace

const char* OffText(bool chinese) {
    return chinese ? kOffCn : kOffEn;
}

double RoundDigits(double x, int digits) {
    if (digits < 0) digits = 0;
    for (int i = 0; i <= digits; ++i)
        x *= 10.0;
    long long n =
        static_cast<long long>(std::isnan(x) ? 0.0 : std::clamp(std::trunc(x), -9.2e18, 9.2e18));
    const long long r = n % 10;
    n -= r;
    if (r >= 5) n += 10;
    double y = static_cast<double>(n);
    for (int i = 0; i <= digits; ++i)
        y /= 10.0;
    return y;
}

std::optional<std::string> Format(const State& s, int& value, bool chinese) {
    const long long v = value;
    const double x = value * s.scale - s.offset;
    const bool noUnit = s.unit.empty();
    switch (s.type) {
    case kDelayMs:
    case kDelayMsLong:
        return Fixed(RoundDigits(DelayMs(s, value), 3), 3) +
               (noUnit ? "" : (chinese ? "毫秒" : "MS"));
    case kDelayCm: {
        const double d =
            RoundDigits(Speed331(s.temperature) / 1000.0 * DelayMs(s, value) * 100.0, 0);
        return Fixed(d, 0) + (noUnit ? "" : (chinese ? "厘米" : "CM"));
    }
    case kDelayInch: {
        const bool top = value == s.maximum;
        const double speed = top ? Speed3314(s.temperature) : Speed331(s.temperature);
        const double ms = top ? 15.0 : value * g_DelayStepMs;
        const double d = RoundDigits(speed / 1000.0 * ms * kFeetPerMetre * 12.0, 0);
        return Fixed(d, 0) + (noUnit ? "" : (chinese ? "英寸" : "INCH"));
    }
    case kCentred:
        return Fixed(static_cast<double>(v - s.maximum / 2) * s.scale, 1);
    case kInteger:
        return Int(v);
    case kShortTime:
        return v <= 6 ? Fixed(static_cast<double>(v + 3) * 0.1, 1) + "ms" : Int(v - 6) + "ms";
    case kIntegerUnit:
        return Int(v) + s.unit;
    case kFraction:
        return Fixed(value * s.scale + 0.05, 2);
    case kFrequency:
        return Int(v) + "Hz";
    case kFrequencyTop:
        return value == s.maximum ? std::string("20000Hz") : Int(v) + "Hz";
    case kLevel:
        return Fixed(x, 1);
    case kQ: {
        const double q = BandwidthCodeToQ(value);
        return Fixed(q, q > 10 ? 2 : 3);
    }
    case kTemperature: {
        const long long c = v - 50;
        const long long f = TruncTolerant(static_cast<double>(c) * 1.8 + 32 + 0.5);
        return Int(c) + "C(" + Int(f) + "F)";
    }
    case kPercent:
        return Int(TruncTolerant(value * s.scale)) + "%" + s.unit;
    case kHundredths:
        return Fixed(value * 0.01, 2) + s.unit;
    case kIntegerTop:
        return Int(std::min(value, s.maximum)) + s.unit;
    case kFineTime:
        if (value < kFineTimeKnee) return Fixed(value * kStep0104, 4);
        if (value == kFineTimeKnee) return Fixed(100.0, 3);
        return Fixed(100.0 + static_cast<double>(v - kFineTimeKnee) * kStep021, 3);
    case kDistanceCm021:
        return Fixed(Speed3314(s.temperature) / 1000.0 * (value * kStep021) * 100.0, 3);
    case kDistanceFeet021:
        return Fixed(Speed3314(s.temperature) / 1000.0 * (value * kStep021) * kFeetPerMetre, 3);
    case kScaledInteger:
        return Int(TruncTolerant(value * s.scale)) + s.unit;
    case kTenths:
        return Fixed(value * 0.1, 1) + s.unit;
    case kDoubledTop:
        return Int(2LL * std::min(value, s.maximum)) + s.unit;
    case kThreshold:
        if (value == s.minimum) return std::string(OffText(chinese));
        return s.unit == "dBu" ? Fixed(x, 0) + "dBu" : Fixed(x, 1) + "dB";
    case kLevelDbu:
        return Fixed(x, 1) + "dBu";
    case kGain:
        if (value == s.minimum) return std::string(OffText(chinese));
        return Fixed(x, 0) + "dB";
    case kLevelWhole:
        value = LimitToRange(s, value);
        return Fixed(value * s.scale - s.offset, 0) + (noUnit ? "dBu" : "dB");
    case kScaledDb:
        return Int(TruncTolerant(value * s.scale)) + "dB" + s.unit;
    case kLowBandFreq:
        if (value == s.minimum) return std::string("20Hz");
        if (value == s.maximum) return std::string("1000Hz");
        return Int(v) + "Hz";
    case kHighBandFreq:
        if (value == s.minimum) return std::string("5000Hz");
        if (value == s.maximum) return std::string("20000Hz");
        return Int(v) + "Hz";
    case kLevelOffTop:
        if (value == s.maximum) return std::string(OffText(chinese));
        return Fixed(x, 1) + "dBu";
    case kBalance:
        if (v <= 99) return "R_" + Int(100 - v) + "%";
        if (v == 100) return std::string(kOffEn); // English in both languages
        if (value <= s.maximum) return "L_" + Int(v - 100) + "%";
        return std::string();
    case kVoltage:
        value = LimitToRange(s, value);
        if (value == s.maximum) return std::string(OffText(chinese));
        return Fixed(2.2 * std::pow(10.0, (value * s.scale - s.offset) / 20.0), 3) + "Vpp";
    case kLimited:
        value = LimitToRange(s, value);
        return Int(value);
    case kPhase:
        value = LimitToRange(s, value);
        return Int((static_cast<long long>(value) - s.minimum) * 2) + "°";
    case kPercentBelow: {
        value = LimitToRange(s, value);
        const double below = s.offset - value * s.scale;
        return noUnit ? Fixed(below, 0) + "dBu%" : Fixed(below, 0) + "%";
    }
    case kRatio:
        if (value == 1) return std::string("1:1");
        return Int((v + 9) / 10) + "." + Int((v + 9) % 10) + ":1";
    default:
        return std::nullopt;
    }
}

double LeadingNumber(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || (t[i] >= '\t' && t[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    const size_t begin = i;
    size_t digits = 0;
    // Where the first significant digit stands relative to the decimal point,
    // for telling an overflow from an underflow.
    long long magnitude = 0;
    bool significant = false, point = false;
    for (; i < t.size(); ++i) {
        if (IsDigit(t[i])) {
            ++digits;
            if (t[i] != '0') significant = true;
            if (!point && significant) ++magnitude;
            if (point && !significant) --magnitude;
        } else if (t[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return 0.0;
    size_t end = i;
    long long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        bool expNegative = false;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) expNegative = t[j++] == '-';
        if (j < t.size() && IsDigit(t[j])) {
            for (; j < t.size() && IsDigit(t[j]); ++j)
                if (exponent < 100000) exponent = exponent * 10 + (t[j] - '0');
            if (expNegative) exponent = -exponent;
            end = j;
        }
    }
    double x = 0.0;
    const auto r = std::from_chars(t.data() + begin, t.data() + end, x, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        x = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    else if (r.ec != std::errc())
        x = 0.0;
    return negative ? -x : x;
}

int LeadingInteger(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || (t[i] >= '\t' && t[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    long long n = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i)
        if (n <= 1LL << 40) n = n * 10 + (t[i] - '0');
    return ToInt(negative ? -n : n);
}

ReadResult ReadText(const State& s, std::string_view text, Reading reading) {
    const bool quiet = reading == Reading::Quiet;
    ReadResult out;
    out.readable = true;
    const auto take = [&](int v) { out.value = LimitToRange(s, v); };
    const int lo = s.minimum, hi = s.maximum;

    switch (s.type) {
    case kDelayMs:
    case kDelayMsLong: {
        const double x = LeadingNumber(text);
        const double top = s.type == kDelayMs ? 15.0 : 60.0;
        if (quiet) {
            if (x < 0 || x > top) break;
            take(x == 15.0 ? hi : RoundNearest(x * 48.0));
        } else if (x < 0) {
            take(lo);
        } else if (x >= 15.0) {
            take(hi);
        } else {
            take(RoundNearest(x * 48.0));
        }
        break;
    }
    case kDelayCm: {
        const double c = Speed331(s.temperature);
        if (!(c > 0)) break;
        double m = LeadingNumber(text) / 100.0;
        const double top = c / 1000.0 * 15.0;
        // The window takes in what the top shows: whole centimetres, rounded.
        if (quiet && (m < 0 || m > top + 0.005)) break;
        m = Limit(m, 0.0, top);
        const double ms = 1000.0 * m / c;
        take(quiet && ms >= 15.0 ? hi : RoundNearest(ms * 48.0));
        break;
    }
    case kDelayInch: {
        const double c = Speed3314(s.temperature);
        if (!(c > 0)) break;
        double x = LeadingNumber(text);
        const double top = c / 1000.0 * 15.0 * kFeetPerMetre * 12.0;
        if (quiet && (x < 0 || x > top + 0.5)) break; // the top shows rounded
        x = Limit(x, 0.0, top);
        const double ms = 1000.0 * (x / kInchesPerMetre) / c;
        take(quiet && ms >= 15.0 ? hi : RoundNearest(ms * 48.0));
        break;
    }
    case kCentred: {
        if (s.scale == 0) break;
        const int h = s.maximum / 2;
        // The window is what the range shows (an odd maximum shows h + 1).
        const double a = (static_cast<double>(lo) - h) * s.scale;
        const double b = (static_cast<double>(hi) - h) * s.scale;
        double x = LeadingNumber(text);
        if (quiet && (x < a || x > b)) break;
        x = Limit(x, a, b);
        take(RoundNearest(h + x / s.scale));
        break;
    }
    case kInteger:
    case kFrequency:
    case kFrequencyTop: {
        if (Trim(text) == kOffEn) break;
        int n = LeadingInteger(text);
        if (s.type == kFrequencyTop && n == 20000) n = hi; // what the top shows
        if (quiet && (n < lo || n > hi)) break;
        take(n);
        break;
    }
    case kShortTime: {
        double x = LeadingNumber(text);
        if (!quiet) {
            if (x < 0.3) x = 0.3;
            if (x + 6 > hi) x = hi - 6.0;
        }
        if (x >= 0.3 && x <= 0.9)
            take(RoundNearest((x - 0.3) / 0.1));
        else if (x >= 1 && x <= hi - 6.0)
            take(SaturatingToInt(std::trunc(x)) + 6);
        break; // between 0.9 and 1 the value stays
    }
    case kIntegerUnit:
    case kLimited:
        take(LeadingInteger(text));
        break;
    case kFraction: {
        if (s.scale == 0) break;
        double x = LeadingNumber(text);
        if (quiet && (x < 0.05 || x > 3.0)) break;
        x = Limit(x, 0.05, 3.0);
        take(RoundNearest((x - 0.05) / s.scale));
        break;
    }
    case kLevel:
    case kThreshold:
    case kLevelDbu:
    case kGain:
    case kLevelWhole:
    case kLevelOffTop:
    case kPercentBelow: {
        if (s.scale == 0) break;
        // "OFF" reads back to the end of the range that shows it.
        if ((s.type == kThreshold || s.type == kGain) && IsOffText(text)) {
            take(lo);
            break;
        }
        if (s.type == kLevelOffTop && IsOffText(text)) {
            take(hi);
            break;
        }
        double x;
        if (IsOffText(text)) {
            x = s.type == kLevelDbu ? 20.0 : 0.0;
        } else {
            x = LeadingNumber(text);
        }
        if (s.type == kPercentBelow) {
            x = Limit(x, s.offset - hi * s.scale, s.offset - lo * s.scale);
            take(RoundNearest((s.offset - x) / s.scale));
        } else {
            x = Limit(x, lo * s.scale - s.offset, hi * s.scale - s.offset);
            take(RoundNearest((x + s.offset) / s.scale));
        }
        break;
    }
    case kQ: {
        double x = LeadingNumber(text);
        const double a = g_QTable[kQTableSize - 1], b = g_QTable[0];
        if (quiet && (x < a || x > b)) break;
        x = Limit(x, a, b);
        take(NearestBandwidthCode(x));
        break;
    }
    case kPercent:
    case kScaledInteger:
    case kScaledDb: {
        if (s.scale == 0) break;
        const double a = lo * s.scale, b = hi * s.scale;
        double x = LeadingNumber(text);
        if (quiet && (x < a || x > b)) break;
        x = Limit(x, a, b);
        take(ToInt(TruncTolerant(x / s.scale)));
        break;
    }
    case kHundredths:
    case kTenths: {
        const double e = s.type == kHundredths ? 0.01 : 0.1;
        const double a = lo * e, b = hi * e;
        double x = LeadingNumber(text);
        if (quiet && (x < a || x > b)) break;
        x = Limit(x, a, b);
        take(RoundNearest(x / e));
        break;
    }
    case kIntegerTop:
    case kDoubledTop: {
        double x = LeadingNumber(text);
        if (s.type == kDoubledTop) x /= 2;
        if (quiet && (x < lo || x > hi)) break;
        x = Limit(x, static_cast<double>(lo), static_cast<double>(hi));
        take(SaturatingToInt(std::trunc(x)));
        break;
    }
    case kFineTime: {
        const double x = LeadingNumber(text);
        if (quiet && (x < 0 || x > 8400)) break;
        if (x < 0)
            take(lo);
        else if (x > 8400)
            take(hi);
        else if (x < 100.0)
            take(std::min(RoundNearest(x / kStep0104), kFineTimeKnee - 1));
        else
            take(kFineTimeKnee + RoundNearest((x - 100.0) / kStep021));
        break;
    }
    case kDistanceCm021:
    case kDistanceFeet021: {
        const double c = Speed3314(s.temperature);
        if (!(c > 0)) break;
        const bool feet = s.type == kDistanceFeet021;
        const double perMetre = feet ? kFeetPerMetre : 100.0;
        const double top = c / 1000.0 * 8400.0 * perMetre;
        double x = LeadingNumber(text);
        if (quiet && (x < 0 || x > top)) break;
        x = Limit(x, 0.0, top);
        const double ms = 1000.0 * (x / perMetre) / c;
        take(RoundNearest(ms / kStep021));
        break;
    }
    case kLowBandFreq:
    case kHighBandFreq: {
        const int n = LeadingInteger(text);
        if (quiet && (n < lo || n > hi)) break;
        take(n);
        break;
    }
    case kVoltage: {
        if (quiet || s.scale == 0) {
            out.readable = !quiet;
            break;
        }
        if (IsOffText(text)) {
            take(hi);
            break;
        }
        double x;
        {
            const double volts = LeadingNumber(text);
            x = volts > 0 ? 20.0 * std::log10(volts / 2.2)
                          : -std::numeric_limits<double>::infinity();
        }
        x = Limit(x, lo * s.scale - s.offset, hi * s.scale - s.offset);
        take(RoundNearest((x + s.offset) / s.scale));
        break;
    }
    case kPhase: {
        int n = LeadingInteger(text);
        if (!quiet) n = Limit(n, 0, 360);
        // Two degrees a step from the range's start (the page's 20).
        take(ToInt(static_cast<long long>(n / 2) + lo));
        break;
    }
    default:
        out.readable = false;
        break;
    }
    return out;
}

CommitResult Commit(const State& s, int current, std::string_view text, bool modified) {
    CommitResult c;
    c.value = current;
    const ReadResult r = ReadText(s, text, Reading::Commit);
    if (!r.readable) {
        // Nothing to read: the value stays, and the field shows it again
        // rather than leaving typed text that the value does not match.
        c.format = modified;
        return c;
    }
    switch (s.type) {
    case kDelayMs:
    case kDelayCm:
    case kDelayInch:
    case kFineTime:
    case kDistanceCm021:
    case kDistanceFeet021:
    case kDelayMsLong:
        if (!modified) return c;
        break;
    case kInteger:
    case kFrequency:
    case kFrequencyTop:
    case kLowBandFreq:
    case kHighBandFreq:
        // An unedited text reads back to what it shows, limited to the range.
        if (r.value) {
            c.store = true;
            c.value = *r.value;
        }
        c.format = c.notify = modified;
        return c;
    default:
        break;
    }
    if (modified && r.value) {
        c.store = true;
        c.value = *r.value;
    }
    c.format = c.notify = modified;
    return c;
}

std::string SwapOffText(const std::string& text, bool chinese) {
    if (chinese && text == kOffEn) return kOffCn;
    if (!chinese && text == kOffCn) return kOffEn;
    return text;
}

} // namespace numfield
