// How an edit of one output reaches the outputs edited together with it (the
// ones sharing its link key), and the output-wide equaliser switches: the
// rules the output page applies, kept here so they hold without a window.
// Callers hold g_DeviceLock while they change channel objects: the frame
// builders read them on the link worker.
#pragma once

#include <vector>

class CKTV_Data;
class CKTV_OutData;
class CFilter;

// The top band doubles as the phase filter: a special kind, its frequency
// the phase value, a fixed bandwidth code.
constexpr int kPhaseOffValue = 20; // the phase value of 0 degrees
constexpr int kPhaseBandwidthCode = 249;

// The outputs 0..11 other than `output` that share its link key, in order;
// empty for an output outside 0..11.
std::vector<int> LinkedOutputIndexes(int output);
// Their channel objects in the model (an output the model lacks is left out).
std::vector<CKTV_OutData*> LinkedOutputsOf(const CKTV_Data& data, int output);

// One field of an equaliser band as the band's column edits it.
enum class BandEdit : int { Freq, Q, Gain, Bypass };

// Copies only the edited field of band `band` of `source` to the same band of
// each target; the targets keep their other values. A target's top band that
// holds a phase becomes a peaking band again (a Q edit also puts its
// frequency back to 20 kHz). Bypass copies `bypass` (the source band's state
// after its click).
void CopyBandEdit(const CKTV_OutData& source, int band, BandEdit edit, int bypass,
                  const std::vector<CKTV_OutData*>& targets);

// The gain a band stores, as a code, whatever it reports while bypassed.
int StoredGainCode(const CFilter& band);

// A band dragged on the graph: frequency and Q go to each target, the gain
// only when the source band is really at the gain it reports (a bypassed band
// reports 0 dB while it keeps its own); a phase top band becomes peaking.
void CopyDraggedBand(const CKTV_OutData& source, int band,
                     const std::vector<CKTV_OutData*>& targets);

enum class CrossoverEdit : int { Freq, Family, Slope };

// Each target's high-pass (high) or low-pass takes the value as it is,
// whatever its own other crossover.
void CopyCrossoverEdit(bool high, CrossoverEdit edit, int value,
                       const std::vector<CKTV_OutData*>& targets);

// The phase kept in the output's top band: kPhaseOffValue makes it a plain
// peaking band at 20 kHz again.
void ApplyPhaseToTopBand(CKTV_OutData& out, int phase);

// What switching every band of an output off (wanted 1) or back on (0) did.
struct AllBypassStep {
    // Nothing to restore: every band is flat anyway, so the output stays
    // bypassed and nothing more is asked.
    bool allFlat = false;
    // The output's state afterwards: 1 every band bypassed.
    int state = 0;
};
AllBypassStep SwitchAllBandsBypass(CKTV_OutData& out, int wanted);

// Bypass-all spread over the current output's link group: the other members
// take `option`. Returns the members, the current output included, in
// order: the blocks to send.
std::vector<int> ApplyAllBypassToGroup(const CKTV_Data& data, int current, int option);
