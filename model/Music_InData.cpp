#include "model/Music_InData.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"

namespace {

const CInputChannel::Layout kMusicLayout = {
    kGroupMusic, kMusicInputCount, kMusicBlockOffset, kMusicBlockSize, 249, 251, 252, 254,
    31, // polarity, on, delay, gain; basic item
    256,
    32, // crossover
    264,
    33, // noise gate
    272,
    34, // threshold
};
constexpr int kEqModeByte = 250;
constexpr int kNameOffset = 280;

} // namespace

CMusic_InData::CMusic_InData() : CInputChannel(kMusicLayout) {
    gain_ = 600;
}

void CMusic_InData::BuildEq(int last, int item, int /*unused*/) {
    eq_.BuildMixedBands(last, item, 20000);
}

void CMusic_InData::SetName(const std::string& name) {
    name_.SetText(name);
    nameChanged_ = ChangeMark();
}

// The mute follows the gain code as the output's does: were it derived only
// on archive loads, an input loaded at gain 0 would send 0 for every later gain.
void CMusic_InData::SetGain(int code) {
    gain_ = code;
    mute_ = code == 0 ? 1 : 0;
    basicChanged_ = ChangeMark();
}

void CMusic_InData::SetOn(int on) {
    on_ = on;
    basicChanged_ = ChangeMark();
}

void CMusic_InData::SetEqMode(int mode) {
    eqMode_ = mode;
    eq_.SetGraphicEq(mode);
    basicChanged_ = ChangeMark();
}

void CMusic_InData::SetNoiseGate(int code) {
    noiseGate_ = code;
    gateChanged_ = ChangeMark();
}

void CMusic_InData::SetFiltersOption(int on) {
    eq_.SetEqBypass(on, 0, eq_.GetBandCount());
}

int CMusic_InData::UpdateAllEqBypassed() {
    allBandsBypassed_ = eq_.AllBypassedOrFlat(0, eq_.GetBandCount());
    return allBandsBypassed_;
}

PacketPtr CMusic_InData::WriteBasicItem(int send) {
    if (uint8_t* b = ImageBlock()) b[kEqModeByte] = static_cast<uint8_t>(eqMode_);
    return WriteBasicCommon(send); // byte 248 is not ours
}

PacketPtr CMusic_InData::SendEqBand(int band, int item) {
    uint8_t* b = ImageBlock();
    if (!b || band < 0 || band >= eq_.GetBandCount()) return nullptr;
    eq_.WriteBand(b, band);
    return Packet(1, item);
}

TextFieldError CMusic_InData::WriteAllItems() {
    uint8_t* b = ImageBlock();
    if (!b) return TextFieldError::None;
    eq_.WriteBands(b, eq_.GetBandCount());
    const TextFieldError refused = name_.Write(b + kNameOffset);
    WriteBasicItem(0);
    WriteCrossoverItem(0);
    WriteThresholdItem(0);
    WriteNoiseGateItem(0);
    return refused;
}

void CMusic_InData::LoadFromImageBlock(const uint8_t* block) {
    if (!block) return;
    LoadCommon(block);
    // Whatever the device keeps as the name goes back to it unchanged.
    name_.Load(block + kNameOffset, CNameField::NewName::Keep);
    eqMode_ = block[kEqModeByte];
    eq_.SetGraphicEq(eqMode_);
}

void CMusic_InData::Serialize(CArchive& ar) {
    name_.Serialize(ar);
    ar.Dword(on_);
    ar.Dword(polarity_);
    ar.Dword(gain_);
    ar.Dword(delay_);
    ar.Dword(noiseGate_);
    ar.Dword(threshold_);
    ar.Dword(thresholdA_);
    ar.Dword(thresholdB_);
    eq_.Serialize(ar);
    if (ar.IsLoading()) mute_ = gain_ == 0 ? 1 : 0;
}

void CMusic_InData::SetGraphRect(const GraphRect& plotArea) {
    curve_.SetGraphRect(plotArea, eq_);
    UpdateCurve();
}
