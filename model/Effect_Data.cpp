#include "model/Effect_Data.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/ValueTexts.h"

#include <algorithm>

namespace {

// Block byte of parameters 1..11.
constexpr int kParamOffsets[kEffectParamCount] = {128, 129, 130, 131, 134, 136,
                                                  137, 138, 139, 140, 143};
constexpr int kCrossoverOffset = 120;
constexpr int kNameOffset = 144;
constexpr int kEffectBands = 3;

std::string PercentText(int v) {
    return StrPrintf("%d%%", v);
}

} // namespace

CEffect_Data::CEffect_Data() : curveArgb_(g_EffectCurveArgb) {
    eq_.BuildThreeBand(2, 8, 20000);
}

int CEffect_Data::GetParam(int n) const {
    return n >= 1 && n <= kEffectParamCount ? params_[n - 1] : 0;
}

void CEffect_Data::LoadFromBlock(const uint8_t* block) {
    if (!block) return;
    name_.Load(block + kNameOffset);
    for (int i = 0; i < kEffectParamCount; ++i)
        params_[i] = block[kParamOffsets[i]];
    LoadCrossoversFromBlock(block + kCrossoverOffset);
    eq_.LoadBands(block, kEffectBands);
}

void CEffect_Data::LoadCrossoversFromBlock(const uint8_t* record) {
    eq_.LoadCrossover(record);
}

TextFieldError CEffect_Data::WriteAllItems() {
    uint8_t* b = EffectBlock();
    const TextFieldError refused = name_.Write(b + kNameOffset);
    for (int i = 0; i < kEffectParamCount; ++i)
        b[kParamOffsets[i]] = static_cast<uint8_t>(params_[i]);
    eq_.WriteBands(b, kEffectBands);
    WriteCrossover();
    return refused;
}

void CEffect_Data::WriteCrossover() {
    const ItemRecord r = eq_.PackCrossover();
    std::copy(r.begin(), r.end(), EffectBlock() + kCrossoverOffset);
}

void CEffect_Data::SetChangeFlags(int value) {
    nameChanged_ = firstGroupChanged_ = secondGroupChanged_ = value;
    eq_.StepAll(value);
}

void CEffect_Data::Serialize(CArchive& ar) {
    name_.Serialize(ar);
    // Parameter 10 is not stored.
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11})
        ar.Dword(params_[n - 1]);
    ar.Dword(allOff_);
    eq_.Serialize(ar);
}

// --- Value texts ---------------------------------------------------------------

std::string CEffect_Data::FormatParam1Text() const {
    const int v = params_[0];
    if (v <= 99) return StrPrintf("R_%lld%%", 100LL - v);
    if (v == 100) return "OFF";
    if (v <= 195) return StrPrintf("L_%d%%", v - 100);
    return std::string();
}
std::string CEffect_Data::FormatParam2Text() const {
    return StrPrintf("%lldms", 2LL * params_[1]);
}
std::string CEffect_Data::FormatParam3Text() const {
    return PercentText(params_[2]);
}
std::string CEffect_Data::FormatParam4Text() const {
    return PercentText(params_[3]);
}
std::string CEffect_Data::FormatParam5Text() const {
    return StrPrintf("%d", params_[4]);
}
std::string CEffect_Data::FormatParam6Text() const {
    return StrPrintf("%0.1fs", params_[5] * 0.1);
}
std::string CEffect_Data::FormatParam7Text() const {
    return PercentText(params_[6]);
}
std::string CEffect_Data::FormatParam8Text() const {
    return StrPrintf("%d", params_[7]);
}
std::string CEffect_Data::FormatParam9Text() const {
    return PercentText(params_[8]);
}
std::string CEffect_Data::FormatParam11Text() const {
    return StrPrintf("%dms", params_[10]);
}

// --- Curve -----------------------------------------------------------------------

void CEffect_Data::SetGraphRect(const GraphRect& plotArea) {
    curve_.SetGraphRect(plotArea, eq_);
    UpdateCurve();
}

void CEffect_Data::UpdateCurve() {
    curve_.Update(eq_, true);
}
