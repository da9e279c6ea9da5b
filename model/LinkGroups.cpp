#include "model/LinkGroups.h"

#include <algorithm>
#include <iterator>

UiThreadOnly<int[kLinkGroupTotal]> g_LinkGroupInUse;
UiThreadOnly<int[kLinkGroupTotal]> g_LinkGroupCount;
UiThreadOnly<int[kLinkGroupTotal]> g_LinkGroupMask;
UiThreadOnly<LinkRecord[kOutputCount]> g_LinkRecord;
UiThreadOnly<int[kOutputCount]> g_ChannelModified;
UiThreadOnly<int> g_LinkGroupOrigin{-1};

namespace {

bool IsGroup(int group) {
    return group >= 0 && group < kLinkGroupTotal;
}

bool IsOutput(int output) {
    return output >= 0 && output < kOutputCount;
}

} // namespace

void ResetLinkGroups() {
    std::fill(std::begin(g_LinkGroupInUse), std::end(g_LinkGroupInUse), 0);
    std::fill(std::begin(g_LinkGroupCount), std::end(g_LinkGroupCount), 0);
    std::fill(std::begin(g_LinkGroupMask), std::end(g_LinkGroupMask), 0);
    std::fill(std::begin(g_LinkRecord), std::end(g_LinkRecord), LinkRecord{});
    std::fill(std::begin(g_ChannelModified), std::end(g_ChannelModified), 0);
    g_LinkGroupOrigin = -1;
    g_LinkGroupOpen = 0;
}

int FindFreeLinkGroup() {
    for (int g = 0; g < kLinkGroupTotal; ++g)
        if (g_LinkGroupInUse[g] == 0) return g;
    return kNoLinkGroup;
}

int MemberLinkGroup(int output) {
    if (!IsOutput(output)) return kNoLinkGroup;
    int group = kNoLinkGroup;
    {
        DeviceLockGuard lock(g_DeviceLock);
        group = LinkKeyGroupIndex(g_LinkKey[output]);
    }
    if (group != kNoLinkGroup) return group;
    const LinkRecord& r = g_LinkRecord[output];
    if (r.suspended == 0 && IsGroup(r.group) && g_LinkGroupInUse[r.group] &&
        (g_LinkGroupMask[r.group] & (1 << output)))
        return r.group;
    return kNoLinkGroup;
}

void AddToLinkGroup(int output, int group) {
    if (!IsOutput(output) || !IsGroup(group)) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_LinkKey[output] = GroupLinkKey(group + 1);
    }
    LinkRecord& r = g_LinkRecord[output];
    // An output suspended from one group that joins another can no longer
    // rejoin the first.
    if (r.suspended && IsGroup(r.group) && r.group != group)
        g_LinkGroupMask[r.group] &= ~(1 << output);
    g_LinkGroupCount[group] += 1;
    g_LinkGroupMask[group] |= 1 << output;
    r = {0, group};
}

void OpenLinkGroup(int output, int group) {
    if (!IsOutput(output) || !IsGroup(group)) return;
    g_LinkGroupOpen = 1;
    g_LinkGroupOrigin = output;
    g_LinkGroupInUse[group] = 1;
    AddToLinkGroup(output, group);
}

void LeaveLinkGroup(int output, int group) {
    if (!IsOutput(output)) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_LinkKey[output] = LeftGroupLinkKey(output);
    }
    g_ChannelModified[output] = 0;
    g_LinkGroupOpen = 0;
    if (!IsGroup(group)) return;
    g_LinkGroupCount[group] = std::max(0, g_LinkGroupCount[group] - 1);
    if (g_LinkGroupCount[group] > 0) return;
    g_LinkGroupInUse[group] = 0;
    for (int k = 0; k < kOutputCount; ++k)
        if (g_LinkGroupMask[group] & (1 << k)) g_LinkRecord[k].suspended = 0;
    g_LinkGroupMask[group] = 0;
}

int RejoinSource(int output, int group) {
    if (!IsGroup(group)) return kNoLinkGroup;
    DeviceLockGuard lock(g_DeviceLock);
    for (int s = 0; s < kOutputCount; ++s) {
        if (s == output || !(g_LinkGroupMask[group] & (1 << s))) continue;
        if (g_LinkRecord[s].suspended) continue;
        if (g_LinkKey[s] == GroupLinkKey(group + 1)) return s;
    }
    return kNoLinkGroup;
}

void StoreLinkGroupByte(int output) {
    if (!IsOutput(output)) return;
    DeviceLockGuard lock(g_DeviceLock);
    OutputBlock(output)[kOutLinkGroupByte] = LinkKeyDeviceByte(g_LinkKey[output]);
}

namespace {

// The group of an output's key: only a group key names one.
int KeyGroup(int output) {
    if (!IsOutput(output)) return kNoLinkGroup;
    DeviceLockGuard lock(g_DeviceLock);
    return LinkKeyGroupIndex(g_LinkKey[output]);
}

bool AnyGroupInUse() {
    return std::any_of(std::begin(g_LinkGroupInUse), std::end(g_LinkGroupInUse),
                       [](int used) { return used != 0; });
}

// A single click on an unchecked button: the first case that applies.
LinkClickResult JoinByClick(const LinkClickInput& in) {
    const int o = in.output;
    const LinkRecord rec = g_LinkRecord[o];
    // 1. Back into the group it left, through a member still in it; with
    //    none left the other cases apply.
    if (rec.suspended && !g_ChannelModified[o]) {
        const int source = RejoinSource(o, rec.group);
        if (source != kNoLinkGroup) {
            AddToLinkGroup(o, rec.group);
            return {LinkStep::Rejoin, true, source, rec.group};
        }
    }
    // 2. The current output's group, 3. the newest group while it is open;
    //    each only while that output's key still names a group.
    if (in.current != o && in.currentChecked && KeyGroup(in.current) != kNoLinkGroup) {
        const int g = KeyGroup(in.current);
        AddToLinkGroup(o, g);
        return {LinkStep::JoinCurrent, true, in.current, g};
    }
    const int origin = g_LinkGroupOrigin;
    if (o != in.current && origin != -1 && origin != o && g_LinkGroupOpen.load() == 1 &&
        KeyGroup(origin) != kNoLinkGroup) {
        const int g = KeyGroup(origin);
        AddToLinkGroup(o, g);
        return {LinkStep::JoinOpen, true, origin, g};
    }
    // 4. A new group of its own.
    const int b = FindFreeLinkGroup();
    if (b == kNoLinkGroup) return {LinkStep::Refused, false, -1, kNoLinkGroup};
    OpenLinkGroup(o, b);
    return {LinkStep::StartGroup, true, -1, b};
}

} // namespace

LinkClickResult ApplyLinkClick(const LinkClickInput& in) {
    const int o = in.output;
    if (!IsOutput(o)) return {};
    LinkRecord& rec = g_LinkRecord[o];
    if (!in.checked) {
        switch (in.kind) {
        case LinkClickKind::Right:
            return {};
        case LinkClickKind::Single:
            return JoinByClick(in);
        case LinkClickKind::Double: {
            const int b = FindFreeLinkGroup();
            if (b == kNoLinkGroup) return {LinkStep::Refused, false, -1, kNoLinkGroup};
            // A suspended output gives up the group it could have rejoined.
            if (rec.suspended && IsGroup(rec.group)) g_LinkGroupMask[rec.group] &= ~(1 << o);
            rec.suspended = 0;
            OpenLinkGroup(o, b);
            return {LinkStep::OpenHere, true, -1, b};
        }
        }
        return {};
    }

    // A checked button: the output leaves the group the tables count it in.
    const int g = MemberLinkGroup(o);
    switch (in.kind) {
    case LinkClickKind::Double: {
        // Refused before anything changes when no group would be free even
        // once this output has left its own.
        const bool freesOne = g != kNoLinkGroup && g_LinkGroupCount[g] <= 1;
        if (FindFreeLinkGroup() == kNoLinkGroup && !freesOne)
            return {LinkStep::Refused, true, -1, g};
        if (g != kNoLinkGroup) g_LinkGroupMask[g] &= ~(1 << o);
        rec.suspended = 0;
        LeaveLinkGroup(o, g);
        const int b = FindFreeLinkGroup();
        OpenLinkGroup(o, b);
        return {LinkStep::OpenHere, true, -1, b};
    }
    case LinkClickKind::Right:
        if (g != kNoLinkGroup) g_LinkGroupMask[g] &= ~(1 << o);
        rec.suspended = 0;
        LeaveLinkGroup(o, g);
        return {LinkStep::LeaveForGood, false, -1, kNoLinkGroup};
    case LinkClickKind::Single:
        // It stays in the group's mask and may rejoin while unedited.
        rec = g != kNoLinkGroup ? LinkRecord{1, g} : LinkRecord{0, rec.group};
        LeaveLinkGroup(o, g);
        // With no group left there is nothing to rejoin.
        if (!AnyGroupInUse())
            for (LinkRecord& r : g_LinkRecord)
                r.suspended = 0;
        return {LinkStep::Leave, false, -1, kNoLinkGroup};
    }
    return {};
}
