// The simulated device against the program's own frames: each checks the
// other, since they share no code.
#include "tests/link/LinkTestSupport.h"

#include "tools/sim/SimDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

class SimDeviceTest : public ModelTest {
protected:
    // The device's answer to one packet, fed in 64-byte pieces as over USB.
    std::vector<uint8_t> Answer(const PacketPtr& p) {
        std::vector<uint8_t> out;
        for (int at = 0; at < p->GetLength(); at += 64) {
            const size_t n = static_cast<size_t>(std::min(64, p->GetLength() - at));
            const auto part = device.Receive(p->GetData() + at, n);
            out.insert(out.end(), part.begin(), part.end());
        }
        return out;
    }
    sim::SimDevice device;
};

TEST_F(SimDeviceTest, AnswersEveryRequestOfTheProgram) {
    struct Case {
        const char* name;
        std::function<PacketPtr()> build;
        char code;
        size_t payload;
    } cases[] = {
        {"item write", [] { return BuildItemPacket(kGroupOutput, 2, 5); }, 'Q', 0},
        {"status request", [] { return BuildItemPacket(kGroupStatus, 0, 0); }, 'S', 37},
        {"output block write", [] { return BuildBlockPacket(0, kGroupOutput, 3, 1, 0); }, 'Q', 0},
        {"music block read", [] { return BuildBlockReadPacket(0, kGroupMusic, 1, 1, 1); }, 'S',
         kMusicBlockSize},
        {"output block read", [] { return BuildBlockReadPacket(2, kGroupOutput, 11, 0, 1); }, 'S',
         kOutputBlockSize},
        {"quick read", [] { return BuildSystemReadPacket(204, 0); }, 'S', 1},
        {"version", [] { return BuildSystemReadPacket(4, 0); }, 'S', 11},
        {"preset name", [] { return BuildSystemReadPacket(0, 3); }, 'S', 16},
        {"page table", [] { return BuildSystemReadPacket(64, 0); }, 'S', 98},
        {"system write", [] { return BuildSystemPacket(64, 0); }, 'Q', 0},
        {"preset select", [] { return BuildSystemPacket(52, 0); }, 'Q', 0},
    };
    for (const Case& c : cases) {
        const PacketPtr p = c.build();
        const auto answer = Answer(p);
        ASSERT_EQ(answer.size(), c.payload + 16) << c.name;
        EXPECT_EQ(answer[4], c.code) << c.name;
        // Slot, group, channel and item byte are echoed.
        EXPECT_EQ(Bytes(answer.data() + 6, 4), Bytes(p->GetData() + 6, 4)) << c.name;
        // And the program's assembler takes it.
        CKTVCommand cmd;
        cmd.AddPacket(BuildSystemReadPacket(2, 0));
        EXPECT_EQ(FeedAsReports(cmd, answer), kFeedDone) << c.name;
    }
}

TEST_F(SimDeviceTest, QuickReadsAndVersion) {
    auto quick = Answer(BuildSystemReadPacket(204, 0));
    EXPECT_EQ(quick[14], 0);
    device.SetVersion("ABCD-XV9");
    auto version = Answer(BuildSystemReadPacket(4, 0));
    EXPECT_EQ(std::string(version.begin() + 14, version.end() - 2), "ABCD-XV9");
}

TEST_F(SimDeviceTest, WritesChangeTheDevicesMemory) {
    std::memcpy(OutputBlock(4) + 8 * 31, "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    Answer(BuildItemPacket(kGroupOutput, 4, 31));
    const auto image = device.Image();
    EXPECT_EQ(image[kOutputBlockOffset + kOutputBlockSize * 4 + 8 * 31 + 7], 8);
    g_DeviceRecords.Bytes().sources[0] = 5;
    Answer(BuildSystemPacket(2, 0));
    EXPECT_EQ(device.Status()[0], 5);
    device.TurnMasterOn(false);
    EXPECT_EQ(device.Status()[14], 0);
}

// The device starts in the factory state that the program's own start-up
// defaults describe: the twelve default output blocks and the default system
// records, as the device's replies carry them.
TEST_F(SimDeviceTest, StartsInTheFactoryStateOfTheProgramsDefaults) {
    const auto image = device.Image();
    for (int o = 0; o < kOutputCount; ++o) {
        SCOPED_TRACE(o);
        const size_t at = kOutputBlockOffset + static_cast<size_t>(kOutputBlockSize) * o;
        EXPECT_EQ(Bytes(image.data() + at, kOutputBlockSize),
                  Bytes(DefaultOutputBlock(o), kOutputBlockSize));
        EXPECT_EQ(Bytes(image.data() + at, kOutputBlockSize),
                  Bytes(OutputBlock(o), kOutputBlockSize));
        const auto read = Answer(BuildBlockReadPacket(0, kGroupOutput, o, 0, 1));
        ASSERT_EQ(read.size(), kOutputBlockSize + 16u);
        EXPECT_EQ(Bytes(read.data() + 14, kOutputBlockSize),
                  Bytes(DefaultOutputBlock(o), kOutputBlockSize));
    }
    const struct {
        int record;
        const uint8_t* defaults;
        size_t size;
    } records[] = {{kRecordSources, g_DeviceRecords.Bytes().sources, 8},
                   {kRecordMaster, g_DeviceRecords.Bytes().master, 8},
                   {kRecordOutputMapA, g_DeviceRecords.Bytes().outputMapA, 8},
                   {kRecordOutputMapB, g_DeviceRecords.Bytes().outputMapB, 8},
                   {kRecordSourceSetup, g_DeviceRecords.Bytes().sourceSetup, 8},
                   {kRecordPresetSelect, g_DeviceRecords.Bytes().presetSelect, 1},
                   {kRecordPageTable, g_DeviceRecords.Bytes().pageTable, 98},
                   {kRecordTransferMarker, g_DeviceRecords.Bytes().transferMarker, 8}};
    for (const auto& r : records) {
        SCOPED_TRACE(r.record);
        const auto read = Answer(BuildSystemReadPacket(r.record, 0));
        ASSERT_EQ(read.size(), r.size + 16);
        EXPECT_EQ(Bytes(read.data() + 14, r.size), Bytes(r.defaults, r.size));
    }
    // No stored preset is the current data.
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().presetSelect, 8), std::vector<uint8_t>(8, 0));
    // The current data has no name, as the program's image at start-up.
    EXPECT_EQ(Bytes(image.data(), kPresetNameSize), Bytes(g_ParamImage, kPresetNameSize));
}

// The factory reset (record 96) brings the start state back: the current
// data, the stored presets and the records.
TEST_F(SimDeviceTest, TheFactoryResetBringsTheStartStateBack) {
    const sim::SimDevice fresh;
    std::memset(OutputBlock(3), 0x77, kOutputBlockSize);
    Answer(BuildBlockPacket(0, kGroupOutput, 3, 1, 0));
    Answer(BuildBlockPacket(2, kGroupOutput, 3, 1, 0));
    g_DeviceRecords.Bytes().outputMapA[0] = 9;
    Answer(BuildSystemPacket(kRecordOutputMapA, 0));
    g_DeviceRecords.Bytes().presetSelect[0] = 2;
    Answer(BuildSystemPacket(kRecordPresetSelect, 0));
    ASSERT_NE(device.Image(), fresh.Image());
    ASSERT_NE(device.StoredPreset(2), fresh.StoredPreset(2));
    ASSERT_NE(device.Record(kRecordOutputMapA), fresh.Record(kRecordOutputMapA));

    const auto answer = Answer(BuildSystemPacket(kRecordFactoryReset, 0));
    ASSERT_EQ(answer.size(), 16u);
    EXPECT_EQ(answer[4], 'Q');
    EXPECT_EQ(device.Image(), fresh.Image());
    for (int s = 1; s <= kStoredPresetCount; ++s)
        EXPECT_EQ(device.StoredPreset(s), fresh.StoredPreset(s)) << s;
    for (int r : {2, 5, 6, 7, 8, 9, 52, 64, 97})
        EXPECT_EQ(device.Record(r), fresh.Record(r)) << r;
}

TEST_F(SimDeviceTest, AFrameWithABadChecksumIsAskedForAgain) {
    PacketPtr p = BuildItemPacket(kGroupOutput, 0, 0);
    std::vector<uint8_t> bytes(p->GetData(), p->GetData() + p->GetLength());
    bytes[bytes.size() - 2] ^= 1;
    const auto answer = device.Receive(bytes.data(), bytes.size());
    ASSERT_EQ(answer.size(), 16u);
    EXPECT_EQ(answer[4], 'R');
}

// What a command printed on its standard output, and its exit status.
std::pair<std::string, int> RunCommand(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return {out, -1};
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, p))
        out.append(buffer, n);
    const int status = ::pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// --help shows every option in its first line, and an unknown option ends
// the program with the same text and a failure.
TEST(SimProgramTest, ItsFirstUsageLineNamesEveryOption) {
    const auto [help, status] = RunCommand(std::string(LUMARA_SIM_PROGRAM) + " --help");
    ASSERT_EQ(status, 0);
    std::istringstream lines(help);
    std::string first, line;
    std::getline(lines, first);
    EXPECT_EQ(first.rfind("usage: lumara-sim ", 0), 0u) << first;
    int options = 0;
    while (std::getline(lines, line)) {
        // "  --name ..." explains one option.
        if (line.rfind("  --", 0) != 0) continue;
        const std::string option = line.substr(2, line.find(' ', 2) - 2);
        EXPECT_TRUE(first.find("[" + option + "]") != std::string::npos ||
                    first.find("[" + option + " ") != std::string::npos)
            << option;
        ++options;
    }
    EXPECT_GT(options, 0);
    const auto [refused, failed] = RunCommand(std::string(LUMARA_SIM_PROGRAM) + " --bogus 2>&1");
    EXPECT_EQ(failed, 2);
    EXPECT_EQ(refused, help);
}

} // namespace
