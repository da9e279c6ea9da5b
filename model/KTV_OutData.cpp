#include "model/KTV_OutData.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/SpeakerTypes.h"
#include "model/ValueTexts.h"

#include <algorithm>

namespace {

constexpr int kBasicItem = 31;
constexpr int kCrossoverItem = 32;
constexpr int kMixAItem = 33;
constexpr int kMixBItem = 34;
constexpr int kDynamicsItem = 35;
constexpr int kNameItem = 36;
constexpr int kHighPassDragOption = 12;
constexpr int kTweeterDragOption = 11;

struct CrossoverDefault {
    int highFreq, highFamily, highSlope;
    int lowFreq, lowFamily, lowSlope;
};

// Default crossover of each speaker type 0..24.
constexpr CrossoverDefault kNone{20, 1, 1, 20000, 1, 1};
constexpr CrossoverDefault kTweeter{3400, 1, 1, 20000, 1, 1};
constexpr CrossoverDefault kMid{600, 1, 1, 1900, 1, 1};
constexpr CrossoverDefault kWoofer{70, 1, 1, 320, 1, 1};
constexpr CrossoverDefault kMidTweeter{600, 1, 1, 20000, 1, 1};
constexpr CrossoverDefault kMidWoofer{70, 1, 1, 1900, 1, 1};
constexpr CrossoverDefault kFullRange{70, 1, 1, 20000, 1, 1};
constexpr CrossoverDefault kSubwoofer{30, 2, 1, 50, 2, 1};
constexpr CrossoverDefault kSpeakerCrossovers[25] = {
    kNone,                                                                   // 0
    kTweeter,   kMid,       kWoofer,    kMidTweeter, kMidWoofer, kFullRange, // 1..6 front left
    kTweeter,   kMid,       kWoofer,    kMidTweeter, kMidWoofer, kFullRange, // 7..12 front right
    kTweeter,   kWoofer,    kFullRange,                                      // 13..15 rear left
    kTweeter,   kWoofer,    kFullRange,                                      // 16..18 rear right
    kTweeter,   kWoofer,    kFullRange,                                      // 19..21 centre
    kSubwoofer, kSubwoofer, kSubwoofer,                                      // 22..24
};

std::string PercentText(int value) {
    return StrPrintf("%d%%", value);
}

} // namespace

CKTV_OutData::CKTV_OutData() {
    std::fill(std::begin(mix_), std::end(mix_), static_cast<uint8_t>(100));
}

void CKTV_OutData::BuildEq(int last, int item, int highPassOption, int highPassFreq,
                           int lowPassFreq) {
    eq_.BuildThirdOctave(last, item, highPassOption, highPassFreq, lowPassFreq);
}

void CKTV_OutData::MarkBasic() {
    basicChanged_ = ChangeMark();
}

void CKTV_OutData::SetName(const std::string& name) {
    name_.SetText(name);
    nameChanged_ = ChangeMark();
}

void CKTV_OutData::SetGain(int16_t code) {
    gain_ = code;
    mute_ = code == 0 ? 1 : 0;
    MarkBasic();
}

void CKTV_OutData::SetDelay(int16_t code) {
    delay_ = code;
    MarkBasic();
}

void CKTV_OutData::SetOutputOn(uint8_t on) {
    on_ = on;
    MarkBasic();
}

void CKTV_OutData::SetPolarity(uint8_t polarity) {
    polarity_ = polarity;
    MarkBasic();
}

void CKTV_OutData::SetEqMode(uint8_t mode) {
    eqMode_ = mode;
    eq_.SetGraphicEq(mode);
    MarkBasic();
}

void CKTV_OutData::SetMixLevel(int source, uint8_t level) {
    if (source < 1 || source > kMixSourceCount) return;
    uint8_t& stored = mix_[source - 1];
    if (stored == level) return;
    stored = level;
    const int synced = ChangeMark();
    if (source <= 8)
        mixAChanged_ = synced;
    else if (source <= 16)
        mixBChanged_ = synced;
    else
        dynamicsChanged_ = synced;
}

uint8_t CKTV_OutData::GetMixLevel(int source) const {
    if (source < 1 || source > kMixSourceCount) return 0;
    return mix_[source - 1];
}

void CKTV_OutData::SetAttackTime(int16_t code) {
    if (attack_ == code) return;
    attack_ = code;
    dynamicsChanged_ = ChangeMark();
}

void CKTV_OutData::SetReleaseTime(int16_t code) {
    if (release_ == code) return;
    release_ = code;
    dynamicsChanged_ = ChangeMark();
}

void CKTV_OutData::SetSpeakerType(int type) {
    speakerType_ = static_cast<uint8_t>(type);
    ApplySpeakerCrossover(type);
}

void CKTV_OutData::ApplySpeakerCrossover(int type) {
    CFilter* hp = eq_.GetHighPass();
    CFilter* lp = eq_.GetLowPass();
    if (!hp || !lp) return;
    hp->SetDragOption(IsTweeterSpeakerType(type) ? kTweeterDragOption : kHighPassDragOption);
    if (type < 0 || type > 24) return; // no defaults for an unknown type
    const CrossoverDefault& d = kSpeakerCrossovers[type];
    hp->SetFreq(d.highFreq, 1);
    hp->SetFamily(d.highFamily, 1);
    hp->SetSlope(d.highSlope, 1);
    lp->SetFreq(d.lowFreq, 1);
    lp->SetFamily(d.lowFamily, 1);
    lp->SetSlope(d.lowSlope, 1);
}

void CKTV_OutData::SetSpeakerTypeKeepCrossover(int type) {
    speakerType_ = static_cast<uint8_t>(type);
    if (CFilter* hp = eq_.GetHighPass())
        hp->SetDragOption(IsTweeterSpeakerType(type) ? kTweeterDragOption : kHighPassDragOption);
}

void CKTV_OutData::SetChannelIndex(int index) {
    channelIndex_ = index;
    if (index == 0 || index == 2 || index == 4) {
        leftSourceOff_ = 0;
        leftSource_ = 1;
    } else if (index == 1 || index == 3 || index == 5) {
        rightSourceOff_ = 0;
        rightSource_ = 1;
    }
}

// Linked outputs are not changed here: the pages call the setters of each
// linked output themselves.
void CKTV_OutData::SetLeftSourceOff(int off) {
    leftSourceOff_ = off;
    leftSource_ = off == 0 ? 1 : 0;
    sourceGroupChanged_ = ChangeMark();
}

void CKTV_OutData::SetRightSourceOff(int off) {
    rightSourceOff_ = off;
    rightSource_ = off == 0 ? 1 : 0;
    sourceGroupChanged_ = ChangeMark();
}

void CKTV_OutData::SetAllDirty(int flag) {
    sourceGroupChanged_ = basicChanged_ = dynamicsChanged_ = mixBChanged_ = mixAChanged_ = flag;
    eq_.StepAll(flag);
}

int CKTV_OutData::SetFiltersOption(int on) {
    eq_.SetEqBypass(on, 0, eq_.GetCount());
    return eq_.GetCount();
}

int CKTV_OutData::UpdateAllEqBypassed() {
    allBandsBypassed_ = eq_.AllBypassedOrFlat(0, eq_.GetCount());
    return allBandsBypassed_;
}

void CKTV_OutData::CopyEqFrom(const CKTV_OutData& other) {
    eq_.CopyFrom(other.eq_);
    mute_ = gain_ == 0 ? 1 : 0;
    eqMode_ = other.eqMode_;
    eq_.SetGraphicEq(eqMode_);
    UpdateCurve();
}

ItemRecord CKTV_OutData::GetDynamicsRecord() const {
    ItemRecord r{};
    r[0] = mix_[16];
    r[1] = mix_[17];
    PutU16(&r[2], static_cast<uint16_t>(attack_));
    PutU16(&r[4], static_cast<uint16_t>(release_));
    return r;
}

// --- Value texts -------------------------------------------------------------

std::string CKTV_OutData::GetGainText() const {
    if (mute_) return "-60.0dB";
    return StrPrintf("%0.1fdB", gain_ * 0.1 - 60);
}

std::string CKTV_OutData::GetPolarityText() const {
    return PolarityText(polarity_);
}

std::string CKTV_OutData::GetOutputOnText() const {
    return OnOffText(on_);
}

std::string CKTV_OutData::GetDelayText() const {
    return DelayText(delay_);
}

std::string CKTV_OutData::GetAttackText() const {
    if (attack_ > 6) return StrPrintf("%dms", attack_ - 6);
    return StrPrintf("%0.1fms", (attack_ + 3) * 0.1);
}

std::string CKTV_OutData::GetReleaseText() const {
    static const char* const texts[] = {"Atk * 2", "Atk * 4",  "Atk * 6",
                                        "Atk * 8", "Atk * 16", "Atk * 32"};
    if (release_ < 0 || release_ > 5) return std::string();
    return texts[release_];
}

std::string CKTV_OutData::GetLeftSourceText() const {
    return leftSourceOff_ ? "0%" : PercentText(leftSource_);
}

std::string CKTV_OutData::GetRightSourceText() const {
    return rightSourceOff_ ? "0%" : PercentText(rightSource_);
}

std::string CKTV_OutData::GetPercentTextE() const {
    return valueEOff_ ? "0%" : PercentText(valueE_);
}

std::string CKTV_OutData::GetPercentTextC() const {
    return PercentText(valueC_);
}

std::string CKTV_OutData::GetPercentTextD() const {
    return PercentText(valueD_);
}

std::string CKTV_OutData::GetRatioText() const {
    return StrPrintf("%d%%:%d%%", ratio_, 100 - ratio_);
}

std::string CKTV_OutData::GetLeftSwitchText() const {
    return leftSource_ ? "ON" : "OFF";
}

std::string CKTV_OutData::GetRightSwitchText() const {
    return rightSource_ ? "ON" : "OFF";
}

std::string CKTV_OutData::GetSwitchBitText(int bit) const {
    if (bit < 0 || bit > 4) return std::string();
    return OnOffText((switchBits_ >> bit) & 1);
}

// --- Block writers and loaders -------------------------------------------------

uint8_t* CKTV_OutData::ImageBlock() const {
    if (channelIndex_ < 0 || channelIndex_ >= kOutputCount) return nullptr;
    return OutputBlock(channelIndex_);
}

PacketPtr CKTV_OutData::Packet(int send, int item) const {
    return send ? BuildItemPacket(kGroupOutput, channelIndex_, item) : nullptr;
}

PacketPtr CKTV_OutData::WriteBasicItem(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    b[248] = on_;
    b[249] = polarity_;
    PutU16(b + 250, static_cast<uint16_t>(GetGain()));
    PutU16(b + 252, static_cast<uint16_t>(delay_));
    b[254] = eqMode_;
    b[255] = speakerType_;
    return Packet(send, kBasicItem);
}

PacketPtr CKTV_OutData::WriteCrossoverItem(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    const ItemRecord r = eq_.PackCrossover();
    std::copy(r.begin(), r.end(), b + kOutCrossoverOffset);
    return Packet(send, kCrossoverItem);
}

PacketPtr CKTV_OutData::WriteCrossoverFromFilters() {
    CFilter* hp = eq_.GetHighPass();
    CFilter* lp = eq_.GetLowPass();
    if (!hp || !lp) return nullptr;
    hp->SetAppliedFreq(hp->GetFreq());
    lp->SetAppliedFreq(lp->GetFreq());
    PacketPtr p = WriteCrossoverItem(1);
    hp->StepAppliedFreq(0);
    lp->StepAppliedFreq(0);
    return p;
}

PacketPtr CKTV_OutData::WriteMixItemA(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    std::copy(mix_, mix_ + 8, b + kOutMixAOffset);
    return Packet(send, kMixAItem);
}

PacketPtr CKTV_OutData::WriteMixItemB(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    std::copy(mix_ + 8, mix_ + 16, b + kOutMixBOffset);
    return Packet(send, kMixBItem);
}

PacketPtr CKTV_OutData::WriteDynamicsItem(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    const ItemRecord r = GetDynamicsRecord();
    std::copy(r.begin(), r.begin() + 6, b + kOutDynamicsOffset); // 286..287 are not ours
    return Packet(send, kDynamicsItem);
}

PacketPtr CKTV_OutData::SendEqBand(int band, int item) {
    uint8_t* b = ImageBlock();
    if (!b || band < 0 || band >= eq_.GetBandCount()) return nullptr;
    eq_.WriteBand(b, band);
    return BuildItemPacket(kGroupOutput, channelIndex_, item);
}

PacketPtr CKTV_OutData::SendNameItem() {
    return BuildItemPacket(kGroupOutput, channelIndex_, kNameItem);
}

void CKTV_OutData::WriteAllItems() {
    uint8_t* b = ImageBlock();
    if (!b) return;
    eq_.WriteBands(b, eq_.GetBandCount());
    WriteBasicItem(0);
    WriteCrossoverItem(0);
    WriteMixItemB(0);
    WriteDynamicsItem(0);
    WriteMixItemA(0);
}

void CKTV_OutData::LoadFromImageBlock(const uint8_t* block) {
    if (!block) return;
    eq_.LoadBands(block, eq_.GetBandCount());
    name_.Load(block + kOutNameOffset);
    LoadBasicRecord(block + kOutBasicOffset);
    LoadCrossover(block + kOutCrossoverOffset);
    LoadDynamicsRecord(block + kOutDynamicsOffset);
    LoadMixRecordA(block + kOutMixAOffset);
    LoadMixRecordB(block + kOutMixBOffset);
}

void CKTV_OutData::LoadBasicRecord(const uint8_t* r) {
    on_ = r[0];
    polarity_ = r[1];
    delay_ = GetS16(r + 4);
    gain_ = GetS16(r + 2);
    mute_ = gain_ == 0 ? 1 : 0;
    eqMode_ = r[6];
    eq_.SetGraphicEq(eqMode_);
    speakerType_ = r[7];
}

void CKTV_OutData::LoadCrossover(const uint8_t* record) {
    eq_.LoadCrossover(record);
}

void CKTV_OutData::LoadDynamicsRecord(const uint8_t* r) {
    mix_[16] = r[0];
    mix_[17] = r[1];
    attack_ = GetS16(r + 2);
    release_ = GetS16(r + 4);
}

void CKTV_OutData::LoadMixRecordA(const uint8_t* r) {
    std::copy(r, r + 8, mix_);
}

void CKTV_OutData::LoadMixRecordB(const uint8_t* r) {
    std::copy(r, r + 8, mix_ + 8);
}

// --- Archive and curve ---------------------------------------------------------

void CKTV_OutData::Serialize(CArchive& ar) {
    name_.Serialize(ar);
    ar.Byte(on_);
    ar.Byte(polarity_);
    ar.Word(gain_);
    ar.Word(delay_);
    ar.Byte(speakerType_);
    ar.Byte(leftSource_);
    ar.Byte(rightSource_);
    ar.Byte(valueE_);
    ar.Byte(ratio_);
    ar.Word(attack_);
    ar.Word(release_);
    ar.Dword(allBandsBypassed_);
    eq_.Serialize(ar);
    if (ar.IsLoading()) {
        mute_ = gain_ == 0 ? 1 : 0;
        leftSourceOff_ = leftSource_ == 0 ? 1 : 0;
        rightSourceOff_ = rightSource_ == 0 ? 1 : 0;
        valueEOff_ = valueE_ == 0 ? 1 : 0;
    }
}

void CKTV_OutData::SetGraphRect(const GraphRect& plotArea) {
    curve_.SetGraphRect(plotArea, eq_);
    UpdateCurve();
}

void CKTV_OutData::UpdateCurve() {
    curve_.Update(eq_, false);
}
