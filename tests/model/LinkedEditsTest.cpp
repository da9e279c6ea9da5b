// The edits of one output that reach the outputs sharing its link key, and
// bypass-all, as tables over a model loaded from the default image: which
// outputs take part, and which values each edit hands on or leaves.
#include "tests/model/ModelFixture.h"

#include "model/Filter.h"
#include "model/LinkKeys.h"
#include "model/LinkedEdits.h"

namespace {

constexpr int kTop = 30;

class LinkedEditsTest : public LoadedModelTest {
protected:
    CFilter& Band(int output, int band) { return *Out(output).GetFilter(band); }
    void SetBand(int output, int band, int freq, int q, int gain) {
        Band(output, band).SetFreq(freq, 0);
        Band(output, band).SetBandwidthCode(q);
        Band(output, band).SetGainCode(gain);
    }
    // Outputs of the list share one group key; the others keep their own.
    static void Link(std::initializer_list<int> outputs, int group = 1) {
        for (int o : outputs)
            SetLinkKey(o, GroupLinkKey(group));
    }
};

TEST_F(LinkedEditsTest, TheOutputsSharingTheKeyInOrder) {
    struct Case {
        const char* what;
        LinkKeyTable keys;
        int output;
        std::vector<int> linked;
    };
    LinkKeyTable own{};
    for (int i = 0; i < 12; ++i)
        own[static_cast<size_t>(i)] = OutputLinkKey(i);
    LinkKeyTable group = own;
    for (int o : {7, 2, 9})
        group[static_cast<size_t>(o)] = GroupLinkKey(4);
    LinkKeyTable pair = own;
    pair[5] = OutputLinkKey(4); // the target of a left/right pair
    LinkKeyTable mask = own;
    for (int o : {0, 1, 11})
        mask[static_cast<size_t>(o)] = MaskLinkKey(0x803);
    LinkKeyTable left = group;
    left[2] = LeftGroupLinkKey(2);
    const Case cases[] = {
        {"nothing linked", own, 3, {}},
        {"a group, from its middle member", group, 7, {2, 9}},
        {"a group, from its last member", group, 9, {2, 7}},
        {"outside the group", group, 3, {}},
        {"a left/right pair from its source", pair, 4, {5}},
        {"a joint-debug mask", mask, 11, {0, 1}},
        {"a member that left", left, 2, {}},
        {"the group without the member that left", left, 7, {9}},
        {"an output below 0", group, -1, {}},
        {"an output above 11", group, 12, {}},
    };
    for (const Case& c : cases) {
        SetLinkKeys(c.keys);
        EXPECT_EQ(LinkedOutputIndexes(c.output), c.linked) << c.what;
        std::vector<CKTV_OutData*> objects;
        for (int o : c.linked)
            objects.push_back(model->GetOut(o));
        EXPECT_EQ(LinkedOutputsOf(*model, c.output), objects) << c.what;
    }
}

// The source band at 1 kHz, Q code 120, +6 dB; the target band at 250 Hz,
// Q code 40, -3 dB. Each edit hands on its own field only.
TEST_F(LinkedEditsTest, ABandEditHandsOnOnlyItsField) {
    struct Case {
        const char* what;
        BandEdit edit;
        int bypass;
        int freq, q, gain; // the target band afterwards
        int bypassed;
    };
    const Case cases[] = {
        {"frequency", BandEdit::Freq, 0, 1000, 40, 170, 0},
        {"Q", BandEdit::Q, 0, 250, 120, 170, 0},
        {"gain", BandEdit::Gain, 0, 250, 40, 260, 0},
        {"bypass on", BandEdit::Bypass, 1, 250, 40, kGainCodeFlat, 1},
        {"bypass off", BandEdit::Bypass, 0, 250, 40, 170, 0},
    };
    const int band = 12;
    for (const Case& c : cases) {
        SetUp();
        SetBand(0, band, 1000, 120, 260);
        for (int o : {3, 8})
            SetBand(o, band, 250, 40, 170);
        CopyBandEdit(Out(0), band, c.edit, c.bypass, {&Out(3)});
        const CFilter& to = Band(3, band);
        EXPECT_EQ(to.GetFreq(), c.freq) << c.what;
        EXPECT_EQ(to.GetBandwidthCode(), c.q) << c.what;
        EXPECT_EQ(to.GetGainCode(), c.gain) << c.what;
        EXPECT_EQ(to.IsBypassedOrFlat(), c.bypassed) << c.what;
        // An output not named keeps its band.
        EXPECT_EQ(Band(8, band).GetFreq(), 250) << c.what;
        EXPECT_EQ(Band(8, band).GetBandwidthCode(), 40) << c.what;
        EXPECT_EQ(Band(8, band).GetGainCode(), 170) << c.what;
    }
}

// A target whose top band holds a phase: a frequency or Q edit makes it a
// peaking band again at 20 kHz (the pinned phase band takes the frequency at
// 20 kHz before it turns), a gain edit leaves the phase.
TEST_F(LinkedEditsTest, AnEditOfTheTopBandEndsATargetsPhase) {
    struct Case {
        const char* what;
        BandEdit edit;
        int kind;
        int freq;
    };
    const Case cases[] = {
        {"frequency", BandEdit::Freq, FilterKind::Peaking, 20000},
        {"Q", BandEdit::Q, FilterKind::Peaking, 20000},
        {"gain", BandEdit::Gain, FilterKind::Special, 20000},
    };
    for (const Case& c : cases) {
        SetUp();
        ApplyPhaseToTopBand(Out(0), kPhaseOffValue);
        Band(0, kTop).SetFreq(16000, 0);
        ApplyPhaseToTopBand(Out(1), 90);
        CopyBandEdit(Out(0), kTop, c.edit, 0, {&Out(1)});
        EXPECT_EQ(Band(1, kTop).GetKind(), c.kind) << c.what;
        EXPECT_EQ(Band(1, kTop).GetFreq(), c.freq) << c.what;
    }
}

// A dragged band hands on frequency and Q, and its gain only when the band is
// at the gain it reports.
TEST_F(LinkedEditsTest, ADraggedBandHandsOnItsGainOnlyWhenItIsReal) {
    struct Case {
        const char* what;
        int gain;
        int bypass;
        int targetGain;
    };
    const Case cases[] = {
        {"a live band", 260, 0, 260},
        {"a bypassed band keeps its own gain", 260, 1, 170},
        {"a band at 0 dB", kGainCodeFlat, 0, kGainCodeFlat},
    };
    const int band = 5;
    for (const Case& c : cases) {
        SetUp();
        SetBand(2, band, 800, 90, c.gain);
        Band(2, band).SetBypass(c.bypass);
        Band(6, band).SetGainCode(170);
        CopyDraggedBand(Out(2), band, {&Out(6)});
        EXPECT_EQ(Band(6, band).GetFreq(), 800) << c.what;
        EXPECT_EQ(Band(6, band).GetBandwidthCode(), 90) << c.what;
        EXPECT_EQ(Band(6, band).GetGainCode(), c.targetGain) << c.what;
    }
    // The top band's phase ends.
    ApplyPhaseToTopBand(Out(6), 45);
    CopyDraggedBand(Out(2), kTop, {&Out(6)});
    EXPECT_EQ(Band(6, kTop).GetKind(), FilterKind::Peaking);
}

TEST_F(LinkedEditsTest, ACrossoverEditReachesOnlyItsSideAndField) {
    struct Case {
        const char* what;
        bool high;
        CrossoverEdit edit;
        int value;
    };
    const Case cases[] = {
        {"high-pass frequency", true, CrossoverEdit::Freq, 120},
        {"low-pass frequency", false, CrossoverEdit::Freq, 5000},
        {"high-pass family", true, CrossoverEdit::Family, 2},
        {"low-pass slope", false, CrossoverEdit::Slope, 3},
    };
    for (const Case& c : cases) {
        SetUp();
        CKTV_OutData& target = Out(4);
        const int hp[] = {target.GetHighPass()->GetFreq(), target.GetHighPass()->GetFamily(),
                          target.GetHighPass()->GetSlope()};
        const int lp[] = {target.GetLowPass()->GetFreq(), target.GetLowPass()->GetFamily(),
                          target.GetLowPass()->GetSlope()};
        CopyCrossoverEdit(c.high, c.edit, c.value, {&target});
        const CFilter* sides[] = {target.GetHighPass(), target.GetLowPass()};
        const int* before[] = {hp, lp};
        for (int s = 0; s < 2; ++s) {
            const bool edited = (s == 0) == c.high;
            const int now[] = {sides[s]->GetFreq(), sides[s]->GetFamily(), sides[s]->GetSlope()};
            for (int f = 0; f < 3; ++f) {
                const bool field = edited && f == static_cast<int>(c.edit);
                EXPECT_EQ(now[f], field ? c.value : before[s][f])
                    << c.what << ", side " << s << ", field " << f;
            }
        }
    }
}

TEST_F(LinkedEditsTest, ThePhaseLivesInTheTopBand) {
    struct Case {
        const char* what;
        int phase;
        int kind;
        int displayFreq;
        int q;
    };
    const Case cases[] = {
        {"a phase", 100, FilterKind::Special, 100, kPhaseBandwidthCode},
        {"another phase", 35, FilterKind::Special, 35, kPhaseBandwidthCode},
        {"no phase", kPhaseOffValue, FilterKind::Peaking, 20000, -1},
    };
    for (const Case& c : cases) {
        ApplyPhaseToTopBand(Out(0), 60);
        ApplyPhaseToTopBand(Out(0), c.phase);
        const CFilter& top = Band(0, kTop);
        EXPECT_EQ(top.GetKind(), c.kind) << c.what;
        EXPECT_EQ(top.GetDisplayFreq(), c.displayFreq) << c.what;
        if (c.q >= 0) {
            EXPECT_EQ(top.GetBandwidthCode(), c.q) << c.what;
        }
    }
}

// Bypass-all of an output: what the switch leaves and whether it asks on.
TEST_F(LinkedEditsTest, BypassAllOfAnOutput) {
    struct Case {
        const char* what;
        bool aBandLive; // one band at +6 dB, else every band flat
        int wanted;
        bool allFlat;
        int state;
    };
    const Case cases[] = {
        {"bypass a live equaliser", true, 1, false, 1},
        {"restore a live equaliser", true, 0, false, 0},
        {"restore a flat equaliser: nothing to restore", false, 0, true, 0},
        {"bypass a flat equaliser", false, 1, false, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.aBandLive) Band(0, 9).SetGainCode(260);
        if (c.wanted == 0) SwitchAllBandsBypass(Out(0), 1);
        const AllBypassStep step = SwitchAllBandsBypass(Out(0), c.wanted);
        EXPECT_EQ(step.allFlat, c.allFlat) << c.what;
        EXPECT_EQ(step.state, c.state) << c.what;
        // A flat equaliser stays bypassed; a live band shows the switch.
        const int bypassed = c.wanted || c.allFlat ? 1 : 0;
        EXPECT_EQ(Band(0, 9).IsBypassedOrFlat(), c.aBandLive ? bypassed : 1) << c.what;
    }
}

TEST_F(LinkedEditsTest, BypassAllReachesTheOtherMembersOfTheGroup) {
    struct Case {
        const char* what;
        int option;
    };
    for (const Case& c : {Case{"bypass", 1}, Case{"restore", 0}}) {
        SetUp();
        Link({1, 4, 10});
        for (int o = 0; o < 12; ++o)
            Band(o, 3).SetGainCode(260);
        if (c.option == 0)
            for (int o = 0; o < 12; ++o)
                Out(o).SetFiltersOption(1);
        EXPECT_EQ(ApplyAllBypassToGroup(*model, 4, c.option), (std::vector<int>{1, 4, 10}))
            << c.what;
        for (int o = 0; o < 12; ++o) {
            // The current output is switched by its own page; outsiders keep theirs.
            const bool member = o == 1 || o == 10;
            const int expected = member ? c.option : 1 - c.option;
            EXPECT_EQ(Band(o, 3).IsBypassedOrFlat(), expected) << c.what << ", output " << o;
        }
    }
    EXPECT_TRUE(ApplyAllBypassToGroup(*model, 12, 1).empty());
}

} // namespace
