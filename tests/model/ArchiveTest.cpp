#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/KTV_Data.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

std::vector<uint8_t> Store(CKTV_Data& m) {
    CArchive out;
    m.Serialize(out);
    return out.Bytes();
}

// The text as a loading archive reads it from the bytes; "<failed>" when it cannot.
std::string ReadString(const std::vector<uint8_t>& bytes) {
    CArchive in(bytes);
    std::string text;
    in.String(text);
    return in.Failed() ? "<failed>" : text;
}

std::vector<uint8_t> WriteString(std::string text) {
    CArchive out;
    out.String(text);
    return out.Bytes();
}

class ArchiveTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        model = std::make_unique<CKTV_Data>();
        model->LoadFromImage(g_ParamImage, 0);
    }
    std::unique_ptr<CKTV_Data> model;
};

} // namespace

TEST_F(ArchiveTest, ValueLayouts) {
    CArchive out;
    uint8_t b = 0xAB;
    int16_t w = -2;
    int d = 0x12345678;
    double x = 1.5;
    std::string s = "Door";
    out.Byte(b);
    out.Word(w);
    out.Dword(d);
    out.Double(x);
    out.String(s);
    EXPECT_EQ(out.Bytes(), Hex("AB FE FF 78 56 34 12 00 00 00 00 00 00 F8 3F 04 44 6F 6F 72"));

    CArchive in(out.Bytes());
    uint8_t b2 = 0;
    int16_t w2 = 0;
    int d2 = 0;
    double x2 = 0;
    std::string s2;
    in.Byte(b2);
    in.Word(w2);
    in.Dword(d2);
    in.Double(x2);
    in.String(s2);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(b2, 0xAB);
    EXPECT_EQ(w2, -2);
    EXPECT_EQ(d2, 0x12345678);
    EXPECT_EQ(x2, 1.5);
    EXPECT_EQ(s2, "Door");
}

// A storing archive used again holds only the values stored since it was
// rewound, whatever it handed out before.
TEST_F(ArchiveTest, RewoundArchiveHoldsOnlyWhatFollows) {
    CArchive out;
    int first = 0x01020304;
    out.Dword(first);
    ASSERT_EQ(out.Bytes(), Hex("04 03 02 01"));
    out.Rewind();
    int second = 0x0A0B0C0D;
    out.Dword(second);
    EXPECT_EQ(out.Size(), 4u);
    EXPECT_EQ(out.Bytes(), Hex("0D 0C 0B 0A"));
}

TEST_F(ArchiveTest, StringLengthPrefixesAndText) {
    struct Case {
        size_t length;
        const char* prefix;
    } cases[] = {{0, "00"},
                 {254, "FE"},
                 {255, "FF FF 00"},
                 {0xFFFD, "FF FD FF"},
                 {0xFFFE, "FF FF FF FE FF 00 00"}};
    for (const Case& c : cases) {
        const std::string text(c.length, 'a');
        const auto bytes = WriteString(text);
        const auto prefix = Hex(c.prefix);
        ASSERT_EQ(bytes.size(), prefix.size() + c.length);
        EXPECT_EQ(Bytes(bytes.data(), prefix.size()), prefix) << c.length;
        EXPECT_EQ(ReadString(bytes), text);
    }
    EXPECT_EQ(WriteString("前置"), Hex("04 C7 B0 D6 C3")) << "kept as GBK";
}

TEST_F(ArchiveTest, TextsGbkCannotHoldReadBackUnchanged) {
    for (const std::string text : {"Sub \xF0\x9F\x98\x80", "\xEF\xBF\xBD"})
        EXPECT_EQ(ReadString(WriteString(text)), text);
    EXPECT_EQ(WriteString("\xF0\x9F\x98\x80"), Hex("FF FE FF 02 3D D8 00 DE"));

    // Bytes that are not GBK read as replacement characters, which then
    // survive a store and a load: a snapshot of the model is exact.
    const std::string text = ReadString(Hex("02 FF 41"));
    ASSERT_NE(text, "<failed>");
    EXPECT_EQ(ReadString(WriteString(text)), text);
}

TEST_F(ArchiveTest, MalformedInputFailsWithoutReadingPastTheEnd) {
    struct Case {
        const char* what;
        const char* bytes;
    } cases[] = {
        {"empty", ""},
        {"length beyond the data", "05 41 42"},
        {"long length beyond the data", "FF 00 01 41"},
        {"huge length", "FF FF FF FF FF FF FF 41"},
        {"wide string cut in a unit", "FF FE FF 02 41 00 42"},
        {"wide string marked twice", "FF FE FF FF FE FF 00"},
        {"cut word prefix", "FF 01"},
    };
    for (const Case& c : cases) {
        const auto data = Hex(c.bytes);
        // A private copy, so that a read past the end is caught by the sanitizer.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[data.size() + 1]);
        std::copy(data.begin(), data.end(), exact.get());
        CArchive in(exact.get(), data.size());
        std::string s = "keep";
        int d = 7;
        in.String(s);
        in.Dword(d);
        EXPECT_TRUE(in.Failed()) << c.what;
        EXPECT_EQ(d, 0) << c.what;
    }
}

TEST_F(ArchiveTest, WholePresetRoundTrip) {
    model->GetOut(4)->SetName("Centre");
    model->GetOut(4)->GetFilter(12)->SetGainCode(333);
    model->GetMusic(2)->SetNoiseGate(9);
    model->GetMic(0)->SetName("Vox");
    const auto stored = Store(*model);

    CKTV_Data other;
    CArchive in(stored);
    ASSERT_TRUE(LoadOrRestore(other, in));
    EXPECT_EQ(in.Position(), stored.size());
    EXPECT_EQ(other.GetOut(4)->GetName(), "Centre");
    EXPECT_EQ(other.GetOut(4)->GetFilter(12)->GetGainCode(), 333);
    EXPECT_EQ(other.GetMusic(2)->GetNoiseGate(), 9);
    EXPECT_EQ(other.GetMic(0)->GetName(), "Vox");
    EXPECT_EQ(Store(other), stored);
}

TEST_F(ArchiveTest, TruncatedPresetLosesNothing) {
    CKTV_Data source;
    source.GetOut(0)->SetGain(1);
    source.GetOut(11)->GetFilter(30)->SetGainCode(390);
    source.GetMusic(3)->SetName("Aux");
    const auto stored = Store(source);

    const auto before = Store(*model);
    // Every cut through the stream, in steps that hit every field kind.
    for (size_t n = 0; n < stored.size(); n += (n < 400 ? 1 : 37)) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[n + 1]);
        std::copy(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(n), exact.get());
        CArchive in(exact.get(), n);
        ASSERT_FALSE(LoadOrRestore(*model, in)) << n;
        ASSERT_EQ(Store(*model), before) << "cut at " << n;
    }
}

namespace {

// A filter's archive record: kind, frequency, applied, third (DWORDs), gain
// (double), EQ bypass, off (DWORDs), bandwidth (double), family, slope, item.
enum FilterField : size_t {
    kKind = 0,
    kFreq = 4,
    kApplied = 8,
    kThird = 12,
    kGain = 16,
    kBandwidth = 32,
    kFamily = 40,
    kSlope = 44,
    kItem = 48
};

struct FieldValue {
    FilterField at;
    double value; // a DWORD field takes it as int
};

std::vector<uint8_t> WithValue(std::vector<uint8_t> bytes, FieldValue v) {
    if (v.at == kGain || v.at == kBandwidth) {
        std::memcpy(&bytes.at(v.at), &v.value, 8);
    } else {
        const auto d = static_cast<uint32_t>(static_cast<int64_t>(v.value));
        for (size_t i = 0; i < 4; ++i)
            bytes.at(v.at + i) = static_cast<uint8_t>(d >> (8 * i));
    }
    return bytes;
}

std::vector<uint8_t> StoreFilter(CFilter& f) {
    CArchive out;
    f.Serialize(out);
    return out.Bytes();
}

} // namespace

// A document may only bring what a band or crossover record can carry; any
// other value fails the load as a malformed one, and the filter keeps its
// settings.
TEST_F(ArchiveTest, FilterValuesNoRecordCarriesAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const FieldValue cases[] = {
        {kKind, 0x7FFFFFFF},
        {kKind, -1},
        {kKind, 256},
        {kFreq, INT32_MIN},
        {kFreq, 65536},
        {kFreq, -32769},
        {kApplied, 70000},
        {kThird, -40000},
        {kGain, nan},
        {kGain, inf},
        {kGain, -inf},
        {kGain, 1e300},
        {kGain, 2.1e8},
        {kGain, 32368 * 0.1 - 20},
        {kGain, -33169 * 0.1 - 20}, // gain word 32768 and -32769
        {kBandwidth, nan},
        {kBandwidth, 1e300},
        {kBandwidth, 32768 * 0.01 + 0.05},
        {kBandwidth, -32769 * 0.01 + 0.05},
        {kFamily, -16},
        {kFamily, 256},
        {kSlope, 1000},
        {kSlope, -1},
    };
    CFilter f;
    f.SetGainCode(333);
    f.SetBandwidthCode(20);
    const std::vector<uint8_t> before = StoreFilter(f);
    for (const FieldValue& c : cases) {
        const std::vector<uint8_t> bytes = WithValue(before, c); // the archive only reads it
        CArchive in(bytes);
        f.Serialize(in);
        EXPECT_TRUE(in.Failed()) << c.at << " = " << c.value;
        EXPECT_EQ(StoreFilter(f), before) << c.at << " = " << c.value;
    }
}

// The values at the ends of what the records carry load exactly, and a
// filter holding them packs, steps and draws without fault.
TEST_F(ArchiveTest, FilterValuesAtTheEndsOfTheRecordsAreKept) {
    const FieldValue cases[] = {
        {kKind, 255},
        {kFamily, 255},
        {kSlope, 255},
        {kItem, 0x7F0000FF}, // damaged: the poller skips the band
        {kKind, 0},
        {kFreq, -32768},
        {kFreq, 65535},
        {kApplied, 0},
        {kApplied, -32768},
        {kThird, 65535},
        {kGain, 32367 * 0.1 - 20},
        {kGain, -33168 * 0.1 - 20}, // gain word 32767 and -32768
        {kBandwidth, 32767 * 0.01 + 0.05},
        {kBandwidth, -32768 * 0.01 + 0.05},
    };
    CFilter plain;
    plain.SetGainCode(333);
    const std::vector<uint8_t> start = StoreFilter(plain);
    for (const FieldValue& c : cases) {
        const std::vector<uint8_t> bytes = WithValue(start, c);
        CFilter f;
        CArchive in(bytes);
        f.Serialize(in);
        ASSERT_FALSE(in.Failed()) << c.at << " = " << c.value;
        EXPECT_EQ(StoreFilter(f), bytes) << c.at << " = " << c.value;
        f.SetGraphRect({0, 0, 900, 300});
        (void)f.GetCurvePoints();
        (void)f.FormatHandleLabel();
        EXPECT_EQ(f.GetKind() == 255 ? f.FormatEqType() : "", "");
        EXPECT_EQ(f.GetFamily() == 255 ? f.FormatFamily() : "", "");
        EXPECT_EQ(f.GetSlope() == 255 ? f.FormatSlope() : "", "");
        for (int i = 0; i < 60; ++i)
            f.StepAppliedFreq(0); // never divides by zero
        EXPECT_FALSE(f.IsChanged()) << c.at << " = " << c.value;
    }
}

// Found by the archive fuzzer: a filter gain of 1e300 in a document reached
// the band record as gain code INT_MAX + 400. Such a document is refused
// whole and the model loses nothing.
TEST_F(ArchiveTest, DocumentWithAHugeFilterGainIsRefused) {
    const auto before = Store(*model);
    CKTV_Data source;
    source.GetOut(7)->GetFilter(3)->SetGainCode(387);
    std::vector<uint8_t> bytes = Store(source);
    // The gain's double, found by its exact bytes.
    const double gain = 387 * 0.1 - 20;
    uint8_t pattern[8];
    std::memcpy(pattern, &gain, 8);
    const auto at = std::search(bytes.begin(), bytes.end(), pattern, pattern + 8);
    ASSERT_NE(at, bytes.end());
    const double huge = 1e300;
    std::memcpy(&*at, &huge, 8);

    CArchive in(bytes);
    EXPECT_FALSE(LoadOrRestore(*model, in));
    EXPECT_EQ(Store(*model), before);
}
