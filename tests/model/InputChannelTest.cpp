#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/KTV_Data.h"

#include <algorithm>
#include <memory>

namespace {

class InputChannelTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        model = std::make_unique<CKTV_Data>();
        model->LoadFromImage(g_ParamImage, 0);
    }
    CMusic_InData& Music(int i) { return *model->GetMusic(i); }
    CMIC_InData& Mic() { return *model->GetMic(0); }
    CEffect_Data& Effect() { return *model->GetEffect(); }

    // Every byte of the image outside [first, first + size) but the listed
    // offsets inside it keeps its value while fn runs.
    template <class Fn>
    void ExpectWritesOnly(int first, int size, std::vector<int> untouched, Fn fn,
                          const char* what) {
        std::vector<uint8_t> before(g_ParamImage, g_ParamImage + kParamBlockSize);
        fn();
        for (int i = 0; i < kParamBlockSize; ++i) {
            const bool inside = i >= first && i < first + size;
            const bool kept =
                std::find(untouched.begin(), untouched.end(), i - first) != untouched.end();
            if (!inside || kept) {
                ASSERT_EQ(g_ParamImage[i], before[static_cast<size_t>(i)]) << what << " byte " << i;
            }
        }
    }

    std::unique_ptr<CKTV_Data> model;
};

std::vector<int> Range(int from, int to) {
    std::vector<int> r;
    for (int i = from; i <= to; ++i)
        r.push_back(i);
    return r;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// --- Music inputs --------------------------------------------------------------

TEST_F(InputChannelTest, MusicWritesOnlyItsOwnBlock) {
    for (int i = 0; i < kMusicInputCount; ++i) {
        // Put garbage into the bytes the input does not own; they must stay.
        uint8_t* b = MusicInBlock(i);
        for (int k : Join(Join({248}, Range(265, 271)), Range(276, 279)))
            b[k] = 0xEE;
        Music(i).SetGain(123);
        Music(i).GetFilter(2)->SetGainCode(250);
        ExpectWritesOnly(
            kMusicBlockOffset + kMusicBlockSize * i, kMusicBlockSize,
            Join(Join({248}, Range(265, 271)), Range(276, 279)), [&] { Music(i).WriteAllItems(); },
            "music");
        EXPECT_EQ(MusicInBlock(i)[248], 0xEE);
        EXPECT_EQ(FieldToString(MusicInBlock(i) + 280, 8), Music(i).GetName());
    }
}

TEST_F(InputChannelTest, MusicLoadThenWriteKeepsTheBlock) {
    uint8_t* b = MusicInBlock(2);
    b[249] = 1;
    b[250] = 0;
    b[251] = 0;
    PutU16(b + 252, 33);
    PutU16(b + 254, 444);
    std::memcpy(b + 256, Hex("64 00 01 02 10 27 02 01").data(), 8);
    b[264] = 17;
    PutU16(b + 272, 321);
    b[274] = 5;
    b[275] = 6;
    std::vector<uint8_t> before(b, b + 280);
    Music(2).SetName("Music 3");
    Music(2).LoadFromImageBlock(b);
    EXPECT_EQ(Music(2).GetName(), "Music 3") << "the name is not loaded from the block";
    std::memset(b, 0xCC, 248);
    Music(2).WriteAllItems();
    EXPECT_EQ(Bytes(b, 280), before);
}

TEST_F(InputChannelTest, MusicGainDerivesMute) {
    // After a block with gain 0 the input is muted ...
    PutU16(MusicInBlock(0) + 254, 0);
    Music(0).LoadFromImageBlock(MusicInBlock(0));
    EXPECT_TRUE(Music(0).IsMuted());
    // ... and a later gain reaches the device.
    Music(0).SetGain(600);
    EXPECT_FALSE(Music(0).IsMuted());
    Music(0).WriteBasicItem(0);
    EXPECT_EQ(Bytes(MusicInBlock(0) + 254, 2), Hex("58 02"));

    // The same after a document stored at gain 0.
    Music(1).SetGain(0);
    CArchive out;
    Music(1).Serialize(out);
    CArchive in(out.Bytes());
    Music(1).Serialize(in);
    EXPECT_EQ(Music(1).GetGain(), 0);
    Music(1).SetGain(600);
    EXPECT_EQ(Music(1).GetGain(), 600);
    Music(1).WriteBasicItem(0);
    EXPECT_EQ(Bytes(MusicInBlock(1) + 254, 2), Hex("58 02"));
}

TEST_F(InputChannelTest, MusicBypassLeavesTheCrossoverAlone) {
    CFilter* hp = Music(0).GetHighPass();
    hp->SetGainCode(250); // a crossover that is neither bypassed nor flat
    Music(0).SetFiltersOption(1);
    EXPECT_FALSE(hp->IsBypassedOrFlat());
    EXPECT_TRUE(Music(0).GetFilter(5)->IsBypassedOrFlat());
    EXPECT_EQ(Music(0).UpdateAllEqBypassed(), 1) << "the crossover is not counted";
    Music(0).SetFiltersOption(0);
    EXPECT_EQ(Music(0).UpdateAllEqBypassed(), 1) << "flat bands count as bypassed";
    Music(0).GetFilter(30)->SetGainCode(210);
    EXPECT_EQ(Music(0).UpdateAllEqBypassed(), 0);
}

TEST_F(InputChannelTest, MusicEqModeMarksBasicAndReachesBands) {
    g_DeviceSynced = 1;
    Music(1).SetEqMode(0);
    EXPECT_TRUE(Music(1).IsBasicDirty());
    EXPECT_FALSE(Music(1).GetFilter(0)->IsGraphicEq());
    Music(1).SetEqMode(1);
    EXPECT_TRUE(Music(1).GetFilter(30)->IsGraphicEq());
    EXPECT_FALSE(Music(1).GetLowPass()->IsGraphicEq());
    Music(1).SetNoiseGate(Music(1).GetNoiseGate());
    EXPECT_TRUE(Music(1).IsGateDirty()) << "the gate is sent even when unchanged";
}

TEST_F(InputChannelTest, MusicTexts) {
    CMusic_InData m; // constructor defaults
    m.SetGain(450);
    EXPECT_EQ(m.GetGainText(), "370dB");
    EXPECT_EQ(m.GetOnText(), "On");
    EXPECT_EQ(m.GetNoiseGateText(), "-80.0dBu");
    m.SetNoiseGate(0);
    EXPECT_EQ(m.GetNoiseGateText(), "OFF");
    EXPECT_EQ(m.GetThresholdText(), "20.0");
    EXPECT_EQ(m.GetDelayText(), "0.0ms");
}

// --- Microphone ------------------------------------------------------------------

TEST_F(InputChannelTest, MicWritesOnlyItsItems) {
    uint8_t* b = MicBlock();
    b[98] = 3;
    b[99] = 7;
    for (int k : Join(Join(Range(89, 95), Range(100, 103)), Range(104, 111)))
        b[k] = 0xEE;
    Mic().LoadFromImageBlock(b);
    const std::vector<uint8_t> before(b, b + kMicBlockSize);
    std::memset(b, 0xCC, 88);
    b[96] = b[97] = b[98] = b[99] = 0xCC;
    ExpectWritesOnly(
        kMicBlockOffset, kMicBlockSize, Join(Join(Range(89, 95), Range(100, 103)), Range(104, 111)),
        [&] { Mic().WriteAllItems(); }, "mic");
    EXPECT_EQ(Bytes(b, kMicBlockSize), before);
    EXPECT_EQ(b[98], 3);
    EXPECT_EQ(b[99], 7);
}

TEST_F(InputChannelTest, MicMutedGainAndName) {
    uint8_t block[kMicBlockSize];
    std::memcpy(block, MicBlock(), sizeof block);
    PutU16(block + 78, 0);
    std::memcpy(block + 104, "Mic 1\0\0\0", 8);
    Mic().LoadFromImageBlock(block);
    EXPECT_TRUE(Mic().IsMuted());
    EXPECT_EQ(Mic().GetName(), "Mic 1");
    Mic().WriteBasicItem(0);
    EXPECT_EQ(Bytes(MicBlock() + 78, 2), Hex("00 00"));

    std::memcpy(block + 104, "ABCDEFGH", 8);
    Mic().LoadFromImageBlock(block);
    EXPECT_EQ(Mic().GetName(), "ABCDEFGH");

    Mic().SetName("Microphone");
    EXPECT_EQ(Mic().GetName(), "Micropho");
    Mic().SetName("话筒一二"); // 8 GBK bytes
    EXPECT_EQ(Mic().GetName(), "话筒一二");
    Mic().SetName("话筒一二三"); // a ninth byte would split a character
    EXPECT_EQ(Mic().GetName(), "话筒一二");
}

TEST_F(InputChannelTest, MicArchiveKeepsTheName) {
    Mic().SetName("Mic 1");
    CArchive out;
    Mic().Serialize(out);
    EXPECT_EQ(Bytes(out.Bytes().data(), 6), Hex("05 4D 69 63 20 31"));
    Mic().SetName("other");
    CArchive in(out.Bytes());
    Mic().Serialize(in);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(Mic().GetName(), "Mic 1");
}

TEST_F(InputChannelTest, MicTexts) {
    EXPECT_EQ(Mic().GetLevelText(), " OFF ");
    g_LanguageFlag = 1;
    EXPECT_EQ(Mic().GetLevelText(), " 关 ");
    MicBlock()[72] = 3;
    Mic().LoadFromImageBlock(MicBlock());
    EXPECT_EQ(Mic().GetLevelText(), " 3级");
    g_LanguageFlag = 0;
    EXPECT_EQ(Mic().GetLevelText(), " 3Level");
    EXPECT_EQ(Mic().GetPolarityText(), "Pol+");
}

// --- Effect unit -------------------------------------------------------------------

TEST_F(InputChannelTest, EffectDefaultsAndTexts) {
    CEffect_Data fx;
    EXPECT_EQ(fx.GetName(), "Effect");
    EXPECT_EQ(fx.FormatParam1Text(), "R_80%");
    EXPECT_EQ(fx.FormatParam2Text(), "168ms");
    EXPECT_EQ(fx.FormatParam6Text(), "1.8s");
    EXPECT_EQ(fx.FormatParam11Text(), "0ms");
    EXPECT_EQ(fx.GetFilterCount(), 5);
    EXPECT_EQ(fx.GetHighPass()->GetDragOption(), 8);
    EXPECT_EQ(fx.GetCurveArgb(), (ArgbColor{220, 255, 0, 0}));

    struct Case {
        int v;
        const char* text;
    } cases[] = {{100, "OFF"}, {150, "L_50%"}, {195, "L_95%"}, {196, ""}, {200, ""}, {0, "R_100%"}};
    for (const Case& c : cases) {
        EffectBlock()[128] = static_cast<uint8_t>(c.v);
        fx.LoadFromBlock(EffectBlock());
        EXPECT_EQ(fx.FormatParam1Text(), c.text) << c.v;
    }
}

TEST_F(InputChannelTest, EffectBlockCrossoverLoadsSettled) {
    std::memcpy(EffectBlock() + 120, Hex("E8 03 02 03 20 4E 02 02").data(), 8);
    g_DeviceSynced = 1;
    Effect().LoadFromBlock(EffectBlock());
    EXPECT_EQ(Effect().GetHighPass()->GetFreq(), 1000);
    EXPECT_EQ(Effect().GetHighPass()->GetAppliedFreq(), 1000);
    EXPECT_EQ(Effect().GetHighPass()->GetSlope(), 3);
    EXPECT_FALSE(Effect().GetHighPass()->IsChanged());
}

TEST_F(InputChannelTest, EffectWritesItsItemsAndKeepsATooLongName) {
    EffectBlock()[140] = 77;
    Effect().LoadFromBlock(EffectBlock());
    std::vector<uint8_t> before(EffectBlock(), EffectBlock() + kEffectBlockSize);
    std::memset(EffectBlock(), 0xCC, 24);
    std::memset(EffectBlock() + 120, 0xCC, 12);
    EXPECT_EQ(Effect().WriteAllItems(), TextFieldError::None);
    EXPECT_EQ(Bytes(EffectBlock(), kEffectBlockSize), before);

    // Through the archive: a name of eight bytes does not fit the field.
    CArchive out;
    Effect().Serialize(out);
    const std::vector<uint8_t>& stored = out.Bytes();
    const size_t nameEnd = 1u + stored.at(0);
    ASSERT_LT(nameEnd, stored.size());
    std::vector<uint8_t> bytes = Hex("08 4C 6F 6E 67 4E 61 6D 65"); // "LongName"
    bytes.insert(bytes.end(), stored.begin() + static_cast<std::ptrdiff_t>(nameEnd), stored.end());
    CArchive in(bytes);
    ASSERT_TRUE(LoadOrRestore(Effect(), in));
    ASSERT_EQ(Effect().GetName(), "LongName");
    EXPECT_EQ(Effect().WriteAllItems(), TextFieldError::TooLong);
    EXPECT_EQ(Bytes(EffectBlock() + 144, 8), Bytes(before.data() + 144, 8));
    // Refused once: the field's bytes are the name again.
    EXPECT_EQ(Effect().WriteAllItems(), TextFieldError::None);
}

TEST_F(InputChannelTest, EffectArchiveSkipsParameter10) {
    uint8_t* b = EffectBlock();
    for (int k : {128, 129, 130, 131, 134, 136, 137, 138, 139, 140, 143})
        b[k] = static_cast<uint8_t>(k - 100);
    Effect().LoadFromBlock(b);
    CArchive out;
    Effect().Serialize(out);

    CEffect_Data other;
    CArchive in(out.Bytes());
    other.Serialize(in);
    EXPECT_FALSE(in.Failed());
    for (int n = 1; n <= 11; ++n)
        EXPECT_EQ(other.GetParam(n), n == 10 ? 50 : Effect().GetParam(n)) << "parameter " << n;
}
