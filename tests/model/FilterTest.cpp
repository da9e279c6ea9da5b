#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/Filter.h"
#include "model/ValueScale.h"

#include <gmock/gmock.h>

namespace {

class FilterTest : public ModelTest {
protected:
    // A band as a builder leaves it: both frequencies at f, nothing marked.
    static void Settle(CFilter& f, int freq) {
        f.SetFreq(freq, 0);
        f.StepAppliedFreq(0);
    }
};

class MockOwner : public IFilterOwner {
public:
    MOCK_METHOD(void, SetFrequency, (int hz), (override));
    MOCK_METHOD(void, SetValue, (int code), (override));
};

} // namespace

TEST_F(FilterTest, NewFilterDefaults) {
    CFilter f;
    EXPECT_EQ(f.GetKind(), 0);
    EXPECT_EQ(f.GetFreq(), 1000);
    EXPECT_EQ(f.GetAppliedFreq(), 20);
    EXPECT_EQ(f.GetGain(), 0.0);
    EXPECT_TRUE(f.IsBypassedOrFlat());
    EXPECT_EQ(f.GetGainCode(), 200);
    EXPECT_EQ(f.FormatGain(), "0.0dB");
    EXPECT_EQ(f.GetBandwidthCode(), 52);
    EXPECT_EQ(f.GetFamily(), 0);
    EXPECT_EQ(f.GetSlope(), 2);
    EXPECT_FALSE(f.IsChanged());
    EXPECT_TRUE(f.IsBandHandle());
}

TEST_F(FilterTest, GainCodes) {
    struct Case {
        int code;
        int expectCode;
        int off;
        const char* text;
    } cases[] = {
        {230, 230, 0, "3.0dB"}, {80, 80, 0, "-12.0dB"}, {200, 200, 1, "0.0dB"},
        {235, 235, 0, "3.5dB"}, {0, 0, 0, "-20.0dB"},   {400, 400, 0, "20.0dB"},
    };
    for (const Case& c : cases) {
        CFilter f;
        f.SetGainCode(c.code);
        EXPECT_EQ(f.GetGainCode(), c.expectCode) << c.code;
        EXPECT_EQ(f.IsBypassedOrFlat(), c.off) << c.code;
        EXPECT_EQ(f.FormatGain(), c.text) << c.code;
    }
    CFilter f;
    f.SetGainCode(260);
    f.SetEqBypass(1);
    EXPECT_EQ(f.GetGainCode(), 200) << "the EQ bypass sends 0 dB whatever the gain";
}

TEST_F(FilterTest, BandwidthCodesTruncate) {
    // Through the archive, the only way to give a filter an exact bandwidth.
    struct Case {
        double octaves;
        int code;
    } cases[] = {{0.099, 4}, {0.1, 5}, {0.57, 52}, {0.05, 0}, {3.0, 295}, {0.1905, 14}};
    for (const Case& c : cases) {
        CFilter f;
        CArchive out;
        f.Serialize(out);
        std::vector<uint8_t> bytes = out.Bytes();
        std::memcpy(&bytes[4 * 4 + 8 + 4 + 4], &c.octaves,
                    8); // after kind..third, gain, bypass, off
        CArchive in(bytes);
        f.Serialize(in);
        EXPECT_EQ(f.GetBandwidthCode(), c.code) << c.octaves;
    }
}

TEST_F(FilterTest, OneOctaveSteps) {
    struct Case {
        int applied;
        int target;
        std::vector<int> sent; // applied frequency after each step until clear
    } cases[] = {
        {1000, 1999, {1999, 1999}},
        {1000, 2000, {2000, 2000}},
        {1000, 500, {500, 500}},
        {1000, 501, {501, 501}},
        {1000, 4000, {2000, 4000, 4000}},
        {4000, 300, {2000, 1000, 500, 300, 300}},
        {100, 1000, {200, 400, 800, 1000, 1000}},
        {20, 20000, {40, 80, 160, 320, 640, 1280, 2560, 5120, 10240, 20000, 20000}},
    };
    for (const Case& c : cases) {
        CFilter f;
        f.SetFreq(c.target, 0);
        f.SetAppliedFreq(c.applied);
        std::vector<int> sent;
        do {
            f.StepAppliedFreq(0);
            sent.push_back(f.GetAppliedFreq());
        } while (f.IsChanged() && sent.size() < 40);
        EXPECT_EQ(sent, c.sent) << c.applied << " -> " << c.target;
    }
}

TEST_F(FilterTest, SmallUserChangesApplyAtOnce) {
    g_DeviceSynced = 1;
    CFilter band;
    Settle(band, 1000);
    band.SetFreq(600, 1); // within an octave downwards
    EXPECT_EQ(band.GetAppliedFreq(), 600);

    CFilter xo;
    xo.SetBandHandle(0);
    Settle(xo, 1000);
    xo.SetFreq(600, 1); // a crossover lowered waits for its first step
    EXPECT_EQ(xo.GetAppliedFreq(), 1000);
    xo.StepAppliedFreq(0);
    EXPECT_EQ(xo.GetAppliedFreq(), 600);
}

TEST_F(FilterTest, ChangeMarksFollowSync) {
    CFilter f;
    Settle(f, 1000);
    g_DeviceSynced = 1;
    f.SetGainCode(230);
    EXPECT_TRUE(f.IsChanged());
    g_DeviceSynced = 0;
    f.SetBandwidthCode(20); // a change while not synchronised clears the pending mark
    EXPECT_FALSE(f.IsChanged());

    f.SetFreq(3000, 1);
    EXPECT_EQ(f.GetFreq(), 3000);
    EXPECT_EQ(f.GetAppliedFreq(), 3000);
    EXPECT_FALSE(f.IsChanged());

    g_DeviceSynced = 1;
    f.SetSlope(1, 0);
    f.SetFamily(1, 0);
    EXPECT_FALSE(f.IsChanged()) << "unmarked slope and family";
    f.SetKind(1);
    EXPECT_TRUE(f.IsChanged());
    f.StepAppliedFreq(0);
    EXPECT_FALSE(f.IsChanged());
    f.StepAppliedFreq(1);
    EXPECT_TRUE(f.IsChanged());
}

TEST_F(FilterTest, KindLowPassResetsAppliedFrequency) {
    CFilter f;
    Settle(f, 5000);
    f.SetKind(32);
    EXPECT_EQ(f.GetFreq(), 5000);
    EXPECT_EQ(f.GetAppliedFreq(), 20000);
    f.StepAppliedFreq(0);
    EXPECT_EQ(f.GetAppliedFreq(), 10000);
    f.SetKind(31);
    EXPECT_EQ(f.GetAppliedFreq(), 10000);
}

TEST_F(FilterTest, StepFromLostAppliedFrequencyStartsAt20Hz) {
    CFilter f;
    Settle(f, 1000);
    f.SetAppliedFreq(0);
    f.StepAppliedFreq(0); // would divide by zero
    EXPECT_EQ(f.GetAppliedFreq(), 40);
    EXPECT_TRUE(f.IsChanged());

    // A target of 0 or below is reached in one step instead of halving forever.
    CFilter g;
    g.SetFreq(-5, 0);
    g.SetAppliedFreq(1000);
    g.StepAppliedFreq(0);
    EXPECT_EQ(g.GetAppliedFreq(), -5);
    g.StepAppliedFreq(0);
    EXPECT_FALSE(g.IsChanged());
}

TEST_F(FilterTest, UserBypass) {
    g_DeviceSynced = 1;
    CFilter flat;
    flat.SetBypass(0);
    EXPECT_TRUE(flat.IsBypassedOrFlat()) << "a band at 0 dB cannot be switched on";
    EXPECT_FALSE(flat.IsChanged());

    CFilter band;
    Settle(band, 1000);
    band.SetGainCode(260);
    band.SetBypass(1);
    EXPECT_TRUE(band.IsBypassedOrFlat());
    band.StepAppliedFreq(0);
    ASSERT_FALSE(band.IsChanged());
    band.SetBypass(0);
    EXPECT_FALSE(band.IsBypassedOrFlat());
    EXPECT_TRUE(band.IsChanged());
    EXPECT_EQ(band.GetGainCode(), 260) << "the stored gain stays";

    CFilter eqOff;
    eqOff.SetGainCode(260);
    eqOff.SetEqBypass(1);
    eqOff.SetBypass(1); // clears the EQ bypass first, then switches the band off
    EXPECT_TRUE(eqOff.IsBypassedOrFlat());
    eqOff.SetBypass(0);
    EXPECT_FALSE(eqOff.IsBypassedOrFlat());
}

TEST_F(FilterTest, EqBypassRestoresAndNeverMarks) {
    g_DeviceSynced = 1;
    CFilter f;
    Settle(f, 1000);
    f.SetGainCode(260);
    f.StepAppliedFreq(0);
    ASSERT_FALSE(f.IsChanged());

    f.SetEqBypass(1);
    EXPECT_TRUE(f.IsBypassedOrFlat());
    f.SetEqBypass(0);
    EXPECT_FALSE(f.IsBypassedOrFlat());
    EXPECT_FALSE(f.IsChanged());
}

TEST_F(FilterTest, RepeatedEqBypassOnStillRestores) {
    CFilter f;
    f.SetGainCode(260);
    f.SetEqBypass(1);
    f.SetEqBypass(1); // used to save its own "on" as the value to restore
    f.SetEqBypass(0);
    EXPECT_FALSE(f.IsBypassedOrFlat());
    EXPECT_EQ(f.GetGainCode(), 260);
}

TEST_F(FilterTest, ResetBand) {
    g_DeviceSynced = 1;
    CFilter f;
    f.SetGainCode(300);
    f.SetFreq(5000, 1);
    f.ResetBand(125);
    EXPECT_EQ(f.GetFreq(), 125);
    EXPECT_EQ(f.GetAppliedFreq(), 125);
    EXPECT_EQ(f.GetBandwidthCode(), 14);
    EXPECT_EQ(f.GetGainCode(), 200);
    EXPECT_TRUE(f.IsChanged()) << "the mark is left as it was";
}

TEST_F(FilterTest, SpecialLastBandSendsItsOwnValue) {
    CFilter f;
    f.SetItemCode(30);
    f.SetKind(3);
    f.SetFreq(180, 0);
    EXPECT_EQ(f.GetFreq(), 20000);
    EXPECT_EQ(f.GetDisplayFreq(), 180);
    EXPECT_EQ(f.GetAppliedFreq(), 180);
    f.StepAppliedFreq(0);
    EXPECT_FALSE(f.IsChanged()) << "nothing to step: a loaded special band is not re-sent";

    g_DeviceSynced = 1;
    f.SetFreq(90, 1);
    EXPECT_EQ(f.GetAppliedFreq(), 90);
    f.StepAppliedFreq(0);
    EXPECT_FALSE(f.IsChanged()) << "one frame carries the new value";
}

TEST_F(FilterTest, CrossoverTellsItsSlider) {
    MockOwner slider;
    CFilter xo;
    xo.SetBandHandle(0);
    xo.SetOwner(&slider);
    EXPECT_CALL(slider, SetFrequency(250));
    xo.SetFreq(250, 1);
    xo.SetFreq(300, 0); // a loaded value is not the user's
}

TEST_F(FilterTest, Texts) {
    CFilter f;
    EXPECT_EQ(f.FormatFreq(), "1000Hz");
    EXPECT_EQ(f.FormatBandwidth(), "0.57Oct");
    EXPECT_EQ(f.FormatQ(), "2.515");
    f.SetBandwidthCode(0);
    EXPECT_EQ(f.FormatQ(), "28.85");
    f.SetBandwidthCode(-40); // a hostile code reads the nearest table entry
    EXPECT_EQ(f.FormatQ(), "28.85");
    f.SetBandwidthCode(9999);
    EXPECT_EQ(f.FormatQ(), "0.404");

    struct SlopeCase {
        int slope;
        int reduced;
        const char* text;
    } slopes[] = {{0, 0, "6dB/Oct"},  {3, 0, "24dB/Oct"}, {7, 0, "48dB/Oct"}, {8, 0, "OFF"},
                  {9, 0, ""},         {-1, 0, ""},        {0, 1, ""},         {1, 1, "12dB/Oct"},
                  {2, 1, "24dB/Oct"}, {3, 1, ""}};
    for (const SlopeCase& c : slopes) {
        CFilter x;
        x.SetReducedSlopes(c.reduced);
        x.SetSlope(c.slope, 0);
        EXPECT_EQ(x.FormatSlope(), c.text) << c.slope << "/" << c.reduced;
    }
    CFilter shelf;
    shelf.SetSlope(1, 0);
    EXPECT_EQ(shelf.FormatShelfSlope(), "12dB/Oct");
    shelf.SetSlope(2, 0);
    EXPECT_EQ(shelf.FormatShelfSlope(), "");

    struct KindCase {
        int kind;
        const char* en;
        const char* cn;
    } kinds[] = {{0, "PEQ", "参量均衡"},
                 {1, "Lo_Shf", "低架"},
                 {2, "Hi_Shf", "高架"},
                 {3, "", ""},
                 {31, "", ""}};
    for (const KindCase& c : kinds) {
        CFilter x;
        x.SetKind(c.kind);
        g_LanguageFlag = 0;
        EXPECT_EQ(x.FormatEqType(), c.en);
        g_LanguageFlag = 1;
        EXPECT_EQ(x.FormatEqType(), c.cn);
    }
    struct FamilyCase {
        int family;
        const char* en;
        const char* cn;
    } families[] = {{0, "Link-Ril", "宁克-锐"},
                    {1, "Bessel", "贝塞尔"},
                    {2, "Butter-W", "巴特沃斯"},
                    {3, "", ""},
                    {-1, "", ""}};
    for (const FamilyCase& c : families) {
        CFilter x;
        x.SetFamily(c.family, 0);
        g_LanguageFlag = 0;
        EXPECT_EQ(x.FormatFamily(), c.en);
        g_LanguageFlag = 1;
        EXPECT_EQ(x.FormatFamily(), c.cn);
    }
}

TEST_F(FilterTest, CurveFollowsEverySetter) {
    CFilter band;
    Settle(band, 1000);
    for (double v : band.GetCurve())
        EXPECT_EQ(v, 0.0) << "a band at 0 dB is flat";
    band.SetGainCode(260); // +6 dB
    EXPECT_NEAR(band.GetCurve()[136], 6.0, 0.01) << "g_FreqTable[136] is 1000 Hz";
    band.SetEqBypass(1);
    EXPECT_EQ(band.GetCurve()[136], 0.0);
    band.SetEqBypass(0);
    band.SetFreq(125, 0);
    EXPECT_NEAR(band.GetCurve()[64], 6.0, 0.01) << "g_FreqTable[64] is 125 Hz";
    EXPECT_LT(band.GetCurve()[136], 1.0);

    // A kind without a curve keeps the one it had.
    const CFilter::Curve before = band.GetCurve();
    band.SetKind(77);
    band.SetGainCode(300);
    EXPECT_EQ(band.GetCurve(), before);

    CFilter highPass;
    highPass.SetBandHandle(0);
    highPass.SetKind(31);
    highPass.SetFreq(20, 0);
    for (double v : highPass.GetCurve())
        EXPECT_EQ(v, 0.0) << "a high-pass at 20 Hz is off";
    highPass.SetFreq(1000, 0);
    highPass.SetSlope(3, 0); // Linkwitz-Riley 24 dB/Oct
    EXPECT_NEAR(highPass.GetCurve()[136], -5.95, 0.1);
    highPass.SetSlope(8, 0);
    EXPECT_EQ(highPass.GetCurve()[136], 0.0);
}

TEST_F(FilterTest, ArchiveLayoutAndRoundTrip) {
    CFilter f;
    f.SetItemCode(7);
    f.SetKind(1);
    f.SetGainCode(235);
    f.SetBandwidthCode(14);
    f.SetFamily(2, 0);
    f.SetSlope(1, 0);
    f.SetFreq(150, 0);
    CArchive out;
    f.Serialize(out);
    ASSERT_EQ(out.Bytes().size(), 4u * 4 + 8 + 4 + 4 + 8 + 4 * 3);
    EXPECT_EQ(Bytes(out.Bytes().data(), 16),
              Hex("01 00 00 00 96 00 00 00 96 00 00 00 14 00 00 00"));

    CFilter g;
    CArchive in(out.Bytes());
    g.Serialize(in);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(g.GetKind(), 1);
    EXPECT_EQ(g.GetFreq(), 150);
    EXPECT_EQ(g.GetGainCode(), 235);
    EXPECT_EQ(g.GetBandwidthCode(), 14);
    EXPECT_EQ(g.GetFamily(), 2);
    EXPECT_EQ(g.GetSlope(), 1);
    EXPECT_EQ(g.GetItemCode(), 7);
}

TEST_F(FilterTest, CopyFromTakesTheOthersFrequencyAsApplied) {
    g_DeviceSynced = 1;
    CFilter src;
    Settle(src, 100);
    src.SetFreq(1000, 1); // applied lags at 100
    src.SetGainCode(250);
    CFilter dst;
    dst.SetItemCode(4);
    dst.CopyFrom(src);
    EXPECT_EQ(dst.GetFreq(), 1000);
    EXPECT_EQ(dst.GetAppliedFreq(), 1000);
    EXPECT_EQ(dst.GetGainCode(), 250);
    EXPECT_EQ(dst.GetItemCode(), 4);
    EXPECT_FALSE(dst.IsChanged());
}

TEST_F(FilterTest, EveryDeviceCodeSurvivesTheRoundTrip) {
    CFilter f;
    for (int code = 0; code <= 400; ++code) {
        f.SetGainCode(code);
        ASSERT_EQ(f.GetGainCode(), code);
    }
    for (int code = 0; code < kQTableSize; ++code) {
        f.SetBandwidthCode(code);
        ASSERT_EQ(f.GetBandwidthCode(), code);
    }
}
