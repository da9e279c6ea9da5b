// The joint-debug groups of outputs 1 to 8: the lists the dialog opens with,
// the masks its OK writes, and the menu's leave and dissolve, as tables.
#include "model/JointDebug.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<JointDebugRow>;

// Masks from groups of outputs; every other output alone.
JointDebugMasks MasksOf(std::initializer_list<std::initializer_list<int>> groups) {
    JointDebugMasks masks{};
    for (int i = 0; i < kJointDebugOutputs; ++i)
        masks[i] = 1 << i;
    for (const auto& g : groups) {
        int m = 0;
        for (int o : g)
            m |= 1 << o;
        for (int o : g)
            masks[o] = m;
    }
    return masks;
}

TEST(JointDebugTest, GroupsBuiltFromTheMatrixInOutputOrder) {
    const LinkMatrix m = MatrixOfMasks(MasksOf({{5, 6}, {1, 2, 3}}));
    const JointDebugGroupSet set = BuildJointDebugGroups(m);
    EXPECT_EQ(set.GroupOf(1), 0);
    EXPECT_EQ(set.GroupOf(6), 1);
    EXPECT_EQ(set.GroupOf(0), -1);
    EXPECT_EQ(set.FirstMember(0), 1);
    EXPECT_EQ(set.FirstMember(1), 5);
    EXPECT_EQ(set.FirstMember(2), -1);
    EXPECT_TRUE(IsLinkedInMatrix(m, 2));
    EXPECT_FALSE(IsLinkedInMatrix(m, 0));
    EXPECT_FALSE(IsLinkedInMatrix(m, 8));
}

TEST(JointDebugTest, ListsAtOpening) {
    struct Case {
        const char* what;
        JointDebugMasks masks;
        bool newGroup;
        int p;
        Rows left, right;
        std::array<int, 4> used;
    };
    const Case cases[] = {
        {"new group, nothing linked: p alone on the right with ID 1",
         MasksOf({}),
         true,
         2,
         {{1, 0}, {2, 1}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}},
         {{1, 2}},
         {}},
        {"new group, p linked: its group on the right under its number",
         MasksOf({{0, 4}, {2, 3}}),
         true,
         3,
         {{1, 0}, {2, 1}, {3, 4}, {4, 5}, {5, 6}, {6, 7}},
         {{2, 2}, {2, 3}},
         {}},
        {"join: p and its partners on the left, the other groups on the right by ID",
         MasksOf({{6, 7}, {1, 2}, {0, 3}}),
         false,
         2,
         {{1, 1}, {2, 2}},
         {{1, 0}, {1, 3}, {3, 6}, {3, 7}},
         {1, 0, 1, 0}},
        {"join with no group existing: p alone, nothing offered",
         MasksOf({}),
         false,
         5,
         {{1, 5}},
         {},
         {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LinkMatrix m = MatrixOfMasks(c.masks);
        const JointDebugLists lists =
            FillJointDebugLists(m, BuildJointDebugGroups(m), c.newGroup, c.p);
        EXPECT_EQ(lists.left, c.left);
        EXPECT_EQ(lists.right, c.right);
        EXPECT_EQ(lists.groupUsed, c.used);
    }
}

TEST(JointDebugTest, PartnersAskedAboutAreTheUnselectedLinkedOnes) {
    const LinkMatrix m = MatrixOfMasks(MasksOf({{1, 4, 6}}));
    const std::vector<int> left = {0, 1, 3, 4, 5, 6};
    EXPECT_EQ(UnselectedPartners(m, 1, left, {1}), (std::vector<int>{4, 6}));
    EXPECT_EQ(UnselectedPartners(m, 1, left, {1, 6}), (std::vector<int>{4}));
    EXPECT_TRUE(UnselectedPartners(m, 0, left, {0}).empty());
}

TEST(JointDebugTest, OkMasks) {
    struct Case {
        const char* what;
        JointDebugMasks masks;
        bool newGroup;
        int p;
        std::vector<int> moved; // added with ">>" or ">>n"
        int number;             // join mode: the n of ">>n"
        JointDebugMasks want;
        int mask;
    };
    const Case cases[] = {
        {"new group unchanged: p keeps only itself",
         MasksOf({}),
         true,
         2,
         {},
         0,
         MasksOf({}),
         1 << 2},
        {"new group, two added",
         MasksOf({}),
         true,
         2,
         {0, 5},
         0,
         MasksOf({{0, 2, 5}}),
         1 << 0 | 1 << 2 | 1 << 5},
        {"new group, a linked output added alone: its partners lose it",
         MasksOf({{1, 4, 6}}),
         true,
         2,
         {4},
         0,
         MasksOf({{2, 4}, {1, 6}}),
         1 << 2 | 1 << 4},
        {"join group 2 with p",
         MasksOf({{0, 1}, {5, 6}}),
         false,
         3,
         {3},
         2,
         MasksOf({{0, 1}, {3, 5, 6}}),
         1 << 3 | 1 << 5 | 1 << 6},
        {"join: p leaves its partner for the group",
         MasksOf({{3, 7}, {5, 6}}),
         false,
         3,
         {3},
         2,
         MasksOf({{3, 5, 6}}),
         1 << 3 | 1 << 5 | 1 << 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JointDebugMasks masks = c.masks;
        const LinkMatrix m = MatrixOfMasks(masks);
        JointDebugLists lists = FillJointDebugLists(m, BuildJointDebugGroups(m), c.newGroup, c.p);
        if (c.newGroup) {
            MoveJointDebugRows(lists, c.moved, lists.right.empty() ? 1 : lists.right.front().id,
                               true);
        } else {
            MoveJointDebugRows(lists, c.moved, c.number, false);
            SortJointDebugRows(lists.right);
        }
        EXPECT_EQ(ApplyJointDebugOk(masks, m, lists, c.newGroup, c.number), c.mask);
        EXPECT_EQ(masks, c.want);
    }
}

TEST(JointDebugTest, MovingRowsRenumbersTheLeftListOnlyWhenAsked) {
    const LinkMatrix m = MatrixOfMasks(MasksOf({}));
    JointDebugLists lists = FillJointDebugLists(m, BuildJointDebugGroups(m), true, 0);
    MoveJointDebugRows(lists, {2, 3}, 1, true);
    EXPECT_EQ(lists.left, (Rows{{1, 1}, {2, 4}, {3, 5}, {4, 6}, {5, 7}}));
    EXPECT_EQ(lists.right, (Rows{{1, 0}, {1, 2}, {1, 3}}));
    MoveJointDebugRows(lists, {5}, 1, false);
    EXPECT_EQ(lists.left, (Rows{{1, 1}, {2, 4}, {4, 6}, {5, 7}}));
}

TEST(JointDebugTest, LeaveAndDissolve) {
    struct Case {
        const char* what;
        bool dissolve;
        int p;
        JointDebugMasks masks, want;
        std::vector<int> written;
    };
    const Case cases[] = {
        {"output 2 leaves {1, 2, 3}", false, 2, MasksOf({{1, 2, 3}}), MasksOf({{1, 3}}), {1, 2, 3}},
        {"a single output leaves itself", false, 4, MasksOf({}), MasksOf({}), {4}},
        {"{0, 5, 7} dissolved",
         true,
         5,
         MasksOf({{0, 5, 7}, {1, 2}}),
         MasksOf({{1, 2}}),
         {0, 5, 7}},
        {"outputs 9 to 12 have no mask", true, 9, MasksOf({{0, 1}}), MasksOf({{0, 1}}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JointDebugMasks masks = c.masks;
        const std::vector<int> written =
            c.dissolve ? DissolveJointDebugGroup(masks, c.p) : LeaveJointDebugGroup(masks, c.p);
        EXPECT_EQ(masks, c.want);
        EXPECT_EQ(written, c.written);
    }
}

} // namespace
