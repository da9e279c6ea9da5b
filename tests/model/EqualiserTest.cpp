#include "tests/model/ModelFixture.h"

#include "model/KTVEQ.h"

#include <limits>

namespace {

std::vector<uint8_t> Rec(const ItemRecord& r) {
    return std::vector<uint8_t>(r.begin(), r.end());
}

using EqualiserTest = ModelTest;

} // namespace

TEST_F(EqualiserTest, PackBandGoldens) {
    CKTVEQ eq;
    eq.BuildThreeBand(2, 8, 20000); // band 1 sits at 1000 Hz
    CFilter* band = eq.GetAt(1);
    band->SetGainCode(235);
    band->SetBandwidthCode(14);
    band->SetSlope(2, 0);
    EXPECT_EQ(Rec(eq.PackBand(1)), Hex("E8 03 7B 02 0E 00 02 00"));

    band->SetBypass(1);
    EXPECT_EQ(Rec(eq.PackBand(1)), Hex("E8 03 58 02 0E 00 02 00"))
        << "a bypassed band carries 0 dB";
    EXPECT_EQ(Rec(eq.PackBand(99)), Hex("00 00 00 00 00 00 00 00")) << "no element, no record";
}

TEST_F(EqualiserTest, UnpackBandGoldens) {
    g_DeviceSynced = 1; // loaded values must not be marked even while synchronised
    CKTVEQ eq;
    eq.BuildThirdOctave(30, 32, 9, 20, 20000);
    const auto rec = Hex("58 1B 58 02 0E 00 00 00");
    eq.UnpackBand(rec.data(), 4);
    const CFilter* f = eq.GetAt(4);
    EXPECT_EQ(f->GetGainCode(), 200);
    EXPECT_EQ(f->GetBandwidthCode(), 14);
    EXPECT_EQ(f->GetSlope(), 0);
    EXPECT_EQ(f->GetKind(), 0);
    EXPECT_EQ(f->GetFreq(), 7000);
    EXPECT_EQ(f->GetAppliedFreq(), 7000);
    EXPECT_FALSE(f->IsChanged());
    EXPECT_EQ(Rec(eq.PackBand(4)), rec);

    const auto lowPass = Hex("88 13 58 02 0E 00 00 20"); // kind 32 at 5000 Hz
    eq.UnpackBand(lowPass.data(), 5);
    EXPECT_EQ(eq.GetAt(5)->GetFreq(), 5000);
    EXPECT_EQ(eq.GetAt(5)->GetAppliedFreq(), 5000) << "not the 20000 that the kind alone sets";
    EXPECT_FALSE(eq.GetAt(5)->IsChanged());
}

TEST_F(EqualiserTest, Builders) {
    struct Case {
        const char* name;
        void (*build)(CKTVEQ&);
        int count;
        std::vector<int> freqs; // bands, then high-pass and low-pass
        std::vector<int> kinds;
        int crossoverItem;
        int reduced;
        int family;
    } cases[] = {
        {"fifteen band",
         [](CKTVEQ& e) { e.BuildFifteenBand(8, 10, 20000); },
         11,
         {20, 32, 53, 87, 143, 235, 386, 632, 1035, 20, 20000},
         {1, 0, 0, 0, 0, 0, 0, 0, 2, 31, 32},
         10,
         1,
         2},
        {"three band",
         [](CKTVEQ& e) { e.BuildThreeBand(2, 8, 20000); },
         5,
         {100, 1000, 10000, 20, 20000},
         {0, 0, 0, 31, 32},
         8,
         1,
         2},
    };
    for (const Case& c : cases) {
        CKTVEQ eq;
        c.build(eq);
        ASSERT_EQ(eq.GetCount(), c.count) << c.name;
        for (int i = 0; i < c.count; ++i) {
            const CFilter* f = eq.GetAt(i);
            EXPECT_EQ(f->GetFreq(), c.freqs[static_cast<size_t>(i)]) << c.name << " " << i;
            EXPECT_EQ(f->GetAppliedFreq(), c.freqs[static_cast<size_t>(i)]) << c.name << " " << i;
            EXPECT_EQ(f->GetKind(), c.kinds[static_cast<size_t>(i)]) << c.name << " " << i;
            EXPECT_FALSE(f->IsChanged());
        }
        for (const CFilter* xo : {eq.GetHighPass(), eq.GetLowPass()}) {
            EXPECT_EQ(xo->GetItemCode(), c.crossoverItem) << c.name;
            EXPECT_EQ(xo->HasReducedSlopes(), c.reduced) << c.name;
            EXPECT_EQ(xo->GetFamily(), c.family) << c.name;
            EXPECT_FALSE(xo->IsBandHandle()) << c.name;
        }
    }

    CKTVEQ mixed;
    mixed.BuildMixedBands(30, 32, 20000);
    ASSERT_EQ(mixed.GetCount(), 33);
    const int expected[] = {20,   32,   53,   87,   143,  235,   386,   632,
                            1035, 1696, 2778, 4551, 7455, 12210, 20000, 630};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(mixed.GetAt(i)->GetFreq(), expected[i]) << i;
    EXPECT_EQ(mixed.GetAt(30)->GetFreq(), 20000);
    EXPECT_EQ(mixed.GetHighPass()->GetSlope(), 0);

    CKTVEQ third;
    third.BuildThirdOctave(30, 32, 11, 20, 20000);
    EXPECT_EQ(third.GetHighPass()->GetDragOption(), 11);
    EXPECT_EQ(third.GetLowPass()->GetDragOption(), 12);
    EXPECT_EQ(third.GetHighPass()->GetSlope(), 2);
    EXPECT_EQ(third.GetAt(17)->GetFreq(), 1000);

    CKTVEQ tooLong; // a last index past the table stops at its end
    tooLong.BuildFifteenBand(40, 10, 20000);
    EXPECT_EQ(tooLong.GetCount(), 17);
}

TEST_F(EqualiserTest, CrossoverRecord) {
    CKTVEQ eq;
    eq.BuildThirdOctave(30, 32, 9, 20, 20000);
    const auto rec = Hex("E8 03 02 03 D0 07 01 05");
    eq.LoadCrossover(rec.data());
    EXPECT_EQ(eq.GetHighPass()->GetFreq(), 1000);
    EXPECT_EQ(eq.GetHighPass()->GetFamily(), 2);
    EXPECT_EQ(eq.GetHighPass()->GetSlope(), 3);
    EXPECT_EQ(eq.GetLowPass()->GetFreq(), 2000);
    EXPECT_FALSE(eq.GetHighPass()->IsChanged());
    EXPECT_EQ(Rec(eq.PackCrossover()), rec);
}

TEST_F(EqualiserTest, TakeCrossoverChangedStepsUntilArrived) {
    CKTVEQ eq;
    eq.BuildThirdOctave(30, 32, 9, 100, 20000);
    g_DeviceSynced = 1;
    eq.GetHighPass()->SetFreq(1000, 1);
    std::vector<int> sent;
    while (eq.TakeCrossoverChanged())
        sent.push_back(eq.GetHighPass()->GetAppliedFreq());
    EXPECT_EQ(sent, (std::vector<int>{200, 400, 800, 1000, 1000}));
}

TEST_F(EqualiserTest, FlatEqualiserSitsOnTheZeroLine) {
    CKTVEQ eq;
    eq.BuildThirdOctave(30, 32, 9, 20, 20000);
    eq.SetGraphRect({0, 0, 600, 240});
    eq.UpdateCurve();
    const int zero = GainToGraphY(0, 240) + 10;
    for (int i = 0; i < kFreqTableSize; ++i) {
        EXPECT_EQ(eq.GetCurvePoints()[static_cast<size_t>(i)].y, zero) << i;
        EXPECT_FLOAT_EQ(eq.GetRealCurvePoints()[static_cast<size_t>(i)].y,
                        static_cast<float>(zero));
    }
    EXPECT_EQ(eq.GetCurvePoints()[136].x, FreqToGraphX(1000, 600) + 40);
}

// Every word a record can carry packs back as it came; a setting no word can
// carry saturates to the word's end instead of wrapping (or overflowing, as
// gain code INT_MAX + 400 did).
TEST_F(EqualiserTest, RecordWordsRoundTripAndSaturate) {
    CKTVEQ eq;
    eq.BuildThreeBand(2, 8, 20000);
    for (const char* record : {"00 80 00 80 00 80 FF 20", "FF 7F FF 7F FF 7F 00 00",
                               "FF FF FF FF FF FF 01 02", "00 00 00 00 00 00 07 01"}) {
        const auto rec = Hex(record);
        eq.UnpackBand(rec.data(), 1);
        EXPECT_EQ(Rec(eq.PackBand(1)), rec) << record;
    }
    const auto crossover = Hex("FF FF 02 07 00 00 01 08");
    eq.LoadCrossover(crossover.data());
    EXPECT_EQ(Rec(eq.PackCrossover()), crossover);

    CFilter* band = eq.GetAt(1);
    band->SetSlope(2, 0);
    band->SetKind(FilterKind::Peaking);
    band->SetFreq(1000, 0);
    band->SetBandwidthCode(14);
    band->SetGainCode(std::numeric_limits<int>::max());
    EXPECT_EQ(Rec(eq.PackBand(1)), Hex("E8 03 FF 7F 0E 00 02 00"));
    band->SetGainCode(std::numeric_limits<int>::min());
    EXPECT_EQ(Rec(eq.PackBand(1)), Hex("E8 03 00 80 0E 00 02 00"));
    band->SetFreq(70000, 0);
    band->SetBandwidthCode(std::numeric_limits<int>::max());
    EXPECT_EQ(Rec(eq.PackBand(1)), Hex("FF 7F 00 80 FF 7F 02 00"));
    band->SetFreq(-70000, 0);
    band->SetBandwidthCode(std::numeric_limits<int>::min());
    EXPECT_EQ(Rec(eq.PackBand(1)), Hex("00 80 00 80 00 80 02 00"));

    eq.GetHighPass()->SetFreq(70000, 0);
    eq.GetLowPass()->SetFreq(-5, 0);
    EXPECT_EQ(Rec(eq.PackCrossover()).at(0), 0xFF);
    EXPECT_EQ(Rec(eq.PackCrossover()).at(1), 0xFF);
    EXPECT_EQ(Rec(eq.PackCrossover()).at(4), 0x00);
    EXPECT_EQ(Rec(eq.PackCrossover()).at(5), 0x00);
}
