#include "model/JointDebug.h"

#include <algorithm>

namespace {

bool Contains(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

bool IsMaskOutput(int output) {
    return output >= 0 && output < kJointDebugOutputs;
}

} // namespace

LinkMatrix MatrixOfMasks(const JointDebugMasks& masks) {
    LinkMatrix m{};
    for (int i = 0; i < kJointDebugOutputs; ++i)
        for (int j = 0; j < kJointDebugOutputs; ++j)
            m[i][j] = (masks[i] >> j) & 1;
    return m;
}

bool IsLinkedInMatrix(const LinkMatrix& matrix, int output) {
    if (!IsMaskOutput(output)) return false;
    for (int j = 0; j < kJointDebugOutputs; ++j)
        if (j != output && matrix[output][j]) return true;
    return false;
}

int JointDebugGroupSet::GroupOf(int output) const {
    if (!IsMaskOutput(output)) return -1;
    for (int g = 0; g < kJointDebugGroups; ++g)
        if (member[g][output]) return g;
    return -1;
}

int JointDebugGroupSet::FirstMember(int group) const {
    if (group < 0 || group >= kJointDebugGroups) return -1;
    for (int j = 0; j < kJointDebugOutputs; ++j)
        if (member[group][j]) return j;
    return -1;
}

JointDebugGroupSet BuildJointDebugGroups(const LinkMatrix& matrix) {
    JointDebugGroupSet set;
    int next = 0;
    for (int i = 0; i < kJointDebugOutputs && next < kJointDebugGroups; ++i) {
        if (!IsLinkedInMatrix(matrix, i) || set.GroupOf(i) >= 0) continue;
        set.member[next++] = matrix[i];
    }
    return set;
}

void SortJointDebugRows(std::vector<JointDebugRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const JointDebugRow& a, const JointDebugRow& b) {
        return a.id != b.id ? a.id < b.id : a.output < b.output;
    });
}

JointDebugLists FillJointDebugLists(const LinkMatrix& matrix, const JointDebugGroupSet& groups,
                                    bool newGroupMode, int p) {
    JointDebugLists lists;
    const bool pInside = IsMaskOutput(p);
    int leftId = 1;
    if (newGroupMode) {
        if (pInside && IsLinkedInMatrix(matrix, p)) {
            // The number of the last of the groups that holds p.
            int id = 1;
            for (int g = 0; g < kJointDebugGroups; ++g)
                if (groups.member[g][p]) id = g + 1;
            for (int j = 0; j < kJointDebugOutputs; ++j)
                if (matrix[p][j]) lists.right.push_back({id, j});
            for (int j = 0; j < kJointDebugOutputs; ++j)
                if (!matrix[p][j]) lists.left.push_back({leftId++, j});
        } else {
            if (pInside) lists.right.push_back({1, p});
            for (int j = 0; j < kJointDebugOutputs; ++j)
                if (j != p) lists.left.push_back({leftId++, j});
        }
        return lists;
    }
    for (int i = 0; i < kJointDebugOutputs; ++i) {
        const bool linked = IsLinkedInMatrix(matrix, i);
        if (i == p || (linked && pInside && matrix[i][p])) {
            lists.left.push_back({leftId++, i});
        } else if (linked) {
            // A fifth group has no number of its own: it shows with the first.
            const int g = std::max(groups.GroupOf(i), 0);
            lists.right.push_back({g + 1, i});
            lists.groupUsed[g] = 1;
        }
    }
    SortJointDebugRows(lists.right);
    return lists;
}

std::vector<int> UnselectedPartners(const LinkMatrix& matrix, int k,
                                    const std::vector<int>& candidates,
                                    const std::vector<int>& taken) {
    std::vector<int> partners;
    if (!IsMaskOutput(k)) return partners;
    for (int j : candidates)
        if (IsMaskOutput(j) && j != k && matrix[k][j] && !Contains(taken, j)) partners.push_back(j);
    return partners;
}

void MoveJointDebugRows(JointDebugLists& lists, const std::vector<int>& outputs, int id,
                        bool renumber) {
    std::vector<JointDebugRow> stay;
    for (const JointDebugRow& r : lists.left) {
        if (Contains(outputs, r.output))
            lists.right.push_back({id, r.output});
        else
            stay.push_back(r);
    }
    if (renumber)
        for (size_t n = 0; n < stay.size(); ++n)
            stay[n].id = static_cast<int>(n) + 1;
    lists.left = std::move(stay);
}

int ApplyJointDebugOk(JointDebugMasks& masks, const LinkMatrix& matrix,
                      const JointDebugLists& lists, bool newGroupMode, int number) {
    std::vector<int> left;
    for (const JointDebugRow& r : lists.left)
        left.push_back(r.output);
    for (int k : left) {
        if (!IsMaskOutput(k)) continue;
        for (int a = 0; a < kJointDebugOutputs; ++a)
            if (matrix[k][a] && !Contains(left, a)) masks[k] &= ~(1 << a);
    }
    int mask = 0;
    for (const JointDebugRow& r : lists.right)
        if (IsMaskOutput(r.output) && (newGroupMode || r.id == number)) mask |= 1 << r.output;
    for (int k = 0; k < kJointDebugOutputs; ++k)
        if (mask & (1 << k)) masks[k] = mask;
    return mask;
}

std::vector<int> LeaveJointDebugGroup(JointDebugMasks& masks, int p) {
    std::vector<int> written;
    if (!IsMaskOutput(p)) return written;
    const int m = masks[p];
    for (int i = 0; i < kJointDebugOutputs; ++i) {
        if (!(m & (1 << i))) continue;
        masks[i] = i == p ? 1 << p : m & ~(1 << p);
        written.push_back(i);
    }
    return written;
}

std::vector<int> DissolveJointDebugGroup(JointDebugMasks& masks, int p) {
    std::vector<int> written;
    if (!IsMaskOutput(p)) return written;
    const int m = masks[p];
    for (int i = 0; i < kJointDebugOutputs; ++i) {
        if (!(m & (1 << i))) continue;
        masks[i] = 1 << i;
        written.push_back(i);
    }
    return written;
}
