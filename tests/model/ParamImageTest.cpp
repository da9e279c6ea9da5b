#include "tests/model/ModelFixture.h"

#include "model/SpeakerTypes.h"

using ParamImageTest = ModelTest;

TEST_F(ParamImageTest, SystemRecordsAfterStartUp) {
    struct Row {
        const char* name;
        const uint8_t* record;
        size_t size;
        const char* bytes;
    } rows[] = {
        {"2", g_DeviceRecords.Bytes().sources, 8, "01 00 3C 3C 3C 3C 3C 3C"},
        {"5", g_DeviceRecords.Bytes().master, 8, "3C 00 00 37 00 00 01 00"},
        {"6", g_DeviceRecords.Bytes().outputMapA, 8, "06 0C 0F 12 00 00 00 00"},
        {"7", g_DeviceRecords.Bytes().outputMapB, 8, "16 17 00 00 00 00 00 00"},
        {"8", g_DeviceRecords.Bytes().sourceSetup, 8, "00 01 00 00 06 00 00 02"},
        {"9", g_DeviceRecords.Bytes().deviceKept, 8, "00 00 00 00 00 00 00 00"},
        {"52", g_DeviceRecords.Bytes().presetSelect, 8, "00 00 00 00 00 00 00 00"},
        {"97", g_DeviceRecords.Bytes().transferMarker, 8, "00 00 00 00 00 00 00 00"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Bytes(r.record, r.size), Hex(r.bytes)) << "record " << r.name;
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().pageTable, 98), std::vector<uint8_t>(98, 0));
    EXPECT_EQ(g_ActiveSource, 1);
    EXPECT_EQ(g_CurrentPage, 1);
    EXPECT_EQ(Bytes(g_InitialReadCodes, 7), Hex("00 34 02 05 06 07 04"));
}

TEST_F(ParamImageTest, DefaultOutputBlocksItemByItem) {
    struct Row {
        const char *basic, *crossover, *mixA, *mixB;
    } rows[12] = {
        {"01 00 58 02 00 00 00 01", "46 00 02 01 20 4E 02 08", "64 00 00 00 00 00 00 00",
         "00 00 64 00 64 00 64 00"},
        {"01 00 58 02 00 00 00 05", "46 00 02 01 20 4E 02 08", "00 64 00 00 00 00 00 00",
         "00 00 00 64 00 64 00 64"},
        {"01 00 58 02 00 00 00 07", "46 00 02 01 20 4E 02 08", "00 00 64 00 00 00 00 00",
         "00 00 64 00 64 00 64 00"},
        {"01 00 58 02 00 00 00 0B", "46 00 02 01 20 4E 02 08", "00 00 00 64 00 00 00 00",
         "00 00 00 64 00 64 00 64"},
        {"01 00 58 02 00 00 00 15", "14 00 02 01 20 4E 02 01", "00 00 00 00 00 00 00 00",
         "00 00 00 00 00 00 00 00"},
        {"01 00 58 02 00 00 00 12", "14 00 02 01 20 4E 02 01", "00 00 00 00 00 00 00 00",
         "00 00 00 00 00 00 00 00"},
        {"01 00 58 02 00 00 00 15", "14 00 02 01 20 4E 02 01", "00 00 00 00 00 00 00 00",
         "00 00 00 00 00 00 00 00"},
        {"01 00 58 02 00 00 00 18", "14 00 02 01 20 4E 02 01", "00 00 00 00 00 00 00 00",
         "00 00 00 00 00 00 00 00"},
        {"01 00 58 02 00 00 00 01", "14 00 02 01 20 4E 02 01", "00 00 00 00 00 00 00 00",
         "00 00 00 00 00 00 00 00"},
        {"01 00 58 02 00 00 00 05", "14 00 02 01 20 4E 02 01", "00 00 00 00 00 00 00 00",
         "00 00 00 00 00 00 00 00"},
        {"01 00 58 02 00 00 00 07", "1B 00 02 01 37 00 02 01", "64 00 00 00 00 00 00 00",
         "00 00 64 00 64 00 64 00"},
        {"01 00 58 02 00 00 00 0B", "1B 00 02 01 37 00 02 01", "00 64 00 00 00 00 00 00",
         "00 00 00 64 00 64 00 64"},
    };
    for (int ch = 0; ch < 12; ++ch) {
        SCOPED_TRACE("output " + std::to_string(ch));
        const uint8_t* b = OutputBlock(ch);
        for (int band = 0; band < 31; ++band) {
            EXPECT_EQ(GetU16(b + 8 * band), g_ThirdOctaveFreqs[band]) << "band " << band;
            EXPECT_EQ(Bytes(b + 8 * band + 2, 6), Hex("58 02 0E 00 00 00")) << "band " << band;
        }
        EXPECT_EQ(Bytes(b + 248, 8), Hex(rows[ch].basic));
        EXPECT_EQ(Bytes(b + 256, 8), Hex(rows[ch].crossover));
        EXPECT_EQ(Bytes(b + 264, 8), Hex(rows[ch].mixA));
        EXPECT_EQ(Bytes(b + 272, 8), Hex(rows[ch].mixB));
        EXPECT_EQ(Bytes(b + 280, 8), Hex("A4 01 14 00 14 00 00 00"));
        EXPECT_EQ(Bytes(b + 288, 8), Hex("20 00 20 20 20 20 20 00"));
        EXPECT_EQ(Bytes(b, 296), Bytes(DefaultOutputBlock(ch), 296));
    }
    EXPECT_EQ(DefaultOutputBlock(12), nullptr);
    EXPECT_EQ(DefaultOutputBlock(-1), nullptr);
}

TEST_F(ParamImageTest, InputAndEffectBlocksAfterStartUp) {
    for (int c = 0; c < 4; ++c) {
        const uint8_t* b = MusicInBlock(c);
        for (int band = 0; band < 31; ++band)
            EXPECT_EQ(Bytes(b + 8 * band, 8), Hex("E8 03 58 02 00 00 00 00")) << c << "/" << band;
        EXPECT_EQ(b[248], 0);
        EXPECT_EQ(b[250], 1);
    }
    for (int band = 0; band < 9; ++band)
        EXPECT_EQ(Bytes(MicBlock() + 8 * band, 8), Hex("E8 03 58 02 00 00 00 00"));
    for (int band = 0; band < 8; ++band)
        EXPECT_EQ(Bytes(EffectBlock() + 8 * band, 8), Hex("E8 03 58 02 00 00 00 00"));
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(Bytes(g_PcPresets[p], 16),
                  Hex("20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 00"));
    // Nothing in the image's name or unused bytes was touched.
    EXPECT_EQ(Bytes(g_ParamImage, 32), std::vector<uint8_t>(32, 0));
}

TEST_F(ParamImageTest, OutputTypesAndBlockTypesDifferAtStartUp) {
    // The map says 18 for output 3 while its block keeps the default 11.
    EXPECT_EQ(OutputBlock(3)[255], 11);
    EXPECT_EQ(g_OutputSpeakerType[3], 18);
    // The kept copy is taken before the states are computed.
    EXPECT_EQ(Bytes(g_SpeakerTypeStateDefaults, 26), std::vector<uint8_t>(26, 3));
    EXPECT_EQ(Bytes(g_SpeakerTypeStateDefaults + 26, 12),
              Hex("06 0C 0F 12 00 00 00 00 16 17 00 00"));
    EXPECT_EQ(g_LinkActive, 0);
    EXPECT_EQ(OutputBlock(0)[kOutLockMarkByte], 0);
}

TEST_F(ParamImageTest, FixTweeterCrossovers) {
    struct Case {
        int type;
        int hp, lp, slope;
        int wantHp, wantLp, wantSlope;
    } cases[] = {
        {7, 10, 15, 8, 20, 20000, 1}, // tweeter: everything corrected
        {1, 10, 500, 3, 20, 500, 3},  // low-pass already above the new high-pass
        {13, 25, 10, 8, 25, 10, 1},   // high-pass fine: only the slope
        {19, -5, 30, 2, 20, 30, 2},   // signed frequency below 20
        {2, 10, 15, 8, 10, 15, 8},    // not a tweeter: untouched
        {0, 10, 15, 8, 10, 15, 8},
    };
    for (const Case& c : cases) {
        g_OutputSpeakerType[5] = static_cast<uint8_t>(c.type);
        uint8_t* b = OutputBlock(5);
        PutU16(b + 256, static_cast<uint16_t>(c.hp));
        PutU16(b + 260, static_cast<uint16_t>(c.lp));
        b[259] = static_cast<uint8_t>(c.slope);
        FixTweeterCrossovers();
        EXPECT_EQ(GetS16(b + 256), c.wantHp) << "type " << c.type;
        EXPECT_EQ(GetS16(b + 260), c.wantLp) << "type " << c.type;
        EXPECT_EQ(b[259], c.wantSlope) << "type " << c.type;
    }
}

TEST_F(ParamImageTest, LockMarks) {
    EXPECT_EQ(IsAnyOutputLocked(), 0);
    OutputBlock(7)[kOutLockMarkByte] = '!';
    EXPECT_EQ(IsAnyOutputLocked(), 1);
    SetOutputLockMarks(0);
    EXPECT_EQ(IsAnyOutputLocked(), 0);
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(OutputBlock(c)[kOutLockMarkByte], ' ');
}
