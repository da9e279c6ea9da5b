// The rows of the input mix page as data: one row per input source 1..18
// with its control ids, tooltip names, fader track and template place; the
// mix levels a speaker type starts from; which rows an active source makes
// live, dimmed or hidden; the edits' focus ring. Plain tables, so the page
// and its tests read the same ones.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

constexpr int kMixRowCount = 18;
// Rows 1..16 carry the named sources; 17 and 18 have no name and no step buttons.
constexpr int kNamedMixRows = 16;
constexpr int kMixLevelMax = 100;

// The control ids and template places of one row (dialog units of Arial 7).
struct MixRowLayout {
    int source; // 1..18
    // Tooltips: the high-level/AUX name on a device of variant 2 or 3, and
    // on any other variant; English then Chinese. Null for rows 17 and 18.
    const char* nameWideEn;
    const char* nameWideCn;
    const char* nameNarrowEn;
    const char* nameNarrowCn;
    int edit, spin, fader, greyFader, valueStatic, onOff, indicator;
    int stepDown, stepUp; // 0: none
    int track;            // the fader's track picture, 0: none
    int onOffX, editX, faderX;
    int editY, faderY, onOffY;
};

const std::array<MixRowLayout, kMixRowCount>& MixRows();
// The row of a source 1..18; null outside.
const MixRowLayout* MixRowOfSource(int source);

// Which control of a row an id names.
enum class MixPart {
    None,
    Edit,
    Spin,
    Fader,
    GreyFader,
    ValueStatic,
    OnOff,
    Indicator,
    StepDown,
    StepUp
};
struct MixControl {
    int source = 0; // 0: no row's
    MixPart part = MixPart::None;
};
MixControl FindMixControl(int id);
// Every control id of a row with its part (0 for the step buttons rows 17 and 18 lack).
std::array<std::pair<int, MixPart>, 9> MixRowParts(const MixRowLayout& row);

// The template's sixteen spare buttons: hidden, without pictures or function.
const std::array<int, 16>& MixSpareButtons();

// The tooltip of a row for the language (non-zero Chinese) and device
// variant; null for rows without a name.
const char* MixRowName(int source, int chinese, int variant);
// Devices of variant 2 or 3 have ten high-level inputs and two AUX inputs,
// the others six and six.
bool WideVariant(int variant);
// Whether the page has a place for the row of a source on a device variant:
// the twelve pictured rows, that is sources 1..6, 13..16 and the AUX pair
// (11 and 12, or on a device with six AUX inputs its AUX 1 and AUX 2, 7 and
// 8). The other rows lie below the picture or stay hidden.
bool MixRowHasPlace(int source, int variant);

// The level (0..100) of sources 1..16 that a speaker type 0..24 starts from;
// any type above 24 gives every source 0.
using MixPresetRow = std::array<uint8_t, kNamedMixRows>;
MixPresetRow MixPresetLevels(unsigned speakerType);

// Row states for an active source code (0 optical, 1 high-level, 2 phone,
// 3 AUX, 5 player) on a device variant; codes 4 and above 5 change nothing.
enum class MixRowState { Live, Dimmed, Hidden };
using MixRowStates = std::array<MixRowState, kNamedMixRows>;
bool MixRowStatesFor(unsigned code, int variant, MixRowStates& out);

// The edits' focus ring, source 1 to 18 and round again: the edit after or
// before an edit id; 0 for an id that is no row's edit.
int NextMixEdit(int editId);
int PreviousMixEdit(int editId);

// What a row's change says to the send step, carried by value in the
// message: output 0..11 and source 1..18, packed into a WPARAM.
struct MixChange {
    int output;
    int source;
};
inline uintptr_t PackMixChange(int output, int source) {
    return (static_cast<uintptr_t>(source & 0xFF) << 8) | static_cast<uintptr_t>(output & 0xFF);
}
inline MixChange UnpackMixChange(uintptr_t w) {
    return MixChange{static_cast<int>(w & 0xFF), static_cast<int>((w >> 8) & 0xFF)};
}
