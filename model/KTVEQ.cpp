#include "model/KTVEQ.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kFifteenBand[15] = {20,   32,   53,   87,   143,  235,   386,  632,
                                  1035, 1696, 2778, 4551, 7455, 12210, 20000};
constexpr int kThreeBand[3] = {100, 1000, 10000};
constexpr int kThirdOctaveCount = 31;

// How a builder sets up one crossover filter; -1 keeps the filter default.
struct CrossoverSetup {
    int kind;
    int freq;
    int fromUser;
    int slope;
    int family;
    int reducedSlopes;
    int dragOption;
};

void SetUpCrossover(CFilter& f, const CrossoverSetup& s, int item) {
    f.SetKind(s.kind);
    if (s.slope >= 0) f.SetSlope(s.slope, 1);
    if (s.family >= 0) f.SetFamily(s.family, 1);
    f.SetBandHandle(0);
    f.SetFreq(s.freq, s.fromUser);
    f.SetItemCode(item);
    if (s.reducedSlopes) f.SetReducedSlopes(1);
    if (s.dragOption >= 0) f.SetDragOption(s.dragOption);
}

// Keeps a builder's last band index inside its frequency table.
int LastBand(int last, int tableSize) {
    return std::min(last, tableSize - 1);
}

// A setting a record word cannot carry goes out as the nearest value it can,
// never wrapped: each word saturates to the range it is read back in.
void PutSignedWord(uint8_t* p, long long v) {
    PutU16(p, static_cast<uint16_t>(
                  static_cast<int16_t>(std::clamp<long long>(v, INT16_MIN, INT16_MAX))));
}
void PutUnsignedWord(uint8_t* p, long long v) {
    PutU16(p, static_cast<unsigned>(std::clamp<long long>(v, 0, UINT16_MAX)));
}

void PutCrossoverHalf(uint8_t* p, const CFilter& f) {
    PutUnsignedWord(p, f.GetAppliedFreq());
    p[2] = f.GetFamilyByte();
    p[3] = f.GetSlopeByte();
}

void LoadCrossoverHalf(CFilter& f, const uint8_t* p) {
    f.SetFreq(GetU16(p), 0);
    f.SetFamily(p[2], 0);
    f.SetSlope(p[3], 0);
    f.StepAppliedFreq(0);
}

} // namespace

CFilter& CKTVEQ::Append() {
    filters_.push_back(std::make_unique<CFilter>());
    filters_.back()->SetChangeCounter(&changeCount_);
    ++changeCount_;
    return *filters_.back();
}

CFilter* CKTVEQ::GetAt(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return filters_[static_cast<size_t>(i)].get();
}

void CKTVEQ::BuildThirdOctave(int last, int item, int highPassOption, int highPassFreq,
                              int lowPassFreq) {
    last = LastBand(last, kThirdOctaveCount);
    for (int i = 0; i <= last; ++i) {
        CFilter& f = Append();
        f.SetFreq(g_ThirdOctaveFreqs[i], 1);
        f.SetItemCode(i);
    }
    SetUpCrossover(Append(), {FilterKind::HighPass, highPassFreq, 0, -1, -1, 0, highPassOption},
                   item);
    SetUpCrossover(Append(), {FilterKind::LowPass, lowPassFreq, 0, -1, -1, 0, 12}, item);
}

void CKTVEQ::BuildCrossovers(int item, int lowPassFreq) {
    SetUpCrossover(Append(), {FilterKind::HighPass, 20, 1, 0, 2, 1, -1}, item);
    SetUpCrossover(Append(), {FilterKind::LowPass, lowPassFreq, 1, 0, 2, 1, -1}, item);
}

void CKTVEQ::BuildMixedBands(int last, int item, int lowPassFreq) {
    last = LastBand(last, kThirdOctaveCount);
    for (int i = 0; i <= last; ++i) {
        CFilter& f = Append();
        f.SetFreq(i <= 14 ? kFifteenBand[i] : g_ThirdOctaveFreqs[i], 1);
        f.SetItemCode(i);
    }
    BuildCrossovers(item, lowPassFreq);
}

void CKTVEQ::BuildFifteenBand(int last, int item, int lowPassFreq) {
    last = LastBand(last, 15);
    for (int i = 0; i <= last; ++i) {
        CFilter& f = Append();
        f.SetFreq(kFifteenBand[i], 1);
        if (i == 0) {
            f.SetSlope(0, 1);
            f.SetKind(FilterKind::LowShelf);
        }
        if (i == last) {
            f.SetSlope(0, 1);
            f.SetKind(FilterKind::HighShelf);
        }
        f.SetItemCode(i);
    }
    BuildCrossovers(item, lowPassFreq);
}

void CKTVEQ::BuildThreeBand(int last, int item, int lowPassFreq) {
    last = LastBand(last, 3);
    for (int i = 0; i <= last; ++i) {
        CFilter& f = Append();
        f.SetFreq(kThreeBand[i], 1);
        f.SetItemCode(i);
    }
    SetUpCrossover(Append(), {FilterKind::HighPass, 20, 1, -1, 2, 1, 8}, item);
    SetUpCrossover(Append(), {FilterKind::LowPass, lowPassFreq, 1, -1, 2, 1, 8}, item);
}

ItemRecord CKTVEQ::PackBand(int i) const {
    ItemRecord r{};
    const CFilter* f = GetAt(i);
    if (!f) return r;
    PutSignedWord(&r[0], f->GetAppliedFreq());
    // A bypassed or flat band's gain code is already 0 dB.
    PutSignedWord(&r[2], static_cast<long long>(f->GetGainCode()) + kGainWordOffset);
    PutSignedWord(&r[4], f->GetBandwidthCode());
    r[6] = f->GetSlopeByte();
    r[7] = f->GetKindByte();
    return r;
}

void CKTVEQ::UnpackBand(const uint8_t* record, int i) {
    CFilter* f = GetAt(i);
    if (!f || !record) return;
    f->SetGainCode(GetS16(record + 2) - kGainWordOffset);
    f->SetBandwidthCode(GetS16(record + 4));
    f->SetSlope(record[6], 1);
    // The kind before the frequency: kind 32 resets the applied frequency.
    f->SetKind(record[7]);
    f->SetFreq(GetS16(record), 0);
    f->StepAppliedFreq(0);
}

void CKTVEQ::WriteBand(uint8_t* block, int i) const {
    if (!block || !GetAt(i)) return;
    const ItemRecord r = PackBand(i);
    std::copy(r.begin(), r.end(), block + kItemSize * i);
}

void CKTVEQ::WriteBands(uint8_t* block, int count) const {
    count = std::min(count, GetBandCount());
    for (int i = 0; i < count; ++i)
        WriteBand(block, i);
}

void CKTVEQ::LoadBands(const uint8_t* block, int count) {
    count = std::min(count, GetBandCount());
    for (int i = 0; i < count; ++i)
        UnpackBand(block + kItemSize * i, i);
}

ItemRecord CKTVEQ::PackCrossover() const {
    ItemRecord r{};
    if (const CFilter* hp = GetHighPass()) PutCrossoverHalf(&r[0], *hp);
    if (const CFilter* lp = GetLowPass()) PutCrossoverHalf(&r[4], *lp);
    return r;
}

void CKTVEQ::LoadCrossover(const uint8_t* record) {
    if (!record) return;
    if (CFilter* hp = GetHighPass()) LoadCrossoverHalf(*hp, record);
    if (CFilter* lp = GetLowPass()) LoadCrossoverHalf(*lp, record + 4);
}

bool CKTVEQ::TakeCrossoverChanged() {
    bool any = false;
    for (CFilter* f : {GetHighPass(), GetLowPass()}) {
        if (f && f->IsChanged()) {
            f->StepAppliedFreq(0);
            any = true;
        }
    }
    return any;
}

void CKTVEQ::StepAll(int flag) {
    for (auto& f : filters_)
        f->StepAppliedFreq(flag);
}

void CKTVEQ::SetEqBypass(int on, int first, int end) {
    for (int i = std::max(first, 0); i < std::min(end, GetCount()); ++i)
        filters_[static_cast<size_t>(i)]->SetEqBypass(on);
}

int CKTVEQ::AllBypassedOrFlat(int first, int end) const {
    for (int i = std::max(first, 0); i < std::min(end, GetCount()); ++i)
        if (!filters_[static_cast<size_t>(i)]->IsBypassedOrFlat()) return 0;
    return 1;
}

void CKTVEQ::SetGraphicEq(int on) {
    for (int i = 0; i < GetBandCount(); ++i)
        filters_[static_cast<size_t>(i)]->SetGraphicEq(on);
}

void CKTVEQ::CopyFrom(const CKTVEQ& other) {
    const int n = std::min(GetCount(), other.GetCount());
    for (int i = 0; i < n; ++i)
        filters_[static_cast<size_t>(i)]->CopyFrom(*other.filters_[static_cast<size_t>(i)]);
}

void CKTVEQ::Serialize(CArchive& ar) {
    for (auto& f : filters_)
        f->Serialize(ar);
}

void CKTVEQ::SetGraphRect(const GraphRect& plotArea) {
    graphHeight_ = plotArea.Height();
    graphWidth_ = plotArea.Width();
    for (int i = 0; i < kFreqTableSize; ++i)
        points_[static_cast<size_t>(i)] = {FreqToGraphX(g_FreqTable[i], graphWidth_) + 40,
                                           graphHeight_ / 2};
    for (auto& f : filters_)
        f->SetGraphRect(plotArea);
}

std::array<double, kFreqTableSize> CKTVEQ::SumCurve() const {
    std::array<double, kFreqTableSize> sum{};
    for (const auto& f : filters_) {
        const CFilter::Curve& curve = f->GetCurve();
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] += curve[i];
    }
    return sum;
}

void CKTVEQ::UpdateCurve() {
    const auto sum = SumCurve();
    for (size_t i = 0; i < sum.size(); ++i) {
        points_[i].y = GainToGraphY(sum[i], graphHeight_) + 10;
        realPoints_[i].y = static_cast<float>(GainToGraphYExact(sum[i], graphHeight_) + 10);
    }
}

void CKTVEQ::UpdateCurveReal() {
    const auto sum = SumCurve();
    for (size_t i = 0; i < sum.size(); ++i)
        realPoints_[i].y = static_cast<float>(GainToGraphYExact(sum[i], graphHeight_) + 10);
}
