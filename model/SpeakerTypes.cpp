#include "model/SpeakerTypes.h"

#include "model/Globals.h"

#include <algorithm>

UiThreadOnly<uint8_t[kSpeakerTypeTableSize]> g_SpeakerTypeState;
uint8_t* const g_OutputSpeakerType = g_SpeakerTypeState + 26;
UiThreadOnly<uint8_t[kSpeakerTypeTableSize]> g_SpeakerTypeStateDefaults;
UiThreadOnly<SpeakerPair[6]> g_SpeakerPairsLR;

namespace {

const SpeakerTypeInfo kTypes[kSpeakerTypeCount] = {
    {"NULL", "空", -1},
    {"FL-Tweeter", "前置左高频", 7},
    {"FL-Midrange", "前置左中频", 8},
    {"FL-Woofer", "前置左低频", 9},
    {"FL-M && T", "前置左中高频", 10},
    {"FL-M && WF", "前置左中低频", 11},
    {"FL-Full", "前置左全频", 12},
    {"FR-Tweeter", "前置右高频", 1},
    {"FR-Midrange", "前置右中频", 2},
    {"FR-Woofer", "前置右低频", 3},
    {"FR-M && T", "前置右中高频", 4},
    {"FR-M && WF", "前置右中低频", 5},
    {"FR-Full", "前置右全频", 6},
    {"RL-Tweeter", "后置左高频", 16},
    {"RL-Woofer", "后置左低频", 17},
    {"RL-Full", "后置左全频", 18},
    {"RR-Tweeter", "后置右高频", 13},
    {"RR-Woofer", "后置右低频", 14},
    {"RR-Full", "后置右全频", 15},
    {"C-Tweeter", "中置高频", -1},
    {"C-Woofer", "中置低频", -1},
    {"C-Full", "中置全频", -1},
    {"L-Subwoofer", "左超低频", 23},
    {"R-Subwoofer", "右超低频", 22},
    {"Subwoofer", "超低频", -1},
};

uint8_t (&S)[kSpeakerTypeTableSize] = g_SpeakerTypeState;

uint8_t Keep(uint8_t x) {
    return x == kTypeHeld ? kTypeHeld : kTypeFree;
}
bool Held(int t) {
    return S[t] == kTypeHeld;
}

bool NoTweeter() {
    return !Held(1) && !Held(7);
}
bool NoMid() {
    return !Held(2) && !Held(8);
}
bool NoWoofer() {
    return !Held(3) && !Held(9);
}
bool NoMidTweeter() {
    return !Held(4) && !Held(10);
}
bool NoMidWoofer() {
    return !Held(5) && !Held(11);
}
bool NoFrontPart() {
    for (int t : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11})
        if (Held(t)) return false;
    return true;
}
bool NoRearPart() {
    return !Held(13) && !Held(14) && !Held(16) && !Held(17);
}

// Copies the states of one side's types (from..from+count-1) to the other
// side (offset away), leaving held partners alone.
void Mirror(int from, int count, int offset) {
    for (int k = from; k < from + count; ++k) {
        const int partner = k + offset;
        if (Held(partner)) continue;
        S[partner] = S[k] == kTypeHeld ? kTypeFree : S[k];
    }
}

// Front side: base 0 for the left types 1..6, 6 for the right types 7..12.
void TakeFront(int type, int base) {
    const int k = type - base; // 1..6
    auto s = [&](int i) -> uint8_t& { return S[base + i]; };
    switch (k) {
    case 1:
        s(1) = kTypeHeld;
        s(2) = NoMidWoofer() ? Keep(s(2)) : kTypeExcluded;
        s(3) = NoMidWoofer() ? Keep(s(3)) : kTypeExcluded;
        s(4) = kTypeExcluded;
        s(5) = NoMid() && NoWoofer() ? Keep(s(5)) : kTypeExcluded;
        s(6) = kTypeExcluded;
        break;
    case 2:
        s(1) = Keep(s(1));
        s(2) = kTypeHeld;
        s(3) = Keep(s(3));
        s(4) = kTypeExcluded;
        s(5) = kTypeExcluded;
        s(6) = kTypeExcluded;
        break;
    case 3:
        s(1) = NoMidTweeter() ? Keep(s(1)) : kTypeExcluded;
        s(2) = NoMidTweeter() ? Keep(s(2)) : kTypeExcluded;
        s(3) = kTypeHeld;
        s(4) = NoMid() && NoTweeter() ? Keep(s(4)) : kTypeExcluded;
        s(5) = kTypeExcluded;
        s(6) = kTypeExcluded;
        break;
    case 4:
        s(1) = kTypeExcluded;
        s(2) = kTypeExcluded;
        s(3) = Keep(s(3));
        s(4) = kTypeHeld;
        s(5) = kTypeExcluded;
        s(6) = kTypeExcluded;
        break;
    case 5:
        s(1) = Keep(s(1));
        s(2) = kTypeExcluded;
        s(3) = kTypeExcluded;
        s(4) = kTypeExcluded;
        s(5) = kTypeHeld;
        s(6) = kTypeExcluded;
        break;
    case 6:
        for (int i = 1; i <= 5; ++i)
            s(i) = kTypeExcluded;
        s(6) = kTypeHeld;
        break;
    default:
        return;
    }
    if (base == 0)
        Mirror(1, 6, 6);
    else
        Mirror(7, 6, -6);
}

void ReleaseFront(int type, int base) {
    const int k = type - base;
    auto s = [&](int i) -> uint8_t& { return S[base + i]; };
    const int otherFull = base == 0 ? 12 : 6;
    switch (k) {
    case 1:
        s(1) = kTypeFree;
        if (NoMid() && NoTweeter() && NoMidWoofer()) s(4) = kTypeFree;
        break;
    case 2:
        s(2) = kTypeFree;
        if (NoMid()) {
            if (s(1) == kTypeFree) s(4) = kTypeFree;
            if (s(3) == kTypeFree) s(5) = kTypeFree;
        }
        break;
    case 3:
        s(3) = kTypeFree;
        if (NoMid() && NoWoofer() && NoMidTweeter()) s(5) = kTypeFree;
        break;
    case 4:
        s(4) = kTypeFree;
        if (NoMidTweeter()) {
            s(1) = kTypeFree;
            s(2) = kTypeFree;
        }
        if (NoMidTweeter() && NoWoofer()) s(5) = kTypeFree;
        break;
    case 5:
        s(5) = kTypeFree;
        if (NoMidWoofer()) {
            s(2) = kTypeFree;
            s(3) = kTypeFree;
        }
        if (NoMidWoofer() && NoTweeter()) s(4) = kTypeFree;
        break;
    case 6:
        if (!Held(otherFull))
            for (int i = 1; i <= 5; ++i)
                s(i) = kTypeFree;
        s(6) = kTypeFree;
        break;
    default:
        return;
    }
    if (k >= 1 && k <= 5) s(6) = NoFrontPart() ? kTypeFree : kTypeExcluded;
    if (base == 0)
        Mirror(1, 6, 6);
    else
        Mirror(7, 6, -6);
}

// Rear side: base 12 for the left types 13..15, 15 for the right 16..18.
void TakeRear(int type, int base) {
    const int tw = base + 1, wf = base + 2, full = base + 3;
    if (type == tw) {
        S[wf] = Keep(S[wf]);
        S[tw] = kTypeHeld;
        S[full] = kTypeExcluded;
    } else if (type == wf) {
        S[wf] = kTypeHeld;
        S[tw] = Keep(S[tw]);
        S[full] = kTypeExcluded;
    } else {
        S[wf] = kTypeExcluded;
        S[tw] = kTypeExcluded;
        S[full] = kTypeHeld;
    }
    if (base == 12)
        Mirror(13, 3, 3);
    else
        Mirror(16, 3, -3);
}

void ReleaseRear(int type, int base) {
    const int tw = base + 1, wf = base + 2, full = base + 3;
    const int otherFull = base == 12 ? 18 : 15;
    if (type == tw || type == wf) {
        S[type] = kTypeFree;
        S[full] = NoRearPart() ? kTypeFree : kTypeExcluded;
    } else {
        if (!Held(otherFull)) S[tw] = S[wf] = kTypeFree;
        S[full] = kTypeFree;
    }
    if (base == 12)
        Mirror(13, 3, 3);
    else
        Mirror(16, 3, -3);
}

// Centre (19, 20, 21) and subwoofers (22, 23, 24): two parts and a full type.
void TakeTriple(int type, int a) {
    const int b = a + 1, full = a + 2;
    if (type == a) {
        S[a] = kTypeHeld;
        S[b] = Keep(S[b]);
        S[full] = kTypeExcluded;
    } else if (type == b) {
        S[a] = Keep(S[a]);
        S[b] = kTypeHeld;
        S[full] = kTypeExcluded;
    } else {
        S[a] = kTypeExcluded;
        S[b] = kTypeExcluded;
        S[full] = kTypeHeld;
    }
}

void ReleaseTriple(int type, int a) {
    const int b = a + 1, full = a + 2;
    if (type == a) {
        S[a] = kTypeFree;
        S[full] = Held(b) ? kTypeExcluded : kTypeFree;
    } else if (type == b) {
        S[b] = kTypeFree;
        S[full] = Held(a) ? kTypeExcluded : kTypeFree;
    } else {
        S[a] = S[b] = S[full] = kTypeFree;
    }
}

bool SearchPairs(SpeakerPair (&pairs)[6]) {
    for (auto& p : pairs)
        p.used = 0;
    for (int i = 0; i <= 10; ++i) {
        const SpeakerTypeInfo* info = GetSpeakerTypeInfo(OutputSpeakerType(i));
        if (!info || info->mirror < 0) continue;
        for (int j = i + 1; j < 12; ++j) {
            if (OutputSpeakerType(j) != info->mirror) continue;
            for (auto& p : pairs) {
                if (p.used) continue;
                p = {i, j, 1};
                break;
            }
            break;
        }
    }
    bool any = false;
    for (auto& p : pairs) {
        if (!p.used) continue;
        any = true;
        if (GetOutputSide(p.left) == 1) std::swap(p.left, p.right);
    }
    return any;
}

} // namespace

int OutputSpeakerType(int output) {
    if (output < 0 || output >= 12) return 0;
    return EffectiveSpeakerType(g_OutputSpeakerType[output]);
}

const SpeakerTypeInfo* GetSpeakerTypeInfo(int type) {
    if (type < 0 || type >= kSpeakerTypeCount) return nullptr;
    return &kTypes[type];
}

const char* SpeakerTypeName(int type) {
    const SpeakerTypeInfo* info = GetSpeakerTypeInfo(type);
    if (!info) return "";
    return g_LanguageFlag.load() ? info->cn : info->en;
}

void ResetSpeakerTypeStates() {
    std::fill(std::begin(S), std::end(S), kTypeFree);
}

void RecomputeSpeakerTypeStates() {
    for (int o = 0; o < 12; ++o)
        TakeSpeakerType(g_OutputSpeakerType[o]);
}

void TakeSpeakerType(int type, int) {
    type = EffectiveSpeakerType(type);
    if (type == 0)
        S[0] = kTypeHeld;
    else if (type >= 1 && type <= 6)
        TakeFront(type, 0);
    else if (type >= 7 && type <= 12)
        TakeFront(type, 6);
    else if (type >= 13 && type <= 15)
        TakeRear(type, 12);
    else if (type >= 16 && type <= 18)
        TakeRear(type, 15);
    else if (type >= 19 && type <= 21)
        TakeTriple(type, 19);
    else if (type >= 22 && type <= 24)
        TakeTriple(type, 22);
}

void ReleaseSpeakerType(int type, int output) {
    type = EffectiveSpeakerType(type);
    if (type == 0) {
        bool other = false;
        for (int o = 0; o < 12; ++o)
            if (o != output && OutputSpeakerType(o) == 0) other = true;
        S[0] = other ? kTypeHeld : kTypeFree;
    } else if (type >= 1 && type <= 6)
        ReleaseFront(type, 0);
    else if (type >= 7 && type <= 12)
        ReleaseFront(type, 6);
    else if (type >= 13 && type <= 15)
        ReleaseRear(type, 12);
    else if (type >= 16 && type <= 18)
        ReleaseRear(type, 15);
    else if (type >= 19 && type <= 21)
        ReleaseTriple(type, 19);
    else if (type >= 22 && type <= 24)
        ReleaseTriple(type, 22);
}

bool FindSpeakerPairs() {
    SpeakerPair scratch[6];
    return SearchPairs(scratch);
}

bool FindSpeakerPairsLeftFirst() {
    return SearchPairs(g_SpeakerPairsLR);
}

// A byte above 24 is no type: it repeats nothing and stays as it is.
bool ClearDuplicateSpeakerTypes() {
    bool cleared = false;
    for (int i = 0; i <= 10; ++i) {
        const uint8_t t = g_OutputSpeakerType[i];
        if (EffectiveSpeakerType(t) == 0) continue;
        for (int j = i + 1; j < 12; ++j) {
            if (g_OutputSpeakerType[j] == t) {
                g_OutputSpeakerType[j] = 0;
                cleared = true;
            }
        }
    }
    return cleared;
}

int GetOutputSide(int output) {
    if (output < 0 || output >= 12) return -1;
    const int t = OutputSpeakerType(output);
    if ((t >= 1 && t <= 6) || (t >= 13 && t <= 15) || t == 22) return 0;
    if ((t >= 7 && t <= 12) || (t >= 16 && t <= 18) || t == 23) return 1;
    return -1;
}

bool AnyOutputTyped() {
    for (int o = 0; o < 12; ++o)
        if (OutputSpeakerType(o) != 0) return true;
    return false;
}

int SpeakerTypeMenuPosition(int type) {
    if (type == 0) return 0;
    if (type >= 1 && type <= 6) return type - 1;
    if (type >= 7 && type <= 12) return type - 7;
    if (type >= 13 && type <= 15) return type - 13;
    if (type >= 16 && type <= 18) return type - 16;
    if (type >= 19 && type <= 21) return type - 19;
    if (type >= 22 && type <= 24) return type - 22;
    return -1;
}
