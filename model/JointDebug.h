// The joint-debug groups of outputs 1 to 8: each output holds a mask of the
// outputs linked with it (bit k: output k, its own bit included); outputs
// whose masks are equal form one group. This is the arithmetic behind the
// joint-debug dialog and the link-group menu's leave and dissolve commands:
// the link matrix read from the masks, the (at most four) groups built from
// it, the two lists the dialog shows, and the masks its OK writes.
#pragma once

#include <array>
#include <vector>

constexpr int kJointDebugOutputs = 8; // the masks cover outputs 0..7
constexpr int kJointDebugGroups = 4;  // the dialog shows at most four groups

using JointDebugMasks = std::array<int, kJointDebugOutputs>;
// Entry [i][j] is 1 when output i's mask holds output j.
using LinkMatrix = std::array<std::array<int, kJointDebugOutputs>, kJointDebugOutputs>;

LinkMatrix MatrixOfMasks(const JointDebugMasks& masks);
// The output is linked with another output.
bool IsLinkedInMatrix(const LinkMatrix& matrix, int output);

struct JointDebugGroupSet {
    // member[g][j]: output j belongs to group g (number g + 1).
    std::array<std::array<int, kJointDebugOutputs>, kJointDebugGroups> member{};
    // The first group holding the output, -1 for none.
    int GroupOf(int output) const;
    // The first member of group g, -1 when it has none.
    int FirstMember(int group) const;
};

// Every output linked with another and not yet in a group opens the next
// group (at most four), which takes every output its matrix row holds.
JointDebugGroupSet BuildJointDebugGroups(const LinkMatrix& matrix);

// A row of the dialog's lists: its ID column and the output it names.
struct JointDebugRow {
    int id = 0;
    int output = 0;
    bool operator==(const JointDebugRow& o) const { return id == o.id && output == o.output; }
};

struct JointDebugLists {
    std::vector<JointDebugRow> left;                // the channels that may be moved
    std::vector<JointDebugRow> right;               // the groups, by number
    std::array<int, kJointDebugGroups> groupUsed{}; // join mode: group n offered
};

// The lists at opening. New-group mode: the right list holds output p's
// group (or p alone, ID 1), the left list every other output. Join mode:
// the left list holds p and the outputs linked with it, the right list
// every other group, sorted by ID and output.
JointDebugLists FillJointDebugLists(const LinkMatrix& matrix, const JointDebugGroupSet& groups,
                                    bool newGroupMode, int p);

// By ID, and within an ID by output (the channel names sort as their numbers).
void SortJointDebugRows(std::vector<JointDebugRow>& rows);

// The outputs linked with k (matrix) that are in the candidates and not
// already taken: the partners the dialog asks about when k is added alone.
std::vector<int> UnselectedPartners(const LinkMatrix& matrix, int k,
                                    const std::vector<int>& candidates,
                                    const std::vector<int>& taken);

// The rows of these outputs leave the left list and are appended to the
// right list with the given ID; the left list is renumbered 1, 2, ... when
// asked.
void MoveJointDebugRows(JointDebugLists& lists, const std::vector<int>& outputs, int id,
                        bool renumber);

// OK: every output left on the left list loses its links to the outputs
// that are not on it; the outputs of the chosen rows (all right rows, or in
// join mode those with ID number) then share one mask. Returns that mask.
int ApplyJointDebugOk(JointDebugMasks& masks, const LinkMatrix& matrix,
                      const JointDebugLists& lists, bool newGroupMode, int number);

// The link-group menu: output p leaves its group (it keeps only itself, the
// others keep each other), or the whole group of p falls apart (each output
// keeps only itself). Each returns the outputs whose masks it wrote.
std::vector<int> LeaveJointDebugGroup(JointDebugMasks& masks, int p);
std::vector<int> DissolveJointDebugGroup(JointDebugMasks& masks, int p);
