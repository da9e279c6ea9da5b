// The document's archive files: their exact layout, the lock marker, round
// trips, and files that must be refused without changing anything.
#include "files/LumaraDoc.h"
#include "model/Archive.h"
#include "tests/model/ModelFixture.h"

#include <functional>
#include <memory>

namespace {

class DocumentTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        doc = std::make_unique<CLumaraDoc>();
    }

    std::vector<uint8_t> Write(bool (CLumaraDoc::*serialize)(CArchive&)) {
        CArchive out;
        EXPECT_TRUE((doc.get()->*serialize)(out));
        return out.Bytes();
    }
    bool Read(bool (CLumaraDoc::*serialize)(CArchive&), const std::vector<uint8_t>& file) {
        CArchive in(file);
        return (doc.get()->*serialize)(in);
    }

    std::unique_ptr<CLumaraDoc> doc;
};

constexpr size_t kImageInAllFile = 20 + 30000;
constexpr size_t kImageInPresetFile = 17;
constexpr size_t kLockMark = 1736;

TEST_F(DocumentTest, NewDocumentHasNoTitleAndStoringDoesNothing) {
    EXPECT_TRUE(doc->OnNewDocument());
    EXPECT_EQ(doc->Title(), "");
    CArchive out;
    doc->Serialize(out);
    EXPECT_TRUE(out.Bytes().empty());
}

TEST_F(DocumentTest, EachFileHasItsMagicAndSize) {
    g_DeviceRecords.Bytes().pageTable[kModeCurrentPageByte] = 1;
    struct Case {
        bool (CLumaraDoc::*serialize)(CArchive&);
        const std::string& magic;
        size_t size;
    };
    const Case cases[] = {
        {&CLumaraDoc::SerializeAllPresets, g_MagicAllPresets, kAllPresetsFileSize},
        {&CLumaraDoc::SerializePreset, g_MagicPreset, kPresetFileSize},
        {&CLumaraDoc::SerializeModePage, g_MagicModeFile, kModeFileSize},
        {&CLumaraDoc::SerializeOutputMap, g_MagicOutputMap, kOutputMapFileSize},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> file = Write(c.serialize);
        SCOPED_TRACE(c.magic);
        ASSERT_EQ(file.size(), c.size);
        EXPECT_EQ(file[0], c.magic.size());
        EXPECT_EQ(
            std::string(file.begin() + 1, file.begin() + 1 + static_cast<long>(c.magic.size())),
            c.magic);
    }
    EXPECT_EQ(g_MagicAllPresets, "Tolvern_ALLFile_2.0");
    EXPECT_EQ(g_MagicPreset, "Tolvern_File_2.0");
    EXPECT_EQ(g_MagicOutputMap, "Tolvern_Map");
    EXPECT_EQ(g_MagicModeFile, "Mode_File");
}

TEST_F(DocumentTest, AllPresetsFileCarriesPresetsImageAndSystemBytesAtTheirPlaces) {
    FillModel(3);
    doc->Data().LoadFromImage(g_ParamImage, -1);
    const std::vector<uint8_t> file = Write(&CLumaraDoc::SerializeAllPresets);
    EXPECT_EQ(Bytes(file.data() + 20, 30000), Bytes(&g_PcPresets[0][0], 30000));
    EXPECT_EQ(Bytes(file.data() + kImageInAllFile, 5000), Bytes(g_ParamImage, 5000));
    struct Field {
        size_t offset;
        const uint8_t* source;
        size_t count;
    };
    const Field fields[] = {
        {35020, g_DeviceRecords.Bytes().sources, 1},
        {35021, g_DeviceRecords.Bytes().master + 2, 1},
        {35022, g_DeviceRecords.Bytes().master, 2},
        {35024, g_DeviceRecords.Bytes().master + 3, 1},
        {35025, g_DeviceRecords.Bytes().sourceSetup + 2, 1},
        {35026, g_DeviceRecords.Bytes().sources + 2, 6},
        {35032, g_DeviceRecords.Bytes().sourceSetup + 4, 4},
        {35036, g_DeviceRecords.Bytes().master + 4, 3},
        {35039, g_DeviceRecords.Bytes().outputMapA, 8},
        {35047, g_DeviceRecords.Bytes().outputMapB, 8},
        {35055, g_DeviceRecords.Bytes().sourceSetup, 2},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.offset);
        EXPECT_EQ(Bytes(file.data() + f.offset, f.count), Bytes(f.source, f.count));
    }
}

TEST_F(DocumentTest, AllPresetsFileReadsBackAsWritten) {
    // Stored presets and system bytes of a pattern; the current image is the
    // model's own (a change of one output).
    const std::vector<uint8_t> defaults = Bytes(g_ParamImage, sizeof g_ParamImage);
    FillModel(5);
    std::memcpy(g_ParamImage, defaults.data(), defaults.size());
    doc->Data().LoadFromImage(g_ParamImage, -1);
    doc->Data().GetOut(4)->SetGain(432);
    const std::vector<uint8_t> file = Write(&CLumaraDoc::SerializeAllPresets);
    const ModelBytes written = ModelBytes::Take();
    FillModel(9);
    ASSERT_TRUE(Read(&CLumaraDoc::SerializeAllPresets, file));
    const ModelBytes read = ModelBytes::Take();
    EXPECT_EQ(read.image, written.image);
    EXPECT_EQ(read.presets, written.presets);
    // Every system byte the file carries, the two that sit before the source
    // volumes included, comes back to its own place: written again, the file
    // is the same.
    const std::vector<uint8_t> again = Write(&CLumaraDoc::SerializeAllPresets);
    ASSERT_EQ(again.size(), file.size());
    for (size_t i = 0; i < file.size(); ++i)
        ASSERT_EQ(again[i], file[i]) << "at " << i;
}

TEST_F(DocumentTest, LockedDataCarriesTheMarkerAndPassword) {
    struct Case {
        bool locked;
        uint8_t marker;
    };
    for (const Case c : {Case{true, 0x21}, Case{false, 0x20}}) {
        SCOPED_TRACE(c.locked);
        g_StateFlags[kFlagDataLocked] = c.locked;
        g_LockPassword = "Ab3xyz";
        const std::vector<uint8_t> file = Write(&CLumaraDoc::SerializePreset);
        EXPECT_EQ(file[kImageInPresetFile + kLockMark], c.marker);
        if (c.locked) {
            EXPECT_EQ(std::string(file.begin() + 17 + 1738, file.begin() + 17 + 1744), "Ab3xyz");
        }
        // Read back: the marker alone decides the lock flag.
        g_StateFlags[kFlagDataLocked] = !c.locked;
        ASSERT_TRUE(Read(&CLumaraDoc::SerializePreset, file));
        EXPECT_EQ(g_StateFlags[kFlagDataLocked].load(), c.locked ? 1 : 0);
    }
}

// A save never shows a message: it writes what it can (a refused new name
// leaves its field as it was, a refused password goes as zeros) and tells its
// caller what it refused, names first, for the messages.
TEST_F(DocumentTest, ASaveReportsTheTextsItRefused) {
    for (auto serialize : {&CLumaraDoc::SerializePreset, &CLumaraDoc::SerializeAllPresets}) {
        const size_t image =
            serialize == &CLumaraDoc::SerializePreset ? kImageInPresetFile : kImageInAllFile;
        g_StateFlags[kFlagDataLocked] = 1;
        g_LockPassword = "\xEF\xBF\xBD"; // GBK cannot hold it
        doc->Data().GetMusic(0)->SetName("LongName");
        doc->Data().GetMusic(3)->SetName("\xF0\x9F\x98\x80");
        const std::vector<uint8_t> file = Write(serialize);
        EXPECT_EQ(doc->RefusedTexts(),
                  (TextFieldErrors{TextFieldError::TooLong, TextFieldError::Invalid,
                                   TextFieldError::Invalid}));
        EXPECT_EQ(file[image + kLockMark], 0x21);
        EXPECT_EQ(Bytes(file.data() + image + kLockMark + 2, 6), std::vector<uint8_t>(6, 0));
        EXPECT_EQ(std::string(file.begin() + static_cast<long>(image + kMusicBlockOffset + 280),
                              file.begin() + static_cast<long>(image + kMusicBlockOffset + 288)),
                  std::string("Music 1\0", 8)); // the name it had

        // Refused names are dropped; a password that fits is no refusal.
        g_LockPassword = "Ab3xyz";
        Write(serialize);
        EXPECT_EQ(doc->RefusedTexts(), TextFieldErrors{});
    }
}

TEST_F(DocumentTest, PresetFileLoadsTheModelFromTheImage) {
    std::vector<uint8_t> file = Write(&CLumaraDoc::SerializePreset);
    // Output 3's gain word in the file's image.
    uint8_t* basic = file.data() + kImageInPresetFile + kOutputBlockOffset + 3 * kOutputBlockSize +
                     kOutBasicOffset;
    const uint16_t gain = 555;
    PutU16(basic + 2, gain);
    g_StateFlags[kFlagPresetFileRead] = 1;
    ASSERT_TRUE(Read(&CLumaraDoc::SerializePreset, file));
    EXPECT_EQ(g_StateFlags[kFlagPresetFileRead].load(), 0);
    EXPECT_EQ(doc->Data().GetOut(3)->GetGain(), gain);
}

TEST_F(DocumentTest, OutputMapSwapsFamilyAndSlopeInTheFile) {
    const uint8_t record[8] = {80,   0,    1, 2,
                               0x20, 0x4E, 0, 8}; // 80 Hz, family 1, slope 2; 20 kHz off
    doc->Data().GetOut(0)->LoadCrossover(record);
    const std::vector<uint8_t> file = Write(&CLumaraDoc::SerializeOutputMap);
    EXPECT_EQ(Bytes(file.data() + 28, 4), Hex("50 00 02 01"));
    EXPECT_EQ(Bytes(file.data() + 32, 4), Hex("20 4E 08 00"));
    EXPECT_EQ(Bytes(file.data() + 12, 8), Bytes(g_DeviceRecords.Bytes().outputMapA, 8));
    EXPECT_EQ(Bytes(file.data() + 20, 8), Bytes(g_DeviceRecords.Bytes().outputMapB, 8));

    std::memset(g_CrossoverTable, 0, sizeof g_CrossoverTable);
    std::vector<uint8_t> changed = file;
    changed[12] = 7; // output 0's speaker type in the map
    ASSERT_TRUE(Read(&CLumaraDoc::SerializeOutputMap, changed));
    EXPECT_EQ(Bytes(g_CrossoverTable[0], 8), Hex("50 00 01 02 20 4E 00 08"));
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapA[0], 7);
    // Reading does not change the outputs' crossovers.
    EXPECT_EQ(doc->Data().GetOut(0)->GetCrossoverRecord()[0], 80);
}

TEST_F(DocumentTest, ModeFileWritesAndReadsOnePageOfTheTable) {
    for (int i = 0; i < kModePageCount * static_cast<int>(sizeof(ModePage)); ++i)
        g_DeviceRecords.Bytes().pageTable[i] = static_cast<uint8_t>(i + 1);
    g_DeviceRecords.Bytes().pageTable[kModeCurrentPageByte] = 2;
    std::vector<uint8_t> file = Write(&CLumaraDoc::SerializeModePage);
    EXPECT_EQ(file[10], 2);
    EXPECT_EQ(Bytes(file.data() + 11, 24), Bytes(g_DeviceRecords.Bytes().pageTable + 48, 24));

    file[10] = 3;
    for (int i = 0; i < 24; ++i)
        file[11 + static_cast<size_t>(i)] = 0xA0;
    const std::vector<uint8_t> before =
        Bytes(g_DeviceRecords.Bytes().pageTable, sizeof g_DeviceRecords.Bytes().pageTable);
    ASSERT_TRUE(Read(&CLumaraDoc::SerializeModePage, file));
    for (size_t i = 0; i < sizeof g_DeviceRecords.Bytes().pageTable; ++i) {
        const bool inPage3 = i >= 72 && i < 96;
        EXPECT_EQ(g_DeviceRecords.Bytes().pageTable[i], inPage3 ? 0xA0 : before[i]) << i;
    }
}

TEST_F(DocumentTest, ModeFileNeverGoesPastTheTable) {
    // A page number the table does not have: refused, nothing written.
    std::vector<uint8_t> file = Write(&CLumaraDoc::SerializeModePage);
    const ModelBytes before = ModelBytes::Take();
    for (uint8_t page : {4, 5, 200, 255}) {
        file[10] = page;
        EXPECT_FALSE(Read(&CLumaraDoc::SerializeModePage, file)) << int(page);
        EXPECT_TRUE(ModelBytes::Take() == before) << int(page);
    }
    // Writing with a damaged current page writes nothing.
    g_DeviceRecords.Bytes().pageTable[kModeCurrentPageByte] = 4;
    CArchive out;
    EXPECT_FALSE(doc->SerializeModePage(out));
    EXPECT_TRUE(out.Bytes().empty());
}

// Files the readers must refuse, each leaving every byte of the model and
// the lock flag as it was.
TEST_F(DocumentTest, RefusedFilesChangeNothing) {
    g_DeviceRecords.Bytes().pageTable[kModeCurrentPageByte] = 1;
    const std::vector<uint8_t> all = Write(&CLumaraDoc::SerializeAllPresets);
    const std::vector<uint8_t> one = Write(&CLumaraDoc::SerializePreset);
    const std::vector<uint8_t> mode = Write(&CLumaraDoc::SerializeModePage);
    const std::vector<uint8_t> map = Write(&CLumaraDoc::SerializeOutputMap);
    auto cut = [](const std::vector<uint8_t>& f, size_t n) {
        return std::vector<uint8_t>(f.begin(), f.begin() + static_cast<long>(n));
    };
    auto renamed = [](std::vector<uint8_t> f) {
        f[1] ^= 0x20; // the magic in another case is another magic
        return f;
    };
    struct Case {
        const char* what;
        bool (CLumaraDoc::*reader)(CArchive&);
        std::vector<uint8_t> file;
    };
    const Case cases[] = {
        {"empty all-presets", &CLumaraDoc::SerializeAllPresets, {}},
        {"preset file as all-presets", &CLumaraDoc::SerializeAllPresets, one},
        {"all-presets magic changed", &CLumaraDoc::SerializeAllPresets, renamed(all)},
        {"all-presets cut in the presets", &CLumaraDoc::SerializeAllPresets, cut(all, 20 + 12345)},
        {"all-presets cut in the image", &CLumaraDoc::SerializeAllPresets,
         cut(all, kImageInAllFile + 4999)},
        {"all-presets cut before the last byte", &CLumaraDoc::SerializeAllPresets,
         cut(all, all.size() - 1)},
        {"all-presets cut in the magic", &CLumaraDoc::SerializeAllPresets, cut(all, 10)},
        {"empty preset", &CLumaraDoc::SerializePreset, {}},
        {"all-presets as preset", &CLumaraDoc::SerializePreset, all},
        {"map as preset", &CLumaraDoc::SerializePreset, map},
        {"preset cut in the image", &CLumaraDoc::SerializePreset, cut(one, 17 + 1736)},
        {"preset cut before the last byte", &CLumaraDoc::SerializePreset, cut(one, one.size() - 1)},
        {"mode cut", &CLumaraDoc::SerializeModePage, cut(mode, mode.size() - 1)},
        {"mode without page", &CLumaraDoc::SerializeModePage, cut(mode, 10)},
        {"preset as mode", &CLumaraDoc::SerializeModePage, one},
        {"map cut in the records", &CLumaraDoc::SerializeOutputMap, cut(map, 100)},
        {"map cut in the map", &CLumaraDoc::SerializeOutputMap, cut(map, 15)},
        {"mode as map", &CLumaraDoc::SerializeOutputMap, mode},
        {"length byte past the end", &CLumaraDoc::SerializeOutputMap, Hex("FE 41 42")},
    };
    FillModel(7);
    g_StateFlags[kFlagDataLocked] = 1;
    uint8_t crossovers[12][8];
    std::memset(g_CrossoverTable, 0x5A, sizeof g_CrossoverTable);
    std::memcpy(crossovers, g_CrossoverTable, sizeof crossovers);
    const ModelBytes before = ModelBytes::Take();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Read(c.reader, c.file));
        EXPECT_TRUE(ModelBytes::Take() == before);
        EXPECT_EQ(g_StateFlags[kFlagDataLocked].load(), 1);
        EXPECT_EQ(std::memcmp(crossovers, g_CrossoverTable, sizeof crossovers), 0);
    }
}

} // namespace
