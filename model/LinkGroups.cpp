#include "model/LinkGroups.h"

#include <algorithm>
#include <iterator>

int g_LinkGroupInUse[kLinkGroupTotal] = {};
int g_LinkGroupCount[kLinkGroupTotal] = {};
int g_LinkGroupMask[kLinkGroupTotal] = {};
LinkRecord g_LinkRecord[kOutputCount] = {};
int g_ChannelModified[kOutputCount] = {};
int g_LinkGroupOrigin = -1;

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
