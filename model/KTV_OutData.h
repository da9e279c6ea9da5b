// One of the processor's twelve output channels: on/off, polarity, gain,
// delay, EQ mode, speaker type, a 31-band equaliser with its crossover, the
// mix level of each of 18 input sources, the limiter's attack and release,
// and the per-output source choice of the system page.
//
// The device keeps an output as a 296-byte block of 37 items of 8 bytes:
//   0..30 bands (band records, see KTVEQ.h)
//   31  248 on, 249 polarity, 250..251 gain (0 while muted), 252..253 delay,
//       254 EQ mode, 255 speaker type
//   32  256..263 crossover record
//   33  264..271 mix levels of sources 1..8
//   34  272..279 mix levels of sources 9..16
//   35  280 source 17, 281 source 18, 282..283 attack, 284..285 release
//       (286..287 are not the channel's)
//   36  288..295 the lock bytes, which the channel also reads as its name
//
// Setters mark the item they change with g_DeviceSynced; the send poller
// packs a marked item into the image, clears the mark and sends it. The
// item writers pack an item into the current image and, with their flag
// set, return its packet for the caller to queue. They clear no mark.
#pragma once

#include "model/ChannelColors.h"
#include "model/ChannelCurve.h"
#include "model/FrameBuilder.h"
#include "model/KTVEQ.h"
#include "model/NameField.h"

#include <cstdint>
#include <string>

class CArchive;

constexpr int kMixSourceCount = 18;

class CKTV_OutData {
public:
    CKTV_OutData();
    CKTV_OutData(const CKTV_OutData&) = delete;
    CKTV_OutData& operator=(const CKTV_OutData&) = delete;

    // 31 bands, crossover item, high-pass drag option, high-pass and
    // low-pass frequencies.
    void BuildEq(int last, int item, int highPassOption, int highPassFreq, int lowPassFreq);

    // --- Device values (each marks its item) --------------------------------
    void SetName(const std::string& name);
    void SetGain(int16_t code); // also mutes at code 0
    void SetDelay(int16_t code);
    void SetOutputOn(uint8_t on);
    void SetPolarity(uint8_t polarity);
    // Hands the mode to the bands, not to the crossover filters.
    void SetEqMode(uint8_t mode);
    // Mix level of source 1..18; an equal value changes nothing, not even
    // the mark. Sources 1..8 are item 33, 9..16 item 34, 17 and 18 item 35.
    void SetMixLevel(int source, uint8_t level);
    uint8_t GetMixLevel(int source) const;
    void SetMixLevelSrc1(uint8_t v) { SetMixLevel(1, v); }
    void SetMixLevelSrc2(uint8_t v) { SetMixLevel(2, v); }
    void SetMixLevelSrc3(uint8_t v) { SetMixLevel(3, v); }
    void SetMixLevelSrc4(uint8_t v) { SetMixLevel(4, v); }
    void SetMixLevelSrc5(uint8_t v) { SetMixLevel(5, v); }
    void SetMixLevelSrc6(uint8_t v) { SetMixLevel(6, v); }
    void SetMixLevelSrc7(uint8_t v) { SetMixLevel(7, v); }
    void SetMixLevelSrc8(uint8_t v) { SetMixLevel(8, v); }
    void SetMixLevelSrc9(uint8_t v) { SetMixLevel(9, v); }
    void SetMixLevelSrc10(uint8_t v) { SetMixLevel(10, v); }
    void SetMixLevelSrc11(uint8_t v) { SetMixLevel(11, v); }
    void SetMixLevelSrc12(uint8_t v) { SetMixLevel(12, v); }
    void SetMixLevelSrc13(uint8_t v) { SetMixLevel(13, v); }
    void SetMixLevelSrc14(uint8_t v) { SetMixLevel(14, v); }
    void SetMixLevelSrc15(uint8_t v) { SetMixLevel(15, v); }
    void SetMixLevelSrc16(uint8_t v) { SetMixLevel(16, v); }
    void SetMixLevelSrc17(uint8_t v) { SetMixLevel(17, v); }
    void SetMixLevelSrc18(uint8_t v) { SetMixLevel(18, v); }
    uint8_t GetMixLevelSrc1() const { return GetMixLevel(1); }
    uint8_t GetMixLevelSrc2() const { return GetMixLevel(2); }
    uint8_t GetMixLevelSrc3() const { return GetMixLevel(3); }
    uint8_t GetMixLevelSrc4() const { return GetMixLevel(4); }
    uint8_t GetMixLevelSrc5() const { return GetMixLevel(5); }
    uint8_t GetMixLevelSrc6() const { return GetMixLevel(6); }
    uint8_t GetMixLevelSrc7() const { return GetMixLevel(7); }
    uint8_t GetMixLevelSrc8() const { return GetMixLevel(8); }
    uint8_t GetMixLevelSrc9() const { return GetMixLevel(9); }
    uint8_t GetMixLevelSrc10() const { return GetMixLevel(10); }
    uint8_t GetMixLevelSrc11() const { return GetMixLevel(11); }
    uint8_t GetMixLevelSrc12() const { return GetMixLevel(12); }
    uint8_t GetMixLevelSrc13() const { return GetMixLevel(13); }
    uint8_t GetMixLevelSrc14() const { return GetMixLevel(14); }
    uint8_t GetMixLevelSrc15() const { return GetMixLevel(15); }
    uint8_t GetMixLevelSrc16() const { return GetMixLevel(16); }
    // An equal value changes nothing.
    void SetAttackTime(int16_t code);
    void SetReleaseTime(int16_t code);

    // --- Speaker type, set-up and flags -------------------------------------
    // The type and its default crossover (marked, so item 32 is sent).
    void SetSpeakerType(int type);
    void ApplySpeakerCrossover(int type);
    // The type and the high-pass drag option only.
    void SetSpeakerTypeKeepCrossover(int type);
    void SetChannelIndex(int index);
    void SetLeftSourceOff(int off);
    void SetRightSourceOff(int off);
    void SetCurveColor(COLORREF color) { curveColor_ = color; }
    void SetCurveGdiColor(const ArgbColor& color) { curveArgb_ = color; }

    void SetNameDirty(int flag) { nameChanged_ = flag; }
    void SetBasicDirty(int flag) { basicChanged_ = flag; }
    void SetDynamicsDirty(int flag) { dynamicsChanged_ = flag; }
    void SetMixBDirty(int flag) { mixBChanged_ = flag; }
    void SetMixADirty(int flag) { mixAChanged_ = flag; }
    int IsNameDirty() const { return nameChanged_; }
    int IsBasicDirty() const { return basicChanged_; }
    int IsDynamicsDirty() const { return dynamicsChanged_; }
    int IsMixBDirty() const { return mixBChanged_; }
    int IsMixADirty() const { return mixAChanged_; }
    int IsSourceGroupDirty() const { return sourceGroupChanged_; }
    // Every item mark but the name's := flag; every filter steps with it.
    void SetAllDirty(int flag);
    bool TakeCrossoverChanged() { return eq_.TakeCrossoverChanged(); }
    // The channel-wide EQ bypass on every filter, crossovers included;
    // returns the filter count.
    int SetFiltersOption(int on);
    int UpdateAllEqBypassed();
    void CopyEqFrom(const CKTV_OutData& other);

    // Limiter and compressor values of the system page live nowhere in the model.
    void SetDynamicsParamA(int) {}
    void SetDynamicsParamB(int) {}
    void SetDynamicsParamC(int) {}
    void SetDynamicsParamD(int) {}
    void SetDynamicsParamE(int) {}
    int16_t GetDynamicsParamA() const { return 0; }
    int16_t GetDynamicsParamB() const { return 0; }
    int16_t GetDynamicsParamC() const { return 0; }
    int16_t GetDynamicsParamD() const { return 0; }

    // --- Getters ------------------------------------------------------------
    int16_t GetGain() const { return mute_ ? 0 : gain_; } // 0 while muted
    int IsMuted() const { return mute_; }
    int16_t GetDelay() const { return delay_; }
    uint8_t GetOutputOn() const { return on_; }
    uint8_t GetPolarity() const { return polarity_; }
    uint8_t GetEqMode() const { return eqMode_; }
    int16_t GetAttackTime() const { return attack_; }
    int16_t GetReleaseTime() const { return release_; }
    uint8_t GetSpeakerType() const { return speakerType_; }
    int GetChannelIndex() const { return channelIndex_; }
    uint8_t GetLeftSource() const { return leftSource_; }
    uint8_t GetRightSource() const { return rightSource_; }
    int GetLeftSourceOff() const { return leftSourceOff_; }
    int GetRightSourceOff() const { return rightSourceOff_; }
    std::string GetName() const { return name_.GetText(); }
    CKTVEQ& GetEq() { return eq_; }
    int GetFilterCount() const { return eq_.GetCount(); }
    // Element i (0..30 bands, 31 high-pass, 32 low-pass); null outside.
    CFilter* GetFilter(int i) const { return eq_.GetAt(i); }
    CFilter* GetHighPass() const { return eq_.GetHighPass(); }
    CFilter* GetLowPass() const { return eq_.GetLowPass(); }
    int GetHighPassIndex() const { return eq_.GetCount() - 2; }
    int GetLowPassIndex() const { return eq_.GetCount() - 1; }
    COLORREF GetCurveColor() const { return curveColor_; }
    ArgbColor GetCurveGdiColor() const { return curveArgb_; }
    // Item 35's values: source 17, source 18, attack, release.
    ItemRecord GetDynamicsRecord() const;

    // --- Value texts for the parameter report -------------------------------
    std::string GetGainText() const;
    std::string GetPolarityText() const;
    std::string GetOutputOnText() const;
    std::string GetDelayText() const;
    std::string GetAttackText() const;
    std::string GetReleaseText() const;
    std::string GetLeftSourceText() const;
    std::string GetRightSourceText() const;
    std::string GetPercentTextE() const;
    std::string GetPercentTextC() const;
    std::string GetPercentTextD() const;
    std::string GetRatioText() const;
    std::string GetLeftSwitchText() const;
    std::string GetRightSwitchText() const;
    // Bit 0..4 of the source switch bits.
    std::string GetSwitchBitText(int bit) const;
    std::string GetEmptyTextA() const { return std::string(); }
    std::string GetEmptyTextB() const { return std::string(); }
    std::string GetEmptyTextC() const { return std::string(); }

    // --- Block writers (current image) and loaders ---------------------------
    PacketPtr WriteBasicItem(int send);
    PacketPtr WriteCrossoverItem(int send);
    // The crossover's target frequencies at once, unmarked; always a packet.
    PacketPtr WriteCrossoverFromFilters();
    PacketPtr WriteMixItemA(int send);
    PacketPtr WriteMixItemB(int send);
    PacketPtr WriteDynamicsItem(int send);
    // Band i into item i; the packet carries item `item`.
    PacketPtr SendEqBand(int band, int item);
    // Item 36 as the image holds it.
    PacketPtr SendNameItem();
    // Bands, then items 31, 32, 34, 35, 33; item 36 untouched; no packet.
    void WriteAllItems();
    // From any block of this layout (current image or a stored preset);
    // raises no mark.
    void LoadFromImageBlock(const uint8_t* block);
    void LoadBasicRecord(const uint8_t* record);
    // Loaded values: the crossover is not marked.
    void LoadCrossover(const uint8_t* record);
    ItemRecord GetCrossoverRecord() const { return eq_.PackCrossover(); }
    void LoadDynamicsRecord(const uint8_t* record);
    void LoadMixRecordA(const uint8_t* record);
    void LoadMixRecordB(const uint8_t* record);

    // --- Archive and curve --------------------------------------------------
    void Serialize(CArchive& ar);
    void SetGraphRect(const GraphRect& plotArea);
    void UpdateCurve();
    void UpdateCurveOffset() { curve_.UpdateOffset(); }
    const CChannelCurve& GetCurve() const { return curve_; }
    // Raised by every change of the equaliser that the graph draws.
    std::uint64_t GetChangeCount() const { return eq_.GetChangeCount(); }

private:
    // This channel's block of the current image; null for an index outside 0..11.
    uint8_t* ImageBlock() const;
    PacketPtr Packet(int send, int item) const;
    void MarkBasic();

    CChannelCurve curve_;
    CNameField name_{CNameField::Read::AllBytes};
    CKTVEQ eq_;
    uint8_t polarity_ = 0;
    uint8_t on_ = 1;
    int16_t gain_ = 600;
    int mute_ = 0;
    int16_t delay_ = 0;
    uint8_t eqMode_ = 0;
    uint8_t speakerType_ = 0;
    uint8_t mix_[kMixSourceCount];
    int16_t attack_ = 20;
    int16_t release_ = 20;
    uint8_t leftSource_ = 50;
    uint8_t rightSource_ = 50;
    uint8_t valueC_ = 50;
    uint8_t valueD_ = 40;
    uint8_t valueE_ = 80;
    uint8_t ratio_ = 50;
    uint8_t switchBits_ = 16;
    int leftSourceOff_ = 1;
    int rightSourceOff_ = 1;
    int valueEOff_ = 0;
    int nameChanged_ = 0;
    int sourceGroupChanged_ = 0;
    int basicChanged_ = 0;
    int dynamicsChanged_ = 0;
    int mixBChanged_ = 0;
    int mixAChanged_ = 0;
    int channelIndex_ = 0;
    COLORREF curveColor_ = 0;
    ArgbColor curveArgb_{255, 0, 0, 0};
    int allBandsBypassed_ = 0;
};
