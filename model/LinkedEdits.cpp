#include "model/LinkedEdits.h"

#include "model/Filter.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/LinkKeys.h"

#include <cmath>

namespace {

constexpr int kOutputs = 12;
constexpr int kBands = 31;
constexpr int kTopBand = kBands - 1;
constexpr int kTopBandFreq = 20000;

bool HoldsPhase(const CFilter& band) {
    return band.GetKind() == FilterKind::Special;
}

} // namespace

std::vector<int> LinkedOutputIndexes(int output) {
    std::vector<int> linked;
    if (output < 0 || output >= kOutputs) return linked;
    for (int k = 0; k < kOutputs; ++k)
        if (k != output && SameLinkKey(k, output)) linked.push_back(k);
    return linked;
}

std::vector<CKTV_OutData*> LinkedOutputsOf(const CKTV_Data& data, int output) {
    std::vector<CKTV_OutData*> linked;
    for (int k : LinkedOutputIndexes(output))
        if (CKTV_OutData* o = data.GetOut(k)) linked.push_back(o);
    return linked;
}

void CopyBandEdit(const CKTV_OutData& source, int band, BandEdit edit, int bypass,
                  const std::vector<CKTV_OutData*>& targets) {
    const CFilter* from = source.GetFilter(band);
    if (!from) return;
    const bool top = band == kTopBand;
    for (CKTV_OutData* target : targets) {
        CFilter* f = target->GetFilter(band);
        switch (edit) {
        case BandEdit::Freq:
            f->SetFreq(from->GetFreq(), 1);
            if (top && HoldsPhase(*f)) f->SetKind(FilterKind::Peaking);
            break;
        case BandEdit::Q:
            f->SetBandwidthCode(from->GetBandwidthCode());
            if (top && HoldsPhase(*f)) {
                f->SetKind(FilterKind::Peaking);
                f->SetFreq(kTopBandFreq, 1);
            }
            break;
        case BandEdit::Gain:
            f->SetGainCode(from->GetGainCode());
            break;
        case BandEdit::Bypass:
            f->SetBypass(bypass);
            break;
        }
    }
}

int StoredGainCode(const CFilter& band) {
    return static_cast<int>(std::lround((band.GetGain() + 20.0) * 10.0));
}

void CopyDraggedBand(const CKTV_OutData& source, int band,
                     const std::vector<CKTV_OutData*>& targets) {
    const CFilter* from = source.GetFilter(band);
    if (!from) return;
    const bool gainIsReal = !from->IsBypassedOrFlat() || StoredGainCode(*from) == kGainCodeFlat;
    for (CKTV_OutData* target : targets) {
        CFilter* f = target->GetFilter(band);
        f->SetFreq(from->GetFreq(), 1);
        f->SetBandwidthCode(from->GetBandwidthCode());
        if (gainIsReal) f->SetGainCode(from->GetGainCode());
        if (band == kTopBand && HoldsPhase(*f)) f->SetKind(FilterKind::Peaking);
    }
}

void CopyCrossoverEdit(bool high, CrossoverEdit edit, int value,
                       const std::vector<CKTV_OutData*>& targets) {
    for (CKTV_OutData* target : targets) {
        CFilter* f = high ? target->GetHighPass() : target->GetLowPass();
        switch (edit) {
        case CrossoverEdit::Freq:
            f->SetFreq(value, 1);
            break;
        case CrossoverEdit::Family:
            f->SetFamily(value, 1);
            break;
        case CrossoverEdit::Slope:
            f->SetSlope(value, 1);
            break;
        }
    }
}

void ApplyPhaseToTopBand(CKTV_OutData& out, int phase) {
    CFilter* top = out.GetFilter(kTopBand);
    if (!top) return;
    if (phase == kPhaseOffValue) {
        top->SetKind(FilterKind::Peaking);
        top->SetFreq(kTopBandFreq, 1);
        return;
    }
    if (!HoldsPhase(*top)) top->SetKind(FilterKind::Special);
    top->SetFreq(phase, 1);
    top->SetBandwidthCode(kPhaseBandwidthCode);
}

AllBypassStep SwitchAllBandsBypass(CKTV_OutData& out, int wanted) {
    AllBypassStep step;
    out.SetFiltersOption(wanted);
    step.allFlat = wanted == 0 && out.UpdateAllEqBypassed() != 0;
    if (step.allFlat) {
        out.SetFiltersOption(1);
        return step;
    }
    step.state = out.UpdateAllEqBypassed();
    return step;
}

std::vector<int> ApplyAllBypassToGroup(const CKTV_Data& data, int current, int option) {
    std::vector<int> members;
    if (current < 0 || current >= kOutputs) return members;
    for (int k = 0; k < kOutputs; ++k) {
        if (!SameLinkKey(k, current)) continue;
        if (k != current)
            if (CKTV_OutData* o = data.GetOut(k)) o->SetFiltersOption(option);
        members.push_back(k);
    }
    return members;
}
