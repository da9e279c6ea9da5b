// The rules of preset names: the checks a new scene name passes, a file's
// title taken as the current name, and the picker's wrapping; all by GBK
// bytes and never inside a double-byte character.
#include "files/PresetNames.h"
#include "model/TextCodec.h"
#include "tests/model/ModelFixture.h"

#include <cstring>

namespace {

class PresetNamesTest : public ModelTest {};

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8).value();
}

// Every line of a wrapped caption is whole GBK text of at most width bytes.
void ExpectWholeLines(const std::string& wrapped, int width) {
    size_t start = 0;
    while (start <= wrapped.size()) {
        const size_t end = std::min(wrapped.find('\n', start), wrapped.size());
        const std::string line = wrapped.substr(start, end - start);
        const std::optional<std::string> gbk = Utf8ToGbk(line);
        ASSERT_TRUE(gbk.has_value()) << line;
        EXPECT_LE(static_cast<int>(gbk->size()), width) << line;
        start = end + 1;
    }
}

TEST_F(PresetNamesTest, ANewSceneNameIsCheckedByTheRules) {
    StringToField(g_PcPresets[1], 16, "Club");            // preset 2
    StringToField(g_PcPresets[4], 16, "ABCDEFGHIJKLMNO"); // preset 5: 15 bytes
    StringToField(g_PcPresets[5], 16, "中文名字测试A");   // preset 6: 13 bytes
    struct Case {
        const char* what;
        std::string name;
        int preset;
        SceneNameRefusal want;
    };
    const Case cases[] = {
        {"empty", "", 3, SceneNameRefusal::Empty},
        {"three blanks", "   ", 3, SceneNameRefusal::Blank},
        {"a new name", "Evening", 3, SceneNameRefusal::None},
        {"the name of another preset", "Club", 3, SceneNameRefusal::Duplicate},
        {"its own name again", "Club", 2, SceneNameRefusal::None},
        {"the same first 13 bytes", "ABCDEFGHIJKLM", 3, SceneNameRefusal::Duplicate},
        {"differs within 13 bytes", "ABCDEFGHIJKLX", 3, SceneNameRefusal::None},
        {"six Chinese characters (12 bytes)", "中文名字测试", 3, SceneNameRefusal::None},
        {"a Chinese name at the limit (13 bytes), taken", "中文名字测试A", 3,
         SceneNameRefusal::Duplicate},
        {"a Chinese name at the limit (13 bytes), free", "中文名字测试B", 3,
         SceneNameRefusal::None},
        {"seven Chinese characters (14 bytes)", "中文名字测试一", 3, SceneNameRefusal::TooLong},
        {"thirteen Chinese characters (26 bytes)", "一二三四五六七八九十甲乙丙", 3,
         SceneNameRefusal::TooLong},
        {"14 single-byte characters", "ABCDEFGHIJKLMN", 1, SceneNameRefusal::TooLong},
        {"a character GBK cannot hold", "Ok\xF0\x9F\x8E\xB5", 3, SceneNameRefusal::Invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ModelBytes before = ModelBytes::Take();
        uint8_t field[16];
        std::memset(field, 0xEE, sizeof field);
        EXPECT_EQ(CheckSceneName(c.name, c.preset, field), c.want);
        if (c.want == SceneNameRefusal::None) {
            const std::string gbk = Gbk(c.name);
            EXPECT_EQ(0, std::memcmp(field, gbk.data(), gbk.size()));
            for (size_t i = gbk.size(); i < sizeof field; ++i)
                EXPECT_EQ(field[i], 0) << i;
        }
        // Checking changes nothing.
        EXPECT_TRUE(ModelBytes::Take() == before);
    }
}

TEST_F(PresetNamesTest, AFileTitleBecomesTheShownAndTheStoredName) {
    struct Case {
        const char* title;
        const char* shown;
        const char* stored;
    };
    const Case cases[] = {
        // Single-byte names as they always were.
        {"Club", "Club", "Club"},
        {"ABCDEFGHIJKL", "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
        {"ABCDEFGHIJKLM", "ABCDEFGHIJKL", "ABCDEFGHIJKLM"},
        {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKL", "ABCDEFGHIJKLM"},
        // Only Chinese: whole characters up to 13 bytes shown, nothing stored.
        {"中文名字测试一二", "中文名字测试", ""},
        {"中文名字测试", "中文名字测试", ""},
        // Mixed: a double-byte character that would reach past 13 bytes is left out.
        {"A中文名字测试一", "A中文名字测试", "A"},
        {"AB中文名字测试", "AB中文名字测", "AB"},
        {"中文名字测试AB", "中文名字测试A", "A"},
        {"Hall 大厅 2", "Hall 大厅 2", "Hall  2"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const TitleName name = PresetNameFromTitle(c.title);
        EXPECT_EQ(name.shown, c.shown);
        EXPECT_EQ(name.stored, c.stored);
        EXPECT_TRUE(Utf8ToGbk(name.shown).has_value());
        EXPECT_LE(Gbk(name.shown).size(), 13u);
    }
}

TEST_F(PresetNamesTest, CaptionsWrapByBytesBetweenCharacters) {
    struct Case {
        const char* text;
        const char* wrapped;
    };
    const Case cases[] = {
        {"", ""},
        {"Memory1", "Memory1"},
        {"ABCDEFGHIJKLM", "ABCDEFGHIJKLM"},
        {"ABCDEFGHIJKLMN", "ABCDEFGHIJKLM\nN"},
        {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLM\nNO"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLM\nNOPQRSTUVWXYZ\n"},
        {"中文名字测试", "中文名字测试"},
        {"中文名字测试A", "中文名字测试A"},
        // The thirteenth byte would be half of a character: the line ends before it.
        {"中文名字测试一", "中文名字测试\n一"},
        {"A中文名字测试一", "A中文名字测试\n一"},
        {"中文名字测试一二三四五六七", "中文名字测试\n一二三四五六\n七"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string wrapped = WrapSceneCaption(c.text, 13);
        EXPECT_EQ(wrapped, c.wrapped);
        ExpectWholeLines(wrapped, 13);
    }
}

TEST_F(PresetNamesTest, CuttingKeepsWholeCharacters) {
    EXPECT_EQ(CutToGbkBytes("ABCDEFGHIJKLMNO", 13), "ABCDEFGHIJKLM");
    EXPECT_EQ(CutToGbkBytes("中文名字测试一", 13), "中文名字测试");
    EXPECT_EQ(CutToGbkBytes("A中文名字测试一", 13), "A中文名字测试");
    EXPECT_EQ(CutToGbkBytes("中", 1), "");
    EXPECT_EQ(CutToGbkBytes("Club", 13), "Club");
}

} // namespace
