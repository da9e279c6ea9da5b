// The processor's microphone input. No page edits it and the poller never
// sends it: it is loaded from its block, written back with the rest of the
// preset and stored in the document.
//
// Its 112-byte block (14 items of 8 bytes):
//   0..8  bands (band records, see KTVEQ.h)
//   9     72 level, 73 polarity, 74 switch, 75 on, 76..77 delay,
//         78..79 gain (0 while muted)
//   10    80..87 crossover record
//   11    88 noise gate (89..95 not the channel's)
//   12    96..97 threshold, 98 parameter A, 99 parameter B (100..103 not the channel's)
//   13    104..111 name, 8 bytes
#pragma once

#include "model/InputChannel.h"

#include <array>
#include <cstdint>
#include <string>

class CArchive;

class CMIC_InData : public CInputChannel {
public:
    CMIC_InData();

    // 9 bands and the crossover item (the third argument is not used).
    void BuildEq(int last, int item, int unused);

    // At most 8 bytes of the text (as GBK), cut before a split character.
    void SetName(const std::string& name);
    // The name up to its first zero byte.
    std::string GetName() const;

    PacketPtr WriteBasicItem(int send);
    // Bands, then items 9, 10, 12, 11; the name is not written; no packet.
    void WriteAllItems();
    // From any block of this layout; raises no mark.
    void LoadFromImageBlock(const uint8_t* block);

    std::string GetLevelText() const;

    void Serialize(CArchive& ar);

private:
    std::array<uint8_t, 8> name_{};
    int level_ = 0;
    int switch_ = 1;
};
