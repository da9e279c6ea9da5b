// The preset-file codec: exact bytes of written files, the scrambling, round
// trips, and files that must be refused without touching the model.
#include "files/PresetJson.h"
#include "model/TextCodec.h"
#include "tests/model/ModelFixture.h"

#include <cjson/cJSON.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Plain(std::string fileBytes) {
    CPresetJson::Scramble(fileBytes);
    return fileBytes;
}

// The upload time is the one part of a file that depends on when it was written.
std::string WithoutTime(const std::string& plain) {
    return std::regex_replace(plain, std::regex("\"data_upload_time\":\\t\"[^\"]*\""),
                              "\"data_upload_time\":\t\"\"");
}

std::string WriteFile(bool complete) {
    CPresetJson codec;
    std::string bytes;
    EXPECT_TRUE(complete ? codec.WriteAllPresetsBytes(bytes) : codec.WritePresetBytes(bytes));
    return bytes;
}

// ---------------------------------------------------------------------------
// Changing one member of a good file. Paths are keys and array indexes
// separated by '/'.
// ---------------------------------------------------------------------------

using Maker = std::function<cJSON*()>;
Maker Num(double v) {
    return [v] { return cJSON_CreateNumber(v); };
}
Maker Str(const char* s) {
    return [s] { return cJSON_CreateString(s); };
}
Maker Json(const char* text) {
    return [text] { return cJSON_Parse(text); };
}
const Maker Delete;

cJSON* Walk(cJSON* node, const std::string& path) {
    size_t start = 0;
    while (node && start < path.size()) {
        const size_t slash = path.find('/', start);
        const std::string part =
            path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        node = cJSON_IsArray(node) ? cJSON_GetArrayItem(node, std::atoi(part.c_str()))
                                   : cJSON_GetObjectItemCaseSensitive(node, part.c_str());
        start = slash == std::string::npos ? path.size() : slash + 1;
    }
    return node;
}

void Set(cJSON* root, const std::string& path, const Maker& make) {
    const size_t slash = path.rfind('/');
    cJSON* parent = slash == std::string::npos ? root : Walk(root, path.substr(0, slash));
    const std::string key = slash == std::string::npos ? path : path.substr(slash + 1);
    ASSERT_NE(parent, nullptr) << path;
    if (cJSON_IsArray(parent)) {
        const int index = std::atoi(key.c_str());
        ASSERT_LT(index, cJSON_GetArraySize(parent)) << path;
        if (make)
            cJSON_ReplaceItemInArray(parent, index, make());
        else
            cJSON_DeleteItemFromArray(parent, index);
    } else {
        ASSERT_NE(cJSON_GetObjectItemCaseSensitive(parent, key.c_str()), nullptr) << path;
        if (make)
            cJSON_ReplaceItemInObjectCaseSensitive(parent, key.c_str(), make());
        else
            cJSON_DeleteItemFromObjectCaseSensitive(parent, key.c_str());
    }
}

// Keeps the first n elements of the array at path.
void Truncate(cJSON* root, const std::string& path, int n) {
    cJSON* array = Walk(root, path);
    ASSERT_TRUE(cJSON_IsArray(array)) << path;
    while (cJSON_GetArraySize(array) > n)
        cJSON_DeleteItemFromArray(array, n);
}

// A good file of the current model with its tree changed.
std::string ChangedFile(bool complete, const std::function<void(cJSON*)>& change) {
    const std::string plain = Plain(WriteFile(complete));
    std::unique_ptr<cJSON, void (*)(cJSON*)> root(cJSON_Parse(plain.c_str()), cJSON_Delete);
    EXPECT_NE(root, nullptr);
    change(root.get());
    std::unique_ptr<char, void (*)(void*)> text(cJSON_Print(root.get()), cJSON_free);
    std::string out(text.get());
    CPresetJson::Scramble(out);
    return out;
}

class PresetFileTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        static int serial = 0;
        dir_ = fs::temp_directory_path() /
               ("lumara-presetfile-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ModelTest::TearDown();
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    static std::string ReadRaw(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteRaw(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

private:
    fs::path dir_;
};

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

TEST_F(PresetFileTest, WrittenFileStartsWithScrambledHeader) {
    CPresetJson codec;
    ASSERT_TRUE(codec.SavePresetFile(Path("a.jssh")));
    const std::string raw = ReadRaw(Path("a.jssh"));
    ASSERT_GT(raw.size(), 48u);
    // "{\n\t\"Varno\":\t{\n\t\t\"company_brand\":\t\"Varno\",\n\t\t\"company_briefing_en\":\t\"Va"
    // XORed with 00 01 02 ...
    EXPECT_EQ(Bytes(reinterpret_cast<const uint8_t*>(raw.data()), 48),
              Hex("7B 0B 0B 21 52 64 74 69 67 2B 30 02 77 07 07 06 32 72 7D 7E 64 74 78 6E "
                  "47 7B 68 7A 72 79 3C 25 29 03 74 42 56 4B 49 05 04 23 23 22 0E 4E 41 42"));
    const std::string plain = Plain(raw);
    EXPECT_EQ(plain.substr(0, 81), "{\n\t\"Varno\":\t{\n\t\t\"company_brand\":\t\"Varno\",\n\t\t"
                                   "\"company_briefing_en\":\t\"Varno designs");
    // No terminator, no trailing newline: the file is the printed text.
    EXPECT_EQ(plain.back(), '}');
    EXPECT_EQ(plain.find('\0'), std::string::npos);
}

TEST_F(PresetFileTest, ScramblingKeyIsPositionInBlock) {
    std::vector<uint8_t> zeros(70000, 0);
    CPresetJson::Scramble(zeros.data(), zeros.size());
    const struct {
        size_t offset;
        uint8_t key;
    } cases[] = {{0, 0x00},     {1, 0x01},     {255, 0xFF},   {256, 0x00},   {257, 0x01},
                 {32767, 0xFF}, {32768, 0x00}, {32769, 0x01}, {65536, 0x00}, {69999, 69999 % 256}};
    for (const auto& c : cases)
        EXPECT_EQ(zeros[c.offset], c.key) << "offset " << c.offset;

    // A whole-device file spans more than one block; undoing the key by hand
    // gives cJSON text everywhere, across the block border too.
    FillModel(3);
    std::string raw = WriteFile(true);
    ASSERT_GT(raw.size(), 2 * CPresetJson::kScrambleBlock);
    for (size_t p = 0; p < raw.size(); ++p)
        raw[p] = static_cast<char>(raw[p] ^ static_cast<char>(p & 0xFF));
    EXPECT_EQ(raw.substr(0, 10), "{\n\t\"Varno\"");
    for (size_t p : {size_t{256}, size_t{32767}, size_t{32768}, size_t{32769}})
        EXPECT_TRUE(std::isprint(static_cast<unsigned char>(raw[p])) ||
                    std::isspace(static_cast<unsigned char>(raw[p])))
            << "offset " << p;
    std::unique_ptr<cJSON, void (*)(cJSON*)> root(cJSON_Parse(raw.c_str()), cJSON_Delete);
    EXPECT_NE(root, nullptr);
}

TEST_F(PresetFileTest, LayoutOfBothKinds) {
    const std::string single = Plain(WriteFile(false));
    const std::string complete = Plain(WriteFile(true));
    // Root members in file order.
    auto order = [](const std::string& text, std::vector<const char*> keys) {
        size_t at = 0;
        for (const char* k : keys) {
            const size_t next = text.find(std::string("\n\t\"") + k + "\":", at);
            if (next == std::string::npos) return std::string("missing or out of order: ") + k;
            at = next;
        }
        return std::string();
    };
    EXPECT_EQ(order(single, {"Varno", "client", "data_info", "data", "fileType"}), "");
    EXPECT_EQ(order(complete, {"Varno", "client", "data_info", "fileType", "system", "data"}), "");
    EXPECT_NE(single.find("\"data_encryption_bool\":\tfalse,\n\t\t\"data_encryption_byte\":\t0,"),
              std::string::npos);
    EXPECT_NE(single.find("\"data_head_data\":\t94,"), std::string::npos);
    EXPECT_NE(single.find("\"data_machine_type\":\t\"Quellmark\""), std::string::npos);
    EXPECT_NE(single.find("\"fileType\":\t\"single\"\n}"), std::string::npos);
    EXPECT_NE(complete.find("\"fileType\":\t\"complete\",\n\t\"system\""), std::string::npos);

    std::unique_ptr<cJSON, void (*)(cJSON*)> s(cJSON_Parse(single.c_str()), cJSON_Delete);
    std::unique_ptr<cJSON, void (*)(cJSON*)> c(cJSON_Parse(complete.c_str()), cJSON_Delete);
    ASSERT_TRUE(s && c);
    const struct {
        cJSON* root;
        const char* path;
        int size;
    } arrays[] = {
        {s.get(), "data/group_name", 16},
        {s.get(), "data/music/music", 4},
        {s.get(), "data/music/music/3", 112},
        {s.get(), "data/output/output", 12},
        {s.get(), "data/output/output/11", 296},
        {s.get(), "data/system/cur_password_data", 8},
        {s.get(), "data/system/eff_group_name", 16},
        {s.get(), "data/system/out_led", 16},
        {s.get(), "data/system/pc_source_set", 8},
        {s.get(), "data/system/sound_delay_field", 50},
        {s.get(), "data/system/system_data", 8},
        {s.get(), "data/system/system_group_name", 16},
        {s.get(), "data/system/system_spk_type", 16},
        {c.get(), "data", 7},
        {c.get(), "data/6/output/output/0", 296},
        {c.get(), "system/sound_delay_field", 50},
    };
    for (const auto& a : arrays) {
        cJSON* node = Walk(a.root, a.path);
        ASSERT_TRUE(cJSON_IsArray(node)) << a.path;
        EXPECT_EQ(cJSON_GetArraySize(node), a.size) << a.path;
    }
    // The preset objects of a whole-device file carry no system member.
    EXPECT_EQ(Walk(c.get(), "data/0/system"), nullptr);
    EXPECT_EQ(cJSON_GetArraySize(Walk(s.get(), "data/system")), 8);
}

TEST_F(PresetFileTest, UploadTimeIsLocalTimeOfSaving) {
    CPresetJson codec;
    EXPECT_EQ(codec.m_Header.uploadTime, "");
    std::string bytes;
    ASSERT_TRUE(codec.WritePresetBytes(bytes));
    EXPECT_TRUE(std::regex_match(codec.m_Header.uploadTime,
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << codec.m_Header.uploadTime;
    EXPECT_NE(Plain(bytes).find("\"data_upload_time\":\t\"" + codec.m_Header.uploadTime + "\""),
              std::string::npos);
}

// ---------------------------------------------------------------------------
// Round trips
// ---------------------------------------------------------------------------

TEST_F(PresetFileTest, OnePresetRoundTripRestoresWhatTheFileCarries) {
    FillModel(1);
    OutputBlock(7)[kOutLockMarkByte] = '!';
    const ModelBytes saved = ModelBytes::Take();
    CPresetJson writer;
    ASSERT_TRUE(writer.SavePresetFile(Path("one.jssh")));

    FillModel(2);
    const ModelBytes other = ModelBytes::Take();
    CPresetJson reader;
    ASSERT_TRUE(reader.LoadPresetFile(Path("one.jssh"))) << reader.ErrorText();
    EXPECT_EQ(reader.Error(), PresetFileError::None);
    EXPECT_EQ(reader.m_Header, writer.m_Header);
    EXPECT_EQ(g_StateFlags[kFlagDataLocked], 1);

    auto same = [](const uint8_t* a, const uint8_t* b, size_t n) {
        return std::memcmp(a, b, n) == 0;
    };
    const uint8_t* was = saved.image.data();
    const uint8_t* kept = other.image.data();
    EXPECT_TRUE(same(g_ParamImage, was, kPresetNameSize));
    // Bytes 16..295 (effect unit, microphone) are not in the file.
    EXPECT_TRUE(same(g_ParamImage + 16, kept + 16, kMusicBlockOffset - 16));
    for (int g = 0; g < kMusicInputCount; ++g) {
        const size_t at = kMusicBlockOffset + static_cast<size_t>(g) * kMusicBlockSize;
        EXPECT_TRUE(same(g_ParamImage + at, was + at, 112)) << "music " << g;
        EXPECT_TRUE(same(g_ParamImage + at + 112, kept + at + 112, kMusicBlockSize - 112))
            << "music " << g;
    }
    EXPECT_TRUE(same(OutputBlock(0), was + kOutputBlockOffset, kOutputCount * kOutputBlockSize));
    const size_t end = kOutputBlockOffset + kOutputCount * kOutputBlockSize;
    EXPECT_TRUE(same(g_ParamImage + end, kept + end, kParamBlockSize - end));
    EXPECT_EQ(Bytes(&g_PcPresets[0][0], sizeof g_PcPresets), other.presets);

    // System records: sys order is 2, 5, 6, 7, 8, 9, 52, 97, then 64.
    const ModelBytes now = ModelBytes::Take();
    const int restored[] = {0, 1, 2, 3, 6};
    const int untouched[] = {4, 5, 7};
    for (int r : restored)
        EXPECT_TRUE(same(now.sys.data() + r * 8, saved.sys.data() + r * 8, 8)) << "record " << r;
    for (int r : untouched)
        EXPECT_TRUE(same(now.sys.data() + r * 8, other.sys.data() + r * 8, 8)) << "record " << r;
    EXPECT_TRUE(same(g_DeviceRecords.Bytes().pageTable, saved.sys.data() + 64, 50));
    EXPECT_TRUE(same(g_DeviceRecords.Bytes().pageTable + 50, other.sys.data() + 64 + 50, 48));

    // Saved again, the file is the same but for its time.
    std::string again;
    ASSERT_TRUE(reader.WritePresetBytes(again));
    EXPECT_EQ(WithoutTime(Plain(again)), WithoutTime(Plain(ReadRaw(Path("one.jssh")))));
}

TEST_F(PresetFileTest, WholeDeviceRoundTripRestoresStoredPresets) {
    FillModel(5);
    const ModelBytes saved = ModelBytes::Take();
    CPresetJson writer;
    ASSERT_TRUE(writer.SaveAllPresetsFile(Path("all.jsah")));
    FillModel(6);
    OutputBlock(0)[kOutLockMarkByte] = '!';
    g_StateFlags[kFlagDataLocked] = 1;
    const ModelBytes other = ModelBytes::Take();

    CPresetJson reader;
    ASSERT_TRUE(reader.LoadAllPresetsFile(Path("all.jsah"))) << reader.ErrorText();
    EXPECT_EQ(g_StateFlags[kFlagDataLocked], 0);
    for (int k = 0; k <= kStoredPresetCount; ++k) {
        const uint8_t* block = k == 0 ? g_ParamImage : g_PcPresets[k - 1];
        const uint8_t* was =
            k == 0 ? saved.image.data() : saved.presets.data() + (k - 1) * kParamBlockSize;
        const uint8_t* kept =
            k == 0 ? other.image.data() : other.presets.data() + (k - 1) * kParamBlockSize;
        for (size_t i = 0; i < kParamBlockSize; ++i) {
            const bool carried = i < kPresetNameSize ||
                                 (i >= kMusicBlockOffset && i < kOutputBlockOffset &&
                                  (i - kMusicBlockOffset) % kMusicBlockSize < 112) ||
                                 (i >= kOutputBlockOffset &&
                                  i < kOutputBlockOffset + kOutputCount * kOutputBlockSize);
            ASSERT_EQ(block[i], carried ? was[i] : kept[i]) << "preset " << k << " byte " << i;
        }
    }
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().sources, 8), Bytes(saved.sys.data(), 8));
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().outputMapB, 8), Bytes(saved.sys.data() + 24, 8));
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().sourceSetup, 8), Bytes(other.sys.data() + 32, 8));

    std::string again;
    ASSERT_TRUE(reader.WriteAllPresetsBytes(again));
    EXPECT_EQ(WithoutTime(Plain(again)), WithoutTime(Plain(ReadRaw(Path("all.jsah")))));
}

TEST_F(PresetFileTest, SavingReplacesAFileAndFollowsLinks) {
    WriteRaw(Path("old.jssh"), std::string(300000, 'x'));
    fs::create_symlink(Path("old.jssh"), Path("link.jssh"));
    CPresetJson codec;
    ASSERT_TRUE(codec.SavePresetFile(Path("link.jssh"))) << codec.ErrorText();
    EXPECT_TRUE(fs::is_symlink(Path("link.jssh")));
    EXPECT_TRUE(codec.LoadPresetFile(Path("old.jssh")));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("")), fs::directory_iterator()), 2);

    EXPECT_FALSE(codec.SavePresetFile(Path("no-such-folder/a.jssh")));
    EXPECT_EQ(codec.Error(), PresetFileError::CannotWrite);
    fs::create_directory(Path("folder.jssh"));
    EXPECT_FALSE(codec.SaveAllPresetsFile(Path("folder.jssh")));
    EXPECT_EQ(codec.Error(), PresetFileError::CannotWrite);
    EXPECT_TRUE(fs::is_directory(Path("folder.jssh")));
}

// ---------------------------------------------------------------------------
// Refusals: the model and the header record stay exactly as they were
// ---------------------------------------------------------------------------

struct Refusal {
    const char* what;
    bool complete;
    const char* path;
    Maker make;
    PresetFileError error;
    const char* detail;
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.what;
}

class PresetFileRefusalTest : public PresetFileTest,
                              public ::testing::WithParamInterface<Refusal> {};

TEST_P(PresetFileRefusalTest, ChangesNothing) {
    const Refusal& r = GetParam();
    FillModel(4);
    const std::string file =
        ChangedFile(r.complete, [&](cJSON* root) { Set(root, r.path, r.make); });
    FillModel(8);
    OutputBlock(2)[kOutLockMarkByte] = '!';
    g_StateFlags[kFlagDataLocked] = 7;
    const ModelBytes before = ModelBytes::Take();

    CPresetJson codec;
    const PresetFileHeader header = codec.m_Header;
    WriteRaw(Path("bad"), file);
    EXPECT_FALSE(r.complete ? codec.LoadAllPresetsFile(Path("bad"))
                            : codec.LoadPresetFile(Path("bad")));
    EXPECT_EQ(codec.Error(), r.error);
    EXPECT_EQ(codec.ErrorDetail(), r.detail);
    EXPECT_FALSE(codec.ErrorText().empty());
    EXPECT_TRUE(ModelBytes::Take() == before);
    EXPECT_EQ(g_StateFlags[kFlagDataLocked], 7);
    // A refused file's header is not kept: the next save would write a file
    // that this program refuses.
    EXPECT_EQ(codec.m_Header, header);
}

using E = PresetFileError;
INSTANTIATE_TEST_SUITE_P(
    Files, PresetFileRefusalTest,
    ::testing::Values(
        Refusal{"OtherClient", false, "client/company_brand", Str("17"), E::WrongClient,
                "client.company_brand = \"17\""},
        Refusal{"OtherMachine", false, "data_info/data_machine_type", Str("Other"), E::WrongMachine,
                "data_info.data_machine_type = \"Other\""},
        Refusal{"MachineCaseDiffers", true, "data_info/data_machine_type", Str("QUELLMARK"),
                E::WrongMachine, "data_info.data_machine_type = \"QUELLMARK\""},
        Refusal{"WholeDeviceAsOnePreset", false, "fileType", Str("complete"), E::WrongFileType,
                "fileType = \"complete\""},
        Refusal{"OnePresetAsWholeDevice", true, "fileType", Str("single"), E::WrongFileType,
                "fileType = \"single\""},
        Refusal{"NoFileType", false, "fileType", Delete, E::MissingMember, "fileType"},
        Refusal{"NoMaker", false, "Varno", Delete, E::MissingMember, "Varno"},
        Refusal{"NoClient", true, "client", Delete, E::MissingMember, "client"},
        Refusal{"NoDataInfo", false, "data_info", Delete, E::MissingMember, "data_info"},
        Refusal{"NoHeaderText", false, "client/company_web", Delete, E::MissingMember,
                "client.company_web"},
        Refusal{"NoHeaderNumber", true, "data_info/data_head_data", Delete, E::MissingMember,
                "data_info.data_head_data"},
        Refusal{"HeaderTextIsNumber", false, "Varno/company_qq", Num(12345), E::WrongType,
                "Varno.company_qq"},
        Refusal{"HeaderNumberIsText", false, "data_info/data_head_data", Str("94"), E::WrongType,
                "data_info.data_head_data"},
        Refusal{"HeaderFlagIsNumber", false, "data_info/data_encryption_bool", Num(0), E::WrongType,
                "data_info.data_encryption_bool"},
        Refusal{"HeaderNumberNotInt", false, "data_info/data_group_num", Num(1.5), E::BadValue,
                "data_info.data_group_num"},
        Refusal{"HeaderNumberHuge", false, "data_info/data_group_num", Num(1e10), E::BadValue,
                "data_info.data_group_num"},
        Refusal{"MakerNotObject", false, "Varno", Json("[]"), E::WrongType, "Varno"},
        Refusal{"NoData", false, "data", Delete, E::MissingMember, "data"},
        Refusal{"NoSystem", false, "data/system", Delete, E::MissingMember, "data.system"},
        Refusal{"NoSourceSet", false, "data/system/pc_source_set", Delete, E::MissingMember,
                "data.system.pc_source_set"},
        Refusal{"NoOutputMap", true, "system/system_spk_type", Delete, E::MissingMember,
                "system.system_spk_type"},
        Refusal{"NoName", false, "data/group_name", Delete, E::MissingMember, "data.group_name"},
        Refusal{"NoMusic", false, "data/music", Delete, E::MissingMember, "data.music"},
        Refusal{"NoOutputArray", false, "data/output/output", Delete, E::MissingMember,
                "data.output.output"},
        Refusal{"MusicNotArray", false, "data/music/music", Json("{}"), E::WrongType,
                "data.music.music"},
        Refusal{"OutputIsNull", false, "data/output/output/5", Json("null"), E::WrongType,
                "data.output.output[5]"},
        Refusal{"ByteIsText", false, "data/output/output/5/3", Str("7"), E::WrongType,
                "data.output.output[5][3]"},
        Refusal{"ByteIsFraction", false, "data/output/output/5/3", Num(2.5), E::BadValue,
                "data.output.output[5][3]"},
        Refusal{"ByteTooLarge", false, "data/system/system_spk_type/15", Num(256), E::BadValue,
                "data.system.system_spk_type[15]"},
        Refusal{"ByteTooSmall", false, "data/group_name/0", Num(-129), E::BadValue,
                "data.group_name[0]"},
        // Failures late in the file, after everything else was read.
        Refusal{"LastOutputByteBad", false, "data/output/output/11/295", Num(300), E::BadValue,
                "data.output.output[11][295]"},
        Refusal{"LastPresetBad", true, "data/6/output/output/11/295", Num(300), E::BadValue,
                "data[6].output.output[11][295]"},
        Refusal{"PresetNotObject", true, "data/3", Num(1), E::WrongType, "data[3]"},
        Refusal{"PresetWithoutMusic", true, "data/2/music", Delete, E::MissingMember,
                "data[2].music"},
        Refusal{"NoWholeDeviceSystem", true, "system", Delete, E::MissingMember, "system"},
        Refusal{"DataNotArray", true, "data", Json("{}"), E::WrongType, "data"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.what); });

TEST_F(PresetFileTest, DamagedFilesAreRefused) {
    FillModel(4);
    const std::string good = WriteFile(false);
    std::string unscrambled = Plain(good);
    std::string garbage = Plain(good) + "x";
    CPresetJson::Scramble(garbage);
    // Text-level damage inside an otherwise good file.
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string plain = Plain(good);
        const size_t at = plain.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        plain.replace(at, from.size(), to);
        CPresetJson::Scramble(plain);
        return plain;
    };
    const std::string name = "\"group_name\":\t[";
    std::string array = "[1, 2]";
    CPresetJson::Scramble(array);
    const struct {
        const char* what;
        std::string bytes;
        PresetFileError error;
    } cases[] = {
        {"empty", "", E::NotJson},
        {"truncated", good.substr(0, good.size() / 2), E::NotJson},
        {"last byte missing", good.substr(0, good.size() - 1), E::NotJson},
        {"not scrambled", unscrambled, E::NotJson},
        {"trailing garbage", garbage, E::NotJson},
        {"root is an array", array, E::WrongType},
        {"huge number", edited(name, name + "1e999, "), E::BadValue},
        {"nested too deep",
         edited(name, name + std::string(5000, '[') + std::string(5000, ']') + ", "), E::NotJson},
        {"string ends in backslash", edited("\"Varno\",", "\"Varno\\"), E::NotJson},
        {"zero byte inside", edited("\"data\":", std::string("\"da\0ta\":", 9)), E::NotJson},
        {"bad escape", edited("\"Varno\",", "\"\\uD800\","), E::NotJson},
        {"too large", std::string(CPresetJson::kMaxFileSize + 1, ' '), E::TooLarge},
    };
    FillModel(9);
    const ModelBytes before = ModelBytes::Take();
    for (const auto& c : cases) {
        CPresetJson codec;
        WriteRaw(Path("bad"), c.bytes);
        EXPECT_FALSE(codec.LoadPresetFile(Path("bad"))) << c.what;
        EXPECT_EQ(codec.Error(), c.error) << c.what;
        EXPECT_FALSE(codec.ReadAllPresetsBytes(c.bytes)) << c.what;
        if (c.error == E::NotJson || c.error == E::TooLarge) {
            EXPECT_EQ(codec.Error(), c.error) << c.what;
        }
    }
    EXPECT_TRUE(ModelBytes::Take() == before);

    CPresetJson codec;
    EXPECT_FALSE(codec.LoadPresetFile(Path("missing.jssh")));
    EXPECT_EQ(codec.Error(), E::CannotOpen);
    EXPECT_FALSE(codec.LoadAllPresetsFile(Path("")));
    EXPECT_EQ(codec.Error(), E::CannotOpen);
    EXPECT_EQ(codec.ErrorText().rfind("The file cannot be opened.", 0), 0u) << codec.ErrorText();
    g_LanguageFlag = 1;
    EXPECT_EQ(codec.ErrorText().rfind("无法打开文件。", 0), 0u) << codec.ErrorText();
}

TEST_F(PresetFileTest, TrailingWhitespaceAndSpareArraysAreOptional) {
    std::string plain = Plain(ChangedFile(false, [](cJSON* root) {
        for (const char* spare :
             {"data/system/eff_group_name", "data/system/out_led", "data/system/system_group_name"})
            Set(root, spare, Delete);
    }));
    plain += "\r\n";
    plain.push_back('\0');
    CPresetJson::Scramble(plain);
    CPresetJson codec;
    EXPECT_TRUE(codec.ReadPresetBytes(plain)) << codec.ErrorText();
}

// ---------------------------------------------------------------------------
// Partial and oversized arrays: only the bytes present change
// ---------------------------------------------------------------------------

TEST_F(PresetFileTest, ShortArraysChangeOnlyTheirBytes) {
    FillModel(1);
    const ModelBytes saved = ModelBytes::Take();
    const std::string file = ChangedFile(false, [](cJSON* root) {
        Truncate(root, "data/group_name", 4);
        Truncate(root, "data/music/music", 2);
        Truncate(root, "data/output/output/3", 10);
        Truncate(root, "data/output/output", 6);
        Truncate(root, "data/system/system_spk_type", 11);
        Truncate(root, "data/system/pc_source_set", 0);
    });
    FillModel(2);
    const ModelBytes other = ModelBytes::Take();
    CPresetJson codec;
    ASSERT_TRUE(codec.ReadPresetBytes(file)) << codec.ErrorText();

    auto expectBytes = [](const uint8_t* now, const std::vector<uint8_t>& want, size_t at, size_t n,
                          const char* what) {
        EXPECT_EQ(Bytes(now + at, n),
                  std::vector<uint8_t>(want.begin() + static_cast<long>(at),
                                       want.begin() + static_cast<long>(at + n)))
            << what;
    };
    expectBytes(g_ParamImage, saved.image, 0, 4, "name from file");
    expectBytes(g_ParamImage, other.image, 4, 12, "rest of name kept");
    expectBytes(g_ParamImage, saved.image, kMusicBlockOffset + kMusicBlockSize, 112,
                "music 1 from file");
    expectBytes(g_ParamImage, other.image, kMusicBlockOffset + 2 * kMusicBlockSize, kMusicBlockSize,
                "music 2 kept");
    expectBytes(g_ParamImage, saved.image, kOutputBlockOffset + 3 * kOutputBlockSize, 10,
                "output 3 head");
    expectBytes(g_ParamImage, other.image, kOutputBlockOffset + 3 * kOutputBlockSize + 10, 286,
                "output 3 tail kept");
    expectBytes(g_ParamImage, saved.image, kOutputBlockOffset + 5 * kOutputBlockSize, 296,
                "output 5 from file");
    expectBytes(g_ParamImage, other.image, kOutputBlockOffset + 6 * kOutputBlockSize, 6 * 296,
                "outputs 6..11 kept");
    // sys: 2, 5, 6, 7 at 0, 8, 16, 24
    const ModelBytes now = ModelBytes::Take();
    expectBytes(now.sys.data(), other.sys, 0, 8, "source set kept");
    expectBytes(now.sys.data(), saved.sys, 16, 11, "output map head");
    expectBytes(now.sys.data(), other.sys, 27, 5, "output map tail kept");
}

TEST_F(PresetFileTest, LongArraysAreCutAtTheirTarget) {
    FillModel(1);
    const ModelBytes saved = ModelBytes::Take();
    const std::string file = ChangedFile(false, [](cJSON* root) {
        // Music inputs take up to their whole 288 bytes; anything beyond is not looked at.
        cJSON* music0 = Walk(root, "data/music/music/0");
        for (int i = 112; i < 288; ++i)
            cJSON_AddItemToArray(music0, cJSON_CreateNumber(i == 287 ? -1 : 0xAB));
        cJSON_AddItemToArray(music0, cJSON_CreateString("beyond the block"));
        cJSON_AddItemToArray(Walk(root, "data/output/output"), cJSON_Parse("[1, 2, 3]"));
        cJSON_AddItemToArray(Walk(root, "data/music/music"), cJSON_Parse("\"fifth input\""));
        cJSON* delay = Walk(root, "data/system/sound_delay_field");
        for (int i = 0; i < 60; ++i)
            cJSON_AddItemToArray(delay, cJSON_CreateNumber(0xCD));
        cJSON_AddItemToArray(Walk(root, "data/group_name"), cJSON_CreateNumber(1000));
    });
    FillModel(2);
    const ModelBytes other = ModelBytes::Take();
    CPresetJson codec;
    ASSERT_TRUE(codec.ReadPresetBytes(file)) << codec.ErrorText();
    EXPECT_EQ(MusicInBlock(0)[112], 0xAB);
    EXPECT_EQ(MusicInBlock(0)[286], 0xAB);
    EXPECT_EQ(MusicInBlock(0)[287], 0xFF);
    // The overflow of input 0 does not reach input 1, whose tail is not in the file.
    EXPECT_EQ(Bytes(MusicInBlock(1) + 112, 176),
              Bytes(other.image.data() + kMusicBlockOffset + kMusicBlockSize + 112, 176));
    EXPECT_EQ(g_DeviceRecords.Bytes().pageTable[49], saved.sys[64 + 49]);
    EXPECT_EQ(g_DeviceRecords.Bytes().pageTable[50], 0xCD);
    EXPECT_EQ(g_DeviceRecords.Bytes().pageTable[97], 0xCD);
}

TEST_F(PresetFileTest, WholeDeviceFileWithOnePresetLeavesStoredPresets) {
    FillModel(1);
    OutputBlock(4)[kOutLockMarkByte] = '!';
    const ModelBytes saved = ModelBytes::Take();
    const std::string file = ChangedFile(true, [](cJSON* root) { Truncate(root, "data", 1); });
    FillModel(2);
    const ModelBytes other = ModelBytes::Take();
    CPresetJson codec;
    ASSERT_TRUE(codec.ReadAllPresetsBytes(file)) << codec.ErrorText();
    EXPECT_EQ(Bytes(OutputBlock(0), kOutputCount * kOutputBlockSize),
              Bytes(saved.image.data() + kOutputBlockOffset, kOutputCount * kOutputBlockSize));
    EXPECT_EQ(Bytes(&g_PcPresets[0][0], sizeof g_PcPresets), other.presets);
    EXPECT_EQ(g_StateFlags[kFlagDataLocked], 1);

    // No preset at all: the system records still load, the lock state stays.
    g_StateFlags[kFlagDataLocked] = 5;
    const std::string none = ChangedFile(true, [](cJSON* root) { Truncate(root, "data", 0); });
    ASSERT_TRUE(codec.ReadAllPresetsBytes(none)) << codec.ErrorText();
    EXPECT_EQ(g_StateFlags[kFlagDataLocked], 5);
}

// ---------------------------------------------------------------------------
// Header texts are the file's own bytes (GBK), kept and written back
// ---------------------------------------------------------------------------

TEST_F(PresetFileTest, GbkHeaderTextsRoundTripAsBytes) {
    CPresetJson writer;
    // "木吉他", the default effect description, is stored as GBK.
    EXPECT_EQ(writer.m_Header.effBriefing, "\xC4\xBE\xBC\xAA\xCB\xFB");
    EXPECT_EQ(GbkToUtf8(writer.m_Header.makerName), "瓦尔诺电子科技有限公司");
    writer.m_Header.carType = "\xC7\xB0\xD6\xC3\xD7\xF3"; // "前置左"
    writer.m_Header.userName = "a\"b\\c\nd\x81\x40"; // quote, backslash, newline, GBK lead/trail
    writer.m_Header.userMailbox = "\xFF\xFE";        // not UTF-8 at all
    ASSERT_TRUE(writer.SavePresetFile(Path("gbk.jssh")));

    const std::string plain = Plain(ReadRaw(Path("gbk.jssh")));
    EXPECT_NE(plain.find("\"data_car_type\":\t\"\xC7\xB0\xD6\xC3\xD7\xF3\""), std::string::npos);
    EXPECT_NE(plain.find("\"data_eff_briefing\":\t\"\xC4\xBE\xBC\xAA\xCB\xFB\""),
              std::string::npos);
    EXPECT_NE(plain.find("\"data_user_name\":\t\"a\\\"b\\\\c\\nd\x81\x40\""), std::string::npos);

    CPresetJson reader;
    ASSERT_TRUE(reader.LoadPresetFile(Path("gbk.jssh"))) << reader.ErrorText();
    EXPECT_EQ(reader.m_Header, writer.m_Header);
    EXPECT_EQ(reader.m_Header.userMailbox, "\xFF\xFE");
}

TEST_F(PresetFileTest, ForeignHeaderIsKeptAndWrittenBack) {
    const std::string file = ChangedFile(false, [](cJSON* root) {
        Set(root, "data_info/data_encryption_bool", [] { return cJSON_CreateTrue(); });
        Set(root, "data_info/data_upload_time", Str("2001-01-01 00:00:00"));
        Set(root, "data_info/data_group_num", Num(-3));
        Set(root, "Varno/company_name", Str("\xCD\xDF"));
    });
    CPresetJson codec;
    ASSERT_TRUE(codec.ReadPresetBytes(file)) << codec.ErrorText();
    EXPECT_EQ(codec.m_Header.encrypted, 1);
    EXPECT_EQ(codec.m_Header.groupNum, -3);
    EXPECT_EQ(codec.m_Header.uploadTime, "2001-01-01 00:00:00");

    std::string bytes;
    ASSERT_TRUE(codec.WritePresetBytes(bytes));
    const std::string plain = Plain(bytes);
    EXPECT_NE(plain.find("\"data_encryption_bool\":\tfalse"), std::string::npos);
    EXPECT_NE(plain.find("\"data_group_num\":\t-3,"), std::string::npos);
    EXPECT_NE(plain.find("\"company_name\":\t\"\xCD\xDF\""), std::string::npos);
    EXPECT_EQ(plain.find("2001-01-01"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Locale: a comma-decimal locale must not change a byte
// ---------------------------------------------------------------------------

class NumericLocale {
public:
    explicit NumericLocale(const char* name) {
        previous_ = std::setlocale(LC_NUMERIC, nullptr);
        ok_ = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

TEST_F(PresetFileTest, CommaDecimalLocaleWritesAndReadsTheSameFile) {
    FillModel(1);
    CPresetJson codec;
    codec.m_Header.headData = 1234567;
    std::string inC, inGerman;
    ASSERT_TRUE(codec.WriteAllPresetsBytes(inC));

    NumericLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed (tools/install-deps makes it)";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    ASSERT_TRUE(codec.WriteAllPresetsBytes(inGerman));
    EXPECT_EQ(WithoutTime(Plain(inGerman)), WithoutTime(Plain(inC)));

    // Read back under the same locale, every value is in place again.
    FillModel(2);
    CPresetJson reader;
    ASSERT_TRUE(reader.ReadAllPresetsBytes(inGerman)) << reader.ErrorText();
    EXPECT_EQ(reader.m_Header.headData, 1234567);
    std::string again;
    ASSERT_TRUE(reader.WriteAllPresetsBytes(again));
    EXPECT_EQ(WithoutTime(Plain(again)), WithoutTime(Plain(inC)));
    // A fraction is still a fraction (refused), not read as its integer part.
    std::string fraction = Plain(inC);
    fraction.replace(fraction.find("\"data_head_data\":\t1234567"), 25, "\"data_head_data\":\t7.5");
    CPresetJson::Scramble(fraction);
    EXPECT_FALSE(reader.ReadAllPresetsBytes(fraction));
    EXPECT_EQ(reader.Error(), E::BadValue);
    EXPECT_EQ(reader.ErrorDetail(), "data_info.data_head_data");
}

} // namespace
