#include "tests/model/ModelFixture.h"

#include "model/SpeakerGroups.h"
#include "model/SpeakerTypes.h"

#include <set>

namespace {

class SpeakerTypesTest : public ModelTest {
protected:
    void SetTypes(std::vector<int> types) {
        types.resize(12, 0);
        for (int o = 0; o < 12; ++o)
            g_OutputSpeakerType[o] = static_cast<uint8_t>(types[o]);
    }
    // Types whose state is s.
    std::set<int> WithState(uint8_t s) {
        std::set<int> out;
        for (int t = 0; t <= 24; ++t)
            if (g_SpeakerTypeState[t] == s) out.insert(t);
        return out;
    }
    void EmptyTable() {
        ResetSpeakerTypeStates();
        SetTypes({3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}); // no output holds a real type yet
    }
};

} // namespace

TEST_F(SpeakerTypesTest, StatesAfterStartUp) {
    EXPECT_EQ(WithState(kTypeHeld), (std::set<int>{0, 6, 12, 15, 18, 22, 23}));
    EXPECT_EQ(WithState(kTypeExcluded),
              (std::set<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 13, 14, 16, 17, 24}));
    EXPECT_EQ(WithState(kTypeFree), (std::set<int>{19, 20, 21}));
}

TEST_F(SpeakerTypesTest, TakeAndReleaseRules) {
    ResetSpeakerTypeStates();
    TakeSpeakerType(1);
    EXPECT_EQ(WithState(kTypeExcluded), (std::set<int>{4, 6, 10, 12}));
    EXPECT_EQ(WithState(kTypeHeld), (std::set<int>{1}));

    ResetSpeakerTypeStates();
    TakeSpeakerType(4);
    EXPECT_EQ(WithState(kTypeExcluded), (std::set<int>{1, 2, 5, 6, 7, 8, 11, 12}));
    EXPECT_EQ(g_SpeakerTypeState[3], kTypeFree);
    EXPECT_EQ(g_SpeakerTypeState[9], kTypeFree);
    ReleaseSpeakerType(4, 0);
    EXPECT_TRUE(WithState(kTypeExcluded).empty());
    EXPECT_TRUE(WithState(kTypeHeld).empty());

    ResetSpeakerTypeStates();
    TakeSpeakerType(19);
    TakeSpeakerType(20);
    EXPECT_EQ(g_SpeakerTypeState[19], kTypeHeld);
    EXPECT_EQ(g_SpeakerTypeState[20], kTypeHeld);
    EXPECT_EQ(g_SpeakerTypeState[21], kTypeExcluded);
    ReleaseSpeakerType(19, 0);
    EXPECT_EQ(g_SpeakerTypeState[21], kTypeExcluded);
    ReleaseSpeakerType(20, 0);
    EXPECT_EQ(g_SpeakerTypeState[21], kTypeFree);
}

TEST_F(SpeakerTypesTest, RearAndFullRangeRelease) {
    ResetSpeakerTypeStates();
    TakeSpeakerType(15);
    TakeSpeakerType(18);
    ReleaseSpeakerType(15, 0); // the right full range is still held
    EXPECT_EQ(g_SpeakerTypeState[15], kTypeFree);
    EXPECT_EQ(g_SpeakerTypeState[13], kTypeExcluded);
    ReleaseSpeakerType(18, 0);
    for (int t = 13; t <= 18; ++t)
        EXPECT_EQ(g_SpeakerTypeState[t], kTypeFree) << t;
}

TEST_F(SpeakerTypesTest, TypeZeroReleaseLooksAtOtherOutputs) {
    SetTypes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    ReleaseSpeakerType(0, 0);
    EXPECT_EQ(g_SpeakerTypeState[0], kTypeFree);
    SetTypes({0, 0});
    ReleaseSpeakerType(0, 0);
    EXPECT_EQ(g_SpeakerTypeState[0], kTypeHeld);
}

TEST_F(SpeakerTypesTest, PairsLeftFirst) {
    SetTypes({7, 1, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(FindSpeakerPairsLeftFirst());
    EXPECT_EQ(g_SpeakerPairsLR[0].used, 1);
    EXPECT_EQ(g_SpeakerPairsLR[0].left, 1);
    EXPECT_EQ(g_SpeakerPairsLR[0].right, 0);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(g_SpeakerPairsLR[i].used, 0);
    SetTypes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9});
    EXPECT_FALSE(FindSpeakerPairs());
    SetTypes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 9});
    EXPECT_TRUE(FindSpeakerPairs());
    SetTypes({6, 12, 15, 18, 0, 0, 0, 0, 22, 23});
    ASSERT_TRUE(FindSpeakerPairsLeftFirst());
    int used = 0;
    for (auto& p : g_SpeakerPairsLR)
        used += p.used;
    EXPECT_EQ(used, 3);
}

TEST_F(SpeakerTypesTest, DuplicatesAndSides) {
    SetTypes({13, 0, 13, 13});
    EXPECT_TRUE(ClearDuplicateSpeakerTypes());
    EXPECT_EQ(g_OutputSpeakerType[0], 13);
    EXPECT_EQ(g_OutputSpeakerType[2], 0);
    EXPECT_EQ(g_OutputSpeakerType[3], 0);
    EXPECT_FALSE(ClearDuplicateSpeakerTypes());

    SetTypes({0, 19, 20, 21, 24, 22, 23, 8});
    const int sides[] = {-1, -1, -1, -1, -1, 0, 1, 1};
    for (int o = 0; o < 8; ++o)
        EXPECT_EQ(GetOutputSide(o), sides[o]) << o;
    EXPECT_EQ(GetOutputSide(12), -1);
    EXPECT_TRUE(AnyOutputTyped());
    SetTypes({});
    EXPECT_FALSE(AnyOutputTyped());
}

TEST_F(SpeakerTypesTest, NamesAndMenuPositions) {
    EXPECT_STREQ(SpeakerTypeName(4), "FL-M && T");
    g_LanguageFlag = 1;
    EXPECT_STREQ(SpeakerTypeName(24), "超低频");
    EXPECT_STREQ(SpeakerTypeName(25), "");
    const int positions[25] = {0, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5,
                               0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    for (int t = 0; t < 25; ++t)
        EXPECT_EQ(SpeakerTypeMenuPosition(t), positions[t]) << t;
    // Mirrors are symmetric.
    for (int t = 0; t < 25; ++t) {
        const int m = GetSpeakerTypeInfo(t)->mirror;
        if (m >= 0) {
            EXPECT_EQ(GetSpeakerTypeInfo(m)->mirror, t);
        }
    }
}

TEST_F(SpeakerTypesTest, GroupsAtStartUp) {
    g_SpeakerGroups->Analyse();
    EXPECT_EQ(g_SpeakerGroups->centre.state, -1);
    EXPECT_EQ(g_SpeakerGroups->frontLeft.state, -1);
    EXPECT_EQ(g_SpeakerGroups->frontLeft.pairMode, -1);
    EXPECT_EQ(g_SpeakerGroups->frontRight.pairMode, -1);
    EXPECT_EQ(g_SpeakerGroups->rearLeft.state, -1);
    EXPECT_EQ(g_SpeakerGroups->subwoofers.state, 0);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(g_SpeakerGroups->subwoofers.slots[k], (k == 8 || k == 9) ? k : -1);
}

TEST_F(SpeakerTypesTest, FrontGroupPairModes) {
    struct Case {
        std::vector<int> types;
        int state, pairMode;
        std::vector<int> members;
    } cases[] = {
        {{0, 0, 0, 1, 0, 2}, 0, 1, {1, 2, -1}},
        {{1, 3}, 0, 2, {1, 3, -1}},
        {{2, 3}, 0, 3, {2, 3, -1}},
        {{1, 2, 3}, 0, 4, {1, 2, 3}},
        {{1, 2, 3, 4}, -1, -1, {1, 2, 3}},
        {{6, 12}, -1, -1, {-1, -1, -1}},
    };
    for (const Case& c : cases) {
        SetTypes(c.types);
        g_SpeakerGroups->Analyse();
        const FrontSpeakerGroup& g = g_SpeakerGroups->frontLeft;
        EXPECT_EQ(g.state, c.state);
        EXPECT_EQ(g.pairMode, c.pairMode);
        EXPECT_EQ(std::vector<int>(g.memberTypes, g.memberTypes + 3), c.members);
        for (int k = 0; k < 12; ++k) {
            const int t = g_OutputSpeakerType[k];
            EXPECT_EQ(g.slots[k], (t >= 1 && t <= 5) ? k : -1);
        }
        EXPECT_EQ(g_SpeakerGroups->frontRight.state, -1);
    }
    SetTypes({19});
    g_SpeakerGroups->Analyse();
    EXPECT_EQ(g_SpeakerGroups->centre.state, -1);
    SetTypes({8, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10});
    g_SpeakerGroups->Analyse();
    EXPECT_EQ(g_SpeakerGroups->frontRight.state, 0);
    EXPECT_EQ(g_SpeakerGroups->frontRight.pairMode, 4);
}

TEST_F(SpeakerTypesTest, SameGroup) {
    SetTypes({1, 5, 7, 22, 23, 19, 20, 13});
    EXPECT_TRUE(IsSameSpeakerGroup(0, 1));
    EXPECT_FALSE(IsSameSpeakerGroup(0, 2));
    EXPECT_FALSE(IsSameSpeakerGroup(3, 4)); // subwoofers never count
    EXPECT_TRUE(IsSameSpeakerGroup(5, 6));
    EXPECT_FALSE(IsSameSpeakerGroup(7, 99));
}
