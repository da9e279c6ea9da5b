// What the microphone and the music inputs have in common: an equaliser
// with its crossover, on/off, polarity, gain (muted at code 0), delay, a
// noise gate and a threshold with two parameters, and the writers of those
// items into their block of the current image. Each input names its own
// byte layout.
#pragma once

#include "model/ChannelColors.h"
#include "model/ChannelCurve.h"
#include "model/FrameBuilder.h"
#include "model/KTVEQ.h"

#include <cstdint>
#include <string>

class CInputChannel {
public:
    // Where an input keeps its items inside its block, and how it is sent.
    struct Layout {
        int group;       // frame group
        int channels;    // channel indexes 0..channels-1 have a block
        int blockOffset; // of channel 0 inside a parameter block
        int blockSize;
        int polarity, on, delay, gain; // bytes of the basic item
        int basicItem;
        int crossover, crossoverItem;
        int gate, gateItem;
        int threshold, thresholdItem;
    };

    explicit CInputChannel(const Layout& layout) : layout_(layout) {}
    CInputChannel(const CInputChannel&) = delete;
    CInputChannel& operator=(const CInputChannel&) = delete;

    void SetChannelIndex(int index) { channelIndex_ = index; }
    void SetCurveColor(COLORREF color) { curveColor_ = color; }
    void SetCurveGdiColor(const ArgbColor& color) { curveArgb_ = color; }

    int GetGain() const { return mute_ ? 0 : gain_; } // 0 while muted
    int IsMuted() const { return mute_; }
    int GetOn() const { return on_; }
    int GetPolarity() const { return polarity_; }
    int GetDelay() const { return delay_; }
    int GetNoiseGate() const { return noiseGate_; }
    int GetThreshold() const { return threshold_; }
    int GetChannelIndex() const { return channelIndex_; }
    CKTVEQ& GetEq() { return eq_; }
    int GetBandCount() const { return eq_.GetBandCount(); }
    // Element i (the bands, then high-pass and low-pass); null outside.
    CFilter* GetFilter(int i) const { return eq_.GetAt(i); }
    CFilter* GetHighPass() const { return eq_.GetHighPass(); }
    CFilter* GetLowPass() const { return eq_.GetLowPass(); }
    COLORREF GetCurveColor() const { return curveColor_; }
    ArgbColor GetCurveGdiColor() const { return curveArgb_; }

    int IsBasicDirty() const { return basicChanged_; }
    int IsNameDirty() const { return nameChanged_; }
    int IsGateDirty() const { return gateChanged_; }
    int IsThresholdDirty() const { return thresholdChanged_; }
    // Every mark := flag; every filter steps with it.
    void SetAllDirty(int flag);

    // Items into the current image; with send set, the item's packet.
    PacketPtr WriteCrossoverItem(int send);
    PacketPtr WriteThresholdItem(int send);
    PacketPtr WriteNoiseGateItem(int send);

    // Texts for the parameter report.
    std::string GetGainText() const;
    std::string GetPolarityText() const;
    std::string GetOnText() const;
    std::string GetDelayText() const;
    std::string GetThresholdText() const;
    std::string GetNoiseGateText() const;

    // Both sets of curve points from the equaliser.
    void UpdateCurve() { curve_.Update(eq_, true); }
    void UpdateCurveOffset() { curve_.UpdateOffset(); }
    const CChannelCurve& GetCurve() const { return curve_; }
    // Raised by every change of the equaliser that the graph draws.
    std::uint64_t GetChangeCount() const { return eq_.GetChangeCount(); }

protected:
    // This channel's block of the current image; null for an index without one.
    uint8_t* ImageBlock() const;
    PacketPtr Packet(int send, int item) const;
    // Polarity, on, delay and gain (0 while muted) into the basic item.
    PacketPtr WriteBasicCommon(int send);
    // Bands, basic values, crossover, gate and threshold; raises no mark.
    void LoadCommon(const uint8_t* block);

    const Layout layout_;
    CChannelCurve curve_;
    CKTVEQ eq_;
    int on_ = 1;
    int polarity_ = 0;
    int gain_ = 0;
    int mute_ = 0;
    int delay_ = 0;
    int noiseGate_ = 40;
    int threshold_ = 500;
    int thresholdA_ = 0;
    int thresholdB_ = 0;
    int basicChanged_ = 0;
    int nameChanged_ = 0;
    int gateChanged_ = 0;
    int thresholdChanged_ = 0;
    int channelIndex_ = 0;
    COLORREF curveColor_ = 0;
    ArgbColor curveArgb_{255, 0, 0, 0};
    int allBandsBypassed_ = 0;
};
