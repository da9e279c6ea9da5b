// The link keys of each kind and the joint-editing groups the link buttons
// keep: click sequences as tables, with the keys, the group tables and the
// device byte after every click.
#include "tests/model/ModelFixture.h"

#include "model/FrameBuilder.h"
#include "model/LinkGroups.h"

#include <set>

namespace {

// ---------------------------------------------------------------------------
// Keys of different kinds
// ---------------------------------------------------------------------------

TEST(LinkKeyTest, KeysOfDifferentKindsNeverCompareEqual) {
    std::set<int> keys;
    for (int i = 0; i < kOutputCount; ++i) {
        keys.insert(OutputLinkKey(i));
        keys.insert(LeftGroupLinkKey(i));
    }
    for (int n = 1; n <= kLinkGroupTotal; ++n)
        keys.insert(GroupLinkKey(n));
    for (int m = 1; m < 256; ++m)
        keys.insert(MaskLinkKey(m));
    EXPECT_EQ(keys.size(), 12u + 12u + 12u + 255u);
}

TEST(LinkKeyTest, KindGroupIndexAndDeviceByteOfEachKey) {
    struct Case {
        const char* what;
        int key;
        LinkKeyKind kind;
        int group;      // LinkKeyGroupIndex
        uint8_t device; // byte 287
        int mask;
    };
    const Case cases[] = {
        {"own index 0", OutputLinkKey(0), LinkKeyKind::Output, kNoLinkGroup, 0, 0},
        {"own index 11", OutputLinkKey(11), LinkKeyKind::Output, kNoLinkGroup, 0, 0},
        {"group 1", GroupLinkKey(1), LinkKeyKind::Group, 0, 1, 0},
        {"group 12", GroupLinkKey(12), LinkKeyKind::Group, 11, 12, 0},
        {"left by output 0", LeftGroupLinkKey(0), LinkKeyKind::Left, kNoLinkGroup, 0, 0},
        {"left by output 7", LeftGroupLinkKey(7), LinkKeyKind::Left, kNoLinkGroup, 0, 0},
        {"mask of outputs 0 and 2", MaskLinkKey(0b101), LinkKeyKind::Mask, kNoLinkGroup, 0, 0b101},
        {"mask of all eight", MaskLinkKey(0xFF), LinkKeyKind::Mask, kNoLinkGroup, 0, 0xFF},
        // A key that is no group number never indexes the 12-entry tables.
        {"group 0", GroupLinkKey(0), LinkKeyKind::Group, kNoLinkGroup, 0, 0},
        {"group 13", GroupLinkKey(13), LinkKeyKind::Group, kNoLinkGroup, 13, 0},
        {"group 255", GroupLinkKey(255), LinkKeyKind::Group, kNoLinkGroup, 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KindOfLinkKey(c.key), c.kind);
        EXPECT_EQ(LinkKeyGroupIndex(c.key), c.group);
        EXPECT_EQ(LinkKeyDeviceByte(c.key), c.device);
        EXPECT_EQ(LinkKeyMask(c.key), c.mask);
    }
}

// ---------------------------------------------------------------------------
// Click sequences
// ---------------------------------------------------------------------------

constexpr int kShown = 8; // the outputs the key strings show

// One step of a sequence: a click on an output's link button, an edit of the
// output on the output page, or a load that puts every own index back into
// the keys.
enum class Op { Single, Double, Right, Edit, Load };

struct Step {
    Op op;
    int output;
    LinkStep step;    // what the click did (clicks only)
    int source;       // the member copied from, -1 none
    const char* keys; // outputs 0..7 afterwards: '.' own index, 1..9/a..c group
                      // number, 'x' left a group, '?' anything else
};

struct Sequence {
    const char* name;
    int current; // the current output at the start
    std::vector<Step> steps;
    std::vector<int> counts; // g_LinkGroupCount[0..] at the end
    std::vector<int> masks;  // g_LinkGroupMask[0..] at the end
};

char KeyChar(int output) {
    const int key = g_LinkKey[output];
    if (key == OutputLinkKey(output)) return '.';
    if (key == LeftGroupLinkKey(output)) return 'x';
    const int g = LinkKeyGroupIndex(key);
    if (g != kNoLinkGroup) return "123456789abc"[g];
    return '?';
}

std::string KeyString() {
    std::string s;
    for (int i = 0; i < kShown; ++i)
        s += KeyChar(i);
    return s;
}

class LinkClickTest : public ModelTest {
protected:
    // Plays a step as the panels do: the buttons' check states are kept
    // here, a double click makes the output current.
    LinkClickResult Play(const Step& s) {
        LinkClickResult r;
        switch (s.op) {
        case Op::Edit:
            g_ChannelModified[s.output] = 1;
            return r;
        case Op::Load:
            for (int i = 0; i < kOutputCount; ++i)
                g_LinkKey[i] = OutputLinkKey(i);
            return r;
        default:
            break;
        }
        LinkClickInput in;
        in.output = s.output;
        in.kind = s.op == Op::Single   ? LinkClickKind::Single
                  : s.op == Op::Double ? LinkClickKind::Double
                                       : LinkClickKind::Right;
        in.checked = checked[s.output];
        in.current = current;
        in.currentChecked = checked[current];
        r = ApplyLinkClick(in);
        if (r.step != LinkStep::None && r.step != LinkStep::Refused) {
            checked[s.output] = r.checked;
            StoreLinkGroupByte(s.output);
        }
        if (r.step == LinkStep::OpenHere) current = s.output;
        return r;
    }
    void Run(const Sequence& seq) {
        SCOPED_TRACE(seq.name);
        current = seq.current;
        for (size_t n = 0; n < seq.steps.size(); ++n) {
            const Step& s = seq.steps[n];
            SCOPED_TRACE("step " + std::to_string(n + 1));
            const LinkClickResult r = Play(s);
            if (s.op == Op::Edit || s.op == Op::Load) continue;
            EXPECT_EQ(r.step, s.step);
            EXPECT_EQ(r.source, s.source);
            EXPECT_EQ(KeyString(), s.keys);
            // Byte 287: the group number, 0 after leaving.
            EXPECT_EQ(OutputBlock(s.output)[kOutLinkGroupByte],
                      LinkKeyDeviceByte(g_LinkKey[s.output]));
            // The button is checked exactly while the output holds a group key.
            EXPECT_EQ(checked[s.output], LinkKeyGroupIndex(g_LinkKey[s.output]) != kNoLinkGroup);
            if (checked[s.output]) {
                EXPECT_EQ(r.group, LinkKeyGroupIndex(g_LinkKey[s.output]));
            }
        }
        for (size_t g = 0; g < seq.counts.size(); ++g)
            EXPECT_EQ(g_LinkGroupCount[g], seq.counts[g]) << g;
        for (size_t g = 0; g < seq.masks.size(); ++g)
            EXPECT_EQ(g_LinkGroupMask[g], seq.masks[g]) << g;
        for (size_t g = 0; g < seq.counts.size(); ++g)
            EXPECT_EQ(g_LinkGroupInUse[g], seq.counts[g] > 0 ? 1 : 0) << g;
    }

    bool checked[kOutputCount] = {};
    int current = 0;
};

TEST_F(LinkClickTest, ClickSequences) {
    using L = LinkStep;
    const Sequence sequences[] = {
        {"a single click opens group 1 without changing the current output",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."}},
         {1},
         {1 << 2}},
        {"a second output joins through the open group",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 5, L::JoinOpen, 2, "..1..1.."}},
         {2},
         {1 << 2 | 1 << 5}},
        {"leaving with a single click and rejoining while unedited",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 5, L::JoinOpen, 2, "..1..1.."},
          {Op::Single, 5, L::Leave, -1, "..1..x.."},
          {Op::Single, 5, L::Rejoin, 2, "..1..1.."}},
         {2},
         {1 << 2 | 1 << 5}},
        {"an edit between leaving and clicking again: a new group instead",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 5, L::JoinOpen, 2, "..1..1.."},
          {Op::Single, 5, L::Leave, -1, "..1..x.."},
          {Op::Edit, 5, L::None, -1, ""},
          {Op::Single, 5, L::StartGroup, -1, "..1..2.."}},
         {1, 1},
         {1 << 2, 1 << 5}},
        {"a right click on an unchecked button changes nothing",
         0,
         {{Op::Right, 3, L::None, -1, "........"}},
         {0},
         {0}},
        {"a right click leaves for good: no rejoin",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 5, L::JoinOpen, 2, "..1..1.."},
          {Op::Right, 5, L::LeaveForGood, -1, "..1..x.."},
          {Op::Single, 5, L::StartGroup, -1, "..1..2.."}},
         {1, 1},
         {1 << 2, 1 << 5}},
        {"a double click opens a group with the output current; others join it",
         0,
         {{Op::Double, 3, L::OpenHere, -1, "...1...."},
          {Op::Single, 4, L::JoinCurrent, 3, "...11..."},
          {Op::Single, 6, L::JoinCurrent, 3, "...11.1."}},
         {3},
         {1 << 3 | 1 << 4 | 1 << 6}},
        {"a double click on a member moves it into a group of its own",
         0,
         {{Op::Double, 3, L::OpenHere, -1, "...1...."},
          {Op::Single, 4, L::JoinCurrent, 3, "...11..."},
          {Op::Double, 4, L::OpenHere, -1, "...12..."}},
         {1, 1},
         {1 << 3, 1 << 4}},
        {"the last member leaving frees the number for the next new group",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Double, 6, L::OpenHere, -1, "..1...2."},
          {Op::Right, 2, L::LeaveForGood, -1, "..x...2."},
          {Op::Double, 1, L::OpenHere, -1, ".1x...2."}},
         {1, 1},
         {1 << 1, 1 << 6}},
        {"leaving the only group forgets every suspension",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 2, L::Leave, -1, "..x....."},
          {Op::Single, 2, L::StartGroup, -1, "..1....."}},
         {1},
         {1 << 2}},
        {"a rejoin with no member left holding the group's key falls through",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 5, L::JoinOpen, 2, "..1..1.."},
          {Op::Single, 5, L::Leave, -1, "..1..x.."},
          {Op::Load, 0, L::None, -1, ""},
          {Op::Single, 5, L::StartGroup, -1, ".....2.."}},
         {1, 1},
         {1 << 2, 1 << 5}},
        {"a checked output whose key a load replaced leaves the group it is counted in",
         0,
         {{Op::Single, 2, L::StartGroup, -1, "..1....."},
          {Op::Single, 5, L::JoinOpen, 2, "..1..1.."},
          {Op::Load, 0, L::None, -1, ""},
          {Op::Right, 5, L::LeaveForGood, -1, ".....x.."},
          {Op::Right, 2, L::LeaveForGood, -1, "..x..x.."}},
         {0},
         {0}},
    };
    for (const Sequence& seq : sequences) {
        ResetModelState();
        std::fill(std::begin(checked), std::end(checked), false);
        Run(seq);
    }
}

TEST_F(LinkClickTest, GroupOneIsNotOutputOne) {
    // Output 2 opens group 1: output 1 (own index 1) is not linked with it.
    current = 0;
    Play({Op::Double, 2, LinkStep::OpenHere, -1, ""});
    EXPECT_NE(g_LinkKey[1], g_LinkKey[2]);
    EXPECT_EQ(IsOutputLinked(1), 0);
    EXPECT_EQ(IsOutputLinked(2), 0);
    EXPECT_EQ(OutputBlock(2)[kOutLinkGroupByte], 1);
    // A second member links exactly the two.
    Play({Op::Single, 7, LinkStep::JoinCurrent, 2, ""});
    EXPECT_EQ(IsOutputLinked(2), 1);
    EXPECT_EQ(IsOutputLinked(7), 1);
    EXPECT_EQ(IsOutputLinked(1), 0);
}

TEST_F(LinkClickTest, LeavingLinksNothingToOutputZeroNorToEachOther) {
    for (int o : {3, 4})
        Play({Op::Single, o, LinkStep::None, -1, ""});
    for (int o : {3, 4})
        Play({Op::Right, o, LinkStep::None, -1, ""});
    EXPECT_EQ(KeyString(), "...xx...");
    for (int o : {0, 3, 4})
        EXPECT_EQ(IsOutputLinked(o), 0) << o;
    // The device still sees 0 for an output that left.
    EXPECT_EQ(OutputBlock(3)[kOutLinkGroupByte], 0);
    EXPECT_EQ(OutputBlock(4)[kOutLinkGroupByte], 0);
}

TEST_F(LinkClickTest, AllTwelveGroupsTakenRefusesEveryNewGroup) {
    EXPECT_EQ(FindFreeLinkGroup(), 0);
    for (int o = 0; o < kOutputCount; ++o) {
        current = o;
        EXPECT_EQ(Play({Op::Double, o, LinkStep::None, -1, ""}).step, LinkStep::OpenHere);
    }
    EXPECT_EQ(FindFreeLinkGroup(), kNoLinkGroup);
    EXPECT_EQ(KeyString(), "12345678");
    // A sole member's double click frees its own group first and takes it again.
    current = 0;
    EXPECT_EQ(Play({Op::Double, 3, LinkStep::None, -1, ""}).step, LinkStep::OpenHere);
    EXPECT_EQ(KeyString(), "12345678");

    // Every group in use and a fresh output: nothing changes, the caller
    // tells the user.
    ResetModelState();
    std::fill(std::begin(checked), std::end(checked), false);
    for (int& used : g_LinkGroupInUse)
        used = 1;
    for (const Op op : {Op::Single, Op::Double}) {
        const LinkClickResult r = Play({op, 4, LinkStep::None, -1, ""});
        EXPECT_EQ(r.step, LinkStep::Refused);
        EXPECT_FALSE(checked[4]);
        EXPECT_EQ(g_LinkKey[4], OutputLinkKey(4));
        EXPECT_EQ(OutputBlock(4)[kOutLinkGroupByte], 0);
        EXPECT_EQ(g_LinkGroupMask[0], 0);
    }
}

TEST_F(LinkClickTest, ResetClearsEveryTable) {
    Play({Op::Single, 2, LinkStep::None, -1, ""});
    ResetLinkGroups();
    EXPECT_EQ(FindFreeLinkGroup(), 0);
    EXPECT_EQ(g_LinkGroupOrigin, -1);
    EXPECT_EQ(g_LinkGroupOpen.load(), 0);
    EXPECT_EQ(g_LinkGroupMask[0], 0);
    EXPECT_EQ(g_LinkRecord[2].group, 0);
}

} // namespace
