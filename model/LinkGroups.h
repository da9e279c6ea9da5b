// Link keys and the joint-editing groups.
//
// Outputs whose g_LinkKey entries are equal are edited together. Four
// mechanisms write the keys, and each writes keys of its own kind, so that a
// key of one kind never equals a key of another:
//   - an output's own index (not linked), and for the target of a left/right
//     pair its source's index: plain indexes 0..11;
//   - a joint-editing group number 1..12 (the panels' link buttons);
//   - the key of an output that left its group: linked with nothing;
//   - a joint-debug mask of outputs (the joint-debug settings).
// Were they bare numbers, group 1 would equal output 1's own index and the
// key of a leaving output would equal output 0's, linking outputs nobody
// linked. What the device sees is unchanged: byte 287 of an output's block
// carries the group number (0 after leaving), see LinkKeyDeviceByte.
//
// The group tables below belong to the link buttons (UI thread); the keys
// are guarded by g_DeviceLock because the frame builders read them.
#pragma once

#include "model/DataDefine.h"
#include "model/DeviceLock.h"
#include "model/Globals.h"
#include "model/ThreadRole.h"

#include <cstdint>

enum class LinkKeyKind : int { Output = 0, Group = 1, Left = 2, Mask = 3 };

constexpr int kLinkKeyKindShift = 16;
// Byte of an output's block (the last of item 35) that tells the device the
// output's joint-editing group.
constexpr int kOutLinkGroupByte = 287;
constexpr int kLinkGroupTotal = 12;
// What FindFreeLinkGroup answers when all twelve groups are in use, and what
// a key that names no group gives as its group index.
constexpr int kNoLinkGroup = -1;

// An output's own index, or the source output of a left/right pair.
constexpr int OutputLinkKey(int output) {
    return output;
}
// Joint-editing group number 1..12.
constexpr int GroupLinkKey(int number) {
    return (static_cast<int>(LinkKeyKind::Group) << kLinkKeyKindShift) | (number & 0xFF);
}
// An output that has left its joint-editing group: unique to the output.
constexpr int LeftGroupLinkKey(int output) {
    return (static_cast<int>(LinkKeyKind::Left) << kLinkKeyKindShift) | ((output & 0xFF) << 8);
}
// A joint-debug mask (bit k: output k).
constexpr int MaskLinkKey(int mask) {
    return (static_cast<int>(LinkKeyKind::Mask) << kLinkKeyKindShift) | (mask & 0xFFFF);
}

constexpr LinkKeyKind KindOfLinkKey(int key) {
    return static_cast<LinkKeyKind>(key >> kLinkKeyKindShift);
}
// The group index 0..11 of a group key; kNoLinkGroup for any other key.
constexpr int LinkKeyGroupIndex(int key) {
    const int number = key & 0xFF;
    return KindOfLinkKey(key) == LinkKeyKind::Group && number >= 1 && number <= kLinkGroupTotal
               ? number - 1
               : kNoLinkGroup;
}
// The outputs of a mask key; 0 for any other key.
constexpr int LinkKeyMask(int key) {
    return KindOfLinkKey(key) == LinkKeyKind::Mask ? key & 0xFFFF : 0;
}
// Byte 287 of the output's block: the group number of a group key, 0 for
// every other key (an output that left its group sends 0).
constexpr uint8_t LinkKeyDeviceByte(int key) {
    return KindOfLinkKey(key) == LinkKeyKind::Group ? static_cast<uint8_t>(key & 0xFF) : 0;
}

// ---------------------------------------------------------------------------
// The joint-editing group tables (all 0 at start-up, the origin -1)
// ---------------------------------------------------------------------------

// Per output: suspended 1 when it left its group with a single click and may
// rejoin it; group the index of that group.
struct LinkRecord {
    int suspended = 0;
    int group = 0;
};

extern UiThreadOnly<int[kLinkGroupTotal]> g_LinkGroupInUse; // group g is in use
extern UiThreadOnly<int[kLinkGroupTotal]> g_LinkGroupCount; // its members
extern UiThreadOnly<int[kLinkGroupTotal]> g_LinkGroupMask;  // its members and suspended outputs
extern UiThreadOnly<LinkRecord[kOutputCount]> g_LinkRecord;
// Set by the output page whenever it edits the output; a suspended output
// that was edited does not rejoin.
extern UiThreadOnly<int[kOutputCount]> g_ChannelModified;
extern UiThreadOnly<int> g_LinkGroupOrigin; // output that opened the newest group, -1 none
// 1 while the newest group is open for joining by a single click.
inline std::atomic<int>& g_LinkGroupOpen = g_StateFlags[kFlagLinkGroupOpen];

// Every table back to its start (the keys are not touched).
void ResetLinkGroups();

// The first group index not in use; kNoLinkGroup when all twelve are.
int FindFreeLinkGroup();

// The group output o is a member of: the group of its key, or, when its key
// was replaced since it joined (a load resets the keys, the joint-debug
// settings write masks), the group its record names while the tables still
// count it there; kNoLinkGroup when neither.
int MemberLinkGroup(int output);

// Output o joins group g: its key becomes the group's, it is counted and in
// the mask, and its record is {0, g}. A suspension from another group ends.
void AddToLinkGroup(int output, int group);

// Group g (free) opens with output o as its first member and stays open for
// joining by single clicks.
void OpenLinkGroup(int output, int group);

// What every way of leaving group g shares: o's key links it with nothing,
// the group loses a member (and when it has none left is free again, its
// suspended outputs forgotten), o counts as unedited, no group is open.
void LeaveLinkGroup(int output, int group);

// The member of group g that output o rejoins through: the first output of
// the group's mask that is not suspended and still holds the group's key;
// kNoLinkGroup when there is none.
int RejoinSource(int output, int group);

// ---------------------------------------------------------------------------
// The link button's clicks
// ---------------------------------------------------------------------------

enum class LinkClickKind : int { Single = 1, Double = 2, Right = 3 };

// What a click finds: the panel's output, the click, whether its link button
// is checked, the current output and whether that output's link button is.
struct LinkClickInput {
    int output = 0;
    LinkClickKind kind = LinkClickKind::Single;
    bool checked = false;
    int current = 0;
    bool currentChecked = false;
};

// What the click did to the tables and keys.
enum class LinkStep : int {
    None,         // nothing changed (a right click on an unchecked button)
    Refused,      // a new group was needed and all twelve are in use
    Rejoin,       // back into the group the output left, unedited since
    JoinCurrent,  // into the current output's group
    JoinOpen,     // into the newest group while it is open
    StartGroup,   // a new group of its own, the current output unchanged
    OpenHere,     // a new group with this output to become current (double click)
    Leave,        // left its group and may rejoin (single click)
    LeaveForGood, // left its group (right click)
};

struct LinkClickResult {
    LinkStep step = LinkStep::None;
    bool checked = false;     // the link button afterwards
    int source = -1;          // the member whose settings the output takes over
    int group = kNoLinkGroup; // the group the output is in afterwards
};

// Carries a click out on the group tables and the keys (under g_DeviceLock
// for the keys). A single click on an unchecked button joins the first that
// applies of: 1. the group the output left with a single click, while it has
// not been edited since and a member still holds the group's key; 2. the
// current output's group; 3. the newest group while it is open; 4. a new
// group. A single click on a checked button leaves (the output may rejoin),
// a right click leaves for good, a double click opens a new group with the
// output to become current. A new group with all twelve in use is refused
// and nothing changes. The caller copies the source's settings, sets the captions
// and the current output, and stores the device byte (StoreLinkGroupByte).
LinkClickResult ApplyLinkClick(const LinkClickInput& in);

// Byte 287 of the output's block takes the device byte of its key.
void StoreLinkGroupByte(int output);
