#include "tests/model/ModelFixture.h"

#include "model/TextCodec.h"

using TextFieldTest = ModelTest;

constexpr TextFieldError kFits = TextFieldError::None;

TEST_F(TextFieldTest, FifteenBytesFitSixteenAreRefused) {
    uint8_t field[16];
    std::memset(field, 'x', sizeof field);
    ASSERT_EQ(StringToField(field, 16, "ABCDEFGHIJKLMNO"), kFits);
    EXPECT_EQ(Bytes(field, 16), Hex("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 00"));

    EXPECT_EQ(StringToField(field, 16, "ABCDEFGHIJKLMNOP"), TextFieldError::TooLong);
    EXPECT_EQ(Bytes(field, 16), Hex("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 00"));
    EXPECT_EQ(BytesToField(field, 16, "ABCDEFGHIJKLMNOPQ"), TextFieldError::TooLong);
    EXPECT_EQ(Bytes(field, 16), Hex("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 00"));
}

// The model only says why; the user interface shows these texts.
TEST_F(TextFieldTest, TheMessagesOfTheRefusals) {
    EXPECT_EQ(TextFieldErrorText(TextFieldError::TooLong), "Char len error!");
    EXPECT_EQ(TextFieldErrorText(TextFieldError::Invalid), "Invalid characters!");
    EXPECT_EQ(TextFieldErrorText(kFits), "");
    g_LanguageFlag = 1;
    EXPECT_EQ(TextFieldErrorText(TextFieldError::TooLong), "字符长度错误!");
    EXPECT_EQ(TextFieldErrorText(TextFieldError::Invalid), "字符无效!");
}

TEST_F(TextFieldTest, ShortTextIsZeroPadded) {
    uint8_t field[8];
    std::memset(field, 0xFF, sizeof field);
    ASSERT_EQ(StringToField(field, 8, "ab"), kFits);
    EXPECT_EQ(Bytes(field, 8), Hex("61 62 00 00 00 00 00 00"));
    ASSERT_EQ(StringToField(field, 8, ""), kFits);
    EXPECT_EQ(Bytes(field, 8), std::vector<uint8_t>(8, 0));
}

TEST_F(TextFieldTest, GbkNameCountsBytes) {
    uint8_t field[16] = {};
    // Seven Chinese characters are 14 GBK bytes: they fit.
    ASSERT_EQ(StringToField(field, 16, "前置左高频中置"), kFits);
    EXPECT_EQ(Bytes(field, 4), Hex("C7 B0 D6 C3"));
    EXPECT_EQ(field[14], 0);
    EXPECT_EQ(FieldToString(field, 16), "前置左高频中置");
    // Seven characters and one letter: 15 bytes, the limit.
    ASSERT_EQ(StringToField(field, 16, "前置左高频中置A"), kFits);
    EXPECT_EQ(field[14], 'A');
    // Eight characters are 16 bytes: refused although only 8 characters long.
    EXPECT_EQ(StringToField(field, 16, "前置左高频中置低"), TextFieldError::TooLong);
    EXPECT_EQ(FieldToString(field, 16), "前置左高频中置A");
}

TEST_F(TextFieldTest, TextGbkCannotHoldIsRefused) {
    uint8_t field[16] = {'o', 'l', 'd', 0};
    EXPECT_EQ(StringToField(field, 16, "\xF0\x9F\x98\x80"), TextFieldError::Invalid); // an emoji
    EXPECT_EQ(FieldToString(field, 16), "old");
}

TEST_F(TextFieldTest, FieldToStringTrimsAndStopsAtZero) {
    const uint8_t field[16] = {' ', 'A', 'b', ' ', ' ', 0, 'x', 'y', 'z', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(FieldToString(field, 16), "Ab");
}

TEST_F(TextFieldTest, FieldWithoutTerminator) {
    uint8_t field[16];
    std::memset(field, 'Q', sizeof field);
    EXPECT_EQ(FieldToString(field, 16), std::string(15, 'Q'));
    EXPECT_EQ(FieldToStringAll(field, 16), std::string(16, 'Q'));
}

TEST_F(TextFieldTest, FieldToStringAllOfDefaultOutputName) {
    const auto bytes = Hex("20 00 20 20 20 20 20 00");
    EXPECT_EQ(FieldToStringAll(bytes.data(), 8), "");
}

TEST_F(TextFieldTest, BrokenGbkFromTheDeviceStillShows) {
    // A lone lead byte at the end and an invalid pair.
    const uint8_t field[8] = {'A', 0xC7, 0xB0, 0x81, 0x20, 0xC7, 0, 0};
    const std::string text = FieldToString(field, 8);
    EXPECT_EQ(text.substr(0, 4), "A前");
    EXPECT_NE(text.find("\xEF\xBF\xBD"), std::string::npos);
}

TEST_F(TextFieldTest, PresetNamesCompareAsText) {
    // Stored presets 1 and 4 hold "Club" with different bytes after the zero.
    std::memcpy(g_PcPresets[1], "Club\0abcdefghij", 16);
    std::memcpy(g_PcPresets[4], "Club\0zzzzzzzzzz", 16);
    std::memcpy(g_PcPresets[2], "Clubs\0\0\0\0\0\0\0\0\0\0", 16);
    const uint8_t wanted[16] = {'C', 'l', 'u', 'b', 0, 'q', 'q'};
    EXPECT_EQ(IsPresetNameUsed(1, wanted, 1, 13), 1); // block 4 has it
    EXPECT_EQ(IsPresetNameUsed(4, wanted, 1, 13), 1); // block 1 has it
    std::memcpy(g_PcPresets[4], "Other\0", 6);
    EXPECT_EQ(IsPresetNameUsed(1, wanted, 1, 13), 0); // only its own block has it
    EXPECT_EQ(IsPresetNameUsed(0, wanted, 1, 13), 1);

    std::memcpy(g_DevicePresets[19], "Club\0\x01\x02", 7);
    EXPECT_EQ(IsPresetNameUsed(3, wanted, 0, 16), 1);
    EXPECT_EQ(IsPresetNameUsed(19, wanted, 0, 16), 0);
}

TEST_F(TextFieldTest, BlankStrings) {
    EXPECT_EQ(IsBlankString(""), 1);
    EXPECT_EQ(IsBlankString("   \t"), 1);
    EXPECT_EQ(IsBlankString(" a "), 0);
}

TEST(TextCodec, GbkRoundTrip) {
    const auto gbk = Utf8ToGbk("超低频 Sub");
    ASSERT_TRUE(gbk.has_value());
    EXPECT_EQ(*gbk, std::string("\xB3\xAC\xB5\xCD\xC6\xB5 Sub"));
    EXPECT_EQ(GbkToUtf8(*gbk), "超低频 Sub");
    EXPECT_FALSE(Utf8ToGbk("\xFF\xFE").has_value()); // not UTF-8
}

// Cutting GBK text at a byte count keeps whole characters: a lead byte whose
// second byte lies beyond the cut is left out; after a zero, the rest counts.
TEST(TextCodec, GbkWholeLengthNeverEndsInsideACharacter) {
    struct Case {
        std::string bytes;
        size_t n;
        size_t whole;
    };
    const std::string chinese7 = Utf8ToGbk("中文名字测试一").value(); // 14 bytes
    const Case cases[] = {
        {"ABCDEFGHIJKLMN", 13, 13},
        {chinese7, 13, 12},
        {chinese7, 14, 14},
        {"A" + chinese7, 13, 13},
        {"AB" + chinese7, 13, 12},
        {std::string("Club\0\0\0\0\0\0\0\0\0", 13), 13, 13},
        {std::string("\xB3\xAC", 2), 1, 0},
        // A trail byte below 0x80 is still the second half of its character.
        {std::string("\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40", 14), 13, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(GbkWholeLength(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.n),
                  c.whole);
    }
}
