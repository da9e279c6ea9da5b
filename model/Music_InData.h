// One of the processor's four music inputs (the sources whose 31-band
// equaliser the input page edits).
//
// Its 288-byte block (36 items of 8 bytes):
//   0..30 bands (band records, see KTVEQ.h)
//   31  248 (not the channel's), 249 polarity, 250 EQ mode, 251 on,
//       252..253 delay, 254..255 gain (0 while muted)
//   32  256..263 crossover record
//   33  264 noise gate (265..271 not the channel's)
//   34  272..273 threshold, 274 parameter A, 275 parameter B
//   35  280..287 name, 8-byte text field
// The poller sends items 31 and 33 and changed bands; items 32, 34 and 35
// reach the device only inside whole-block frames.
#pragma once

#include "model/InputChannel.h"
#include "model/NameField.h"

#include <string>

class CArchive;

class CMusic_InData : public CInputChannel {
public:
    CMusic_InData();

    // 31 bands and the crossover item (the third argument is not used).
    void BuildEq(int last, int item, int unused);

    // A new name: written into item 35 by the next WriteAllItems, also when
    // a block is loaded before that.
    void SetName(const std::string& name);
    // The name a new input starts with, as if its field held it.
    void SetDefaultName(const std::string& name) {
        name_ = CNameField(CNameField::Read::Text, name);
    }
    std::string GetName() const { return name_.GetText(); }
    void SetSpareValue(int v) { spare_ = v; }
    int GetSpareValue() const { return spare_; }

    // Gain code; code 0 mutes, any other unmutes. Marks item 31.
    void SetGain(int code);
    void SetOn(int on);
    // Hands the mode to the bands. Marks item 31.
    void SetEqMode(int mode);
    int GetEqMode() const { return eqMode_; }
    // Marks item 33, also for an unchanged value.
    void SetNoiseGate(int code);
    // The channel-wide EQ bypass on the bands (not the crossover filters).
    void SetFiltersOption(int on);
    int UpdateAllEqBypassed();

    void SetBasicDirty(int flag) { basicChanged_ = flag; }
    void SetGateDirty(int flag) { gateChanged_ = flag; }

    PacketPtr WriteBasicItem(int send);
    // Band i into item i; the packet carries item `item`.
    PacketPtr SendEqBand(int band, int item);
    // Bands, the name (item 35: the bytes it was loaded from, or a new
    // name), items 31, 32, 34, 33; no packet. A refused new name says why.
    TextFieldError WriteAllItems();
    // From any block of this layout, the name's bytes included (a new name
    // not yet written stays); no mark raised.
    void LoadFromImageBlock(const uint8_t* block);

    void Serialize(CArchive& ar);
    void SetGraphRect(const GraphRect& plotArea);

private:
    CNameField name_{CNameField::Read::Text};
    int eqMode_ = 1;
    int spare_ = 1;
};
