#include "tests/model/ModelFixture.h"

#include "model/FrameBuilder.h"

#include <functional>

namespace {

std::vector<uint8_t> FrameOf(const PacketPtr& p) {
    if (!p) return {};
    return Bytes(p->GetData(), static_cast<size_t>(p->GetLength()));
}

// Checks the frame's own rules: sync, announced length, checksum, trailer.
void ExpectWellFormed(const std::vector<uint8_t>& f) {
    ASSERT_GE(f.size(), 16u);
    EXPECT_EQ(Bytes(f.data(), 4), Hex("6B 6B 6B EE"));
    const size_t n = f[12] | (f[13] << 8);
    ASSERT_EQ(f.size(), n + 16);
    EXPECT_EQ(f[f.size() - 2], FrameChecksum(f.data() + 4, static_cast<int>(f.size()) - 6));
    EXPECT_EQ(f.back(), 0xAA);
    EXPECT_EQ(f[5], 1);
    EXPECT_EQ(f[11], 0);
}

} // namespace

using FrameBuilderTest = ModelTest;

TEST_F(FrameBuilderTest, GoldenFramesOnTheDefaults) {
    struct Golden {
        const char* what;
        std::function<PacketPtr()> build;
        const char* bytes;
    } goldens[] = {
        {"item 4/2/31", [] { return BuildItemPacket(4, 2, 31); },
         "6B 6B 6B EE A1 01 00 04 02 1F 00 00 08 00 01 00 58 02 00 00 00 07 ED AA"},
        {"system 5", [] { return BuildSystemPacket(5, 0); },
         "6B 6B 6B EE A1 01 00 09 05 00 00 00 08 00 3C 00 00 37 00 00 01 00 AE AA"},
        {"system 52", [] { return BuildSystemPacket(52, 0); },
         "6B 6B 6B EE A1 01 00 09 34 00 00 00 01 00 00 9C AA"},
        {"system read 204", [] { return BuildSystemReadPacket(204, 0); },
         "6B 6B 6B EE A2 01 00 09 CC 00 00 00 08 00 00 00 00 00 00 00 00 00 6E AA"},
        {"system read name of slot 3", [] { return BuildSystemReadPacket(0, 3); },
         "6B 6B 6B EE A2 01 03 09 00 00 00 00 08 00 00 00 00 00 00 00 00 00 A1 AA"},
        {"system 6", [] { return BuildSystemPacket(6, 0); },
         "6B 6B 6B EE A1 01 00 09 06 00 00 00 08 00 06 0C 0F 12 00 00 00 00 B0 AA"},
        {"item 3/1/31", [] { return BuildItemPacket(3, 1, 31); },
         "6B 6B 6B EE A1 01 00 03 01 1F 00 00 08 00 00 00 01 00 00 00 00 00 B4 AA"},
    };
    for (const Golden& g : goldens) {
        const auto frame = FrameOf(g.build());
        EXPECT_EQ(frame, Hex(g.bytes)) << g.what;
        ExpectWellFormed(frame);
    }
}

TEST_F(FrameBuilderTest, FrameSizes) {
    struct Size {
        const char* what;
        std::function<PacketPtr()> build;
        int total;
    } sizes[] = {
        {"item", [] { return BuildItemPacket(4, 0, 0); }, 24},
        {"status", [] { return BuildItemPacket(7, 0, 0); }, 24},
        {"mic block", [] { return BuildBlockPacket(0, 1, 0, 1, 0); }, 128},
        {"effect block", [] { return BuildBlockPacket(0, 2, 0, 1, 0); }, 112},
        {"music block", [] { return BuildBlockPacket(0, 3, 3, 1, 0); }, 304},
        {"output block", [] { return BuildBlockPacket(2, 4, 11, 0, 0); }, 312},
        {"block read", [] { return BuildBlockReadPacket(0, 4, 0, 1, 1); }, 24},
        {"system 0", [] { return BuildSystemPacket(0, 0); }, 32},
        {"system 97", [] { return BuildSystemPacket(97, 0); }, 24},
        {"system 98", [] { return BuildSystemPacket(98, 0); }, 24},
        {"system 52", [] { return BuildSystemPacket(52, 0); }, 17},
        {"system 64", [] { return BuildSystemPacket(64, 0); }, 114},
    };
    for (const Size& s : sizes) {
        const auto frame = FrameOf(s.build());
        EXPECT_EQ(static_cast<int>(frame.size()), s.total) << s.what;
        ExpectWellFormed(frame);
    }
}

TEST_F(FrameBuilderTest, LinkFlagOfOutputItems) {
    g_LinkKey[3] = 2; // outputs 2 and 3 linked
    struct Case {
        int channel, item, link;
    } cases[] = {{2, 5, 1},  {3, 30, 1}, {2, 31, 0}, {2, 32, 1}, {2, 33, 1},
                 {2, 34, 0}, {2, 35, 0}, {2, 36, 0}, {4, 5, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(FrameOf(BuildItemPacket(4, c.channel, c.item))[10], c.link)
            << "output " << c.channel << " item " << c.item;
    // Music inputs never carry it.
    EXPECT_EQ(FrameOf(BuildItemPacket(3, 2, 5))[10], 0);
    // Whole output blocks carry it too.
    EXPECT_EQ(FrameOf(BuildBlockPacket(0, 4, 3, 1, 0))[10], 1);
}

TEST_F(FrameBuilderTest, StatusRequestRepeatsThePreviousPayload) {
    MusicInBlock(1)[0] = 0x12;
    MusicInBlock(1)[7] = 0x34;
    ASSERT_TRUE(BuildBlockPacket(0, 3, 1, 1, 0));
    auto status = FrameOf(BuildItemPacket(7, 0, 0));
    EXPECT_EQ(Bytes(status.data(), 14), Hex("6B 6B 6B EE A2 01 00 09 03 00 00 00 08 00"));
    EXPECT_EQ(Bytes(status.data() + 14, 8), Bytes(MusicInBlock(1), 8));
    ExpectWellFormed(status);
    // A one-byte payload changes only the first byte of what is repeated.
    g_DeviceRecords.Bytes().presetSelect[0] = 5;
    ASSERT_TRUE(BuildSystemPacket(52, 0));
    status = FrameOf(BuildItemPacket(7, 0, 0));
    EXPECT_EQ(status[14], 5);
    EXPECT_EQ(status[21], 0x34);
}

TEST_F(FrameBuilderTest, BlockReadItemByte) {
    struct Case {
        int slot, flagA, item;
    } cases[] = {{3, 1, 0x00}, {0, 1, 0x77}, {3, 0, 0x77}, {0, 0, 0x77}};
    for (const Case& c : cases) {
        const auto f = FrameOf(BuildBlockReadPacket(c.slot, 4, 7, c.flagA, 1));
        ASSERT_EQ(f.size(), 24u);
        EXPECT_EQ(f[4], 0xA2);
        EXPECT_EQ(f[6], c.slot);
        EXPECT_EQ(f[7], 4);
        EXPECT_EQ(f[8], 7);
        EXPECT_EQ(f[9], c.item) << "slot " << c.slot << " flagA " << c.flagA;
        EXPECT_EQ(Bytes(f.data() + 14, 8), std::vector<uint8_t>(8, 0));
    }
}

TEST_F(FrameBuilderTest, LockPatchOfOutputZero) {
    g_LockPassword = "ab1234";
    g_StateFlags[kFlagDataLocked] = 1;
    auto f = FrameOf(BuildBlockPacket(0, 4, 0, 1, 0));
    EXPECT_EQ(f[14 + 288], '!');
    EXPECT_EQ(Bytes(f.data() + 14 + 290, 6), Hex("61 62 31 32 33 34"));
    EXPECT_EQ(f[14 + 289], OutputBlock(0)[289]);
    // The image itself is not changed, and other outputs travel as they are.
    EXPECT_EQ(OutputBlock(0)[288], ' ');
    f = FrameOf(BuildBlockPacket(0, 4, 1, 1, 0));
    EXPECT_EQ(Bytes(f.data() + 14, 296), Bytes(OutputBlock(1), 296));

    g_StateFlags[kFlagDataLocked] = 0;
    g_StateFlags[kFlagDataUnlocked] = 1;
    OutputBlock(0)[288] = 'x';
    f = FrameOf(BuildBlockPacket(0, 4, 0, 1, 0));
    EXPECT_EQ(f[14 + 288], ' ');
    EXPECT_EQ(Bytes(f.data() + 14 + 290, 6), Bytes(OutputBlock(0) + 290, 6));

    // From a stored preset nothing is patched.
    g_StateFlags[kFlagDataUnlocked] = 0;
    g_StateFlags[kFlagDataLocked] = 1;
    f = FrameOf(BuildBlockPacket(2, 4, 0, 0, 0));
    EXPECT_EQ(Bytes(f.data() + 14, 296), Bytes(OutputBlock(0, g_PcPresets[1]), 296));
}

// A password its field cannot hold goes as zeros; the builder says why, for
// the caller's message.
TEST_F(FrameBuilderTest, RefusedPasswordSendsZeros) {
    struct Case {
        std::string password;
        TextFieldErrors refused;
        std::vector<uint8_t> sent;
    } cases[] = {
        {std::string(16, 'p'), {TextFieldError::TooLong}, std::vector<uint8_t>(6, 0)},
        {"\xEF\xBF\xBD"
         "12",
         {TextFieldError::Invalid},
         std::vector<uint8_t>(6, 0)},
        {"123456", {}, Hex("31 32 33 34 35 36")},
    };
    g_StateFlags[kFlagDataLocked] = 1;
    for (const Case& c : cases) {
        g_LockPassword = c.password;
        TextFieldErrors refused;
        const auto f = FrameOf(BuildBlockPacket(0, 4, 0, 1, 0, &refused));
        EXPECT_EQ(Bytes(f.data() + 14 + 290, 6), c.sent) << c.password;
        EXPECT_EQ(refused, c.refused) << c.password;
        // Without a list to report to, the frame is the same.
        EXPECT_EQ(FrameOf(BuildBlockPacket(0, 4, 0, 1, 0)), f) << c.password;
    }
    // Another output, or a stored preset's block, carries no password.
    g_LockPassword = std::string(16, 'p');
    TextFieldErrors refused;
    BuildBlockPacket(0, 4, 1, 1, 0, &refused);
    BuildBlockPacket(2, 4, 0, 0, 1, &refused);
    EXPECT_EQ(refused, TextFieldErrors{});
}

TEST_F(FrameBuilderTest, BlockSourcesAndSentFlag) {
    g_PcPresets[2][296 + 288 * 2 + 5] = 0x5A;
    auto f = FrameOf(BuildBlockPacket(3, 3, 2, 0, 1));
    EXPECT_EQ(f[6], 3);
    EXPECT_EQ(f[14 + 5], 0x5A);
    EXPECT_EQ(g_ParamSentFlag.load(), 0);
    f = FrameOf(BuildBlockPacket(0, 3, 2, 1, 0));
    EXPECT_EQ(g_ParamSentFlag.load(), 1);

    // Effect block from a device preset record: slot 21 + record, bytes 16 on.
    g_DevicePresets[4][16] = 0x77;
    g_DevicePresets[4][16 + 95] = 0x66;
    f = FrameOf(BuildBlockPacket(25, 2, 0, 0, 0));
    ASSERT_EQ(f.size(), 112u);
    EXPECT_EQ(f[6], 25);
    EXPECT_EQ(f[14], 0x77);
    EXPECT_EQ(f[14 + 95], 0x66);
}

TEST_F(FrameBuilderTest, NameOfStoredPresetSendsFifteenBytesAndZero) {
    std::memset(g_PcPresets[2], 'N', 16);
    const auto f = FrameOf(BuildSystemPacket(0, 3));
    ASSERT_EQ(f.size(), 32u);
    EXPECT_EQ(f[6], 3);
    EXPECT_EQ(Bytes(f.data() + 14, 15), std::vector<uint8_t>(15, 'N'));
    EXPECT_EQ(f[14 + 15], 0);
}

TEST_F(FrameBuilderTest, SubType98CarriesTheLastDeliveredSlot) {
    g_StateFlags[kFlagLastDeliveredSlot] = 4;
    const auto f = FrameOf(BuildSystemPacket(98, 0));
    EXPECT_EQ(Bytes(f.data() + 14, 8), Hex("04 00 00 00 00 00 00 00"));
}

TEST_F(FrameBuilderTest, ImpossibleRequestsBuildNothing) {
    EXPECT_EQ(BuildItemPacket(4, 12, 0), nullptr);
    EXPECT_EQ(BuildItemPacket(4, -1, 0), nullptr);
    EXPECT_EQ(BuildItemPacket(4, 0, 37), nullptr);
    EXPECT_EQ(BuildItemPacket(4, 0, 0x7FFFFFFF), nullptr) << "no overflow past the block";
    EXPECT_EQ(BuildItemPacket(3, 4, 0), nullptr);
    EXPECT_EQ(BuildItemPacket(3, 0, 36), nullptr);
    EXPECT_EQ(BuildItemPacket(1, 1, 0), nullptr);
    EXPECT_EQ(BuildItemPacket(2, 0, 19), nullptr);
    EXPECT_EQ(BuildItemPacket(5, 0, 0), nullptr);
    EXPECT_EQ(BuildBlockPacket(7, 4, 0, 0, 0), nullptr);
    EXPECT_EQ(BuildBlockPacket(0, 4, 0, 0, 0), nullptr);
    EXPECT_EQ(BuildBlockPacket(0, 4, 12, 1, 0), nullptr);
    EXPECT_EQ(BuildBlockPacket(41, 2, 0, 0, 0), nullptr);
    EXPECT_EQ(BuildBlockPacket(20, 2, 0, 0, 0), nullptr);
    EXPECT_EQ(BuildBlockPacket(0, 9, 0, 1, 0), nullptr);
    EXPECT_EQ(BuildBlockReadPacket(0, 4, 12, 1, 1), nullptr);
    EXPECT_EQ(BuildBlockReadPacket(0, 8, 0, 1, 1), nullptr);
    EXPECT_EQ(BuildSystemPacket(0, 7), nullptr);
    EXPECT_EQ(BuildSystemPacket(1, 0), nullptr);
    EXPECT_EQ(BuildSystemPacket(3, 0), nullptr);
    EXPECT_EQ(BuildSystemReadPacket(256, 0), nullptr);
}

TEST(FinishFrame, ChecksumOfAllZeroFrameIsZero) {
    std::vector<uint8_t> f(24, 0);
    FinishFrame(f.data(), 24);
    EXPECT_EQ(f[22], 0);
    EXPECT_EQ(f[23], 0xAA);
}

// Each named writer of the records lands on the byte its system frame carries
// (payload from frame byte 14), and on no other byte of that frame.
TEST_F(FrameBuilderTest, RecordWritersReachTheBytesTheirFramesCarry) {
    struct Case {
        const char* what;
        std::function<void()> write;
        int record;
        std::vector<std::pair<int, uint8_t>> bytes; // payload byte, value
    };
    CDeviceRecords& rec = g_DeviceRecords;
    const Case cases[] = {
        {"active source", [&] { rec.SetActiveSource(5); }, 2, {{0, 5}}},
        {"volume of AUX", [&] { rec.SetSourceVolume(3, 41); }, 2, {{5, 41}}},
        {"volume of the player", [&] { rec.SetSourceVolume(5, 42); }, 2, {{7, 42}}},
        {"master volume", [&] { rec.SetMasterVolume(-2); }, 5, {{0, 0xFE}, {1, 0xFF}}},
        {"noise gate", [&] { rec.SetNoiseGate(9); }, 5, {{3, 9}}},
        {"input lock", [&] { rec.SetInputLock(1); }, 5, {{4, 1}}},
        {"master on", [&] { rec.SetMasterOn(0); }, 5, {{6, 0}}},
        {"type of output 7", [&] { rec.SetOutputType(7, 33); }, 6, {{7, 33}}},
        {"type of output 8", [&] { rec.SetOutputType(8, 34); }, 7, {{0, 34}}},
        {"power-on source", [&] { rec.SetPowerOnSource(3); }, 8, {{1, 3}}},
        {"bridge mode", [&] { rec.SetBridgeMode(1); }, 8, {{2, 1}}},
        {"second source", [&] { rec.SetSecondSource(2); }, 8, {{4, 2}}},
        {"noise level", [&] { rec.SetNoiseLevel(11); }, 8, {{5, 11}}},
        {"noise attenuation", [&] { rec.SetNoiseAttenuation(12); }, 8, {{6, 12}}},
        {"noise time", [&] { rec.SetNoiseTime(13); }, 8, {{7, 13}}},
        {"source-linked presets on", [&] { rec.SetSourcePresetLink(1); }, 9, {{0, 1}}},
        {"preset of S/PDIF", [&] { rec.SetSourcePreset(0, 4); }, 9, {{1, 4}}},
        {"preset of the player", [&] { rec.SetSourcePreset(5, 6); }, 9, {{6, 6}}},
        {"current stored preset", [&] { rec.SetCurrentStoredPreset(3); }, 52, {{0, 3}}},
        {"current page", [&] { rec.SetCurrentModePage(2); }, 64, {{96, 2}}},
        {"transfer marker", [&] { rec.SetTransferMarker(1, 4); }, 97, {{0, 1}, {1, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetModelState();
        const auto before = FrameOf(BuildSystemPacket(c.record, 0));
        c.write();
        const auto after = FrameOf(BuildSystemPacket(c.record, 0));
        ASSERT_EQ(after.size(), before.size());
        auto expected = before;
        for (const auto& [byte, value] : c.bytes)
            expected[static_cast<size_t>(14 + byte)] = value;
        expected[expected.size() - 2] =
            FrameChecksum(expected.data() + 4, static_cast<int>(expected.size()) - 6);
        EXPECT_EQ(after, expected);
    }
}

// The readers give back what the writers stored, the page table by page and
// output, the output map across its two records.
TEST_F(FrameBuilderTest, RecordReadersGiveBackTheStoredValues) {
    CDeviceRecords& rec = g_DeviceRecords;
    ModePage page{};
    page[2 * 5] = 0x34;
    page[2 * 5 + 1] = 0x82; // output 5: 0x8234, negative
    rec.SetModePage(3, page);
    EXPECT_EQ(rec.ModePageWord(3, 5), static_cast<int16_t>(0x8234));
    EXPECT_EQ(rec.GetModePage(3), page);
    EXPECT_EQ(rec.ModePageWord(2, 5), 0);
    OutputMap map{};
    for (int o = 0; o < kOutputMapSize; ++o)
        map[static_cast<size_t>(o)] = static_cast<uint8_t>(o + 1);
    rec.SetOutputMap(map);
    EXPECT_EQ(rec.GetOutputMap(), map);
    EXPECT_EQ(rec.OutputType(11), 12);
    const uint8_t version[] = {'V', 'E', 'L', 'K', '-', 'F', 'V', '1', '.', '0', '0', 'X', 'Y'};
    rec.StoreVersion(version, 11);
    EXPECT_EQ(rec.VersionText(), "VELK-FV1.00");
    rec.StoreVersion(version, 4);
    EXPECT_EQ(rec.VersionText(), "VELK"); // nothing of the longer text stays
    const uint8_t status[] = {3, 0, 61, 62};
    rec.StoreStatus(status, 4);
    EXPECT_EQ(rec.Status()[0], 3);
    EXPECT_EQ(rec.Status()[3], 62);
}
