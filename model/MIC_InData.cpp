#include "model/MIC_InData.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/TextCodec.h"
#include "model/ValueTexts.h"

#include <algorithm>
#include <cstring>

namespace {

const CInputChannel::Layout kMicLayout = {
    kGroupMic, 1,  kMicBlockOffset, kMicBlockSize, 73, 75, 76,
    78,        9,  // polarity, on, delay, gain; basic item
    80,        10, // crossover
    88,        11, // noise gate
    96,        12, // threshold
};
constexpr int kLevelByte = 72;
constexpr int kSwitchByte = 74;
constexpr int kNameOffset = 104;
constexpr size_t kNameSize = 8;

// At most n bytes of GBK text, never ending in half a character.
size_t FitGbk(const std::string& gbk, size_t n) {
    size_t used = 0;
    while (used < gbk.size()) {
        const size_t len = static_cast<uint8_t>(gbk[used]) >= 0x81 && used + 1 < gbk.size() ? 2 : 1;
        if (used + len > n) break;
        used += len;
    }
    return used;
}

} // namespace

CMIC_InData::CMIC_InData() : CInputChannel(kMicLayout) {
    gain_ = 400;
}

void CMIC_InData::BuildEq(int last, int item, int /*unused*/) {
    eq_.BuildFifteenBand(last, item, 20000);
}

void CMIC_InData::SetName(const std::string& name) {
    const std::string gbk = Utf8ToGbk(name).value_or(name);
    name_.fill(0);
    std::memcpy(name_.data(), gbk.data(), FitGbk(gbk, kNameSize));
    nameChanged_ = ChangeMark();
}

std::string CMIC_InData::GetName() const {
    const auto* end = std::find(name_.begin(), name_.end(), uint8_t{0});
    return GbkToUtf8(std::string(name_.begin(), end));
}

PacketPtr CMIC_InData::WriteBasicItem(int send) {
    if (uint8_t* b = ImageBlock()) {
        b[kLevelByte] = static_cast<uint8_t>(level_);
        b[kSwitchByte] = static_cast<uint8_t>(switch_);
    }
    return WriteBasicCommon(send);
}

void CMIC_InData::WriteAllItems() {
    uint8_t* b = ImageBlock();
    if (!b) return;
    eq_.WriteBands(b, eq_.GetBandCount());
    WriteBasicItem(0);
    WriteCrossoverItem(0);
    WriteThresholdItem(0);
    WriteNoiseGateItem(0);
}

// The crossover is loaded as settled values (both frequencies equal,
// nothing marked), as the other channels' loaders leave it.
void CMIC_InData::LoadFromImageBlock(const uint8_t* block) {
    if (!block) return;
    LoadCommon(block);
    std::copy(block + kNameOffset, block + kNameOffset + kNameSize, name_.begin());
    level_ = block[kLevelByte];
    switch_ = block[kSwitchByte];
}

std::string CMIC_InData::GetLevelText() const {
    if (level_ == 0) return g_LanguageFlag.load() ? " 关 " : " OFF ";
    return StrPrintf(g_LanguageFlag.load() ? " %d级" : " %dLevel", level_);
}

void CMIC_InData::Serialize(CArchive& ar) {
    std::string name(name_.begin(), std::find(name_.begin(), name_.end(), uint8_t{0}));
    ar.RawString(name);
    if (ar.IsLoading()) {
        name_.fill(0);
        std::memcpy(name_.data(), name.data(), std::min(name.size(), kNameSize));
    }
    ar.Dword(level_);
    ar.Dword(on_);
    ar.Dword(polarity_);
    ar.Dword(switch_);
    ar.Dword(gain_);
    ar.Dword(delay_);
    ar.Dword(noiseGate_);
    // The threshold is a 16-bit value in this archive.
    int16_t threshold = static_cast<int16_t>(threshold_);
    ar.Word(threshold);
    threshold_ = threshold;
    ar.Dword(thresholdA_);
    ar.Dword(thresholdB_);
    ar.Dword(allBandsBypassed_);
    eq_.Serialize(ar);
    if (ar.IsLoading()) mute_ = gain_ == 0 ? 1 : 0;
}
