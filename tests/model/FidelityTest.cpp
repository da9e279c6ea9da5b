// Whatever the device or a file puts into a parameter block travels back
// unchanged: loading a block into the model and writing the model into the
// image is the identity, also for values outside the usual ranges and for
// names that are not GBK text, and it never shows a message.
#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/KTV_Data.h"
#include "model/KTVEQ.h"

#include <functional>
#include <memory>
#include <random>
#include <sstream>

namespace {

std::vector<uint8_t> Image() {
    return Bytes(g_ParamImage, kParamBlockSize);
}

std::vector<uint8_t> Store(CKTV_Data& m) {
    CArchive out;
    m.Serialize(out);
    return out.Bytes();
}

// Where two blocks differ, for a readable failure.
std::string Differences(const std::vector<uint8_t>& want, const std::vector<uint8_t>& got) {
    std::ostringstream s;
    int count = 0;
    for (size_t i = 0; i < want.size() && i < got.size(); ++i) {
        if (want[i] == got[i]) continue;
        if (count++ < 12) s << " @" << i << ": " << int(want[i]) << " -> " << int(got[i]);
    }
    s << " (" << count << " bytes differ)";
    return s.str();
}

// Contents a block may arrive with, from byte 32 (the effect block) on.
struct Fill {
    const char* what;
    std::function<uint8_t(int i)> byte;
};

const std::vector<Fill>& Fills() {
    static const std::vector<Fill> fills = [] {
        std::vector<Fill> f;
        for (int seed : {0, 1, 2, 3, 5, 8, 13, 21})
            f.push_back({"pattern", [seed](int i) {
                             return static_cast<uint8_t>((i * 7 + seed * 31) & 0xFF);
                         }});
        for (uint8_t v : {0x00, 0x7F, 0x80, 0xFF})
            f.push_back({"uniform", [v](int) { return v; }});
        for (unsigned seed : {1u, 2u, 3u}) {
            auto bytes = std::make_shared<std::vector<uint8_t>>(kParamBlockSize);
            std::mt19937 rng(seed);
            for (uint8_t& b : *bytes)
                b = static_cast<uint8_t>(rng());
            f.push_back({"random", [bytes](int i) { return (*bytes)[static_cast<size_t>(i)]; }});
        }
        return f;
    }();
    return fills;
}

void FillBlock(uint8_t* block, const Fill& fill) {
    for (int i = kEffectBlockOffset; i < kParamBlockSize; ++i)
        block[i] = fill.byte(i);
}

// Bytes of a parameter block that no channel writer touches: the preset
// name and spare bytes, the effect block's unused bytes, the microphone's
// spare bytes and its name (the microphone never writes it), the music
// inputs' byte 248 and spare bytes, and each output's bytes 286..295 (item
// 36 holds the lock marks).
bool NoWriterTouches(int i) {
    if (i < kEffectBlockOffset) return true;
    if (i < kMicBlockOffset) {
        const int b = i - kEffectBlockOffset;
        return (b >= 24 && b <= 119) || b == 132 || b == 133 || b == 135 || b == 141 || b == 142;
    }
    if (i < kMusicBlockOffset) {
        const int b = i - kMicBlockOffset;
        return (b >= 89 && b <= 95) || b >= 100;
    }
    if (i < kOutputBlockOffset) {
        const int b = (i - kMusicBlockOffset) % kMusicBlockSize;
        return b == 248 || (b >= 265 && b <= 271) || (b >= 276 && b <= 279);
    }
    return (i - kOutputBlockOffset) % kOutputBlockSize >= 286;
}

class FidelityTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        model = std::make_unique<CKTV_Data>();
    }
    // Writes a model into the image, keeping what it refused to pack.
    void WriteAll(CKTV_Data& m) {
        const TextFieldErrors r = m.WriteAllToImage();
        refused.insert(refused.end(), r.begin(), r.end());
    }
    std::unique_ptr<CKTV_Data> model;
    TextFieldErrors refused;
};

} // namespace

// --- Whole blocks ----------------------------------------------------------------

TEST_F(FidelityTest, LoadThenWriteIsTheIdentity) {
    for (const Fill& fill : Fills()) {
        FillBlock(g_ParamImage, fill);
        const auto want = Image();
        // Twice: what one round wrote must load back as the same values.
        for (int mode : {0, 6}) {
            model->LoadFromImage(g_ParamImage, mode);
            WriteAll(*model);
            ASSERT_TRUE(Image() == want)
                << fill.what << " mode " << mode << Differences(want, Image());
        }
    }
    EXPECT_EQ(refused, TextFieldErrors{});
}

TEST_F(FidelityTest, StoredPresetReachesTheImageByteForByte) {
    for (int k = 0; k < kStoredPresetCount; ++k) {
        const Fill& fill = Fills()[static_cast<size_t>(k) * 2];
        FillBlock(g_PcPresets[k], fill);
        FillBlock(g_ParamImage, Fills()[static_cast<size_t>(k) * 2 + 1]);
        const auto preset = Bytes(g_PcPresets[k], kParamBlockSize);
        const auto before = Image();
        model->LoadFromImage(g_PcPresets[k], 0);
        WriteAll(*model);
        EXPECT_EQ(Bytes(g_PcPresets[k], kParamBlockSize), preset)
            << "the stored preset is only read";
        std::vector<uint8_t> want(before);
        for (int i = 0; i < kParamBlockSize; ++i)
            if (!NoWriterTouches(i)) want[static_cast<size_t>(i)] = preset[static_cast<size_t>(i)];
        ASSERT_TRUE(Image() == want) << "preset " << k << Differences(want, Image());
    }
    EXPECT_EQ(refused, TextFieldErrors{});
}

TEST_F(FidelityTest, ArchiveRoundTripKeepsTheImage) {
    CKTV_Data other;
    for (size_t n = 0; n + 1 < Fills().size(); n += 3) {
        FillBlock(g_ParamImage, Fills()[n + 1]);
        other.LoadFromImage(g_ParamImage, 0);
        const auto otherStored = Store(other);

        FillBlock(g_ParamImage, Fills()[n]);
        const auto want = Image();
        model->LoadFromImage(g_ParamImage, 0);
        const auto stored = Store(*model);
        // Another preset's values first, so that the document has to bring
        // back every value it holds; what it does not hold stays loaded.
        CArchive first(otherStored);
        ASSERT_TRUE(LoadOrRestore(*model, first));
        CArchive second(stored);
        ASSERT_TRUE(LoadOrRestore(*model, second));
        EXPECT_EQ(Store(*model), stored);
        WriteAll(*model);
        ASSERT_TRUE(Image() == want) << Fills()[n].what << " " << n << Differences(want, Image());
    }
    EXPECT_EQ(refused, TextFieldErrors{});
}

// --- Band records --------------------------------------------------------------------

TEST_F(FidelityTest, EveryGainAndBandwidthWordReadsBackAsItself) {
    CKTVEQ eq;
    eq.BuildThirdOctave(30, 32, 9, 20, 20000);
    CFilter copy;
    for (int offset : {2, 4}) { // gain word, bandwidth word
        for (int w = 0; w <= 0xFFFF; ++w) {
            auto rec = Hex("E8 03 58 02 0E 00 00 00");
            PutU16(rec.data() + offset, static_cast<unsigned>(w));
            eq.UnpackBand(rec.data(), 5);
            const ItemRecord packed = eq.PackBand(5);
            ASSERT_EQ(GetU16(packed.data() + offset), w) << "offset " << offset;
            // Through a document: the filter keeps gain and bandwidth as doubles.
            CArchive out;
            eq.GetAt(5)->Serialize(out);
            CArchive in(out.Bytes());
            copy.Serialize(in);
            ASSERT_EQ(offset == 2 ? copy.GetGainCode() : copy.GetBandwidthCode(),
                      offset == 2 ? eq.GetAt(5)->GetGainCode() : eq.GetAt(5)->GetBandwidthCode())
                << "word " << w;
        }
    }
}

TEST_F(FidelityTest, BandRecordsOutsideTheUsualRanges) {
    g_DeviceSynced = 1; // loaded values are never marked
    struct Case {
        const char* what;
        int band;
        const char* record;
    } cases[] = {
        {"in range", 17, "E8 03 7B 02 0E 00 02 00"},
        {"0 dB", 3, "E8 03 58 02 0E 00 00 00"},
        {"lowest words", 4, "00 80 00 80 00 80 00 00"},
        {"highest words", 4, "FF 7F FF 7F FF 7F FF FF"},
        {"gain and bandwidth just below their ranges", 8, "64 00 8F 01 FF FF 00 00"},
        {"gain and bandwidth just above their ranges", 8, "64 00 21 03 28 01 00 00"},
        {"special band on the last item", 30, "10 27 90 01 0A 00 00 03"},
        {"low-pass kind below its reset", 12, "32 00 20 03 05 00 07 20"},
        {"high-pass kind", 12, "32 00 20 03 05 00 07 1F"},
        {"frequency 0", 0, "00 00 59 02 00 00 01 01"},
    };
    CKTVEQ eq;
    eq.BuildThirdOctave(30, 32, 9, 20, 20000);
    for (const Case& c : cases) {
        const auto rec = Hex(c.record);
        eq.UnpackBand(rec.data(), c.band);
        const ItemRecord packed = eq.PackBand(c.band);
        EXPECT_EQ(std::vector<uint8_t>(packed.begin(), packed.end()), rec) << c.what;
        EXPECT_FALSE(eq.GetAt(c.band)->IsChanged()) << c.what;
    }
}

// --- Names --------------------------------------------------------------------------

namespace {

struct NameCase {
    const char* what;
    const char* bytes;
    const char* text;    // as the output shows it (all eight bytes)
    const char* textOf7; // as the other channels show it (bytes 0..6)
};

const NameCase kNames[] = {
    {"not GBK", "41 FF 42 00 00 00 00 00",
     "A\xEF\xBF\xBD"
     "B",
     "A\xEF\xBF\xBD"
     "B"},
    {"half a character at the end", "41 42 43 44 45 46 C7 B0", "ABCDEF前", "ABCDEF\xEF\xBF\xBD"},
    {"no terminator", "41 42 43 44 45 46 47 48", "ABCDEFGH", "ABCDEFG"},
    {"bytes after the first zero", "41 00 FF 20 20 00 FE FF", "A", "A"},
    {"blanks around", "20 41 20 20 00 00 00 00", "A", "A"},
    {"GBK", "C7 B0 D6 C3 00 00 00 00", "前置", "前置"},
};

// The name fields of a block and the name each channel shows.
struct NameField {
    std::string what;
    int offset;
    bool allBytes;
    std::function<std::string(CKTV_Data&)> name;
};

std::vector<NameField> NameFields() {
    std::vector<NameField> f;
    f.push_back({"effect", kEffectBlockOffset + 144, false,
                 [](CKTV_Data& m) { return m.GetEffect()->GetName(); }});
    for (int c = 0; c < kMusicInputCount; ++c)
        f.push_back({"music " + std::to_string(c), kMusicBlockOffset + kMusicBlockSize * c + 280,
                     false, [c](CKTV_Data& m) { return m.GetMusic(c)->GetName(); }});
    for (int c = 0; c < kOutputCount; ++c)
        f.push_back({"output " + std::to_string(c), kOutputBlockOffset + kOutputBlockSize * c + 288,
                     true, [c](CKTV_Data& m) { return m.GetOut(c)->GetName(); }});
    return f;
}

} // namespace

TEST_F(FidelityTest, NamesTravelAsTheDevicesBytes) {
    const auto fields = NameFields();
    for (const NameCase& c : kNames) {
        const auto bytes = Hex(c.bytes);
        for (const NameField& f : fields)
            std::copy(bytes.begin(), bytes.end(), g_ParamImage + f.offset);
        const auto want = Image();
        model->LoadFromImage(g_ParamImage, 0);
        for (const NameField& f : fields)
            EXPECT_EQ(f.name(*model), f.allBytes ? c.text : c.textOf7) << c.what << ", " << f.what;
        WriteAll(*model);
        EXPECT_TRUE(Image() == want) << c.what << Differences(want, Image());

        // A document made of the model keeps them as well.
        const auto stored = Store(*model);
        CArchive in(stored);
        ASSERT_TRUE(LoadOrRestore(*model, in));
        WriteAll(*model);
        EXPECT_TRUE(Image() == want)
            << c.what << " after the archive" << Differences(want, Image());
        EXPECT_EQ(Store(*model), stored) << c.what;
    }
    EXPECT_EQ(refused, TextFieldErrors{});
}

TEST_F(FidelityTest, NamesFromADocumentAreWrittenAsTheirBytes) {
    const auto fields = NameFields();
    const auto bytes = Hex("41 FF 42 00 00 00 00 00"); // not GBK
    for (const NameField& f : fields)
        std::copy(bytes.begin(), bytes.end(), g_ParamImage + f.offset);
    model->LoadFromImage(g_ParamImage, 0);
    const auto stored = Store(*model);

    // Into a model whose names are others: the document's bytes are the new
    // names, written as they are, without a word about their characters.
    std::memset(g_ParamImage + kEffectBlockOffset, 0, kParamBlockSize - kEffectBlockOffset);
    CKTV_Data fresh;
    CArchive in(stored);
    ASSERT_TRUE(LoadOrRestore(fresh, in));
    EXPECT_EQ(fresh.GetEffect()->GetName(), "A\xEF\xBF\xBD"
                                            "B");
    WriteAll(fresh);
    for (const NameField& f : fields) {
        if (f.allBytes) continue; // item 36 is the lock bytes: no writer touches it
        EXPECT_EQ(Bytes(g_ParamImage + f.offset, 8), bytes) << f.what;
    }
    EXPECT_EQ(refused, TextFieldErrors{});
}

TEST_F(FidelityTest, OnlyARenameGoesThroughTheTextFieldRule) {
    struct Case {
        const char* text;
        const char* bytes;   // null: refused, the field keeps the device's bytes
        const char* message; // what the user is told of a refusal
    } cases[] = {
        {"Door", "44 6F 6F 72 00 00 00 00", nullptr},
        {"前置", "C7 B0 D6 C3 00 00 00 00", nullptr},
        {"LongName", nullptr, "Char len error!"},
        {"\xF0\x9F\x98\x80", nullptr, "Invalid characters!"},
    };
    const auto texts = [this] {
        std::vector<std::string> t;
        for (TextFieldError e : refused)
            t.push_back(TextFieldErrorText(e));
        return t;
    };
    const auto device = Hex("41 FF 42 00 00 00 00 00");
    uint8_t* field = MusicInBlock(1) + 280;
    for (const Case& c : cases) {
        refused.clear();
        std::copy(device.begin(), device.end(), field);
        model->LoadFromImage(g_ParamImage, 0);
        CMusic_InData& in = *model->GetMusic(1);
        in.SetName(c.text);
        // A load before the write keeps the new name: it is not the block's.
        model->LoadFromImage(g_ParamImage, 0);
        EXPECT_EQ(in.GetName(), c.text);
        WriteAll(*model);
        EXPECT_EQ(Bytes(field, 8), c.bytes ? Hex(c.bytes) : device) << c.text;
        EXPECT_EQ(texts(),
                  c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{})
            << c.text;
        // Once written or refused, the name is the field's again; no more refusals.
        EXPECT_EQ(in.GetName(), c.bytes ? c.text
                                        : "A\xEF\xBF\xBD"
                                          "B");
        WriteAll(*model);
        EXPECT_EQ(refused.size(), c.message ? 1u : 0u) << c.text;
    }
}

TEST_F(FidelityTest, PresetNameThatIsNotGbk) {
    // The poller's name check replaces it with "Custom", as it does any other
    // name once a parameter has been sent; it is never refused.
    std::memcpy(g_ParamImage, Hex("41 FF 42 80 00 00 00 00 00 00 00 00 00 00 00 00").data(),
                kPresetNameSize);
    model->LoadFromImage(g_ParamImage, 0);
    g_ParamSentFlag = 1;
    model->GetNextPacket();
    EXPECT_EQ(FieldToString(g_ParamImage, kPresetNameSize), "Custom");
    WriteAll(*model);
    EXPECT_EQ(refused, TextFieldErrors{});
}
