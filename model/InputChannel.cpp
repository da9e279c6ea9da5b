#include "model/InputChannel.h"

#include "model/DataDefine.h"
#include "model/ValueTexts.h"

#include <algorithm>

void CInputChannel::SetAllDirty(int flag) {
    basicChanged_ = nameChanged_ = gateChanged_ = thresholdChanged_ = flag;
    eq_.StepAll(flag);
}

uint8_t* CInputChannel::ImageBlock() const {
    if (channelIndex_ < 0 || channelIndex_ >= layout_.channels) return nullptr;
    return g_ParamImage + layout_.blockOffset + layout_.blockSize * channelIndex_;
}

PacketPtr CInputChannel::Packet(int send, int item) const {
    return send ? BuildItemPacket(layout_.group, channelIndex_, item) : nullptr;
}

PacketPtr CInputChannel::WriteBasicCommon(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    b[layout_.polarity] = static_cast<uint8_t>(polarity_);
    b[layout_.on] = static_cast<uint8_t>(on_);
    PutU16(b + layout_.delay, static_cast<unsigned>(delay_));
    PutU16(b + layout_.gain, static_cast<unsigned>(GetGain()));
    return Packet(send, layout_.basicItem);
}

PacketPtr CInputChannel::WriteCrossoverItem(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    const ItemRecord r = eq_.PackCrossover();
    std::copy(r.begin(), r.end(), b + layout_.crossover);
    return Packet(send, layout_.crossoverItem);
}

PacketPtr CInputChannel::WriteThresholdItem(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    PutU16(b + layout_.threshold, static_cast<unsigned>(threshold_));
    b[layout_.threshold + 2] = static_cast<uint8_t>(thresholdA_);
    b[layout_.threshold + 3] = static_cast<uint8_t>(thresholdB_);
    return Packet(send, layout_.thresholdItem);
}

PacketPtr CInputChannel::WriteNoiseGateItem(int send) {
    uint8_t* b = ImageBlock();
    if (!b) return nullptr;
    b[layout_.gate] = static_cast<uint8_t>(noiseGate_);
    return Packet(send, layout_.gateItem);
}

void CInputChannel::LoadCommon(const uint8_t* block) {
    eq_.LoadBands(block, eq_.GetBandCount());
    polarity_ = block[layout_.polarity];
    on_ = block[layout_.on];
    delay_ = GetS16(block + layout_.delay);
    gain_ = GetS16(block + layout_.gain);
    mute_ = gain_ == 0 ? 1 : 0;
    eq_.LoadCrossover(block + layout_.crossover);
    noiseGate_ = block[layout_.gate];
    threshold_ = GetS16(block + layout_.threshold);
    thresholdA_ = block[layout_.threshold + 2];
    thresholdB_ = block[layout_.threshold + 3];
}

std::string CInputChannel::GetGainText() const {
    return InputGainText(gain_);
}
std::string CInputChannel::GetPolarityText() const {
    return PolarityText(polarity_);
}
std::string CInputChannel::GetOnText() const {
    return OnOffText(on_);
}
std::string CInputChannel::GetDelayText() const {
    return DelayText(delay_);
}
std::string CInputChannel::GetThresholdText() const {
    return ThresholdText(threshold_);
}
std::string CInputChannel::GetNoiseGateText() const {
    return NoiseGateText(noiseGate_);
}
