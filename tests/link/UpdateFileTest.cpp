// The update file's layouts and what is refused, and the HEX record reader
// with its version confirmation.
#include "link/HexRecord.h"
#include "link/UpdateFile.h"

#include "model/Globals.h"
#include "tests/link/UpdateFiles.h"
#include "tools/fuzz/updatefile/UpdateFileInput.h"

#include <gmock/gmock.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

uint8_t XorFrom(uint8_t seed, const std::vector<uint8_t>& bytes, size_t from) {
    for (size_t i = from; i < bytes.size(); ++i)
        seed ^= bytes[i];
    return seed;
}

// ---------------------------------------------------------------------------
// Update file
// ---------------------------------------------------------------------------

TEST(UpdateFileTest, EveryLayoutGivesItsImagesCheckByteAndRange) {
    const auto dsp = FirmwareBytes(kDspImageSize, 3);
    const auto part = ControllerPart(1000);
    const auto shortPart = ControllerPart(996 - 4); // a controller-only file of 1000 bytes
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool dsp, controller;
        std::vector<uint8_t> controllerPart;
        unsigned range;
    } cases[] = {
        // S = 0x40008 + 1004: (S - 5 - 0x3FFFF) / 48 + 5957 = 1008 / 48 + 5957.
        {"full", FullUpdateFile(dsp, &part), true, true, part, 1008 / 48 + 5957},
        // Exactly 0x40004 bytes: no room for a controller part.
        {"DSP only", FullUpdateFile(dsp, nullptr), true, false, {}, 5957},
        {"controller only", ControllerUpdateFile(shortPart), false, true, shortPart, 1000 / 48},
        // The start parameters alone: one step of fill, the check byte of nothing.
        {"start parameters only", ControllerUpdateFile({1, 2, 3, 4}), false, true, {1, 2, 3, 4}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateImage image;
        ASSERT_EQ(ParseUpdateFile(c.file.data(), c.file.size(), image), UpdateFileResult::Ok);
        EXPECT_EQ(image.hasDsp, c.dsp);
        EXPECT_EQ(image.hasController, c.controller);
        EXPECT_EQ(image.dsp, c.dsp ? dsp : std::vector<uint8_t>());
        EXPECT_EQ(image.controller, c.controllerPart);
        EXPECT_EQ(image.checkByte, XorFrom(0x12, c.controllerPart, 4));
        EXPECT_EQ(image.progressRange, c.range);
        EXPECT_EQ(image.StepTotal(), static_cast<int>(c.range) + 6);
    }
    // The controller-only file of the edge case: 996 bytes taken, range 20, total 26.
    UpdateImage image;
    const auto file = ControllerUpdateFile(shortPart);
    ASSERT_EQ(file.size(), 1000u);
    ASSERT_EQ(ParseUpdateFile(file.data(), file.size(), image), UpdateFileResult::Ok);
    EXPECT_EQ(image.controller.size(), 996u);
    EXPECT_EQ(image.StepTotal(), 26);
}

TEST(UpdateFileTest, TheByteAfterTheDspImageReachesNeitherImage) {
    auto dsp = std::vector<uint8_t>(kDspImageSize, 0x00);
    const auto part = std::vector<uint8_t>{9, 9, 9, 9, 0x00};
    auto file = FullUpdateFile(dsp, &part);
    file[0x40003] = 0x5A;
    UpdateImage image;
    ASSERT_EQ(ParseUpdateFile(file.data(), file.size(), image), UpdateFileResult::Ok);
    EXPECT_EQ(std::count(image.dsp.begin(), image.dsp.end(), 0x5A), 0);
    EXPECT_EQ(std::count(image.controller.begin(), image.controller.end(), 0x5A), 0);
}

TEST(UpdateFileTest, AFileWithoutALayoutOfItsOwnIsRefusedAndLeavesNothing) {
    const auto dsp = FirmwareBytes(kDspImageSize);
    const std::vector<uint8_t> threeBytes = {1, 2, 3};
    std::vector<uint8_t> notDsp = FullUpdateFile(dsp, &threeBytes);
    std::copy_n("XXXX", 4, notDsp.begin());
    std::vector<uint8_t> mcuAt4 = notDsp;
    std::copy_n("WMCU", 4, mcuAt4.begin() + 4);
    std::vector<uint8_t> trailing = FullUpdateFile(dsp, nullptr);
    std::vector<uint8_t> cutShort(trailing.begin(), trailing.end() - 1);
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5, 6, 7, 8});
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    } cases[] = {
        {"empty", {}},
        {"shorter than a tag", {'W', 'M', 'C'}},
        {"controller part without start parameters", ControllerUpdateFile({})},
        {"controller part of 3 bytes", ControllerUpdateFile({1, 2, 3})},
        {"full file whose controller part has 3 bytes", FullUpdateFile(dsp, &threeBytes)},
        {"small file without WMCU", {'W', 'D', 'S', 'P', 1, 2, 3, 4, 5}},
        {"full size without WDSP", notDsp},
        {"full size with WMCU after a wrong tag", mcuAt4},
        {"bytes after the DSP image without WMCU", trailing},
        {"DSP image cut short", cutShort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateImage image;
        image.dsp = {1};
        image.controller = {2};
        EXPECT_EQ(ParseUpdateFile(c.file.data(), c.file.size(), image), UpdateFileResult::Refused);
        EXPECT_THAT(image.dsp, IsEmpty());
        EXPECT_THAT(image.controller, IsEmpty());
        EXPECT_FALSE(image.hasDsp || image.hasController);
    }
}

TEST(UpdateFileTest, ReadingAFileTellsAMissingFileFromARefusedOne) {
    const std::string dir = ::testing::TempDir();
    const std::string good = dir + "/update-good.bin";
    const std::string huge = dir + "/update-huge.bin";
    ASSERT_TRUE(WriteFileBytes(good, ControllerUpdateFile(ControllerPart(100))));
    // A sparse file larger than any controller's flash.
    const int fd = ::open(huge.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "WMCU", 4), 4);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxUpdateFileSize) + 1), 0);
    ::close(fd);
    UpdateImage image;
    EXPECT_EQ(ReadUpdateFile(good, image), UpdateFileResult::Ok);
    EXPECT_EQ(image.controller, ControllerPart(100));
    EXPECT_EQ(ReadUpdateFile(dir + "/no-such-file.bin", image), UpdateFileResult::CannotOpen);
    EXPECT_EQ(ReadUpdateFile(huge, image), UpdateFileResult::Refused);
    EXPECT_THAT(image.controller, IsEmpty());
    ::unlink(good.c_str());
    ::unlink(huge.c_str());
}

// The fuzzer's seed corpus: a valid file of every layout, and damaged ones,
// each in the fuzzer's form (UpdateFileInput.h).
TEST(UpdateFileTest, TheSeedCorpusHoldsEveryLayoutAndItsDamage) {
    const std::string corpus = std::string(LUMARA_SOURCE_DIR) + "/tools/fuzz/updatefile/corpus/";
    struct Case {
        const char* name;
        UpdateFileResult result;
    } cases[] = {
        {"full", UpdateFileResult::Ok},
        {"dsp-only", UpdateFileResult::Ok},
        {"controller-only", UpdateFileResult::Ok},
        {"controller-48", UpdateFileResult::Ok},
        {"start-parameters-only", UpdateFileResult::Ok},
        {"full-truncated", UpdateFileResult::Refused},
        {"full-wrong-tag", UpdateFileResult::Refused},
        {"full-short-controller", UpdateFileResult::Refused},
        {"dsp-trailing-bytes", UpdateFileResult::Refused},
        {"controller-short", UpdateFileResult::Refused},
        {"empty", UpdateFileResult::Refused},
        {"tag-cut", UpdateFileResult::Refused},
    };
    updatefuzz::FileOfInput files;
    for (const Case& c : cases) {
        const std::vector<uint8_t> input = ReadFileBytes(corpus + c.name);
        ASSERT_FALSE(input.empty()) << c.name;
        const auto [file, size] = files.Make(input.data(), input.size());
        UpdateImage image;
        EXPECT_EQ(ParseUpdateFile(file, size, image), c.result) << c.name;
    }
}

// ---------------------------------------------------------------------------
// HEX records
// ---------------------------------------------------------------------------

// A record line from its fields, with its checksum.
std::string Record(int type, unsigned address, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()),
                                  static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                                  static_cast<uint8_t>(type)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum = static_cast<uint8_t>(sum + b);
    bytes.push_back(static_cast<uint8_t>(-sum));
    std::string line = ":";
    static const char* digits = "0123456789ABCDEF";
    for (uint8_t b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    return line;
}

class HexRecordTest : public ::testing::Test {
protected:
    void SetUp() override { g_LanguageFlag = 0; }
    // The prompt a window would show: records the text, answers as set.
    bool Confirm() {
        return reader.ConfirmUpdateVersion([this](const VersionPrompt& p) {
            boxes.push_back(p.text);
            return p.question && answer;
        });
    }

    // The records that lead the reader to a version: location 08 00 50 00.
    void ReadVersionRecords(const std::string& version) {
        ASSERT_TRUE(reader.ParseHexRecord(Record(0, 0x5000, {0}), 1, image));
        ASSERT_TRUE(reader.ParseHexRecord(Record(4, 0, {0x08, 0x00}), 0, image));
        ASSERT_TRUE(reader.ParseHexRecord(
            Record(0, 0x8000, std::vector<uint8_t>(version.begin(), version.end())), 2, image));
    }

    CHexRecordReader reader;
    std::vector<uint8_t> image;
    std::vector<std::string> boxes;
    bool answer = true;
};

TEST_F(HexRecordTest, RecordsAppendByTypeAndModeAndKeepTheirPairs) {
    // The classic data record: 16 bytes at 0x0100.
    ASSERT_TRUE(reader.ParseHexRecord(":10010000214601360121470136007EFE09D2190140\r\n", 0, image));
    EXPECT_EQ(image, (std::vector<uint8_t>{0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01, 0x36,
                                           0x00, 0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01}));
    EXPECT_THAT(reader.FirstPair(), ElementsAre(0x21, 0x46));
    EXPECT_EQ(reader.LastDataAddress(), 0x0100u);
    EXPECT_EQ(reader.StartCode(), ':');
    image.clear();
    // Mode 1: the address first, kept as the second pair.
    ASSERT_TRUE(reader.ParseHexRecord(Record(0, 0x1234, {0xAB}), 1, image));
    EXPECT_EQ(image, (std::vector<uint8_t>{0x12, 0x34, 0xAB}));
    EXPECT_THAT(reader.SecondPair(), ElementsAre(0x12, 0x34));
    image.clear();
    // An extended linear address: its data in mode 0 only, and the upper address.
    ASSERT_TRUE(reader.ParseHexRecord(Record(4, 0, {0x08, 0x00}), 0, image));
    ASSERT_TRUE(reader.ParseHexRecord(Record(4, 0, {0x09, 0x01}), 1, image));
    EXPECT_EQ(image, (std::vector<uint8_t>{0x08, 0x00, 0x00, 0x00}));
    EXPECT_THAT(reader.UpperAddress(), ElementsAre(0x09, 0x01));
    // Any other type is read and not used.
    image.clear();
    ASSERT_TRUE(reader.ParseHexRecord(Record(1, 0, {}), 0, image));
    EXPECT_THAT(image, IsEmpty());
    EXPECT_EQ(reader.RecordCount(), 5);
    reader.ResetHexParseState();
    EXPECT_EQ(reader.RecordCount(), 0);
    EXPECT_THAT(reader.UpperAddress(), ElementsAre(0, 0));
}

TEST_F(HexRecordTest, AMalformedRecordIsRefusedAndChangesNothing) {
    ASSERT_TRUE(reader.ParseHexRecord(Record(0, 0x0010, {1, 2}), 0, image));
    const auto before = image;
    std::string badSum = Record(0, 0x20, {1, 2, 3});
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    const std::string record = Record(0, 0x20, {1, 2, 3});
    const char* cases[] = {
        "",                // nothing
        ":",               // a start code alone
        ":00000001",       // no checksum
        ":10010000214601", // a byte count beyond the line
        ":03002000010203", // three data bytes, no checksum
        ":0100000001FE00", // one pair more than the count says
        ":0100000G01FE",   // not hexadecimal
        ":010000000",      // an odd digit
    };
    for (const char* line : cases) {
        EXPECT_FALSE(reader.ParseHexRecord(line, 1, image)) << line;
    }
    EXPECT_FALSE(reader.ParseHexRecord(badSum, 0, image)) << badSum;
    EXPECT_FALSE(reader.ParseHexRecord(record + "00", 0, image)) << "bytes after the checksum";
    EXPECT_EQ(image, before);
    EXPECT_EQ(reader.RecordCount(), 1);
    EXPECT_THAT(reader.FirstPair(), ElementsAre(1, 2));
    EXPECT_THAT(reader.SecondPair(), ElementsAre(0, 0));
}

TEST_F(HexRecordTest, TheVersionIsFoundAndConfirmed) {
    ReadVersionRecords("VELK-FV1.02");
    EXPECT_THAT(reader.VersionLocation(), ElementsAre(0x08, 0x00, 0x50, 0x00));
    EXPECT_EQ(reader.VersionText(), "VELK-FV1.02");
    EXPECT_TRUE(Confirm());
    EXPECT_THAT(boxes, ElementsAre("Firmware Update toVELK-FV1.02?"));
    answer = false;
    EXPECT_FALSE(Confirm());
    g_LanguageFlag = 1;
    answer = true;
    EXPECT_TRUE(Confirm());
    EXPECT_EQ(boxes.back(), "是否将当前固件更新到VELK-FV1.02版本?");
    g_LanguageFlag = 0;
}

TEST_F(HexRecordTest, AWrongPlaceOrFamilyIsSaidAndRefused) {
    EXPECT_FALSE(Confirm());
    ReadVersionRecords("VELK-WV2.00");
    EXPECT_FALSE(Confirm());
    EXPECT_THAT(boxes, ElementsAre("Update file is error!", "Update version error!"));
}

} // namespace
