#include "files/LumaraDoc.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"

#include <array>
#include <cstring>
#include <vector>

const std::string g_MagicAllPresets = "Tolvern_ALLFile_2.0";
const std::string g_MagicPreset = "Tolvern_File_2.0";
const std::string g_MagicOutputMap = "Tolvern_Map";
const std::string g_MagicModeFile = "Mode_File";

UiThreadOnly<uint8_t[12][kCrossoverRecordSize]> g_CrossoverTable;

namespace {

// Where the lock marker and the password sit in a parameter block: the
// first bytes of output 0's name item.
constexpr int kLockMarkOffset = kOutputBlockOffset + kOutNameOffset; // 1736
constexpr int kLockPasswordOffset = kLockMarkOffset + 2;             // 1738..1743
constexpr int kLockPasswordBytes = 6;
constexpr uint8_t kLocked = 0x21;
constexpr uint8_t kUnlocked = 0x20;

void Bytes(CArchive& ar, uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        ar.Byte(p[i]);
}

// Writes the magic, or reads a string and tells whether it is the magic.
bool Magic(CArchive& ar, const std::string& magic) {
    if (ar.IsStoring()) {
        std::string m = magic;
        ar.RawString(m);
        return true;
    }
    std::string found;
    ar.RawString(found);
    return !ar.Failed() && found == magic;
}

// The lock state of the stored data goes into the image before it is written;
// a password its field cannot hold goes as zeros and says why.
TextFieldError MarkImageLock() {
    uint8_t* marker = g_ParamImage + kLockMarkOffset;
    if (!g_StateFlags[kFlagDataLocked].load()) {
        *marker = kUnlocked;
        return TextFieldError::None;
    }
    uint8_t field[kPresetNameSize] = {};
    const TextFieldError refused = StringToField(field, sizeof field, g_LockPassword);
    *marker = kLocked;
    std::memcpy(g_ParamImage + kLockPasswordOffset, field, kLockPasswordBytes);
    return refused;
}

// What a save refused: the names, then the password.
TextFieldErrors WriteImageForSave(CKTV_Data& data) {
    TextFieldErrors refused = data.WriteAllToImage();
    const TextFieldError password = MarkImageLock();
    if (password != TextFieldError::None) refused.push_back(password);
    return refused;
}

void TakeLockFlagFromImage() REQUIRES(g_DeviceLock) {
    g_StateFlags[kFlagDataLocked] = g_ParamImage[kLockMarkOffset] != kUnlocked ? 1 : 0;
}

// The system bytes of the whole-device file, in file order. Writer and reader
// use the same table, so a file reads back as it was written.
struct SysField {
    uint8_t* block;
    int first;
    int count;
};

struct SysBlocks {
    uint8_t b2[8], b5[8], b6[8], b7[8], b8[8];

    void Take() {
        const CDeviceRecords& rec = g_DeviceRecords;
        rec.CopyRecord(kRecordSources, b2, 8);
        rec.CopyRecord(kRecordMaster, b5, 8);
        rec.CopyRecord(kRecordOutputMapA, b6, 8);
        rec.CopyRecord(kRecordOutputMapB, b7, 8);
        rec.CopyRecord(kRecordSourceSetup, b8, 8);
    }
    void Give() const {
        CDeviceRecords& rec = g_DeviceRecords;
        rec.StoreRecord(kRecordSources, b2, 8);
        rec.StoreRecord(kRecordMaster, b5, 8);
        rec.StoreRecord(kRecordOutputMapA, b6, 8);
        rec.StoreRecord(kRecordOutputMapB, b7, 8);
        rec.StoreRecord(kRecordSourceSetup, b8, 8);
    }
    std::array<SysField, 11> Fields() {
        return {{{b2, 0, 1}, // active source
                 {b5, 2, 1},
                 {b5, 0, 2}, // master volume word
                 {b5, 3, 1},
                 {b8, 2, 1},
                 {b2, 2, 6}, // source volumes
                 {b8, 4, 4},
                 {b5, 4, 3},
                 {b6, 0, 8}, // output map
                 {b7, 0, 8},
                 {b8, 0, 2}}};
    }
};

void SysBytes(CArchive& ar, SysBlocks& blocks) {
    for (const SysField& f : blocks.Fields())
        Bytes(ar, f.block + f.first, static_cast<size_t>(f.count));
}

// A crossover record in file order swaps family and slope of each filter.
void SwapFamilyAndSlope(uint8_t* record) {
    std::swap(record[2], record[3]);
    std::swap(record[6], record[7]);
}

} // namespace

void CopyCrossoverTable(const CKTV_Data& data) {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kOutputCount; ++i) {
        const CKTV_OutData* out = data.GetOut(i);
        if (!out) continue;
        const ItemRecord r = out->GetCrossoverRecord();
        std::memcpy(g_CrossoverTable[i], r.data(), kCrossoverRecordSize);
    }
}

CLumaraDoc::CLumaraDoc() = default;

bool CLumaraDoc::OnNewDocument() {
    title_.clear();
    return true;
}

void CLumaraDoc::Serialize(CArchive& ar) {
    (void)ar.IsStoring();
}

bool CLumaraDoc::SerializeAllPresets(CArchive& ar) {
    if (ar.IsStoring()) {
        Magic(ar, g_MagicAllPresets);
        DeviceLockGuard lock(g_DeviceLock);
        Bytes(ar, &g_PcPresets[0][0], sizeof g_PcPresets);
        refused_ = WriteImageForSave(data_);
        Bytes(ar, g_ParamImage, kParamBlockSize);
        SysBlocks sys;
        sys.Take();
        SysBytes(ar, sys);
        return true;
    }
    if (!Magic(ar, g_MagicAllPresets)) return false;
    std::vector<uint8_t> presets(sizeof g_PcPresets);
    std::vector<uint8_t> image(kParamBlockSize);
    Bytes(ar, presets.data(), presets.size());
    Bytes(ar, image.data(), image.size());
    SysBlocks sys;
    {
        DeviceLockGuard lock(g_DeviceLock);
        sys.Take();
    }
    SysBytes(ar, sys);
    if (ar.Failed()) return false;

    DeviceLockGuard lock(g_DeviceLock);
    std::memcpy(g_PcPresets, presets.data(), presets.size());
    std::memcpy(g_ParamImage, image.data(), image.size());
    TakeLockFlagFromImage();
    sys.Give();
    data_.LoadFromImage(g_ParamImage, -1);
    return true;
}

bool CLumaraDoc::SerializePreset(CArchive& ar) {
    if (ar.IsStoring()) {
        Magic(ar, g_MagicPreset);
        DeviceLockGuard lock(g_DeviceLock);
        refused_ = WriteImageForSave(data_);
        Bytes(ar, g_ParamImage, kParamBlockSize);
        return true;
    }
    const bool magicOk = Magic(ar, g_MagicPreset);
    g_StateFlags[kFlagPresetFileRead] = 0;
    if (!magicOk) return false;
    std::vector<uint8_t> image(kParamBlockSize);
    Bytes(ar, image.data(), image.size());
    if (ar.Failed()) return false;

    DeviceLockGuard lock(g_DeviceLock);
    std::memcpy(g_ParamImage, image.data(), image.size());
    TakeLockFlagFromImage();
    FixTweeterCrossovers();
    data_.LoadFromImage(g_ParamImage, -1);
    return true;
}

bool CLumaraDoc::SerializeModePage(CArchive& ar) {
    if (ar.IsStoring()) {
        uint8_t page = static_cast<uint8_t>(g_DeviceRecords.CurrentModePage());
        // A page the table does not have (a damaged record) writes nothing.
        if (page >= kModePageCount) return false;
        ModePage entries = g_DeviceRecords.GetModePage(page);
        Magic(ar, g_MagicModeFile);
        ar.Byte(page);
        Bytes(ar, entries.data(), entries.size());
        return true;
    }
    if (!Magic(ar, g_MagicModeFile)) return false;
    uint8_t page = 0;
    ModePage entries{};
    ar.Byte(page);
    Bytes(ar, entries.data(), entries.size());
    // The table holds four pages: a higher number would write past it.
    if (ar.Failed() || page >= kModePageCount) return false;
    g_DeviceRecords.SetModePage(page, entries);
    return true;
}

bool CLumaraDoc::SerializeOutputMap(CArchive& ar) {
    if (ar.IsStoring()) {
        Magic(ar, g_MagicOutputMap);
        DeviceLockGuard lock(g_DeviceLock);
        uint8_t map[16] = {};
        g_DeviceRecords.CopyRecord(kRecordOutputMapA, map, 8);
        g_DeviceRecords.CopyRecord(kRecordOutputMapB, map + 8, 8);
        Bytes(ar, map, sizeof map);
        CopyCrossoverTable(data_);
        for (auto& rec : g_CrossoverTable) {
            uint8_t file[kCrossoverRecordSize];
            std::memcpy(file, rec, sizeof file);
            SwapFamilyAndSlope(file);
            Bytes(ar, file, sizeof file);
        }
        return true;
    }
    if (!Magic(ar, g_MagicOutputMap)) return false;
    uint8_t map[16] = {};
    uint8_t table[12][kCrossoverRecordSize] = {};
    Bytes(ar, map, sizeof map);
    for (auto& rec : table)
        Bytes(ar, rec, sizeof rec);
    if (ar.Failed()) return false;

    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.StoreRecord(kRecordOutputMapA, map, 8);
    g_DeviceRecords.StoreRecord(kRecordOutputMapB, map + 8, 8);
    for (int i = 0; i < 12; ++i) {
        SwapFamilyAndSlope(table[i]);
        std::memcpy(g_CrossoverTable[i], table[i], kCrossoverRecordSize);
    }
    return true;
}
