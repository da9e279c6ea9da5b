#include "model/SpeakerGroups.h"

#include "model/SpeakerTypes.h"

#include <algorithm>
#include <iterator>

UiThreadOnly<CSpeakerGroups> g_SpeakerGroups;

namespace {

template <typename G> void ClearGroup(G& g) {
    g.state = -1;
    std::fill(std::begin(g.slots), std::end(g.slots), -1);
}

template <typename G> int Members(const G& g) {
    return static_cast<int>(
        std::count_if(std::begin(g.slots), std::end(g.slots), [](int s) { return s >= 0; }));
}

template <typename G> void SetAvailability(G& g, int n) {
    g.state = (n == 2 || n == 3) ? 0 : -1;
}

void SetPairMode(FrontSpeakerGroup& g, int n, int tweeter, int woofer) {
    if (n == 2) {
        const int a = g.memberTypes[0], b = g.memberTypes[1];
        if (a == tweeter || b == tweeter)
            g.pairMode = (a == woofer || b == woofer) ? 2 : 1;
        else
            g.pairMode = 3;
    } else if (n == 3) {
        g.pairMode = 4;
    }
}

// Range of types that link together, by the type of one member.
int RangeOf(int t) {
    if (t >= 1 && t <= 5) return 1;
    if (t >= 7 && t <= 11) return 2;
    if (t >= 13 && t <= 14) return 3;
    if (t >= 16 && t <= 17) return 4;
    if (t >= 19 && t <= 20) return 5;
    return 0;
}

} // namespace

void CSpeakerGroups::Clear() {
    ClearGroup(centre);
    ClearGroup(frontLeft);
    ClearGroup(frontRight);
    ClearGroup(rearLeft);
    ClearGroup(rearRight);
    ClearGroup(subwoofers);
    for (FrontSpeakerGroup* g : {&frontLeft, &frontRight}) {
        g->pairMode = -1;
        std::fill(std::begin(g->memberTypes), std::end(g->memberTypes), -1);
    }
}

void CSpeakerGroups::Analyse() {
    Clear();
    int frontCount[2] = {0, 0};
    for (int k = 0; k < 12; ++k) {
        const int t = g_OutputSpeakerType[k];
        if ((t >= 1 && t <= 5) || (t >= 7 && t <= 11)) {
            FrontSpeakerGroup& g = t <= 5 ? frontLeft : frontRight;
            int& n = frontCount[t <= 5 ? 0 : 1];
            g.slots[k] = k;
            if (n < 3) g.memberTypes[n] = t;
            ++n;
        } else if (int* slots = SlotsOfType(t)) {
            slots[k] = k;
        }
    }
    SetAvailability(centre, Members(centre));
    SetAvailability(rearLeft, Members(rearLeft));
    SetAvailability(rearRight, Members(rearRight));
    SetAvailability(subwoofers, Members(subwoofers));
    SetAvailability(frontLeft, frontCount[0]);
    SetAvailability(frontRight, frontCount[1]);
    SetPairMode(frontLeft, frontCount[0], 1, 3);
    SetPairMode(frontRight, frontCount[1], 7, 9);
}

int* CSpeakerGroups::StateOfType(int t) {
    if (t >= 1 && t <= 5) return &frontLeft.state;
    if (t >= 7 && t <= 11) return &frontRight.state;
    if (t >= 13 && t <= 14) return &rearLeft.state;
    if (t >= 16 && t <= 17) return &rearRight.state;
    if (t >= 19 && t <= 20) return &centre.state;
    if (t >= 22 && t <= 23) return &subwoofers.state;
    return nullptr;
}

const int* CSpeakerGroups::SlotsOfType(int t) const {
    if (t >= 1 && t <= 5) return frontLeft.slots;
    if (t >= 7 && t <= 11) return frontRight.slots;
    if (t >= 13 && t <= 14) return rearLeft.slots;
    if (t >= 16 && t <= 17) return rearRight.slots;
    if (t >= 19 && t <= 20) return centre.slots;
    if (t >= 22 && t <= 23) return subwoofers.slots;
    return nullptr;
}

bool IsSameSpeakerGroup(int a, int b) {
    if (a < 0 || a >= 12 || b < 0 || b >= 12) return false;
    const int ra = RangeOf(g_OutputSpeakerType[a]);
    return ra != 0 && ra == RangeOf(g_OutputSpeakerType[b]);
}
