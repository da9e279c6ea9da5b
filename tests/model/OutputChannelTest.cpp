#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/KTV_Data.h"

#include <array>
#include <functional>
#include <memory>

namespace {

std::vector<uint8_t> Frame(const PacketPtr& p) {
    return p ? Bytes(p->GetData(), static_cast<size_t>(p->GetLength())) : std::vector<uint8_t>{};
}

using OutputChannelTest = LoadedModelTest;

} // namespace

TEST_F(OutputChannelTest, LoadThenWriteReproducesEveryDefaultBlock) {
    std::vector<uint8_t> before(g_ParamImage, g_ParamImage + kParamBlockSize);
    std::memset(g_ParamImage + kOutputBlockOffset, 0xCC, kOutputCount * kOutputBlockSize);
    for (int ch = 0; ch < kOutputCount; ++ch)
        Out(ch).WriteAllItems();
    for (int ch = 0; ch < kOutputCount; ++ch) {
        const uint8_t* want = DefaultOutputBlock(ch);
        for (int item = 0; item < 36; ++item)
            EXPECT_EQ(Bytes(OutputBlock(ch) + 8 * item, item == 35 ? 6 : 8),
                      Bytes(want + 8 * item, item == 35 ? 6 : 8))
                << "output " << ch << " item " << item;
        EXPECT_EQ(Bytes(OutputBlock(ch) + 286, 10), std::vector<uint8_t>(10, 0xCC))
            << "286..295 are not written";
    }
    EXPECT_EQ(Bytes(g_ParamImage, kOutputBlockOffset), Bytes(before.data(), kOutputBlockOffset));
}

TEST_F(OutputChannelTest, WritingOneChannelTouchesOnlyItsOwnBytes) {
    for (int ch = 0; ch < kOutputCount; ++ch) {
        // Values that differ from the image everywhere the channel writes.
        Out(ch).SetGain(123);
        Out(ch).SetMixLevel(3, 7);
        Out(ch).GetFilter(4)->SetGainCode(222);
        std::vector<uint8_t> before(g_ParamImage, g_ParamImage + kParamBlockSize);
        Out(ch).WriteAllItems();
        const int first = kOutputBlockOffset + kOutputBlockSize * ch;
        for (int i = 0; i < kParamBlockSize; ++i) {
            if (i >= first && i < first + 286) continue;
            ASSERT_EQ(g_ParamImage[i], before[static_cast<size_t>(i)])
                << "output " << ch << " wrote byte " << i;
        }
        EXPECT_NE(Bytes(g_ParamImage + first, 286), Bytes(before.data() + first, 286));
    }
}

TEST_F(OutputChannelTest, LoadedDefaults) {
    EXPECT_EQ(Out(0).GetMixLevel(17), 164);
    EXPECT_EQ(Out(0).GetMixLevel(18), 1);
    EXPECT_EQ(Out(0).GetName(), "");
    EXPECT_EQ(Out(2).GetSpeakerType(), 7);
    EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), 70);
    EXPECT_EQ(Out(10).GetLowPass()->GetFreq(), 55);
    for (int ch = 0; ch < kOutputCount; ++ch)
        for (int i = 0; i < Out(ch).GetFilterCount(); ++i)
            EXPECT_FALSE(Out(ch).GetFilter(i)->IsChanged());
}

TEST_F(OutputChannelTest, NameFromTheLockBytes) {
    uint8_t block[kOutputBlockSize];
    std::memcpy(block, DefaultOutputBlock(0), sizeof block);
    std::memcpy(block + 288, Hex("46 4C 00 00 00 00 00 00").data(), 8);
    Out(0).LoadFromImageBlock(block);
    EXPECT_EQ(Out(0).GetName(), "FL");
    std::memcpy(block + 288, Hex("20 00 20 20 20 20 20 00").data(), 8);
    Out(0).LoadFromImageBlock(block);
    EXPECT_EQ(Out(0).GetName(), "");
}

TEST_F(OutputChannelTest, SpeakerTypeCrossoverDefaults) {
    struct Default {
        int high, highFamily, low, lowFamily, option;
    };
    const Default none{20, 1, 20000, 1, 12}, tweeter{3400, 1, 20000, 1, 11},
        mid{600, 1, 1900, 1, 12}, woofer{70, 1, 320, 1, 12}, midTweeter{600, 1, 20000, 1, 12},
        midWoofer{70, 1, 1900, 1, 12}, full{70, 1, 20000, 1, 12}, sub{30, 2, 50, 2, 12};
    const Default table[25] = {
        none,   tweeter,    mid,       woofer, midTweeter, midWoofer, full, tweeter, mid,
        woofer, midTweeter, midWoofer, full,   tweeter,    woofer,    full, tweeter, woofer,
        full,   tweeter,    woofer,    full,   sub,        sub,       sub};
    g_DeviceSynced = 1;
    for (int type = 0; type < 25; ++type) {
        CKTV_OutData& o = Out(type % kOutputCount);
        o.SetSpeakerType(type);
        const Default& d = table[type];
        EXPECT_EQ(o.GetSpeakerType(), type);
        EXPECT_EQ(o.GetHighPass()->GetFreq(), d.high) << type;
        EXPECT_EQ(o.GetHighPass()->GetFamily(), d.highFamily) << type;
        EXPECT_EQ(o.GetHighPass()->GetSlope(), 1) << type;
        EXPECT_EQ(o.GetLowPass()->GetFreq(), d.low) << type;
        EXPECT_EQ(o.GetLowPass()->GetFamily(), d.lowFamily) << type;
        EXPECT_EQ(o.GetLowPass()->GetSlope(), 1) << type;
        EXPECT_EQ(o.GetHighPass()->GetDragOption(), d.option) << type;
        EXPECT_EQ(o.GetLowPass()->GetDragOption(), 12) << type;
        EXPECT_TRUE(o.GetHighPass()->IsChanged() && o.GetLowPass()->IsChanged()) << type;
    }
    // An unknown type keeps the crossover.
    Out(0).SetSpeakerType(22);
    Out(0).SetSpeakerType(200);
    EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), 30);
    EXPECT_EQ(Out(0).GetSpeakerType(), 200);
}

TEST_F(OutputChannelTest, KeepCrossoverAndLoadedTypeChangeOnlyTheType) {
    Out(0).SetSpeakerTypeKeepCrossover(7);
    EXPECT_EQ(Out(0).GetSpeakerType(), 7);
    EXPECT_EQ(Out(0).GetHighPass()->GetDragOption(), 11);
    EXPECT_EQ(Out(0).GetHighPass()->GetFreq(), 70);

    auto rec = Hex("01 00 58 02 00 00 00 16");
    Out(1).LoadBasicRecord(rec.data());
    EXPECT_EQ(Out(1).GetSpeakerType(), 22);
    EXPECT_EQ(Out(1).GetHighPass()->GetFreq(), 70);
}

TEST_F(OutputChannelTest, ChangeMarkRules) {
    struct Case {
        const char* what;
        std::function<void(CKTV_OutData&)> change;
        std::function<int(CKTV_OutData&)> mark;
    } cases[] = {
        {"gain", [](CKTV_OutData& o) { o.SetGain(500); },
         [](CKTV_OutData& o) { return o.IsBasicDirty(); }},
        {"delay", [](CKTV_OutData& o) { o.SetDelay(5); },
         [](CKTV_OutData& o) { return o.IsBasicDirty(); }},
        {"on", [](CKTV_OutData& o) { o.SetOutputOn(0); },
         [](CKTV_OutData& o) { return o.IsBasicDirty(); }},
        {"polarity", [](CKTV_OutData& o) { o.SetPolarity(1); },
         [](CKTV_OutData& o) { return o.IsBasicDirty(); }},
        {"eq mode", [](CKTV_OutData& o) { o.SetEqMode(1); },
         [](CKTV_OutData& o) { return o.IsBasicDirty(); }},
        {"name", [](CKTV_OutData& o) { o.SetName("X"); },
         [](CKTV_OutData& o) { return o.IsNameDirty(); }},
        {"mix 5", [](CKTV_OutData& o) { o.SetMixLevelSrc5(9); },
         [](CKTV_OutData& o) { return o.IsMixADirty(); }},
        {"mix 12", [](CKTV_OutData& o) { o.SetMixLevelSrc12(9); },
         [](CKTV_OutData& o) { return o.IsMixBDirty(); }},
        {"mix 17", [](CKTV_OutData& o) { o.SetMixLevelSrc17(9); },
         [](CKTV_OutData& o) { return o.IsDynamicsDirty(); }},
        {"attack", [](CKTV_OutData& o) { o.SetAttackTime(3); },
         [](CKTV_OutData& o) { return o.IsDynamicsDirty(); }},
        {"release", [](CKTV_OutData& o) { o.SetReleaseTime(3); },
         [](CKTV_OutData& o) { return o.IsDynamicsDirty(); }},
        {"left off", [](CKTV_OutData& o) { o.SetLeftSourceOff(1); },
         [](CKTV_OutData& o) { return o.IsSourceGroupDirty(); }},
    };
    for (const Case& c : cases) {
        CKTV_OutData& o = Out(3);
        g_DeviceSynced = 1;
        c.change(o);
        EXPECT_TRUE(c.mark(o)) << c.what << " while synchronised";
        o.SetAllDirty(0);
        o.SetNameDirty(0);
        model->LoadFromImage(g_ParamImage, -1); // back to the same values
        c.change(o);
        ASSERT_TRUE(c.mark(o)) << c.what;
        g_DeviceSynced = 0;
        o.SetGain(600);
        o.SetName("Y");
        o.SetMixLevelSrc5(50);
        o.SetMixLevelSrc12(50);
        o.SetMixLevelSrc17(50);
        o.SetAttackTime(11);
        o.SetReleaseTime(11);
        o.SetLeftSourceOff(0);
        EXPECT_FALSE(c.mark(o)) << c.what
                                << ": a change while not synchronised clears the pending mark";
        model->LoadFromImage(g_ParamImage, -1);
    }
}

TEST_F(OutputChannelTest, EqualValuesAndMute) {
    g_DeviceSynced = 1;
    Out(0).SetMixLevelSrc5(Out(0).GetMixLevelSrc5());
    EXPECT_FALSE(Out(0).IsMixADirty()) << "an equal mix level changes nothing";
    Out(0).SetAttackTime(Out(0).GetAttackTime());
    EXPECT_FALSE(Out(0).IsDynamicsDirty());
    Out(0).SetGain(Out(0).GetGain());
    EXPECT_TRUE(Out(0).IsBasicDirty()) << "an equal gain is still sent";

    Out(0).SetGain(0);
    EXPECT_TRUE(Out(0).IsMuted());
    EXPECT_EQ(Out(0).GetGain(), 0);
    Out(0).WriteBasicItem(0);
    EXPECT_EQ(Bytes(OutputBlock(0) + 250, 2), Hex("00 00"));
    Out(0).SetGain(600);
    EXPECT_FALSE(Out(0).IsMuted());
    Out(0).WriteBasicItem(0);
    EXPECT_EQ(Bytes(OutputBlock(0) + 250, 2), Hex("58 02"));
}

TEST_F(OutputChannelTest, EqModeReachesBandsOnlyFiltersOptionReachesAll) {
    Out(0).SetEqMode(1);
    for (int i = 0; i < 31; ++i)
        EXPECT_TRUE(Out(0).GetFilter(i)->IsGraphicEq());
    EXPECT_FALSE(Out(0).GetHighPass()->IsGraphicEq());
    EXPECT_FALSE(Out(0).GetLowPass()->IsGraphicEq());

    EXPECT_EQ(Out(0).SetFiltersOption(1), 33);
    EXPECT_EQ(Out(0).UpdateAllEqBypassed(), 1);
    Out(0).SetFiltersOption(0);
    Out(0).GetFilter(3)->SetGainCode(250);
    EXPECT_EQ(Out(0).UpdateAllEqBypassed(), 0);
}

TEST_F(OutputChannelTest, ChannelIndexSwitchesItsInput) {
    struct Case {
        int index, leftOff, rightOff;
    } cases[] = {{4, 0, 1}, {5, 1, 0}, {6, 1, 1}};
    for (const Case& c : cases) {
        CKTV_OutData o;
        o.SetChannelIndex(c.index);
        EXPECT_EQ(o.GetLeftSourceOff(), c.leftOff) << c.index;
        EXPECT_EQ(o.GetRightSourceOff(), c.rightOff) << c.index;
    }
    Out(0).SetLeftSourceOff(1);
    EXPECT_EQ(Out(0).GetLeftSource(), 0);
    EXPECT_EQ(Out(2).GetLeftSourceOff(), 0) << "linked outputs are the pages' business";
}

TEST_F(OutputChannelTest, ItemWriters) {
    for (int s = 9; s <= 16; ++s)
        Out(3).SetMixLevel(s, static_cast<uint8_t>(s));
    const auto frame = Frame(Out(3).WriteMixItemB(1));
    ASSERT_EQ(frame.size(), 24u);
    EXPECT_EQ(Bytes(frame.data() + 7, 3), Hex("04 03 22"));
    EXPECT_EQ(Bytes(frame.data() + 14, 8), Hex("09 0A 0B 0C 0D 0E 0F 10"));

    OutputBlock(3)[286] = 0x5A;
    OutputBlock(3)[287] = 0xA5;
    Out(3).SetAttackTime(0x0102);
    Out(3).WriteDynamicsItem(0);
    EXPECT_EQ(Bytes(OutputBlock(3) + 280, 8), Hex("A4 01 02 01 14 00 5A A5"));

    std::memcpy(OutputBlock(3) + 288, Hex("20 21 31 32 33 34 35 36").data(), 8);
    Out(3).SetName("ignored");
    const auto name = Frame(Out(3).SendNameItem());
    EXPECT_EQ(Bytes(name.data() + 14, 8), Hex("20 21 31 32 33 34 35 36"));

    EXPECT_EQ(Out(3).SendEqBand(31, 31), nullptr) << "only bands go through SendEqBand";
    EXPECT_EQ(Out(3).SendEqBand(-1, 0), nullptr);

    CKTV_OutData stray; // an index outside 0..11 selects no block
    stray.BuildEq(30, 32, 9, 20, 20000);
    stray.SetChannelIndex(12);
    std::vector<uint8_t> before(g_ParamImage, g_ParamImage + kParamBlockSize);
    stray.WriteAllItems();
    EXPECT_EQ(stray.WriteBasicItem(1), nullptr);
    EXPECT_EQ(Bytes(g_ParamImage, kParamBlockSize), before);
}

TEST_F(OutputChannelTest, CrossoverFromFiltersSendsTargetsAtOnce) {
    g_DeviceSynced = 1;
    Out(5).SetSpeakerType(3); // 70 / 320, high-pass lagging behind from 20 Hz
    const auto frame = Frame(Out(5).WriteCrossoverFromFilters());
    ASSERT_EQ(frame.size(), 24u);
    EXPECT_EQ(Bytes(frame.data() + 14, 8), Hex("46 00 01 01 40 01 01 01"));
    EXPECT_FALSE(Out(5).GetHighPass()->IsChanged());
    EXPECT_FALSE(Out(5).GetLowPass()->IsChanged());

    Out(5).GetHighPass()->SetFreq(1000, 1);
    const auto rec = Hex("F4 01 02 03 10 27 02 03");
    Out(5).LoadCrossover(rec.data()); // another output's crossover, taken as it is
    EXPECT_FALSE(Out(5).GetHighPass()->IsChanged());
    EXPECT_EQ(Out(5).GetHighPass()->GetAppliedFreq(), 500);
    const ItemRecord back = Out(5).GetCrossoverRecord();
    EXPECT_EQ(std::vector<uint8_t>(back.begin(), back.end()), rec);
}

TEST_F(OutputChannelTest, TakeCrossoverChangedOnceMoreAfterArrival) {
    g_DeviceSynced = 1;
    Out(0).GetHighPass()->SetFreq(100, 1); // from 70 Hz: within an octave
    EXPECT_TRUE(Out(0).TakeCrossoverChanged());
    EXPECT_FALSE(Out(0).TakeCrossoverChanged());
}

TEST_F(OutputChannelTest, ArchiveRoundTrip) {
    CKTV_OutData& o = Out(1);
    o.SetName("Door L");
    o.SetOutputOn(0);
    o.SetPolarity(1);
    o.SetGain(321);
    o.SetDelay(77);
    o.SetSpeakerType(9);
    o.SetAttackTime(9);
    o.SetReleaseTime(4);
    o.SetLeftSourceOff(1);
    o.GetFilter(10)->SetGainCode(290);
    o.SetMixLevelSrc2(33);
    CArchive out;
    o.Serialize(out);

    CKTV_OutData& p = Out(7);
    p.SetMixLevelSrc2(66);
    CArchive in(out.Bytes());
    p.Serialize(in);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(in.Position(), out.Bytes().size());
    EXPECT_EQ(p.GetName(), "Door L");
    EXPECT_EQ(p.GetOutputOn(), 0);
    EXPECT_EQ(p.GetPolarity(), 1);
    EXPECT_EQ(p.GetGain(), 321);
    EXPECT_EQ(p.GetDelay(), 77);
    EXPECT_EQ(p.GetSpeakerType(), 9);
    EXPECT_EQ(p.GetAttackTime(), 9);
    EXPECT_EQ(p.GetReleaseTime(), 4);
    EXPECT_EQ(p.GetLeftSource(), 0);
    EXPECT_EQ(p.GetLeftSourceOff(), 1);
    EXPECT_EQ(p.GetFilter(10)->GetGainCode(), 290);
    EXPECT_EQ(p.GetHighPass()->GetFreq(), 70);
    EXPECT_EQ(p.GetMixLevelSrc2(), 66) << "mix levels are not in the archive";
    // name, 2 bytes, 2 words, 5 bytes, 2 words, a dword, 33 filters of 52 bytes
    EXPECT_EQ(out.Bytes().size(), 7 + 2 + 4 + 5 + 4 + 4 + 33u * 52);
}

TEST_F(OutputChannelTest, ValueTexts) {
    CKTV_OutData& o = Out(0);
    o.SetGain(0);
    EXPECT_EQ(o.GetGainText(), "-60.0dB");
    o.SetGain(555);
    EXPECT_EQ(o.GetGainText(), "-4.5dB");
    EXPECT_EQ(o.GetPolarityText(), "Pol+");
    g_LanguageFlag = 1;
    EXPECT_EQ(o.GetPolarityText(), "正相");
    o.SetPolarity(1);
    EXPECT_EQ(o.GetPolarityText(), "反相");
    g_LanguageFlag = 0;
    EXPECT_EQ(o.GetOutputOnText(), "On");
    o.SetDelay(45);
    EXPECT_EQ(o.GetDelayText(), "4.5ms");
    o.SetDelay(150);
    EXPECT_EQ(o.GetDelayText(), "60.0ms");
    struct Attack {
        int code;
        const char* text;
    } attacks[] = {{0, "0.3ms"}, {6, "0.9ms"}, {7, "1ms"}, {20, "14ms"}};
    for (const Attack& a : attacks) {
        o.SetAttackTime(static_cast<int16_t>(a.code));
        EXPECT_EQ(o.GetAttackText(), a.text);
    }
    const char* releases[] = {"Atk * 2",  "Atk * 4",  "Atk * 6", "Atk * 8",
                              "Atk * 16", "Atk * 32", "",        ""};
    for (int r = 0; r < 8; ++r) {
        o.SetReleaseTime(static_cast<int16_t>(r));
        EXPECT_EQ(o.GetReleaseText(), releases[r]) << r;
    }
    EXPECT_EQ(o.GetLeftSourceText(), "1%");
    EXPECT_EQ(o.GetRightSourceText(), "0%");
    EXPECT_EQ(o.GetPercentTextE(), "80%");
    EXPECT_EQ(o.GetPercentTextC(), "50%");
    EXPECT_EQ(o.GetPercentTextD(), "40%");
    EXPECT_EQ(o.GetRatioText(), "50%:50%");
    EXPECT_EQ(o.GetLeftSwitchText(), "ON");
    EXPECT_EQ(o.GetRightSwitchText(), "ON") << "right source byte 50 reads as on";
    EXPECT_EQ(o.GetSwitchBitText(4), "On");
    EXPECT_EQ(o.GetSwitchBitText(0), "OFF");
    EXPECT_EQ(o.GetSwitchBitText(5), "");
    EXPECT_EQ(o.GetEmptyTextB(), "");
}

TEST_F(OutputChannelTest, CopyEqFromTakesModeAndBands) {
    Out(1).SetEqMode(1);
    Out(1).GetFilter(6)->SetGainCode(260);
    Out(0).SetGain(0);
    Out(0).CopyEqFrom(Out(1));
    EXPECT_EQ(Out(0).GetEqMode(), 1);
    EXPECT_TRUE(Out(0).GetFilter(6)->IsGraphicEq());
    EXPECT_EQ(Out(0).GetFilter(6)->GetGainCode(), 260);
    EXPECT_TRUE(Out(0).IsMuted());
}

TEST_F(OutputChannelTest, CurveFollowsTheGraphRect) {
    model->SetOutputGraphRect({0, 0, 900, 300});
    Out(0).UpdateCurve();
    const CChannelCurve& c = Out(0).GetCurve();
    EXPECT_EQ(c.GetOffset(), GainToGraphY(0, 300) + 10);
    EXPECT_EQ(c.GetPoints()[0].y, 150);
    EXPECT_NEAR(c.GetRealPoints()[240].y, c.GetOffset(), 0.05)
        << "the 70 Hz high-pass leaves 20 kHz at 0 dB";
    EXPECT_GT(c.GetRealPoints()[0].y, c.GetOffset() + 5) << "and cuts 20 Hz";
    EXPECT_FLOAT_EQ(c.GetRealPoints()[240].x,
                    static_cast<float>(FreqToGraphXExact(20000, 900) + 40));
}
