// Speaker-type link groups: the outputs that drive parts of one speaker
// position, rebuilt from the outputs' speaker types.
#pragma once

#include "model/DeviceLock.h"
#include "model/ThreadRole.h"

enum SpeakerGroupState : int { kGroupUnavailable = -1, kGroupAvailable = 0, kGroupLinked = 1 };

struct SpeakerGroup {
    int state = -1;
    int slots[12];
};
struct FrontSpeakerGroup {
    int state = -1;
    // -1 none; 1 tweeter and a non-woofer; 2 tweeter and woofer; 3 two without
    // the tweeter; 4 three members.
    int pairMode = -1;
    int memberTypes[3];
    int slots[12];
};

class CSpeakerGroups {
public:
    SpeakerGroup centre;
    FrontSpeakerGroup frontLeft;
    FrontSpeakerGroup frontRight;
    SpeakerGroup rearLeft;
    SpeakerGroup rearRight;
    SpeakerGroup subwoofers;

    CSpeakerGroups() { Clear(); }
    // Rebuilds all six groups from g_OutputSpeakerType; linking does not survive.
    void Analyse();
    // State and slots of the group of a speaker type; null for a type in no group.
    int* StateOfType(int type);
    const int* SlotsOfType(int type) const;
    int* SlotsOfType(int type) {
        return const_cast<int*>(static_cast<const CSpeakerGroups*>(this)->SlotsOfType(type));
    }

private:
    void Clear();
};

extern UiThreadOnly<CSpeakerGroups> g_SpeakerGroups;

// TRUE when both outputs' types lie in the same linkable range.
bool IsSameSpeakerGroup(int a, int b);
