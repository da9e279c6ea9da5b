// A busy model for the curve and graph benchmarks: every output with all
// its bands boosting or cutting (a few as shelves) and both crossovers on.
#pragma once

#include "model/DataDefine.h"
#include "model/FilterResponse.h"
#include "model/KTV_Data.h"
#include "model/ValueScale.h"

#include <cstddef>
#include <vector>

namespace bench {

// A busy channel: 31 bands all boosting or cutting (a few as shelves), a
// 24 dB/Oct high-pass and an 8th-order Bessel low-pass.
inline std::vector<FilterCurveSettings> BusyChannel(int seed) {
    std::vector<FilterCurveSettings> filters;
    for (int i = 0; i < 31; ++i) {
        FilterCurveSettings s;
        s.kind = i == 0    ? FilterKind::LowShelf
                 : i == 29 ? FilterKind::HighShelf
                 : i == 30 ? FilterKind::Special
                           : FilterKind::Peaking;
        s.slope = i % 2;
        s.freq = g_FreqTable[i * 8];
        s.gainDb = ((i + seed) % 13) - 6.5;
        s.bandwidthOctaves = 0.05 + 0.01 * ((i * 37 + seed) % 296);
        s.off = false;
        filters.push_back(s);
    }
    FilterCurveSettings hp;
    hp.kind = FilterKind::HighPass;
    hp.family = CrossoverFamily::LinkwitzRiley;
    hp.slope = 3;
    hp.freq = 80 + seed;
    filters.push_back(hp);
    FilterCurveSettings lp = hp;
    lp.kind = FilterKind::LowPass;
    lp.family = CrossoverFamily::Bessel;
    lp.slope = 4;
    lp.freq = 5000 + seed;
    filters.push_back(lp);
    return filters;
}

// Every output busy as above, through the setters the pages use.
inline void MakeBusy(CKTV_Data& model) {
    for (int ch = 0; ch < kOutputCount; ++ch) {
        CKTVEQ& eq = model.GetOut(ch)->GetEq();
        const std::vector<FilterCurveSettings> busy = BusyChannel(ch);
        for (int i = 0; i < eq.GetBandCount(); ++i) {
            CFilter& f = *eq.GetAt(i);
            const FilterCurveSettings& s = busy[static_cast<std::size_t>(i)];
            f.SetKind(s.kind);
            f.SetSlope(s.slope, 0);
            f.SetFreq(static_cast<int>(s.freq), 0);
            f.SetGainCode(static_cast<int>(s.gainDb * 10 + 200));
            f.SetBandwidthCode(static_cast<int>((s.bandwidthOctaves - 0.05) / 0.01 + 0.5));
        }
        const FilterCurveSettings& hp = busy[busy.size() - 2];
        const FilterCurveSettings& lp = busy.back();
        eq.GetHighPass()->SetFamily(hp.family, 0);
        eq.GetHighPass()->SetSlope(hp.slope, 0);
        eq.GetHighPass()->SetFreq(static_cast<int>(hp.freq), 0);
        eq.GetLowPass()->SetFamily(lp.family, 0);
        eq.GetLowPass()->SetSlope(lp.slope, 0);
        eq.GetLowPass()->SetFreq(static_cast<int>(lp.freq), 0);
    }
}

} // namespace bench
